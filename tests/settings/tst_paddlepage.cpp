// The PADDLES page and the paddle calibration: live and saved frames as the wheel takes
// them, its flash afterwards, the messages, and the bite-point encoder's button.
#include "settingspage.h"

#include <QRadioButton>
#include <QTemporaryDir>

namespace {

// The calibration words the window starts each case with, and the bite point 40 on the left.
constexpr int kRMax = 4000, kLMax = 3840, kRMin = 100, kLMin = 200, kMode = 40;

const QString kClutchQuery = frameHex({0x02, 0x0b, 0x0c, 0x08});
const QString kPaddleQuery = frameHex({0x02, 0x0b, 0x0a});
// The answer's bytes 8 to 19 are zero on the virtual wheel.
QString clutchWrite(int value)
{
    return frameHex({0x02, 0x0c, 0x08, value, 0, 0, 0, 0xef});
}

QString paddle(int mode, int marker)
{
    return paddleHex(mode, marker, kRMax, kLMax, kRMin, kLMin);
}

} // namespace

class TestPaddlePage : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup() { p.stop(); }

    void saveMode_data();
    void saveMode();
    void sliderSendsOnRelease();
    void clutchSwitch_data();
    void clutchSwitch();
    void clutchControlsOfTheModel_data();
    void clutchControlsOfTheModel();
    void failedSave_data();
    void failedSave();
    void closeSavesSilently();
    void closeAfterFailedReadout_data();
    void closeAfterFailedReadout();
    void calibration_data();
    void calibration();
    void encoderButton();
    void restartShowsWhatWasSaved();

private:
    SettingsPage p;
};

void TestPaddlePage::init()
{
    p.start();
    MainWindowProbe::calRightMax(p.window()) = kRMax;
    MainWindowProbe::calLeftMax(p.window()) = kLMax;
    MainWindowProbe::calRightMin(p.window()) = kRMin;
    MainWindowProbe::calLeftMin(p.window()) = kLMin;
    // As the readout would set them for a factory wheel with the bite point 40 on the left.
    p.ui()->rbPadL->setChecked(true);
    p.ui()->hsBite->setValue(kMode);
    p.ui()->hsBite->setStatusTip(QString::number(kMode));
    p.ui()->cbClutch->setChecked(true);
    p.frames();
}

void TestPaddlePage::saveMode_data()
{
    QTest::addColumn<QString>("radio");
    QTest::addColumn<int>("bite");
    QTest::addColumn<QString>("marker");
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("sent"); // the saved paddle frame

    QTest::newRow("left 0") << "rbPadL" << 0 << "50" << 0 << true;
    QTest::newRow("left 100") << "rbPadL" << 100 << "50" << 100 << true;
    QTest::newRow("left 100 already stored") << "rbPadL" << 100 << "100" << 100 << false;
    QTest::newRow("right 0, empty marker") << "rbPadR" << 0 << "" << 101 << true;
    QTest::newRow("right 100") << "rbPadR" << 100 << "101" << 201 << true;
    QTest::newRow("disable, whatever the slider") << "rbPadNo" << 37 << "50" << 255 << true;
    QTest::newRow("wheel reported 220") << "rbPadNo" << 50 << "220" << 255 << true;
    QTest::newRow("marker not a number counts as 0") << "rbPadL" << 0 << "x" << 0 << false;
}

void TestPaddlePage::saveMode()
{
    QFETCH(QString, radio);
    QFETCH(int, bite);
    QFETCH(QString, marker);
    QFETCH(int, mode);
    QFETCH(bool, sent);

    p.ui()->hsBite->setValue(bite);
    p.ui()->hsBite->setStatusTip(marker);
    QCOMPARE(p.ui()->lbBite->text(), QStringLiteral("%1%").arg(bite));
    p.window().findChild<QRadioButton*>(radio)->click();
    QCOMPARE(p.frames(), QStringList{paddle(mode, 0x00)});

    p.ui()->pbSaveP->click();
    QCOMPARE(p.frames(), (sent ? QStringList{paddle(mode, 0xef), kClutchQuery} : QStringList{kClutchQuery}));
    QCOMPARE(takeShownBoxes(), QStringList{kSaved});
    QCOMPARE(p.ui()->hsBite->statusTip(), sent ? QString::number(mode) : marker);
    QCOMPARE(p.flash().value("paddleMode").toInt(), sent ? mode : 50);

    // Nothing changed since: the switch is asked for again, the paddle frame not.
    p.ui()->pbSaveP->click();
    QCOMPARE(p.frames(), QStringList{kClutchQuery});
    QCOMPARE(takeShownBoxes(), QStringList{kSaved});
}

