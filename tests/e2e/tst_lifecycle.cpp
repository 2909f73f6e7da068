// The connection lifecycle against the virtual wheel: waiting, retrying, connecting,
// losing the wheel and finding it again, seen in the window and in the HID trace.
#include "support/wheelwindow.h"
#include "tracefile.h"

#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>

namespace {
// Two wheels on the bus at once: opens go to whichever answers to the product id.
class TwoWheels : public HidBackend
{
public:
    TwoWheels(HidBackend& a, HidBackend& b)
        : m_a(a)
        , m_b(b)
    {
    }
    int init() override { return m_a.init(); }
    std::unique_ptr<HidDevice> open(std::uint16_t vendorId, std::uint16_t productId) override
    {
        if (auto device = m_a.open(vendorId, productId))
            return device;
        return m_b.open(vendorId, productId);
    }

private:
    HidBackend& m_a;
    HidBackend& m_b;
};

QStringList openedProducts(const QList<TraceLine>& lines)
{
    QStringList products;
    for (const TraceLine& line : linesOfKind(lines, QStringLiteral("open")))
        products << line.data.section(QLatin1Char(':'), 1) + QLatin1Char('=') + QString::number(line.result);
    return products;
}

const QStringList kAllProductsFailing = {"2007=0", "2008=0", "2009=0", "200a=0", "200b=0", "200c=0", "200d=0"};
} // namespace

class TestLifecycle : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }
    void noWheelRetriesEveryThreeSeconds();
    void connectsAndReadsInOrder();
    void unplugShowsWaitingAtOnceAndPlugReconnects();
    void lowerProductIdWinsWithTwoWheels();
    void silentModelQueryKeepsWaitingLayout();
    void inputHeldAtUnplugIsNotReleasedAfterReconnect_data();
    void inputHeldAtUnplugIsNotReleasedAfterReconnect();

