#include "app/instanceguard.h"
#include "app/mainwindow.h"
#include "device/logging.h"
#include "startup/appoptions.h"
#include "startup/appsetup.h"

#ifdef TARVO_OPTIONAL_SET
#include "optional/releases/releases.h"
#endif

#include <QApplication>
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
    tarvo::quietDebugByDefault();
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

#ifdef TARVO_OPTIONAL_SET
    tarvo::setActiveRelease(*tarvo::releaseByName(options.release.toStdString()));
    const bool guarded = !tarvo::releaseHas(tarvo::Difference::NoInstanceGuard);
#else
    const bool guarded = true;
#endif
    // Two starts at the same moment (a double click on a launcher) would both find no answer
    // and both run. The lock makes probing and the window's listening one step per start.
    QLockFile startLock(InstanceGuard::startLockPath(QCoreApplication::applicationName()));
    startLock.tryLock(10000); // should a start hang, the next one runs rather than waits for ever
    if (guarded && InstanceGuard::probeRunningInstance(QCoreApplication::applicationName())) {
        app.reset();
        QTextStream(stderr) << "TarvoSet is already running; its window has been brought to the front.\n";
        return -17;
    }

    AppSetup setup;
    QString error;
    if (!setup.apply(options, &error))
        return startupError(error);

    int result = 0;
    {
        MainWindow window;
        startLock.unlock(); // the window listens now
        window.setWindowFlags(Qt::FramelessWindowHint);
        window.show();
        result = QApplication::exec();
    }
    return result;
}
