#pragma once

#include "firmware/firmwaretransfer.h"

#include <QString>
#include <QThread>
#include <atomic>

// Streams a firmware image to the wheel; progress in percent through progress(int), and a
// failed send as its negative result, after which nothing more is sent.
class TarvoUpgrade : public QThread
{
    Q_OBJECT

public:
    // Both are read once at the start of run(); set them only while the thread is idle.
    void setFilePath(const QString& path) { filePath = path; }
    // The file is the program's own download: it is removed when the transfer ends,
    // whatever the outcome. Anyone else's file is never removed.
    void setRemoveWhenDone(bool remove) { removeWhenDone = remove; }

    // How the last run ended; valid once finished() has been emitted.
    FirmwareTransfer::Outcome outcome() const { return lastOutcome.load(); }

signals:
    void progress(int value);

protected:
    void run() override;

private:
    QString filePath;
    bool removeWhenDone = false;
    std::atomic<FirmwareTransfer::Outcome> lastOutcome{FirmwareTransfer::Outcome::Done};
};
