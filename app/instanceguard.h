#pragma once

#include <QString>

class QLocalServer;

// The single-instance guard: a running instance listens on a local socket named after
// the application; a new start only connects to it, which makes the running one restore.
// The guard is per user: another user's instance on the same computer is not this user's.
class InstanceGuard
{
public:
    // The local server name of the guard of the program appName, for this user.
    static QString serverName(const QString& appName);
    // The lock that makes a start's probe and its window's listening one step.
    static QString startLockPath(const QString& appName);
    // True when an instance of appName accepts a connection within timeoutMs.
    static bool probeRunningInstance(const QString& appName, int timeoutMs = 100);
    // Starts server listening as the guard of appName. A socket file left by a crashed
    // instance (on Unix) takes the name without anyone answering; it is removed once a
    // probe confirms that.
    static bool listen(QLocalServer& server, const QString& appName);
};
