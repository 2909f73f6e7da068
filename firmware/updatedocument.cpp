#include "firmware/updatedocument.h"

#include <QCryptographicHash>
#include <QJsonDocument>
#include <QLatin1String>
#include <QStringList>

std::optional<UpdateDocument> UpdateDocument::fromJson(const QByteArray& body)
{
    const QJsonDocument json = QJsonDocument::fromJson(body);
    if (!json.isObject())
        return std::nullopt;
    UpdateDocument document;
    document.object = json.object();
    document.version = document.object.value(QLatin1String("version")).toString();
    document.name = document.object.value(QLatin1String("name")).toString();
    document.md5 = document.object.value(QLatin1String("md5")).toString();
    return document;
}

QString UpdateDocument::deviceDateText(const QString& versionLine)
{
    const QStringList parts = versionLine.split(QLatin1Char('\t'), Qt::KeepEmptyParts);
    if (parts.size() < 2)
        return QString();
    QString text = parts.at(1);
    // Left to right without overlap: three spaces become two, not one.
    text.replace(QLatin1String("  "), QLatin1String(" "));
    return text;
}

QDateTime UpdateDocument::parseDate(const QString& text)
{
    return QDateTime::fromString(text, QLatin1String(kDateFormat));
}

UpdateDocument::Comparison UpdateDocument::compare(const QString& versionLine, const QString& serverVersion)
{
    const QString deviceText = deviceDateText(versionLine);
    if (deviceText.isNull())
        return Comparison::Invalid;
    const QDateTime device = parseDate(deviceText);
    const QDateTime server = parseDate(serverVersion);
    if (!device.isValid() || !server.isValid())
        return Comparison::Invalid;
    return device < server ? Comparison::Newer : Comparison::UpToDate;
}

QString UpdateDocument::md5Hex(const QByteArray& data)
{
    return QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Md5).toHex());
}

bool UpdateDocument::digestMatches(const QByteArray& image, const QString& expected)
{
    return expected.toCaseFolded().contains(md5Hex(image), Qt::CaseSensitive);
}
