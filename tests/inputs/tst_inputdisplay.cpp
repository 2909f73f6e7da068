// The live input display: which indicators light, which count as released, the clutch
// bars and the calibration tracking.
#include "support/wheelwindow.h"

#include <QProgressBar>
#include <QTest>

using Reports = QList<QByteArray>;

class TestInputDisplay : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void indicators_data();
    void indicators();
    void clutchBars_data();
    void clutchBars();
    void calibrationTracking_data();
    void calibrationTracking();

private:
    std::unique_ptr<WheelWindow> m;
};

void TestInputDisplay::init()
{
    m = std::make_unique<WheelWindow>(QStringLiteral("R-VELO"));
    QVERIFY(m->waitConnected(QStringLiteral("R-VELO")));
    QVERIFY(m->show());
}

void TestInputDisplay::cleanup()
{
    m.reset();
}

void TestInputDisplay::indicators_data()
{
    QTest::addColumn<Reports>("reports");
    QTest::addColumn<bool>("shifter");
    QTest::addColumn<QStringList>("disabled"); // indicators disabled before report disableAt
    QTest::addColumn<int>("disableAt");
    QTest::addColumn<QList<int>>("lit"); // after the last report
    QTest::addColumn<QList<int>>("released"); // releasedInputs after the last report

    const QList<int> none;
    const QStringList noneDisabled;
    QTest::newRow("press 0 lights pbIB1")
        << Reports{inputReport({0})} << false << noneDisabled << 0 << QList<int>{0} << none;
    QTest::newRow("held input stays lit, no release")
        << Reports{inputReport({0}), inputReport({0})} << false << noneDisabled << 0 << QList<int>{0} << none;
    QTest::newRow("release of 0") << Reports{inputReport({0}), inputReport({})} << false << noneDisabled << 0 << none
                                  << QList<int>{0};
    QTest::newRow("a release is seen once")
        << Reports{inputReport({0}), inputReport({}), inputReport({})} << false << noneDisabled << 0 << none << none;
    QTest::newRow("several released, ascending") << Reports{inputReport({47, 3, 20, 12, 0}), inputReport({})} << false
                                                 << noneDisabled << 0 << none << QList<int>{0, 3, 12, 20, 47};
    QTest::newRow("partial release") << Reports{inputReport({3, 12, 47}), inputReport({12})} << false << noneDisabled
                                     << 0 << QList<int>{12} << QList<int>{3, 47};
    QTest::newRow("release and press in one report") << Reports{inputReport({3}), inputReport({19})} << false
                                                     << noneDisabled << 0 << QList<int>{19} << QList<int>{3};
    QTest::newRow("inactive never shown is no release")
        << Reports{inputReport({}), inputReport({})} << false << noneDisabled << 0 << none << none;
    QTest::newRow("disabled active indicator stays dark")
        << Reports{inputReport({0, 6})} << false << QStringList{QStringLiteral("pbIB1")} << 0 << QList<int>{6} << none;
    QTest::newRow("disabled active indicator is never released")
        << Reports{inputReport({0}), inputReport({})} << false << QStringList{QStringLiteral("pbIB1")} << 0 << none
        << none;
    QTest::newRow("disabling a lit indicator releases it")
        << Reports{inputReport({0, 6}), inputReport({0, 6})} << false << QStringList{QStringLiteral("pbIB1")} << 1
        << QList<int>{6} << QList<int>{0};
    QTest::newRow("extra shifters dark without cbShifter")
        << Reports{inputReport({48, 49, 0})} << false << noneDisabled << 0 << QList<int>{0} << none;
    QTest::newRow("extra shifters lit with cbShifter")
        << Reports{inputReport({48, 49, 0})} << true << noneDisabled << 0 << QList<int>{0, 48, 49} << none;
    QTest::newRow("extra shifter released with cbShifter") << Reports{inputReport({48, 49}), inputReport({49})} << true
                                                           << noneDisabled << 0 << QList<int>{49} << QList<int>{48};
    QTest::newRow("bits 50 to 63 change nothing")
        << Reports{inputReport(range(50, 63))} << true << noneDisabled << 0 << none << none;
    QTest::newRow("bits 50 to 63 do not disturb a held input")
        << Reports{inputReport({0}), inputReport(QList<int>{0} + range(50, 63))} << true << noneDisabled << 0
        << QList<int>{0} << none;
    QTest::newRow("indicators the model does not place stay dark")
        << Reports{inputReport({1, 22, 30, 33, 0})} << false << noneDisabled << 0 << QList<int>{0} << none;
    QTest::newRow("short report: missing bytes count as zero")
        << Reports{inputReport({0, 9, 40}), inputReport({0}).left(5)} << false << noneDisabled << 0 << QList<int>{0}
        << QList<int>{9, 40};
    QTest::newRow("empty report releases everything")
        << Reports{inputReport({0, 9}), QByteArray()} << false << noneDisabled << 0 << none << QList<int>{0, 9};
    QTest::newRow("bytes past 16 are ignored")
        << Reports{inputReport({0}) + QByteArray(8, char(0xFF))} << false << noneDisabled << 0 << QList<int>{0} << none;
}

