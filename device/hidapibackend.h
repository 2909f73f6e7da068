#pragma once

#include "device/hidbackend.h"

// Real wheels through hidapi. init() calls hid_init(); open() is hid_open with no
// serial number, and destroying the returned device calls hid_close.
class HidApiBackend : public HidBackend
{
public:
    ~HidApiBackend() override;
    int init() override;
    std::unique_ptr<HidDevice> open(std::uint16_t vendorId, std::uint16_t productId) override;
    std::vector<PresentDevice> enumerate(std::uint16_t vendorId) override;
    // The path of the first device hid_enumerate lists for the ids, which is the one hid_open opens.
    std::string lockKey(std::uint16_t vendorId, std::uint16_t productId) override;
};
