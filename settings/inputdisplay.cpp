// The live input display of the INPUTS page.
#include "app/mainwindow.h"

void MainWindow::onJoystickEvent(QByteArray) {}
