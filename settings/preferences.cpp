// Preferences kept on the user's computer.
#include "app/mainwindow.h"

void MainWindow::loadEncoderBinding() {}
void MainWindow::storeEncoderBinding() {}
void MainWindow::removeEncoderBinding() {}
