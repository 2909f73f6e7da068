#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>

// Hex written as in a packet listing ("02 0C 04 64"), padded with zero bytes to `size`.
inline QByteArray hexBytes(const char* hex, int size)
{
    QByteArray bytes = QByteArray::fromHex(QByteArray(hex).replace(' ', ""));
    Q_ASSERT(bytes.size() <= size);
    bytes.append(size - bytes.size(), '\0');
    return bytes;
}

template <std::size_t N>
QByteArray bytesOf(const std::array<std::uint8_t, N>& data)
{
    return QByteArray(reinterpret_cast<const char*>(data.data()), int(N));
}

template <std::size_t N>
std::array<std::uint8_t, N> arrayOf(const QByteArray& bytes)
{
    Q_ASSERT(bytes.size() == int(N));
    std::array<std::uint8_t, N> data{};
    for (std::size_t i = 0; i < N; ++i)
        data[i] = static_cast<std::uint8_t>(bytes[int(i)]);
    return data;
}
