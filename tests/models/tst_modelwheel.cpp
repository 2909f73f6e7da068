// Model identification against the simulated wheel firmware: the model text it reports and
// its lamp answer decide the layout.
#include "device/devicehandle.h"
#include "firmware/updateserver.h"
#include "settings/modeltable.h"
#include "support/mainwindowprobe.h"
#include "virtualwheel/virtualwheel.h"

#include <QSettings>
#include <QtTest>
#include <memory>

class TestModelWheel : public QObject
{
    Q_OBJECT

    VirtualWheel wheel{QStringLiteral("R-VELO"), 0x2007};

private slots:
    void initTestCase()
    {
        deviceHandle.setBackend(&wheel);
        setUpdateServerBaseUrl(QStringLiteral("https://mirror.test/"));
    }

    void cleanup() { deviceHandle.close(); }

    void identify_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<int>("auxFlag");
        QTest::addColumn<QString>("header");
        QTest::addColumn<bool>("lamps");
        QTest::addColumn<bool>("battery");
        QTest::addColumn<bool>("rgbPage");
        QTest::addColumn<QString>("url");

        QTest::newRow("R-VELO with lamps")
            << "R-VELO" << 1 << "TARVO R-VELO" << true << true << true << "https://mirror.test/upgrade/rvelo/";
        QTest::newRow("R-VELO without lamps")
            << "R-VELO" << 0 << "TARVO R-VELO" << false << true << true << "https://mirror.test/upgrade/rvelo/";
        QTest::newRow("QLN5 with lamps") << "QLN5" << 1 << "TARVO QLN5" << true << false << true
                                         << "https://mirror.test/upgrade/qln5/";
        QTest::newRow("V-KERN") << "V-KERN" << 1 << "TARVO V-KERN" << false << true << false
                                << "https://mirror.test/upgrade/vkern/";
        QTest::newRow("LM270") << "LM270" << 0 << "Tarvo Meridian Edition Wheel" << false << true << true
                               << "https://mirror.test/upgrade/lm270/";
        QTest::newRow("KTR2") << "KTR2" << 0 << "TARVO KTR2" << true << false << true
                              << "https://mirror.test/upgrade/ktr2/";
        QTest::newRow("19 bytes") << "KTR2 SPECIAL EDITON" << 0 << "TARVO KTR2 SPECIAL EDITON" << true << false << true
                                  << "https://mirror.test/upgrade/ktr2/";
        QTest::newRow("unknown") << "PROTO-1" << 1 << "TARVO PROTO-1" << false << false << true << "";
    }

    void identify()
    {
        QFETCH(QString, model);
        QFETCH(int, auxFlag);
        QFETCH(QString, header);
        QFETCH(bool, lamps);
        QFETCH(bool, battery);
        QFETCH(bool, rgbPage);
        QFETCH(QString, url);

        wheel.setModel(model);
        wheel.setAuxLampsFlag(auxFlag);
        MainWindow window;
        Ui::MainWindow* ui = MainWindowProbe::ui(window);
        QVERIFY(deviceHandle.open(tarvo::kVendorId, 0x2007));
        wheel.clearReceived();

        MainWindowProbe::identifyModel(window);

        QCOMPARE(MainWindowProbe::modelName(window), model);
        QCOMPARE(ui->lbHead->text(), header);
        QCOMPARE(ui->pbXL->isHidden(), !lamps);
        QCOMPARE(ui->pbXR->isHidden(), !lamps);
        QCOMPARE(MainWindowProbe::hasBattery(window), battery);
        QCOMPARE(ui->pbS2->isEnabled(), rgbPage);
        QCOMPARE(MainWindowProbe::upgradeBaseUrl(window), url);

        // Identification only asks; it never sets anything on the wheel.
        const QList<VirtualWheel::Received> received = wheel.received();
        QVERIFY(!received.isEmpty());
        for (const VirtualWheel::Received& frame : received) {
            QCOMPARE(frame.kind, VirtualWheel::Received::Kind::SendFeature);
            QCOMPARE(frame.bytes.at(1), char(0x0B));
        }
        QCOMPARE(received.first().bytes.left(3), QByteArray::fromHex("020b0d"));
    }

    // The wheel disappears between opening and the model query: the waiting layout stays.
    void unpluggedBeforeQuery()
    {
        wheel.plug();
        wheel.setModel(QStringLiteral("QLN5"));
        MainWindow window;
        Ui::MainWindow* ui = MainWindowProbe::ui(window);
        QVERIFY(deviceHandle.open(tarvo::kVendorId, 0x2007));
        const QString waiting = ui->lbHead->text();
        wheel.unplug();

        MainWindowProbe::identifyModel(window);

        QCOMPARE(ui->lbHead->text(), waiting);
        QVERIFY(MainWindowProbe::modelName(window).isEmpty());
        QVERIFY(!ui->pbS1->isEnabled());
        wheel.plug();
    }
};

QTEST_MAIN(TestModelWheel)
#include "tst_modelwheel.moc"
