// The firmware page with a virtual wheel: choosing a file, the image check, a whole transfer,
// transfers that fail or lose the wheel, refusing a second transfer or closing, clearing
// the flash.
#include "app/filedialog.h"
#include "support/messageboxes.h"
#include "support/wheelwindow.h"
#include "ui_mainwindow.h"

#include <QCryptographicHash>
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QString kSuccess = "Notify: Firmware updated successfully.";
const QString kFailed = "Error: Firmware update failed.";
const QString kBusy = "Notify: A firmware update is in progress. Please wait until it has finished.";

QString writeImage(const QString& path, int size)
{
    QByteArray image(size, '\0');
    for (int i = 0; i < size; ++i)
        image[i] = char((i * 7 + i / 251) & 0xFF);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(image);
    return QString::fromLatin1(QCryptographicHash::hash(image, QCryptographicHash::Md5).toHex());
}

QJsonObject wheelFirmware(VirtualWheel& wheel)
{
    return wheel.state().value("firmware").toObject();
}
} // namespace

class TestFlashing : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void showPath();
    void imageCheck_data();
    void imageCheck();
    void failedTransfer_data();
    void failedTransfer();
    void busyRefusesCloseAndSecondTransfer();
    void clearFlash_data();
    void clearFlash();

private:
    QTemporaryDir m_tmp;
    std::unique_ptr<WheelWindow> m_w;
};

void TestFlashing::initTestCase()
{
    // The user's own files "in the temporary folder" live here, not in the shared one.
    qputenv("TMPDIR", m_tmp.path().toLocal8Bit());
}

void TestFlashing::init()
{
    m_w = std::make_unique<WheelWindow>();
    QVERIFY(m_w->waitConnected());
    m_w->wheel.clearReceived();
}

void TestFlashing::cleanup()
{
    if (m_w)
        QTRY_VERIFY_WITH_TIMEOUT(!m_w->upgradeThread().isRunning(), 30000);
    m_w.reset();
}

void TestFlashing::showPath()
{
    m_w->ui()->lePath->setText("/before.bin");
    FileDialog::clearShown();
    FileDialog::setNextAnswer("/home/user/new firmware.bin");
    FileDialog::setNextAnswer(QString()); // cancelled
    m_w->ui()->pbPath->click();
    QCOMPARE(m_w->ui()->lePath->text(), QString("/home/user/new firmware.bin"));
    m_w->ui()->pbPath->click();
    QCOMPARE(m_w->ui()->lePath->text(), QString("/home/user/new firmware.bin"));
    QCOMPARE(FileDialog::shown().size(), 2);
    QCOMPARE(FileDialog::shown().first().filter, QString("Firmware File (*.bin);;"));
}

void TestFlashing::imageCheck_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("size"); // -1: no file
    QTest::addColumn<QString>("message");
    // A user's image kept in the temporary folder must survive its transfer.
    QTest::newRow("largest image, in the temporary folder") << "largest.bin" << 229376 << kSuccess;
    QTest::newRow("one byte too many") << "big.bin" << 229377 << "Error: Not a valid firmware.";
    QTest::newRow("capital extension") << "small.BIN" << 16 << "Error: Not a valid firmware.";
    QTest::newRow("no extension") << "small" << 16 << "Error: Not a valid firmware.";
    QTest::newRow("empty image") << "empty.bin" << 0 << "Error: Not a valid firmware.";
    QTest::newRow("missing .bin file") << "missing.bin" << -1 << "";
}

