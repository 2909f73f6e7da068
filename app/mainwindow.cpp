#include "app/mainwindow.h"

#include "ui_mainwindow.h"

#include <QMouseEvent>

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent), ui(new Ui::MainWindow)
{
    ui->setupUi(this);
}

MainWindow::~MainWindow() { delete ui; }

void MainWindow::mousePressEvent(QMouseEvent*) {}
void MainWindow::mouseReleaseEvent(QMouseEvent*) {}
void MainWindow::mouseMoveEvent(QMouseEvent*) {}
void MainWindow::onClose() {}
void MainWindow::onMinimize() {}
void MainWindow::onShowNormal() {}
void MainWindow::onTrayActivated(QSystemTrayIcon::ActivationReason) {}
void MainWindow::onSidebar() {}
