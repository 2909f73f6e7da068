// Connection lifecycle of the window: opening the wheel and the waiting screen.
#include "app/mainwindow.h"

void MainWindow::onInit() {}
void MainWindow::showWaitingScreen() {}
