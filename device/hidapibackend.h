#pragma once

#include "device/hidbackend.h"

// Real wheels through hidapi.
class HidApiBackend : public HidBackend
{
public:
    ~HidApiBackend() override;
    int init() override;
    std::unique_ptr<HidDevice> open(std::uint16_t vendorId, std::uint16_t productId) override;
};
