// The bite-point encoder: learning from released inputs, stepping the bite point, the
// frames that reach the wheel and the binding kept in the preferences. The PADDLES page's
// own frames and the encoder button's texts are tst_paddlepage's.
#include "support/wheelwindow.h"

#include <QRadioButton>
#include <QSlider>
#include <QTest>

using Reports = QList<QByteArray>;

namespace {

// Calibration words the tests put into the window, and how they travel.
constexpr quint32 kRightMax = 4000, kLeftMax = 3840, kRightMin = 100, kLeftMin = 200;
const char* const kCalibrationHex = "a00f000f6400c800";

// A live PaddleSettings frame (marker 0) as the wheel must receive it.
QByteArray liveFrame(quint8 mode)
{
    return QByteArray::fromHex(QByteArray("020a") + QByteArray::number(mode, 16).rightJustified(2, '0') + "0000"
                               + kCalibrationHex + "00000000000000");
}

enum Side { Left, Right, Off };

} // namespace

Q_DECLARE_METATYPE(Side)

class TestEncoderBinding : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void learning_data();
    void learning();
    void stepping_data();
    void stepping();
    void noWheelNoFrame();
    void loadBinding_data();
    void loadBinding();
    void removeBinding();

private:
    void prepare(Side side, int bite);
    QList<QByteArray> sentFrames();
    void feedAll(const Reports& reports);

    std::unique_ptr<WheelWindow> m;
};

void TestEncoderBinding::init()
{
    Preferences().clear();
    m = std::make_unique<WheelWindow>(QStringLiteral("R-VELO"));
    QVERIFY(m->waitConnected(QStringLiteral("R-VELO")));
}

void TestEncoderBinding::cleanup()
{
    m.reset();
    Preferences().clear();
}

// Paddle choice, bite point and calibration words known to the test; nothing recorded yet.
void TestEncoderBinding::prepare(Side side, int bite)
{
    MainWindow& w = *m->window;
    {
        const QSignalBlocker blockL(m->ui()->rbPadL);
        const QSignalBlocker blockR(m->ui()->rbPadR);
        const QSignalBlocker blockNo(m->ui()->rbPadNo);
        (side == Left ? m->ui()->rbPadL : side == Right ? m->ui()->rbPadR : m->ui()->rbPadNo)->setChecked(true);
    }
    m->ui()->hsBite->setValue(bite);
    MainWindowProbe::calRightMax(w) = kRightMax;
    MainWindowProbe::calLeftMax(w) = kLeftMax;
    MainWindowProbe::calRightMin(w) = kRightMin;
    MainWindowProbe::calLeftMin(w) = kLeftMin;
    m->wheel.clearReceived();
}

QList<QByteArray> TestEncoderBinding::sentFrames()
{
    QList<QByteArray> frames;
    for (const VirtualWheel::Received& r : m->wheel.received())
        frames.append(r.bytes);
    return frames;
}

void TestEncoderBinding::feedAll(const Reports& reports)
{
    for (const QByteArray& report : reports)
        m->feed(report);
}

void TestEncoderBinding::learning_data()
{
    QTest::addColumn<Reports>("reports");
    QTest::addColumn<int>("state");
    QTest::addColumn<int>("up");
    QTest::addColumn<int>("down");
    QTest::addColumn<int>("biteAfter");
    QTest::addColumn<QList<QByteArray>>("frames");

    // Binding sends the unchanged paddle settings once; the bite point starts at 40.
    const QList<QByteArray> bound{liveFrame(40)};
    const QList<QByteArray> nothing;
    QTest::newRow("pbID3 turned down binds 19/18")
        << Reports{inputReport({18}), inputReport({})} << 2 << 19 << 18 << 40 << bound;
    QTest::newRow("pbID3 turned up binds 19/18")
        << Reports{inputReport({19}), inputReport({})} << 2 << 19 << 18 << 40 << bound;
    QTest::newRow("right stick rotation")
        << Reports{inputReport({46}), inputReport({})} << 2 << 46 << 45 << 40 << bound;
    QTest::newRow("first pair") << Reports{inputReport({2}), inputReport({})} << 2 << 3 << 2 << 40 << bound;
    QTest::newRow("pbID2 up") << Reports{inputReport({37}), inputReport({})} << 2 << 37 << 36 << 40 << bound;
    QTest::newRow("a press alone does not bind") << Reports{inputReport({18})} << 1 << 255 << 255 << 40 << nothing;
    QTest::newRow("only the lowest release counts")
        << Reports{inputReport({18, 3}), inputReport({})} << 2 << 3 << 2 << 40 << bound;
    QTest::newRow("lowest release no encoder: nothing, though 18 was released too")
        << Reports{inputReport({0, 18}), inputReport({})} << 1 << 255 << 255 << 40 << nothing;
    QTest::newRow("a non-encoder release keeps learning")
        << Reports{inputReport({0}), inputReport({}), inputReport({24}), inputReport({})} << 2 << 25 << 24 << 40
        << bound;
    QTest::newRow("input 50 and up are no encoder")
        << Reports{inputReport({50, 51}), inputReport({})} << 1 << 255 << 255 << 40 << nothing;
    QTest::newRow("bound, the next detent steps")
        << Reports{inputReport({26}), inputReport({}), inputReport({27}), inputReport({})} << 2 << 27 << 26 << 41
        << QList<QByteArray>{liveFrame(40), liveFrame(41)};
}

