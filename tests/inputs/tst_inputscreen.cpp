// A burst of reports waiting in the window's queue: every report still updates the status
// tips, the releases, the calibration bounds and the bite-point encoder, while the page's
// widgets follow once, after the burst. A hidden window leaves its widgets alone and brings
// them up to date when it is shown again.
#include "app/trayavailability.h"
#include "settings/inputscreen.h"
#include "support/wheelwindow.h"

#include <QProgressBar>
#include <QRadioButton>
#include <QSlider>
#include <QTest>

namespace {

// One report of a burst: the active inputs and the left clutch reading.
struct Step
{
    QList<int> inputs;
    quint16 left;
};
using Steps = QList<Step>;

// One turn of an encoder direction: pressed in one report, released in the next.
Steps detent(int input, QList<int> held = {})
{
    return {{held + QList<int>{input}, 0}, {held, 0}};
}

// Counts how often the indicators were shown or hidden on the screen.
class ScreenChanges : public QObject
{
public:
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        count += event->type() == QEvent::Show || event->type() == QEvent::Hide;
        return false;
    }
};

} // namespace

Q_DECLARE_METATYPE(Step)

class TestInputScreen : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void burst_data();
    void burst();
    void hiddenWindowWaits();

private:
    std::unique_ptr<WheelWindow> m;
};

void TestInputScreen::init()
{
    m = std::make_unique<WheelWindow>(QStringLiteral("R-VELO"));
    QVERIFY(m->waitConnected(QStringLiteral("R-VELO")));
    QVERIFY(m->show());
    // The encoder of pbID3 (down 18, up 19) and the buttons the bursts press have their place
    // on this model's picture.
    for (int input : {0, 6, 18, 19})
        QVERIFY(m->indicator(input)->isEnabled());
}

void TestInputScreen::cleanup()
{
    m.reset();
}

void TestInputScreen::burst_data()
{
    QTest::addColumn<Steps>("steps");
    QTest::addColumn<int>("bindState"); // before the burst; bound means down 18, up 19
    QTest::addColumn<int>("bite"); // before the burst, left paddle
    QTest::addColumn<int>("biteAfter");
    QTest::addColumn<QList<int>>("modes"); // paddle-mode byte of each live frame, in order

    // Left paddle chosen, so the mode byte is the bite point itself.
    Steps upFive;
    for (int i = 0; i < 5; ++i)
        upFive += detent(19, i % 2 ? QList<int>{0} : QList<int>{0, 6});
    QTest::newRow("bound: five detents up among held buttons")
        << upFive << 2 << 50 << 55 << QList<int>{51, 52, 53, 54, 55};

    const Steps downFour = detent(18) + detent(18) + detent(18) + detent(18);
    // At the slider's end the value stays, but every detent still sends.
    QTest::newRow("bound: down past the end") << downFour << 2 << 2 << 0 << QList<int>{1, 0, 0, 0};

    // A released button is no encoder: learning goes on until the encoder turns.
    const Steps learn = detent(0) + detent(19) + detent(18) + detent(18);
    QTest::newRow("learning binds on the encoder, then steps") << learn << 1 << 50 << 48 << QList<int>{50, 49, 48};

    const Steps both = {{{18, 19}, 0}, {{}, 0}, {{6, 19}, 0}, {{6}, 0}};
    QTest::newRow("both directions in one report: up, then down") << both << 2 << 30 << 31 << QList<int>{31, 30, 31};

    QTest::newRow("unbound: nothing moves") << upFive << 0 << 50 << 50 << QList<int>{};
}

