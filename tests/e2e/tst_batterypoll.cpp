// The battery poll, timed from the HID trace: one query every ten seconds on battery models,
// none on the others, and one chain only, however often the wheel comes and goes.
#include "support/wheelwindow.h"
#include "tracefile.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

struct Timeline
{
    QList<double> queries; // battery queries sent
    QList<double> opens; // successful opens
};

Timeline timeline(const QString& path)
{
    Timeline t;
    for (const TraceLine& line : readTrace(path)) {
        if (line.kind == QLatin1String("send-feature") && line.data.startsWith(QLatin1String("020b0f")))
            t.queries << line.time;
        else if (line.kind == QLatin1String("open") && line.result == 1)
            t.opens << line.time;
    }
    return t;
}

int queriesAfter(const Timeline& t, double time)
{
    return int(std::count_if(t.queries.begin(), t.queries.end(), [time](double q) { return q > time; }));
}

// Two queries closer than the period are two chains, unless a connection began between them.
void verifyOneChain(const Timeline& t)
{
    for (int i = 1; i < t.queries.size(); ++i) {
        const double gap = t.queries[i] - t.queries[i - 1];
        const bool reconnected = std::any_of(t.opens.begin(), t.opens.end(), [&](double open) {
            return open > t.queries[i - 1] && open < t.queries[i];
        });
        QVERIFY2(reconnected || gap >= 9990, qPrintable(QStringLiteral("query %1 after %2 ms").arg(i).arg(gap)));
    }
}

} // namespace

class TestBatteryPoll : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    void everyTenSecondsOnBatteryModelsOnly()
    {
        WheelWindow w(QStringLiteral("R-VELO"), 0x2007, tracePath());
        QTRY_VERIFY_WITH_TIMEOUT(timeline(tracePath()).queries.size() >= 3, 45000);
        // On the trace's own clock: the first query at the connection, not a period later; then
        // one per period, none missed.
        Timeline t = timeline(tracePath());
        QVERIFY2(t.queries[0] - t.opens[0] < 9990, qPrintable(QString::number(t.queries[0] - t.opens[0])));
        for (int i = 1; i < 3; ++i) {
            const double gap = t.queries[i] - t.queries[i - 1];
            QVERIFY2(gap >= 9990 && gap < 19990, qPrintable(QString::number(gap)));
        }

        // A KTR2 comes in before the R-VELO's next tick is due: that tick must not query it.
        w.wheel.setModel(QStringLiteral("KTR2"));
        w.wheel.unplug();
        QTRY_VERIFY_WITH_TIMEOUT(!deviceHandle.isOpen(), 5000);
        w.wheel.plug();
        QTRY_VERIFY_WITH_TIMEOUT(
            MainWindowProbe::modelName(*w.window) == QLatin1String("KTR2") && deviceHandle.isOpen(), 10000);
        // Until the trace's clock has passed the tick's due time: an input report read then
        // carries the time.
        const double due = timeline(tracePath()).queries.last() + 10000 + 1000;
        const auto pastDue = [&] {
            w.wheel.queueInput(QByteArray(16, '\0'));
            const QList<TraceLine> reads = linesOfKind(readTrace(tracePath()), QStringLiteral("read"));
            return !reads.isEmpty() && reads.last().time > due;
        };
        QTRY_VERIFY_WITH_TIMEOUT(pastDue(), 30000);
        t = timeline(tracePath());
        QCOMPARE(queriesAfter(t, t.opens.last()), 0);
        QCOMPARE(w.ui()->lbBatStatus->text(), QStringLiteral("BATTERY STATUS:")); // not the R-VELO's
    }

    void quickReconnectsKeepOneChain()
    {
        WheelWindow w(QStringLiteral("R-VELO"), 0x2007, tracePath());
        QTRY_VERIFY_WITH_TIMEOUT(timeline(tracePath()).queries.size() == 1, 10000);
        // Five times gone and back within ten seconds: each new connection reads the battery at
        // once, while the tick the last one armed is still pending.
        for (int cycle = 1; cycle <= 5; ++cycle) {
            QTest::qWait(1500);
            w.wheel.unplug();
            w.wheel.plug();
            QTRY_VERIFY_WITH_TIMEOUT(timeline(tracePath()).opens.size() == cycle + 1, 8000);
        }
        const double lastOpen = timeline(tracePath()).opens.last();
        QTRY_VERIFY_WITH_TIMEOUT(queriesAfter(timeline(tracePath()), lastOpen) >= 3, 35000);
        QTest::qWait(500);
        const Timeline t = timeline(tracePath());
        verifyOneChain(t);
        QCOMPARE(queriesAfter(t, lastOpen), 3);
    }

private:
    QString tracePath() const { return m_dir->filePath(QStringLiteral("trace.log")); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_MAIN(TestBatteryPoll)
#include "tst_batterypoll.moc"
