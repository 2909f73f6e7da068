// A window on a virtual wheel: the wheel, a pass-through that can strike at any HID call, an
// optional trace of every call, and the window; small helpers to speak in input numbers.
#pragma once

#include "app/mainwindow.h"
#include "app/messagebox.h"
#include "device/devicehandle.h"
#include "device/hidtrace.h"
#include "settings/inputindicators.h"
#include "support/faultyhid.h"
#include "support/mainwindowprobe.h"
#include "virtualwheel/virtualwheel.h"
#ifdef TARVO_OPTIONAL_SET
#include "optional/releases/releases.h"
#endif

#include <QByteArray>
#include <QList>
#include <QPushButton>
#include <QSettings>
#include <QSignalBlocker>
#include <QTest>
#include <memory>

// The program's preferences; every test has its own config home.
struct Preferences : QSettings
{
    Preferences()
        : QSettings(QStringLiteral("Tarvo"), QStringLiteral("TarvoSet"))
    {
    }
};

// Owns the wheel and the window; the window goes first, so the input thread is stopped
// before the wheel it reads from disappears. A new one starts with no message box shown
// and no answer queued, as a new program would.
class WheelWindow
{
public:
    // With a trace path, every HID call is also written there (device/hidtrace.h).
    explicit WheelWindow(const QString& model = QStringLiteral("R-VELO"), std::uint16_t productId = 0x2007,
                         const QString& tracePath = QString())
        : wheel(model, productId)
        , faults(wheel)
        , m_model(model)
    {
        start(tracePath);
    }
#ifdef TARVO_OPTIONAL_SET
    // A window of the optional build behaving as one release.
    WheelWindow(tarvo::Release release, const QString& model, std::uint16_t productId = 0x2007,
                const QString& tracePath = QString())
        : wheel(model, productId)
        , faults(wheel)
        , m_model(model)
        , m_release(true)
    {
        tarvo::setActiveRelease(release);
        start(tracePath);
    }
#endif

    ~WheelWindow()
    {
        window.reset();
        deviceHandle.close();
        deviceHandle.setBackend(nullptr);
#ifdef TARVO_OPTIONAL_SET
        if (m_release)
            tarvo::setActiveRelease(tarvo::Release::V120);
#endif
    }

    // A new program on the same wheel, after the last one closed.
    void restart()
    {
        window.reset();
        window = std::make_unique<MainWindow>();
    }

    // The posted connection step has run, the model (by default the one the wheel was made
    // with) is laid out and the reader runs; then the connection's zero-delay starts run too.
    bool waitConnected(const QString& model = QString())
    {
        const QString expected = model.isEmpty() ? m_model : model;
        const bool connected = QTest::qWaitFor(
            [&] {
                return MainWindowProbe::modelName(*window) == expected
                    && MainWindowProbe::eventThread(*window).isRunning() && deviceHandle.isOpen();
            },
            10000);
        QTest::qWait(50);
        return connected;
    }

    // Everything queued to the window so far has run, a queued signal of a thread that has
    // ended included.
    bool settle()
    {
        const auto reached = std::make_shared<bool>(false);
        QMetaObject::invokeMethod(
            window.get(), [reached] { *reached = true; }, Qt::QueuedConnection);
        return QTest::qWaitFor([&] { return *reached; }, 10000);
    }

    Ui::MainWindow* ui()
    {
        return MainWindowProbe::ui(*window);
    }
    TarvoUpgrade& upgradeThread()
    {
        return MainWindowProbe::upgradeThread(*window);
    }

    // The pages as a connected wheel shows them, and the waiting screen.
    bool showsWheel()
    {
        return ui()->lbHead->text() == "TARVO " + m_model && ui()->pbS1->isEnabled() && ui()->pbStatus->isHidden()
            && MainWindowProbe::eventThread(*window).isRunning();
    }
    bool showsWaiting()
    {
        return ui()->lbHead->text() == "WAITING FOR DEVICE..." && !ui()->pbS1->isEnabled() && !ui()->pbS4->isEnabled()
            && !ui()->pbStatus->isHidden();
    }
    // The firmware page offers a new check: no transfer shown.
    bool firmwarePageAtRest()
    {
        return ui()->pbAutoUpgrade->isEnabled() && ui()->pbAutoUpgrade->text() == "CHECK UPDATE"
            && ui()->pgUpgrade->isHidden() && ui()->lbUpgrade->isHidden();
    }

    // Hands a report to the display directly, as a queued eventTrigger would.
    void feed(const QByteArray& report)
    {
        QMetaObject::invokeMethod(window.get(), "onJoystickEvent", Qt::DirectConnection, Q_ARG(QByteArray, report));
    }

    QPushButton* indicator(int input)
    {
        return ui()->*inputIndicators[std::size_t(input)].widget;
    }

    // Inputs whose indicator is shown on the screen, ascending. The screen follows the reports
    // at its own pace and only while the window is shown: see show().
    QList<int> lit()
    {
        QList<int> inputs;
        for (const InputIndicator& entry : inputIndicators) {
            if (!(ui()->*entry.widget)->isHidden())
                inputs.append(entry.input);
        }
        return inputs;
    }

    // Inputs whose indicator the latest report lit (status tip "SHOW"), ascending: the
    // program's state, up to date as soon as the slot returns.
    QList<int> litTips()
    {
        QList<int> inputs;
        for (const InputIndicator& entry : inputIndicators) {
            if ((ui()->*entry.widget)->statusTip() == QLatin1String("SHOW"))
                inputs.append(entry.input);
        }
        return inputs;
    }

    // Shows the window (offscreen), so that the INPUTS page follows the reports.
    bool show()
    {
        window->show();
        return QTest::qWaitForWindowExposed(window.get());
    }

    // Without the toggle's slot: the tests set the box, not the user.
    void setShifter(bool on)
    {
        const QSignalBlocker blocker(ui()->cbShifter);
        ui()->cbShifter->setChecked(on);
    }

    VirtualWheel wheel;
    FaultyHid faults;
    std::unique_ptr<HidTrace> trace;
    std::unique_ptr<MainWindow> window;

private:
    void start(const QString& tracePath)
    {
        MessageBox::clearShown();
        MessageBox::clearAnswers();
        if (!tracePath.isEmpty())
            trace = std::make_unique<HidTrace>(&faults, tracePath);
        deviceHandle.setBackend(trace ? static_cast<HidBackend*>(trace.get()) : &faults);
        window = std::make_unique<MainWindow>();
    }

    QString m_model;
#ifdef TARVO_OPTIONAL_SET
    bool m_release = false;
#endif
};

// A 16-byte report with the given inputs active and the two raw clutch readings.
inline QByteArray inputReport(const QList<int>& inputs, quint16 right = 0, quint16 left = 0)
{
    QByteArray report(16, '\0');
    report[0] = char(right & 0xFF);
    report[1] = char(right >> 8);
    report[2] = char(left & 0xFF);
    report[3] = char(left >> 8);
    for (int input : inputs)
        report[4 + input / 8] = char(quint8(report[4 + input / 8]) | (1 << (input % 8)));
    return report;
}

inline QList<int> range(int first, int last)
{
    QList<int> values;
    for (int i = first; i <= last; ++i)
        values.append(i);
    return values;
}
