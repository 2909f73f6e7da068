// Encoder pulse width and shifter thresholds.
#include "app/mainwindow.h"
#include "app/messagebox.h"
#include "device/devicehandle.h"
#include "protocol/wheelprotocol.h"
#include "settings/preferencekeys.h"
#include "ui_mainwindow.h"

#include <QRect>
#include <QSettings>
#include <QtGlobal>

namespace {

struct ShifterRow
{
    QPushButton* Ui::MainWindow::*button;
    tarvo::Parameter parameter;
    const char* prompt; // translated at use
};

constexpr ShifterRow kShifterRows[] = {
    {&Ui::MainWindow::pbBearLCa, tarvo::Parameter::ShifterLeft,
     QT_TRANSLATE_NOOP("MainWindow", "PRESS AND HOLD LEFT SHIFTER THEN CLICK ME")},
    {&Ui::MainWindow::pbBearRCa, tarvo::Parameter::ShifterRight,
     QT_TRANSLATE_NOOP("MainWindow", "PRESS AND HOLD RIGHT SHIFTER THEN CLICK ME")},
    {&Ui::MainWindow::pbBearExLCa, tarvo::Parameter::ShifterExtraLeft,
     QT_TRANSLATE_NOOP("MainWindow", "PRESS AND HOLD EXTRAL SHIFTER THEN CLICK ME")},
    {&Ui::MainWindow::pbBearExRCa, tarvo::Parameter::ShifterExtraRight,
     QT_TRANSLATE_NOOP("MainWindow", "PRESS AND HOLD EXTRAR SHIFTER THEN CLICK ME")},
};

enum ShifterRowIndex { LeftRow, RightRow, ExtraLeftRow, ExtraRightRow };

} // namespace

void MainWindow::onTriggerChanged(int value)
{
    ui->lbTrigger->setText(QStringLiteral("%1ms").arg(value));
}

void MainWindow::onTriggerUpdate()
{
    if (!deviceHandle.isOpen())
        return;
    deviceHandle.send(tarvo::encoderPulseWidthFrame(ui->hsTrigger->value(), false));
}

void MainWindow::onSavePageE()
{
    const int width = ui->hsTrigger->value();
    if (width != ui->hsTrigger->statusTip().toInt(nullptr, 10)) {
        // The marker moves only once the wheel took the frame, so a failed save is sent again next time.
        if (deviceHandle.send(tarvo::encoderPulseWidthFrame(width, true)) < 0) {
            MessageBox::critical(this, tr("Error"), tr("Can not save setting."));
            return;
        }
        ui->hsTrigger->setStatusTip(QString::number(width));
    }
    MessageBox::information(this, tr("Success"), tr("Setting saved."));
}

void MainWindow::calibrateShifter(int row)
{
    const ShifterRow& shifter = kShifterRows[row];
    QPushButton* button = ui->*shifter.button;
    // The click has toggled the button already: checked starts learning, unchecked takes
    // the position the user holds as the threshold and stores it.
    const bool learning = button->isChecked();
    button->setText(learning ? tr(shifter.prompt) : tr("CALIBRATE"));
    if (!deviceHandle.isOpen())
        return;
    deviceHandle.send(learning ? tarvo::shifterCalibrationStartFrame(shifter.parameter)
                               : tarvo::shifterCalibrationEndFrame(shifter.parameter));
}

void MainWindow::onBearLCalibrate()
{
    calibrateShifter(LeftRow);
}

void MainWindow::onBearRCalibrate()
{
    calibrateShifter(RightRow);
}

void MainWindow::onBearExLCalibrate()
{
    calibrateShifter(ExtraLeftRow);
}

void MainWindow::onBearExRCalibrate()
{
    calibrateShifter(ExtraRightRow);
}

void MainWindow::onShifterStatus()
{
    {
        // Written back when the object goes.
        QSettings settings(tarvo::preferences::organisation(), tarvo::preferences::application());
        settings.setValue(tarvo::preferences::extraShifterKey(), ui->cbShifter->isChecked());
    }
    updateShifterGroupHeight();
}

void MainWindow::updateShifterGroupHeight()
{
    // The extra shifter rows sit in the lower part of the box; a taller box reveals them.
    QRect geometry = ui->gpShifter->geometry();
    geometry.setBottom(geometry.top() + (ui->cbShifter->isChecked() ? 190 : 110));
    ui->gpShifter->setGeometry(geometry);
}
