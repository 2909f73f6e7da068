#pragma once

#include "device/tarvoevent.h"
#include "firmware/tarvoupgrade.h"
#include "profiles/profile.h"

#include <QList>
#include <QLocalServer>
#include <QMainWindow>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointF>
#include <QPointer>
#include <QString>
#include <QSystemTrayIcon>
#include <QTimer>
#include <cstdint>

#ifdef TARVO_OPTIONAL_SET
#include "protocol/wheelprotocol.h"

#include <QBluetoothDeviceDiscoveryAgent>
#include <QBluetoothDeviceInfo>
#endif

namespace Ui {
class MainWindow;
}

class QPushButton;
class QColor;
class QListWidget;
class QMenu;
class InputScreen;
class GameWatcher;

namespace tarvo {
enum class ChannelOrder : std::uint8_t;
}

// The one window. It owns all program state; its member functions are defined in
// the folder of the subsystem they belong to (device/, settings/, firmware/).
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // Lays the window out for a model text (also used with texts of unknown models).
    void applyModel(const QString& text);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private slots:
    void onClose();
    void onMinimize();
    void onShowNormal();
    void onTrayActivated(QSystemTrayIcon::ActivationReason reason);
    void onSidebar();
    void onColorPick();
    void onInit();
    void onShowPath();
    void onUpgrade();
    void onProgress(int value);
    void onJoystickEvent(QByteArray report);
    void onAutoUpgrade();
    void onUpgradeReady();
    void onClearFlash();
    void onDeviceUpdate();
    void onSetColor();
    void onSavePageE();
    void onSaveColor();
    void onSavePageP();
    void onPaddleChanged(int value);
    void onPaddleUpdate();
    void onBearLCalibrate();
    void onBearRCalibrate();
    void onBearExLCalibrate();
    void onBearExRCalibrate();
    void onTriggerChanged(int value);
    void onTriggerUpdate();
    void onClutchStatus();
    void onShifterStatus();
    void onNetUpgrade();
    void onNetProgress(qint64 received, qint64 total);
    void onNetUpgradeReady();
    void onCalibrate();
    void onCalibrateL(bool checked);
    void onCalibrateR(bool checked);
    void onEncoderBind();
    // Profiles (profiles/profilespage.cpp)
    void onProfileApply();
    void onProfileSaveAs();
    void onProfileDelete();
    void onProfileImport();
    void onProfileExport();
    void onGameProfiles();
    void onTrayProfile();
    void onGameStarted(const QString& program, const QString& profile);
    void onGameEnded(const QString& program, const QString& profile);
#ifdef TARVO_OPTIONAL_SET
    void onBatScan();
    void onBTScan();
    void onBTUpdate(const QBluetoothDeviceInfo& info);
    void onBTDone();
#endif

