#pragma once

// The controls on a wheel: buttons, dials, sticks, paddles, lamps, LED windows, the shift-light
// strip and the clutch paddles.
#include "settings/modeltable.h"
#include "tools/wheelart/picture.h"

#include <QPointF>
#include <QRectF>
#include <vector>

class QPainter;

namespace wheelart {

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

void drawButton(QPainter& p, const Control& c, const Look& look);
void drawEncoder(QPainter& p, const Control& c, const Look& look);
void drawStick(QPainter& p, const Control& c);
void drawPaddle(QPainter& p, const Control& c, const Look& look);
// The arm that carries a paddle, mostly hidden behind the wheel.
void drawPaddleArm(QPainter& p, QPointF to);
// A round lens for an LED that lights no button.
void drawLamp(QPainter& p, const Control& c);
void drawLedWindow(QPainter& p, const Control& c);
// A shift-light strip: a dark bar behind the row of small LEDs.
void drawStrip(QPainter& p, std::vector<QPointF> points);
// The clutch paddle under a travel bar and its calibrate button.
QRectF clutchBlade(const tarvo::ClutchAxesPositions& at, bool left);
void drawClutchPaddle(QPainter& p, const tarvo::ClutchAxesPositions& at, bool left, const Look& look);

} // namespace wheelart
