#include "tools/wheelart/picture.h"

#include <QRectF>
#include <QTransform>

namespace wheelart {

QPainterPath roundRect(double x, double y, double w, double h, double r)
{
    QPainterPath path;
    path.addRoundedRect(QRectF(x, y, w, h), r, r);
    return path;
}

QPainterPath ellipse(QPointF c, double rx, double ry)
{
    QPainterPath path;
    path.addEllipse(c, rx, ry);
    return path;
}

QPainterPath mirrored(const QPainterPath& path)
{
    QTransform t;
    t.translate(kWidth, 0);
    t.scale(-1, 1);
    return t.map(path);
}

} // namespace wheelart
