// The message boxes a test saw, as "title: text", and a key pressed on a real dialog.
#pragma once

#include "app/messagebox.h"

#include <QApplication>
#include <QStringList>
#include <QTest>
#include <QTimer>

// Every box shown since the from-th of them.
inline QStringList shownBoxes(int from = 0)
{
    QStringList boxes;
    const QList<MessageBox::Shown>& shown = MessageBox::shown();
    for (int i = from; i < shown.size(); ++i)
        boxes.append(shown[i].title + QStringLiteral(": ") + shown[i].text);
    return boxes;
}

// The boxes shown since the last call, forgotten then.
inline QStringList takeShownBoxes()
{
    const QStringList boxes = shownBoxes();
    MessageBox::clearShown();
    return boxes;
}

// Answers the next real dialog with a key, as a user would.
inline void pressOnNextDialog(int key)
{
    // Owned by the application: a deferred delete posted inside the dialog's loop may never run.
    auto* timer = new QTimer(QCoreApplication::instance());
    QObject::connect(timer, &QTimer::timeout, timer, [timer, key] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            timer->stop();
            QTest::keyClick(dialog, Qt::Key(key));
            timer->deleteLater();
        }
    });
    timer->start(20);
}
