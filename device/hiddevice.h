#pragma once

#include <cstddef>
#include <cstdint>

// One open HID device. The calls mirror hidapi's and return what hidapi would:
// a byte count, 0 (read: nothing pending), or a negative value on failure.
// Destroying the object closes the device.
//
// Implementations need not be thread-safe: DeviceHandle serialises every call.
class HidDevice
{
public:
    virtual ~HidDevice() = default;

    virtual int setNonBlocking(bool nonBlocking) = 0;
    virtual int read(std::uint8_t* data, std::size_t length) = 0;
    virtual int write(const std::uint8_t* data, std::size_t length) = 0;
    virtual int sendFeatureReport(const std::uint8_t* data, std::size_t length) = 0;
    virtual int getFeatureReport(std::uint8_t* data, std::size_t length) = 0;
};
