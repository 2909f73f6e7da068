#include "app/instanceguard.h"

#include "virtualwheel/localservername.h"

#include <QLocalServer>
#include <QLocalSocket>

bool InstanceGuard::probeRunningInstance(const QString& name, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(name, QIODevice::ReadWrite);
    return socket.waitForConnected(timeoutMs);
}

bool InstanceGuard::listen(QLocalServer& server, const QString& name)
{
    return LocalServerName::listen(server, name, 100);
}
