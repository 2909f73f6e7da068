#include "app/messagebox.h"

namespace {
QList<QMessageBox::StandardButton>& queuedAnswers()
{
    static QList<QMessageBox::StandardButton> answers;
    return answers;
}

QList<MessageBox::Shown>& shownBoxes()
{
    static QList<MessageBox::Shown> boxes;
    return boxes;
}

// Off in the program, so that the record cannot grow for as long as it runs.
bool recording = false;
} // namespace

QMessageBox::StandardButton MessageBox::critical(QWidget* parent, const QString& title, const QString& text)
{
    return ask(QMessageBox::Critical, parent, title, text, QMessageBox::Ok, QMessageBox::Ok);
}

QMessageBox::StandardButton MessageBox::information(QWidget* parent, const QString& title, const QString& text)
{
    return ask(QMessageBox::Information, parent, title, text, QMessageBox::Ok, QMessageBox::Ok);
}

QMessageBox::StandardButton MessageBox::question(QWidget* parent, const QString& title, const QString& text)
{
    return ask(QMessageBox::Question, parent, title, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
}

void MessageBox::setNextAnswer(QMessageBox::StandardButton button)
{
    queuedAnswers().append(button);
}

const QList<MessageBox::Shown>& MessageBox::shown()
{
    return shownBoxes();
}

void MessageBox::clearShown()
{
    shownBoxes().clear();
    recording = true;
}

void MessageBox::clearAnswers()
{
    queuedAnswers().clear();
}

QMessageBox::StandardButton MessageBox::ask(QMessageBox::Icon icon, QWidget* parent, const QString& title,
                                            const QString& text, QMessageBox::StandardButtons buttons,
                                            QMessageBox::StandardButton defaultButton)
{
    if (recording)
        shownBoxes().append({icon, title, text});
    if (!queuedAnswers().isEmpty())
        return queuedAnswers().takeFirst();
    QMessageBox box(icon, title, text, buttons, parent);
    box.setDefaultButton(defaultButton);
    const int result = box.exec();
    // Escape on a Yes/No box answers with the escape button, which Qt makes No.
    return static_cast<QMessageBox::StandardButton>(result);
}
