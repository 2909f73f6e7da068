#pragma once

#include <QString>

class QLocalServer;

// The single-instance guard: a running instance listens on a local socket named after
// the application; a new start only connects to it, which makes the running one restore.
class InstanceGuard
{
public:
    // True when an instance accepts a connection on name within timeoutMs.
    static bool probeRunningInstance(const QString& name, int timeoutMs = 100);
    // Starts server listening on name. A socket file left by a crashed instance (on Unix)
    // takes the name without anyone answering; it is removed once a probe confirms that.
    static bool listen(QLocalServer& server, const QString& name);
};
