#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;
class VirtualWheel;

// Line-based control of a virtual wheel over a local socket.
//
// Each client writes one UTF-8 command per line and gets one line back: "ok",
// "error: <reason>" or, for "state", the wheel's state as compact JSON. A command
// that is refused changes nothing. Any number of clients; lines may arrive in pieces.
// Lives in the GUI thread; the wheel must outlive it.
class WheelControlServer : public QObject
{
    Q_OBJECT

public:
    explicit WheelControlServer(VirtualWheel* wheel, QObject* parent = nullptr);
    ~WheelControlServer() override;

    // False when the name cannot be listened on (errorString() says why). A stale socket
    // left by a crashed process is replaced; a name that another server answers, or a file,
    // link or folder of that name, is not.
    bool listen(const QString& name);
    QString errorString() const;

    // The answer to one command line (without its line end). Also for tests.
    QString execute(const QString& line);

    static constexpr int kMaxLineBytes = 4096;

private:
    struct Client
    {
        QByteArray pending;
        bool discarding = false; // inside an over-long line
    };

    void onNewConnection();
    void onReadyRead(QLocalSocket* socket);

    VirtualWheel* m_wheel;
    QLocalServer* m_server;
    QHash<QLocalSocket*, Client> m_clients;
};
