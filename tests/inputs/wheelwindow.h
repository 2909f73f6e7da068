// A window connected to a virtual wheel, and small helpers to speak in input numbers.
#pragma once

#include "app/mainwindow.h"
#include "device/devicehandle.h"
#include "settings/inputindicators.h"
#include "support/mainwindowprobe.h"
#include "virtualwheel/virtualwheel.h"

#include <QByteArray>
#include <QList>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTest>
#include <memory>

// Owns the wheel and the window; the window goes first, so the input thread is stopped
// before the wheel it reads from disappears.
class WheelWindow
{
public:
    explicit WheelWindow(const QString& model)
        : wheel(model, 0x2007)
    {
        deviceHandle.setBackend(&wheel);
        window = std::make_unique<MainWindow>();
    }

    ~WheelWindow()
    {
        window.reset();
        deviceHandle.close();
        deviceHandle.setBackend(nullptr);
    }

    // The posted connection attempt has run: the model is laid out and the reader runs.
    bool waitConnected(const QString& model)
    {
        return QTest::qWaitFor([&] {
            return MainWindowProbe::modelName(*window) == model && MainWindowProbe::eventThread(*window).isRunning()
                && deviceHandle.isOpen();
        });
    }

    Ui::MainWindow* ui() { return MainWindowProbe::ui(*window); }

    // Hands a report to the display directly, as a queued eventTrigger would.
    void feed(const QByteArray& report)
    {
        QMetaObject::invokeMethod(window.get(), "onJoystickEvent", Qt::DirectConnection, Q_ARG(QByteArray, report));
    }

    QPushButton* indicator(int input) { return ui()->*inputIndicators[std::size_t(input)].widget; }

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
    std::unique_ptr<MainWindow> window;
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