void TestEncoderBinding::learning()
{
    QFETCH(Reports, reports);
    QFETCH(int, state);
    QFETCH(int, up);
    QFETCH(int, down);
    QFETCH(int, biteAfter);
    QFETCH(QList<QByteArray>, frames);

    MainWindow& w = *m->window;
    prepare(Left, 40);
    MainWindowProbe::setEncoderBindState(w, 1);
    feedAll(reports);

    QCOMPARE(MainWindowProbe::encoderBindState(w), state);
    QCOMPARE(int(MainWindowProbe::encoderUpInput(w)), up);
    QCOMPARE(int(MainWindowProbe::encoderDownInput(w)), down);
    QCOMPARE(sentFrames(), frames);
    QCOMPARE(m->ui()->hsBite->value(), biteAfter);
    Preferences settings;
    if (state == 2) {
        QCOMPARE(m->ui()->pbEncoder->text(), QStringLiteral("CLEAR BIND ENCODER"));
        QVERIFY(!m->ui()->pbEncoder->isChecked());
        QCOMPARE(settings.value(QStringLiteral("R-VELO_ENCODER1")).toInt(), up);
        QCOMPARE(settings.value(QStringLiteral("R-VELO_ENCODER2")).toInt(), down);
    } else {
        QCOMPARE(m->ui()->pbEncoder->text(), QStringLiteral("ROTATE ONE ENCODER TO BIND BITEPOINT"));
        QVERIFY(m->ui()->pbEncoder->isChecked());
        QVERIFY(!settings.contains(QStringLiteral("R-VELO_ENCODER1")));
        QVERIFY(!settings.contains(QStringLiteral("R-VELO_ENCODER2")));
    }
}

void TestEncoderBinding::stepping_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<Side>("side");
    QTest::addColumn<int>("bite");
    QTest::addColumn<Reports>("reports");
    QTest::addColumn<int>("biteAfter");
    QTest::addColumn<QList<QByteArray>>("frames");

    const Reports up{inputReport({19}), inputReport({})};
    const Reports down{inputReport({18}), inputReport({})};
    QTest::newRow("up raises") << 2 << Left << 50 << up << 51 << QList<QByteArray>{liveFrame(51)};
    QTest::newRow("down lowers") << 2 << Left << 50 << down << 49 << QList<QByteArray>{liveFrame(49)};
    QTest::newRow("right paddle") << 2 << Right << 50 << up << 51 << QList<QByteArray>{liveFrame(152)};
    QTest::newRow("right paddle at 0 down") << 2 << Right << 0 << down << 0 << QList<QByteArray>{liveFrame(101)};
    QTest::newRow("no paddle sends 255") << 2 << Off << 50 << up << 51 << QList<QByteArray>{liveFrame(255)};
    QTest::newRow("at 100 up still sends") << 2 << Left << 100 << up << 100 << QList<QByteArray>{liveFrame(100)};
    QTest::newRow("right at 100 up still sends") << 2 << Right << 100 << up << 100 << QList<QByteArray>{liveFrame(201)};
    QTest::newRow("at 0 down still sends") << 2 << Left << 0 << down << 0 << QList<QByteArray>{liveFrame(0)};
    QTest::newRow("both directions in one report: up, then down")
        << 2 << Left << 50 << Reports{inputReport({18, 19}), inputReport({})} << 50
        << QList<QByteArray>{liveFrame(51), liveFrame(50)};
    QTest::newRow("a held input steps once")
        << 2 << Left << 50 << Reports{inputReport({19}), inputReport({19}), inputReport({19}), inputReport({})} << 51
        << QList<QByteArray>{liveFrame(51)};
    QTest::newRow("three detents") << 2 << Left << 50 << (up + up + up) << 53
                                   << QList<QByteArray>{liveFrame(51), liveFrame(52), liveFrame(53)};
    QTest::newRow("another encoder does nothing")
        << 2 << Left << 50 << Reports{inputReport({3}), inputReport({})} << 50 << QList<QByteArray>{};
    QTest::newRow("unbound state does nothing") << 0 << Left << 50 << up << 50 << QList<QByteArray>{};
}

void TestEncoderBinding::stepping()
{
    QFETCH(int, state);
    QFETCH(Side, side);
    QFETCH(int, bite);
    QFETCH(Reports, reports);
    QFETCH(int, biteAfter);
    QFETCH(QList<QByteArray>, frames);

    MainWindow& w = *m->window;
    prepare(side, bite);
    MainWindowProbe::encoderUpInput(w) = 19;
    MainWindowProbe::encoderDownInput(w) = 18;
    MainWindowProbe::setEncoderBindState(w, state);
    feedAll(reports);

    QCOMPARE(m->ui()->hsBite->value(), biteAfter);
    QCOMPARE(sentFrames(), frames);
    QCOMPARE(MainWindowProbe::encoderBindState(w), state);
}

