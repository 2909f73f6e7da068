// Reading the wheel's state into the pages after a connection.
//
// Without a wheel a read works on a cleared buffer, as if the wheel had answered zeros. A read
// that fails on an open wheel leaves its widgets as they were; the saved-value markers then
// read "-1", a value no slider holds, so the user's next Save stores the page whatever it shows;
// closing the window stores nothing of a page that was not read.
#include "app/mainwindow.h"
#include "device/devicehandle.h"
#include "device/logging.h"
#include "protocol/wheelprotocol.h"
#include "settings/ledslottables.h"
#include "ui_mainwindow.h"

#ifdef TARVO_OPTIONAL_SET
#include "optional/releases/releases.h"
#endif

#include <QColor>
#include <QPushButton>
#include <QTimer>

namespace {

constexpr int kBatteryPollMs = 10000;
const QString kUnknownMarker = QStringLiteral("-1");

// Sends the query in buffer and reads its answer back. False when the exchange failed on an
// open wheel; without a wheel the buffer is cleared and the read goes on with zeros.
bool askWheel(tarvo::AnswerBuffer& buffer)
{
    switch (deviceHandle.exchange(buffer)) {
    case DeviceHandle::ExchangeResult::Answered:
        return true;
    case DeviceHandle::ExchangeResult::NoDevice:
        buffer.fill(0);
        return true;
    case DeviceHandle::ExchangeResult::Failed:
        break;
    }
    return false;
}

QColor colourOf(const tarvo::Rgb& rgb)
{
    return QColor(rgb.r, rgb.g, rgb.b);
}

} // namespace

void MainWindow::readLedColours()
{
    // One buffer for all block queries, cleared once: each query rewrites only its first four
    // bytes, and the wheel sees what the previous answer left behind in the rest.
    tarvo::AnswerBuffer buffer{};
    tarvo::LedImage image{};
    bool blocksRead = true;
    for (int block = 0; block < int(tarvo::kLedBlocks) && blocksRead; ++block) {
        tarvo::writeQueryHeader(buffer, tarvo::QuerySelector(block));
        blocksRead = askWheel(buffer);
        if (blocksRead)
            tarvo::storeLedBlockAnswer(image, block, buffer);
    }

    const QByteArray model = modelName.toUtf8();
    const tarvo::LedSlotTable* list = tarvo::ledReadoutList(std::string_view(model.constData(), model.size()));
    if (!list)
        return;

    if (blocksRead) {
        const tarvo::LedLevels levels = tarvo::unpackLedImage(image);
        for (std::size_t slot = 0; slot < list->size(); ++slot) {
            const tarvo::LedSlot& entry = (*list)[slot];
            auto* button = ui->page2->findChild<QPushButton*>(QLatin1String(entry.button), Qt::FindDirectChildrenOnly);
            if (button)
                setLedButtonColour(button,
                                   colourOf(tarvo::placeChannels(tarvo::ledSlotLevels(levels, slot), entry.order)));
        }
    }

    bool lamps = list->lamps;
#ifdef TARVO_OPTIONAL_SET
    lamps = lamps && !tarvo::releaseHas(tarvo::Difference::NoAuxLamps);
#endif
    if (lamps) {
        tarvo::writeQueryHeader(buffer, tarvo::QuerySelector::AuxLamps);
        if (askWheel(buffer)) {
            const tarvo::AuxLamps lamps = tarvo::auxLampsAnswer(buffer).lamps;
            setLedButtonColour(ui->pbXL, colourOf(lamps.left));
            setLedButtonColour(ui->pbXR, colourOf(lamps.right));
        }
    }
}

