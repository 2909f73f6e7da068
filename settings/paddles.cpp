// Paddles, clutch and bite point.
#include "app/mainwindow.h"

void MainWindow::onPaddleChanged(int) {}
void MainWindow::onPaddleUpdate() {}
void MainWindow::onSavePageP() {}
void MainWindow::onClutchStatus() {}
void MainWindow::onCalibrate() {}
void MainWindow::onCalibrateL(bool) {}
void MainWindow::onCalibrateR(bool) {}
void MainWindow::onEncoderBind() {}
std::uint8_t MainWindow::paddleModeValue() const { return 255; }
void MainWindow::sendPaddleSettings(bool) {}
void MainWindow::setEncoderBindState(int) {}