void TestFlashing::imageCheck()
{
    QFETCH(QString, name);
    QFETCH(int, size);
    QFETCH(QString, message);
    const QString path = QDir(QDir::tempPath()).filePath(name);
    const QString md5 = size >= 0 ? writeImage(path, size) : QString();
    if (!message.isEmpty())
        MessageBox::setNextAnswer(QMessageBox::Ok);
    m_w->ui()->lePath->setText(path);
    m_w->ui()->pbUpgrade->click();

    if (message == kSuccess) {
        QTRY_COMPARE_WITH_TIMEOUT(shownBoxes(), QStringList{kSuccess}, 60000);
        QCOMPARE(wheelFirmware(m_w->wheel).value("md5").toString(), md5);
        QVERIFY(wheelFirmware(m_w->wheel).value("complete").toBool());
        QVERIFY(wheelFirmware(m_w->wheel).value("inOrder").toBool());
        QVERIFY(m_w->firmwarePageAtRest());
        QTRY_VERIFY_WITH_TIMEOUT(!m_w->upgradeThread().isRunning(), 10000);
        QVERIFY(QFile::exists(path));
        // Opened afresh after the box: a close and an open of the wheel.
        const int opens = m_w->faults.opens();
        QTRY_VERIFY_WITH_TIMEOUT(m_w->faults.opens() > opens, 15000);
        return;
    }
    QTRY_VERIFY_WITH_TIMEOUT(!m_w->upgradeThread().isRunning(), 10000);
    QCOMPARE(shownBoxes(), message.isEmpty() ? QStringList() : QStringList{message});
    QVERIFY(m_w->faults.firmwareFrames().isEmpty());
    QVERIFY(m_w->firmwarePageAtRest());
}

void TestFlashing::failedTransfer_data()
{
    QTest::addColumn<int>("fault");
    QTest::addColumn<int>("frame"); // the image has 1000 blocks; frame 1000 is the end frame
    const int unplug = int(FaultyHid::Fault::Unplug);
    QTest::newRow("unplugged at the first block") << unplug << 0;
    QTest::newRow("unplugged in the middle") << unplug << 500;
    QTest::newRow("unplugged before the end frame") << unplug << 1000;
    QTest::newRow("one send fails, the wheel stays") << int(FaultyHid::Fault::FailSends) << 400;
}

void TestFlashing::failedTransfer()
{
    QFETCH(int, fault);
    QFETCH(int, frame);
    const QString path = QDir(QDir::tempPath()).filePath("failing.bin");
    writeImage(path, 16000);
    m_w->faults.arm(frame + 1, FaultyHid::Fault(fault), 1, FaultyHid::Counting::FirmwareFrames);
    const int opens = m_w->faults.opens();
    MessageBox::setNextAnswer(QMessageBox::Ok);
    m_w->ui()->lePath->setText(path);
    m_w->ui()->pbUpgrade->click();

    QTRY_COMPARE_WITH_TIMEOUT(shownBoxes(), QStringList{kFailed}, 30000);
    QTRY_VERIFY_WITH_TIMEOUT(!m_w->upgradeThread().isRunning(), 10000);
    // Nothing after the failed frame: no further block, no end frame.
    const QList<QByteArray> frames = m_w->faults.firmwareFrames();
    QCOMPARE(frames.size(), frame + 1);
    for (int i = 0; i < frame; ++i)
        QVERIFY(quint8(frames[i][1]) & 0x80);
    QVERIFY(!wheelFirmware(m_w->wheel).value("complete").toBool());
    QVERIFY(m_w->firmwarePageAtRest());
    QVERIFY(QFile::exists(path));

    if (FaultyHid::Fault(fault) == FaultyHid::Fault::Unplug) {
        QTRY_COMPARE_WITH_TIMEOUT(m_w->ui()->lbHead->text(), QString("WAITING FOR DEVICE..."), 10000);
        m_w->wheel.plug();
    }
    QTRY_VERIFY_WITH_TIMEOUT(m_w->faults.opens() > opens, 15000);
    QVERIFY(m_w->waitConnected());
    QCOMPARE(shownBoxes(), QStringList{kFailed});
}