void TestPaddlePage::sliderSendsOnRelease()
{
    QSlider* slider = p.ui()->hsBite;
    slider->setSliderDown(true);
    for (int value : {45, 60, 73})
        slider->setValue(value);
    QCOMPARE(p.ui()->lbBite->text(), QStringLiteral("73%"));
    QCOMPARE(p.frames(), QStringList{});
    slider->setSliderDown(false);
    QCOMPARE(p.frames(), QStringList{paddle(73, 0x00)});
    // Keyboard and mouse wheel only change the label.
    QTest::keyClick(slider, Qt::Key_Right);
    QCOMPARE(p.ui()->lbBite->text(), QStringLiteral("74%"));
    QCOMPARE(p.frames(), QStringList{});
    QCOMPARE(p.flash().value("paddleMode").toInt(), 50);
}

void TestPaddlePage::clutchSwitch_data()
{
    QTest::addColumn<int>("wheel");
    QTest::addColumn<bool>("checked");
    QTest::addColumn<int>("written"); // -1: no write
    QTest::addColumn<int>("stored");

    QTest::newRow("on, wheel on") << 1 << true << -1 << 1;
    QTest::newRow("off, wheel on") << 1 << false << 0xff << 255;
    QTest::newRow("on, wheel off") << 255 << true << 1 << 1;
    QTest::newRow("off, wheel 7 counts as off") << 7 << false << -1 << 7;
    QTest::newRow("on, wheel 7") << 7 << true << 1 << 1;
}

void TestPaddlePage::clutchSwitch()
{
    QFETCH(int, wheel);
    QFETCH(bool, checked);
    QFETCH(int, written);
    QFETCH(int, stored);

    QVERIFY(p.wheel().setSetting("clutchEnable", {QString::number(wheel)}));
    for (bool state : {!checked, checked}) {
        p.ui()->cbClutch->setChecked(state);
        for (QWidget* widget : {static_cast<QWidget*>(p.ui()->gpClutch), static_cast<QWidget*>(p.ui()->pgAdcL),
                                static_cast<QWidget*>(p.ui()->pgAdcR), static_cast<QWidget*>(p.ui()->pbCalL),
                                static_cast<QWidget*>(p.ui()->pbCalR)})
            QCOMPARE(widget->isHidden(), !state);
    }
    QCOMPARE(p.frames(), QStringList{});

    p.ui()->pbSaveP->click();
    QCOMPARE(p.frames(), (written < 0 ? QStringList{kClutchQuery} : QStringList{kClutchQuery, clutchWrite(written)}));
    QCOMPARE(takeShownBoxes(), QStringList{kSaved});
    QCOMPARE(p.flash().value("clutchEnable").toInt(), stored);
}

void TestPaddlePage::clutchControlsOfTheModel_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<bool>("shown"); // with the clutches on

    QTest::newRow("R-VELO") << "R-VELO" << true;
    QTest::newRow("LM270 has no clutch paddles") << "LM270" << false;
    QTest::newRow("unknown model") << "X-1" << false;
}

void TestPaddlePage::clutchControlsOfTheModel()
{
    QFETCH(QString, model);
    QFETCH(bool, shown);

    QVERIFY(p.open(model));
    // The wheel's clutches are on; the readout's queued update would find the same state.
    p.ui()->cbClutch->setChecked(false);
    p.ui()->cbClutch->setChecked(true);
    QCOMPARE(p.ui()->gpClutch->isHidden(), !shown);
    QCOMPARE(p.ui()->pgAdcL->isHidden(), !shown);
    QCOMPARE(p.ui()->pbCalR->isHidden(), !shown);
}

