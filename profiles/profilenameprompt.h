#pragma once

#include <QList>
#include <QString>

class QWidget;

// The one place where the window asks for a profile's name. Tests queue answers with
// setNextAnswer (an empty string is a cancelled prompt); with an answer queued, nothing opens.
class ProfileNamePrompt
{
public:
    static QString getName(QWidget* parent, const QString& title, const QString& label, const QString& suggested);
    static void setNextAnswer(const QString& name);
};
