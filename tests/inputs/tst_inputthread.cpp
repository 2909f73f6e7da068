// The input reader against the virtual wheel: short reads, bursts, a lost wheel and a
// requested stop (by the thread or by closing the window).
#include "support/messagelog.h"
#include "support/wheelwindow.h"

#include <QLabel>
#include <QProgressBar>
#include <QTest>

namespace {
const QString kDoneLine = QStringLiteral("joystick event thread done.");
}

class TestInputThread : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void shortReads_data();
    void shortReads();
    void burstArrivesWhole();
    void lostWheel();
    void requestedStop_data();
    void requestedStop();
    void handleClosedElsewhere();

private:
    // Reports that reached the window, counted after the window's own slot has run on them.
    bool waitReports(int count)
    {
        return QTest::qWaitFor([&] { return delivered.size() >= count; });
    }

    std::unique_ptr<WheelWindow> m;
    std::unique_ptr<MessageLog> log;
    QList<QByteArray> delivered;
    int disconnects = 0;
};

namespace {
QLoggingCategory::CategoryFilter previousFilter = nullptr;

// The end line must reach the handler whatever QT_LOGGING_RULES says; the per-report lines
// are only noise here.
void categoryFilter(QLoggingCategory* category)
{
    if (previousFilter)
        previousFilter(category);
    if (qstrcmp(category->categoryName(), "tarvoset.device") == 0)
        category->setEnabled(QtDebugMsg, true);
    else if (qstrcmp(category->categoryName(), "tarvoset.input") == 0)
        category->setEnabled(QtDebugMsg, false);
}
} // namespace

void TestInputThread::initTestCase()
{
    previousFilter = QLoggingCategory::installFilter(categoryFilter);
}

void TestInputThread::init()
{
    delivered.clear();
    disconnects = 0;
    log = std::make_unique<MessageLog>();
    m = std::make_unique<WheelWindow>(QStringLiteral("R-VELO"));
    TarvoEvent& thread = MainWindowProbe::eventThread(*m->window);
    // Queued into this thread after the window's own connections, so they run after them.
    connect(
        &thread, &TarvoEvent::eventTrigger, this, [this](const QByteArray& r) { delivered.append(r); },
        Qt::QueuedConnection);
    connect(
        &thread, &TarvoEvent::deviceDisconnect, this, [this] { ++disconnects; }, Qt::QueuedConnection);
    QVERIFY(m->waitConnected(QStringLiteral("R-VELO")));
    QVERIFY(m->show());
}

void TestInputThread::cleanup()
{
    m.reset();
    log.reset();
}

void TestInputThread::shortReads_data()
{
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("second"); // after the id byte; fewer than 16 bytes read short
    QTest::addColumn<QList<int>>("lit");
    QTest::addColumn<int>("right");
    QTest::addColumn<int>("left");

    const QByteArray first = inputReport({0, 9, 40}, 0x0102, 0x0304);
    QTest::newRow("inputs past a short read are kept")
        << first << QByteArray::fromHex("e803d00700") << QList<int>{9, 40} << 1000 << 2000;
    QTest::newRow("one byte changes the right axis low byte only")
        << first << QByteArray::fromHex("ff") << QList<int>{0, 9, 40} << 0x01ff << 0x0304;
    QTest::newRow("axes only") << first << QByteArray::fromHex("00000000") << QList<int>{0, 9, 40} << 0 << 0;
    QTest::newRow("fifteen bytes replace every input byte")
        << first << inputReport({3}).left(15) << QList<int>{3} << 0 << 0;
    QTest::newRow("six bytes keep inputs 16 and up")
        << inputReport({0, 9, 17, 40}) << inputReport({0}).left(6) << QList<int>{0, 17, 40} << 0 << 0;
    QTest::newRow("a full report replaces everything") << first << inputReport({5}, 7, 8) << QList<int>{5} << 7 << 8;
}

