#include "tools/wheelart/wheels.h"

#include "tools/wheelart/controls.h"
#include "tools/wheelart/picture.h"
#include "tools/wheelart/silhouettes.h"

#include <QFont>
#include <QLineF>
#include <QPainter>
#include <QString>
#include <cstring>
#include <vector>

namespace wheelart {

namespace {

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

} // namespace

const tarvo::ModelInfo* modelInfo(const char* key)
{
    for (const tarvo::ModelInfo& model : tarvo::kModels) {
        if (std::strcmp(model.key, key) == 0)
            return &model;
    }
    return nullptr;
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

    drawSilhouette(p, key, look);

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

} // namespace wheelart
