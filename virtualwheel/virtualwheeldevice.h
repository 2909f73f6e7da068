#pragma once

#include "device/hiddevice.h"

#include <cstdint>
#include <memory>

class WheelFirmware;

// One open handle on the virtual wheel. It stays dead once the wheel was unplugged,
// even after the wheel is plugged in again, as an unplugged hidraw node does.
class VirtualWheelDevice : public HidDevice
{
public:
    VirtualWheelDevice(std::shared_ptr<WheelFirmware> firmware, std::uint64_t generation);
    ~VirtualWheelDevice() override;

    int setNonBlocking(bool nonBlocking) override;
    int read(std::uint8_t* data, std::size_t length) override;
    int write(const std::uint8_t* data, std::size_t length) override;
    int sendFeatureReport(const std::uint8_t* data, std::size_t length) override;
    int getFeatureReport(std::uint8_t* data, std::size_t length) override;

private:
    std::shared_ptr<WheelFirmware> m_firmware;
    const std::uint64_t m_generation;
    bool m_blocking = true; // hidapi's default
};
