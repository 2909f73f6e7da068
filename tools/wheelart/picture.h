#pragma once

// What the wheel pictures share: their frame, the model's colours, and the shapes they are cut from.
#include "settings/modellayouts.h"

#include <QColor>
#include <QPainterPath>
#include <QPointF>

namespace wheelart {

constexpr int kWidth = tarvo::kPicture.width;
constexpr int kHeight = tarvo::kPicture.height;

// The model's look: body colours, accent and which silhouette it has.
struct Look
{
    QColor accent;
    QColor rim;
    QColor plate;
};

QPainterPath roundRect(double x, double y, double w, double h, double r);
QPainterPath ellipse(QPointF c, double rx, double ry);
// Left and right swapped about the picture's centre line.
QPainterPath mirrored(const QPainterPath& path);

} // namespace wheelart
