// Draws the committed pictures: the seven wheel pictures, the header and window buttons, the
// about picture and the application icons.
//
// Every control of a wheel picture is drawn from the placement tables, so an indicator or LED
// button always lands on a drawn button, dial, stick, paddle or lamp. The build never runs this;
// run it after changing a placement and commit what it writes:
//
//   wheelart --out resources/img --icon packaging/linux/tarvoset.png
//            --hicolor packaging/linux/icons [--overlay /tmp/wheels]
//
// --overlay also writes each wheel with its placed widgets painted on top, to check the fit.
#include "settings/modellayouts.h"
#include "settings/modeltable.h"

#include <QBuffer>
#include <QByteArray>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr int kWidth = tarvo::kPicture.width;
constexpr int kHeight = tarvo::kPicture.height;
constexpr double kPi = 3.14159265358979323846;

const QColor kPageBackground(26, 25, 25);
const QColor kIndicatorBlue(0, 117, 190);

// Page pixels to picture pixels.
QPointF pictureCentre(int x, int y, tarvo::WidgetSize size)
{
    return QPointF(x - tarvo::kPicture.x + size.width / 2.0, y - tarvo::kPicture.y + size.height / 2.0);
}

QRectF pictureRect(int x, int y, tarvo::WidgetSize size)
{
    return QRectF(x - tarvo::kPicture.x, y - tarvo::kPicture.y, size.width, size.height);
}

bool startsWith(const char* name, const char* prefix)
{
    return std::strncmp(name, prefix, std::strlen(prefix)) == 0;
}

enum class ControlKind { Button, Encoder, Stick, Paddle, Lamp, LedWindow, StripLed };

struct Control
{
    ControlKind kind;
    QPointF centre;
    bool lit = false; // an LED shines in or around it
    bool squareLed = false; // the LED on it is a small square window
    int paddleSide = 0; // -1 left, +1 right
    int index = 0; // varies the cap colours a little
};

// The model's look: body colours, accent and which silhouette it has.
struct Look
{
    QColor accent;
    QColor rim;
    QColor plate;
};

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

// ---------------------------------------------------------------------------------------------
// Controls

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

