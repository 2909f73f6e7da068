// Command lines to a virtual wheel's control socket.
#pragma once

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QString>

// One connection for many commands, each answered by one line.
class ControlSocket
{
public:
    bool connect(const QString& name)
    {
        m_socket.abort();
        m_buffer.clear();
        m_socket.connectToServer(name);
        return m_socket.waitForConnected(2000);
    }
    // The answer line without its newline, or "" when none came within the bound.
    QString send(const QString& line, int boundMs = 3000)
    {
        m_socket.write(line.toUtf8() + '\n');
        m_socket.waitForBytesWritten(boundMs);
        QElapsedTimer clock;
        clock.start();
        while (!m_buffer.contains('\n') && clock.elapsed() < boundMs)
            if (m_socket.waitForReadyRead(50))
                m_buffer += m_socket.readAll();
        const int end = m_buffer.indexOf('\n');
        if (end < 0)
            return QString();
        const QString answer = QString::fromUtf8(m_buffer.left(end)).trimmed();
        m_buffer.remove(0, end + 1);
        return answer;
    }
    QJsonObject state() { return QJsonDocument::fromJson(send(QStringLiteral("state")).toUtf8()).object(); }

private:
    QLocalSocket m_socket;
    QByteArray m_buffer;
};

// One command on a connection of its own; "<no connection>" when nobody listens.
inline QString controlCommand(const QString& socketName, const QString& line)
{
    ControlSocket socket;
    if (!socket.connect(socketName))
        return QStringLiteral("<no connection>");
    return socket.send(line);
}
