#include "virtualwheel/virtualwheeldevice.h"

#include "virtualwheel/wheelfirmware.h"

VirtualWheelDevice::VirtualWheelDevice(std::shared_ptr<WheelFirmware> firmware, std::uint64_t generation)
    : m_firmware(std::move(firmware))
    , m_generation(generation)
{
}

VirtualWheelDevice::~VirtualWheelDevice()
{
    m_firmware->closeDevice(m_generation);
}

int VirtualWheelDevice::setNonBlocking(bool nonBlocking)
{
    // Like hidapi, only a flag of the handle: it succeeds on a dead device too.
    m_blocking = !nonBlocking;
    return 0;
}

int VirtualWheelDevice::read(std::uint8_t* data, std::size_t length)
{
    return m_firmware->read(m_generation, m_blocking, data, length);
}

int VirtualWheelDevice::write(const std::uint8_t* data, std::size_t length)
{
    return m_firmware->write(m_generation, data, length);
}

int VirtualWheelDevice::sendFeatureReport(const std::uint8_t* data, std::size_t length)
{
    return m_firmware->sendFeatureReport(m_generation, data, length);
}

int VirtualWheelDevice::getFeatureReport(std::uint8_t* data, std::size_t length)
{
    return m_firmware->getFeatureReport(m_generation, data, length);
}
