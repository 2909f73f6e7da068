#pragma once

// The wheels' bodies: each model's colours and its rim, grips and plate, drawn under the controls.
#include "tools/wheelart/picture.h"

#include <QString>

class QPainter;

namespace wheelart {

Look lookOf(const QString& imageKey);
void drawSilhouette(QPainter& p, const QString& imageKey, const Look& look);

} // namespace wheelart
