// --release: six names in the optional build, an unknown option in the plain one.
#include "startup/appoptions.h"

#include <QTest>

class TestReleaseOptions : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
};

void TestReleaseOptions::parse_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("release"); // empty: a usage error in either build

    QTest::newRow("none is 1.20") << QStringList{} << "1.20";
    for (const char* name : {"1.20", "1.15", "1.14s", "1.14n", "1.13", "1.12"})
        QTest::newRow(name) << QStringList{"--release", name} << name;
    QTest::newRow("=form") << QStringList{"--release=1.13"} << "1.13";
    for (const char* name : {"1.14", "1.14S", "v1.15", "1.2", "1.21", "", " 1.15"})
        QTest::newRow(qPrintable(QStringLiteral("bad '%1'").arg(name))) << QStringList{"--release", name} << QString();
    QTest::newRow("no value") << QStringList{"--release"} << QString();
}

void TestReleaseOptions::parse()
{
    QFETCH(QStringList, args);
    QFETCH(QString, release);
    args.prepend(QStringLiteral("tarvoset"));
    const AppOptionsResult result = parseAppOptions(args);
#ifdef TARVO_OPTIONAL_SET
    const bool runs = !release.isEmpty();
#else
    const bool runs = args.size() == 1;
#endif
    QCOMPARE(result.run, runs);
    QCOMPARE(result.exitCode, runs ? 0 : 2);
#ifdef TARVO_OPTIONAL_SET
    if (runs)
        QCOMPARE(result.options.release, release);
#endif
}

QTEST_GUILESS_MAIN(TestReleaseOptions)
#include "tst_releaseoptions.moc"
