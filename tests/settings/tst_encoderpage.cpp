// The encoder pulse width and the shifter thresholds: frames as the wheel takes them,
// its flash afterwards, the messages, and the extra-shifter preference.
#include "settingspage.h"

#include <QFileInfo>

class TestEncoderPage : public QObject
{
    Q_OBJECT

private slots:
    void init() { p.start(); }
    void cleanup() { p.stop(); }

    void preferencesStayInTheTestHome();
    void pulseWidth_data();
    void pulseWidth();
    void failedPulseSave();
    void shifterCalibration_data();
    void shifterCalibration();
    void extraShifters();

private:
    SettingsPage p;
};

void TestEncoderPage::preferencesStayInTheTestHome()
{
    // Native format under the organisation and application names, in this test's own home.
    const QString home = qEnvironmentVariable("XDG_CONFIG_HOME");
    QVERIFY(!home.isEmpty());
    QCOMPARE(QFileInfo(Preferences().fileName()).absoluteFilePath(),
             QFileInfo(home + QStringLiteral("/Tarvo/TarvoSet.conf")).absoluteFilePath());
}

void TestEncoderPage::pulseWidth_data()
{
    QTest::addColumn<int>("drag"); // where the slider is let go
    QTest::addColumn<QString>("marker");
    QTest::addColumn<int>("width"); // on the wire
    QTest::addColumn<bool>("sent"); // the saved frame

    QTest::newRow("120, wheel holds 100") << 120 << "100" << 120 << true;
    QTest::newRow("100 already stored") << 100 << "100" << 100 << false;
    QTest::newRow("below the slider: 40") << 10 << "" << 40 << true;
    QTest::newRow("above the slider: 240, stored") << 300 << "240" << 240 << false;
    QTest::newRow("marker not a number") << 200 << "2OO" << 200 << true;
}

void TestEncoderPage::pulseWidth()
{
    QFETCH(int, drag);
    QFETCH(QString, marker);
    QFETCH(int, width);
    QFETCH(bool, sent);

    QSlider* slider = p.ui()->hsTrigger;
    slider->setStatusTip(marker);
    slider->setSliderDown(true);
    slider->setValue(77);
    QCOMPARE(p.ui()->lbTrigger->text(), QStringLiteral("77ms"));
    slider->setValue(drag);
    QCOMPARE(p.ui()->lbTrigger->text(), QStringLiteral("%1ms").arg(width));
    QCOMPARE(p.frames(), QStringList{});
    slider->setSliderDown(false);
    QCOMPARE(p.frames(), QStringList{frameHex({0x02, 0x0c, 0x04, width, 0, 0, 0, 0x00})});

    p.ui()->pbSaveEnc->click();
    QCOMPARE(p.frames(), sent ? QStringList{frameHex({0x02, 0x0c, 0x04, width, 0, 0, 0, 0xef})} : QStringList{});
    QCOMPARE(takeShownBoxes(), QStringList{kSaved});
    QCOMPARE(slider->statusTip(), sent ? QString::number(width) : marker);
    QCOMPARE(p.flash().value("pulseWidth").toInt(), sent ? width : 100);

    p.ui()->pbSaveEnc->click();
    QCOMPARE(p.frames(), QStringList{});
    QCOMPARE(takeShownBoxes(), QStringList{kSaved});
}

void TestEncoderPage::failedPulseSave()
{
    p.ui()->hsTrigger->setValue(150);
    p.ui()->hsTrigger->setStatusTip(QStringLiteral("100"));
    p.wheel().failSends(1);
    p.ui()->pbSaveEnc->click();
    QCOMPARE(takeShownBoxes(), QStringList{kNotSaved});
    QCOMPARE(p.ui()->hsTrigger->statusTip(), QStringLiteral("100"));
    QCOMPARE(p.flash().value("pulseWidth").toInt(), 100);

    // Not taken for saved: the next click sends again.
    p.ui()->pbSaveEnc->click();
    QCOMPARE(p.frames(), QStringList{frameHex({0x02, 0x0c, 0x04, 150, 0, 0, 0, 0xef})});
    QCOMPARE(takeShownBoxes(), QStringList{kSaved});
    QCOMPARE(p.ui()->hsTrigger->statusTip(), QStringLiteral("150"));
    QCOMPARE(p.flash().value("pulseWidth").toInt(), 150);
}

void TestEncoderPage::shifterCalibration_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("prompt");

    QTest::newRow("left") << "pbBearLCa" << 3 << "PRESS AND HOLD LEFT SHIFTER THEN CLICK ME";
    QTest::newRow("right") << "pbBearRCa" << 5 << "PRESS AND HOLD RIGHT SHIFTER THEN CLICK ME";
    QTest::newRow("extra left") << "pbBearExLCa" << 6 << "PRESS AND HOLD EXTRAL SHIFTER THEN CLICK ME";
    QTest::newRow("extra right") << "pbBearExRCa" << 7 << "PRESS AND HOLD EXTRAR SHIFTER THEN CLICK ME";
}

void TestEncoderPage::shifterCalibration()
{
    QFETCH(QString, button);
    QFETCH(int, id);
    QFETCH(QString, prompt);

    QPushButton* row = p.window().findChild<QPushButton*>(button);
    p.wheel().setShifterRaw(id, 1234);
    row->click();
    QCOMPARE(row->text(), prompt);
    QCOMPARE(p.frames(), QStringList{frameHex({0x02, 0x0c, id})});
    row->click();
    QCOMPARE(row->text(), QStringLiteral("CALIBRATE"));
    QCOMPARE(p.frames(), QStringList{frameHex({0x02, 0x0c, id, 0xff, 0xff, 0xff, 0xff, 0xef})});
    QCOMPARE(p.flash().value("shifters").toObject().value(QString::number(id)).toInt(), 1234);
    QCOMPARE(takeShownBoxes(), QStringList{});
}

void TestEncoderPage::extraShifters()
{
    for (bool on : {true, false, true}) {
        p.ui()->cbShifter->setChecked(on);
        QCOMPARE(p.ui()->gpShifter->height(), on ? 191 : 111);
        QCOMPARE(Preferences().value(QStringLiteral("EXTRA_SHIFTER")), QVariant(on));
    }
    QCOMPARE(p.frames(), QStringList{});
}

QTEST_MAIN(TestEncoderPage)
#include "tst_encoderpage.moc"
