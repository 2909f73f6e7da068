// A window of the optional build, behaving as one release, connected to a virtual wheel.
#pragma once

#include "app/mainwindow.h"
#include "device/devicehandle.h"
#include "device/hidtrace.h"
#include "optional/releases/releases.h"
#include "support/mainwindowprobe.h"
#include "virtualwheel/virtualwheel.h"

#include <QTest>
#include <memory>

class OptionalWindow
{
public:
    // With a trace path, every HID call is also written there (device/hidtrace.h).
    OptionalWindow(tarvo::Release release, const QString& model, std::uint16_t productId = 0x2007,
                   const QString& tracePath = QString())
        : wheel(model, productId)
    {
        tarvo::setActiveRelease(release);
        if (!tracePath.isEmpty())
            trace = std::make_unique<HidTrace>(&wheel, tracePath);
        deviceHandle.setBackend(trace ? static_cast<HidBackend*>(trace.get()) : &wheel);
        window = std::make_unique<MainWindow>();
    }

    ~OptionalWindow()
    {
        window.reset();
        deviceHandle.close();
        deviceHandle.setBackend(nullptr);
        tarvo::setActiveRelease(tarvo::Release::V120);
    }

    // The posted connection step has run, including its zero-delay starts.
    bool waitConnected()
    {
        const bool connected =
            QTest::qWaitFor([&] { return MainWindowProbe::eventThread(*window).isRunning() && deviceHandle.isOpen(); });
        QTest::qWait(50);
        return connected;
    }

    Ui::MainWindow* ui() { return MainWindowProbe::ui(*window); }

    // A 16-byte input report with the two raw clutch readings.
    void feedPaddles(quint16 right, quint16 left)
    {
        QByteArray report(16, '\0');
        report[0] = char(right & 0xFF);
        report[1] = char(right >> 8);
        report[2] = char(left & 0xFF);
        report[3] = char(left >> 8);
        QMetaObject::invokeMethod(window.get(), "onJoystickEvent", Qt::DirectConnection, Q_ARG(QByteArray, report));
    }

    VirtualWheel wheel;
    std::unique_ptr<HidTrace> trace;
    std::unique_ptr<MainWindow> window;
};
