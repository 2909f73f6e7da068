// Erasing the settings stored in the wheel's flash.
#include "app/mainwindow.h"

void MainWindow::onClearFlash() { }
