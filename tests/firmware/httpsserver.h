// A small HTTPS server on 127.0.0.1 for the update tests. Its certificate authority and
// server certificate are made with openssl when it starts; the program under test trusts
// them only through the extra authorities file. Each path answers as a test sets it,
// misbehaviour included: an error status, a redirect, a body that stalls half-way.
#pragma once

#include <QDir>
#include <QHash>
#include <QPointer>
#include <QProcess>
#include <QSslKey>
#include <QSslSocket>
#include <QTcpServer>

class HttpsServer : public QTcpServer
{
public:
    struct Response
    {
        int status = 200;
        QByteArray body;
        QByteArray location; // a Location header
        bool stall = false; // send the headers and half the body, then nothing
    };

    // Makes the certificates in folder and listens; an empty string, or why not.
    QString start(const QString& folder)
    {
        const QDir dir(folder);
        m_caFile = dir.filePath("ca.pem");
        QFile ext(dir.filePath("server.ext"));
        if (!ext.open(QIODevice::WriteOnly))
            return "cannot write " + ext.fileName();
        ext.write("subjectAltName=IP:127.0.0.1\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n");
        ext.close();
        const QStringList ec{"-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes"};
        const QList<QStringList> steps{
            QStringList{"req", "-x509"} + ec
                + QStringList{"-keyout", "ca.key", "-out", "ca.pem", "-days", "2", "-subj",
                              "/CN=TarvoSet test authority", "-addext", "basicConstraints=critical,CA:TRUE", "-addext",
                              "keyUsage=keyCertSign"},
            QStringList{"req"} + ec
                + QStringList{"-keyout", "server.key", "-out", "server.csr", "-subj", "/CN=127.0.0.1"},
            {"x509", "-req", "-in", "server.csr", "-CA", "ca.pem", "-CAkey", "ca.key", "-CAcreateserial", "-out",
             "server.pem", "-days", "2", "-extfile", "server.ext"},
        };
        for (const QStringList& args : steps) {
            QProcess openssl;
            openssl.setWorkingDirectory(folder);
            openssl.start("openssl", args);
            if (!openssl.waitForFinished(30000) || openssl.exitCode() != 0)
                return "openssl " + args.join(' ') + ": " + QString::fromLocal8Bit(openssl.readAllStandardError());
        }
        QFile cert(dir.filePath("server.pem"));
        QFile key(dir.filePath("server.key"));
        if (!cert.open(QIODevice::ReadOnly) || !key.open(QIODevice::ReadOnly))
            return "cannot read the server certificate";
        m_certificate = QSslCertificate(&cert, QSsl::Pem);
        m_key = QSslKey(&key, QSsl::Ec, QSsl::Pem);
        if (m_certificate.isNull() || m_key.isNull())
            return "cannot load the server certificate or key";
        if (!listen(QHostAddress::LocalHost))
            return errorString();
        return QString();
    }

    QString caFile() const { return m_caFile; }
    QString baseUrl() const { return QString("https://127.0.0.1:%1/").arg(serverPort()); }
    void serve(const QString& path, const Response& response) { m_responses.insert(path, response); }
    void reset()
    {
        m_responses.clear();
        m_requests.clear();
        for (const QPointer<QSslSocket>& socket : std::as_const(m_stalled))
            if (socket)
                socket->deleteLater();
        m_stalled.clear();
    }
    // Paths asked for, in order.
    QStringList requests() const { return m_requests; }

protected:
    void incomingConnection(qintptr descriptor) override
    {
        auto* socket = new QSslSocket(this);
        if (!socket->setSocketDescriptor(descriptor)) {
            delete socket;
            return;
        }
        socket->setLocalCertificate(m_certificate);
        socket->setPrivateKey(m_key);
        connect(socket, &QSslSocket::readyRead, socket, [this, socket] { answer(socket); });
        connect(socket, &QSslSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QSslSocket::errorOccurred, socket, [socket] { socket->disconnectFromHost(); });
        socket->startServerEncryption();
    }

private:
    void answer(QSslSocket* socket)
    {
        QByteArray& pending = m_pending[socket];
        pending += socket->readAll();
        if (!pending.contains("\r\n\r\n"))
            return;
        const QList<QByteArray> requestLine = pending.left(pending.indexOf("\r\n")).split(' ');
        m_pending.remove(socket);
        const QString path = requestLine.value(1);
        m_requests.append(path);
        const Response response = m_responses.value(path, Response{404, "<html>Not found</html>", {}, false});
        QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) + " X\r\n";
        if (!response.location.isEmpty())
            head += "Location: " + response.location + "\r\n";
        head += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\nConnection: close\r\n\r\n";
        if (response.stall) {
            socket->write(head + response.body.left(response.body.size() / 2));
            m_stalled.append(socket);
            return;
        }
        socket->write(head + response.body);
        socket->disconnectFromHost();
    }

    QString m_caFile;
    QSslCertificate m_certificate;
    QSslKey m_key;
    QHash<QString, Response> m_responses;
    QHash<QSslSocket*, QByteArray> m_pending;
    QStringList m_requests;
    QList<QPointer<QSslSocket>> m_stalled;
};
