#include "virtualwheel/localservername.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>

namespace {
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

bool answers(const QString& name, int probeMs)
{
    QLocalSocket socket;
    socket.connectToServer(name, QIODevice::ReadWrite);
    return socket.waitForConnected(probeMs);
}
} // namespace

bool LocalServerName::listen(QLocalServer& server, const QString& name, int probeMs)
{
    if (server.listen(name))
        return true;
    if (server.serverError() != QAbstractSocket::AddressInUseError)
        return false;
    if (answers(name, probeMs) || takenBySomethingElse(name))
        return false;
    QLocalServer::removeServer(name);
    return server.listen(name);
}
