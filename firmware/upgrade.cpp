// Firmware update from a file or the update server.
#include "app/mainwindow.h"
#include "ui_mainwindow.h"

void MainWindow::onShowPath() { }
void MainWindow::onUpgrade() { }
void MainWindow::onProgress(int) { }
void MainWindow::onAutoUpgrade() { }
void MainWindow::onUpgradeReady() { }
void MainWindow::onNetUpgrade() { }
void MainWindow::onNetProgress(qint64, qint64) { }
void MainWindow::onNetUpgradeReady() { }
void MainWindow::resetUpgradeUi()
{
    ui->pbAutoUpgrade->setEnabled(true);
    ui->pbAutoUpgrade->setText(tr("CHECK UPDATE"));
    ui->pgUpgrade->setValue(0);
    ui->lbCurMd5->hide();
    ui->lbCurVersion->clear();
    ui->pgUpgrade->hide();
    ui->lbUpgrade->hide();
}
