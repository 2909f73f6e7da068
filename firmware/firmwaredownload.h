#pragma once

#include <QByteArray>
#include <QNetworkRequest>
#include <QString>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

// Requests to the update server and what is kept of their answers, shared by the window
// and the command-line program (Qt Core and Network only).
//
// Every request is a GET over the caller's QNetworkAccessManager with a transfer timeout,
// trusting the system's certificate authorities plus those of updateCaCertificates();
// certificate checks are never switched off. A body that grows past its cap is aborted,
// so a misbehaving server can neither hang a request nor fill the memory.
class FirmwareDownload
{
public:
    // version.json is a few lines.
    static constexpr qint64 kMaxDocumentBytes = 64 * 1024;
    // Well above the largest image (229376 bytes), so that an oversized image still
    // arrives and is refused by the image check with its own message.
    static constexpr qint64 kMaxImageBytes = 4 * 1024 * 1024;
    // Stem of the files a download is saved in, inside the system temporary folder.
    static constexpr const char* kTemporaryStem = "tarvo.firmware";

    // A GET request for url with the timeout and TLS configuration above.
    static QNetworkRequest request(const QUrl& url);
    // Sends the GET and arms the cap: the reply is aborted once its body (or its announced
    // length) exceeds maxBytes. The reply belongs to the manager; the caller deletes it.
    static QNetworkReply* get(QNetworkAccessManager& manager, const QUrl& url, qint64 maxBytes);
    // The body of a finished reply; empty when the request failed (unreachable, TLS
    // refused, HTTP error status, refused redirect, timeout, over the cap).
    static QByteArray body(QNetworkReply* reply);
    // Why a finished reply failed, for messages; empty when it did not.
    static QString errorText(QNetworkReply* reply);
    // For programs without an event loop of their own: get(), then waits for the reply.
    // The body, or empty with error set.
    static QByteArray fetch(QNetworkAccessManager& manager, const QUrl& url, qint64 maxBytes, QString* error);

    // Saves a downloaded image in a new file "tarvo.firmware.XXXXXX.bin" of the system
    // temporary folder, created exclusively (never through an existing name or link) and
    // readable by the user only. Its path, or an empty string (error set) when it cannot
    // be written; nothing is left behind then.
    static QString saveImage(const QByteArray& image, QString* error);
};
