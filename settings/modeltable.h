#pragma once

#include <QString>

// Base address of the update server ("https://.../", ending in '/'); the model folders lie under
// base + "upgrade/". Set once from the command line at start.
void setUpdateServerBaseUrl(const QString& url);
QString updateServerBaseUrl();
