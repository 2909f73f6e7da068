#include "settings/modeltable.h"

namespace {
QString& baseUrl()
{
    static QString url = QStringLiteral("https://update.tarvo.example/");
    return url;
}
} // namespace

void setUpdateServerBaseUrl(const QString& url) { baseUrl() = url; }
QString updateServerBaseUrl() { return baseUrl(); }
