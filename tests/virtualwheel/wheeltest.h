#pragma once

#include "device/hiddevice.h"
#include "virtualwheel/virtualwheel.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <array>
#include <memory>

// Helpers shared by the virtual wheel tests: frames written as hex, answers read as hex.
namespace wheeltest {

// "02 0c 04" -> bytes; blanks are for the reader only. Pads with zeros to size when given.
inline QByteArray bytes(const QString& hex, int size = 0)
{
    QByteArray b = QByteArray::fromHex(QString(hex).remove(' ').toLatin1());
    if (b.size() < size)
        b.append(QByteArray(size - b.size(), '\0'));
    return b;
}

inline QByteArray frame(const QString& hex)
{
    return bytes(hex, 20);
}

// Zero-pads built bytes to a 20-byte frame.
inline QByteArray pad(QByteArray b)
{
    if (b.size() < 20)
        b.append(QByteArray(20 - b.size(), '\0'));
    return b;
}

template <std::size_t N>
QByteArray toBytes(const std::array<std::uint8_t, N>& a)
{
    return QByteArray(reinterpret_cast<const char*>(a.data()), int(N));
}

inline int send(HidDevice& device, const QByteArray& f)
{
    return device.sendFeatureReport(reinterpret_cast<const std::uint8_t*>(f.constData()), std::size_t(f.size()));
}

inline int write(HidDevice& device, const QByteArray& f)
{
    return device.write(reinterpret_cast<const std::uint8_t*>(f.constData()), std::size_t(f.size()));
}

// The tool's query exchange: send the 20 bytes, read 21 back into the same buffer.
// Returns the buffer after the read, or an empty array when the send or read failed.
inline QByteArray query(HidDevice& device, const QByteArray& queryFrame)
{
    std::array<std::uint8_t, 21> buffer{};
    std::copy_n(queryFrame.constData(), std::min<int>(20, int(queryFrame.size())), buffer.begin());
    if (device.sendFeatureReport(buffer.data(), 20) < 0)
        return {};
    if (device.getFeatureReport(buffer.data(), buffer.size()) != 21)
        return {};
    return toBytes(buffer);
}

// A member of the wheel's state by dotted path ("flash.shifters.5", "live.leds.3").
inline QJsonValue at(const QJsonObject& state, const QString& path)
{
    QJsonValue v = state;
    for (const QString& part : path.split('.')) {
        bool isIndex = false;
        const int index = part.toInt(&isIndex);
        if (isIndex && v.isArray())
            v = v.toArray().at(index);
        else
            v = v.toObject().value(part);
    }
    return v;
}

// A JSON value written as text: "5", "[1,2]", "\"x\"".
inline QJsonValue json(const QString& text)
{
    return QJsonDocument::fromJson(("[" + text + "]").toUtf8()).array().at(0);
}

inline QString compact(const QJsonValue& v)
{
    const QJsonArray wrapped{v};
    const QByteArray text = QJsonDocument(wrapped).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(text.mid(1, text.size() - 2));
}

} // namespace wheeltest
