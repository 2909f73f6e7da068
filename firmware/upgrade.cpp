// Firmware update from a file or the update server.
#include "app/mainwindow.h"

void MainWindow::onShowPath() {}
void MainWindow::onUpgrade() {}
void MainWindow::onProgress(int) {}
void MainWindow::onAutoUpgrade() {}
void MainWindow::onUpgradeReady() {}
void MainWindow::onNetUpgrade() {}
void MainWindow::onNetProgress(qint64, qint64) {}
void MainWindow::onNetUpgradeReady() {}
void MainWindow::resetUpgradeUi() {}
