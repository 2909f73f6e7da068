// The command line: what runs, what exits, and with which code.
#include "firmware/updateserver.h"
#include "startup/appoptions.h"
#include "startup/appsetup.h"
#include "support/mainwindowprobe.h"

#include <QCoreApplication>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestAppOptions : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void parse_data();
    void parse();
    void answeredWithoutDisplay_data();
    void answeredWithoutDisplay();
    void everyOptionReachesWhatItControls();

private:
    QTemporaryDir m_dir;
};

void TestAppOptions::initTestCase()
{
    // A certificate authority of our own, its key alone, and an empty file.
    QVERIFY(m_dir.isValid());
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"),
                  {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes", "-subj",
                   "/CN=TarvoSet test CA", "-days", "1", "-keyout", m_dir.filePath("key.pem"), "-out",
                   m_dir.filePath("ca.pem")});
    QVERIFY2(openssl.waitForFinished(30000) && openssl.exitCode() == 0, openssl.readAllStandardError().constData());
    QFile empty(m_dir.filePath("empty.pem"));
    QVERIFY(empty.open(QIODevice::WriteOnly));
}

void TestAppOptions::parse_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("run");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("model");
    QTest::addColumn<int>("pid");

    QTest::newRow("nothing: real wheels") << QStringList{} << true << 0 << QString() << 0x2007;
    QTest::newRow("demo is a virtual R-VELO") << QStringList{"--demo"} << true << 0 << "R-VELO" << 0x2007;
    QTest::newRow("virtual wheel") << QStringList{"--virtual-wheel", "KTR2"} << true << 0 << "KTR2" << 0x2007;
    QTest::newRow("pid") << QStringList{"--virtual-wheel", "QLN5", "--virtual-wheel-pid", "200b"} << true << 0 << "QLN5"
                         << 0x200b;
    QTest::newRow("pid upper case") << QStringList{"--virtual-wheel", "X", "--virtual-wheel-pid", "200D"} << true << 0
                                    << "X" << 0x200d;
    QTest::newRow("pid out of range") << QStringList{"--virtual-wheel", "X", "--virtual-wheel-pid", "2006"} << false
                                      << 2 << QString() << 0;
    QTest::newRow("pid not hex") << QStringList{"--virtual-wheel", "X", "--virtual-wheel-pid", "zz"} << false << 2
                                 << QString() << 0;
    QTest::newRow("model of 19 bytes") << QStringList{"--virtual-wheel", QString(19, 'M')} << true << 0
                                       << QString(19, 'M') << 0x2007;
    QTest::newRow("model of 20 bytes") << QStringList{"--virtual-wheel", QString(20, 'M')} << false << 2 << QString()
                                       << 0;
    QTest::newRow("unknown option") << QStringList{"--frobnicate"} << false << 2 << QString() << 0;
    QTest::newRow("missing value") << QStringList{"--virtual-wheel"} << false << 2 << QString() << 0;
    QTest::newRow("stray argument") << QStringList{"extra"} << false << 2 << QString() << 0;
    QTest::newRow("state without virtual wheel")
        << QStringList{"--virtual-wheel-state", "s.json"} << false << 2 << QString() << 0;
    QTest::newRow("pid without virtual wheel")
        << QStringList{"--virtual-wheel-pid", "2008"} << false << 2 << QString() << 0;
    QTest::newRow("pid with demo") << QStringList{"--demo", "--virtual-wheel-pid", "2008"} << true << 0 << "R-VELO"
                                   << 0x2008;
    QTest::newRow("update server https") << QStringList{"--update-server", "https://127.0.0.1:8443/"} << true << 0
                                         << QString() << 0x2007;
    QTest::newRow("update server http refused")
        << QStringList{"--update-server", "http://127.0.0.1/"} << false << 2 << QString() << 0;
    QTest::newRow("update server without slash")
        << QStringList{"--update-server", "https://127.0.0.1"} << false << 2 << QString() << 0;
    QTest::newRow("unreadable CA file") << QStringList{"--ca-certificates", "/nonexistent/ca.pem"} << false << 2
                                        << QString() << 0;
    QTest::newRow("CA file") << QStringList{"--ca-certificates", m_dir.filePath("ca.pem")} << true << 0 << QString()
                             << 0x2007;
    QTest::newRow("CA file with a key only")
        << QStringList{"--ca-certificates", m_dir.filePath("key.pem")} << false << 2 << QString() << 0;
    QTest::newRow("empty CA file") << QStringList{"--ca-certificates", m_dir.filePath("empty.pem")} << false << 2
                                   << QString() << 0;
    QTest::newRow("help") << QStringList{"--help"} << false << 0 << QString() << 0;
    QTest::newRow("version") << QStringList{"--version"} << false << 0 << QString() << 0;
}

