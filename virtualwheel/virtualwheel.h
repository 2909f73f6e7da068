#pragma once

#include "device/hidbackend.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>

class QTimer;
class WheelFirmware;

// A simulated wheel: receives frames, keeps live and flash state, answers queries,
// and produces input reports. One object per process, used as a HidBackend.
//
// Every public function is thread-safe: the device it opens is called from the GUI,
// input and flashing threads, the control functions from the GUI thread or tests.
// Devices it opened may outlive it. Opens answer only vendor 0x7E57 and the product id
// given at construction, and only while the wheel is plugged in.
class VirtualWheel : public QObject, public HidBackend
{
    Q_OBJECT

public:
    // One frame the wheel received, for tests.
    struct Received
    {
        enum class Kind { SendFeature, Write } kind;
        QByteArray bytes;
    };

    VirtualWheel(const QString& model, std::uint16_t productId, QObject* parent = nullptr);
    ~VirtualWheel() override;

    // Keeps the flash in path (JSON): loads it now (a missing file is a factory-new
    // wheel) and rewrites it after every change. False, with a reason, when the file
    // cannot be read or is malformed; the file is then left untouched.
    bool attachStateFile(const QString& path, QString* error);
    // The paddles sweep and a few inputs pulse by themselves.
    void setDemo(bool on);

    int init() override;
    std::unique_ptr<HidDevice> open(std::uint16_t vendorId, std::uint16_t productId) override;
    // The wheel while it is plugged in; its path reads "virtual".
    std::vector<PresentDevice> enumerate(std::uint16_t vendorId) override;
    // Processes on one state file share one wheel: the key is the file's canonical path
    // (its folder's canonical path and its name while it does not exist). Without a
    // state file nothing outside this process can reach the wheel: no key.
    std::string lockKey(std::uint16_t vendorId, std::uint16_t productId) override;

    // The control commands, as C++ calls (the control socket maps its lines onto these).
    void queueInput(const QByteArray& reportAfterId); // 1..16 bytes; fewer make a short read
    void unplug();
    void plug();
    void setModel(const QString& text);
    void setVersion(const QString& text);
    void setBattery(int percent, int supply, int link);
    void setAuxLampsFlag(int flag);
    void setShifterRaw(int shifter, int value);
    // Sets a stored setting in live and flash alike; false (and nothing changes) on a bad key or value.
    bool setSetting(const QString& key, const QStringList& values, QString* error = nullptr);
    void failSends(int count);
    void failGets(int count);
    void setLatency(int milliseconds); // 0 to 100
    QJsonObject state() const;

    // For tests and benchmarks.
    bool isOpen() const;
    int pendingInputCount() const;
    QList<Received> received() const;
    void clearReceived();

signals:
    // After unplug() and plug(), from the thread that called them.
    void pluggedChanged(bool plugged);
    // After queueInput(), from the thread that called it.
    void inputQueued();

private:
    void demoTick();

    std::shared_ptr<WheelFirmware> m_firmware; // shared with every device opened
    QString m_stateFile;
    QTimer* m_demoTimer = nullptr;
    int m_demoTick = 0;
};
