#include "tools/wheelart/silhouettes.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPen>

namespace wheelart {

namespace {

// ---------------------------------------------------------------------------------------------
// Materials

void fillRubber(QPainter& p, const QPainterPath& shape, const QColor& base)
{
    const QRectF r = shape.boundingRect();
    QLinearGradient g(r.topLeft(), r.bottomRight());
    g.setColorAt(0, base.lighter(135));
    g.setColorAt(0.5, base);
    g.setColorAt(1, base.darker(160));
    p.fillPath(shape, g);
    // Grip texture: fine diagonal ridges.
    p.save();
    p.setClipPath(shape);
    p.setPen(QPen(QColor(255, 255, 255, 14), 1));
    for (int d = -kHeight; d < kWidth + kHeight; d += 5)
        p.drawLine(QPointF(d, 0), QPointF(d - kHeight, kHeight));
    p.restore();
    p.strokePath(shape, QPen(base.lighter(210), 1.5));
}

void fillCarbon(QPainter& p, const QPainterPath& shape, const QColor& base)
{
    const QRectF r = shape.boundingRect();
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, base.lighter(125));
    g.setColorAt(1, base.darker(150));
    p.fillPath(shape, g);
    p.save();
    p.setClipPath(shape);
    // A twill weave: small alternating blocks.
    for (int y = 0; y < kHeight; y += 6) {
        for (int x = (y / 6) % 2 * 6; x < kWidth; x += 12)
            p.fillRect(QRectF(x, y, 6, 6), QColor(255, 255, 255, 7));
    }
    QLinearGradient shine(r.topLeft(), QPointF(r.left(), r.top() + r.height() * 0.45));
    shine.setColorAt(0, QColor(255, 255, 255, 30));
    shine.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillPath(shape, shine);
    p.restore();
    p.strokePath(shape, QPen(QColor(150, 150, 155), 1.2));
}

void strokeStitching(QPainter& p, const QPainterPath& line, const QColor& accent)
{
    QPen pen(accent.darker(110), 1.2, Qt::DashLine);
    pen.setDashPattern({3, 3});
    p.strokePath(line, pen);
}

// A ring between two concentric shapes, filled as rubber.
void drawRim(QPainter& p, const QPainterPath& outer, const QPainterPath& inner, const Look& look)
{
    fillRubber(p, outer.subtracted(inner), look.rim);
}

// Dark opening through which the parts behind the wheel show.
void drawOpening(QPainter& p, const QPainterPath& shape)
{
    p.fillPath(shape, QColor(12, 12, 12, 235));
    p.strokePath(shape, QPen(QColor(0, 0, 0), 1));
}

// ---------------------------------------------------------------------------------------------
// Silhouettes. Each draws rim, grips and plate; the controls come on top.

void drawFormula(QPainter& p, const Look& look)
{
    // R-VELO: flat top and bottom, a wide top bar and open grips at the sides.
    QPainterPath leftGrip = roundRect(10, 30, 100, 300, 46);
    QPainterPath rightGrip = mirrored(leftGrip);
    fillRubber(p, leftGrip.united(rightGrip), look.rim);
    QPainterPath top = roundRect(30, 12, 580, 110, 34);
    QPainterPath plate = roundRect(110, 40, 420, 312, 44);
    QPainterPath shoulders = roundRect(40, 20, 560, 120, 40);
    QPainterPath body = top.united(plate).united(shoulders);
    // Cut the hand openings between grips and plate.
    QPainterPath hole = roundRect(92, 150, 34, 120, 16);
    body = body.subtracted(hole).subtracted(mirrored(hole));
    fillCarbon(p, body, look.plate);
    drawOpening(p, hole);
    drawOpening(p, mirrored(hole));
    // Accent wings along the top edge.
    QPainterPath wing;
    wing.moveTo(60, 24);
    wing.lineTo(230, 24);
    wing.lineTo(222, 30);
    wing.lineTo(66, 30);
    wing.closeSubpath();
    p.fillPath(wing, look.accent);
    p.fillPath(mirrored(wing), look.accent);
    QPainterPath seam;
    seam.moveTo(20, 80);
    seam.lineTo(20, 290);
    strokeStitching(p, seam, look.accent);
    strokeStitching(p, mirrored(seam), look.accent);
}

void drawDShape(QPainter& p, const Look& look)
{
    // QLN5: round top, flat bottom, a centre display under the top LED strip.
    auto dPath = [](double inset) {
        QPainterPath path;
        const double l = 8 + inset, r = 632 - inset, t = 6 + inset, b = 356 - inset;
        path.moveTo(l + 60, b);
        path.lineTo(r - 60, b);
        path.quadTo(r, b, r, b - 90);
        path.cubicTo(r, t + 60, 500, t, 320, t);
        path.cubicTo(140, t, l, t + 60, l, b - 90);
        path.quadTo(l, b, l + 60, b);
        path.closeSubpath();
        return path;
    };
    const QPainterPath outer = dPath(0);
    const QPainterPath inner = dPath(26);
    drawOpening(p, inner);
    drawRim(p, outer, inner, look);
    QPainterPath plate = inner.subtracted(ellipse(QPointF(140, 62), 40, 22))
                             .subtracted(ellipse(QPointF(500, 62), 40, 22))
                             .subtracted(roundRect(34, 290, 150, 44, 18))
                             .subtracted(roundRect(456, 290, 150, 44, 18));
    fillCarbon(p, plate, look.plate);
    // Display for the encoder read-out.
    QPainterPath screen = roundRect(222, 57, 196, 79, 8);
    p.fillPath(screen, QColor(8, 16, 24));
    p.strokePath(screen, QPen(look.accent.darker(130), 2));
    strokeStitching(p, dPath(13), look.accent);
}

void drawRound(QPainter& p, const Look& look)
{
    // V-KERN: classic round rim, three spokes and a wide hub.
    const QPointF c(320, 185);
    const QPainterPath outer = ellipse(c, 178, 178);
    const QPainterPath inner = ellipse(c, 150, 150);
    drawOpening(p, inner);
    QPainterPath hub = roundRect(162, 84, 316, 160, 60);
    hub = hub.united(roundRect(222, 180, 196, 150, 50));
    hub = hub.united(roundRect(160, 130, 320, 40, 10)); // side spokes
    hub = hub.united(roundRect(290, 300, 60, 60, 8)); // bottom spoke
    fillCarbon(p, hub.intersected(outer), look.plate);
    drawRim(p, outer, inner, look);
    strokeStitching(p, ellipse(c, 164, 164), look.accent);
    // Top-centre marker stripe.
    p.fillRect(QRectF(312, 7, 16, 28), look.accent);
}

void drawButterfly(QPainter& p, const Look& look)
{
    // LM270: yoke with open top, rounded shoulders and vertical grips.
    QPainterPath body;
    body.moveTo(110, 66);
    body.cubicTo(180, 60, 240, 72, 280, 78);
    body.quadTo(320, 84, 360, 78);
    body.cubicTo(400, 72, 460, 60, 530, 66);
    body.cubicTo(560, 70, 560, 110, 550, 170);
    body.lineTo(540, 300);
    body.cubicTo(530, 340, 470, 348, 320, 348);
    body.cubicTo(170, 348, 110, 340, 100, 300);
    body.lineTo(90, 170);
    body.cubicTo(80, 110, 80, 70, 110, 66);
    body.closeSubpath();
    QPainterPath leftGrip;
    leftGrip.moveTo(96, 58);
    leftGrip.cubicTo(40, 60, 22, 110, 26, 200);
    leftGrip.cubicTo(30, 290, 50, 340, 106, 336);
    leftGrip.lineTo(120, 300);
    leftGrip.lineTo(112, 100);
    leftGrip.closeSubpath();
    fillRubber(p, leftGrip.united(mirrored(leftGrip)), look.rim);
    fillCarbon(p, body, look.plate);
    QPainterPath trim;
    trim.moveTo(120, 80);
    trim.cubicTo(180, 74, 240, 84, 280, 90);
    p.strokePath(trim, QPen(look.accent, 2.5));
    p.strokePath(mirrored(trim), QPen(look.accent, 2.5));
    // Centre column with the edition badge.
    QPainterPath column = roundRect(292, 130, 56, 180, 20);
    p.fillPath(column, QColor(24, 24, 26));
    p.strokePath(column, QPen(look.accent, 1.5));
}

void drawWing(QPainter& p, const Look& look)
{
    // ZEPHA2: swept formula plate on two hanging grips.
    QPainterPath leftGrip = roundRect(14, 70, 96, 262, 44);
    fillRubber(p, leftGrip.united(mirrored(leftGrip)), look.rim);
    QPainterPath plate;
    plate.moveTo(60, 64);
    plate.lineTo(200, 58);
    plate.lineTo(250, 62);
    plate.lineTo(390, 62);
    plate.lineTo(440, 58);
    plate.lineTo(580, 64);
    plate.quadTo(612, 70, 606, 110);
    plate.lineTo(560, 230);
    plate.lineTo(470, 296);
    plate.lineTo(170, 296);
    plate.lineTo(80, 230);
    plate.lineTo(34, 110);
    plate.quadTo(28, 70, 60, 64);
    plate.closeSubpath();
    fillCarbon(p, plate, look.plate);
    QPainterPath chevron;
    chevron.moveTo(250, 280);
    chevron.lineTo(320, 240);
    chevron.lineTo(390, 280);
    p.strokePath(chevron, QPen(look.accent, 3));
    QPainterPath edge;
    edge.moveTo(80, 226);
    edge.lineTo(168, 290);
    p.strokePath(edge, QPen(look.accent, 2));
    p.strokePath(mirrored(edge), QPen(look.accent, 2));
}

void drawOval(QPainter& p, const Look& look)
{
    // ORBIX: a wide elliptical rim around a full plate.
    const QPointF c(320, 190);
    const QPainterPath outer = ellipse(c, 298, 168);
    const QPainterPath inner = ellipse(c, 272, 144);
    drawOpening(p, inner);
    QPainterPath plate =
        inner.subtracted(ellipse(QPointF(190, 330), 70, 22)).subtracted(ellipse(QPointF(450, 330), 70, 22));
    fillCarbon(p, plate, look.plate);
    drawRim(p, outer, inner, look);
    strokeStitching(p, ellipse(c, 285, 156), look.accent);
    QPainterPath ring = ellipse(QPointF(320, 200), 34, 90);
    p.strokePath(ring, QPen(look.accent, 2));
}

void drawSquircle(QPainter& p, const Look& look)
{
    // KTR2: rounded-square rim with flat top and bottom, clutch windows in the sides.
    const QPainterPath outer = roundRect(12, 14, 616, 342, 92);
    const QPainterPath inner = roundRect(38, 40, 564, 290, 70);
    drawOpening(p, inner);
    QPainterPath plate = inner.subtracted(roundRect(34, 196, 114, 40, 14)).subtracted(roundRect(492, 196, 114, 40, 14));
    fillCarbon(p, plate, look.plate);
    drawRim(p, outer, inner, look);
    strokeStitching(p, roundRect(25, 27, 590, 316, 81), look.accent);
    p.fillRect(QRectF(314, 14, 12, 26), look.accent);
}

} // namespace

