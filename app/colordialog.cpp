#include "app/colordialog.h"

#include <QColorDialog>

namespace {
QList<QColor>& queuedColours()
{
    static QList<QColor> colours;
    return colours;
}

QList<QColor>& askedColours()
{
    static QList<QColor> colours;
    return colours;
}

// Off in the program, so that the record cannot grow for as long as it runs.
bool recording = false;
} // namespace

QColor ColorDialog::getColor(const QColor& initial)
{
    if (recording)
        askedColours().append(initial);
    if (!queuedColours().isEmpty())
        return queuedColours().takeFirst();
    return QColorDialog::getColor(initial, nullptr, QString(), QColorDialog::ColorDialogOptions());
}

void ColorDialog::setNextColour(const QColor& colour)
{
    queuedColours().append(colour);
}

const QList<QColor>& ColorDialog::asked()
{
    return askedColours();
}

void ColorDialog::clearAsked()
{
    askedColours().clear();
    recording = true;
}
