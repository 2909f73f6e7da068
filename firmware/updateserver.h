#pragma once

#include <QString>

// Where firmware updates come from, set once from the command line at start.

// Base address of the update server ("https://.../", ending in '/'); the model folders lie under
// base + "upgrade/".
void setUpdateServerBaseUrl(const QString& url);
QString updateServerBaseUrl();
// PEM file of extra certificate authorities trusted for the update server; empty for none.
void setUpdateCaCertificates(const QString& pemFile);
QString updateCaCertificates();
// How long a request to the update server may go without receiving a byte (30 s unless set).
void setUpdateTransferTimeout(int milliseconds);
int updateTransferTimeout();
