// A pass-through in front of a virtual wheel that strikes at a chosen HID call: the wheel is
// pulled, or sends, reads or output writes fail. It also keeps every firmware frame the
// program tried to send and counts the opens.
#pragma once

#include "virtualwheel/virtualwheel.h"

#include <QByteArray>
#include <QList>
#include <mutex>

class FaultyHid : public HidBackend
{
public:
    enum class Fault { None, Unplug, FailSends, FailGets, FailWrites };
    // What the moment counts: every feature send, feature read and output write, or only the
    // firmware frames (blocks and end frame).
    enum class Counting { Calls, FirmwareFrames };

    explicit FaultyHid(VirtualWheel& wheel)
        : m_wheel(wheel)
    {
    }

    // The moment-th counted call from now (from 1, on any thread) first meets the fault;
    // failing sends or reads fail that call and the next count - 1 of its kind.
    void arm(int moment, Fault fault, int count = 1, Counting counting = Counting::Calls)
    {
        std::lock_guard lock(m_mutex);
        m_countdown = moment;
        m_fault = fault;
        m_count = count;
        m_counting = counting;
        m_struck = false;
    }
    // Ends the fault's reach: a count the operation did not use up must not hit the next one.
    void disarm()
    {
        std::lock_guard lock(m_mutex);
        m_countdown = -1;
        m_failWrites = 0;
        m_wheel.failSends(0);
        m_wheel.failGets(0);
    }
    bool struck() const
    {
        std::lock_guard lock(m_mutex);
        return m_struck;
    }
    // Every firmware frame handed to a send, sent or not.
    QList<QByteArray> firmwareFrames() const
    {
        std::lock_guard lock(m_mutex);
        return m_firmwareFrames;
    }
    int opens() const
    {
        std::lock_guard lock(m_mutex);
        return m_opens;
    }

    int init() override { return m_wheel.init(); }
    std::unique_ptr<HidDevice> open(std::uint16_t vendorId, std::uint16_t productId) override
    {
        std::unique_ptr<HidDevice> inner = m_wheel.open(vendorId, productId);
        if (!inner)
            return nullptr;
        std::lock_guard lock(m_mutex);
        ++m_opens;
        return std::make_unique<Device>(*this, std::move(inner));
    }
    std::vector<PresentDevice> enumerate(std::uint16_t vendorId) override { return m_wheel.enumerate(vendorId); }
    std::string lockKey(std::uint16_t vendorId, std::uint16_t productId) override
    {
        return m_wheel.lockKey(vendorId, productId);
    }

private:
    enum class Call { Send, Get, Write };

    class Device : public HidDevice
    {
    public:
        Device(FaultyHid& owner, std::unique_ptr<HidDevice> inner)
            : m_owner(owner)
            , m_inner(std::move(inner))
        {
        }
        int setNonBlocking(bool on) override { return m_inner->setNonBlocking(on); }
        int read(std::uint8_t* data, std::size_t length) override { return m_inner->read(data, length); }
        int write(const std::uint8_t* data, std::size_t length) override
        {
            return m_owner.tick(Call::Write, data, length) ? -1 : m_inner->write(data, length);
        }
        int sendFeatureReport(const std::uint8_t* data, std::size_t length) override
        {
            m_owner.tick(Call::Send, data, length);
            return m_inner->sendFeatureReport(data, length);
        }
        int getFeatureReport(std::uint8_t* data, std::size_t length) override
        {
            m_owner.tick(Call::Get, data, length);
            return m_inner->getFeatureReport(data, length);
        }

    private:
        FaultyHid& m_owner;
        std::unique_ptr<HidDevice> m_inner;
    };

    // True when this call is an output write that must fail; failing sends and reads are the
    // wheel's own, so the call that strikes meets them already.
    bool tick(Call call, const std::uint8_t* data, std::size_t length)
    {
        std::lock_guard lock(m_mutex);
        // A firmware frame: a block (command bit 7) or the end frame (0x10).
        const bool firmware = call == Call::Send && length > 1 && ((data[1] & 0x80) || data[1] == 0x10);
        if (firmware)
            m_firmwareFrames.append(QByteArray(reinterpret_cast<const char*>(data), qsizetype(length)));
        const bool counted = m_counting == Counting::Calls || firmware;
        if (counted && m_countdown > 0 && --m_countdown == 0) {
            m_struck = true;
            switch (m_fault) {
            case Fault::Unplug:
                m_wheel.unplug();
                break;
            case Fault::FailSends:
                m_wheel.failSends(m_count);
                break;
            case Fault::FailGets:
                m_wheel.failGets(m_count);
                break;
            case Fault::FailWrites:
                m_failWrites = m_count;
                break;
            case Fault::None:
                break;
            }
        }
        if (call == Call::Write && m_failWrites > 0) {
            --m_failWrites;
            return true;
        }
        return false;
    }

    VirtualWheel& m_wheel;
    mutable std::mutex m_mutex;
    QList<QByteArray> m_firmwareFrames;
    int m_countdown = -1;
    Fault m_fault = Fault::None;
    int m_count = 0;
    Counting m_counting = Counting::Calls;
    int m_failWrites = 0;
    bool m_struck = false;
    int m_opens = 0;
};