void TestInputScreen::burst()
{
    QFETCH(Steps, steps);
    QFETCH(int, bindState);
    QFETCH(int, bite);
    QFETCH(int, biteAfter);
    QFETCH(QList<int>, modes);

    MainWindow& w = *m->window;
    Ui::MainWindow* ui = m->ui();
    {
        const QSignalBlocker blockL(ui->rbPadL);
        const QSignalBlocker blockCal(ui->pbCalL);
        ui->rbPadL->setChecked(true);
        ui->pbCalL->setChecked(true);
    }
    ui->hsBite->setValue(bite);
    MainWindowProbe::setEncoderBindState(w, bindState);
    MainWindowProbe::encoderUpInput(w) = bindState == 2 ? 19 : 255;
    MainWindowProbe::encoderDownInput(w) = bindState == 2 ? 18 : 255;
    MainWindowProbe::calLeftMin(w) = 4096;
    MainWindowProbe::calLeftMax(w) = 0;
    QTRY_VERIFY(!MainWindowProbe::inputScreen(w)->isPending());
    m->wheel.clearReceived();

    // The left paddle sweeps through the burst; the last report leaves it at 1000.
    for (int i = 0; i < steps.size(); ++i)
        steps[i].left = quint16(i == steps.size() - 1 ? 1000 : 300 + 97 * i);

    ScreenChanges changes;
    for (const InputIndicator& entry : inputIndicators)
        (ui->*entry.widget)->installEventFilter(&changes);

    // The whole burst waits in the queue before the window sees any of it, as behind a busy
    // moment; after each report, a look at what it left.
    QList<QList<int>> tipsSeen, releasesSeen;
    for (const Step& step : std::as_const(steps)) {
        QMetaObject::invokeMethod(&w, "onJoystickEvent", Qt::QueuedConnection,
                                  Q_ARG(QByteArray, inputReport(step.inputs, 0, step.left)));
        QMetaObject::invokeMethod(
            &w,
            [&] {
                tipsSeen.append(m->litTips());
                releasesSeen.append(MainWindowProbe::releasedInputs(w));
            },
            Qt::QueuedConnection);
    }
    QTRY_COMPARE(tipsSeen.size(), steps.size());

    QList<int> before;
    quint16 leftMin = 0xFFFF, leftMax = 0;
    for (int i = 0; i < steps.size(); ++i) {
        QList<int> lit = steps[i].inputs;
        std::sort(lit.begin(), lit.end());
        QList<int> released;
        for (int input : std::as_const(before)) {
            if (!lit.contains(input))
                released.append(input);
        }
        QCOMPARE(tipsSeen[i], lit);
        QCOMPARE(releasesSeen[i], released);
        before = lit;
        leftMin = std::min(leftMin, steps[i].left);
        leftMax = std::max(leftMax, steps[i].left);
    }
    QCOMPARE(MainWindowProbe::calLeftMin(w), uint(leftMin));
    QCOMPARE(MainWindowProbe::calLeftMax(w), uint(leftMax));

    QCOMPARE(ui->hsBite->value(), biteAfter);
    QList<int> sent;
    for (const VirtualWheel::Received& r : m->wheel.received()) {
        QCOMPARE(r.bytes.left(2), QByteArray::fromHex("020a")); // PaddleSettings
        QCOMPARE(quint8(r.bytes[3]), quint8(0x00)); // live, not saved
        sent.append(quint8(r.bytes[2]));
    }
    QCOMPARE(sent, modes);
    if (bindState != 0) {
        QCOMPARE(MainWindowProbe::encoderBindState(w), 2);
        QCOMPARE(int(MainWindowProbe::encoderUpInput(w)), 19);
        QCOMPARE(int(MainWindowProbe::encoderDownInput(w)), 18);
    }

    // The screen shows the last report, reached in one step rather than report by report.
    QTRY_COMPARE(m->lit(), before);
    QTRY_COMPARE(ui->pgAdcL->value(), 1000);
    QVERIFY2(changes.count <= before.size(), qPrintable(QString::number(changes.count)));
}

void TestInputScreen::hiddenWindowWaits()
{
    MainWindow& w = *m->window;
    Ui::MainWindow* ui = m->ui();
    m->feed(inputReport({0}, 100, 200));
    QTRY_COMPARE(m->lit(), QList<int>{0});
    QTRY_COMPARE(ui->pgAdcR->value(), 100);

    // Into the tray, which the offscreen platform lacks.
    TrayAvailability::setForTesting(true);
    QMetaObject::invokeMethod(&w, "onMinimize", Qt::DirectConnection);
    TrayAvailability::setForTesting(std::nullopt);
    QTRY_VERIFY(!w.isVisible());
    m->feed(inputReport({6, 19}, 3000, 4000));
    QCOMPARE(m->litTips(), (QList<int>{6, 19}));
    QCOMPARE(MainWindowProbe::releasedInputs(w), QList<int>{0});
    QTest::qWait(200);
    QCOMPARE(m->lit(), QList<int>{0});
    QCOMPARE(ui->pgAdcR->value(), 100);
    QVERIFY(MainWindowProbe::inputScreen(w)->isPending());

    // Up to date as it is shown, before anything is painted.
    QMetaObject::invokeMethod(&w, "onShowNormal", Qt::DirectConnection);
    QCOMPARE(m->lit(), (QList<int>{6, 19}));
    QCOMPARE(ui->pgAdcR->value(), 3000);
    QCOMPARE(ui->pgAdcL->value(), 4000);
    QVERIFY(!MainWindowProbe::inputScreen(w)->isPending());
}

QTEST_MAIN(TestInputScreen)
#include "tst_inputscreen.moc"
