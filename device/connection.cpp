// Connection lifecycle of the window: opening the wheel and the waiting screen.
#include "app/mainwindow.h"
#include "device/devicehandle.h"
#include "device/logging.h"
#include "device/wheelopener.h"
#include "protocol/wheelprotocol.h"
#include "settings/inputindicators.h"
#include "ui_mainwindow.h"

#ifdef TARVO_OPTIONAL_SET
#include "optional/releases/releases.h"
#endif

#include <QDeadlineTimer>
#include <QTimer>

namespace {
constexpr int kRetryDelayMs = 3000;
constexpr int kTransferWaitMs = 100;

// Why the window waits goes to the log once, not at every retry.
QString loggedWaitingReason;

// Hides the live input indicators and forgets what was lit: otherwise the first report of a
// new connection "releases" it, and a bound encoder moves the bite point untouched.
void forgetLitInputs(QWidget* page)
{
    const auto children = page->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    for (QWidget* child : children) {
        const QString name = child->objectName();
        if (name.startsWith(QLatin1String("pbI")) || name.startsWith(QLatin1String("pbJ"))
            || name.startsWith(QLatin1String("pbSW"))) {
            child->hide();
            child->setStatusTip(hiddenTip());
        }
    }
}
} // namespace

void MainWindow::showWaitingReason(const QString& reason)
{
    ui->pbStatus->setToolTip(reason);
    if (reason != loggedWaitingReason)
        qCInfo(lcDevice).noquote() << reason;
    loggedWaitingReason = reason;
}

void MainWindow::onInit()
{
    if (sender() == &eventThread && ownThreadStops > 0) {
        --ownThreadStops;
        return;
    }
    // Reopening the handle under a running firmware transfer could hand its later blocks to
    // a freshly opened wheel that never saw the earlier ones. A wheel that is really gone
    // fails the transfer at its next send, so the wait is short.
    if (upgradeThread.isRunning()) {
        QTimer::singleShot(kTransferWaitMs, this, SLOT(onInit()));
        return;
    }
    // Each connection starts its own battery poll: a tick pending from the last one must not
    // run on as a second chain when the wheel is back within ten seconds.
    batteryPoll.stop();
#ifdef TARVO_OPTIONAL_SET
    stopOptionalLoops();
#endif
    clearBatteryStatus();
    profilesDisconnected();
    if (eventThread.isRunning()) {
        eventThread.requestInterruption();
        eventThread.wait(QDeadlineTimer(QDeadlineTimer::Forever));
        // Its end is queued to this slot by now; answered, it would reopen the wheel in a loop.
        if (eventThread.reportsEveryEnd())
            ++ownThreadStops;
    }
    // Closing also releases the lock between TarvoSet programs.
    if (deviceHandle.isOpen())
        deviceHandle.close();
    productId = 0;

    // A wheel that tarvoctl holds counts as one that cannot be opened: wait and retry.
#ifdef TARVO_OPTIONAL_SET
    const WheelOpener::Result opened =
        WheelOpener::openFirst(deviceHandle, WheelOpener::HeldWheel::Skip,
                               [](std::uint16_t product) { return tarvo::releaseTriesProductId(product); });
#else
    const WheelOpener::Result opened = WheelOpener::openFirst(deviceHandle, WheelOpener::HeldWheel::Skip);
#endif
    if (opened.status == WheelOpener::Result::Status::Opened)
        productId = opened.productId;
    if (productId == 0) {
        showWaitingScreen();
        showWaitingReason(WheelOpener::whyNotOpened(deviceHandle.backend(), opened));
        // Precise: a coarse timer may fire up to 5 % early.
        QTimer::singleShot(kRetryDelayMs, Qt::PreciseTimer, this, SLOT(onInit()));
        return;
    }
    qCDebug(lcDevice, "wheel %04x:%04x opened", tarvo::kVendorId, productId);
    loggedWaitingReason.clear();
    // A quick replug never passes the waiting screen.
    forgetLitInputs(ui->page1);

    eventThread.start(QThread::InheritPriority);
    ui->pbStatus->hide();
    readWheel();
    profilesConnected();

    QTimer::singleShot(0, ui->pbS1, SLOT(click()));
#ifdef TARVO_OPTIONAL_SET
    startOptionalLoops();
#else
    if (hasBattery)
        batteryPoll.start(0);
#endif
}

void MainWindow::readWheel()
{
#ifdef TARVO_OPTIONAL_SET
    const bool ledsEarly = readLedImageEarly();
#endif
    identifyModel();
#ifdef TARVO_OPTIONAL_SET
    if (ledsEarly)
        paintEarlyLedImage();
    else
#endif
        readLedColours();
    readPaddleSettings();
    readEncoderPulse();
    readClutchEnable();
    readFirmwareVersion();
    loadEncoderBinding();
#ifdef TARVO_OPTIONAL_SET
    readAxisCalibrations();
#endif
}

void MainWindow::showWaitingScreen()
{
    forgetLitInputs(ui->page1);
    ui->lbHead->setText(tr("WAITING FOR DEVICE..."));
    ui->lbMain->setStyleSheet(QStringLiteral("border-image:"));
    for (QWidget* button : {ui->pbS1, ui->pbS2, ui->pbS3, ui->pbS4})
        button->setEnabled(false);
    QTimer::singleShot(0, ui->pbS5, SLOT(click()));
    ui->pbStatus->show();
    for (QWidget* widget :
         {static_cast<QWidget*>(ui->lbEnc), static_cast<QWidget*>(ui->hsTrigger), static_cast<QWidget*>(ui->lbTrigger),
          static_cast<QWidget*>(ui->pbSaveEnc), static_cast<QWidget*>(ui->pbCalL), static_cast<QWidget*>(ui->pgAdcR),
          static_cast<QWidget*>(ui->pbCalR), static_cast<QWidget*>(ui->pgAdcL)})
        widget->setVisible(false);
    ui->lbVersion->hide();
    resetUpgradeUi();
}
