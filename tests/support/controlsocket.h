// One command line to a virtual wheel's control socket.
#pragma once

#include <QElapsedTimer>
#include <QLocalSocket>
#include <QString>

// The answer line without its newline; "<no connection>" when nobody listens.
inline QString controlCommand(const QString& socketName, const QString& line)
{
    QLocalSocket socket;
    socket.connectToServer(socketName);
    if (!socket.waitForConnected(2000))
        return QStringLiteral("<no connection>");
    socket.write(line.toUtf8() + '\n');
    socket.waitForBytesWritten(1000);
    QByteArray answer;
    QElapsedTimer clock;
    clock.start();
    while (!answer.contains('\n') && clock.elapsed() < 3000) {
        if (socket.waitForReadyRead(100))
            answer += socket.readAll();
    }
    return QString::fromUtf8(answer).trimmed();
}
