#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <cstdint>
#include <map>

// The firmware image a wheel is being sent: block frames collected by block number,
// completed by the end-of-transfer frame.
class FirmwareImage
{
public:
    // What the wheel keeps of an image, and what state() and the flash file show.
    struct Summary
    {
        qint64 size = 0;
        QString md5; // lower-case hex; empty while no image was ever received
        int blocks = 0; // block frames received
        bool complete = false; // an end frame completed it
        bool inOrder = true; // every block arrived once, in order, from block 0

        bool operator==(const Summary& o) const
        {
            return size == o.size && md5 == o.md5 && blocks == o.blocks && complete == o.complete
                && inOrder == o.inOrder;
        }
        bool operator!=(const Summary& o) const { return !(*this == o); }
        QJsonObject toJson() const;
    };

    static constexpr int kBlockBytes = 16;

    // A block frame's payload; count is clamped to 0..16. The first block after an end
    // frame starts a new image.
    void addBlock(int number, const std::uint8_t* data, int count);
    // The end frame. One that follows another end frame directly is an empty image.
    void finish();
    void clear();

    // True once a block or an end frame arrived since clear().
    bool isActive() const { return m_active; }
    bool isComplete() const { return m_complete; }
    // The blocks laid out at 16 bytes per block number; gaps read as zero bytes.
    QByteArray bytes() const;
    Summary summary() const;

private:
    std::map<int, QByteArray> m_blocks;
    int m_frames = 0;
    int m_nextBlock = 0;
    bool m_inOrder = true;
    bool m_complete = false;
    bool m_active = false;
};
