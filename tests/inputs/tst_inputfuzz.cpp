// Random reports of every length, for every model: the window survives them and lights
// exactly the indicators that are active, enabled and placed by the model.
#include "settings/modellayouts.h"
#include "support/wheelwindow.h"

#include <QLoggingCategory>
#include <QRandomGenerator>
#include <QSet>
#include <QTest>

class TestInputFuzz : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void randomReports_data();
    void randomReports();
};

void TestInputFuzz::initTestCase()
{
    QLoggingCategory::setFilterRules(QStringLiteral("tarvoset.input.debug=false"));
}

void TestInputFuzz::randomReports_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<quint32>("seed");

    quint32 seed = 0x7a55e7;
    for (const tarvo::ModelLayout& layout : tarvo::modelLayouts())
        QTest::newRow(layout.key) << QString::fromLatin1(layout.key) << seed++;
    QTest::newRow("unknown model") << QStringLiteral("NOVA9") << seed++;
}

void TestInputFuzz::randomReports()
{
    QFETCH(QString, model);
    QFETCH(quint32, seed);

    WheelWindow m(model);
    QVERIFY(m.waitConnected(model));
    QVERIFY(m.show());

    // The indicators that have a place on this model's picture. The extra-shifter pair has no
    // placement of its own: cbShifter alone decides whether it shows.
    QSet<int> placed;
    const QByteArray key = model.toLatin1();
    if (const tarvo::ModelLayout* layout = tarvo::modelLayout(key.constData())) {
        for (const tarvo::WidgetPlacement& p : layout->indicators) {
            for (const InputIndicator& entry : inputIndicators) {
                if (qstrcmp(entry.name, p.name) == 0)
                    placed.insert(entry.input);
            }
        }
    }

    QRandomGenerator random(seed);
    QList<int> before = m.litTips();
    QCOMPARE(before, QList<int>{});
    QCOMPARE(m.lit(), QList<int>{});
    constexpr int kReports = 3000;
    for (int n = 0; n < kReports; ++n) {
        if (n % 250 == 0) {
            // Now and then another shifter setting and another few indicators disabled.
            m.setShifter(random.bounded(2) == 1);
            // Only placed ones: the rest stay as the model left them, which is what is under test.
            for (int i : std::as_const(placed))
                m.indicator(i)->setEnabled(random.bounded(8) != 0);
        }

        const int length = int(random.bounded(18)); // 0 to 17 bytes
        QByteArray report(length, '\0');
        // Sparse as often as dense, so that indicators both come and go.
        const quint32 density = random.bounded(4);
        for (char& byte : report)
            byte = char(random.generate() & (density == 0 ? 0x00 : density == 1 ? 0x11 : 0xFF));
        m.feed(report);

        QByteArray padded = report.left(16);
        padded.append(QByteArray(16 - padded.size(), '\0'));
        const bool shifter = m.ui()->cbShifter->isChecked();
        QList<int> expected;
        for (const InputIndicator& entry : inputIndicators) {
            const int i = entry.input;
            const bool active = (quint8(padded[4 + i / 8]) >> (i % 8) & 1) != 0;
            const bool shown = i >= 48 ? shifter : placed.contains(i);
            if (active && shown && (m.ui()->*entry.widget)->isEnabled())
                expected.append(i);
        }
        // The status tips follow every report; the screen catches up now and then.
        const QList<int> now = m.litTips();
        if (now != expected) {
            qWarning() << "report" << n << report.toHex() << "lit" << now << "expected" << expected;
            QFAIL("wrong indicators lit");
        }
        QList<int> released;
        for (int i : before) {
            if (!now.contains(i))
                released.append(i);
        }
        QCOMPARE(MainWindowProbe::releasedInputs(*m.window), released);
        before = now;
        if (n % 250 == 249)
            QTRY_COMPARE(m.lit(), now);
    }
}

QTEST_MAIN(TestInputFuzz)
#include "tst_inputfuzz.moc"
