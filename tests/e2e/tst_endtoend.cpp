// The built program, run as a user or a script would: a virtual wheel, a trace file and the
// control socket. Each case runs it under a name of its own so that guards never collide.
#include "support/controlsocket.h"
#include "tracefile.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {
QString programPath()
{
    return qEnvironmentVariable("TARVOSET_EXE");
}

bool traceHas(const QString& path, const QString& kind, const QString& data, int result)
{
    for (const TraceLine& line : readTrace(path))
        if (line.kind == kind && line.data.startsWith(data) && line.result == result)
            return true;
    return false;
}
} // namespace

class TestEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void connectsTracesAndLosesTheWheel();
    void usageErrors_data();
    void usageErrors();
    void malformedStateFileIsLeftUntouched_data();
    void malformedStateFileIsLeftUntouched();
    void versionAndHelp();

private:
    QString program(const QString& name);
    QTemporaryDir m_dir;
};

void TestEndToEnd::initTestCase()
{
    QVERIFY2(QFile::exists(programPath()), "TARVOSET_EXE must name the built program");
    QVERIFY(m_dir.isValid());
}

QString TestEndToEnd::program(const QString& name)
{
    const QString link = m_dir.filePath(QStringLiteral("%1-%2").arg(name).arg(QCoreApplication::applicationPid()));
    if (!QFile::exists(link) && !QFile::link(programPath(), link))
        QFile::copy(programPath(), link);
    return link;
}

void TestEndToEnd::connectsTracesAndLosesTheWheel()
{
    const QString trace = m_dir.filePath(QStringLiteral("ktr2.log"));
    const QString control = QStringLiteral("tarvoset-e2e-control-%1").arg(QCoreApplication::applicationPid());
    QProcess tool;
    tool.setProcessChannelMode(QProcess::ForwardedChannels);
    tool.start(program(QStringLiteral("tarvoset-e2e")),
               {"--virtual-wheel", "KTR2", "--hid-trace", trace, "--wheel-control", control});
    QVERIFY(tool.waitForStarted());

    QTRY_VERIFY_WITH_TIMEOUT(traceHas(trace, "open", "7e57:2007", 1), 10000);
    // The model query and its answer follow the open.
    QTRY_VERIFY_WITH_TIMEOUT(traceHas(trace, "send-feature", "020b0d00", 20), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(
        traceHas(trace, "get-feature", "020d" + QString::fromLatin1(QByteArray("KTR2").toHex()), 21), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(controlCommand(control, "state").left(1), QStringLiteral("{"), 5000);
    const QJsonObject state = QJsonDocument::fromJson(controlCommand(control, "state").toUtf8()).object();
    QCOMPARE(state.value("model").toString(), QStringLiteral("KTR2"));
    QCOMPARE(state.value("productId").toString(), QStringLiteral("2007"));
    QCOMPARE(state.value("connected").toBool(), true);

    // An input report crosses the link as a read line.
    QCOMPARE(controlCommand(control, "input 00080010" + QString(24, QLatin1Char('0'))), QStringLiteral("ok"));
    QTRY_VERIFY_WITH_TIMEOUT(traceHas(trace, "read", "0100080010", 17), 10000);

    // Unplugged: the handle is closed and every id is tried again at once.
    const int opensBefore = linesOfKind(readTrace(trace), "open").size();
    QCOMPARE(controlCommand(control, "unplug"), QStringLiteral("ok"));
    QTRY_VERIFY_WITH_TIMEOUT(traceHas(trace, "close", "-", 0), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(linesOfKind(readTrace(trace), "open").size() >= opensBefore + 7, 10000);
    const QList<TraceLine> opens = linesOfKind(readTrace(trace), "open");
    for (int i = opensBefore; i < opensBefore + 7; ++i)
        QCOMPARE(opens[i].result, 0);
    // At once, by the program's own clock: well before the 3000 ms retry delay.
    const double reopenAfter = opens[opensBefore].time - linesOfKind(readTrace(trace), "close").last().time;
    QVERIFY2(reopenAfter < 2000, qPrintable(QString::number(reopenAfter)));
    QVERIFY(controlCommand(control, "error-please").startsWith(QStringLiteral("error: ")));

    QCOMPARE(controlCommand(control, "plug"), QStringLiteral("ok"));
    QTRY_VERIFY_WITH_TIMEOUT(linesOfKind(readTrace(trace), "open").last().result == 1, 10000);

    for (const TraceLine& line : readTrace(trace))
        QVERIFY2(line.kind != QLatin1String("malformed"), qPrintable(line.data));
    tool.terminate();
    QVERIFY(tool.waitForFinished(5000));
}

void TestEndToEnd::usageErrors_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::newRow("unknown option") << QStringList{"--no-such-option"};
    QTest::newRow("bad pid") << QStringList{"--virtual-wheel", "KTR2", "--virtual-wheel-pid", "1234"};
    QTest::newRow("plain http update server") << QStringList{"--update-server", "http://127.0.0.1/"};
}

void TestEndToEnd::usageErrors()
{
    QFETCH(QStringList, args);
    QProcess tool;
    tool.start(program(QStringLiteral("tarvoset-usage")), args);
    QVERIFY(tool.waitForFinished(10000));
    QCOMPARE(tool.exitCode(), 2);
    const QString err = QString::fromUtf8(tool.readAllStandardError());
    QVERIFY2(err.contains(QStringLiteral("Usage:")), qPrintable(err));
    QVERIFY(tool.readAllStandardOutput().isEmpty());
}

void TestEndToEnd::malformedStateFileIsLeftUntouched_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("not json") << QByteArray("this is { not json");
    QTest::newRow("truncated") << QByteArray("{\"flash\": {\"paddleMode\": 5");
    QTest::newRow("array") << QByteArray("[1, 2, 3]");
}

void TestEndToEnd::malformedStateFileIsLeftUntouched()
{
    QFETCH(QByteArray, content);
    const QString path = m_dir.filePath(QStringLiteral("state.json"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
    file.close();

    QProcess tool;
    tool.start(program(QStringLiteral("tarvoset-state")), {"--virtual-wheel", "R-VELO", "--virtual-wheel-state", path});
    QVERIFY(tool.waitForFinished(10000));
    QCOMPARE(tool.exitCode(), 2);
    QVERIFY(!tool.readAllStandardError().trimmed().isEmpty());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), content);
}

void TestEndToEnd::versionAndHelp()
{
    QProcess tool;
    tool.start(program(QStringLiteral("tarvoset-version")), {"--version"});
    QVERIFY(tool.waitForFinished(10000));
    QCOMPARE(tool.exitCode(), 0);
    QVERIFY(tool.readAllStandardOutput().contains("v1.20"));

    tool.start(program(QStringLiteral("tarvoset-version")), {"--help"});
    QVERIFY(tool.waitForFinished(10000));
    QCOMPARE(tool.exitCode(), 0);
    const QByteArray help = tool.readAllStandardOutput();
    for (const char* option : {"--virtual-wheel", "--virtual-wheel-pid", "--virtual-wheel-state", "--wheel-control",
                               "--demo", "--hid-trace", "--update-server", "--ca-certificates"})
        QVERIFY2(help.contains(option), option);
}

QTEST_GUILESS_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
