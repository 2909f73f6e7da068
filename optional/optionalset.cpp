// Wiring of the optional feature set into the window: its timers, the discovery agent, the
// per-model Bluetooth flag and what the chosen release changes in the shell.
#include "app/mainwindow.h"
#include "app/messagebox.h"
#include "device/devicehandle.h"
#include "optional/releases/releases.h"
#include "protocol/wheelprotocol.h"
#include "settings/ledslottables.h"
#include "ui_mainwindow.h"

#include <QColor>
#include <QDeadlineTimer>
#include <QLabel>
#include <QPushButton>
#include <QtDebug>

namespace {

struct BluetoothModel
{
    const char* key; // as in the model table
    bool hasBluetooth;
};

// The earlier releases knew R-VELO, QLN5 and V-KERN and looked for a wheel over Bluetooth
// exactly when it has a battery; the later models follow the same rule, since a wheel
// without its own battery is never cordless.
constexpr BluetoothModel kBluetoothModels[] = {
    {"R-VELO", true}, {"QLN5", false}, {"V-KERN", true}, {"LM270", true},
    {"ZEPHA2", true}, {"ORBIX", true}, {"KTR2", false},
};

// The earlier releases read 20 bytes back, except for the LED blocks and the battery.
std::size_t earlierAnswerLength(const tarvo::AnswerBuffer& query)
{
    const auto selector = tarvo::QuerySelector(query[2]);
    const bool full = selector == tarvo::QuerySelector::LedBlock0 || selector == tarvo::QuerySelector::LedBlock1
        || selector == tarvo::QuerySelector::LedBlock2 || selector == tarvo::QuerySelector::LedBlock3
        || selector == tarvo::QuerySelector::Battery;
    return full ? tarvo::kAnswerSize : tarvo::kFrameSize;
}

std::uint32_t clutchSwitchValue(bool on)
{
    return on ? 1 : 255;
}

} // namespace

void MainWindow::setupOptionalSet()
{
    using tarvo::Difference;
    batteryTimer.setSingleShot(true);
    scanTimer.setSingleShot(true);
    connect(&batteryTimer, SIGNAL(timeout()), this, SLOT(onBatScan()));
    connect(&scanTimer, SIGNAL(timeout()), this, SLOT(onBTScan()));
    connect(&discoveryAgent, SIGNAL(deviceDiscovered(QBluetoothDeviceInfo)), this,
            SLOT(onBTUpdate(QBluetoothDeviceInfo)));
    connect(&discoveryAgent, SIGNAL(finished()), this, SLOT(onBTDone()));

    if (tarvo::releaseHas(Difference::CalibrationOnComputer)) {
        disconnect(ui->pbCalL, SIGNAL(toggled(bool)), this, SLOT(onCalibrateL(bool)));
        disconnect(ui->pbCalR, SIGNAL(toggled(bool)), this, SLOT(onCalibrateR(bool)));
        connect(ui->pbCalL, &QPushButton::toggled, this, [this](bool checked) { calibrateOnComputer(3, checked); });
        connect(ui->pbCalR, &QPushButton::toggled, this, [this](bool checked) { calibrateOnComputer(2, checked); });
    } else {
        // After the wheel's own calibration slot has settled the bounds.
        connect(ui->pbCalL, &QPushButton::toggled, this, [this](bool checked) {
            if (!checked)
                storeAxisCalibration(3);
        });
        connect(ui->pbCalR, &QPushButton::toggled, this, [this](bool checked) {
            if (!checked)
                storeAxisCalibration(2);
        });
    }

    const tarvo::ReleaseInfo& release = tarvo::releaseInfo(tarvo::activeRelease());
    if (tarvo::releaseHas(Difference::NoVersionLabel)) {
        qDebug("version: %s", release.version);
    } else {
        ui->lbCurVer->setText(tr("TarvoSet Version: ") + QLatin1String(release.version));
    }
    applyReleaseWidgets();
    // Their reader blocked in hid_read; here it polls like the current one, so a stop is seen at once.
    eventThread.setReportsEveryEnd(tarvo::releaseHas(Difference::InputThreadReportsEveryEnd));
    if (tarvo::releaseHas(Difference::FourStateEncoder)) {
        disconnect(ui->pbEncoder, SIGNAL(clicked(bool)), this, SLOT(onEncoderBind()));
        connect(ui->pbEncoder, &QAbstractButton::clicked, this, [this] { onEarlierEncoderClick(); });
    }
    deviceHandle.setAnswerLength(tarvo::releaseHas(Difference::ShortAnswers) ? &earlierAnswerLength : nullptr);
    if (tarvo::releaseHas(Difference::ClutchWrittenLive)) {
        // clicked, not toggled: the readout sets the box too, and it never writes to the wheel.
        connect(ui->cbClutch, &QAbstractButton::clicked, this, [](bool on) {
            deviceHandle.send(tarvo::setParameterFrame(tarvo::Parameter::ClutchEnable, clutchSwitchValue(on), false));
        });
    }
    if (tarvo::releaseHas(Difference::NoInstanceGuard))
        instanceServer.close();
    if (tarvo::releaseHas(Difference::CloseWithoutSave)) {
        disconnect(ui->pbClose, SIGNAL(clicked(bool)), this, SLOT(onClose()));
        if (tarvo::releaseHas(Difference::CloseWithoutSlot)) {
            connect(ui->pbClose, SIGNAL(clicked(bool)), this, SLOT(close()));
        } else {
            connect(ui->pbClose, &QPushButton::clicked, this, [this] {
                eventThread.requestInterruption();
                eventThread.wait(QDeadlineTimer(QDeadlineTimer::Forever));
                close();
            });
        }
    }
}

