#include "app/appoptions.h"
#include "app/appsetup.h"
#include "app/instanceguard.h"
#include "app/mainwindow.h"

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

    AppSetup setup;
    QString error;
    if (!setup.apply(options, &error))
        return startupError(error);

    int result = 0;
    {
        MainWindow window;
        window.setWindowFlags(Qt::FramelessWindowHint);
        window.show();
        result = QApplication::exec();
    }
    return result;
}
