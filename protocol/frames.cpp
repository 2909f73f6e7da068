#include "protocol/wheelprotocol.h"

#include <algorithm>

namespace tarvo {

namespace {

CommandFrame freshFrame(CommandCode code)
{
    CommandFrame frame{};
    frame[0] = kFeatureReportId;
    frame[1] = static_cast<std::uint8_t>(code);
    return frame;
}

template <typename Buffer>
void putU16(Buffer& buffer, std::size_t at, std::uint16_t value)
{
    buffer[at] = static_cast<std::uint8_t>(value & 0xFF);
    buffer[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

template <typename Buffer>
void putU32(Buffer& buffer, std::size_t at, std::uint32_t value)
{
    for (std::size_t i = 0; i < 4; ++i)
        buffer[at + i] = static_cast<std::uint8_t>((value >> (8 * i)) & 0xFF);
}

std::uint8_t marker(bool save)
{
    return save ? kSaveMarker : kLiveMarker;
}

constexpr std::uint32_t kClutchEnabledValue = 1;
constexpr std::uint32_t kClutchDisabledValue = 0xFF;
constexpr std::uint32_t kShifterTakePosition = 0xFFFFFFFF;

} // namespace

std::uint8_t encodePaddleMode(PaddleSide side, int percent)
{
    const int bite = std::clamp(percent, 0, 100);
    switch (side) {
    case PaddleSide::Left:
        return static_cast<std::uint8_t>(bite);
    case PaddleSide::Right:
        return static_cast<std::uint8_t>(bite + 101);
    case PaddleSide::Off:
        break;
    }
    return 0xFF;
}

CommandFrame paddleSettingsFrame(std::uint8_t paddleMode, bool save, const PaddleCalibration& cal)
{
    CommandFrame frame = freshFrame(CommandCode::PaddleSettings);
    frame[2] = paddleMode;
    frame[3] = marker(save);
    putU16(frame, 5, cal.rightMax);
    putU16(frame, 7, cal.leftMax);
    putU16(frame, 9, cal.rightMin);
    putU16(frame, 11, cal.leftMin);
    return frame;
}

CommandFrame setParameterFrame(Parameter id, std::uint32_t value, bool save)
{
    CommandFrame frame = freshFrame(CommandCode::SetParameter);
    frame[2] = static_cast<std::uint8_t>(id);
    putU32(frame, 3, value);
    frame[7] = marker(save);
    return frame;
}

CommandFrame encoderPulseWidthFrame(std::int32_t milliseconds, bool save)
{
    return setParameterFrame(Parameter::EncoderPulseWidth, static_cast<std::uint32_t>(milliseconds), save);
}

CommandFrame shifterCalibrationStartFrame(Parameter shifter)
{
    return setParameterFrame(shifter, 0, false);
}

CommandFrame shifterCalibrationEndFrame(Parameter shifter)
{
    return setParameterFrame(shifter, kShifterTakePosition, true);
}

CommandFrame clearFlashFrame()
{
    return setParameterFrame(Parameter::ClearFlash, 0, false);
}

CommandFrame ledCommitFrame()
{
    return freshFrame(CommandCode::LedCommit);
}

CommandFrame auxLampColoursFrame(const AuxLamps& lamps, bool save)
{
    CommandFrame frame = freshFrame(CommandCode::AuxLampColours);
    frame[2] = marker(save);
    frame[3] = lamps.left.r;
    frame[4] = lamps.left.g;
    frame[5] = lamps.left.b;
    frame[6] = lamps.right.r;
    frame[7] = lamps.right.g;
    frame[8] = lamps.right.b;
    return frame;
}

AnswerBuffer queryFrame(QuerySelector selector, std::uint8_t sub)
{
    AnswerBuffer buffer{};
    writeQueryHeader(buffer, selector, sub);
    return buffer;
}

void writeQueryHeader(AnswerBuffer& buffer, QuerySelector selector, std::uint8_t sub)
{
    buffer[0] = kFeatureReportId;
    buffer[1] = static_cast<std::uint8_t>(CommandCode::Query);
    buffer[2] = static_cast<std::uint8_t>(selector);
    buffer[3] = sub;
}

void writeClutchEnableFrame(AnswerBuffer& buffer, bool enabled)
{
    // Byte 0 of an answer is the report id already; setting it again only matters
    // when the read back returned something else there, which must not be sent
    // as another report.
    buffer[0] = kFeatureReportId;
    buffer[1] = static_cast<std::uint8_t>(CommandCode::SetParameter);
    buffer[2] = static_cast<std::uint8_t>(Parameter::ClutchEnable);
    putU32(buffer, 3, enabled ? kClutchEnabledValue : kClutchDisabledValue);
    buffer[7] = kSaveMarker;
}

CommandFrame frameOf(const AnswerBuffer& buffer)
{
    CommandFrame frame{};
    std::copy_n(buffer.begin(), kFrameSize, frame.begin());
    return frame;
}

} // namespace tarvo