void TestAppOptions::parse()
{
    QFETCH(QStringList, args);
    QFETCH(bool, run);
    QFETCH(int, exitCode);
    QFETCH(QString, model);
    QFETCH(int, pid);
    args.prepend(QStringLiteral("tarvoset"));
    const AppOptionsResult result = parseAppOptions(args);
    QCOMPARE(result.run, run);
    QCOMPARE(result.exitCode, exitCode);
    if (run) {
        QCOMPARE(result.options.virtualWheel, !model.isEmpty());
        QCOMPARE(result.options.virtualWheelModel, model);
        QCOMPARE(int(result.options.virtualWheelPid), pid);
    }
}

void TestAppOptions::answeredWithoutDisplay_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("out"); // a part of stdout
    QTest::addColumn<QByteArray>("err"); // a part of stderr

    QTest::newRow("help") << QStringList{"--help"} << 0 << QByteArray("--virtual-wheel <MODEL>") << QByteArray();
    QTest::newRow("version") << QStringList{"--version"} << 0 << QByteArray(" v1.20\n") << QByteArray();
    QTest::newRow("unknown option") << QStringList{"--frobnicate"} << 2 << QByteArray()
                                    << QByteArray("Unknown option 'frobnicate'");
    QTest::newRow("bad value") << QStringList{"--virtual-wheel", "X", "--virtual-wheel-pid", "1"} << 2 << QByteArray()
                               << QByteArray("2007 to 200d");
    // Qt's own options stay usable next to ours.
    QTest::newRow("Qt option before version")
        << QStringList{"-platform", "offscreen", "--version"} << 0 << QByteArray(" v1.20\n") << QByteArray();
}

void TestAppOptions::answeredWithoutDisplay()
{
    // Over SSH: no display to talk to, and the platform that needs one.
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, err);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(qEnvironmentVariable("TARVOSET_EXE"), args);
    QVERIFY2(program.waitForFinished(30000), "the program did not end");
    const QByteArray stdoutText = program.readAllStandardOutput();
    const QByteArray stderrText = program.readAllStandardError();
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QVERIFY2(program.exitCode() == exitCode, stderrText.constData());
    QVERIFY2(stdoutText.contains(out), stdoutText.constData());
    QVERIFY2(stderrText.contains(err), stderrText.constData());
}

void TestAppOptions::everyOptionReachesWhatItControls()
{
    const QString control = QStringLiteral("tarvoset-options-%1").arg(QCoreApplication::applicationPid());
    const QString trace = m_dir.filePath("trace.log");
    const QString state = m_dir.filePath("wheel.json");
    const AppOptionsResult parsed =
        parseAppOptions({"tarvoset", "--virtual-wheel", "KTR2", "--virtual-wheel-pid", "200b", "--virtual-wheel-state",
                         state, "--wheel-control", control, "--demo", "--hid-trace", trace, "--update-server",
                         "https://127.0.0.1:8443/mirror/", "--ca-certificates", m_dir.filePath("ca.pem")});
    QVERIFY(parsed.run);
    AppSetup setup;
    QString error;
    QVERIFY2(setup.apply(parsed.options, &error), qPrintable(error));
    MainWindow w;
    QTRY_COMPARE_WITH_TIMEOUT(MainWindowProbe::modelName(w), QStringLiteral("KTR2"), 10000);
    QCOMPARE(MainWindowProbe::productId(w), 0x200bu);
    QCOMPARE(MainWindowProbe::upgradeBaseUrl(w), QStringLiteral("https://127.0.0.1:8443/mirror/upgrade/ktr2/"));
    QCOMPARE(updateCaCertificates(), m_dir.filePath("ca.pem"));

    // The trace sees the open of the chosen id, and the demo's reports arrive unasked.
    const auto traced = [&](const QByteArray& part) {
        QFile file(trace);
        return file.open(QIODevice::ReadOnly) && file.readAll().contains(part);
    };
    QVERIFY(traced(" open 7e57:200b 1\n"));
    QTRY_VERIFY_WITH_TIMEOUT(traced(" read 01"), 10000);

    // The control socket reaches the wheel, whose stored change reaches the state file.
    QLocalSocket socket;
    socket.connectToServer(control);
    QVERIFY(socket.waitForConnected(5000));
    socket.write("set pulseWidth 77\n");
    QTRY_VERIFY_WITH_TIMEOUT(socket.canReadLine(), 10000);
    QCOMPARE(socket.readLine(), QByteArray("ok\n"));
    QFile file(state);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY2(file.readAll().contains("\"pulseWidth\": 77"), "the state file was not written");
    QVERIFY(QMetaObject::invokeMethod(&w, "onClose"));
}

QTEST_MAIN(TestAppOptions)
#include "tst_appoptions.moc"
