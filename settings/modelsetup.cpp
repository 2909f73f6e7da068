// Model identification and the per-model layout of the window.
#include "app/mainwindow.h"

void MainWindow::identifyModel() {}
void MainWindow::applyModel(const QString&) {}
