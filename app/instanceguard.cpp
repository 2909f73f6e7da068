#include "app/instanceguard.h"

#include "device/wheellock.h"
#include "virtualwheel/localservername.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>

QString InstanceGuard::serverName(const QString& appName)
{
#ifdef Q_OS_WIN
    // Pipe names are one namespace for every session of the computer; the user's own
    // profile folder keeps two users' guards apart.
    const QByteArray user = QCryptographicHash::hash(QDir::homePath().toUtf8(), QCryptographicHash::Sha1).toHex();
    return appName + QLatin1Char('-') + QString::fromLatin1(user.left(16));
#else
    // A bare name would be a socket in the shared temporary folder, where another user's
    // instance holds it and this user could neither reach nor replace it.
    return WheelLock::runtimeFolder() + QLatin1Char('/') + appName;
#endif
}

QString InstanceGuard::startLockPath(const QString& appName)
{
#ifdef Q_OS_WIN
    // The temporary folder is the user's own there; the pipe name is no path.
    return QDir::temp().filePath(serverName(appName) + QStringLiteral(".start.lock"));
#else
    return serverName(appName) + QStringLiteral(".start.lock");
#endif
}

bool InstanceGuard::probeRunningInstance(const QString& appName, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(serverName(appName), QIODevice::ReadWrite);
    return socket.waitForConnected(timeoutMs);
}

bool InstanceGuard::listen(QLocalServer& server, const QString& appName)
{
    return LocalServerName::listen(server, serverName(appName), 100);
}
