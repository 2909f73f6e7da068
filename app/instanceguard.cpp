#include "app/instanceguard.h"

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
    if (server.listen(name))
        return true;
    if (server.serverError() != QAbstractSocket::AddressInUseError)
        return false;
    // Someone else may have started listening since our probe; never take a live name.
    if (probeRunningInstance(name))
        return false;
    QLocalServer::removeServer(name);
    return server.listen(name);
}
