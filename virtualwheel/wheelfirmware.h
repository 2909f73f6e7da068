#pragma once

#include "virtualwheel/firmwareimage.h"
#include "virtualwheel/wheelsettings.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>

// The simulated firmware behind VirtualWheel: live and flash settings, the answers to
// queries, the firmware image being received and the queue of input reports.
//
// Shared by the VirtualWheel and every device it opened (a device may outlive the
// wheel object). One mutex guards everything; every function may be called from any
// thread.
class WheelFirmware
{
public:
    struct Received
    {
        bool isWrite = false; // output report (hid_write) rather than a feature report
        QByteArray bytes;
    };

    static constexpr std::size_t kReceivedLimit = 20000;
    static constexpr std::size_t kInputQueueLimit = 4096;

    WheelFirmware(const QString& model, std::uint16_t productId);

    std::uint16_t productId() const { return m_productId; }

    bool attachStateFile(const QString& path, QString* error);

    // ---- control ----
    void queueInput(const QByteArray& reportAfterId);
    void unplug();
    void plug();
    void setModel(const QString& text);
    void setVersion(const QString& text);
    void setBattery(int percent, int supply, int link);
    void setAuxLampsFlag(int flag);
    void setShifterRaw(int shifter, int value);
    bool setSetting(const QString& key, const QStringList& values, QString* error);
    void failSends(int count);
    void failGets(int count);
    // Every later feature-report send and read and every output report takes this long.
    void setLatency(int milliseconds);
    QJsonObject state() const;
    bool isOpen() const;
    bool isPlugged() const;
    int pendingInputCount() const;
    QList<Received> received() const;
    void clearReceived();

    // ---- device side; generation identifies one plugged-in period ----
    // 0 when the wheel is unplugged (no device opens).
    std::uint64_t openDevice();
    void closeDevice(std::uint64_t generation);
    // Blocking reads wait at most one poll interval for a report.
    int read(std::uint64_t generation, bool blocking, std::uint8_t* data, std::size_t length);
    int write(std::uint64_t generation, const std::uint8_t* data, std::size_t length);
    int sendFeatureReport(std::uint64_t generation, const std::uint8_t* data, std::size_t length);
    int getFeatureReport(std::uint64_t generation, std::uint8_t* data, std::size_t length);

private:
    using Frame = std::array<std::uint8_t, 20>;
    using Answer = std::array<std::uint8_t, 21>;

    bool aliveLocked(std::uint64_t generation) const { return m_plugged && generation == m_generation; }
    void logLocked(bool isWrite, const std::uint8_t* data, std::size_t length);
    // False when a saved change could not be written to the state file.
    bool handleFeatureLocked(const Frame& frame);
    bool handleParameterLocked(const Frame& frame, bool save);
    void handleLedBlockLocked(const Frame& frame);
    Answer answerLocked(std::uint8_t selector, std::uint8_t sub) const;
    // Applies change to the live values, and to the flash when save is set; false (the flash
    // unchanged, the reason in *error) when the state file cannot be written.
    template <typename Change>
    bool applyLocked(bool save, Change change, QString* error = nullptr);
    // Writes the flash to the state file; on failure puts the flash back as it was and says why.
    bool storeFlashLocked(const WheelSettings& flashBefore, const FirmwareImage::Summary& firmwareBefore,
                          QString* error = nullptr);
    // Another program on the same state file (the window and tarvoctl take turns, kept apart
    // by their lock) may have changed it while this wheel was closed: a first open then
    // finds the wheel as that program left it, as after a power-up.
    void reloadChangedStateLocked();
    void powerUpLocked();
    FirmwareImage::Summary firmwareSummaryLocked() const;
    void awaitLatency() const;

    mutable std::mutex m_mutex;
    std::condition_variable m_inputArrived;

    const std::uint16_t m_productId;
    QString m_model;
    QString m_openedModel; // latched at open: the model query answers this one
    QString m_version;
    int m_batteryPercent;
    int m_batterySupply;
    int m_batteryLink;
    int m_auxLampsFlag;
    std::array<std::uint16_t, 4> m_shifterRaw;

    WheelSettings m_live;
    WheelSettings m_flash;
    FirmwareImage m_image;
    FirmwareImage::Summary m_flashFirmware;
    QString m_statePath;
    QByteArray m_stateSeen; // the state file as last read or written here

    Answer m_answer{};
    bool m_plugged = true;
    std::uint64_t m_generation = 1;
    int m_openDevices = 0;
    int m_failSends = 0;
    int m_failGets = 0;
    // Read without the mutex: the pause is taken before the lock, as a bus transfer would not
    // hold up the control socket.
    std::atomic<int> m_latencyMs{0};
    std::deque<QByteArray> m_inputs;
    std::deque<Received> m_received;
};
