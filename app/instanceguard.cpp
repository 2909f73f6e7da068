#include "app/instanceguard.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>

namespace {
// On Unix the server's name is a socket file in the temporary directory. Only a socket may
// be cleared away; a file, link or folder of that name belongs to someone else.
bool takenBySomethingElse(const QString& name)
{
#ifdef Q_OS_UNIX
    const QFileInfo info(QDir::isAbsolutePath(name) ? name : QDir::temp().filePath(name));
    return info.isSymLink() || info.isFile() || info.isDir();
#else
    Q_UNUSED(name);
    return false;
#endif
}
} // namespace

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
    if (probeRunningInstance(name) || takenBySomethingElse(name))
        return false;
    QLocalServer::removeServer(name);
    return server.listen(name);
}
