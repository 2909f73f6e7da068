#pragma once

#include "device/hiddevice.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Where devices come from: hidapi for real wheels, the virtual wheel otherwise,
// optionally wrapped by the HID trace.
class HidBackend
{
public:
    virtual ~HidBackend() = default;

    // Called once at start; the result is informative only.
    virtual int init() = 0;
    // Opens the first device with this vendor and product id; null when none opens.
    virtual std::unique_ptr<HidDevice> open(std::uint16_t vendorId, std::uint16_t productId) = 0;

    struct PresentDevice
    {
        std::uint16_t productId = 0;
        std::string path; // hidraw node, or a description of a device that has none
        bool noPermission = false; // the node exists but this user may not open it
    };
    // Every device of this vendor that is present, opened or not, in the backend's order.
    virtual std::vector<PresentDevice> enumerate(std::uint16_t /*vendorId*/) { return {}; }
    // Names the device that open() would open, for the lock between TarvoSet programs;
    // empty when there is none, or when nothing outside this process can reach it.
    virtual std::string lockKey(std::uint16_t /*vendorId*/, std::uint16_t /*productId*/) { return {}; }
};
