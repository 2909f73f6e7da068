#include "tools/wheelart/controls.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>
#include <QTransform>
#include <algorithm>
#include <cmath>

namespace wheelart {

namespace {
constexpr double kPi = 3.14159265358979323846;
} // namespace

void drawButton(QPainter& p, const Control& c, const Look& look)
{
    const QPointF o = c.centre;
    QRadialGradient bezel(o, 18);
    bezel.setColorAt(0.7, QColor(90, 92, 96));
    bezel.setColorAt(1, QColor(20, 20, 22));
    p.setPen(Qt::NoPen);
    p.setBrush(bezel);
    p.drawEllipse(o, 18, 18);
    if (c.lit) {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(235, 240, 255, 150), 2));
        p.drawEllipse(o, 15.5, 15.5);
    }
    static const QColor caps[] = {QColor(40, 40, 44),  QColor(160, 30, 30), QColor(40, 40, 44),
                                  QColor(30, 90, 160), QColor(40, 40, 44),  QColor(200, 160, 20)};
    const QColor cap = c.index % 7 == 3 ? look.accent.darker(120) : caps[c.index % 6];
    QRadialGradient g(o - QPointF(4, 4), 16);
    g.setColorAt(0, cap.lighter(160));
    g.setColorAt(1, cap.darker(140));
    p.setPen(QPen(QColor(10, 10, 10), 1));
    p.setBrush(g);
    p.drawEllipse(o, 13.5, 13.5);
}

void drawEncoder(QPainter& p, const Control& c, const Look& look)
{
    const QPointF o = c.centre;
    if (c.lit && !c.squareLed) {
        p.setPen(QPen(QColor(230, 235, 255, 170), 3));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(o, 20, 20);
    }
    // Knurled edge: a toothed ring.
    QPainterPath teeth;
    const int n = 24;
    for (int i = 0; i <= n * 2; ++i) {
        const double a = i * kPi / n;
        const double r = (i % 2) ? 16.5 : 18;
        const QPointF pt(o.x() + r * std::cos(a), o.y() + r * std::sin(a));
        if (i == 0)
            teeth.moveTo(pt);
        else
            teeth.lineTo(pt);
    }
    teeth.closeSubpath();
    p.setPen(QPen(QColor(15, 15, 15), 1));
    p.setBrush(QColor(150, 152, 158));
    p.drawPath(teeth);
    QRadialGradient g(o - QPointF(3, 3), 15);
    g.setColorAt(0, QColor(120, 122, 128));
    g.setColorAt(1, QColor(45, 46, 50));
    p.setBrush(g);
    p.drawEllipse(o, 13, 13);
    p.setPen(QPen(look.accent, 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(o + QPointF(0, -5), o + QPointF(0, -12));
}

void drawStick(QPainter& p, const Control& c)
{
    const QPointF o = c.centre;
    p.setPen(QPen(QColor(10, 10, 10), 1));
    p.setBrush(QColor(28, 28, 30));
    p.drawRoundedRect(QRectF(o.x() - 22, o.y() - 22, 44, 44), 12, 12);
    // Direction marks.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(170, 170, 175));
    for (int i = 0; i < 4; ++i) {
        QTransform t;
        t.translate(o.x(), o.y());
        t.rotate(90 * i);
        QPolygonF arrow({QPointF(-3, -19), QPointF(3, -19), QPointF(0, -22)});
        p.drawPolygon(t.map(arrow));
    }
    QRadialGradient g(o - QPointF(3, 3), 17);
    g.setColorAt(0, QColor(110, 110, 116));
    g.setColorAt(1, QColor(30, 30, 34));
    p.setBrush(g);
    p.setPen(QPen(QColor(5, 5, 5), 1));
    p.drawEllipse(o, 15, 15);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0, 0, 0, 120), 1));
    p.drawEllipse(o, 9, 9);
}

