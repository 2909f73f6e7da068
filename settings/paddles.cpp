// Paddles, clutch and bite point.
#include "app/mainwindow.h"
#include "app/messagebox.h"
#include "device/devicehandle.h"
#include "protocol/wheelprotocol.h"
#include "ui_mainwindow.h"

#include <QTimer>

namespace {

constexpr std::uint32_t kPaddleFullRange = 4096;
// Reports already on their way still carry readings under the old bounds; tracking starts after them.
constexpr int kCalibrationResetDelayMs = 500;

} // namespace

void MainWindow::onPaddleChanged(int value)
{
    ui->lbBite->setText(QStringLiteral("%1%").arg(value));
}

void MainWindow::onPaddleUpdate()
{
    sendPaddleSettings(false);
}

void MainWindow::onSavePageP()
{
    if (!deviceHandle.isOpen())
        return;
    // Only the user's click is answered; the window's close saves silently.
    const bool fromButton = sender() == ui->pbSaveP;
    const auto failed = [&] {
        if (fromButton)
            MessageBox::critical(this, tr("Error"), tr("Can not save setting."));
    };

    // The marker moves only once the wheel took the frame, so a failed save is sent again next time.
    // Closing stores nothing the wheel did not tell: after a failed readout the page holds the
    // last connection's values or the form's, and only the user's own Save may write them.
    const std::uint8_t mode = paddleModeValue();
    const bool paddleKnown = ui->hsBite->statusTip() != QLatin1String("-1");
    if (mode != ui->hsBite->statusTip().toInt(nullptr, 10) && (fromButton || paddleKnown)) {
        if (sendPaddleSettings(true) < 0) {
            failed();
            return;
        }
        ui->hsBite->setStatusTip(QString::number(mode));
    }

#ifdef TARVO_OPTIONAL_SET
    if (finishEarlierPaddleSave(fromButton))
        return;
#endif
    // Without an answer the wheel's switch is unknown, and "saved" could be untrue.
    tarvo::AnswerBuffer buffer =
        tarvo::queryFrame(tarvo::QuerySelector::Parameter, std::uint8_t(tarvo::Parameter::ClutchEnable));
    if (deviceHandle.exchange(buffer) != DeviceHandle::ExchangeResult::Answered) {
        failed();
        return;
    }
    const bool enabled = ui->cbClutch->isChecked();
    const bool wheelEnabled = tarvo::clutchEnabledAnswer(buffer);
    if (wheelEnabled != enabled && (fromButton || clutchKnown)) {
        tarvo::writeClutchEnableFrame(buffer, enabled);
        if (deviceHandle.send(tarvo::frameOf(buffer)) < 0) {
            failed();
            return;
        }
    }
    // The wheel now holds what the page shows.
    if (wheelEnabled == enabled || fromButton)
        clutchKnown = true;
    if (fromButton)
        MessageBox::information(this, tr("Success"), tr("Setting saved."));
}

void MainWindow::onClutchStatus()
{
    // A model without the switch (its box hidden by the model setup) has no clutch paddles to show.
    const bool hidden = !ui->cbClutch->isChecked() || ui->cbClutch->isHidden();
    for (QWidget* widget :
         {static_cast<QWidget*>(ui->gpClutch), static_cast<QWidget*>(ui->pgAdcL), static_cast<QWidget*>(ui->pgAdcR),
          static_cast<QWidget*>(ui->pbCalL), static_cast<QWidget*>(ui->pbCalR)})
        widget->setHidden(hidden);
}

void MainWindow::onCalibrate()
{
    // Both paddles when both calibrate; a calibration already ended shows "CALIBRATE" again.
    const QString running = tr("SAVE");
    if (ui->pbCalL->text().contains(running)) {
        calLeftMin = kPaddleFullRange;
        calLeftMax = 0;
    }
    if (ui->pbCalR->text().contains(running)) {
        calRightMin = kPaddleFullRange;
        calRightMax = 0;
    }
}

void MainWindow::onCalibrateL(bool checked)
{
    calibratePaddle(checked, ui->pbCalL, calLeftMin, calLeftMax, calLeftBefore);
}

void MainWindow::onCalibrateR(bool checked)
{
    calibratePaddle(checked, ui->pbCalR, calRightMin, calRightMax, calRightBefore);
}

