#include "app/appoptions.h"
#include "app/instanceguard.h"
#include "app/mainwindow.h"
#include "device/devicehandle.h"
#include "device/hidapibackend.h"
#include "device/hidtrace.h"
#include "firmware/updateserver.h"
#include "virtualwheel/virtualwheel.h"
#include "virtualwheel/wheelcontrolserver.h"

#ifdef TARVO_OPTIONAL_SET
#include "bluetooth/releases.h"
#endif

#include <QApplication>
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
    auto app = std::make_unique<QApplication>(argc, argv);
    QCoreApplication::setApplicationVersion(QStringLiteral("v1.20"));

    const AppOptionsResult parsed = parseAppOptions(QCoreApplication::arguments());
    if (!parsed.run)
        return parsed.exitCode;
    const AppOptions& options = parsed.options;

#ifdef TARVO_OPTIONAL_SET
    tarvo::setActiveRelease(*tarvo::releaseByName(options.release.toStdString()));
    const bool guarded = !tarvo::releaseHas(tarvo::Difference::NoInstanceGuard);
#else
    const bool guarded = true;
#endif
    if (guarded && InstanceGuard::probeRunningInstance(QCoreApplication::applicationName())) {
        app.reset();
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
        window.setWindowFlags(Qt::FramelessWindowHint);
        window.show();
        result = QApplication::exec();
    }
    // The handle's device may belong to the virtual wheel or the trace below; close it first.
    deviceHandle.close();
    deviceHandle.setBackend(nullptr);
    return result;
}