void drawPaddle(QPainter& p, const Control& c, const Look& look)
{
    const QPointF o = c.centre;
    p.save();
    p.translate(o);
    p.rotate(c.paddleSide * 18);
    QPainterPath blade;
    blade.moveTo(-27, -14);
    blade.quadTo(0, -22, 27, -14);
    blade.quadTo(31, 0, 25, 16);
    blade.quadTo(0, 22, -25, 16);
    blade.quadTo(-31, 0, -27, -14);
    blade.closeSubpath();
    QLinearGradient g(0, -20, 0, 20);
    g.setColorAt(0, QColor(130, 133, 140));
    g.setColorAt(0.5, QColor(78, 80, 86));
    g.setColorAt(1, QColor(38, 40, 44));
    p.fillPath(blade, g);
    p.strokePath(blade, QPen(QColor(10, 10, 10), 1.2));
    p.setPen(QPen(look.accent, 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(-19, 16), QPointF(19, 16));
    p.restore();
    if (c.lit) {
        p.setPen(QPen(QColor(220, 222, 228), 2));
        p.setBrush(QColor(235, 238, 245));
        p.drawEllipse(o, 13, 13);
    }
}

void drawPaddleArm(QPainter& p, QPointF to)
{
    const QPointF from(kWidth / 2.0, 190);
    p.setPen(QPen(QColor(70, 72, 78), 16, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(from, to);
    p.setPen(QPen(QColor(30, 30, 34), 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(from, to);
}

void drawLamp(QPainter& p, const Control& c)
{
    const QPointF o = c.centre;
    QRadialGradient bezel(o, 17);
    bezel.setColorAt(0.6, QColor(200, 202, 208));
    bezel.setColorAt(1, QColor(60, 60, 64));
    p.setPen(QPen(QColor(10, 10, 10), 1));
    p.setBrush(bezel);
    p.drawEllipse(o, 16.5, 16.5);
    QRadialGradient lens(o - QPointF(3, 3), 13);
    lens.setColorAt(0, QColor(255, 255, 255, 230));
    lens.setColorAt(1, QColor(150, 155, 170));
    p.setBrush(lens);
    p.drawEllipse(o, 12.5, 12.5);
}

void drawLedWindow(QPainter& p, const Control& c)
{
    const QPointF o = c.centre;
    p.setPen(QPen(QColor(170, 172, 178), 1.5));
    p.setBrush(QColor(15, 15, 15));
    p.drawRoundedRect(QRectF(o.x() - 9, o.y() - 9, 18, 18), 4, 4);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(220, 225, 235));
    p.drawRoundedRect(QRectF(o.x() - 5.5, o.y() - 5.5, 11, 11), 2, 2);
}

void drawStrip(QPainter& p, std::vector<QPointF> points)
{
    if (points.empty())
        return;
    std::sort(points.begin(), points.end(), [](QPointF a, QPointF b) { return a.x() < b.x(); });
    QPainterPath bar;
    bar.moveTo(points.front());
    for (const QPointF& pt : points)
        bar.lineTo(pt);
    p.strokePath(bar, QPen(QColor(150, 152, 158), 22, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.strokePath(bar, QPen(QColor(12, 12, 14), 19, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    for (const QPointF& pt : points) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(205, 210, 220));
        p.drawRoundedRect(QRectF(pt.x() - 5.5, pt.y() - 5.5, 11, 11), 2, 2);
    }
}

QRectF clutchBlade(const tarvo::ClutchAxesPositions& at, bool left)
{
    const tarvo::Point bar = left ? at.adcL : at.adcR;
    const tarvo::Point cal = left ? at.calL : at.calR;
    const QRectF barRect(bar.x - tarvo::kPicture.x, bar.y - tarvo::kPicture.y, 101, 10);
    const QRectF calRect(cal.x - tarvo::kPicture.x, cal.y - tarvo::kPicture.y, 60, 15);
    return barRect.united(calRect).adjusted(-8, -7, 8, 7);
}

void drawClutchPaddle(QPainter& p, const tarvo::ClutchAxesPositions& at, bool left, const Look& look)
{
    const QRectF blade = clutchBlade(at, left);
    QLinearGradient g(blade.topLeft(), blade.bottomLeft());
    g.setColorAt(0, QColor(150, 152, 158));
    g.setColorAt(1, QColor(60, 62, 66));
    QPainterPath path;
    path.addRoundedRect(blade, 10, 10);
    p.fillPath(path, g);
    p.strokePath(path, QPen(QColor(10, 10, 10), 1.2));
    p.setPen(QPen(look.accent, 2));
    p.drawLine(blade.bottomLeft() + QPointF(10, -3), blade.bottomRight() + QPointF(-10, -3));
}

} // namespace wheelart
