#include "protocol/wheelprotocol.h"

namespace tarvo {

namespace {

std::uint16_t u16At(const AnswerBuffer& answer, std::size_t at)
{
    return static_cast<std::uint16_t>(answer[at] | (answer[at + 1] << 8));
}

std::uint32_t u32At(const AnswerBuffer& answer, std::size_t at)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value |= static_cast<std::uint32_t>(answer[at + i]) << (8 * i);
    return value;
}

// Bytes from `first` up to the first zero, or to the end of the buffer when none.
std::string zeroEndedText(const AnswerBuffer& answer, std::size_t first)
{
    std::string text;
    for (std::size_t i = first; i < answer.size() && answer[i] != 0; ++i)
        text.push_back(static_cast<char>(answer[i]));
    return text;
}

constexpr std::uint8_t kModelIdEcho = static_cast<std::uint8_t>(QuerySelector::ModelId);

} // namespace

BitePoint decodePaddleMode(std::uint8_t mode)
{
    if (mode <= 100)
        return {PaddleSide::Left, mode};
    if (mode <= 201)
        return {PaddleSide::Right, mode - 101};
    return {PaddleSide::Off, 50};
}

std::optional<std::string> modelIdText(const AnswerBuffer& answer)
{
    if (answer[1] != kModelIdEcho)
        return std::nullopt;
    return zeroEndedText(answer, 2);
}

std::string firmwareVersionText(const AnswerBuffer& answer)
{
    std::string text = zeroEndedText(answer, 1);
    if (!text.empty() && text.back() == ':')
        text.pop_back();
    return text;
}

PaddleSettingsAnswer paddleSettingsAnswer(const AnswerBuffer& answer)
{
    PaddleSettingsAnswer result;
    result.paddleMode = answer[2];
    result.calibration.rightMax = u16At(answer, 5);
    result.calibration.leftMax = u16At(answer, 7);
    result.calibration.rightMin = u16At(answer, 9);
    result.calibration.leftMin = u16At(answer, 11);
    return result;
}

std::int32_t parameterValueSigned(const AnswerBuffer& answer)
{
    return static_cast<std::int32_t>(parameterValueUnsigned(answer));
}

std::uint32_t parameterValueUnsigned(const AnswerBuffer& answer)
{
    return u32At(answer, 3);
}

bool clutchEnabledAnswer(const AnswerBuffer& answer)
{
    return parameterValueUnsigned(answer) == 1;
}

BatteryAnswer batteryAnswer(const AnswerBuffer& answer)
{
    BatteryAnswer result;
    result.percent = answer[2];
    result.supply = u16At(answer, 3);
    result.link = answer[5];
    return result;
}

AuxLampsAnswer auxLampsAnswer(const AnswerBuffer& answer)
{
    AuxLampsAnswer result;
    result.capability = answer[2];
    result.lamps.left = {answer[3], answer[4], answer[5]};
    result.lamps.right = {answer[6], answer[7], answer[8]};
    return result;
}

} // namespace tarvo
