// The wheel's wire format: command frames, query answers and the LED image codec.
//
// Everything here is plain data in, bytes out. Nothing touches a device, so the
// exact bytes can be tested without one. Multi-byte fields are little-endian.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace tarvo {

constexpr std::uint16_t kVendorId = 0x7E57;
// Product ids are tried in this order; the first that opens wins.
constexpr std::array<std::uint16_t, 7> kProductIds = {0x2007, 0x2008, 0x2009, 0x200A, 0x200B, 0x200C, 0x200D};

constexpr std::size_t kFrameSize = 20; // bytes sent with a feature or output report
constexpr std::size_t kAnswerSize = 21; // bytes asked of a feature-report read
constexpr std::size_t kInputReportSize = 17; // report id + 16 bytes

constexpr std::uint8_t kFeatureReportId = 0x02;
constexpr std::uint8_t kLedReportId = 0x03;
constexpr std::uint8_t kSaveMarker = 0xEF; // store in flash as well as apply
constexpr std::uint8_t kLiveMarker = 0x00; // apply only

// A 20-byte frame as handed to hid_send_feature_report / hid_write.
using CommandFrame = std::array<std::uint8_t, kFrameSize>;
// A query frame and its answer share one 21-byte buffer; the first 20 bytes are sent.
using AnswerBuffer = std::array<std::uint8_t, kAnswerSize>;

enum class CommandCode : std::uint8_t {
    PaddleSettings = 0x0A,
    Query = 0x0B,
    SetParameter = 0x0C,
    LedCommit = 0x0E,
    EndOfTransfer = 0x10,
    AuxLampColours = 0x11,
    FirmwareBlock = 0x80, // bit 7 set; bits 0-6 carry the block number's high part
};

enum class QuerySelector : std::uint8_t {
    LedBlock0 = 0x00,
    LedBlock1 = 0x01,
    LedBlock2 = 0x02,
    LedBlock3 = 0x03,
    FirmwareVersion = 0x09,
    PaddleSettings = 0x0A,
    Parameter = 0x0C,
    ModelId = 0x0D,
    Battery = 0x0F,
    AuxLamps = 0x11,
};

enum class Parameter : std::uint8_t {
    ShifterLeft = 3,
    EncoderPulseWidth = 4,
    ShifterRight = 5,
    ShifterExtraLeft = 6,
    ShifterExtraRight = 7,
    ClutchEnable = 8,
    ClearFlash = 0x10,
};

// The four raw calibration words of the clutch paddles, in frame order.
struct PaddleCalibration
{
    std::uint16_t rightMax = 4096;
    std::uint16_t leftMax = 4096;
    std::uint16_t rightMin = 0;
    std::uint16_t leftMin = 0;
    bool operator==(const PaddleCalibration& o) const
    {
        return rightMax == o.rightMax && leftMax == o.leftMax && rightMin == o.rightMin && leftMin == o.leftMin;
    }
};

