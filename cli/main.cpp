#include "cli/tarvoctl.h"
#include "device/logging.h"

#include <QCoreApplication>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    tarvo::quietDebugByDefault();
    QCoreApplication::setApplicationName(QStringLiteral("tarvoctl"));
    QCoreApplication::setApplicationVersion(QStringLiteral("v" TARVO_VERSION));

    return Tarvoctl::runCommandLine(QCoreApplication::arguments());
}
