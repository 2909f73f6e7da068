#pragma once

#include <QList>
#include <QMessageBox>
#include <QString>

// The one place where messages reach the user. Tests queue answers with setNextAnswer
// and read what would have been shown from shown(); with an answer queued, no dialog opens.
// Nothing is recorded until a test first calls clearShown().
class MessageBox
{
public:
    struct Shown
    {
        QMessageBox::Icon icon;
        QString title;
        QString text;
    };

    static QMessageBox::StandardButton critical(QWidget* parent, const QString& title, const QString& text);
    static QMessageBox::StandardButton information(QWidget* parent, const QString& title, const QString& text);
    // Yes and No, No the default.
    static QMessageBox::StandardButton question(QWidget* parent, const QString& title, const QString& text);

    // Answers the next box without showing it. Several calls queue several answers.
    static void setNextAnswer(QMessageBox::StandardButton button);
    // Every box shown (or answered) since the last clearShown().
    static const QList<Shown>& shown();
    // Forgets what was recorded, and records every box from now on.
    static void clearShown();
    // Drops answers queued but not used, so that one test's leftovers cannot answer the next.
    static void clearAnswers();

private:
    static QMessageBox::StandardButton ask(QMessageBox::Icon icon, QWidget* parent, const QString& title,
                                           const QString& text, QMessageBox::StandardButtons buttons,
                                           QMessageBox::StandardButton defaultButton);
};
