// A window on a virtual wheel whose firmware sends can be made to fail or to pull the
// wheel out at a chosen frame, and a record of every firmware frame the window tried.
#pragma once

#include "app/mainwindow.h"
#include "app/messagebox.h"
#include "device/devicehandle.h"
#include "support/mainwindowprobe.h"
#include "virtualwheel/virtualwheel.h"

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <memory>
#include <mutex>

class FaultyWheel : public HidBackend
{
public:
    enum class Fault { None, Unplug, FailOnce };

    explicit FaultyWheel(VirtualWheel& wheel)
        : m_wheel(wheel)
    {
    }

    // The fault strikes at the firmware frame of this index (blocks and end frame counted).
    void strikeAt(int frame, Fault fault)
    {
        std::lock_guard lock(m_mutex);
        m_strikeFrame = frame;
        m_fault = fault;
    }
    // Every firmware frame handed to a send, sent or not.
    QList<QByteArray> firmwareFrames() const
    {
        std::lock_guard lock(m_mutex);
        return m_frames;
    }
    int opens() const { return m_opens; }

    int init() override { return m_wheel.init(); }
    std::unique_ptr<HidDevice> open(std::uint16_t vendorId, std::uint16_t productId) override
    {
        std::unique_ptr<HidDevice> inner = m_wheel.open(vendorId, productId);
        if (!inner)
            return nullptr;
        ++m_opens;
        return std::make_unique<Device>(*this, std::move(inner));
    }

private:
    class Device : public HidDevice
    {
    public:
        Device(FaultyWheel& owner, std::unique_ptr<HidDevice> inner)
            : m_owner(owner)
            , m_inner(std::move(inner))
        {
        }
        int setNonBlocking(bool on) override { return m_inner->setNonBlocking(on); }
        int read(std::uint8_t* data, std::size_t length) override { return m_inner->read(data, length); }
        int write(const std::uint8_t* data, std::size_t length) override { return m_inner->write(data, length); }
        int getFeatureReport(std::uint8_t* data, std::size_t length) override
        {
            return m_inner->getFeatureReport(data, length);
        }
        int sendFeatureReport(const std::uint8_t* data, std::size_t length) override
        {
            if (length > 1 && ((data[1] & 0x80) || data[1] == 0x10) && m_owner.strike(data, length) == Fault::FailOnce)
                return -1;
            return m_inner->sendFeatureReport(data, length);
        }

    private:
        FaultyWheel& m_owner;
        std::unique_ptr<HidDevice> m_inner;
    };

    Fault strike(const std::uint8_t* data, std::size_t length)
    {
        std::lock_guard lock(m_mutex);
        m_frames.append(QByteArray(reinterpret_cast<const char*>(data), qsizetype(length)));
        if (m_frames.size() - 1 != m_strikeFrame)
            return Fault::None;
        if (m_fault == Fault::Unplug)
            m_wheel.unplug();
        return m_fault;
    }

    VirtualWheel& m_wheel;
    mutable std::mutex m_mutex;
    QList<QByteArray> m_frames;
    int m_strikeFrame = -1;
    Fault m_fault = Fault::None;
    std::atomic<int> m_opens{0};
};

class FirmwareWindow
{
public:
    FirmwareWindow()
        : wheel("R-VELO", 0x2007)
        , faulty(wheel)
    {
        MessageBox::clearShown();
        MessageBox::clearAnswers();
        deviceHandle.setBackend(&faulty);
        window = std::make_unique<MainWindow>();
    }
    ~FirmwareWindow()
    {
        window.reset();
        deviceHandle.close();
        deviceHandle.setBackend(nullptr);
    }

    bool waitConnected()
    {
        return QTest::qWaitFor(
            [&] {
                return MainWindowProbe::modelName(*window) == "R-VELO"
                    && MainWindowProbe::eventThread(*window).isRunning() && deviceHandle.isOpen();
            },
            10000);
    }
    Ui::MainWindow* ui() { return MainWindowProbe::ui(*window); }
    TarvoUpgrade& thread() { return MainWindowProbe::upgradeThread(*window); }
    bool atRest()
    {
        return ui()->pbAutoUpgrade->isEnabled() && ui()->pbAutoUpgrade->text() == "CHECK UPDATE"
            && ui()->pgUpgrade->isHidden() && ui()->lbUpgrade->isHidden();
    }

    VirtualWheel wheel;
    FaultyWheel faulty;
    std::unique_ptr<MainWindow> window;
};

// "title: text" of every box shown so far.
inline QStringList shownBoxes()
{
    QStringList boxes;
    for (const MessageBox::Shown& box : MessageBox::shown())
        boxes.append(box.title + ": " + box.text);
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
