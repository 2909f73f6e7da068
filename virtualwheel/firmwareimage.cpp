#include "virtualwheel/firmwareimage.h"

#include <QCryptographicHash>
#include <algorithm>

QJsonObject FirmwareImage::Summary::toJson() const
{
    return QJsonObject{
        {"size", size}, {"md5", md5}, {"blocks", blocks}, {"complete", complete}, {"inOrder", inOrder},
    };
}

void FirmwareImage::addBlock(int number, const std::uint8_t* data, int count)
{
    if (m_complete)
        clear();
    m_active = true;
    ++m_frames;
    // While in order, blocks 0..m_nextBlock-1 arrived once each, so a repeat is out of order too.
    if (number != m_nextBlock)
        m_inOrder = false;
    m_nextBlock = number + 1;
    count = std::clamp(count, 0, kBlockBytes);
    m_blocks[number] = QByteArray(reinterpret_cast<const char*>(data), count);
}

void FirmwareImage::finish()
{
    if (m_complete)
        clear();
    m_active = true;
    m_complete = true;
}

void FirmwareImage::clear()
{
    *this = FirmwareImage();
}

QByteArray FirmwareImage::bytes() const
{
    qint64 size = 0;
    for (const auto& [number, data] : m_blocks)
        size = std::max(size, qint64(number) * kBlockBytes + data.size());
    QByteArray image(size, '\0');
    for (const auto& [number, data] : m_blocks)
        std::copy(data.begin(), data.end(), image.begin() + qint64(number) * kBlockBytes);
    return image;
}

FirmwareImage::Summary FirmwareImage::summary() const
{
    Summary s;
    if (!m_active)
        return s;
    const QByteArray image = bytes();
    s.size = image.size();
    s.md5 = QString::fromLatin1(QCryptographicHash::hash(image, QCryptographicHash::Md5).toHex());
    s.blocks = m_frames;
    s.complete = m_complete;
    s.inOrder = m_inOrder;
    return s;
}
