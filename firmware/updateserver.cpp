#include "firmware/updateserver.h"

namespace {
struct UpdateServer
{
    QString baseUrl = QStringLiteral("https://update.tarvo.example/");
    QString caCertificates;
    int transferTimeoutMs = 30000;
};

UpdateServer& updateServer()
{
    static UpdateServer server;
    return server;
}
} // namespace

void setUpdateServerBaseUrl(const QString& url)
{
    updateServer().baseUrl = url;
}
QString updateServerBaseUrl()
{
    return updateServer().baseUrl;
}
void setUpdateCaCertificates(const QString& pemFile)
{
    updateServer().caCertificates = pemFile;
}
QString updateCaCertificates()
{
    return updateServer().caCertificates;
}
void setUpdateTransferTimeout(int milliseconds)
{
    updateServer().transferTimeoutMs = milliseconds;
}
int updateTransferTimeout()
{
    return updateServer().transferTimeoutMs;
}
