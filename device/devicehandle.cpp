#include "device/devicehandle.h"

#include "device/wheellock.h"

DeviceHandle deviceHandle;

DeviceHandle::DeviceHandle() = default;
DeviceHandle::~DeviceHandle() = default;

void DeviceHandle::FifoLock::lock()
{
    std::unique_lock<std::mutex> guard(m_mutex);
    const unsigned long long ticket = m_nextTicket++;
    m_turn.wait(guard, [&] { return m_serving == ticket; });
}

void DeviceHandle::FifoLock::unlock()
{
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        ++m_serving;
    }
    m_turn.notify_all();
}

void DeviceHandle::setBackend(HidBackend* backend)
{
    std::lock_guard<FifoLock> lock(m_mutex);
    m_backend = backend;
}

HidBackend* DeviceHandle::backend() const
{
    std::lock_guard<FifoLock> lock(m_mutex);
    return m_backend;
}

int DeviceHandle::init()
{
    std::lock_guard<FifoLock> lock(m_mutex);
    return m_backend ? m_backend->init() : -1;
}

bool DeviceHandle::open(std::uint16_t vendorId, std::uint16_t productId)
{
    std::lock_guard<FifoLock> lock(m_mutex);
    // Close first: a backend may refuse a second open of the same device.
    m_device.reset();
    m_lock.reset();
    if (!m_backend)
        return false;
    m_device = m_backend->open(vendorId, productId);
    return m_device != nullptr;
}

void DeviceHandle::close()
{
    std::lock_guard<FifoLock> lock(m_mutex);
    m_device.reset();
    m_lock.reset();
}

void DeviceHandle::keepLockWhileOpen(std::unique_ptr<WheelLock> wheelLock)
{
    std::lock_guard<FifoLock> lock(m_mutex);
    m_lock = m_device ? std::move(wheelLock) : nullptr;
}

bool DeviceHandle::isOpen() const
{
    std::lock_guard<FifoLock> lock(m_mutex);
    return m_device != nullptr;
}

int DeviceHandle::setNonBlocking(bool nonBlocking)
{
    std::lock_guard<FifoLock> lock(m_mutex);
    return m_device ? m_device->setNonBlocking(nonBlocking) : -1;
}

int DeviceHandle::read(std::uint8_t* data, std::size_t length)
{
    std::lock_guard<FifoLock> lock(m_mutex);
    return m_device ? m_device->read(data, length) : -1;
}

int DeviceHandle::write(const std::uint8_t* data, std::size_t length)
{
    std::lock_guard<FifoLock> lock(m_mutex);
    return m_device ? m_device->write(data, length) : -1;
}

int DeviceHandle::sendFeatureReport(const std::uint8_t* data, std::size_t length)
{
    std::lock_guard<FifoLock> lock(m_mutex);
    return m_device ? m_device->sendFeatureReport(data, length) : -1;
}

int DeviceHandle::getFeatureReport(std::uint8_t* data, std::size_t length)
{
    std::lock_guard<FifoLock> lock(m_mutex);
    return m_device ? m_device->getFeatureReport(data, length) : -1;
}

int DeviceHandle::send(const tarvo::CommandFrame& frame)
{
    return sendFeatureReport(frame.data(), frame.size());
}

void DeviceHandle::setAnswerLength(AnswerLength rule)
{
    std::lock_guard<FifoLock> lock(m_mutex);
    m_answerLength = rule;
}

DeviceHandle::ExchangeResult DeviceHandle::exchange(tarvo::AnswerBuffer& buffer)
{
    std::lock_guard<FifoLock> lock(m_mutex);
    if (!m_device)
        return ExchangeResult::NoDevice;
    if (m_device->sendFeatureReport(buffer.data(), tarvo::kFrameSize) < 0)
        return ExchangeResult::Failed;
    std::size_t length = tarvo::kAnswerSize;
    if (m_answerLength) {
        length = m_answerLength(buffer);
        // Whatever a device left in byte 0, the read names the report again.
        buffer[0] = tarvo::kFeatureReportId;
    }
    if (m_device->getFeatureReport(buffer.data(), length) < 0)
        return ExchangeResult::Failed;
    return ExchangeResult::Answered;
}
