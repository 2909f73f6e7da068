#pragma once

#include <QList>
#include <QString>

class QWidget;

// The one place where the program asks for a file. Tests queue answers with setNextAnswer
// (an empty string is a cancelled dialog) and read the filters asked with from shown();
// with an answer queued, no dialog opens. Nothing is recorded until a test first calls
// clearShown().
class FileDialog
{
public:
    struct Shown
    {
        QString caption;
        QString directory;
        QString filter;
    };

    static QString getOpenFileName(QWidget* parent, const QString& caption, const QString& directory,
                                   const QString& filter);
    // Asks before replacing an existing file.
    static QString getSaveFileName(QWidget* parent, const QString& caption, const QString& directory,
                                   const QString& filter);

    static void setNextAnswer(const QString& path);
    static const QList<Shown>& shown();
    // Forgets what was recorded, and records every dialog from now on.
    static void clearShown();
};
