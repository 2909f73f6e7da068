#include "device/tarvoevent.h"

#include "device/devicehandle.h"
#include "device/logging.h"
#include "protocol/wheelprotocol.h"

#include <array>
#include <cstdint>

void TarvoEvent::run()
{
    // Reused across reads on purpose: a short read leaves the previous report's values
    // in the bytes it did not fill.
    std::array<std::uint8_t, tarvo::kInputReportSize> buffer{};

    deviceHandle.setNonBlocking(true);
    for (;;) {
        if (isInterruptionRequested())
            break;
        if (!deviceHandle.isOpen()) {
            if (m_reportsEveryEnd)
                break;
            // Closed elsewhere: nothing of ours to close or report on.
            emit deviceDisconnect();
            return;
        }
        const int result = deviceHandle.read(buffer.data(), buffer.size());
        if (result < 0)
            break; // typically the wheel was unplugged
        if (result == 0) {
            QThread::msleep(10);
            continue;
        }
        // The report id in byte 0 is not passed on.
        emit eventTrigger(QByteArray(reinterpret_cast<const char*>(buffer.data()) + 1, int(buffer.size()) - 1));
    }

    if (m_reportsEveryEnd) {
        QThread::msleep(50);
        if (deviceHandle.isOpen())
            deviceHandle.close();
        emit deviceDisconnect();
        return;
    }
    if (deviceHandle.isOpen())
        deviceHandle.close();
    if (!isInterruptionRequested())
        emit deviceDisconnect();
    qCDebug(lcDevice, "joystick event thread done.");
}