void TestPaddlePage::failedSave_data()
{
    QTest::addColumn<QString>("marker");
    QTest::addColumn<int>("failSends");
    QTest::addColumn<int>("failGets");
    QTest::addColumn<bool>("byButton");
    QTest::addColumn<QStringList>("reached"); // by the failing save

    QTest::newRow("paddle frame") << "50" << 1 << 0 << true << QStringList{};
    QTest::newRow("paddle frame, silent without the button") << "50" << 1 << 0 << false << QStringList{};
    QTest::newRow("clutch query") << "40" << 1 << 0 << true << QStringList{};
    QTest::newRow("clutch answer") << "40" << 0 << 1 << true << QStringList{kClutchQuery};
}

void TestPaddlePage::failedSave()
{
    QFETCH(QString, marker);
    QFETCH(int, failSends);
    QFETCH(int, failGets);
    QFETCH(bool, byButton);
    QFETCH(QStringList, reached);

    // The switch differs, so a save that got on would write it.
    p.ui()->cbClutch->setChecked(false);
    p.ui()->hsBite->setStatusTip(marker);
    p.wheel().failSends(failSends);
    p.wheel().failGets(failGets);
    if (byButton)
        p.ui()->pbSaveP->click();
    else
        QMetaObject::invokeMethod(&p.window(), "onSavePageP");
    QCOMPARE(p.frames(), reached);
    QCOMPARE(takeShownBoxes(), byButton ? QStringList{kNotSaved} : QStringList{});
    QCOMPARE(p.ui()->hsBite->statusTip(), marker);
    QCOMPARE(p.flash().value("paddleMode").toInt(), 50);
    QCOMPARE(p.flash().value("clutchEnable").toInt(), 1);

    // The next save sends what is still missing.
    p.ui()->pbSaveP->click();
    QStringList expected{kClutchQuery, clutchWrite(0xff)};
    if (marker != QString::number(kMode))
        expected.prepend(paddle(kMode, 0xef));
    QCOMPARE(p.frames(), expected);
    QCOMPARE(takeShownBoxes(), QStringList{kSaved});
    QCOMPARE(p.ui()->hsBite->statusTip(), QString::number(kMode));
    QCOMPARE(p.flash().value("paddleMode").toInt(), marker == "50" ? kMode : 50);
    QCOMPARE(p.flash().value("clutchEnable").toInt(), 255);
}

void TestPaddlePage::closeSavesSilently()
{
    p.ui()->rbPadR->setChecked(true);
    p.ui()->hsBite->setValue(30);
    p.ui()->hsBite->setStatusTip(QStringLiteral("50"));
    p.ui()->cbClutch->setChecked(false);
    QMetaObject::invokeMethod(&p.window(), "onClose");
    QCOMPARE(p.frames(), (QStringList{paddle(131, 0xef), kClutchQuery, clutchWrite(0xff)}));
    QCOMPARE(takeShownBoxes(), QStringList{});
    QCOMPARE(p.flash().value("paddleMode").toInt(), 131);
    QCOMPARE(p.flash().value("clutchEnable").toInt(), 255);
}

void TestPaddlePage::closeAfterFailedReadout_data()
{
    QTest::addColumn<bool>("paddleUnread");
    QTest::addColumn<bool>("byButton");
    QTest::addColumn<int>("laterFailures"); // reads failing after the readout's
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QString>("message");

    // The page differs from the wheel (mode 50, clutch on) in both; only the user's Save writes.
    // Its paddle frame carries the wheel's own calibration (factory: maxima 4095, minima 0),
    // asked for again, never the words the window held from before.
    const QString wheelCalibration = paddleHex(kMode, 0xef, 4095, 4095, 0, 0);
    QTest::newRow("paddles unread, closed")
        << true << false << 0 << QStringList{kClutchQuery, clutchWrite(0xff)} << QString();
    QTest::newRow("paddles unread, saved")
        << true << true << 0 << QStringList{kPaddleQuery, wheelCalibration, kClutchQuery, clutchWrite(0xff)} << kSaved;
    QTest::newRow("paddles unread twice, saved") << true << true << 1 << QStringList{kPaddleQuery} << kNotSaved;
    QTest::newRow("clutch unread, closed")
        << false << false << 0 << QStringList{paddle(kMode, 0xef), kClutchQuery} << QString();
    QTest::newRow("clutch unread, saved")
        << false << true << 0 << QStringList{paddle(kMode, 0xef), kClutchQuery, clutchWrite(0xff)} << kSaved;
}

