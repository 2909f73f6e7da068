// Pieces of the unplug-anywhere campaign: the faults' names and a watchdog that names the seed
// when the program hangs.
#pragma once

#include "support/faultyhid.h"

#include <QByteArray>
#include <QString>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace campaign {

using Fault = FaultyHid::Fault;

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

} // namespace campaign