void TestEncoderBinding::noWheelNoFrame()
{
    MainWindow& w = *m->window;
    prepare(Left, 50);
    // A requested stop closes the handle without reporting a lost wheel.
    MainWindowProbe::eventThread(w).requestInterruption();
    MainWindowProbe::eventThread(w).wait();
    QVERIFY(!deviceHandle.isOpen());

    MainWindowProbe::sendPaddleSettings(w, true);
    MainWindowProbe::encoderUpInput(w) = 19;
    MainWindowProbe::encoderDownInput(w) = 18;
    MainWindowProbe::setEncoderBindState(w, 2);
    feedAll({inputReport({19}), inputReport({})});
    QCOMPARE(m->ui()->hsBite->value(), 51);
    QCOMPARE(sentFrames(), QList<QByteArray>{});
}

void TestEncoderBinding::loadBinding_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<QVariantMap>("stored");
    QTest::addColumn<int>("up");
    QTest::addColumn<int>("down");
    QTest::addColumn<int>("state"); // the state before the load is 1

    const QString rvelo = QStringLiteral("R-VELO");
    QTest::newRow("nothing stored") << rvelo << QVariantMap{} << 255 << 255 << 1;
    QTest::newRow("both stored") << rvelo << QVariantMap{{"R-VELO_ENCODER1", 19}, {"R-VELO_ENCODER2", 18}} << 19 << 18
                                 << 2;
    QTest::newRow("only the up key") << rvelo << QVariantMap{{"R-VELO_ENCODER1", 19}} << 19 << 255 << 1;
    QTest::newRow("only the down key") << rvelo << QVariantMap{{"R-VELO_ENCODER2", 18}} << 255 << 18 << 1;
    QTest::newRow("another model's binding")
        << rvelo << QVariantMap{{"KTR2_ENCODER1", 19}, {"KTR2_ENCODER2", 18}} << 255 << 255 << 1;
    QTest::newRow("key carries the exact model text")
        << QStringLiteral("R-VELO X") << QVariantMap{{"R-VELO_ENCODER1", 19}, {"R-VELO_ENCODER2", 18}} << 255 << 255
        << 1;
    QTest::newRow("empty model text") << QString() << QVariantMap{{"_ENCODER1", 5}, {"_ENCODER2", 4}} << 5 << 4 << 2;
    QTest::newRow("not a number reads 0")
        << rvelo << QVariantMap{{"R-VELO_ENCODER1", "up"}, {"R-VELO_ENCODER2", 18}} << 0 << 18 << 2;
    QTest::newRow("cut to 8 bits") << rvelo << QVariantMap{{"R-VELO_ENCODER1", 275}, {"R-VELO_ENCODER2", 511}} << 19
                                   << 255 << 1;
}

void TestEncoderBinding::loadBinding()
{
    QFETCH(QString, model);
    QFETCH(QVariantMap, stored);
    QFETCH(int, up);
    QFETCH(int, down);
    QFETCH(int, state);

    {
        Preferences settings;
        for (auto it = stored.cbegin(); it != stored.cend(); ++it)
            settings.setValue(it.key(), it.value());
    }
    MainWindow& w = *m->window;
    MainWindowProbe::modelName(w) = model;
    MainWindowProbe::encoderUpInput(w) = 7;
    MainWindowProbe::encoderDownInput(w) = 7;
    MainWindowProbe::setEncoderBindState(w, 1);
    MainWindowProbe::loadEncoderBinding(w);

    QCOMPARE(int(MainWindowProbe::encoderUpInput(w)), up);
    QCOMPARE(int(MainWindowProbe::encoderDownInput(w)), down);
    QCOMPARE(MainWindowProbe::encoderBindState(w), state);
}

void TestEncoderBinding::removeBinding()
{
    MainWindow& w = *m->window;
    MainWindowProbe::encoderUpInput(w) = 19;
    MainWindowProbe::encoderDownInput(w) = 18;
    MainWindowProbe::storeEncoderBinding(w);
    Preferences().setValue(QStringLiteral("KTR2_ENCODER1"), 3);

    MainWindowProbe::removeEncoderBinding(w);
    Preferences settings;
    QVERIFY(!settings.contains(QStringLiteral("R-VELO_ENCODER1")));
    QVERIFY(!settings.contains(QStringLiteral("R-VELO_ENCODER2")));
    QCOMPARE(settings.value(QStringLiteral("KTR2_ENCODER1")).toInt(), 3);
    // The members keep their values; the state alone says they no longer count.
    QCOMPARE(int(MainWindowProbe::encoderUpInput(w)), 19);
    QCOMPARE(int(MainWindowProbe::encoderDownInput(w)), 18);

    // A later connection finds nothing to restore.
    MainWindowProbe::setEncoderBindState(w, 0);
    MainWindowProbe::loadEncoderBinding(w);
    QCOMPARE(MainWindowProbe::encoderBindState(w), 0);
}

QTEST_MAIN(TestEncoderBinding)
#include "tst_encoderbinding.moc"
