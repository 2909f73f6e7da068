#include "optional/calibration/calibrationstore.h"

#include <cstdio>

namespace tarvo {

namespace {

void putU32(std::uint8_t* at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        at[i] = std::uint8_t(v >> (8 * i));
}

std::uint32_t getU32(const std::uint8_t* at)
{
    return std::uint32_t(at[0]) | std::uint32_t(at[1]) << 8 | std::uint32_t(at[2]) << 16 | std::uint32_t(at[3]) << 24;
}

} // namespace

std::string calibrationKey(std::uint16_t productId, int axis)
{
    char pid[8];
    std::snprintf(pid, sizeof pid, "%04x", unsigned(productId));
    return std::string("System\\CurrentControlSet\\Control\\MediaProperties\\PrivateProperties\\DirectInput\\"
                       "VID_7E57&PID_")
        + pid + "\\Calibration\\0\\Type\\Axes\\" + std::to_string(axis);
}

CalibrationValue encodeCalibration(const AxisRange& range)
{
    CalibrationValue value{};
    putU32(&value[0], range.minimum);
    putU32(&value[4], (range.minimum + range.maximum) >> 1);
    putU32(&value[8], range.maximum);
    return value;
}

AxisRange readAxisCalibration(CalibrationStore& store, std::uint16_t productId, int axis)
{
    CalibrationValue value{};
    if (!store.readValue(calibrationKey(productId, axis), value))
        return AxisRange{};
    return AxisRange{getU32(&value[0]), getU32(&value[8])};
}

bool writeAxisCalibration(CalibrationStore& store, std::uint16_t productId, int axis, const AxisRange& range)
{
    if (range.minimum > range.maximum)
        return false;
    return store.writeValue(calibrationKey(productId, axis), encodeCalibration(range));
}

} // namespace tarvo
