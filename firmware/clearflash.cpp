// Erasing the settings stored in the wheel's flash.
#include "app/mainwindow.h"
#include "app/messagebox.h"
#include "device/devicehandle.h"
#include "protocol/wheelprotocol.h"

void MainWindow::onClearFlash()
{
    const QMessageBox::StandardButton answer = MessageBox::question(
        this, tr("Notify"),
        tr("Do you want to continue?\nThis operation will delete all the settings stored in the device flash memory."));
    if (answer != QMessageBox::Yes)
        return;
    if (deviceHandle.send(tarvo::clearFlashFrame()) < 0) {
        MessageBox::critical(this, tr("Error"), tr("Can not save setting."));
        return;
    }
    MessageBox::information(this, tr("Notify"), tr("Flash data has been cleared."));
    // The pages still show what the wheel held; a later save would write it back.
    readWheel();
}
