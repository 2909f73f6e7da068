#include "cli/inputmonitor.h"

#include "cli/ctloutput.h"

namespace {
constexpr int kReportBytes = 16;
constexpr int kInputStateOffset = 4;
constexpr int kInputs = 64;
} // namespace

InputMonitor::InputMonitor(const CtlOutput& output, QObject* parent)
    : QObject(parent)
    , m_output(output)
{
    m_paddleTimer.setSingleShot(true);
    connect(&m_paddleTimer, &QTimer::timeout, this, &InputMonitor::printPaddles);
}

void InputMonitor::start()
{
    m_clock.start();
}

QString InputMonitor::time() const
{
    return QString::number(double(m_clock.nsecsElapsed()) / 1e9, 'f', 3);
}

void InputMonitor::print(const QString& event, const QString& words, const QString& members)
{
    if (m_output.json())
        m_output.line(QStringLiteral("{\"t\": %1, \"event\": \"%2\"%3}").arg(time(), event, members));
    else
        m_output.line(QStringLiteral("%1 %2 %3").arg(time(), event, words));
}

void InputMonitor::printPaddles()
{
    if (m_left == m_printedLeft && m_right == m_printedRight)
        return;
    m_printedLeft = m_left;
    m_printedRight = m_right;
    m_lastPaddlePrint = m_clock.elapsed();
    print(QStringLiteral("paddles"), QStringLiteral("left %1 right %2").arg(m_left).arg(m_right),
          QStringLiteral(", \"left\": %1, \"right\": %2").arg(m_left).arg(m_right));
}

void InputMonitor::onReport(const QByteArray& report)
{
    if (report.size() < kReportBytes)
        return; // the reader hands on whole buffers; anything else is not a report
    const auto byte = [&](int i) { return std::uint8_t(report[i]); };
    m_right = byte(0) | byte(1) << 8;
    m_left = byte(2) | byte(3) << 8;
    std::uint64_t active = 0;
    for (int i = 0; i < 8; ++i)
        active |= std::uint64_t(byte(kInputStateOffset + i)) << (8 * i);

    if (m_first) {
        m_first = false;
        printPaddles();
    } else if (m_left != m_printedLeft || m_right != m_printedRight) {
        const qint64 since = m_clock.elapsed() - m_lastPaddlePrint;
        if (since >= kPaddleIntervalMs)
            printPaddles();
        else if (!m_paddleTimer.isActive())
            m_paddleTimer.start(int(kPaddleIntervalMs - since));
    }

    const std::uint64_t changed = active ^ m_active;
    for (int input = 0; input < kInputs; ++input) {
        if ((changed >> input & 1) == 0)
            continue;
        const bool pressed = (active >> input & 1) != 0;
        const QString event = pressed ? QStringLiteral("press") : QStringLiteral("release");
        print(event, QString::number(input + 1), QStringLiteral(", \"input\": %1").arg(input + 1));
    }
    m_active = active;
}
