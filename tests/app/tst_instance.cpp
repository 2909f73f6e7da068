// The single-instance guard with real processes. Each case runs the program under a name of
// its own (a symbolic link), since the guard's socket is named after the executable.
#include "app/instanceguard.h"
#include "app/trayavailability.h"
#include "support/mainwindowprobe.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {
// The exit code -17 as the parent sees it.
constexpr int kAlreadyRunning = -17 & 0xff;
const QByteArray kAlreadyRunningLine = "TarvoSet is already running; its window has been brought to the front.\n";

QString programPath()
{
    return qEnvironmentVariable("TARVOSET_EXE");
}

// A child that never outlives its test, even when the test fails half-way.
class ChildProcess : public QProcess
{
public:
    ~ChildProcess() override
    {
        if (state() != QProcess::NotRunning) {
            kill();
            waitForFinished(3000);
        }
    }
};

bool answers(const QString& name)
{
    QLocalSocket socket;
    socket.connectToServer(InstanceGuard::serverName(name));
    return socket.waitForConnected(200);
}
} // namespace

class TestInstance : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void secondStartExitsAndRestoresRunningWindow();
    void secondProcessExitsFirstKeepsRunning();
    void simultaneousStartsLeaveOneWindow();
    void crashedInstanceLeavesNoGuardBehind();
    void fileOfTheGuardsNameIsNeverRemoved();
    void anotherUsersInstanceIsNotThisUsers();

private:
    // A link to the program named name inside the temporary directory.
    QString linkAs(const QString& name);
    void start(QProcess& process, const QString& program,
               QProcess::ProcessChannelMode mode = QProcess::ForwardedErrorChannel);

    QTemporaryDir m_dir;
};

