#include "settings/placement.h"

#include <QString>
#include <QWidget>

const char* indicatorStyleSheet(IndicatorStyle kind)
{
    switch (kind) {
    case IndicatorStyle::Plain:
        return nullptr;
    case IndicatorStyle::BlueDot:
        return "QPushButton {border-radius: 12px; background-color: rgb(0,117,190); border: 1px solid white; "
               "color: white;}";
    case IndicatorStyle::WhiteDot:
        return "QPushButton {border-radius: 12px; background-color: rgb(255,255,255); border: 1px solid white; "
               "color: white;}";
    case IndicatorStyle::WhiteSquare:
        return "QPushButton {border-radius: 4px; background-color: rgb(255,255,255); border: 1px solid white; "
               "color: white;}";
    }
    return nullptr;
}

int indicatorSide(IndicatorStyle kind)
{
    switch (kind) {
    case IndicatorStyle::Plain:
        return 0;
    case IndicatorStyle::BlueDot:
    case IndicatorStyle::WhiteDot:
        return 24;
    case IndicatorStyle::WhiteSquare:
        return 12;
    }
    return 0;
}

namespace {
void applyKindStyle(QWidget* widget, IndicatorStyle kind)
{
    if (const char* sheet = indicatorStyleSheet(kind))
        widget->setStyleSheet(QString::fromLatin1(sheet));
}
} // namespace

void placeShown(QWidget* widget, int x, int y, IndicatorStyle kind)
{
    widget->move(x, y);
    widget->show();
    widget->setEnabled(true);
    applyKindStyle(widget, kind);
    if (const int side = indicatorSide(kind))
        widget->resize(side, side);
}

void placeHidden(QWidget* widget, int x, int y, IndicatorStyle kind)
{
    widget->move(x, y);
    widget->hide();
    widget->setEnabled(true);
    applyKindStyle(widget, kind);
}
