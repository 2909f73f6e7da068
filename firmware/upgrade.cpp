// Firmware update from a file or the update server.
#include "app/filedialog.h"
#include "app/mainwindow.h"
#include "app/messagebox.h"
#include "device/devicehandle.h"
#include "device/logging.h"
#include "firmware/firmwaredownload.h"
#include "firmware/firmwaretransfer.h"
#include "firmware/updatedocument.h"
#include "ui_mainwindow.h"

#include <QFile>
#include <QTimer>
#include <QUrl>

namespace {
constexpr int kReopenDelayMs = 3000;
const QLatin1String kHttps("https://");
} // namespace

void MainWindow::onShowPath()
{
    const QString path = FileDialog::getOpenFileName(nullptr, QString(), QString(), tr("Firmware File (*.bin);;"));
    if (!path.isEmpty())
        ui->lePath->setText(path);
}

void MainWindow::onUpgrade()
{
    const QString path = ui->lePath->text();
    if (path.startsWith(kHttps, Qt::CaseSensitive)) {
        QTimer::singleShot(0, this, SLOT(onNetUpgrade()));
        return;
    }
    const bool ownDownload = !downloadedImage.isEmpty() && path == downloadedImage;
    downloadedImage.clear();
    if (refuseWhileTransferring() || !FirmwareTransfer::acceptsImage(path)) {
        if (!upgradeThread.isRunning() && !downloadReply) // the refusal has said why
            MessageBox::critical(this, tr("Error"), tr("Not a valid firmware."));
        if (ownDownload) {
            // A refused download is ours to remove, and its page must not stay "Downloading ...".
            QFile::remove(path);
            if (!upgradeThread.isRunning())
                resetUpgradeUi();
        }
        return;
    }
    upgradeThread.setFilePath(path);
    upgradeThread.setRemoveWhenDone(ownDownload);
    upgradeThread.start(QThread::InheritPriority);
}

void MainWindow::onProgress(int value)
{
    if (value == 100) {
        resetUpgradeUi();
        MessageBox::information(this, tr("Notify"), tr("Firmware updated successfully."));
        reopenAfterTransfer();
        return;
    }
    if (value < 0) {
        // A failed send: nothing followed it, so the wheel keeps the image it had.
        resetUpgradeUi();
        MessageBox::critical(this, tr("Error"), tr("Firmware update failed."));
        reopenAfterTransfer();
        return;
    }
    ui->lbUpgrade->setText(value > 96 ? tr("Writing ...") : tr("Uploading ..."));
    ui->pgUpgrade->setValue(value);
    ui->pgUpgrade->repaint();
    ui->pgUpgrade->show();
    ui->lbUpgrade->show();
}

void MainWindow::onAutoUpgrade()
{
    if (refuseWhileTransferring())
        return;
    const QUrl url(upgradeBaseUrl + QLatin1String(UpdateDocument::kFileName), QUrl::TolerantMode);
    QNetworkReply* reply = FirmwareDownload::get(networkManager, url, FirmwareDownload::kMaxDocumentBytes);
    ui->pbAutoUpgrade->setToolTip(QString()); // the last check's failure is history now
    ui->pbAutoUpgrade->setEnabled(false);
    ui->pbAutoUpgrade->setText(tr("Checking ..."));
    connect(reply, SIGNAL(finished()), this, SLOT(onUpgradeReady()));
}

void MainWindow::onUpgradeReady()
{
    auto* reply = qobject_cast<QNetworkReply*>(sender());
    if (!reply)
        return;
    reply->deleteLater();
    const std::optional<UpdateDocument> document = UpdateDocument::fromJson(FirmwareDownload::body(reply));
    if (!document) {
        // No message box for an unreachable server, but the reason stays at hand until the
        // next check.
        QString why = FirmwareDownload::errorText(reply);
        if (why.isEmpty())
            why = QStringLiteral("the server's %1 is not a version document")
                      .arg(QLatin1String(UpdateDocument::kFileName));
        const QString reason = tr("Update check failed: %1").arg(why);
        qCWarning(lcDevice).noquote() << reason;
        resetUpgradeUi();
        ui->pbAutoUpgrade->setToolTip(reason);
        return;
    }
    qCDebug(lcDevice) << "update document:" << document->object;

    switch (UpdateDocument::compare(ui->lbVersion->text(), document->version)) {
    case UpdateDocument::Comparison::Invalid:
        MessageBox::information(this, tr("Update"), tr("No valid device."));
        resetUpgradeUi();
        return;
    case UpdateDocument::Comparison::UpToDate:
        MessageBox::information(this, tr("Update"), tr("Your firmware is already up to date."));
        resetUpgradeUi();
        return;
    case UpdateDocument::Comparison::Newer:
        break;
    }
    if (MessageBox::question(this, tr("Update"), tr("A new firmware is available, update now?")) != QMessageBox::Yes) {
        resetUpgradeUi();
        return;
    }
    ui->lePath->setText(upgradeBaseUrl + document->name);
    ui->lbCurVersion->setText(tr("Version: ") + document->version);
    ui->lbCurMd5->setText(QStringLiteral("MD5: ") + document->md5);
    QTimer::singleShot(0, this, SLOT(onNetUpgrade()));
}