Look lookOf(const QString& imageKey)
{
    if (imageKey == QLatin1String("rvelo"))
        return {QColor(214, 40, 40), QColor(38, 38, 40), QColor(52, 54, 58)};
    if (imageKey == QLatin1String("qln5"))
        return {QColor(30, 150, 230), QColor(44, 40, 36), QColor(58, 58, 62)};
    if (imageKey == QLatin1String("vkern"))
        return {QColor(240, 130, 20), QColor(60, 44, 32), QColor(70, 70, 74)};
    if (imageKey == QLatin1String("lm270"))
        return {QColor(212, 175, 55), QColor(36, 36, 38), QColor(48, 46, 44)};
    if (imageKey == QLatin1String("zepha2"))
        return {QColor(60, 200, 90), QColor(40, 42, 40), QColor(56, 60, 58)};
    if (imageKey == QLatin1String("orbix"))
        return {QColor(150, 80, 220), QColor(34, 32, 40), QColor(50, 48, 58)};
    return {QColor(0, 200, 210), QColor(42, 42, 44), QColor(62, 64, 68)};
}

void drawSilhouette(QPainter& p, const QString& imageKey, const Look& look)
{
    if (imageKey == QLatin1String("rvelo"))
        drawFormula(p, look);
    else if (imageKey == QLatin1String("qln5"))
        drawDShape(p, look);
    else if (imageKey == QLatin1String("vkern"))
        drawRound(p, look);
    else if (imageKey == QLatin1String("lm270"))
        drawButterfly(p, look);
    else if (imageKey == QLatin1String("zepha2"))
        drawWing(p, look);
    else if (imageKey == QLatin1String("orbix"))
        drawOval(p, look);
    else
        drawSquircle(p, look);
}

} // namespace wheelart
