#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <cstdint>

class CtlOutput;

// Turns the wheel's input reports into lines: presses and releases of all 64 inputs
// (counted from 1) and the two paddles, at most 20 times a second while they move and
// once more with their last values when they stop.
class InputMonitor : public QObject
{
    Q_OBJECT

public:
    static constexpr int kPaddleIntervalMs = 50;

    explicit InputMonitor(const CtlOutput& output, QObject* parent = nullptr);
    // Times count from here.
    void start();

public slots:
    // The 16 bytes after the report id; a short one keeps the bytes of the report before.
    void onReport(const QByteArray& report);

private:
    void printPaddles();
    void print(const QString& event, const QString& words, const QString& members);
    QString time() const;

    const CtlOutput& m_output;
    QElapsedTimer m_clock;
    QTimer m_paddleTimer;
    bool m_first = true;
    std::uint64_t m_active = 0;
    int m_left = 0;
    int m_right = 0;
    int m_printedLeft = -1;
    int m_printedRight = -1;
    qint64 m_lastPaddlePrint = 0;
};
