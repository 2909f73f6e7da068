// Placing the per-model widgets (indicators, LED buttons, lamps, clutch axes) on a page.
#pragma once

class QWidget;

// How a placed button looks. Plain keeps the form's style and size.
enum class IndicatorStyle { Plain = 0, BlueDot = 1, WhiteDot = 2, WhiteSquare = 3 };

// The style sheet a kind puts on a button; null for Plain.
const char* indicatorStyleSheet(IndicatorStyle kind);
// The fixed side length a kind gives a button when shown; 0 for Plain (size kept).
int indicatorSide(IndicatorStyle kind);

// Moves to (x, y) in the parent's pixels, shows and enables; for the styled kinds also sets
// the kind's style sheet and size.
void placeShown(QWidget* widget, int x, int y, IndicatorStyle kind);
// Moves to (x, y), hides and enables; for the styled kinds also sets the style sheet. Never
// resizes: a hidden indicator keeps its size until it is lit.
void placeHidden(QWidget* widget, int x, int y, IndicatorStyle kind);
