// LED colours of the RGB page.
#include "app/mainwindow.h"

#include <QColor>
#include <QPushButton>

void MainWindow::onColorPick() { }
void MainWindow::onSetColor() { }
void MainWindow::onSaveColor() { }
void MainWindow::setLedButtonColour(QPushButton*, const QColor&) { }
