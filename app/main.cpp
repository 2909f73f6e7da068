#include "app/appoptions.h"
#include "app/backendchain.h"
#include "app/instanceguard.h"
#include "app/mainwindow.h"
#include "device/devicehandle.h"
#include "firmware/updateserver.h"

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

    if (InstanceGuard::probeRunningInstance(QCoreApplication::applicationName())) {
        app.reset();
        return -17;
    }

    BackendChain chain;
    QString error;
    if (!chain.setUp(options, &error))
        return startupError(error);
    deviceHandle.setBackend(chain.backend());
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
