#pragma once

#include <QColor>
#include <QList>

// The one place where the user picks a colour. Tests queue the colour a pick returns (an
// invalid QColor for a cancel) with setNextColour; with a colour queued, no dialog opens.
// Nothing is recorded until a test first calls clearAsked().
class ColorDialog
{
public:
    // QColorDialog::getColor with no parent, an empty title and no options; an invalid
    // colour when the user cancels.
    static QColor getColor(const QColor& initial);

    // Answers the next pick without showing a dialog. Several calls queue several answers.
    static void setNextColour(const QColor& colour);
    // The start colour of every pick asked for since the last clearAsked().
    static const QList<QColor>& asked();
    // Forgets what was recorded, and records every pick from now on.
    static void clearAsked();
};