// The arm that carries a paddle, mostly hidden behind the wheel.
void drawPaddleArm(QPainter& p, QPointF to)
{
    const QPointF from(kWidth / 2.0, 190);
    p.setPen(QPen(QColor(70, 72, 78), 16, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(from, to);
    p.setPen(QPen(QColor(30, 30, 34), 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(from, to);
}

// A round lens for an LED that lights no button.
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

// A shift-light strip: a dark bar behind the row of small LEDs.
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

// The clutch paddle under a travel bar and its calibrate button.
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

// ---------------------------------------------------------------------------------------------
// A wheel picture from the tables

const tarvo::ModelInfo* modelInfo(const char* key)
{
    for (const tarvo::ModelInfo& model : tarvo::kModels) {
        if (std::strcmp(model.key, key) == 0)
            return &model;
    }
    return nullptr;
}

bool isStripLed(const char* name)
{
    return startsWith(name, "pbT");
}

struct WheelControls
{
    std::vector<Control> controls;
    std::vector<QPointF> strip;
};

// One control per physical thing: an encoder's two directions and a stick's seven inputs are
// one control, and an LED placed on an indicator's spot lights that control.
WheelControls collectControls(const tarvo::ModelLayout& layout, const tarvo::ModelInfo& model)
{
    WheelControls out;
    auto near = [&](QPointF c) -> Control* {
        for (Control& existing : out.controls) {
            if (QLineF(existing.centre, c).length() < 8)
                return &existing;
        }
        return nullptr;
    };
    int index = 0;
    for (const tarvo::WidgetPlacement& w : layout.indicators) {
        const QPointF c = pictureCentre(w.x, w.y, tarvo::placedSize(w));
        if (near(c))
            continue;
        Control control{ControlKind::Button, c};
        if (startsWith(w.name, "pbID"))
            control.kind = ControlKind::Encoder;
        else if (startsWith(w.name, "pbJs"))
            control.kind = ControlKind::Stick;
        else if (startsWith(w.name, "pbSW") || startsWith(w.name, "pbISW"))
            control.kind = ControlKind::Paddle;
        control.paddleSide = c.x() < kWidth / 2 ? -1 : 1;
        control.index = index++;
        out.controls.push_back(control);
    }
    auto addLed = [&](QPointF c, bool square, bool strip) {
        if (Control* existing = near(c)) {
            existing->lit = true;
            existing->squareLed = square;
            return;
        }
        if (strip) {
            out.strip.push_back(c);
            return;
        }
        Control control{square ? ControlKind::LedWindow : ControlKind::Lamp, c};
        control.lit = true;
        control.squareLed = square;
        out.controls.push_back(control);
    };
    for (const tarvo::LedPlacement& led : layout.leds) {
        const bool square = tarvo::placedSize(led).width <= 12;
        addLed(pictureCentre(led.x, led.y, tarvo::placedSize(led)), square, square && isStripLed(led.name));
    }
    if (model.auxLamps != tarvo::AuxLampsRule::Never) {
        for (const tarvo::Point& lamp : model.lampsAt) {
            const tarvo::WidgetSize size =
                model.lampKind == IndicatorStyle::Plain ? tarvo::formSize("pbXL") : tarvo::WidgetSize{24, 24};
            addLed(pictureCentre(lamp.x, lamp.y, size), false, false);
        }
    }
    return out;
}

QImage drawWheel(const tarvo::ModelLayout& layout, const tarvo::ModelInfo& model)
{
    const QString key = QString::fromLatin1(layout.imageKey);
    const Look look = lookOf(key);
    QImage image(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    const WheelControls wheel = collectControls(layout, model);
    // Arms first, so that the wheel hides all but their outer ends.
    for (const Control& c : wheel.controls) {
        if (c.kind == ControlKind::Paddle)
            drawPaddleArm(p, c.centre);
    }
    if (model.clutchAxes == tarvo::ClutchAxes::Shown) {
        drawPaddleArm(p, clutchBlade(model.clutchAxesAt, true).center());
        drawPaddleArm(p, clutchBlade(model.clutchAxesAt, false).center());
    }

    if (key == QLatin1String("rvelo"))
        drawFormula(p, look);
    else if (key == QLatin1String("qln5"))
        drawDShape(p, look);
    else if (key == QLatin1String("vkern"))
        drawRound(p, look);
    else if (key == QLatin1String("lm270"))
        drawButterfly(p, look);
    else if (key == QLatin1String("zepha2"))
        drawWing(p, look);
    else if (key == QLatin1String("orbix"))
        drawOval(p, look);
    else
        drawSquircle(p, look);

    // The clutch paddles, with the travel bars and calibrate buttons on them.
    if (model.clutchAxes == tarvo::ClutchAxes::Shown) {
        drawClutchPaddle(p, model.clutchAxesAt, true, look);
        drawClutchPaddle(p, model.clutchAxesAt, false, look);
    }

    drawStrip(p, wheel.strip);
    // Paddles first: a lamp or LED on a paddle comes out on top of it.
    for (const Control& c : wheel.controls) {
        if (c.kind == ControlKind::Paddle)
            drawPaddle(p, c, look);
    }
    for (const Control& c : wheel.controls) {
        switch (c.kind) {
        case ControlKind::Button:
            drawButton(p, c, look);
            break;
        case ControlKind::Encoder:
            drawEncoder(p, c, look);
            break;
        case ControlKind::Stick:
            drawStick(p, c);
            break;
        case ControlKind::Lamp:
            drawLamp(p, c);
            break;
        case ControlKind::LedWindow:
            drawLedWindow(p, c);
            break;
        case ControlKind::Paddle:
        case ControlKind::StripLed:
            break;
        }
        if (c.lit && c.squareLed && c.kind != ControlKind::LedWindow) {
            Control window = c;
            drawLedWindow(p, window);
        }
    }

    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(11);
    font.setBold(true);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 1.5);
    p.setFont(font);
    p.setPen(look.accent.lighter(120));
    const double nameY = key == QLatin1String("lm270") ? 300 : (key == QLatin1String("zepha2") ? 222 : 322);
    p.drawText(QRectF(240, nameY, 160, 16), Qt::AlignCenter, QString::fromLatin1(layout.key));
    return image;
}

// The widgets as the window places them, on top of the picture.
QImage overlay(const QImage& wheel, const tarvo::ModelLayout& layout, const tarvo::ModelInfo& model, bool inputs)
{
    QImage image(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    image.fill(kPageBackground);
    QPainter p(&image);
    p.drawImage(0, 0, wheel);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::white, 1));
    if (inputs) {
        p.setBrush(kIndicatorBlue);
        for (const tarvo::WidgetPlacement& w : layout.indicators)
            p.drawRoundedRect(pictureRect(w.x, w.y, tarvo::placedSize(w)), 12, 12);
        // The encoder-pulse read-out and the clutch bars share the page.
        p.setBrush(QColor(255, 255, 255, 60));
        p.drawRect(QRectF(290 - 61, model.encoderPulseY[0] - 9, 181, 21));
        p.drawRect(QRectF(309 - 61, model.encoderPulseY[1] - 9, 141, 22));
        p.drawRect(QRectF(330 - 61, model.encoderPulseY[2] - 9, 100, 21));
        if (model.clutchAxes == tarvo::ClutchAxes::Shown) {
            const tarvo::ClutchAxesPositions& a = model.clutchAxesAt;
            p.setBrush(Qt::white);
            p.drawRect(QRectF(a.adcL.x - 61, a.adcL.y - 9, 101, 10));
            p.drawRect(QRectF(a.adcR.x - 61, a.adcR.y - 9, 101, 10));
            p.setBrush(kIndicatorBlue);
            p.drawRoundedRect(QRectF(a.calL.x - 61, a.calL.y - 9, 60, 15), 5, 5);
            p.drawRoundedRect(QRectF(a.calR.x - 61, a.calR.y - 9, 60, 15), 5, 5);
        }
    } else {
        p.setBrush(QColor(255, 255, 255));
        for (const tarvo::LedPlacement& led : layout.leds) {
            const tarvo::WidgetSize size = tarvo::placedSize(led);
            p.drawRoundedRect(pictureRect(led.x, led.y, size), size.width > 12 ? 12 : 4, size.width > 12 ? 12 : 4);
        }
        if (model.auxLamps != tarvo::AuxLampsRule::Never) {
            p.setBrush(QColor(255, 200, 0));
            for (const tarvo::Point& lamp : model.lampsAt)
                p.drawRoundedRect(pictureRect(lamp.x, lamp.y, {24, 24}), 12, 12);
        }
    }
    p.setBrush(QColor(255, 255, 255, 60));
    p.drawRect(QRectF(300 - 61, 369 - 9, 161, 31)); // the page's save button
    return image;
}

// ---------------------------------------------------------------------------------------------
// Window art

// The emblem: a three-spoke wheel in the indicator blue.
void drawEmblem(QPainter& p, QRectF box)
{
    const QPointF c = box.center();
    const double r = box.width() / 2;
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient disc(c, r);
    disc.setColorAt(0, QColor(30, 177, 255));
    disc.setColorAt(1, QColor(9, 74, 105));
    QPainterPath ring = ellipse(c, r * 0.96, r * 0.96).subtracted(ellipse(c, r * 0.70, r * 0.70));
    QPainterPath hub = ellipse(c, r * 0.24, r * 0.24);
    QPainterPath spokes;
    spokes.addRect(QRectF(c.x() - r * 0.80, c.y() - r * 0.09, r * 1.6, r * 0.18));
    spokes.addRect(QRectF(c.x() - r * 0.09, c.y(), r * 0.18, r * 0.80));
    const QPainterPath wheel = ring.united(hub).united(spokes);
    p.fillPath(wheel, disc);
    p.strokePath(wheel, QPen(QColor(255, 255, 255, 200), std::max(1.0, r / 24)));
    // Top marker.
    p.fillRect(QRectF(c.x() - r * 0.07, c.y() - r * 0.96, r * 0.14, r * 0.26), QColor(255, 255, 255));
}

QImage emblem(int side)
{
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    const double m = side * 0.03;
    drawEmblem(p, QRectF(m, m, side - 2 * m, side - 2 * m));
    return image;
}

QImage header()
{
    QImage image(901, 71, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&image);
    QLinearGradient g(0, 0, 0, 71);
    g.setColorAt(0, QColor(48, 48, 50));
    g.setColorAt(1, QColor(22, 22, 22));
    p.fillRect(image.rect(), g);
    p.setRenderHint(QPainter::Antialiasing);
    // A slanted band behind the sidebar and a blue base line.
    QPainterPath band;
    band.moveTo(0, 0);
    band.lineTo(150, 0);
    band.lineTo(120, 71);
    band.lineTo(0, 71);
    band.closeSubpath();
    QLinearGradient blue(0, 0, 150, 0);
    blue.setColorAt(0, QColor(17, 146, 207));
    blue.setColorAt(1, QColor(9, 74, 105));
    p.fillPath(band, blue);
    p.setPen(QPen(QColor(255, 255, 255, 12), 1));
    for (int x = 150; x < 901; x += 6)
        p.drawLine(QPointF(x, 71), QPointF(x + 30, 0));
    p.fillRect(QRectF(0, 69, 901, 2), QColor(17, 146, 207));
    return image;
}

QImage titleButton(bool close, bool hover)
{
    QImage image(24, 24, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    if (hover) {
        p.setPen(Qt::NoPen);
        p.setBrush(close ? QColor(220, 50, 50) : QColor(17, 146, 207));
        p.drawEllipse(QRectF(1, 1, 22, 22));
    }
    p.setPen(QPen(hover ? Qt::white : QColor(200, 200, 200), 2.2, Qt::SolidLine, Qt::RoundCap));
    if (close) {
        p.drawLine(QPointF(7.5, 7.5), QPointF(16.5, 16.5));
        p.drawLine(QPointF(16.5, 7.5), QPointF(7.5, 16.5));
    } else {
        p.drawLine(QPointF(7, 12), QPointF(17, 12));
    }
    return image;
}

QImage about()
{
    QImage image(400, 125, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    drawEmblem(p, QRectF(10, 12, 100, 100));
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(50);
    font.setBold(true);
    font.setItalic(true);
    QPainterPath text;
    text.addText(122, 82, font, QStringLiteral("TarvoSet"));
    QLinearGradient g(0, 30, 0, 85);
    g.setColorAt(0, QColor(255, 255, 255));
    g.setColorAt(1, QColor(150, 200, 230));
    p.fillPath(text, g);
    p.fillRect(QRectF(124, 94, 264, 3), QColor(17, 146, 207));
    QFont small(QStringLiteral("DejaVu Sans"));
    small.setPixelSize(12);
    small.setLetterSpacing(QFont::AbsoluteSpacing, 2);
    p.setFont(small);
    p.setPen(QColor(190, 190, 190));
    p.drawText(QRectF(124, 100, 264, 18), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("WHEEL SETTINGS"));
    return image;
}

// A Windows icon with several sizes. Qt's ico writer stores one image per file, so the
// container is written here; every entry is a 32-bit bitmap, which every reader understands.
QByteArray icoFile(const std::vector<QImage>& images)
{
    QByteArray out;
    auto put16 = [&](quint16 v) {
        const quint16 le = qToLittleEndian(v);
        out.append(reinterpret_cast<const char*>(&le), 2);
    };
    auto put32 = [&](quint32 v) {
        const quint32 le = qToLittleEndian(v);
        out.append(reinterpret_cast<const char*>(&le), 4);
    };
    std::vector<QByteArray> bodies;
    for (const QImage& source : images) {
        const QImage img = source.convertToFormat(QImage::Format_ARGB32);
        const int w = img.width(), h = img.height();
        const int maskStride = ((w + 31) / 32) * 4;
        QByteArray body;
        QBuffer buf(&body);
        buf.open(QIODevice::WriteOnly);
        auto b16 = [&](quint16 v) {
            const quint16 le = qToLittleEndian(v);
            buf.write(reinterpret_cast<const char*>(&le), 2);
        };
        auto b32 = [&](quint32 v) {
            const quint32 le = qToLittleEndian(v);
            buf.write(reinterpret_cast<const char*>(&le), 4);
        };
        b32(40);
        b32(w);
        b32(h * 2); // colour rows plus mask rows
        b16(1);
        b16(32);
        b32(0);
        b32(w * h * 4 + maskStride * h);
        b32(0);
        b32(0);
        b32(0);
        b32(0);
        for (int y = h - 1; y >= 0; --y) {
            const QRgb* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
            for (int x = 0; x < w; ++x) {
                const char bgra[4] = {char(qBlue(line[x])), char(qGreen(line[x])), char(qRed(line[x])),
                                      char(qAlpha(line[x]))};
                buf.write(bgra, 4);
            }
        }
        for (int y = h - 1; y >= 0; --y) {
            QByteArray row(maskStride, 0);
            const QRgb* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
            for (int x = 0; x < w; ++x) {
                if (qAlpha(line[x]) == 0)
                    row[x / 8] = char(row[x / 8] | (0x80 >> (x % 8)));
            }
            buf.write(row);
        }
        bodies.push_back(body);
    }
    put16(0);
    put16(1);
    put16(quint16(images.size()));
    quint32 offset = 6 + 16 * quint32(images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        const int w = images[i].width();
        out.append(char(w >= 256 ? 0 : w));
        out.append(char(w >= 256 ? 0 : images[i].height()));
        out.append(char(0));
        out.append(char(0));
        put16(1);
        put16(32);
        put32(quint32(bodies[i].size()));
        put32(offset);
        offset += quint32(bodies[i].size());
    }
    for (const QByteArray& body : bodies)
        out.append(body);
    return out;
}

bool save(const QImage& image, const QString& path)
{
    if (!image.save(path, "PNG", 0)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    // Text needs a font database, which needs a platform; none has to be on screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Draws TarvoSet's pictures."));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("out"), QStringLiteral("Folder for the resource pictures."), QStringLiteral("dir"),
                      QStringLiteral("resources/img")});
    parser.addOption(
        {QStringLiteral("icon"), QStringLiteral("Path of the 256 px application icon."), QStringLiteral("file")});
    parser.addOption({QStringLiteral("hicolor"),
                      QStringLiteral("Folder for the smaller application icons, as NxN/apps/tarvoset.png."),
                      QStringLiteral("dir")});
    parser.addOption({QStringLiteral("overlay"), QStringLiteral("Also write each wheel with its widgets on top."),
                      QStringLiteral("dir")});
    parser.process(app);

    const QDir out(parser.value(QStringLiteral("out")));
    if (!QDir().mkpath(out.path())) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(out.path()));
        return 1;
    }
    QDir overlayDir;
    const bool withOverlay = parser.isSet(QStringLiteral("overlay"));
    if (withOverlay) {
        overlayDir.setPath(parser.value(QStringLiteral("overlay")));
        QDir().mkpath(overlayDir.path());
    }

    bool ok = true;
    for (const tarvo::ModelLayout& layout : tarvo::modelLayouts()) {
        const tarvo::ModelInfo* model = modelInfo(layout.key);
        if (!model) {
            std::fprintf(stderr, "no model table entry for %s\n", layout.key);
            return 1;
        }
        const QImage wheel = drawWheel(layout, *model);
        const QString name = QStringLiteral("back.%1.png").arg(QLatin1String(layout.imageKey));
        ok = save(wheel, out.filePath(name)) && ok;
        if (withOverlay) {
            ok =
                save(overlay(wheel, layout, *model, true), overlayDir.filePath(QStringLiteral("inputs.") + name)) && ok;
            if (model->rgbPage)
                ok = save(overlay(wheel, layout, *model, false), overlayDir.filePath(QStringLiteral("rgb.") + name))
                    && ok;
        }
    }

    ok = save(header(), out.filePath(QStringLiteral("head.png"))) && ok;
    ok = save(emblem(31), out.filePath(QStringLiteral("logo.png"))) && ok;
    ok = save(titleButton(true, false), out.filePath(QStringLiteral("close.png"))) && ok;
    ok = save(titleButton(true, true), out.filePath(QStringLiteral("closeh.png"))) && ok;
    ok = save(titleButton(false, false), out.filePath(QStringLiteral("min.png"))) && ok;
    ok = save(titleButton(false, true), out.filePath(QStringLiteral("minh.png"))) && ok;
    ok = save(about(), out.filePath(QStringLiteral("about.png"))) && ok;
    ok = save(emblem(128), out.filePath(QStringLiteral("tarvo.png"))) && ok;

    QFile ico(out.filePath(QStringLiteral("main.ico")));
    if (!ico.open(QIODevice::WriteOnly)
        || ico.write(icoFile({emblem(16), emblem(24), emblem(32), emblem(48), emblem(64)})) < 0) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(ico.fileName()));
        ok = false;
    }
    ico.close();
    QImageReader check(ico.fileName());
    if (check.imageCount() != 5) {
        std::fprintf(stderr, "main.ico reads back with %d images\n", check.imageCount());
        ok = false;
    }

    if (parser.isSet(QStringLiteral("icon")))
        ok = save(emblem(256), parser.value(QStringLiteral("icon"))) && ok;
    if (parser.isSet(QStringLiteral("hicolor"))) {
        // Drawn at each size rather than scaled down, so the small ones stay sharp.
        const QDir theme(parser.value(QStringLiteral("hicolor")));
        for (const int side : {16, 22, 24, 32, 48, 64, 128}) {
            const QString folder = QStringLiteral("%1x%1/apps").arg(side);
            ok = theme.mkpath(folder) && save(emblem(side), theme.filePath(folder + QStringLiteral("/tarvoset.png")))
                && ok;
        }
    }
    return ok ? 0 : 1;
}
