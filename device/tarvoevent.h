#pragma once

#include <QByteArray>
#include <QThread>

// Reads the wheel's input reports and hands each to the window. The only detector
// of a lost wheel: a failed read closes the handle and emits deviceDisconnect().
// Stopped with requestInterruption() and wait(); it then closes the handle silently.
class TarvoEvent : public QThread
{
    Q_OBJECT

signals:
    // The 16 bytes that follow the report id.
    void eventTrigger(QByteArray report);
    void deviceDisconnect();

protected:
    void run() override;
};
