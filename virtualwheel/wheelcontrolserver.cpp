#include "virtualwheel/wheelcontrolserver.h"

#include "virtualwheel/commandarguments.h"
#include "virtualwheel/localservername.h"
#include "virtualwheel/virtualwheel.h"

#include <QJsonDocument>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStringList>

namespace {

constexpr int kModelTextBytes = 19;
constexpr int kVersionTextBytes = 20;

QString errorLine(const QString& why)
{
    return QStringLiteral("error: ") + why;
}

} // namespace

WheelControlServer::WheelControlServer(VirtualWheel* wheel, QObject* parent)
    : QObject(parent)
    , m_wheel(wheel)
    , m_server(new QLocalServer(this))
{
    connect(m_server, &QLocalServer::newConnection, this, &WheelControlServer::onNewConnection);
}

WheelControlServer::~WheelControlServer() = default;

bool WheelControlServer::listen(const QString& name)
{
    return LocalServerName::listen(*m_server, name, 200);
}

QString WheelControlServer::errorString() const
{
    return m_server->errorString();
}

void WheelControlServer::onNewConnection()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        m_clients.insert(socket, Client());
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
            m_clients.remove(socket);
            socket->deleteLater();
        });
        // Lines that came with the connection.
        if (socket->bytesAvailable() > 0)
            onReadyRead(socket);
    }
}

void WheelControlServer::onReadyRead(QLocalSocket* socket)
{
    auto it = m_clients.find(socket);
    if (it == m_clients.end())
        return;
    Client& client = it.value();
    QByteArray answers;
    const QByteArray data = socket->readAll();
    for (char c : data) {
        if (c != '\n') {
            if (client.discarding)
                continue;
            client.pending.append(c);
            // A client that never ends its line must not grow the buffer without end.
            if (client.pending.size() > kMaxLineBytes) {
                client.pending.clear();
                client.discarding = true;
            }
            continue;
        }
        QString answer;
        if (client.discarding) {
            answer = errorLine(QStringLiteral("line longer than %1 bytes").arg(kMaxLineBytes));
            client.discarding = false;
        } else {
            QByteArray line = client.pending;
            if (line.endsWith('\r'))
                line.chop(1);
            answer = execute(QString::fromUtf8(line));
        }
        client.pending.clear();
        answers += answer.toUtf8() + '\n';
    }
    if (answers.isEmpty())
        return;
    socket->write(answers);
    // A client that has finished writing (a shell pipe into socat) half-closes its end; the
    // socket closes at that end of input, and answers still waiting in its buffer would be lost.
    socket->flush();
}

QString WheelControlServer::execute(const QString& line)
{
    const int space = int(line.indexOf(QLatin1Char(' ')));
    const QString word = space < 0 ? line : line.left(space);
    const QString rest = space < 0 ? QString() : line.mid(space + 1);
    const QStringList args = rest.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QString why;

    const auto noArguments = [&] {
        if (args.isEmpty())
            return true;
        why = QStringLiteral("%1 takes no arguments").arg(word);
        return false;
    };
    const auto argumentCount = [&](int count, const QString& usage) {
        if (args.size() == count)
            return true;
        why = QStringLiteral("usage: %1 %2").arg(word, usage);
        return false;
    };
    const auto number = [&](int i, const QString& name, qint64 min, qint64 max, qint64* out) {
        return CommandArguments::integer(args.at(i), name, min, max, out, &why);
    };

    if (word == QLatin1String("input")) {
        QByteArray report;
        if (!argumentCount(1, "HEX") || !CommandArguments::hexBytes(args.at(0), 1, 16, &report, &why))
            return errorLine(why);
        m_wheel->queueInput(report);
    } else if (word == QLatin1String("unplug")) {
        if (!noArguments())
            return errorLine(why);
        m_wheel->unplug();
    } else if (word == QLatin1String("plug")) {
        if (!noArguments())
            return errorLine(why);
        m_wheel->plug();
    } else if (word == QLatin1String("model")) {
        // The rest of the line, blanks included: unknown and odd model texts are the point.
        if (rest.toUtf8().size() > kModelTextBytes)
            return errorLine(QStringLiteral("model text longer than %1 bytes").arg(kModelTextBytes));
        m_wheel->setModel(rest);
    } else if (word == QLatin1String("version")) {
        QString text = rest;
        text.replace(QLatin1String("\\t"), QLatin1String("\t"));
        if (text.toUtf8().size() > kVersionTextBytes)
            return errorLine(QStringLiteral("version text longer than %1 bytes").arg(kVersionTextBytes));
        m_wheel->setVersion(text);
    } else if (word == QLatin1String("battery")) {
        qint64 percent = 0, supply = 0, link = 0;
        if (!argumentCount(3, "PERCENT SUPPLY LINK") || !number(0, "percent", 0, 255, &percent)
            || !number(1, "supply", 0, 0xFFFF, &supply) || !number(2, "link", 0, 255, &link))
            return errorLine(why);
        m_wheel->setBattery(int(percent), int(supply), int(link));
    } else if (word == QLatin1String("aux-lamps")) {
        qint64 flag = 0;
        if (!argumentCount(1, "0|1") || !number(0, "aux-lamps flag", 0, 255, &flag))
            return errorLine(why);
        m_wheel->setAuxLampsFlag(int(flag));
    } else if (word == QLatin1String("shifter")) {
        qint64 shifter = 0, value = 0;
        if (!argumentCount(2, "N VALUE") || !number(0, "shifter", 3, 7, &shifter))
            return errorLine(why);
        if (shifter == 4)
            return errorLine(QStringLiteral("shifter: expected 3, 5, 6 or 7, got '4'"));
        if (!number(1, "shifter value", 0, 0xFFFF, &value))
            return errorLine(why);
        m_wheel->setShifterRaw(int(shifter), int(value));
    } else if (word == QLatin1String("set")) {
        if (args.isEmpty())
            return errorLine(QStringLiteral("usage: set KEY VALUE..."));
        if (!m_wheel->setSetting(args.at(0), args.mid(1), &why))
            return errorLine(why);
    } else if (word == QLatin1String("fail-sends") || word == QLatin1String("fail-gets")) {
        qint64 count = 0;
        if (!argumentCount(1, "N") || !number(0, "count", 0, INT32_MAX, &count))
            return errorLine(why);
        if (word == QLatin1String("fail-sends"))
            m_wheel->failSends(int(count));
        else
            m_wheel->failGets(int(count));
    } else if (word == QLatin1String("latency")) {
        qint64 milliseconds = 0;
        if (!argumentCount(1, "MS") || !number(0, "latency", 0, 100, &milliseconds))
            return errorLine(why);
        m_wheel->setLatency(int(milliseconds));
    } else if (word == QLatin1String("state")) {
        if (!noArguments())
            return errorLine(why);
        return QString::fromUtf8(QJsonDocument(m_wheel->state()).toJson(QJsonDocument::Compact));
    } else if (word.isEmpty()) {
        return errorLine(QStringLiteral("empty command"));
    } else {
        return errorLine(QStringLiteral("unknown command '%1'").arg(word));
    }
    return QStringLiteral("ok");
}
