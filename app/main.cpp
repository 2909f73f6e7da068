#include "app/appoptions.h"
#include "app/instanceguard.h"
#include "app/mainwindow.h"
#include "device/devicehandle.h"
#include "device/hidapibackend.h"
#include "device/hidtrace.h"
#include "firmware/updateserver.h"
#include "virtualwheel/virtualwheel.h"
#include "virtualwheel/wheelcontrolserver.h"

#include <QApplication>
#include <QDir>
#include <QLockFile>
#include <QTextStream>
#include <memory>

namespace {
int startupError(const QString& message)
{
    QTextStream(stderr) << QCoreApplication::applicationName() << ": " << message << '\n';
    return 2;
}
} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication::setApplicationVersion(QStringLiteral("v1.20"));
    // Help, version and usage errors are answered before anything needs a display.
    AppOptionsResult parsed;
    {
        QCoreApplication commandLine(argc, argv);
        parsed = parseAppOptions(QCoreApplication::arguments());
    }
    if (!parsed.run)
        return parsed.exitCode;

    auto app = std::make_unique<QApplication>(argc, argv);
    const AppOptions& options = parsed.options;

    // Two starts at the same moment (a double click on a launcher) would both find no answer
    // and both run. The lock makes probing and the window's listening one step per start.
    QLockFile startLock(QDir::temp().filePath(QCoreApplication::applicationName() + QStringLiteral(".start.lock")));
    startLock.tryLock(10000); // should a start hang, the next one runs rather than waits for ever
    if (InstanceGuard::probeRunningInstance(QCoreApplication::applicationName())) {
        app.reset();
        QTextStream(stderr) << "TarvoSet is already running; its window has been brought to the front.\n";
        return -17;
    }

    // The backend chain: the virtual wheel or hidapi, optionally wrapped by the trace.
    std::unique_ptr<VirtualWheel> virtualWheel;
    std::unique_ptr<WheelControlServer> controlServer;
    std::unique_ptr<HidApiBackend> hidapi;
    HidBackend* backend = nullptr;
    if (options.virtualWheel) {
        virtualWheel = std::make_unique<VirtualWheel>(options.virtualWheelModel, options.virtualWheelPid);
        QString error;
        if (!options.virtualWheelState.isEmpty() && !virtualWheel->attachStateFile(options.virtualWheelState, &error))
            return startupError(error);
        if (!options.wheelControl.isEmpty()) {
            controlServer = std::make_unique<WheelControlServer>(virtualWheel.get());
            if (!controlServer->listen(options.wheelControl))
                return startupError(
                    QStringLiteral("cannot listen on wheel control socket '%1'").arg(options.wheelControl));
        }
        virtualWheel->setDemo(options.demo);
        backend = virtualWheel.get();
    } else {
        hidapi = std::make_unique<HidApiBackend>();
        backend = hidapi.get();
    }
    std::unique_ptr<HidTrace> trace;
    if (!options.hidTrace.isEmpty()) {
        trace = std::make_unique<HidTrace>(backend, options.hidTrace);
        if (!trace->isOpen())
            return startupError(QStringLiteral("cannot write the HID trace '%1'").arg(options.hidTrace));
        backend = trace.get();
    }
    deviceHandle.setBackend(backend);
    if (!options.updateServer.isEmpty())
        setUpdateServerBaseUrl(options.updateServer);
    setUpdateCaCertificates(options.caCertificates);

    int result = 0;
    {
        MainWindow window;
        startLock.unlock(); // the window listens now
        window.setWindowFlags(Qt::FramelessWindowHint);
        window.show();
        result = QApplication::exec();
    }
    // The handle's device may belong to the virtual wheel or the trace below; close it first.
    deviceHandle.close();
    deviceHandle.setBackend(nullptr);
    return result;
}
