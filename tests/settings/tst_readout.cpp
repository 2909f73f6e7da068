// Reading the wheel's state into the pages: unusual answers, no wheel, failed reads.
#include "support/wheelwindow.h"

#include <QtTest>

// One R-VELO window for all cases: each sets on the wheel what it reads back.
class TestReadout : public QObject
{
    Q_OBJECT

    std::unique_ptr<WheelWindow> m_w;

    QColor colourOf(QPushButton* b)
    {
        return MainWindowProbe::ledButtonColour(*m_w->window, b, tarvo::ChannelOrder::Rgb);
    }

private slots:
    void initTestCase()
    {
        QLoggingCategory::setFilterRules(QStringLiteral("tarvoset.device.debug=true"));
        m_w = std::make_unique<WheelWindow>(QStringLiteral("R-VELO"));
        QVERIFY(m_w->waitConnected(QStringLiteral("R-VELO")));
    }

    void cleanupTestCase() { m_w.reset(); }

    void paddle_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("checked");
        QTest::addColumn<int>("bite");

        QTest::newRow("left 100") << 100 << "rbPadL" << 100;
        QTest::newRow("right 0") << 101 << "rbPadR" << 0;
        QTest::newRow("right 100") << 201 << "rbPadR" << 100;
        QTest::newRow("202 is off") << 202 << "rbPadNo" << 50;
        QTest::newRow("255 is off") << 255 << "rbPadNo" << 50;
    }

    void paddle()
    {
        QFETCH(int, mode);
        QFETCH(QString, checked);
        QFETCH(int, bite);
        WheelWindow& w = *m_w;
        w.ui()->hsBite->setValue(33);
        QVERIFY(w.wheel.setSetting("paddleMode", {QString::number(mode)}));
        QVERIFY(w.wheel.setSetting("calRightMax", {"4001"}));
        QVERIFY(w.wheel.setSetting("calLeftMax", {"3002"}));
        QVERIFY(w.wheel.setSetting("calRightMin", {"203"}));
        QVERIFY(w.wheel.setSetting("calLeftMin", {"104"}));
        w.wheel.clearReceived();

        MainWindowProbe::readPaddleSettings(*w.window);
        QVERIFY(w.window->findChild<QRadioButton*>(checked)->isChecked());
        QCOMPARE(w.ui()->hsBite->value(), bite);
        QCOMPARE(w.ui()->hsBite->statusTip(), QString::number(mode)); // the raw mode, not the slider
        QCOMPARE(MainWindowProbe::calRightMax(*w.window), 4001u);
        QCOMPARE(MainWindowProbe::calLeftMax(*w.window), 3002u);
        QCOMPARE(MainWindowProbe::calRightMin(*w.window), 203u);
        QCOMPARE(MainWindowProbe::calLeftMin(*w.window), 104u);
        QCOMPARE(w.wheel.received().size(), 1); // the query, nothing written
    }

    void pulse_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("slider");

        QTest::newRow("0 bounded to 40") << 0 << 40;
        QTest::newRow("300 bounded to 240") << 300 << 240;
        QTest::newRow("-1 leaves the slider") << -1 << 77;
    }

    void pulse()
    {
        QFETCH(int, answer);
        QFETCH(int, slider);
        WheelWindow& w = *m_w;
        w.ui()->hsTrigger->setValue(77);
        QVERIFY(w.wheel.setSetting("pulseWidth", {QString::number(answer)}));
        MainWindowProbe::readEncoderPulse(*w.window);
        QCOMPARE(w.ui()->hsTrigger->value(), slider);
        QCOMPARE(w.ui()->hsTrigger->statusTip(), QString::number(slider));
    }

    void clutchAndVersion_data()
    {
        QTest::addColumn<int>("clutch");
        QTest::addColumn<bool>("checked");
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("shown");

        QTest::newRow("1, trailing colon") << 1 << true << "\tAug  3 2023,14:05:"
                                           << "Firmware Version:\tAug  3 2023,14:05";
        QTest::newRow("255, 20 characters") << 255 << false << "V1.2.3-abcdefghijklm"
                                            << "Firmware Version:V1.2.3-abcdefghijklm";
        QTest::newRow("0, empty") << 0 << false << ""
                                  << "Firmware Version:";
    }

    void clutchAndVersion()
    {
        QFETCH(int, clutch);
        QFETCH(bool, checked);
        QFETCH(QString, version);
        QFETCH(QString, shown);
        WheelWindow& w = *m_w;
        w.ui()->cbClutch->setChecked(!checked);
        QVERIFY(w.wheel.setSetting("clutchEnable", {QString::number(clutch)}));
        w.wheel.setVersion(version);
        MainWindowProbe::readClutchEnable(*w.window);
        QTest::ignoreMessage(QtDebugMsg, qPrintable(shown)); // the version line goes to the log too
        MainWindowProbe::readFirmwareVersion(*w.window);
        QCOMPARE(w.ui()->cbClutch->isChecked(), checked);
        QCOMPARE(w.ui()->lbVersion->text(), shown);
        QVERIFY(!w.ui()->lbVersion->isHidden());
    }

    void battery_data()
    {
        QTest::addColumn<int>("percent");
        QTest::addColumn<int>("supply");
        QTest::addColumn<int>("link");
        QTest::addColumn<QString>("text");

        // Where battery ends and USB power begins is tst_answers' case.
        QTest::newRow("on battery, no link") << 55 << 3900 << 0 << "BATTERY STATUS: 55%";
        QTest::newRow("on USB, a link") << 55 << 5000 << 1 << "BATTERY STATUS: USB";
    }

    void battery()
    {
        QFETCH(int, percent);
        QFETCH(int, supply);
        QFETCH(int, link);
        QFETCH(QString, text);
        WheelWindow& w = *m_w;
        w.wheel.setBattery(percent, supply, link);
        QVERIFY(QMetaObject::invokeMethod(w.window.get(), "onDeviceUpdate"));
        QCOMPARE(w.ui()->lbBatStatus->text(), text);
        QVERIFY(!w.ui()->lbBatStatus->isHidden());
        QCOMPARE(w.ui()->lbBTStatus->isHidden(), link != 0);
    }

    // A read back that fails on an open wheel leaves the page as it was; the saved-value
    // markers then match no slider value, so the next save stores the page.
    void failedRead()
    {
        WheelWindow& w = *m_w;
        for (const auto& [key, value] : {std::pair{"paddleMode", "30"}, {"pulseWidth", "150"}, {"clutchEnable", "1"}})
            QVERIFY(w.wheel.setSetting(key, {value}));
        w.wheel.setBattery(55, 4000, 0);
        readAll();
        const quint32 calRightMax = MainWindowProbe::calRightMax(*w.window);

        for (const auto& [key, value] :
             {std::pair{"paddleMode", "120"}, {"pulseWidth", "200"}, {"clutchEnable", "255"}})
            QVERIFY(w.wheel.setSetting(key, {value}));
        QVERIFY(w.wheel.setSetting("led", {"0", "0", "0", "0"}));
        QVERIFY(w.wheel.setSetting("auxLamps", {"0", "0", "0", "0", "0", "0"}));
        w.wheel.setBattery(20, 4000, 1);
        w.wheel.setVersion(QStringLiteral("other"));
        w.wheel.failGets(7); // paddle, pulse, clutch, version, LED block 0, lamps, battery
        readAll();

        QVERIFY(w.ui()->rbPadL->isChecked());
        QCOMPARE(w.ui()->hsBite->value(), 30);
        QCOMPARE(w.ui()->hsBite->statusTip(), QStringLiteral("-1"));
        QCOMPARE(MainWindowProbe::calRightMax(*w.window), calRightMax);
        QCOMPARE(w.ui()->hsTrigger->value(), 150);
        QCOMPARE(w.ui()->hsTrigger->statusTip(), QStringLiteral("-1"));
        QVERIFY(w.ui()->cbClutch->isChecked());
        QCOMPARE(w.ui()->lbVersion->text(), QStringLiteral("Firmware Version:")); // not the last wheel's
        QCOMPARE(colourOf(w.ui()->pbB1), QColor(Qt::white));
        QCOMPARE(colourOf(w.ui()->pbXL), QColor(Qt::white));
        QCOMPARE(w.ui()->lbBatStatus->text(), QStringLiteral("BATTERY STATUS: 55%"));
        QVERIFY(!w.ui()->lbBTStatus->isHidden());
        QVERIFY(MainWindowProbe::batteryPoll(*w.window).isActive()); // the wheel is still there
    }

    // The wheel went between opening and reading: each read takes an all-zero answer.
    void noWheel()
    {
        WheelWindow& w = *m_w;
        w.wheel.unplug();
        QTRY_VERIFY_WITH_TIMEOUT(!deviceHandle.isOpen(), 10000);
        // The handle closes in the input thread; the window's own answer to the loss comes queued after it.
        QTRY_VERIFY_WITH_TIMEOUT(!MainWindowProbe::batteryPoll(*w.window).isActive(), 10000);
        w.ui()->rbPadNo->setChecked(true);
        w.ui()->cbClutch->setChecked(true);
        w.ui()->lbBatStatus->setText(QStringLiteral("untouched"));
        readAll();

        QVERIFY(w.ui()->rbPadL->isChecked());
        QCOMPARE(w.ui()->hsBite->value(), 0);
        QCOMPARE(w.ui()->hsBite->statusTip(), QStringLiteral("0"));
        for (quint32 word : {MainWindowProbe::calRightMax(*w.window), MainWindowProbe::calLeftMax(*w.window),
                             MainWindowProbe::calRightMin(*w.window), MainWindowProbe::calLeftMin(*w.window)})
            QCOMPARE(word, 0u);
        QCOMPARE(w.ui()->hsTrigger->value(), 40);
        QCOMPARE(w.ui()->hsTrigger->statusTip(), QStringLiteral("40"));
        QVERIFY(!w.ui()->cbClutch->isChecked());
        QCOMPARE(w.ui()->lbVersion->text(), QStringLiteral("Firmware Version:"));
        for (QPushButton* b : {w.ui()->pbB1, w.ui()->pbT11, w.ui()->pbXR})
            QCOMPARE(colourOf(b), QColor(Qt::black));
        QCOMPARE(w.ui()->lbBatStatus->text(), QStringLiteral("untouched"));
        QVERIFY(!MainWindowProbe::batteryPoll(*w.window).isActive());
    }

private:
    void readAll()
    {
        MainWindow& window = *m_w->window;
        MainWindowProbe::readPaddleSettings(window);
        MainWindowProbe::readEncoderPulse(window);
        MainWindowProbe::readClutchEnable(window);
        MainWindowProbe::readFirmwareVersion(window);
        MainWindowProbe::readLedColours(window);
        QVERIFY(QMetaObject::invokeMethod(&window, "onDeviceUpdate"));
    }
};

QTEST_MAIN(TestReadout)
#include "tst_readout.moc"
