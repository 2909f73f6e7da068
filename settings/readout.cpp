// Reading the wheel's state into the pages after a connection.
#include "app/mainwindow.h"

void MainWindow::readLedColours() { }
void MainWindow::readPaddleSettings() { }
void MainWindow::readEncoderPulse() { }
void MainWindow::readClutchEnable() { }
void MainWindow::readFirmwareVersion() { }
void MainWindow::onDeviceUpdate() { }
