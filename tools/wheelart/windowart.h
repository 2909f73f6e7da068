#pragma once

// The window's own pictures: the header band, the title-bar buttons and the about picture.
#include <QImage>

namespace wheelart {

QImage header();
QImage titleButton(bool close, bool hover);
QImage about();

} // namespace wheelart