void TestFlashing::busyRefusesCloseAndSecondTransfer()
{
    const QString first = QDir(QDir::tempPath()).filePath("first.bin");
    const QString firstMd5 = writeImage(first, 16000);
    const QString second = QDir(QDir::tempPath()).filePath("second.bin");
    writeImage(second, 32);
    m_w->window->show();
    m_w->wheel.setLatency(2);
    for (int i = 0; i < 4; ++i)
        MessageBox::setNextAnswer(QMessageBox::Ok);
    m_w->ui()->lePath->setText(first);
    m_w->ui()->pbUpgrade->click();
    QTRY_COMPARE_WITH_TIMEOUT(m_w->ui()->lbUpgrade->text(), QString("Uploading ..."), 10000);
    QVERIFY(!m_w->ui()->pgUpgrade->isHidden());

    // A reconnect waits for the transfer instead of reopening the wheel under it.
    const int opens = m_w->faults.opens();
    QMetaObject::invokeMethod(m_w->window.get(), "onInit", Qt::DirectConnection);
    QCOMPARE(m_w->faults.opens(), opens);
    QMetaObject::invokeMethod(m_w->window.get(), "onClose", Qt::DirectConnection);
    m_w->ui()->lePath->setText(second);
    m_w->ui()->pbUpgrade->click();
    m_w->ui()->pbAutoUpgrade->click();
    QCOMPARE(shownBoxes(), (QStringList{kBusy, kBusy, kBusy}));
    QVERIFY(m_w->window->isVisible());
    QVERIFY(MainWindowProbe::eventThread(*m_w->window).isRunning());

    QTRY_COMPARE_WITH_TIMEOUT(m_w->ui()->lbUpgrade->text(), QString("Writing ..."), 60000);
    QTRY_COMPARE_WITH_TIMEOUT(shownBoxes().size(), 4, 30000);
    QCOMPARE(shownBoxes().last(), kSuccess);
    const QJsonObject image = wheelFirmware(m_w->wheel);
    QCOMPARE(image.value("md5").toString(), firstMd5);
    QCOMPARE(image.value("blocks").toInt(), 1000);
    QVERIFY(image.value("inOrder").toBool());
    QTRY_VERIFY_WITH_TIMEOUT(m_w->faults.opens() > opens, 10000);
}

void TestFlashing::clearFlash_data()
{
    QTest::addColumn<int>("answer"); // a queued button, or a key pressed on the real dialog
    QTest::addColumn<bool>("key");
    QTest::addColumn<int>("failSends");
    QTest::addColumn<QString>("message");
    QTest::newRow("No") << int(QMessageBox::No) << false << 0 << "";
    QTest::newRow("Escape") << int(Qt::Key_Escape) << true << 0 << "";
    QTest::newRow("Return takes the default, No") << int(Qt::Key_Return) << true << 0 << "";
    QTest::newRow("Yes") << int(QMessageBox::Yes) << false << 0 << "Notify: Flash data has been cleared.";
    QTest::newRow("Yes, the send fails") << int(QMessageBox::Yes) << false << 1 << "Error: Can not save setting.";
}

void TestFlashing::clearFlash()
{
    QFETCH(int, answer);
    QFETCH(bool, key);
    QFETCH(int, failSends);
    QFETCH(QString, message);
    // The page shows what the user saved before: left paddle, bite point 20.
    m_w->ui()->rbPadL->setChecked(true);
    m_w->ui()->hsBite->setValue(20);
    MessageBox::setNextAnswer(QMessageBox::Ok);
    m_w->ui()->pbSaveP->click();
    MessageBox::clearShown();
    m_w->wheel.clearReceived();
    m_w->wheel.failSends(failSends);
    if (key)
        pressOnNextDialog(answer);
    else
        MessageBox::setNextAnswer(QMessageBox::StandardButton(answer));
    MessageBox::setNextAnswer(QMessageBox::Ok); // the box after Yes
    m_w->ui()->pbClearFlash->click();

    const QString question = "Notify: Do you want to continue?\nThis operation will delete all the settings stored "
                             "in the device flash memory.";
    QCOMPARE(shownBoxes(), message.isEmpty() ? QStringList{question} : (QStringList{question, message}));
    QList<QByteArray> sent;
    for (const VirtualWheel::Received& r : m_w->wheel.received())
        if (!r.bytes.startsWith(QByteArray::fromHex("020b"))) // the queries of the readout
            sent.append(r.bytes);
    const bool erased = message.startsWith("Notify");
    QCOMPARE(sent,
             erased ? QList<QByteArray>{QByteArray::fromHex("020c10") + QByteArray(17, '\0')} : QList<QByteArray>{});
    QCOMPARE(m_w->wheel.state().value("flash").toObject().value("paddleMode").toInt(), erased ? 50 : 20);
    // An erased wheel is read again, so a later save cannot write the old values back.
    QCOMPARE(m_w->ui()->hsBite->value(), erased ? 50 : 20);
    QCOMPARE(m_w->ui()->hsBite->statusTip(), erased ? "50" : "20");
}

QTEST_MAIN(TestFlashing)
#include "tst_flashing.moc"