private:
    QString tracePath() const { return m_dir->filePath(QStringLiteral("trace.log")); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestLifecycle::noWheelRetriesEveryThreeSeconds()
{
    WheelWindow w(QStringLiteral("R-VELO"), 0x2007, tracePath());
    w.wheel.unplug(); // before the window's first attempt, which the event loop runs
    QTRY_VERIFY(w.showsWaiting());
    QTRY_COMPARE(w.ui()->stackedWidget->currentIndex(), 4);
    // The first attempt at start, then one every 3000 ms: three rounds of all seven ids, in order.
    QTRY_VERIFY_WITH_TIMEOUT(linesOfKind(readTrace(tracePath()), "open").size() >= 21, 30000);
    QVERIFY(w.showsWaiting());

    const QList<TraceLine> lines = readTrace(tracePath());
    QVERIFY(linesOfKind(lines, "malformed").isEmpty());
    const QList<TraceLine> opens = linesOfKind(lines, "open");
    QCOMPARE(openedProducts(lines).mid(0, 21), kAllProductsFailing + kAllProductsFailing + kAllProductsFailing);
    for (int round = 1; round < 3; ++round) {
        // Never early; late by as much as a loaded machine may be, but not a round missed.
        const double gap = opens[round * 7].time - opens[(round - 1) * 7].time;
        QVERIFY2(gap >= 2990 && gap < 5900, qPrintable(QString::number(gap)));
    }
    QVERIFY(linesOfKind(lines, "send-feature").isEmpty());

    // Plugged in while waiting: connected by the next retry.
    w.wheel.plug();
    QTRY_VERIFY_WITH_TIMEOUT(w.showsWheel(), 10000);
    QTRY_COMPARE(w.ui()->stackedWidget->currentIndex(), 0);
    QVERIFY(w.ui()->pbS1->isChecked());
    QCOMPARE(MainWindowProbe::productId(*w.window), 0x2007u);
}

void TestLifecycle::connectsAndReadsInOrder()
{
    WheelWindow w(QStringLiteral("R-VELO"), 0x2007, tracePath());
    QTRY_VERIFY(w.showsWheel());
    const QList<TraceLine> lines = readTrace(tracePath());
    QVERIFY(linesOfKind(lines, "malformed").isEmpty());
    QCOMPARE(lines.first().kind, QStringLiteral("open"));
    QCOMPARE(lines.first().data, QStringLiteral("7e57:2007"));
    QCOMPARE(lines.first().result, 1);
    // The model is asked for first, with a cleared frame, and read back at once.
    const QList<TraceLine> sends = linesOfKind(lines, "send-feature");
    QVERIFY(!sends.isEmpty());
    QCOMPARE(sends.first().data, QStringLiteral("020b0d") + QString(34, QLatin1Char('0')));
    QCOMPARE(sends.first().result, 20);
    int firstSend = -1;
    for (int i = 0; i < lines.size() && firstSend < 0; ++i)
        if (lines[i].kind == QLatin1String("send-feature"))
            firstSend = i;
    QVERIFY(firstSend + 1 < lines.size());
    QCOMPARE(lines[firstSend + 1].kind, QStringLiteral("get-feature"));
    QVERIFY(lines[firstSend + 1].data.startsWith(QStringLiteral("020d")));
    QCOMPARE(lines[firstSend + 1].data.size(), 42);
    QCOMPARE(MainWindowProbe::modelName(*w.window), QStringLiteral("R-VELO"));
}

void TestLifecycle::unplugShowsWaitingAtOnceAndPlugReconnects()
{
    WheelWindow w(QStringLiteral("R-VELO"), 0x2007, tracePath());
    QTRY_VERIFY(w.showsWheel());
    QFile::resize(tracePath(), 0);

    w.wheel.unplug();
    QTRY_VERIFY_WITH_TIMEOUT(w.showsWaiting(), 10000);
    QTRY_VERIFY(!MainWindowProbe::eventThread(*w.window).isRunning());
    QVERIFY(!deviceHandle.isOpen());
    QCOMPARE(MainWindowProbe::productId(*w.window), 0u);
    QTRY_COMPARE(w.ui()->stackedWidget->currentIndex(), 4);

    // The lost handle was closed once, then every id was tried at once, not after a retry delay.
    QTRY_COMPARE(openedProducts(readTrace(tracePath())), kAllProductsFailing);
    const QList<TraceLine> closes = linesOfKind(readTrace(tracePath()), "close");
    QCOMPARE(closes.size(), 1);
    const double reopenAfter = linesOfKind(readTrace(tracePath()), "open").first().time - closes.first().time;
    QVERIFY2(reopenAfter < 2000, qPrintable(QString::number(reopenAfter)));

    w.wheel.plug();
    QTRY_VERIFY_WITH_TIMEOUT(w.showsWheel(), 10000);
    QVERIFY(deviceHandle.isOpen());
    // A slow machine may have run another round before the plug.
    const QStringList opened = openedProducts(readTrace(tracePath()));
    QCOMPARE(opened.mid(0, 7), kAllProductsFailing);
    QCOMPARE(opened.last(), QStringLiteral("2007=1"));
    QCOMPARE(opened.size() % 7, 1);
}

void TestLifecycle::lowerProductIdWinsWithTwoWheels()
{
    VirtualWheel higher(QStringLiteral("QLN5"), 0x200b);
    VirtualWheel lower(QStringLiteral("KTR2"), 0x2009);
    TwoWheels bus(higher, lower);
    HidTrace trace(&bus, tracePath());
    deviceHandle.setBackend(&trace);
    {
        MainWindow w;
        QTRY_VERIFY(MainWindowProbe::modelName(w) == "KTR2" && MainWindowProbe::eventThread(w).isRunning());
        QCOMPARE(MainWindowProbe::productId(w), 0x2009u);
        QCOMPARE(openedProducts(readTrace(tracePath())), (QStringList{"2007=0", "2008=0", "2009=1"}));
        QVERIFY(QMetaObject::invokeMethod(&w, "onClose"));
    }
    deviceHandle.close();
    deviceHandle.setBackend(nullptr);
}

void TestLifecycle::silentModelQueryKeepsWaitingLayout()
{
    // The wheel opens but its model answer never comes: the link stands, the layout waits.
    WheelWindow w(QStringLiteral("R-VELO"), 0x2007, tracePath());
    w.wheel.failGets(1); // before the window's first attempt
    QTRY_VERIFY(MainWindowProbe::eventThread(*w.window).isRunning());
    QVERIFY(w.settle());
    auto* ui = w.ui();
    QCOMPARE(ui->lbHead->text(), QStringLiteral("WAITING FOR DEVICE..."));
    QVERIFY(!ui->pbS1->isEnabled());
    QCOMPARE(ui->stackedWidget->currentIndex(), 4);
    QVERIFY(ui->pbStatus->isHidden());
    QVERIFY(MainWindowProbe::modelName(*w.window).isEmpty());
    QCOMPARE(MainWindowProbe::productId(*w.window), 0x2007u);
}

void TestLifecycle::inputHeldAtUnplugIsNotReleasedAfterReconnect_data()
{
    QTest::addColumn<bool>("quick");
    QTest::newRow("replug after the waiting screen") << false;
    // Unplug and plug before the reader notices: the first open after the loss succeeds.
    QTest::newRow("quick replug") << true;
}

void TestLifecycle::inputHeldAtUnplugIsNotReleasedAfterReconnect()
{
    QFETCH(bool, quick);
    WheelWindow w(QStringLiteral("R-VELO"), 0x2007, tracePath());
    w.window->show(); // the clutch bars follow the reports only on a page that can be seen
    QTRY_VERIFY(w.showsWheel());
    auto* ui = w.ui();
    // The pbID3 encoder is bound; its up input (19) is held when the wheel goes.
    MainWindowProbe::encoderUpInput(*w.window) = 19;
    MainWindowProbe::encoderDownInput(*w.window) = 18;
    MainWindowProbe::setEncoderBindState(*w.window, 2);
    const int bite = ui->hsBite->value();
    w.wheel.queueInput(QByteArray::fromHex("00000000"
                                           "00000800"));
    QTRY_COMPARE(ui->pbID3R->statusTip(), QStringLiteral("SHOW"));

    const auto successfulOpens = [this] {
        const QList<TraceLine> opens = linesOfKind(readTrace(tracePath()), "open");
        return std::count_if(opens.begin(), opens.end(), [](const TraceLine& line) { return line.result == 1; });
    };
    w.wheel.unplug();
    if (!quick)
        QTRY_VERIFY(w.showsWaiting());
    w.wheel.plug();
    QTRY_VERIFY_WITH_TIMEOUT(successfulOpens() == 2, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(w.showsWheel(), 10000);
    w.wheel.clearReceived();

    // Nothing is pressed now; nothing was turned either. The paddle reading shows when the
    // window has taken the report in.
    w.wheel.queueInput(QByteArray::fromHex("2301").leftJustified(16, '\0'));
    QTRY_COMPARE_WITH_TIMEOUT(ui->pgAdcR->value(), 0x123, 10000);
    QVERIFY(MainWindowProbe::releasedInputs(*w.window).isEmpty());
    QCOMPARE(ui->hsBite->value(), bite);
    for (const VirtualWheel::Received& frame : w.wheel.received())
        QVERIFY2(!frame.bytes.startsWith(QByteArray::fromHex("020a")), frame.bytes.toHex().constData());
}

QTEST_MAIN(TestLifecycle)
#include "tst_lifecycle.moc"
