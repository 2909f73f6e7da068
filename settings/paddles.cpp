// Paddles, clutch and bite point.
#include "app/mainwindow.h"
#include "device/devicehandle.h"
#include "protocol/wheelprotocol.h"
#include "ui_mainwindow.h"

void MainWindow::onPaddleChanged(int) { }
void MainWindow::onPaddleUpdate() { }
void MainWindow::onSavePageP() { }
void MainWindow::onClutchStatus() { }
void MainWindow::onCalibrate() { }
void MainWindow::onCalibrateL(bool) { }
void MainWindow::onCalibrateR(bool) { }
void MainWindow::onEncoderBind() { }

std::uint8_t MainWindow::paddleModeValue() const
{
    // The slider's range is 0..100, so left and right never overlap and 255 stays "none".
    if (ui->rbPadL->isChecked())
        return std::uint8_t(ui->hsBite->value());
    if (ui->rbPadR->isChecked())
        return std::uint8_t(ui->hsBite->value() + 101);
    return 255;
}

void MainWindow::sendPaddleSettings(bool save)
{
    if (!deviceHandle.isOpen())
        return;
    tarvo::PaddleCalibration calibration;
    calibration.rightMax = std::uint16_t(calRightMax);
    calibration.leftMax = std::uint16_t(calLeftMax);
    calibration.rightMin = std::uint16_t(calRightMin);
    calibration.leftMin = std::uint16_t(calLeftMin);
    // A live send is fire-and-forget; the wheel's state is read back on the next connection.
    deviceHandle.send(tarvo::paddleSettingsFrame(paddleModeValue(), save, calibration));
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
