#pragma once

#include <QString>

class QLocalServer;

// Listening on a local server name that may be left over. On Unix the name is a socket file in
// the temporary directory, and one left by a crashed process takes the name without anyone
// answering; such a socket is cleared away. A live server, or a file, link or folder of that
// name, is someone else's and stays: the listen fails.
class LocalServerName
{
public:
    // probeMs: how long a server holding the name has to answer before it counts as gone.
    static bool listen(QLocalServer& server, const QString& name, int probeMs);
};
