#include "device/wheellock.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLockFile>
#include <QMutex>
#include <QStandardPaths>

WheelLock::WheelLock(const QString& key)
    : m_file(std::make_unique<QLockFile>(lockFilePath(key)))
{
    // Age alone never makes a lock stale: the window holds its wheel for hours. A dead
    // holder is still found, by its process id.
    m_file->setStaleLockTime(0);
}

WheelLock::~WheelLock() = default;

WheelLock::Result WheelLock::tryLock()
{
    if (m_file->isLocked())
        return Result::Acquired;
    if (m_file->tryLock(0))
        return Result::Acquired;
    return m_file->error() == QLockFile::LockFailedError ? Result::Held : Result::Unavailable;
}

void WheelLock::unlock()
{
    if (m_file->isLocked())
        m_file->unlock();
}

bool WheelLock::isLocked() const
{
    return m_file->isLocked();
}

QString WheelLock::holder() const
{
    qint64 pid = 0;
    QString host;
    QString program;
    if (!m_file->getLockInfo(&pid, &host, &program))
        return QString();
    return QStringLiteral("%1, process %2").arg(program.isEmpty() ? QStringLiteral("unnamed") : program).arg(pid);
}

QString WheelLock::lockFilePath(const QString& key)
{
    const QString folder = runtimeFolder();
    // Device paths hold slashes and colons; a digest gives every key a plain file name.
    const QByteArray digest = QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha1).toHex().left(20);
    return folder + QStringLiteral("/tarvoset-wheel-") + QString::fromLatin1(digest) + QStringLiteral(".lock");
}

QString WheelLock::runtimeFolder()
{
    // Without XDG_RUNTIME_DIR Qt makes up a folder and warns each time it is asked; once per
    // setting of the variable is enough.
    static QMutex mutex;
    static QByteArray askedFor;
    static QString folder;
    const QMutexLocker lock(&mutex);
    const QByteArray variable = qgetenv("XDG_RUNTIME_DIR");
    if (folder.isEmpty() || variable != askedFor) {
        askedFor = variable;
        folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
        if (folder.isEmpty())
            folder = QDir::tempPath();
    }
    return folder;
}