void TestInstance::initTestCase()
{
    QVERIFY2(QFile::exists(programPath()), "TARVOSET_EXE must name the built program");
    QVERIFY(m_dir.isValid());
    // The guards live in a runtime folder of this test's own (beside the links, not among them).
    const QString runtime = m_dir.filePath(QStringLiteral("runtime"));
    QVERIFY(QDir().mkdir(runtime));
    QVERIFY(QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
    TrayAvailability::setForTesting(true); // the offscreen platform has none
}

QString TestInstance::linkAs(const QString& name)
{
    const QString link = m_dir.filePath(name);
    QFile::remove(link);
    if (!QFile::link(programPath(), link))
        QFile::copy(programPath(), link);
    return link;
}

void TestInstance::start(QProcess& process, const QString& program, QProcess::ProcessChannelMode mode)
{
    // A virtual wheel keeps the children away from any real wheel on the machine.
    process.setProcessChannelMode(mode);
    process.start(program, {QStringLiteral("--virtual-wheel"), QStringLiteral("R-VELO")});
}

void TestInstance::secondStartExitsAndRestoresRunningWindow()
{
    // This test process is the running instance: same name as the link below.
    MainWindow w;
    w.show();
    QVERIFY(MainWindowProbe::instanceServer(w).isListening());
    QVERIFY(QMetaObject::invokeMethod(&w, "onMinimize"));
    QVERIFY(!w.isVisible());

    ChildProcess second;
    start(second, linkAs(QCoreApplication::applicationName()), QProcess::SeparateChannels);
    QVERIFY(second.waitForFinished(10000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), kAlreadyRunning);
    QCOMPARE(second.readAllStandardError(), kAlreadyRunningLine);
    QTRY_VERIFY(w.isVisible());
    QVERIFY(!MainWindowProbe::trayIcon(w)->isVisible());
}

void TestInstance::secondProcessExitsFirstKeepsRunning()
{
    const QString name = QStringLiteral("tarvoset-guard-%1").arg(QCoreApplication::applicationPid());
    const QString program = linkAs(name);
    ChildProcess first;
    start(first, program);
    QVERIFY(first.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(answers(name), 10000);

    ChildProcess second;
    start(second, program);
    QVERIFY(second.waitForFinished(10000));
    QCOMPARE(second.exitCode(), kAlreadyRunning);
    QCOMPARE(first.state(), QProcess::Running);

    first.terminate();
    if (!first.waitForFinished(5000))
        first.kill();
}

void TestInstance::simultaneousStartsLeaveOneWindow()
{
    // A double click on a launcher: two starts at the same moment, before either listens.
    for (int round = 0; round < 3; ++round) {
        const QString name = QStringLiteral("tarvoset-twice-%1-%2").arg(QCoreApplication::applicationPid()).arg(round);
        const QString program = linkAs(name);
        ChildProcess a;
        ChildProcess b;
        start(a, program, QProcess::SeparateChannels);
        start(b, program, QProcess::SeparateChannels);
        QVERIFY(a.waitForStarted() && b.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(a.state() == QProcess::NotRunning || b.state() == QProcess::NotRunning, 20000);
        ChildProcess& later = a.state() == QProcess::NotRunning ? a : b;
        ChildProcess& first = &later == &a ? b : a;
        QCOMPARE(later.exitStatus(), QProcess::NormalExit);
        QCOMPARE(later.exitCode(), kAlreadyRunning);
        QCOMPARE(later.readAllStandardError(), kAlreadyRunningLine);
        QTRY_VERIFY_WITH_TIMEOUT(answers(name), 10000);
        QCOMPARE(first.state(), QProcess::Running);

        first.terminate();
        if (!first.waitForFinished(5000))
            first.kill();
    }
}

void TestInstance::crashedInstanceLeavesNoGuardBehind()
{
#ifdef Q_OS_WIN
    QSKIP("Named pipes vanish with their process; only Unix keeps a socket file behind.");
#else
    const QString name = QStringLiteral("tarvoset-stale-%1").arg(QCoreApplication::applicationPid());
    const QString program = linkAs(name);
    ChildProcess crashed;
    start(crashed, program);
    QTRY_VERIFY_WITH_TIMEOUT(answers(name), 10000);
    crashed.kill(); // SIGKILL: no chance to remove its socket
    QVERIFY(crashed.waitForFinished(5000));
    QVERIFY2(QFile::exists(InstanceGuard::serverName(name)), "the killed instance should leave its socket file");
    QVERIFY(!answers(name));

    // The next start must take over the guard instead of running unguarded...
    ChildProcess next;
    start(next, program);
    QTRY_VERIFY_WITH_TIMEOUT(answers(name), 10000);
    QCOMPARE(next.state(), QProcess::Running);

    // ...so that the start after it is refused, and no third window opens.
    ChildProcess third;
    start(third, program);
    QVERIFY(third.waitForFinished(10000));
    QCOMPARE(third.exitCode(), kAlreadyRunning);
    QCOMPARE(next.state(), QProcess::Running);

    next.terminate();
    if (!next.waitForFinished(5000))
        next.kill();
    QFile::remove(InstanceGuard::serverName(name));
#endif
}

void TestInstance::fileOfTheGuardsNameIsNeverRemoved()
{
#ifdef Q_OS_WIN
    QSKIP("Only Unix keeps the guard as a file.");
#else
    // Someone's file happens to carry the guard's name: the instance runs unguarded rather
    // than delete it.
    const QString name = QStringLiteral("tarvoset-notasocket-%1").arg(QCoreApplication::applicationPid());
    const QString path = InstanceGuard::serverName(name);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("keep me");
    file.close();

    QLocalServer server;
    QVERIFY(!InstanceGuard::listen(server, name));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("keep me"));
    file.close();
    QFile::remove(path);

    // With the name free, the guard listens.
    QVERIFY(InstanceGuard::listen(server, name));
#endif
}

void TestInstance::anotherUsersInstanceIsNotThisUsers()
{
#ifdef Q_OS_WIN
    QSKIP("Another user's pipe cannot be made here; the name's user part is the whole difference.");
#else
    // Another user's instance of the same program, listening in the shared temporary folder.
    const QString name = QStringLiteral("tarvoset-users-%1").arg(QCoreApplication::applicationPid());
    QLocalServer otherUser;
    QVERIFY(otherUser.listen(QDir::temp().filePath(name)));
    const QString program = linkAs(name);
    ChildProcess first;
    start(first, program);
    QTRY_VERIFY_WITH_TIMEOUT(answers(name), 10000);
    QVERIFY(!otherUser.hasPendingConnections());
    first.terminate();
    if (!first.waitForFinished(5000))
        first.kill();
#endif
}

QTEST_MAIN(TestInstance)
#include "tst_instance.moc"