void TestPaddlePage::closeAfterFailedReadout()
{
    QFETCH(bool, paddleUnread);
    QFETCH(bool, byButton);
    QFETCH(int, laterFailures);
    QFETCH(QStringList, expected);
    QFETCH(QString, message);

    // One read of the readout fails; the page keeps what it showed before.
    p.ui()->hsBite->setStatusTip(QStringLiteral("50"));
    p.ui()->cbClutch->setChecked(false);
    p.wheel().failGets(1);
    if (paddleUnread)
        MainWindowProbe::readPaddleSettings(p.window());
    else
        MainWindowProbe::readClutchEnable(p.window());
    p.ui()->rbPadL->setChecked(true);
    p.ui()->hsBite->setValue(kMode);
    p.ui()->cbClutch->setChecked(false);
    p.frames();

    p.wheel().failGets(laterFailures);
    if (byButton)
        p.ui()->pbSaveP->click();
    else
        QMetaObject::invokeMethod(&p.window(), "onClose");
    QCOMPARE(p.frames(), expected);
    QCOMPARE(takeShownBoxes(), message.isEmpty() ? QStringList{} : QStringList{message});
}

void TestPaddlePage::calibration_data()
{
    // Steps: L+ / L- / R+ / R- check or uncheck a CALIBRATE button; "reset" waits for the
    // 500 ms reset of every running paddle; "feed R L" hands one input report with those
    // readings; "idle" lets a pending reset timer fire; "unread" fails the paddle readout.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QList<int>>("bounds"); // rMax lMax rMin lMin, in the flash and the window

    const int full = 4096;
    QTest::newRow("left, readings saved")
        << QStringList{"L+", "reset", "feed 0 1000", "feed 0 3000", "feed 0 2000", "L-"}
        << QStringList{paddleHex(kMode, 0, kRMax, full, kRMin, 0), paddleHex(kMode, 0xef, kRMax, 3000, kRMin, 1000)}
        << QList<int>{kRMax, 3000, kRMin, 1000};
    QTest::newRow("right, readings saved")
        << QStringList{"R+", "reset", "feed 500 9", "feed 3500 9", "R-"}
        << QStringList{paddleHex(kMode, 0, full, kLMax, 0, kLMin), paddleHex(kMode, 0xef, 3500, kLMax, 500, kLMin)}
        << QList<int>{3500, kLMax, 500, kLMin};
    QTest::newRow("left, no reading keeps its bounds")
        << QStringList{"L+", "reset", "L-"}
        << QStringList{paddleHex(kMode, 0, kRMax, full, kRMin, 0), paddle(kMode, 0xef)}
        << QList<int>{kRMax, kLMax, kRMin, kLMin};
    QTest::newRow("ended within 500 ms: full range")
        << QStringList{"L+", "L-", "idle"}
        << QStringList{paddleHex(kMode, 0, kRMax, full, kRMin, 0), paddleHex(kMode, 0xef, kRMax, full, kRMin, 0)}
        << QList<int>{kRMax, full, kRMin, 0};
    QTest::newRow("starting the right resets the running left")
        << QStringList{"L+", "reset", "feed 0 1000", "R+", "reset", "feed 600 2500", "feed 3600 1500", "L-", "R-"}
        << QStringList{paddleHex(kMode, 0, kRMax, full, kRMin, 0), paddleHex(kMode, 0, full, 1000, 0, 1000),
                       paddleHex(kMode, 0xef, 3600, 2500, 600, 1500), paddleHex(kMode, 0xef, 3600, 2500, 600, 1500)}
        << QList<int>{3600, 2500, 600, 1500};
    // The left's save must not store the still-running right's tracking bounds either.
    QTest::newRow("both, no reading: both keep their bounds")
        << QStringList{"L+", "R+", "reset", "L-", "R-"}
        << QStringList{paddleHex(kMode, 0, kRMax, full, kRMin, 0), paddleHex(kMode, 0, full, full, 0, 0),
                       paddle(kMode, 0xef), paddle(kMode, 0xef)}
        << QList<int>{kRMax, kLMax, kRMin, kLMin};
    // The window's words are not this wheel's: the first frame asks the wheel (factory: maxima
    // 4095, minima 0) for the other paddle's words and for the fallback of a reading-less end.
    QTest::newRow("after a failed readout, readings saved")
        << QStringList{"unread", "L+", "reset", "feed 0 1000", "feed 0 3000", "L-"}
        << QStringList{kPaddleQuery, paddleHex(kMode, 0, 4095, full, 0, 0), paddleHex(kMode, 0xef, 4095, 3000, 0, 1000)}
        << QList<int>{4095, 3000, 0, 1000};
    QTest::newRow("after a failed readout, no reading")
        << QStringList{"unread", "L+", "reset", "L-"}
        << QStringList{kPaddleQuery, paddleHex(kMode, 0, 4095, full, 0, 0), paddleHex(kMode, 0xef, 4095, 4095, 0, 0)}
        << QList<int>{4095, 4095, 0, 0};
}

