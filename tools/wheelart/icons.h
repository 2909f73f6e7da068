#pragma once

// The emblem, which is the application icon at every size, and the Windows icon file.
#include <QByteArray>
#include <QImage>
#include <QRectF>
#include <vector>

class QPainter;

namespace wheelart {

// The emblem: a three-spoke wheel in the indicator blue.
void drawEmblem(QPainter& p, QRectF box);
QImage emblem(int side);
// A Windows icon with several sizes. Qt's ico writer stores one image per file, so the
// container is written here; every entry is a 32-bit bitmap, which every reader understands.
QByteArray icoFile(const std::vector<QImage>& images);

} // namespace wheelart
