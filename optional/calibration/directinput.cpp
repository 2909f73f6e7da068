// The DirectInput calibration record of the two clutch axes.
#include "app/mainwindow.h"
#include "optional/calibration/calibrationstore.h"
#include "optional/releases/releases.h"
#include "ui_mainwindow.h"

#include <memory>

#ifdef Q_OS_WIN
#include "optional/calibration/registrycalibrationstore.h"
#else
#include "optional/calibration/filecalibrationstore.h"

#include <QFile>
#include <QStandardPaths>
#endif

namespace {

constexpr int kLeftAxis = 3;
constexpr int kRightAxis = 2;

std::unique_ptr<tarvo::CalibrationStore> userCalibrationStore()
{
#ifdef Q_OS_WIN
    return std::make_unique<tarvo::RegistryCalibrationStore>();
#else
    const QString path = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/Tarvo/DirectInput-calibration.txt");
    return std::make_unique<tarvo::FileCalibrationStore>(QFile::encodeName(path).toStdString());
#endif
}

} // namespace

void MainWindow::readAxisCalibrations()
{
    const std::unique_ptr<tarvo::CalibrationStore> store = userCalibrationStore();
    const std::uint16_t pid = tarvo::registryProductId(std::uint16_t(productId), tarvo::activeRelease());
    const bool intoRecord = tarvo::releaseHas(tarvo::Difference::CalibrationOnComputer);
    for (const int axis : {kLeftAxis, kRightAxis}) {
        const tarvo::AxisRange range = tarvo::readAxisCalibration(*store, pid, axis);
        // Where the wheel keeps the calibration, the record only scales the travel bar.
        if (intoRecord) {
            (axis == kLeftAxis ? calLeftMin : calRightMin) = range.minimum;
            (axis == kLeftAxis ? calLeftMax : calRightMax) = range.maximum;
            (axis == kLeftAxis ? calLeftStale : calRightStale) = false;
        }
        (axis == kLeftAxis ? ui->pgAdcL : ui->pgAdcR)->setRange(int(range.minimum), int(range.maximum));
    }
}

void MainWindow::storeAxisCalibration(int axis)
{
    const std::unique_ptr<tarvo::CalibrationStore> store = userCalibrationStore();
    const std::uint16_t pid = tarvo::registryProductId(std::uint16_t(productId), tarvo::activeRelease());
    std::uint32_t& minimum = axis == kLeftAxis ? calLeftMin : calRightMin;
    std::uint32_t& maximum = axis == kLeftAxis ? calLeftMax : calRightMax;
    QProgressBar* bar = axis == kLeftAxis ? ui->pgAdcL : ui->pgAdcR;
    // Write failures are not reported: the axis works with the range learned until the next connection.
    if (tarvo::writeAxisCalibration(*store, pid, axis, {minimum, maximum})) {
        bar->setRange(int(minimum), int(maximum));
        return;
    }
    if (minimum <= maximum) {
        bar->setRange(int(minimum), int(maximum));
        return;
    }
    // No reading arrived: the previous record stays, and the axis goes on with it.
    const tarvo::AxisRange previous = tarvo::readAxisCalibration(*store, pid, axis);
    if (tarvo::releaseHas(tarvo::Difference::CalibrationOnComputer)) {
        minimum = previous.minimum;
        maximum = previous.maximum;
    }
    bar->setRange(int(previous.minimum), int(previous.maximum));
}

void MainWindow::calibrateOnComputer(int axis, bool checked)
{
    QPushButton* button = axis == kLeftAxis ? ui->pbCalL : ui->pbCalR;
    if (checked) {
        (axis == kLeftAxis ? ui->pgAdcL : ui->pgAdcR)->setRange(0, 4096);
        button->setText(tr("SAVE"));
        (axis == kLeftAxis ? calLeftMin : calRightMin) = 4096;
        (axis == kLeftAxis ? calLeftMax : calRightMax) = 0;
        return;
    }
    button->setText(tr("CALIBRATE"));
    storeAxisCalibration(axis);
}
