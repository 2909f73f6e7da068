// Encoder pulse width and shifter thresholds.
#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include <QRect>

void MainWindow::onTriggerChanged(int) { }
void MainWindow::onTriggerUpdate() { }
void MainWindow::onSavePageE() { }
void MainWindow::onBearLCalibrate() { }
void MainWindow::onBearRCalibrate() { }
void MainWindow::onBearExLCalibrate() { }
void MainWindow::onBearExRCalibrate() { }
void MainWindow::onShifterStatus() { }
void MainWindow::updateShifterGroupHeight()
{
    // The extra shifter rows sit in the lower part of the box; a taller box reveals them.
    QRect geometry = ui->gpShifter->geometry();
    geometry.setBottom(geometry.top() + (ui->cbShifter->isChecked() ? 190 : 110));
    ui->gpShifter->setGeometry(geometry);
}