struct Rgb
{
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

struct AuxLamps
{
    Rgb left; // pbXL
    Rgb right; // pbXR
};

// ---- paddleMode: the clutch paddle and its bite point in one byte ----

enum class PaddleSide { Left, Right, Off };

struct BitePoint
{
    PaddleSide side = PaddleSide::Off;
    int percent = 50; // 0..100; 50 when off
};

// 0..100 left, 101..201 right (bite + 101), anything else off (255 is the canonical off).
BitePoint decodePaddleMode(std::uint8_t mode);
// percent is clamped to 0..100; Off gives 255.
std::uint8_t encodePaddleMode(PaddleSide side, int percent);

// ---- frames ----

CommandFrame paddleSettingsFrame(std::uint8_t paddleMode, bool save, const PaddleCalibration& cal);
CommandFrame setParameterFrame(Parameter id, std::uint32_t value, bool save);
CommandFrame encoderPulseWidthFrame(std::int32_t milliseconds, bool save);
// First click of a shifter row: value 0, live.
CommandFrame shifterCalibrationStartFrame(Parameter shifter);
// Second click: value 0xFFFFFFFF with the save marker, "take the held position".
CommandFrame shifterCalibrationEndFrame(Parameter shifter);
CommandFrame clearFlashFrame();
CommandFrame ledCommitFrame();
CommandFrame auxLampColoursFrame(const AuxLamps& lamps, bool save);

// A fresh query: cleared buffer with 02 0B selector sub in bytes 0-3.
AnswerBuffer queryFrame(QuerySelector selector, std::uint8_t sub = 0);
// Rewrites bytes 0-3 only, leaving what a previous answer left in 4-20 (LED readout).
void writeQueryHeader(AnswerBuffer& buffer, QuerySelector selector, std::uint8_t sub = 0);
// The clutch switch is written into the answer of the 02 0B 0C 08 query sent just before:
// bytes 1-7 are rewritten (value 1 or 0xFF, always saved), bytes 8-19 keep what the
// answer held. Byte 0 is set to the report id in case the answer left another value there.
void writeClutchEnableFrame(AnswerBuffer& buffer, bool enabled);

// The first 20 bytes of a buffer, as sent.
CommandFrame frameOf(const AnswerBuffer& buffer);

// ---- answers ----

// Model text from byte 2 up to the first zero (at most 19 bytes); nullopt when byte 1 is not 0x0D.
std::optional<std::string> modelIdText(const AnswerBuffer& answer);
// Version text from byte 1 up to the first zero (at most 20 bytes), without one trailing colon.
std::string firmwareVersionText(const AnswerBuffer& answer);

struct PaddleSettingsAnswer
{
    std::uint8_t paddleMode = 0;
    PaddleCalibration calibration;
};
PaddleSettingsAnswer paddleSettingsAnswer(const AnswerBuffer& answer);

// Bytes 3-6 of a parameter answer.
std::int32_t parameterValueSigned(const AnswerBuffer& answer);
std::uint32_t parameterValueUnsigned(const AnswerBuffer& answer);
// Only exactly 1 means enabled.
bool clutchEnabledAnswer(const AnswerBuffer& answer);

struct BatteryAnswer
{
    std::uint8_t percent = 0;
    std::uint16_t supply = 0;
    std::uint8_t link = 0;
    bool onUsbPower() const { return supply >= 4300; }
};
BatteryAnswer batteryAnswer(const AnswerBuffer& answer);

struct AuxLampsAnswer
{
    std::uint8_t capability = 0; // model identification compares it with 1
    AuxLamps lamps;
};
AuxLampsAnswer auxLampsAnswer(const AnswerBuffer& answer);

// ---- LED image ----

constexpr std::size_t kLedSlots = 48;
constexpr std::size_t kLedLevels = kLedSlots * 3; // 144
constexpr std::size_t kLedImageSize = kLedLevels / 2; // 72
constexpr std::size_t kLedBlockBytes = 18;
constexpr std::size_t kLedBlocks = 4;

// 8-bit level of each 4-bit code.
constexpr std::array<std::uint8_t, 16> LEVELS = {0, 4, 9, 17, 28, 39, 53, 69, 86, 106, 126, 149, 173, 199, 226, 255};
// Block 2 goes last, after block 3.
constexpr std::array<int, kLedBlocks> kLedBlockWriteOrder = {0, 1, 3, 2};

using LedLevels = std::array<std::uint8_t, kLedLevels>;
using LedImage = std::array<std::uint8_t, kLedImageSize>;
using LedBlockReport = std::array<std::uint8_t, kFrameSize>;

// How a level becomes a 4-bit code when sent.
enum class LedEncoding {
    NearestAbove, // the smallest code whose level is not below the component
    UpperBits, // the component's upper four bits (the earlier releases)
};

// Smallest code whose level is not below v.
std::uint8_t ledCodeForLevel(std::uint8_t v);
std::uint8_t ledCodeForLevel(std::uint8_t v, LedEncoding encoding);
// Level 2i in the low nibble of byte i, level 2i+1 in the high nibble.
LedImage packLedImage(const LedLevels& levels, LedEncoding encoding = LedEncoding::NearestAbove);
LedLevels unpackLedImage(const LedImage& image);
// Output report 03 n followed by image bytes 18n..18n+17. A block outside 0..3 gives
// 03 00 and zeros.
LedBlockReport ledBlockReport(const LedImage& image, int block);
// The four output reports of one LED write, encoded and packed, in the order they
// are written (kLedBlockWriteOrder).
std::array<LedBlockReport, kLedBlocks> ledBlockReportsInWriteOrder(const LedLevels& levels,
                                                                   LedEncoding encoding = LedEncoding::NearestAbove);
// Copies answer bytes 2-19 of a block query into the image; a block outside 0..3
// changes nothing.
void storeLedBlockAnswer(LedImage& image, int block, const AnswerBuffer& answer);

// How a colour's red, green and blue lie in an LED slot's three levels (first, second, third).
enum class ChannelOrder : std::uint8_t {
    Rgb = 0,
    Rbg = 1,
    Grb = 2,
    Gbr = 3,
    Brg = 4,
    Bgr = 5,
};
// The colour's components placed as the order says: for Brg the result is (b, r, g).
// Rbg is its own inverse, so it also turns a slot read back into the colour it came from.
Rgb placeChannels(const Rgb& colour, ChannelOrder order);

// The three levels of slot 0..47, in level order; slot outside the image gives black.
Rgb ledSlotLevels(const LedLevels& levels, std::size_t slot);
// Writes the three levels of a slot; a slot outside the image changes nothing.
void setLedSlotLevels(LedLevels& levels, std::size_t slot, const Rgb& value);

// ---- firmware transfer ----

constexpr std::size_t kFirmwareBlockBytes = 16;
constexpr std::int64_t kMaxFirmwareSize = 229376; // 0x38000
// Block numbers are 15 bits wide; with the size limit the last is 0x37FF.
constexpr std::uint32_t kMaxFirmwareBlocks = 0x8000;

// One buffer carries a whole transfer: it is cleared once, with the report id in byte 0,
// and every frame after that only overwrites some of its bytes, so a short last block and
// the end frame keep what earlier blocks left behind.
CommandFrame firmwareTransferBuffer();
// Writes block n (n < kMaxFirmwareBlocks) into the buffer: 0x80 | n >> 8, n & 0xFF, the
// count (size, at most 16) and that many bytes from data. Bytes past the count are not
// touched. Returns the count.
std::size_t writeFirmwareBlock(CommandFrame& buffer, std::uint32_t block, const std::uint8_t* data, std::size_t size);
// Turns the buffer into the end-of-transfer frame: byte 1 = 0x10, everything else as left.
void writeEndOfTransfer(CommandFrame& buffer);

} // namespace tarvo
