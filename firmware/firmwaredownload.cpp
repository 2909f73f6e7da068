#include "firmware/firmwaredownload.h"

#include "firmware/updateserver.h"

#include <QDir>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QTemporaryFile>

namespace {
const char* const kCapProperty = "tarvoCap";
const char* const kOverCapProperty = "tarvoOverCap";
} // namespace

QNetworkRequest FirmwareDownload::request(const QUrl& url)
{
    QNetworkRequest request(url);
    request.setTransferTimeout(updateTransferTimeout());
    const QString extra = updateCaCertificates();
    if (!extra.isEmpty()) {
        // Adding authorities turns off the on-demand loading of the system's, so both are
        // set explicitly.
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        tls.setCaCertificates(QSslConfiguration::systemCaCertificates() + QSslCertificate::fromPath(extra, QSsl::Pem));
        request.setSslConfiguration(tls);
    }
    return request;
}

QNetworkReply* FirmwareDownload::get(QNetworkAccessManager& manager, const QUrl& url, qint64 maxBytes)
{
    QNetworkReply* reply = manager.get(request(url));
    reply->setProperty(kCapProperty, maxBytes);
    QObject::connect(reply, &QNetworkReply::downloadProgress, reply, [reply, maxBytes](qint64 received, qint64 total) {
        if ((received > maxBytes || total > maxBytes) && reply->isRunning()) {
            reply->setProperty(kOverCapProperty, maxBytes);
            reply->abort();
        }
    });
    return reply;
}

QByteArray FirmwareDownload::body(QNetworkReply* reply)
{
    if (!reply || reply->error() != QNetworkReply::NoError || reply->property(kOverCapProperty).isValid())
        return QByteArray();
    // A body that arrived whole before any progress report could stop it is refused here.
    const QVariant cap = reply->property(kCapProperty);
    if (cap.isValid() && reply->bytesAvailable() > cap.toLongLong()) {
        reply->setProperty(kOverCapProperty, cap);
        return QByteArray();
    }
    return reply->readAll();
}

QString FirmwareDownload::errorText(QNetworkReply* reply)
{
    if (!reply)
        return QString();
    const QVariant cap = reply->property(kOverCapProperty);
    if (cap.isValid())
        return QStringLiteral("the answer is larger than %1 bytes").arg(cap.toLongLong());
    if (reply->error() == QNetworkReply::OperationCanceledError)
        return QStringLiteral("no answer within %1 s").arg(updateTransferTimeout() / 1000);
    // Qt's own texts hide the status code and the trust question in longer sentences.
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status >= 400)
        return QStringLiteral("HTTP %1 for %2").arg(status).arg(reply->url().toDisplayString());
    switch (reply->error()) {
    case QNetworkReply::NoError:
        return QString();
    case QNetworkReply::HostNotFoundError:
        return QStringLiteral("host %1 not found").arg(reply->url().host());
    case QNetworkReply::SslHandshakeFailedError:
        return QStringLiteral("certificate not trusted (%1)").arg(reply->errorString());
    default:
        return reply->errorString();
    }
}

QByteArray FirmwareDownload::fetch(QNetworkAccessManager& manager, const QUrl& url, qint64 maxBytes, QString* error)
{
    QNetworkReply* reply = get(manager, url, maxBytes);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (reply->isRunning())
        loop.exec();
    const QByteArray data = body(reply);
    if (error)
        *error = errorText(reply);
    reply->deleteLater();
    return data;
}

QString FirmwareDownload::saveImage(const QByteArray& image, QString* error)
{
    // A TMPDIR that does not exist gives an empty path: never fall back to the root folder.
    const QString folder = QDir::tempPath();
    if (folder.isEmpty()) {
        if (error)
            *error = QStringLiteral("no temporary folder");
        return QString();
    }
    QTemporaryFile file(folder + QLatin1Char('/') + QLatin1String(kTemporaryStem) + QStringLiteral(".XXXXXX.bin"));
    file.setAutoRemove(false);
    // QTemporaryFile creates the file exclusively, with owner-only permissions.
    if (!file.open()) {
        if (error)
            *error = file.errorString();
        return QString();
    }
    if (file.write(image) != image.size() || !file.flush()) {
        if (error)
            *error = file.errorString();
        file.remove();
        return QString();
    }
    file.close();
    return file.fileName();
}
