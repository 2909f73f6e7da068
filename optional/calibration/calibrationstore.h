// The DirectInput calibration of the wheel's clutch axes, as Windows keeps it.
//
// Qt-free, so the registry code can be built and tested with any Windows compiler. Keys are
// relative to HKEY_CURRENT_USER; a value is the 12-byte DIPROPCAL record (minimum, centre,
// maximum, each 32-bit little-endian) named "Calibration".
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace tarvo {

using CalibrationValue = std::array<std::uint8_t, 12>;

struct AxisRange
{
    std::uint32_t minimum = 0;
    std::uint32_t maximum = 4096;
};

// Where the records live: the registry on Windows, a per-user file elsewhere.
class CalibrationStore
{
public:
    virtual ~CalibrationStore() = default;
    // False when the key or value is missing, or is not exactly 12 bytes of binary data.
    virtual bool readValue(const std::string& key, CalibrationValue& value) = 0;
    // Opens or creates the key and sets the value; false when it was not stored.
    virtual bool writeValue(const std::string& key, const CalibrationValue& value) = 0;
};

// "System\CurrentControlSet\...\VID_7E57&PID_<pid as %04x>\Calibration\0\Type\Axes\<axis>".
std::string calibrationKey(std::uint16_t productId, int axis);
// Minimum, centre ((minimum + maximum) >> 1, unsigned 32-bit), maximum.
CalibrationValue encodeCalibration(const AxisRange& range);

// The stored range of an axis; 0 to 4096 when there is none.
AxisRange readAxisCalibration(CalibrationStore& store, std::uint16_t productId, int axis);
// Stores the range. A calibration that saw no reading (minimum above maximum) would break the
// axis in every game, so it is not stored and the previous record stays: false then.
bool writeAxisCalibration(CalibrationStore& store, std::uint16_t productId, int axis, const AxisRange& range);

} // namespace tarvo