void MainWindow::readPaddleSettings()
{
    tarvo::AnswerBuffer buffer = tarvo::queryFrame(tarvo::QuerySelector::PaddleSettings);
    if (!askWheel(buffer)) {
        ui->hsBite->setStatusTip(kUnknownMarker);
        calLeftStale = calRightStale = true;
        return;
    }
    const tarvo::PaddleSettingsAnswer answer = tarvo::paddleSettingsAnswer(buffer);
    calLeftStale = calRightStale = false;
    ui->hsBite->setStatusTip(QString::number(answer.paddleMode));

    // Checking from code sends nothing: only a user's click is connected to a send.
    const tarvo::BitePoint bite = tarvo::decodePaddleMode(answer.paddleMode);
    switch (bite.side) {
    case tarvo::PaddleSide::Left:
        ui->rbPadL->setChecked(true);
        break;
    case tarvo::PaddleSide::Right:
        ui->rbPadR->setChecked(true);
        break;
    case tarvo::PaddleSide::Off:
        ui->rbPadNo->setChecked(true);
        break;
    }
    ui->hsBite->setValue(bite.percent);

    calRightMax = answer.calibration.rightMax;
    calLeftMax = answer.calibration.leftMax;
    calRightMin = answer.calibration.rightMin;
    calLeftMin = answer.calibration.leftMin;
}

void MainWindow::readEncoderPulse()
{
    tarvo::AnswerBuffer buffer =
        tarvo::queryFrame(tarvo::QuerySelector::Parameter, std::uint8_t(tarvo::Parameter::EncoderPulseWidth));
    if (!askWheel(buffer)) {
        ui->hsTrigger->setStatusTip(kUnknownMarker);
        return;
    }
    // A negative width means the wheel has none to report; the slider bounds the rest.
    const std::int32_t width = tarvo::parameterValueSigned(buffer);
    if (width >= 0)
        ui->hsTrigger->setValue(int(width));
    ui->hsTrigger->setStatusTip(QString::number(ui->hsTrigger->value()));
}

void MainWindow::readClutchEnable()
{
#ifdef TARVO_OPTIONAL_SET
    if (tarvo::releaseHas(tarvo::Difference::NoClutchSwitch))
        return;
#endif
    tarvo::AnswerBuffer buffer =
        tarvo::queryFrame(tarvo::QuerySelector::Parameter, std::uint8_t(tarvo::Parameter::ClutchEnable));
    clutchKnown = askWheel(buffer);
    if (clutchKnown) {
        bool enabled = tarvo::clutchEnabledAnswer(buffer);
#ifdef TARVO_OPTIONAL_SET
        if (tarvo::releaseHas(tarvo::Difference::ClutchMinusOneEnabled))
            enabled = enabled || tarvo::parameterValueSigned(buffer) == -1;
#endif
        ui->cbClutch->setChecked(enabled);
    }
    QTimer::singleShot(0, this, SLOT(onClutchStatus()));
}

void MainWindow::readFirmwareVersion()
{
    tarvo::AnswerBuffer buffer = tarvo::queryFrame(tarvo::QuerySelector::FirmwareVersion);
    if (!askWheel(buffer)) {
        qCDebug(lcDevice) << "firmware version: no answer";
        // Another wheel's version left here would mislead the update check.
        ui->lbVersion->setText(tr("Firmware Version:"));
        return;
    }
    const std::string text = tarvo::firmwareVersionText(buffer);
    const QString line = tr("Firmware Version:") + QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    ui->lbVersion->setText(line);
    ui->lbVersion->show();
    qCDebug(lcDevice).noquote() << line;
}

void MainWindow::clearBatteryStatus()
{
    ui->lbBatStatus->setText(tr("BATTERY STATUS:"));
    ui->lbBTStatus->setText(tr("BLUETOOTH CONNECTED"));
    ui->lbBatStatus->show();
    ui->lbBTStatus->show();
}

void MainWindow::onDeviceUpdate()
{
    // Without a wheel the poll ends here; the next connection starts a new one.
    if (!deviceHandle.isOpen())
        return;
    tarvo::AnswerBuffer buffer = tarvo::queryFrame(tarvo::QuerySelector::Battery);
    if (askWheel(buffer)) {
        const tarvo::BatteryAnswer battery = tarvo::batteryAnswer(buffer);
        ui->lbBTStatus->setVisible(battery.link == 0);
        ui->lbBatStatus->show();
        if (battery.onUsbPower())
            ui->lbBatStatus->setText(tr("BATTERY STATUS: ") + tr("USB"));
        else
            ui->lbBatStatus->setText(tr("BATTERY STATUS: ") + QString::number(battery.percent) + QLatin1Char('%'));
    }
    if (hasBattery)
        batteryPoll.start(kBatteryPollMs);
}
