// Encoder pulse width and shifter thresholds.
#include "app/mainwindow.h"

void MainWindow::onTriggerChanged(int) {}
void MainWindow::onTriggerUpdate() {}
void MainWindow::onSavePageE() {}
void MainWindow::onBearLCalibrate() {}
void MainWindow::onBearRCalibrate() {}
void MainWindow::onBearExLCalibrate() {}
void MainWindow::onBearExRCalibrate() {}
void MainWindow::onShifterStatus() {}
void MainWindow::updateShifterGroupHeight() {}