void TestPaddlePage::calibration()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, expected);
    QFETCH(QList<int>, bounds);

    MainWindow& w = p.window();
    QPushButton* left = p.ui()->pbCalL;
    QPushButton* right = p.ui()->pbCalR;
    const auto tracking = [&](QPushButton* button, std::uint32_t min, std::uint32_t max) {
        return !button->isChecked() || (min == 4096 && max == 0);
    };
    for (const QString& step : steps) {
        if (step.startsWith(QLatin1String("feed"))) {
            const QStringList readings = step.split(QLatin1Char(' '));
            p.m->feed(inputReport({}, readings[1].toUShort(), readings[2].toUShort()));
        } else if (step == QLatin1String("reset")) {
            QTRY_VERIFY_WITH_TIMEOUT(
                tracking(left, MainWindowProbe::calLeftMin(w), MainWindowProbe::calLeftMax(w))
                    && tracking(right, MainWindowProbe::calRightMin(w), MainWindowProbe::calRightMax(w)),
                5000);
            QTest::qWait(300); // the other paddle's timer, started just after
        } else if (step == QLatin1String("unread")) {
            p.wheel().failGets(1);
            MainWindowProbe::readPaddleSettings(w);
            p.frames();
        } else if (step == QLatin1String("idle")) {
            QTest::qWait(1000);
        } else {
            QPushButton* button = step.startsWith(QLatin1Char('L')) ? left : right;
            button->setChecked(step.endsWith(QLatin1Char('+')));
            QCOMPARE(button->text(), button->isChecked() ? QStringLiteral("SAVE") : QStringLiteral("CALIBRATE"));
        }
    }
    QCOMPARE(p.frames(), expected);
    const QJsonObject flash = p.flash();
    QCOMPARE((QList<int>{flash["calRightMax"].toInt(), flash["calLeftMax"].toInt(), flash["calRightMin"].toInt(),
                         flash["calLeftMin"].toInt()}),
             bounds);
    QCOMPARE((QList<int>{int(MainWindowProbe::calRightMax(w)), int(MainWindowProbe::calLeftMax(w)),
                         int(MainWindowProbe::calRightMin(w)), int(MainWindowProbe::calLeftMin(w))}),
             bounds);
}