private:
    friend class MainWindowProbe; // tests reach the private state through it

    // Connection lifecycle (device/connection.cpp)
    void showWaitingScreen();
    // Why the window waits (no wheel, no permission, held by another TarvoSet program): in
    // pbStatus's tool tip, and in the log when it changes.
    void showWaitingReason(const QString& reason);
    // Every read of a new connection, from the model to the encoder binding.
    void readWheel();

    // Model identification (settings/modelsetup.cpp)
    void identifyModel();

    // Readout of the wheel's state (settings/readout.cpp)
    void readLedColours();
    void readPaddleSettings();
    void readEncoderPulse();
    void readClutchEnable();
    void readFirmwareVersion();
    // Back to the form's texts, so a wheel without a battery never shows the last one's charge.
    void clearBatteryStatus();

    // Paddles, clutch and bite point (settings/paddles.cpp)
    std::uint8_t paddleModeValue() const;
    // A released input of the bound encoder moves the bite point one step and sends it live.
    void stepBitePointByEncoder();
    // The send's result; -1 when no wheel is open.
    int sendPaddleSettings(bool save);
    bool refreshStaleCalibration();
    void setEncoderBindState(int state);
    struct PaddleBounds
    {
        std::uint32_t min = 0;
        std::uint32_t max = 4096;
    };
    void calibratePaddle(bool checked, QPushButton* button, std::uint32_t& min, std::uint32_t& max,
                         PaddleBounds& before);

    // Encoder pulse width and shifters (settings/encodershifters.cpp)
    void updateShifterGroupHeight();
    void calibrateShifter(int row);

    // LED colours (settings/ledcolours.cpp)
    void setLedButtonColour(QPushButton* button, const QColor& colour);
    QColor ledButtonColour(const QPushButton* button, tarvo::ChannelOrder order) const;
    // Both return false when no wheel is open or a send failed.
    bool sendLedColours(bool save);
    bool sendAuxLamps(bool save);

    // Preferences (settings/preferences.cpp)
    void loadEncoderBinding();
    void storeEncoderBinding();
    void removeEncoderBinding();

    // Profiles (profiles/profilespage.cpp)
    void setupProfiles();
    // The DEVICE page's list and the tray's submenu, from the library and the connected model.
    void refreshProfiles();
    // A wheel was opened (model known) or let go.
    void profilesConnected();
    void profilesDisconnected();
    // Applies a library profile live; game: the game watcher's, told in the tray. False when
    // it could not (nothing stored changes either way).
    bool applyLiveProfile(const QString& name, const QString& program);
    // Closing: sends back live what the wheel had before any live profile and forgets it, so
    // that the silent save stores the user's settings, not a game's. False when the pages still
    // show a live profile's values (the send back failed): then nothing may be saved.
    bool endLiveProfile();
    void forgetLiveProfile();
    // The pages again from the wheel after a profile, keeping the saved-value markers when live.
    void rereadPages(bool keepMarkers);
    void updateTrayToolTip();

    // Firmware (firmware/upgrade.cpp)
    void resetUpgradeUi();
    // True, after telling the user, while a transfer or a download runs.
    bool refuseWhileTransferring();
    void upgradeThreadFinished();
    void reopenAfterTransfer();

    Ui::MainWindow* ui = nullptr;
    QPointF dragOrigin;
    TarvoEvent eventThread;
    TarvoUpgrade upgradeThread;
    QNetworkAccessManager networkManager;
    QLocalServer instanceServer;
    std::uint32_t calLeftMin = 0;
    std::uint32_t calRightMin = 0;
    std::uint32_t calLeftMax = 4096;
    std::uint32_t calRightMax = 4096;
    // A paddle's bounds from before its calibration, for one that ends without a reading.
    PaddleBounds calLeftBefore;
    PaddleBounds calRightBefore;
    // A paddle's calibration words above are not the open wheel's: its paddle readout failed.
    bool calLeftStale = false;
    bool calRightStale = false;
    // The wheel's clutch switch was read at this connection (or saved since): closing may store cbClutch.
    bool clutchKnown = false;
    QString modelName;
    QString upgradeBaseUrl;
    std::uint32_t productId = 0;
    std::int32_t encoderBindState = 0;
    std::uint8_t encoderUpInput = 255;
    std::uint8_t encoderDownInput = 255;
    bool hasBattery = false;
    QSystemTrayIcon* trayIcon = nullptr;
    QList<int> releasedInputs;
    // The battery poll's one pending tick: re-arming it can never start a second chain.
    QTimer batteryPoll;
    // Ends of the input thread that onInit itself asked for and that the thread still reports:
    // each must not reopen the wheel once more.
    int ownThreadStops = 0;
    QPointer<QNetworkReply> downloadReply; // the image download in flight, if any
    QString downloadedImage; // the file the last download wrote, until it is handed on
    InputScreen* inputScreen = nullptr; // the INPUTS page's widgets, kept up with the reports
    // The DEVICE page's profile list and the tray's profile menu (profiles/profilespage.cpp).
    QListWidget* lwProfiles = nullptr;
    QMenu* trayProfiles = nullptr;
    GameWatcher* gameWatcher = nullptr;
    // A profile applied live (tray or game) and what the wheel had before it, which goes back
    // when it ends; the flash never gets it from the window's silent save.
    QString liveProfileName;
    std::optional<Profile> liveProfileBefore; // before the first live profile
    // The running game's program, what the wheel had just before its profile, and the live
    // profile it replaced (a tray choice), which the game's end brings back.
    QString gameProgram;
    std::optional<Profile> gameProfileBefore;
    QString profileBeforeGame;

#ifdef TARVO_OPTIONAL_SET
    // Optional feature set (optional/)
    void setupOptionalSet();
    void applyOptionalModel(const QString& text);
    void startOptionalLoops();
    // The battery poll and the Bluetooth scan of the wheel before, pending or running.
    void stopOptionalLoops();
    void readAxisCalibrations();
    void storeAxisCalibration(int axis);
    void calibrateOnComputer(int axis, bool checked);
    void applyReleaseWidgets();
    bool finishEarlierPaddleSave(bool fromButton);
    bool readLedImageEarly();
    void paintEarlyLedImage();
    void setEarlierEncoderState(int state);
    void onEarlierEncoderClick();
    bool loadEarlierEncoderBinding();
    bool handleEarlierEncoder();

    QBluetoothDeviceDiscoveryAgent discoveryAgent;
    // Re-arming single shots that a reconnect restarts instead of doubling.
    QTimer batteryTimer;
    QTimer scanTimer;
    bool hasBluetooth = false;
    tarvo::LedImage earlyLedImage{};
    bool earlyLedImageRead = false;
    std::uint8_t encoderSaveInput = 255;
#endif
};