void TestInputThread::shortReads()
{
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, second);
    QFETCH(QList<int>, lit);
    QFETCH(int, right);
    QFETCH(int, left);

    m->wheel.queueInput(first);
    m->wheel.queueInput(second);
    QVERIFY(waitReports(2));
    QCOMPARE(delivered[1].size(), 16);
    QCOMPARE(m->litTips(), lit);
    QTRY_COMPARE(m->lit(), lit);
    QTRY_COMPARE(m->ui()->pgAdcR->value(), right);
    QTRY_COMPARE(m->ui()->pgAdcL->value(), left);
}

void TestInputThread::burstArrivesWhole()
{
    // Unused bytes 12-15 number the reports, so loss, doubling or reordering shows.
    constexpr int kCount = 500;
    QList<QByteArray> queued;
    for (int i = 0; i < kCount; ++i) {
        QByteArray report = inputReport(i % 2 ? QList<int>{0, 19} : QList<int>{}, quint16(i), 0);
        report[12] = char(i & 0xFF);
        report[13] = char(i >> 8);
        queued.append(report);
        m->wheel.queueInput(report);
    }
    QVERIFY(waitReports(kCount));
    QTest::qWait(50);
    QCOMPARE(delivered, queued);
    QCOMPARE(m->wheel.pendingInputCount(), 0);
    QCOMPARE(m->litTips(), (QList<int>{0, 19}));
    QTRY_COMPARE(m->lit(), (QList<int>{0, 19}));
}

void TestInputThread::lostWheel()
{
    MainWindow& w = *m->window;
    QVERIFY(m->ui()->lbHead->text() != QStringLiteral("WAITING FOR DEVICE..."));
    m->wheel.unplug();

    QTRY_COMPARE(log->texts("tarvoset.device").count(kDoneLine), 1);
    QTRY_COMPARE(m->ui()->lbHead->text(), QStringLiteral("WAITING FOR DEVICE..."));
    QCOMPARE(disconnects, 1);
    QVERIFY(!deviceHandle.isOpen());
    QVERIFY(MainWindowProbe::eventThread(w).wait(10000));
    // Reported once: no second end line from a thread that never ran again.
    QVERIFY(m->settle());
    QCOMPARE(log->texts("tarvoset.device").count(kDoneLine), 1);
}

void TestInputThread::requestedStop_data()
{
    QTest::addColumn<bool>("close"); // by closing the window, else by asking the thread itself
    QTest::newRow("interruption requested") << false;
    QTest::newRow("window closed") << true;
}

void TestInputThread::requestedStop()
{
    QFETCH(bool, close);
    TarvoEvent& thread = MainWindowProbe::eventThread(*m->window);
    const QString header = m->ui()->lbHead->text();
    const int opens = m->faults.opens();
    if (close) {
        QVERIFY(QMetaObject::invokeMethod(m->window.get(), "onClose"));
        QVERIFY(!thread.isRunning());
        QVERIFY(!m->window->isVisible());
    } else {
        thread.requestInterruption();
        QVERIFY(thread.wait(10000));
    }

    QCOMPARE(log->texts("tarvoset.device").count(kDoneLine), 1);
    QVERIFY(!deviceHandle.isOpen());
    // A lost-wheel report would reconnect at once: the handle would open again.
    QVERIFY(m->settle());
    QCOMPARE(disconnects, 0);
    QVERIFY(!thread.isRunning());
    QVERIFY(!deviceHandle.isOpen());
    QCOMPARE(m->faults.opens(), opens);
    QCOMPARE(m->ui()->lbHead->text(), header);
}

void TestInputThread::handleClosedElsewhere()
{
    TarvoEvent& thread = MainWindowProbe::eventThread(*m->window);
    deviceHandle.close();
    // The reader notices, reports the loss and ends; the window then opens the wheel again.
    QTRY_VERIFY(disconnects >= 1);
    QTRY_VERIFY(deviceHandle.isOpen() && thread.isRunning());
    m->wheel.queueInput(inputReport({6}));
    QTRY_COMPARE(m->lit(), QList<int>{6});
}

QTEST_MAIN(TestInputThread)
#include "tst_inputthread.moc"
