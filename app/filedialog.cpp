#include "app/filedialog.h"

#include <QFileDialog>

namespace {
QList<QString>& queuedAnswers()
{
    static QList<QString> answers;
    return answers;
}

QList<FileDialog::Shown>& shownDialogs()
{
    static QList<FileDialog::Shown> dialogs;
    return dialogs;
}

// Off in the program, so that the record cannot grow for as long as it runs.
bool recording = false;

// Notes the dialog when recording; true with the answer when a test queued one.
bool queuedAnswer(const QString& caption, const QString& directory, const QString& filter, QString* answer)
{
    if (recording)
        shownDialogs().append({caption, directory, filter});
    if (queuedAnswers().isEmpty())
        return false;
    *answer = queuedAnswers().takeFirst();
    return true;
}
} // namespace

QString FileDialog::getOpenFileName(QWidget* parent, const QString& caption, const QString& directory,
                                    const QString& filter)
{
    QString answer;
    if (queuedAnswer(caption, directory, filter, &answer))
        return answer;
    return QFileDialog::getOpenFileName(parent, caption, directory, filter);
}

QString FileDialog::getSaveFileName(QWidget* parent, const QString& caption, const QString& directory,
                                    const QString& filter)
{
    QString answer;
    if (queuedAnswer(caption, directory, filter, &answer))
        return answer;
    return QFileDialog::getSaveFileName(parent, caption, directory, filter);
}

void FileDialog::setNextAnswer(const QString& path)
{
    queuedAnswers().append(path);
}

const QList<FileDialog::Shown>& FileDialog::shown()
{
    return shownDialogs();
}

void FileDialog::clearShown()
{
    shownDialogs().clear();
    recording = true;
}
