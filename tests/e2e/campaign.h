// Shared pieces of the unplug-anywhere campaign: the seed and point count, a watchdog that
// names the seed when the program hangs, and a backend that strikes at a chosen HID call.
#pragma once

#include "virtualwheel/virtualwheel.h"

#include <QByteArray>
#include <QString>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace campaign {

enum class Fault { None, Unplug, FailSends, FailGets, FailWrites };

inline const char* faultName(Fault fault)
{
    switch (fault) {
    case Fault::None:
        return "none";
    case Fault::Unplug:
        return "unplug";
    case Fault::FailSends:
        return "fail-sends";
    case Fault::FailGets:
        return "fail-gets";
    case Fault::FailWrites:
        return "fail-writes";
    }
    return "?";
}

// Aborts the process, naming the seed and the point, when the test stops making progress:
// a hang must end with a way to replay it, not with ctest's timeout.
class Watchdog
{
public:
    explicit Watchdog(int limitSeconds)
        : m_limit(limitSeconds)
        , m_thread([this] { watch(); })
    {
    }
    ~Watchdog()
    {
        m_stop = true;
        m_thread.join();
    }
    void alive(const QByteArray& where)
    {
        std::lock_guard lock(m_mutex);
        m_where = where;
        m_last = std::chrono::steady_clock::now();
    }

private:
    void watch()
    {
        while (!m_stop) {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            std::lock_guard lock(m_mutex);
            if (std::chrono::steady_clock::now() - m_last > std::chrono::seconds(m_limit)) {
                std::fprintf(stderr, "campaign: no progress for %d s at %s\n", m_limit, m_where.constData());
                std::abort();
            }
        }
    }

    const int m_limit;
    std::mutex m_mutex;
    QByteArray m_where = "start";
    std::chrono::steady_clock::time_point m_last = std::chrono::steady_clock::now();
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

// Passes every call to the wheel; once armed, the call of the given number (counting feature
// sends, feature reads and output writes from 1, on any thread) first meets the fault.
class Striker : public HidBackend
{
public:
    explicit Striker(VirtualWheel& wheel)
        : m_wheel(wheel)
    {
    }

    void arm(int moment, Fault fault, int count)
    {
        std::lock_guard lock(m_mutex);
        m_countdown = moment;
        m_fault = fault;
        m_count = count;
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

    int init() override { return m_wheel.init(); }
    std::unique_ptr<HidDevice> open(std::uint16_t vendorId, std::uint16_t productId) override
    {
        std::unique_ptr<HidDevice> inner = m_wheel.open(vendorId, productId);
        return inner ? std::make_unique<Device>(*this, std::move(inner)) : nullptr;
    }

private:
    class Device : public HidDevice
    {
    public:
        Device(Striker& owner, std::unique_ptr<HidDevice> inner)
            : m_owner(owner)
            , m_inner(std::move(inner))
        {
        }
        int setNonBlocking(bool on) override { return m_inner->setNonBlocking(on); }
        int read(std::uint8_t* data, std::size_t length) override { return m_inner->read(data, length); }
        int write(const std::uint8_t* data, std::size_t length) override
        {
            return m_owner.tick(true) ? -1 : m_inner->write(data, length);
        }
        int sendFeatureReport(const std::uint8_t* data, std::size_t length) override
        {
            m_owner.tick(false);
            return m_inner->sendFeatureReport(data, length);
        }
        int getFeatureReport(std::uint8_t* data, std::size_t length) override
        {
            m_owner.tick(false);
            return m_inner->getFeatureReport(data, length);
        }

    private:
        Striker& m_owner;
        std::unique_ptr<HidDevice> m_inner;
    };

    // True when this call is an output write that must fail.
    bool tick(bool isWrite)
    {
        std::lock_guard lock(m_mutex);
        if (m_countdown > 0 && --m_countdown == 0) {
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
        if (isWrite && m_failWrites > 0) {
            --m_failWrites;
            return true;
        }
        return false;
    }

    VirtualWheel& m_wheel;
    mutable std::mutex m_mutex;
    int m_countdown = -1;
    Fault m_fault = Fault::None;
    int m_count = 0;
    int m_failWrites = 0;
    bool m_struck = false;
};

} // namespace campaign
