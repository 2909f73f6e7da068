// A window on a virtual wheel, seen from the wheel's side: the frames it received, its
// flash, and the message boxes the window showed (answered without opening).
#pragma once

#include "support/messageboxes.h"
#include "support/wheelwindow.h"

#include <QJsonObject>
#include <QStringList>
#include <memory>

// A 20-byte frame as lower-case hex: the given bytes, then zeros.
inline QString frameHex(std::initializer_list<int> bytes)
{
    QByteArray frame(20, '\0');
    int at = 0;
    for (int byte : bytes)
        frame[at++] = char(byte);
    return QString::fromLatin1(frame.toHex());
}

// PaddleSettings: mode, marker, 0, then rightMax, leftMax, rightMin, leftMin little-endian.
inline QString paddleHex(int mode, int marker, int rMax, int lMax, int rMin, int lMin)
{
    return frameHex({0x02, 0x0a, mode, marker, 0, rMax & 0xff, rMax >> 8, lMax & 0xff, lMax >> 8, rMin & 0xff,
                     rMin >> 8, lMin & 0xff, lMin >> 8});
}

class SettingsPage
{
public:
    void start(const QString& model = QStringLiteral("R-VELO"))
    {
        Preferences().clear();
        QVERIFY(open(model));
        // A battery wheel's first poll is posted by the connection; let it pass before counting frames.
        QTRY_VERIFY(!MainWindowProbe::hasBattery(window())
                    || MainWindowProbe::batteryPoll(window()).remainingTime() > 0);
        m->wheel.clearReceived();
    }

    // A new program on a new wheel; with a state file, the wheel's flash is kept in it.
    bool open(const QString& model, const QString& stateFile = QString())
    {
        m.reset();
        m = std::make_unique<WheelWindow>(model);
        // The window connects from the event loop, so the flash is in place before it asks.
        if (!stateFile.isEmpty() && !m->wheel.attachStateFile(stateFile, nullptr))
            return false;
        // Answers for the boxes a case may show; a box no case expects shows up in takeShownBoxes().
        for (int i = 0; i < 4; ++i)
            MessageBox::setNextAnswer(QMessageBox::Ok);
        return m->waitConnected();
    }

    void stop()
    {
        m.reset();
        Preferences().clear();
    }

    MainWindow& window() { return *m->window; }
    Ui::MainWindow* ui() { return m->ui(); }
    VirtualWheel& wheel() { return m->wheel; }

    // Frames the wheel took since the last call, as hex; failed sends never reach it. The
    // battery poll runs on its own timer and is left out.
    QStringList frames()
    {
        QStringList hex;
        for (const VirtualWheel::Received& r : m->wheel.received()) {
            if (!r.bytes.startsWith("\x02\x0b\x0f"))
                hex.append(QString::fromLatin1(r.bytes.toHex()));
        }
        m->wheel.clearReceived();
        return hex;
    }

    QJsonObject flash() const { return m->wheel.state().value(QStringLiteral("flash")).toObject(); }

    std::unique_ptr<WheelWindow> m;
};

inline const QString kSaved = QStringLiteral("Success: Setting saved.");
inline const QString kNotSaved = QStringLiteral("Error: Can not save setting.");