void MainWindow::onNetUpgrade()
{
    const QString url = ui->lePath->text();
    if (!url.startsWith(kHttps, Qt::CaseSensitive)) {
        resetUpgradeUi();
        return;
    }
    if (refuseWhileTransferring()) {
        // The running transfer keeps its bar; only the check button comes back.
        ui->pbAutoUpgrade->setEnabled(true);
        ui->pbAutoUpgrade->setText(tr("CHECK UPDATE"));
        return;
    }
    QNetworkReply* reply =
        FirmwareDownload::get(networkManager, QUrl(url, QUrl::TolerantMode), FirmwareDownload::kMaxImageBytes);
    downloadReply = reply;
    connect(reply, SIGNAL(downloadProgress(qint64, qint64)), this, SLOT(onNetProgress(qint64, qint64)));
    connect(reply, SIGNAL(finished()), this, SLOT(onNetUpgradeReady()));
    ui->pgUpgrade->show();
    ui->lbUpgrade->setText(tr("Downloading ..."));
    ui->lbUpgrade->show();
}

void MainWindow::onNetProgress(qint64 received, qint64 total)
{
    if (total > 0)
        ui->pgUpgrade->setValue(static_cast<int>(received * 100 / total));
}

void MainWindow::onNetUpgradeReady()
{
    auto* reply = qobject_cast<QNetworkReply*>(sender());
    if (!reply)
        return;
    reply->deleteLater();
    if (downloadReply == reply)
        downloadReply = nullptr;
    const QByteArray image = FirmwareDownload::body(reply);
    if (!UpdateDocument::digestMatches(image, ui->lbCurMd5->text())) {
        const QString why = FirmwareDownload::errorText(reply);
        qCDebug(lcDevice).noquote() << "download failed:" << (why.isEmpty() ? QStringLiteral("MD5 differs") : why);
        MessageBox::critical(this, tr("Error"), tr("Download file fail."));
        resetUpgradeUi();
        return;
    }
    QString error;
    const QString path = FirmwareDownload::saveImage(image, &error);
    if (path.isEmpty()) {
        qCDebug(lcDevice).noquote() << "cannot save the download:" << error;
        MessageBox::critical(this, tr("Error"), tr("Can not write to temp."));
        resetUpgradeUi();
        return;
    }
    downloadedImage = path;
    ui->lePath->setText(path);
    QTimer::singleShot(0, this, SLOT(onUpgrade()));
}

void MainWindow::resetUpgradeUi()
{
    ui->pbAutoUpgrade->setEnabled(true);
    ui->pbAutoUpgrade->setText(tr("CHECK UPDATE"));
    ui->pgUpgrade->setValue(0);
    ui->lbCurMd5->hide();
    ui->lbCurVersion->clear();
    ui->pgUpgrade->hide();
    ui->lbUpgrade->hide();
}

bool MainWindow::refuseWhileTransferring()
{
    if (!upgradeThread.isRunning() && !downloadReply)
        return false;
    MessageBox::information(this, tr("Notify"),
                            tr("A firmware update is in progress. Please wait until it has finished."));
    return true;
}

void MainWindow::upgradeThreadFinished()
{
    // A transfer that could not begin (no wheel, unreadable file) sends no progress; a
    // download that led to it must not leave its page behind.
    switch (upgradeThread.outcome()) {
    case FirmwareTransfer::Outcome::NoDevice:
    case FirmwareTransfer::Outcome::CannotRead:
    case FirmwareTransfer::Outcome::TooLarge:
        resetUpgradeUi();
        break;
    case FirmwareTransfer::Outcome::Done:
    case FirmwareTransfer::Outcome::SendFailed:
        break;
    }
}

void MainWindow::reopenAfterTransfer()
{
    QTimer::singleShot(kReopenDelayMs, this, [this] {
        // A closed handle means the connection retry already runs; a second chain of it
        // would double every later attempt. A new transfer must not have its wheel reopened.
        if (deviceHandle.isOpen() && !upgradeThread.isRunning())
            onInit();
    });
}
