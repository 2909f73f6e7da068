#pragma once

#include "device/hiddevice.h"

#include <cstdint>
#include <memory>

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
};