void MainWindow::calibratePaddle(bool checked, QPushButton* button, std::uint32_t& min, std::uint32_t& max,
                                 PaddleBounds& before)
{
    if (checked) {
        before = {min, max};
        // The full range lets the wheel pass the paddle's raw travel while the user moves it.
        min = 0;
        max = kPaddleFullRange;
        sendPaddleSettings(false);
        button->setText(tr("SAVE"));
        QTimer::singleShot(kCalibrationResetDelayMs, Qt::PreciseTimer, this, SLOT(onCalibrate()));
        return;
    }
    button->setText(tr("CALIBRATE"));
    // No reading came since the reset: storing min 4096, max 0 would leave the paddle unusable.
    if (min > max) {
        min = before.min;
        max = before.max;
    } else {
        // Learned on this wheel, so its own whatever the readout said.
        (button == ui->pbCalL ? calLeftStale : calRightStale) = false;
    }
    sendPaddleSettings(true);
}

void MainWindow::onEncoderBind()
{
    if (encoderBindState == 2) {
        removeEncoderBinding();
        setEncoderBindState(0);
        return;
    }
    // From none, and again while learning, so that the button stays checked.
    setEncoderBindState(1);
}

std::uint8_t MainWindow::paddleModeValue() const
{
    // The slider's range is 0..100, so left and right never overlap and 255 stays "none".
    if (ui->rbPadL->isChecked())
        return std::uint8_t(ui->hsBite->value());
    if (ui->rbPadR->isChecked())
        return std::uint8_t(ui->hsBite->value() + 101);
    return 255;
}

int MainWindow::sendPaddleSettings(bool save)
{
    if (!deviceHandle.isOpen() || !refreshStaleCalibration())
        return -1;
    // A paddle still calibrating may have had no reading since its reset; its tracking
    // bounds must not reach the flash, so a saved frame carries its earlier ones.
    const auto bounds = [save](const QPushButton* button, std::uint32_t min, std::uint32_t max,
                               const PaddleBounds& before) {
        return save && button->isChecked() && min > max ? before : PaddleBounds{min, max};
    };
    const PaddleBounds left = bounds(ui->pbCalL, calLeftMin, calLeftMax, calLeftBefore);
    const PaddleBounds right = bounds(ui->pbCalR, calRightMin, calRightMax, calRightBefore);
    tarvo::PaddleCalibration calibration;
    calibration.rightMax = std::uint16_t(right.max);
    calibration.leftMax = std::uint16_t(left.max);
    calibration.rightMin = std::uint16_t(right.min);
    calibration.leftMin = std::uint16_t(left.min);
    // Live sends are fire-and-forget; the wheel's state is read back on the next connection.
    return deviceHandle.send(tarvo::paddleSettingsFrame(paddleModeValue(), save, calibration));
}

bool MainWindow::refreshStaleCalibration()
{
    // After a failed readout the words are the last wheel's or the form's, and a frame carrying
    // them would overwrite this wheel's calibration; ask again, and send nothing without an answer.
    if (!calLeftStale && !calRightStale)
        return true;
    tarvo::AnswerBuffer buffer = tarvo::queryFrame(tarvo::QuerySelector::PaddleSettings);
    if (deviceHandle.exchange(buffer) != DeviceHandle::ExchangeResult::Answered)
        return false;
    const tarvo::PaddleCalibration wheel = tarvo::paddleSettingsAnswer(buffer).calibration;
    // A paddle being calibrated keeps what it is learning; only its fallback is the wheel's.
    const auto take = [](bool& stale, const QPushButton* button, std::uint32_t& min, std::uint32_t& max,
                         PaddleBounds& before, PaddleBounds fromWheel) {
        if (!stale)
            return;
        if (button->isChecked()) {
            before = fromWheel;
        } else {
            min = fromWheel.min;
            max = fromWheel.max;
        }
        stale = false;
    };
    take(calLeftStale, ui->pbCalL, calLeftMin, calLeftMax, calLeftBefore, {wheel.leftMin, wheel.leftMax});
    take(calRightStale, ui->pbCalR, calRightMin, calRightMax, calRightBefore, {wheel.rightMin, wheel.rightMax});
    return true;
}

void MainWindow::setEncoderBindState(int state)
{
    switch (state) {
    case 1:
        ui->pbEncoder->setText(tr("ROTATE ONE ENCODER TO BIND BITEPOINT"));
        break;
    case 2:
        ui->pbEncoder->setText(tr("CLEAR BIND ENCODER"));
        break;
    default:
        ui->pbEncoder->setText(tr("ASSIGN ROTARY ENCODER"));
        break;
    }
    ui->pbEncoder->setChecked(state == 1);
    encoderBindState = state;
}
