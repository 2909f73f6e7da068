#include "settings/modeltable.h"

namespace tarvo {

bool modelMatches(const ModelInfo& model, const QString& text)
{
    return text.contains(QLatin1String(model.key), Qt::CaseSensitive);
}

QString pictureStyleSheet(const ModelInfo& model)
{
    return QStringLiteral("border-image: url(:/img/back.%1.png)").arg(QLatin1String(model.imageKey));
}

} // namespace tarvo

namespace {
QString& baseUrl()
{
    static QString url = QStringLiteral("https://update.tarvo.example/");
    return url;
}
} // namespace

void setUpdateServerBaseUrl(const QString& url)
{
    baseUrl() = url;
}
QString updateServerBaseUrl()
{
    return baseUrl();
}

namespace {
QString& caCertificatesFile()
{
    static QString file;
    return file;
}
} // namespace

void setUpdateCaCertificates(const QString& pemFile)
{
    caCertificatesFile() = pemFile;
}
QString updateCaCertificates()
{
    return caCertificatesFile();
}