void MainWindow::applyReleaseWidgets()
{
    const tarvo::ReleaseSet release = tarvo::releaseBit(tarvo::activeRelease());
    // Absent widgets move into a holder that is never shown: the pages no longer hold them,
    // and nothing the window does later can bring them back on screen.
    auto* absent = new QWidget(this);
    absent->setObjectName(QStringLiteral("absentWidgets"));
    absent->hide();
    for (const tarvo::WidgetDifference& row : tarvo::widgetDifferences()) {
        if ((row.releases & release) == 0)
            continue;
        QWidget* widget = findChild<QWidget*>(QLatin1String(row.widget));
        if (!widget) {
            qWarning("release table names a widget the form lacks: %s", row.widget);
            continue;
        }
        if (!row.property) {
            widget->hide();
            widget->setParent(absent);
            continue;
        }
        widget->setProperty(row.property, QString::fromUtf8(row.value));
    }
    if (tarvo::releaseHas(tarvo::Difference::ClutchCaption)) {
        // A caption "CLUTCHES" where the toggle began, and the toggle, now "ENABLE", beside it.
        auto* caption = new QLabel(tr("CLUTCHES"), ui->cbClutch->parentWidget());
        caption->setObjectName(QStringLiteral("lbLShT_3"));
        // Styled as the other captions of the page; the window's own style would draw it dark on dark.
        caption->setStyleSheet(ui->lbLShT->styleSheet());
        caption->setGeometry(ui->cbClutch->x(), ui->cbClutch->y(), 100, ui->cbClutch->height());
        ui->cbClutch->setGeometry(ui->cbClutch->x() + 110, ui->cbClutch->y(), ui->cbClutch->width() - 110,
                                  ui->cbClutch->height());
        caption->show();
    }
}

bool MainWindow::finishEarlierPaddleSave(bool fromButton)
{
    if (!tarvo::releaseHas(tarvo::Difference::SaveReportsPaddleFrame))
        return false;
    // The paddle frame has gone (or had nothing new); its result is what the message reports.
    // The switch goes saved, unasked, on the user's save only; its send's result is not examined.
    if (fromButton && tarvo::releaseHas(tarvo::Difference::ClutchWrittenLive))
        deviceHandle.send(tarvo::setParameterFrame(tarvo::Parameter::ClutchEnable,
                                                   clutchSwitchValue(ui->cbClutch->isChecked()), true));
    if (fromButton)
        MessageBox::information(this, tr("Success"), tr("Setting saved."));
    return true;
}

void MainWindow::applyOptionalModel(const QString& text)
{
    const bool threeModels = tarvo::releaseHas(tarvo::Difference::ThreeModels);
    for (const BluetoothModel& model : kBluetoothModels) {
        if (!text.contains(QLatin1String(model.key), Qt::CaseSensitive))
            continue;
        if (threeModels && !tarvo::releaseKnowsModel(model.key))
            continue;
        hasBluetooth = model.hasBluetooth;
    }
    ui->lbBTStatus->setVisible(hasBluetooth);
    ui->lbBatStatus->setVisible(hasBattery);
}

void MainWindow::stopOptionalLoops()
{
    batteryTimer.stop();
    scanTimer.stop();
    discoveryAgent.stop();
}

void MainWindow::startOptionalLoops()
{
    // Through the loops' own timers, so that the next connection can still call them off.
    if (hasBluetooth)
        scanTimer.start(0);
    if (hasBattery)
        batteryTimer.start(0);
}

bool MainWindow::readLedImageEarly()
{
    if (!tarvo::releaseHas(tarvo::Difference::LedReadoutInConnection))
        return false;
    // One buffer for the four block queries, as the later readout does.
    tarvo::AnswerBuffer buffer{};
    earlyLedImage = {};
    earlyLedImageRead = true;
    for (int block = 0; block < int(tarvo::kLedBlocks) && earlyLedImageRead; ++block) {
        tarvo::writeQueryHeader(buffer, tarvo::QuerySelector(block));
        earlyLedImageRead = deviceHandle.exchange(buffer) == DeviceHandle::ExchangeResult::Answered;
        if (earlyLedImageRead)
            tarvo::storeLedBlockAnswer(earlyLedImage, block, buffer);
    }
    return true;
}

void MainWindow::paintEarlyLedImage()
{
    // The model's layout has just painted its LED buttons white; the colours read before it
    // go into them now, or the next save would overwrite the wheel's colours with white.
    const QByteArray model = modelName.toUtf8();
    const tarvo::LedSlotTable* list = tarvo::ledReadoutList(std::string_view(model.constData(), model.size()));
    if (!list || !earlyLedImageRead)
        return;
    const tarvo::LedLevels levels = tarvo::unpackLedImage(earlyLedImage);
    for (std::size_t slot = 0; slot < list->size(); ++slot) {
        const tarvo::LedSlot& entry = (*list)[slot];
        if (auto* button =
                ui->page2->findChild<QPushButton*>(QLatin1String(entry.button), Qt::FindDirectChildrenOnly)) {
            const tarvo::Rgb rgb = tarvo::placeChannels(tarvo::ledSlotLevels(levels, slot), entry.order);
            setLedButtonColour(button, QColor(rgb.r, rgb.g, rgb.b));
        }
    }
}
