// The Bluetooth scan and the battery poll, with the discovery agent's signals fed by the test.
#include "support/wheelwindow.h"
#include "ui_mainwindow.h"

#include <QBluetoothAddress>
#include <QBluetoothDeviceInfo>
#include <QTest>

using tarvo::Release;

class TestBluetooth : public QObject
{
    Q_OBJECT

private slots:
    void linesAfterConnection_data();
    void linesAfterConnection();
    void discoveredDevice_data();
    void discoveredDevice();
    void batteryLine_data();
    void batteryLine();
    void scanCycle();
    void withoutAdapterNothingSpins();
};

void TestBluetooth::linesAfterConnection_data()
{
    QTest::addColumn<int>("release");
    QTest::addColumn<QString>("model");
    QTest::addColumn<bool>("bluetooth");
    QTest::addColumn<bool>("battery");

    QTest::newRow("R-VELO") << int(Release::V120) << "R-VELO" << true << true;
    QTest::newRow("QLN5") << int(Release::V120) << "QLN5" << false << false;
    QTest::newRow("V-KERN") << int(Release::V120) << "V-KERN" << true << true;
    QTest::newRow("LM270 edition") << int(Release::V120) << "LM270-M" << true << true;
    QTest::newRow("ZEPHA2") << int(Release::V120) << "ZEPHA2" << true << true;
    QTest::newRow("ORBIX") << int(Release::V120) << "ORBIX" << true << true;
    QTest::newRow("KTR2") << int(Release::V120) << "KTR2" << false << false;
    QTest::newRow("1.15 R-VELO") << int(Release::V115) << "R-VELO" << true << true;
    // Unknown to the earlier releases: both flags stay as constructed.
    QTest::newRow("1.15 ZEPHA2") << int(Release::V115) << "ZEPHA2" << false << false;
    QTest::newRow("1.12 ORBIX") << int(Release::V112) << "ORBIX" << false << false;
}

void TestBluetooth::linesAfterConnection()
{
    QFETCH(int, release);
    QFETCH(QString, model);
    QFETCH(bool, bluetooth);
    QFETCH(bool, battery);
    WheelWindow w(Release(release), model);
    w.wheel.setBattery(60, 3900, 0);
    QVERIFY(w.waitConnected());
    // A battery tick and a scan still pending from the wheel before must not reach this one.
    MainWindowProbe::batteryTimer(*w.window).start(10000);
    MainWindowProbe::scanTimer(*w.window).start(5000);
    QMetaObject::invokeMethod(w.window.get(), "onInit", Qt::DirectConnection);
    QVERIFY(w.waitConnected());
    QCOMPARE(MainWindowProbe::hasBluetooth(*w.window), bluetooth);
    QCOMPARE(!w.ui()->lbBTStatus->isHidden(), bluetooth);
    QCOMPARE(!w.ui()->lbBatStatus->isHidden(), battery);
    // The zero-delay battery start has run exactly for battery models.
    if (battery)
        QTRY_COMPARE_WITH_TIMEOUT(w.ui()->lbBatStatus->text(), QStringLiteral("BATTERY STATUS: 60%"), 5000);
    else
        QVERIFY(!MainWindowProbe::batteryTimer(*w.window).isActive());
    if (!bluetooth)
        QVERIFY(!MainWindowProbe::scanTimer(*w.window).isActive());
}

void TestBluetooth::discoveredDevice_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("rssi");
    QTest::addColumn<QString>("text"); // empty: the line keeps its text

    QTest::newRow("the key") << "R-VELO" << -58 << "BLUETOOTH CONNECTION STATUS: -58";
    QTest::newRow("text around it") << "TARVO R-VELO 2" << -71 << "BLUETOOTH CONNECTION STATUS: -71";
    QTest::newRow("positive") << "R-VELO" << 12 << "BLUETOOTH CONNECTION STATUS: 12";
    QTest::newRow("no reading") << "R-VELO" << 0 << QString();
    QTest::newRow("lower case") << "r-velo" << -40 << QString();
    QTest::newRow("another model's name") << "QLN5" << -40 << QString();
}

void TestBluetooth::discoveredDevice()
{
    QFETCH(QString, name);
    QFETCH(int, rssi);
    QFETCH(QString, text);
    WheelWindow w(Release::V120, QStringLiteral("R-VELO"));
    QVERIFY(w.waitConnected());
    const QString before = w.ui()->lbBTStatus->text();
    QBluetoothDeviceInfo info(QBluetoothAddress(QStringLiteral("00:11:22:33:44:55")), name, 0);
    info.setRssi(qint16(rssi));
    QVERIFY(QMetaObject::invokeMethod(w.window.get(), "onBTUpdate", Qt::DirectConnection,
                                      Q_ARG(QBluetoothDeviceInfo, info)));
    QCOMPARE(w.ui()->lbBTStatus->text(), text.isEmpty() ? before : text);
}

