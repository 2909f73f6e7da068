// The clutch axes' calibration record through the per-user store of non-Windows systems: read
// at every connection, written when a calibration ends, kept across a restart of the window.
#include "optional/calibration/filecalibrationstore.h"
#include "support/wheelwindow.h"
#include "ui_mainwindow.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTest>

using tarvo::Release;

namespace {

QString storePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/Tarvo/DirectInput-calibration.txt");
}

QByteArray keyText(const char* pid, int axis)
{
    return QByteArray("System\\CurrentControlSet\\Control\\MediaProperties\\PrivateProperties\\DirectInput\\"
                      "VID_7E57&PID_")
        + pid + "\\Calibration\\0\\Type\\Axes\\" + QByteArray::number(axis);
}

QByteArray storeFile()
{
    QFile file(storePath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// 100, 2000, 3900 as three little-endian 32-bit words.
const QByteArray k100To3900 = "64000000d00700003c0f0000";

} // namespace

class TestCalibrationRecord : public QObject
{
    Q_OBJECT

private slots:
    void init() { QFile::remove(storePath()); }
    void roundTripAcrossRestart_data();
    void roundTripAcrossRestart();
    void calibrationWithoutReadingsKeepsRecord();
    void currentReleaseScalesBarsOnly();
    void currentReleaseWritesWheelCalibration();
    void foreignLinesReadAsMissing();
};

void TestCalibrationRecord::roundTripAcrossRestart_data()
{
    QTest::addColumn<int>("release");
    QTest::addColumn<int>("productId");
    QTest::addColumn<int>("axis");
    QTest::addColumn<QByteArray>("keyPid");

    QTest::newRow("1.15 left") << int(Release::V115) << 0x2007 << 3 << QByteArray("2007");
    QTest::newRow("1.15 right, PID 2008") << int(Release::V115) << 0x2008 << 2 << QByteArray("2008");
    QTest::newRow("1.14s fixed 2007") << int(Release::V114S) << 0x2008 << 3 << QByteArray("2007");
    QTest::newRow("1.14n fixed 2007") << int(Release::V114N) << 0x2009 << 2 << QByteArray("2007");
    QTest::newRow("1.12 fixed 2007") << int(Release::V112) << 0x2009 << 3 << QByteArray("2007");
}

void TestCalibrationRecord::roundTripAcrossRestart()
{
    QFETCH(int, release);
    QFETCH(int, productId);
    QFETCH(int, axis);
    QFETCH(QByteArray, keyPid);
    const bool left = axis == 3;
    {
        WheelWindow w(Release(release), QStringLiteral("R-VELO"), std::uint16_t(productId));
        QVERIFY(w.waitConnected());
        QProgressBar* bar = left ? w.ui()->pgAdcL : w.ui()->pgAdcR;
        QPushButton* button = left ? w.ui()->pbCalL : w.ui()->pbCalR;
        QCOMPARE(bar->minimum(), 0);
        QCOMPARE(bar->maximum(), 4096);

        button->setChecked(true);
        QCOMPARE(button->text(), QStringLiteral("SAVE"));
        for (const quint16 reading : {quint16(2000), quint16(100), quint16(3900), quint16(1500)})
            w.feed(inputReport({}, left ? 0 : reading, left ? reading : 0));
        button->setChecked(false);
        QCOMPARE(button->text(), QStringLiteral("CALIBRATE"));
        QCOMPARE(bar->minimum(), 100);
        QCOMPARE(bar->maximum(), 3900);
        QCOMPARE(storeFile(), keyText(keyPid, axis) + '\t' + k100To3900 + '\n');
    }
    WheelWindow again(Release(release), QStringLiteral("R-VELO"), std::uint16_t(productId));
    QVERIFY(again.waitConnected());
    QProgressBar* bar = left ? again.ui()->pgAdcL : again.ui()->pgAdcR;
    QCOMPARE(bar->minimum(), 100);
    QCOMPARE(bar->maximum(), 3900);
    QCOMPARE(left ? MainWindowProbe::calLeftMin(*again.window) : MainWindowProbe::calRightMin(*again.window), 100u);
    QCOMPARE(left ? MainWindowProbe::calLeftMax(*again.window) : MainWindowProbe::calRightMax(*again.window), 3900u);
    // The other axis has no record: the full range.
    QProgressBar* other = left ? again.ui()->pgAdcR : again.ui()->pgAdcL;
    QCOMPARE(other->minimum(), 0);
    QCOMPARE(other->maximum(), 4096);
}

void TestCalibrationRecord::calibrationWithoutReadingsKeepsRecord()
{
    WheelWindow w(Release::V115, QStringLiteral("R-VELO"));
    QVERIFY(w.waitConnected());
    // Without a previous record the axis stays at the full range and nothing is written.
    w.ui()->pbCalL->setChecked(true);
    w.ui()->pbCalL->setChecked(false);
    QCOMPARE(storeFile(), QByteArray());
    QCOMPARE(MainWindowProbe::calLeftMin(*w.window), 0u);
    QCOMPARE(MainWindowProbe::calLeftMax(*w.window), 4096u);

    w.ui()->pbCalL->setChecked(true);
    w.feed(inputReport({}, 0, 100));
    w.feed(inputReport({}, 0, 3900));
    w.ui()->pbCalL->setChecked(false);
    const QByteArray stored = storeFile();
    w.ui()->pbCalL->setChecked(true);
    w.ui()->pbCalL->setChecked(false);
    QCOMPARE(storeFile(), stored);
    QCOMPARE(MainWindowProbe::calLeftMin(*w.window), 100u);
    QCOMPARE(MainWindowProbe::calLeftMax(*w.window), 3900u);
    QCOMPARE(w.ui()->pgAdcL->minimum(), 100);
    QCOMPARE(w.ui()->pgAdcL->maximum(), 3900);
}

void TestCalibrationRecord::currentReleaseScalesBarsOnly()
{
    QDir().mkpath(QFileInfo(storePath()).path());
    QFile file(storePath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    // 200, 1600, 3000 for the left axis of a 0x2008 wheel.
    file.write(keyText("2008", 3) + "\tc800000040060000b80b0000\n");
    file.close();
    WheelWindow w(Release::V120, QStringLiteral("R-VELO"), 0x2008);
    // The window connects from the event loop: the wheel holds these before it asks.
    QVERIFY(w.wheel.setSetting("calLeftMin", {"150"}));
    QVERIFY(w.wheel.setSetting("calLeftMax", {"3500"}));
    QVERIFY(w.waitConnected());
    QCOMPARE(w.ui()->pgAdcL->minimum(), 200);
    QCOMPARE(w.ui()->pgAdcL->maximum(), 3000);
    // The wheel keeps the calibration it applies; the record does not replace it.
    QTRY_COMPARE(MainWindowProbe::calLeftMin(*w.window), 150u);
    QCOMPARE(MainWindowProbe::calLeftMax(*w.window), 3500u);
}

void TestCalibrationRecord::currentReleaseWritesWheelCalibration()
{
    WheelWindow w(Release::V120, QStringLiteral("R-VELO"), 0x2008);
    QVERIFY(w.waitConnected());
    w.ui()->pbCalR->setChecked(true);
    // The wheel's calibration starts tracking after its reset.
    QTRY_COMPARE_WITH_TIMEOUT(MainWindowProbe::calRightMin(*w.window), 4096u, 5000);
    w.feed(inputReport({}, 100, 0));
    w.feed(inputReport({}, 3900, 0));
    w.ui()->pbCalR->setChecked(false);
    QCOMPARE(storeFile(), keyText("2008", 2) + '\t' + k100To3900 + '\n');
    QCOMPARE(w.ui()->pgAdcR->minimum(), 100);
    QCOMPARE(w.ui()->pgAdcR->maximum(), 3900);
}

void TestCalibrationRecord::foreignLinesReadAsMissing()
{
    QDir().mkpath(QFileInfo(storePath()).path());
    const std::string path = QFile::encodeName(storePath()).toStdString();
    const QByteArray key = keyText("2007", 2);
    const QByteArray lines[] = {key + "\t64000000d0070000", key + "\t64000000d00700003c0f000000",
                                key + "\t64000000d00700003c0f00zz", key + "\t64000000D00700003C0F0000"};
    for (const QByteArray& line : lines) {
        QFile file(storePath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(line + '\n');
        file.close();
        tarvo::FileCalibrationStore store(path);
        const tarvo::AxisRange range = tarvo::readAxisCalibration(store, 0x2007, 2);
        QCOMPARE(range.minimum, 0u);
        QCOMPARE(range.maximum, 4096u);
    }
    // Other keys' lines survive a write.
    tarvo::FileCalibrationStore store(path);
    QVERIFY(tarvo::writeAxisCalibration(store, 0x2007, 3, {100, 3900}));
    QCOMPARE(storeFile(), lines[3] + '\n' + keyText("2007", 3) + '\t' + k100To3900 + '\n');
}

QTEST_MAIN(TestCalibrationRecord)
#include "tst_calibrationrecord.moc"
