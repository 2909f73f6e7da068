#include "protocol/wheelprotocol.h"

#include <algorithm>

namespace tarvo {

namespace {

bool validBlock(int block)
{
    return block >= 0 && block < static_cast<int>(kLedBlocks);
}

} // namespace

std::uint8_t ledCodeForLevel(std::uint8_t v)
{
    // LEVELS ends at 255, so every v finds a code.
    const auto it = std::lower_bound(LEVELS.begin(), LEVELS.end(), v);
    return static_cast<std::uint8_t>(it - LEVELS.begin());
}

std::uint8_t ledCodeForLevel(std::uint8_t v, LedEncoding encoding)
{
    return encoding == LedEncoding::UpperBits ? static_cast<std::uint8_t>(v >> 4) : ledCodeForLevel(v);
}

LedImage packLedImage(const LedLevels& levels, LedEncoding encoding)
{
    LedImage image{};
    for (std::size_t i = 0; i < kLedImageSize; ++i) {
        const std::uint8_t low = ledCodeForLevel(levels[2 * i], encoding);
        const std::uint8_t high = ledCodeForLevel(levels[2 * i + 1], encoding);
        image[i] = static_cast<std::uint8_t>(low | (high << 4));
    }
    return image;
}

LedLevels unpackLedImage(const LedImage& image)
{
    LedLevels levels{};
    for (std::size_t i = 0; i < kLedImageSize; ++i) {
        levels[2 * i] = LEVELS[image[i] & 0x0F];
        levels[2 * i + 1] = LEVELS[image[i] >> 4];
    }
    return levels;
}

LedBlockReport ledBlockReport(const LedImage& image, int block)
{
    LedBlockReport report{};
    report[0] = kLedReportId;
    if (!validBlock(block))
        return report;
    report[1] = static_cast<std::uint8_t>(block);
    const auto first = image.begin() + static_cast<std::ptrdiff_t>(kLedBlockBytes * static_cast<std::size_t>(block));
    std::copy_n(first, kLedBlockBytes, report.begin() + 2);
    return report;
}

std::array<LedBlockReport, kLedBlocks> ledBlockReportsInWriteOrder(const LedLevels& levels, LedEncoding encoding)
{
    const LedImage image = packLedImage(levels, encoding);
    std::array<LedBlockReport, kLedBlocks> reports{};
    for (std::size_t i = 0; i < kLedBlocks; ++i)
        reports[i] = ledBlockReport(image, kLedBlockWriteOrder[i]);
    return reports;
}

void storeLedBlockAnswer(LedImage& image, int block, const AnswerBuffer& answer)
{
    if (!validBlock(block))
        return;
    const auto target = image.begin() + static_cast<std::ptrdiff_t>(kLedBlockBytes * static_cast<std::size_t>(block));
    std::copy_n(answer.begin() + 2, kLedBlockBytes, target);
}

Rgb placeChannels(const Rgb& c, ChannelOrder order)
{
    switch (order) {
    case ChannelOrder::Rgb:
        break;
    case ChannelOrder::Rbg:
        return {c.r, c.b, c.g};
    case ChannelOrder::Grb:
        return {c.g, c.r, c.b};
    case ChannelOrder::Gbr:
        return {c.g, c.b, c.r};
    case ChannelOrder::Brg:
        return {c.b, c.r, c.g};
    case ChannelOrder::Bgr:
        return {c.b, c.g, c.r};
    }
    return c;
}

Rgb ledSlotLevels(const LedLevels& levels, std::size_t slot)
{
    if (slot >= kLedSlots)
        return {};
    return {levels[3 * slot], levels[3 * slot + 1], levels[3 * slot + 2]};
}

void setLedSlotLevels(LedLevels& levels, std::size_t slot, const Rgb& value)
{
    if (slot >= kLedSlots)
        return;
    levels[3 * slot] = value.r;
    levels[3 * slot + 1] = value.g;
    levels[3 * slot + 2] = value.b;
}

} // namespace tarvo