void TestBluetooth::batteryLine_data()
{
    QTest::addColumn<int>("percent");
    QTest::addColumn<int>("supply");
    QTest::addColumn<int>("link");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("bluetoothLine");

    // The link byte that hides the line in the plain build is not looked at here. Where
    // battery ends and USB power begins is tst_answers' case.
    QTest::newRow("on battery, a link") << 42 << 3900 << 1 << "BATTERY STATUS: 42%" << true;
    QTest::newRow("top of the range") << 100 << 0xFFFF << 0 << "BATTERY STATUS: USB" << false;
    QTest::newRow("empty battery") << 0 << 3000 << 0 << "BATTERY STATUS: 0%" << true;
}

void TestBluetooth::batteryLine()
{
    QFETCH(int, percent);
    QFETCH(int, supply);
    QFETCH(int, link);
    QFETCH(QString, text);
    QFETCH(bool, bluetoothLine);
    WheelWindow w(Release::V120, QStringLiteral("R-VELO"));
    QVERIFY(w.waitConnected());
    w.ui()->lbBTStatus->setHidden(bluetoothLine);
    w.wheel.setBattery(percent, supply, link);
    w.wheel.clearReceived();
    QVERIFY(QMetaObject::invokeMethod(w.window.get(), "onBatScan", Qt::DirectConnection));
    QCOMPARE(w.ui()->lbBatStatus->text(), text);
    QCOMPARE(!w.ui()->lbBTStatus->isHidden(), bluetoothLine);
    const auto received = w.wheel.received();
    QCOMPARE(received.size(), 1);
    QCOMPARE(received.first().bytes.toHex(), QByteArray("020b0f0000000000000000000000000000000000"));
    // Re-armed once, not doubled by the connection's own start.
    QVERIFY(MainWindowProbe::batteryTimer(*w.window).isActive());
}

void TestBluetooth::scanCycle()
{
    WheelWindow w(Release::V120, QStringLiteral("R-VELO"));
    QVERIFY(w.waitConnected());
    QTimer& scan = MainWindowProbe::scanTimer(*w.window);
    QLabel* line = w.ui()->lbBTStatus;

    // A hidden line (USB power) ends the cycle.
    line->hide();
    QVERIFY(QMetaObject::invokeMethod(w.window.get(), "onBTDone", Qt::DirectConnection));
    QVERIFY(!scan.isActive());
    QVERIFY(line->isHidden());

    // A shown line schedules the next scan, which shows the line again when it starts.
    line->show();
    QVERIFY(QMetaObject::invokeMethod(w.window.get(), "onBTDone", Qt::DirectConnection));
    QVERIFY(scan.isActive());
    line->hide();
    QTRY_VERIFY_WITH_TIMEOUT(!line->isHidden(), 15000);

    // A model that is not looked for over Bluetooth hides the line instead.
    MainWindowProbe::hasBluetooth(*w.window) = false;
    scan.stop();
    QVERIFY(QMetaObject::invokeMethod(w.window.get(), "onBTDone", Qt::DirectConnection));
    QVERIFY(line->isHidden());
    QVERIFY(!scan.isActive());

    // Without a wheel nothing changes.
    line->show();
    MainWindowProbe::hasBluetooth(*w.window) = true;
    deviceHandle.close();
    QVERIFY(QMetaObject::invokeMethod(w.window.get(), "onBTDone", Qt::DirectConnection));
    QVERIFY(!scan.isActive());
    QVERIFY(!line->isHidden());
}

void TestBluetooth::withoutAdapterNothingSpins()
{
    // This machine has no Bluetooth adapter or service: the scan starts, ends without
    // finished(), and the program goes on polling the battery at its pace only.
    WheelWindow w(Release::V120, QStringLiteral("R-VELO"));
    QVERIFY(w.waitConnected());
    w.wheel.clearReceived();
    QTest::qWait(3000);
    QVERIFY(w.wheel.received().size() <= 1);
    QVERIFY(!w.ui()->lbBTStatus->isHidden());
}

QTEST_MAIN(TestBluetooth)
#include "tst_bluetooth.moc"
