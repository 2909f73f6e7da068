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
};