void TestPaddlePage::encoderButton()
{
    const auto shows = [&](int state, const char* text, bool checked) {
        return MainWindowProbe::encoderBindState(p.window()) == state && p.ui()->pbEncoder->text() == text
            && p.ui()->pbEncoder->isChecked() == checked;
    };
    p.ui()->pbEncoder->click();
    QVERIFY(shows(1, "ROTATE ONE ENCODER TO BIND BITEPOINT", true));
    p.ui()->pbEncoder->click(); // learning goes on
    QVERIFY(shows(1, "ROTATE ONE ENCODER TO BIND BITEPOINT", true));
    p.m->feed(inputReport({19}));
    p.m->feed(inputReport({}));
    QVERIFY(shows(2, "CLEAR BIND ENCODER", false));

    // A new program finds the binding of its model, and only of its model.
    QVERIFY(p.open(QStringLiteral("KTR2")));
    QVERIFY(shows(0, "ASSIGN ROTARY ENCODER", false));
    QVERIFY(p.open(QStringLiteral("R-VELO")));
    QVERIFY(shows(2, "CLEAR BIND ENCODER", false));
    QCOMPARE(int(MainWindowProbe::encoderUpInput(p.window())), 19);
    QCOMPARE(int(MainWindowProbe::encoderDownInput(p.window())), 18);

    // Clearing removes the keys, also for the next program; the inputs stay but no longer count.
    p.ui()->pbEncoder->click();
    QVERIFY(shows(0, "ASSIGN ROTARY ENCODER", false));
    QCOMPARE(int(MainWindowProbe::encoderUpInput(p.window())), 19);
    QVERIFY(!Preferences().contains(QStringLiteral("R-VELO_ENCODER1")));
    QVERIFY(p.open(QStringLiteral("R-VELO")));
    QVERIFY(shows(0, "ASSIGN ROTARY ENCODER", false));
}

void TestPaddlePage::restartShowsWhatWasSaved()
{
    QTemporaryDir dir;
    const QString state = dir.filePath(QStringLiteral("wheel.json"));
    QVERIFY(p.open(QStringLiteral("QLN5"), state));
    Ui::MainWindow* ui = p.ui();
    ui->rbPadR->click();
    ui->hsBite->setValue(30);
    ui->cbClutch->setChecked(false);
    ui->pbSaveP->click();
    ui->hsTrigger->setValue(150);
    ui->pbSaveEnc->click();
    ui->cbShifter->setChecked(true);
    ui->pbEncoder->click();
    p.m->feed(inputReport({19}));
    p.m->feed(inputReport({}));
    ui->pbCalL->setChecked(true);
    QTRY_COMPARE_WITH_TIMEOUT(MainWindowProbe::calLeftMin(p.window()), 4096u, 5000);
    p.m->feed(inputReport({}, 0, 700));
    p.m->feed(inputReport({}, 0, 3300));
    ui->pbCalL->setChecked(false);
    QCOMPARE(takeShownBoxes(), (QStringList{kSaved, kSaved}));

    QVERIFY(p.open(QStringLiteral("QLN5"), state));
    ui = p.ui();
    QVERIFY(ui->rbPadR->isChecked());
    QCOMPARE(ui->hsBite->value(), 30);
    QCOMPARE(ui->hsBite->statusTip(), QStringLiteral("131"));
    QVERIFY(!ui->cbClutch->isChecked());
    QTRY_VERIFY_WITH_TIMEOUT(ui->gpClutch->isHidden(), 5000);
    QCOMPARE(ui->hsTrigger->value(), 150);
    QCOMPARE(ui->hsTrigger->statusTip(), QStringLiteral("150"));
    QVERIFY(ui->cbShifter->isChecked());
    QCOMPARE(ui->gpShifter->height(), 191);
    QCOMPARE(ui->pbEncoder->text(), QStringLiteral("CLEAR BIND ENCODER"));
    QCOMPARE(MainWindowProbe::calLeftMin(p.window()), 700u);
    QCOMPARE(MainWindowProbe::calLeftMax(p.window()), 3300u);
}

QTEST_MAIN(TestPaddlePage)
#include "tst_paddlepage.moc"
