#pragma once

#include "app/mainwindow.h"
#include "protocol/wheelprotocol.h"
#include "ui_mainwindow.h"

#include <QColor>
#include <QTimer>

// Reaches MainWindow's private state for tests.
class MainWindowProbe
{
public:
    static Ui::MainWindow* ui(MainWindow& w) { return w.ui; }
    static QPointF& dragOrigin(MainWindow& w) { return w.dragOrigin; }
    static TarvoEvent& eventThread(MainWindow& w) { return w.eventThread; }
    static TarvoUpgrade& upgradeThread(MainWindow& w) { return w.upgradeThread; }
    static QLocalServer& instanceServer(MainWindow& w) { return w.instanceServer; }
    static QSystemTrayIcon* trayIcon(MainWindow& w) { return w.trayIcon; }
    static std::uint32_t& calLeftMin(MainWindow& w) { return w.calLeftMin; }
    static std::uint32_t& calRightMin(MainWindow& w) { return w.calRightMin; }
    static std::uint32_t& calLeftMax(MainWindow& w) { return w.calLeftMax; }
    static std::uint32_t& calRightMax(MainWindow& w) { return w.calRightMax; }
    static QString& modelName(MainWindow& w) { return w.modelName; }
    static QString& upgradeBaseUrl(MainWindow& w) { return w.upgradeBaseUrl; }
    static std::uint32_t& productId(MainWindow& w) { return w.productId; }
    static std::int32_t& encoderBindState(MainWindow& w) { return w.encoderBindState; }
    static std::uint8_t& encoderUpInput(MainWindow& w) { return w.encoderUpInput; }
    static std::uint8_t& encoderDownInput(MainWindow& w) { return w.encoderDownInput; }
    static bool& hasBattery(MainWindow& w) { return w.hasBattery; }
    static QList<int>& releasedInputs(MainWindow& w) { return w.releasedInputs; }

    static void identifyModel(MainWindow& w) { w.identifyModel(); }
    static void showWaitingScreen(MainWindow& w) { w.showWaitingScreen(); }
    static void sendPaddleSettings(MainWindow& w, bool save) { w.sendPaddleSettings(save); }
    static void setEncoderBindState(MainWindow& w, int state) { w.setEncoderBindState(state); }
    static void loadEncoderBinding(MainWindow& w) { w.loadEncoderBinding(); }
    static void storeEncoderBinding(MainWindow& w) { w.storeEncoderBinding(); }
    static void removeEncoderBinding(MainWindow& w) { w.removeEncoderBinding(); }
    static void updateShifterGroupHeight(MainWindow& w) { w.updateShifterGroupHeight(); }

    static void readLedColours(MainWindow& w) { w.readLedColours(); }
    static void readPaddleSettings(MainWindow& w) { w.readPaddleSettings(); }
    static void readEncoderPulse(MainWindow& w) { w.readEncoderPulse(); }
    static void readClutchEnable(MainWindow& w) { w.readClutchEnable(); }
    static void readFirmwareVersion(MainWindow& w) { w.readFirmwareVersion(); }
    static void setLedButtonColour(MainWindow& w, QPushButton* b, const QColor& c) { w.setLedButtonColour(b, c); }
    static QColor ledButtonColour(MainWindow& w, QPushButton* b, tarvo::ChannelOrder o)
    {
        return w.ledButtonColour(b, o);
    }
    static bool sendLedColours(MainWindow& w, bool save) { return w.sendLedColours(save); }
    static bool sendAuxLamps(MainWindow& w, bool save) { return w.sendAuxLamps(save); }
    static QTimer& batteryPoll(MainWindow& w) { return w.batteryPoll; }
    static InputScreen* inputScreen(MainWindow& w) { return w.inputScreen; }
    static QNetworkAccessManager& networkManager(MainWindow& w) { return w.networkManager; }
#ifdef TARVO_OPTIONAL_SET
    static bool& hasBluetooth(MainWindow& w)
    {
        return w.hasBluetooth;
    }
    static QTimer& scanTimer(MainWindow& w)
    {
        return w.scanTimer;
    }
    static QTimer& batteryTimer(MainWindow& w)
    {
        return w.batteryTimer;
    }
#endif
};
