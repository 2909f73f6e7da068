#pragma once

#include <QByteArray>
#include <QThread>

// Reads the wheel's input reports and hands each to the window. The only detector
// of a lost wheel: a failed read closes the handle and emits deviceDisconnect().
// Stopped with requestInterruption() and wait(); it then closes the handle silently.
class TarvoEvent : public QThread
{
    Q_OBJECT

public:
    // The earlier releases' end: after any end, a stop request included, wait 50 ms, close the
    // handle if it is open and emit deviceDisconnect(), without a log line. Set before start().
    void setReportsEveryEnd(bool on) { m_reportsEveryEnd = on; }
    bool reportsEveryEnd() const { return m_reportsEveryEnd; }

signals:
    // The 16 bytes that follow the report id.
    void eventTrigger(QByteArray report);
    void deviceDisconnect();

protected:
    void run() override;

private:
    bool m_reportsEveryEnd = false;
};
