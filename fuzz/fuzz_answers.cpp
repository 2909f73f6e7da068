// The answer decoders and the LED image: any 21 bytes may come back from a wheel.
#include "fuzzcheck.h"
#include "protocol/wheelprotocol.h"

#include <algorithm>
#include <cstring>

using namespace tarvo;

namespace {
AnswerBuffer answerAt(const std::uint8_t* data, std::size_t size, std::size_t offset)
{
    AnswerBuffer answer{};
    if (offset < size)
        std::memcpy(answer.data(), data + offset, std::min(answer.size(), size - offset));
    return answer;
}

void decodeAnswer(const AnswerBuffer& answer)
{
    if (const std::optional<std::string> model = modelIdText(answer)) {
        FUZZ_CHECK(answer[1] == 0x0D);
        FUZZ_CHECK(model->size() <= 19);
        FUZZ_CHECK(model->find('\0') == std::string::npos);
    }
    const std::string version = firmwareVersionText(answer);
    FUZZ_CHECK(version.size() <= 20);

    const PaddleSettingsAnswer paddles = paddleSettingsAnswer(answer);
    const BitePoint bite = decodePaddleMode(paddles.paddleMode);
    FUZZ_CHECK(bite.percent >= 0 && bite.percent <= 100);
    // Every mode that names a paddle comes back as itself.
    if (bite.side != PaddleSide::Off)
        FUZZ_CHECK(encodePaddleMode(bite.side, bite.percent) == paddles.paddleMode);
    const CommandFrame frame = paddleSettingsFrame(paddles.paddleMode, answer[2] & 1, paddles.calibration);
    FUZZ_CHECK(frame[0] == kFeatureReportId);

    FUZZ_CHECK(std::uint32_t(parameterValueSigned(answer)) == parameterValueUnsigned(answer));
    const bool enabled = clutchEnabledAnswer(answer);
    FUZZ_CHECK(enabled == (parameterValueUnsigned(answer) == 1));
    (void)batteryAnswer(answer).onUsbPower();
    (void)auxLampsAnswer(answer);

    AnswerBuffer clutch = answer;
    writeClutchEnableFrame(clutch, enabled);
    FUZZ_CHECK(clutch[0] == kFeatureReportId);
    FUZZ_CHECK(std::equal(clutch.begin() + 8, clutch.begin() + 20, answer.begin() + 8));
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    for (std::size_t offset = 0; offset < std::max<std::size_t>(size, 1); offset += kAnswerSize)
        decodeAnswer(answerAt(data, size, offset));

    // The first 72 bytes as an LED image: reading it back and writing it again changes nothing.
    LedImage image{};
    std::memcpy(image.data(), data, std::min(size, image.size()));
    const LedLevels levels = unpackLedImage(image);
    FUZZ_CHECK(packLedImage(levels) == image);
    // Levels read as any bytes settle after one trip.
    LedLevels raw{};
    std::memcpy(raw.data(), data, std::min(size, raw.size()));
    const LedLevels once = unpackLedImage(packLedImage(raw));
    FUZZ_CHECK(unpackLedImage(packLedImage(once)) == once);
    for (std::size_t i = 0; i < raw.size(); ++i)
        FUZZ_CHECK(once[i] >= raw[i]);

    // The readout's block answers, at any block number.
    for (std::size_t offset = 0; offset + 1 < size && offset < 8 * kAnswerSize; offset += kAnswerSize + 1) {
        const int block = int(std::int8_t(data[offset]));
        LedImage target = image;
        storeLedBlockAnswer(target, block, answerAt(data, size, offset + 1));
        if (block < 0 || block >= int(kLedBlocks))
            FUZZ_CHECK(target == image);
        (void)ledBlockReport(target, block);
    }
    return 0;
}
