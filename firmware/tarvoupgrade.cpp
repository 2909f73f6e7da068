#include "firmware/tarvoupgrade.h"

#include "device/devicehandle.h"

#include <QFile>

void TarvoUpgrade::run()
{
    const QString path = filePath;
    const bool remove = removeWhenDone;

    FirmwareTransfer transfer(deviceHandle);
    transfer.setProgressHandler([this](int percent) { emit progress(percent); });
    const FirmwareTransfer::Result result = transfer.sendFile(path);
    lastOutcome = result.outcome;
    if (remove)
        QFile::remove(path);
    if (result.outcome == FirmwareTransfer::Outcome::SendFailed)
        emit progress(result.sendResult < 0 ? result.sendResult : -1);
}
