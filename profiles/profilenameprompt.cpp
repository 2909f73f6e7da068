#include "profiles/profilenameprompt.h"

#include <QInputDialog>

namespace {
QList<QString>& queuedAnswers()
{
    static QList<QString> answers;
    return answers;
}
} // namespace

QString ProfileNamePrompt::getName(QWidget* parent, const QString& title, const QString& label,
                                   const QString& suggested)
{
    if (!queuedAnswers().isEmpty())
        return queuedAnswers().takeFirst();
    bool ok = false;
    const QString name = QInputDialog::getText(parent, title, label, QLineEdit::Normal, suggested, &ok);
    return ok ? name.trimmed() : QString();
}

void ProfileNamePrompt::setNextAnswer(const QString& name)
{
    queuedAnswers().append(name);
}