void TestInputDisplay::indicators()
{
    QFETCH(Reports, reports);
    QFETCH(bool, shifter);
    QFETCH(QStringList, disabled);
    QFETCH(int, disableAt);
    QFETCH(QList<int>, lit);
    QFETCH(QList<int>, released);

    m->setShifter(shifter);
    for (int i = 0; i < reports.size(); ++i) {
        if (i == disableAt) {
            for (const QString& name : disabled)
                m->ui()->page1->findChild<QPushButton*>(name)->setEnabled(false);
        }
        m->feed(reports[i]);
    }

    // The status tips and releases are due when the slot returns; the screen once it caught up.
    QCOMPARE(MainWindowProbe::releasedInputs(*m->window), released);
    for (int input = 0; input < kIndicatedInputs; ++input) {
        const QString expected = lit.contains(input) ? QStringLiteral("SHOW") : QStringLiteral("HIDE");
        QCOMPARE(m->indicator(input)->statusTip(), expected);
    }
    QTRY_COMPARE(m->lit(), lit);
}

void TestInputDisplay::clutchBars_data()
{
    QTest::addColumn<QByteArray>("report");
    QTest::addColumn<int>("right");
    QTest::addColumn<int>("left");

    QTest::newRow("zero") << inputReport({}, 0, 0) << 0 << 0;
    QTest::newRow("full travel") << inputReport({}, 4096, 4096) << 4096 << 4096;
    QTest::newRow("little-endian, right first")
        << QByteArray::fromHex("020103040000000000000000deadbeef") << 0x0102 << 0x0403;
    QTest::newRow("high byte only") << inputReport({5}, 0x0F00, 0x0100) << 0x0F00 << 0x0100;
    QTest::newRow("short report: left reads zero") << QByteArray::fromHex("ff0f") << 4095 << 0;
}

void TestInputDisplay::clutchBars()
{
    QFETCH(QByteArray, report);
    QFETCH(int, right);
    QFETCH(int, left);

    m->ui()->pgAdcR->setValue(1234);
    m->ui()->pgAdcL->setValue(1234);
    m->feed(report);
    QTRY_COMPARE(m->ui()->pgAdcR->value(), right);
    QTRY_COMPARE(m->ui()->pgAdcL->value(), left);
}

void TestInputDisplay::calibrationTracking_data()
{
    QTest::addColumn<bool>("calL");
    QTest::addColumn<bool>("calR");
    QTest::addColumn<QList<int>>("rights");
    QTest::addColumn<QList<int>>("lefts");
    // min, max after the reports; each side starts reset for tracking (min 4096, max 0)
    QTest::addColumn<QList<uint>>("leftBounds");
    QTest::addColumn<QList<uint>>("rightBounds");

    QTest::newRow("left follows its paddle")
        << true << false << QList<int>{100, 200, 300} << QList<int>{1000, 3000, 2000} << QList<uint>{1000, 3000}
        << QList<uint>{4096, 0};
    QTest::newRow("right follows its paddle") << false << true << QList<int>{700, 50, 4000} << QList<int>{10, 20, 30}
                                              << QList<uint>{4096, 0} << QList<uint>{50, 4000};
    QTest::newRow("both at once") << true << true << QList<int>{5, 6} << QList<int>{7, 8} << QList<uint>{7, 8}
                                  << QList<uint>{5, 6};
    QTest::newRow("not calibrating: bounds untouched")
        << false << false << QList<int>{1, 9000} << QList<int>{1, 9000} << QList<uint>{4096, 0} << QList<uint>{4096, 0};
    // A signed 16-bit reading of 0x8000 and up would lower the minimum instead.
    QTest::newRow("readings above 0x7fff compare unsigned")
        << true << true << QList<int>{0xFFFF, 0x8000} << QList<int>{0x8001, 0xFFFE} << QList<uint>{4096, 0xFFFE}
        << QList<uint>{4096, 0xFFFF};
    QTest::newRow("one reading sets both bounds")
        << true << false << QList<int>{0} << QList<int>{2048} << QList<uint>{2048, 2048} << QList<uint>{4096, 0};
}

void TestInputDisplay::calibrationTracking()
{
    QFETCH(bool, calL);
    QFETCH(bool, calR);
    QFETCH(QList<int>, rights);
    QFETCH(QList<int>, lefts);
    QFETCH(QList<uint>, leftBounds);
    QFETCH(QList<uint>, rightBounds);

    MainWindow& w = *m->window;
    {
        // Checked without the calibration slots: their sends and 500 ms reset are not under test.
        const QSignalBlocker blockL(m->ui()->pbCalL);
        const QSignalBlocker blockR(m->ui()->pbCalR);
        m->ui()->pbCalL->setChecked(calL);
        m->ui()->pbCalR->setChecked(calR);
    }
    MainWindowProbe::calLeftMin(w) = 4096;
    MainWindowProbe::calLeftMax(w) = 0;
    MainWindowProbe::calRightMin(w) = 4096;
    MainWindowProbe::calRightMax(w) = 0;

    for (int i = 0; i < rights.size(); ++i)
        m->feed(inputReport({}, quint16(rights[i]), quint16(lefts[i])));

    QCOMPARE((QList<uint>{MainWindowProbe::calLeftMin(w), MainWindowProbe::calLeftMax(w)}), leftBounds);
    QCOMPARE((QList<uint>{MainWindowProbe::calRightMin(w), MainWindowProbe::calRightMax(w)}), rightBounds);
}

QTEST_MAIN(TestInputDisplay)
#include "tst_inputdisplay.moc"
