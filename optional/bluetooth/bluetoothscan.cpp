// Battery poll and the Bluetooth scan of the optional feature set.
#include "app/mainwindow.h"
#include "device/devicehandle.h"
#include "protocol/wheelprotocol.h"
#include "ui_mainwindow.h"

namespace {
constexpr int kBatteryPollMs = 10000;
constexpr int kRescanDelayMs = 5000;
// Every model advertises under this name, whatever its model text.
const char* const kBluetoothNameKey = "R-VELO";
} // namespace

void MainWindow::onBatScan()
{
    if (!deviceHandle.isOpen())
        return;
    tarvo::AnswerBuffer buffer = tarvo::queryFrame(tarvo::QuerySelector::Battery);
    // Without an answer the buffer still holds the query, which would read as a charge of 15 %:
    // the lines keep what they showed, and the next poll tries again.
    if (deviceHandle.exchange(buffer) == DeviceHandle::ExchangeResult::Answered) {
        const tarvo::BatteryAnswer answer = tarvo::batteryAnswer(buffer);
        ui->lbBatStatus->show();
        if (!answer.onUsbPower()) {
            ui->lbBatStatus->setText(tr("BATTERY STATUS: ") + QString::number(answer.percent) + QStringLiteral("%"));
            ui->lbBTStatus->show();
        } else {
            ui->lbBatStatus->setText(tr("BATTERY STATUS: ") + tr("USB"));
            ui->lbBTStatus->hide();
        }
    }
    if (hasBattery)
        batteryTimer.start(kBatteryPollMs);
}

void MainWindow::onBTScan()
{
    ui->lbBTStatus->show();
    // Without an adapter or a Bluetooth service the agent reports an error and never
    // finishes, which ends the cycle here.
    discoveryAgent.start();
}

void MainWindow::onBTUpdate(const QBluetoothDeviceInfo& info)
{
    const qint16 strength = info.rssi();
    if (strength == 0) // no reading
        return;
    if (!info.name().contains(QLatin1String(kBluetoothNameKey), Qt::CaseSensitive))
        return;
    ui->lbBTStatus->setText(tr("BLUETOOTH CONNECTION STATUS: ") + QString::number(strength));
}

void MainWindow::onBTDone()
{
    if (!deviceHandle.isOpen())
        return;
    // A hidden line (the wheel is on USB power) ends the cycle until the next connection.
    if (ui->lbBTStatus->isHidden())
        return;
    if (hasBluetooth)
        scanTimer.start(kRescanDelayMs);
    else
        ui->lbBTStatus->hide();
}
