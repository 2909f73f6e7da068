#pragma once

#include <QString>
#include <memory>

class QLockFile;

// The lock that keeps the window and tarvoctl off one wheel at the same time: their
// feature-report exchanges would interleave. One lock file per wheel in the user's
// runtime folder, named after the wheel's lock key (HidBackend::lockKey). A lock left
// by a process that has died is taken over at once; a living holder keeps it however
// long it holds it.
class WheelLock
{
public:
    explicit WheelLock(const QString& key);
    ~WheelLock(); // releases the lock
    WheelLock(const WheelLock&) = delete;
    WheelLock& operator=(const WheelLock&) = delete;

    enum class Result {
        Acquired,
        Held, // another living process holds it
        Unavailable, // the lock file cannot be made (no runtime folder, no permission)
    };
    Result tryLock();
    void unlock();
    bool isLocked() const;
    // Who holds the lock, as far as its file says ("tarvoctl, process 4711"); empty when
    // it does not say.
    QString holder() const;

    // Where the lock of key lives.
    static QString lockFilePath(const QString& key);
    // The user's runtime folder (Qt's runtime location), where TarvoSet's per-user locks
    // and sockets live; the temporary folder where there is none.
    static QString runtimeFolder();

private:
    std::unique_ptr<QLockFile> m_file;
};
