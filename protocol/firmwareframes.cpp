#include "protocol/wheelprotocol.h"

#include <algorithm>

namespace tarvo {

CommandFrame firmwareTransferBuffer()
{
    CommandFrame buffer{};
    buffer[0] = kFeatureReportId;
    return buffer;
}

std::size_t writeFirmwareBlock(CommandFrame& buffer, std::uint32_t block, const std::uint8_t* data, std::size_t size)
{
    const std::size_t count = std::min(size, kFirmwareBlockBytes);
    buffer[1] =
        static_cast<std::uint8_t>(static_cast<std::uint8_t>(CommandCode::FirmwareBlock) | ((block >> 8) & 0x7F));
    buffer[2] = static_cast<std::uint8_t>(block & 0xFF);
    buffer[3] = static_cast<std::uint8_t>(count);
    std::copy_n(data, count, buffer.begin() + 4);
    return count;
}

void writeEndOfTransfer(CommandFrame& buffer)
{
    buffer[1] = static_cast<std::uint8_t>(CommandCode::EndOfTransfer);
}

} // namespace tarvo
