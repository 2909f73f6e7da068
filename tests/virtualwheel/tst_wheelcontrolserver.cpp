// The control socket: every command word, refused arguments that change nothing, the
// state line, and lines that arrive in pieces or several at once from several clients.
#include "virtualwheel/virtualwheel.h"
#include "virtualwheel/wheelcontrolserver.h"
#include "wheeltest.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QtTest>

#ifdef Q_OS_UNIX
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#endif

using namespace wheeltest;

namespace {

constexpr std::uint16_t kVendor = 0x7E57;
constexpr std::uint16_t kPid = 0x2007;

QString uniqueName(const char* what)
{
    return QStringLiteral("tarvoset-test-%1-%2").arg(what).arg(QCoreApplication::applicationPid());
}

// Waits, with the event loop running, until count lines came back.
QStringList readLines(QLocalSocket& socket, int count, int timeoutMs = 5000)
{
    QStringList lines;
    QElapsedTimer timer;
    timer.start();
    while (lines.size() < count && timer.elapsed() < timeoutMs) {
        while (lines.size() < count && socket.canReadLine())
            lines.append(QString::fromUtf8(socket.readLine()).chopped(1));
        if (lines.size() < count)
            QTest::qWait(5);
    }
    return lines;
}

} // namespace

class TestWheelControlServer : public QObject
{
    Q_OBJECT

private slots:
    void accepted_data();
    void accepted();
    void refused_data();
    void refused();
    void stateMembers_data();
    void stateMembers();
    void inputReachesTheDevice();
    void unplugAndPlug();
    void severalLinesInOneWrite();
    void partialLines();
    void severalClients();
    void overlongLine();
    void nameInUseIsRefused();
#ifdef Q_OS_UNIX
    void leftOverOfTheName_data();
    void leftOverOfTheName();
    void answersAClientThatHasFinishedWriting();
#endif
};

void TestWheelControlServer::accepted_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("checks"); // "path=json" in the state afterwards

    QTest::newRow("input, short") << "input 0102" << QStringList{"pendingInputs=1"};
    QTest::newRow("input, 16 bytes, upper case")
        << "input 00112233445566778899AABBCCDDEEFF" << QStringList{"pendingInputs=1"};
    QTest::newRow("model") << "model KTR2" << QStringList{R"(model="KTR2")"};
    QTest::newRow("model keeps its blanks") << "model  R-VELO x " << QStringList{R"(model=" R-VELO x ")"};
    QTest::newRow("model empty") << "model" << QStringList{R"(model="")"};
    QTest::newRow("model of 19 bytes") << "model ABCDEFGHIJKLMNOPQRS" << QStringList{R"(model="ABCDEFGHIJKLMNOPQRS")"};
    QTest::newRow("model in UTF-8") << "model Ünï" << QStringList{R"(model="Ünï")"};
    QTest::newRow("version with tab") << "version \\tAug  3 2023,14:05"
                                      << QStringList{R"(version="\tAug  3 2023,14:05")"};
    QTest::newRow("version of 20 bytes") << "version 12345678901234567890"
                                         << QStringList{R"(version="12345678901234567890")"};
    QTest::newRow("battery") << "battery 55 4299 1"
                             << QStringList{"battery.percent=55", "battery.supply=4299", "battery.link=1"};
    QTest::newRow("battery, widest values, extra blanks")
        << "battery  255 65535  255 " << QStringList{"battery.percent=255", "battery.supply=65535", "battery.link=255"};
    QTest::newRow("aux-lamps 0") << "aux-lamps 0" << QStringList{"auxLampsFlag=0"};
    QTest::newRow("aux-lamps other byte") << "aux-lamps 2" << QStringList{"auxLampsFlag=2"};
    QTest::newRow("shifter position") << "shifter 7 4095"
                                      << QStringList{"shifterPositions.7=4095", "flash.shifters.7=2048"};
    QTest::newRow("set paddleMode 220") << "set paddleMode 220"
                                        << QStringList{"live.paddleMode=220", "flash.paddleMode=220"};
    QTest::newRow("set calRightMax") << "set calRightMax 65535"
                                     << QStringList{"live.calRightMax=65535", "flash.calRightMax=65535"};
    QTest::newRow("set calLeftMax") << "set calLeftMax 1" << QStringList{"live.calLeftMax=1", "flash.calLeftMax=1"};
    QTest::newRow("set calRightMin") << "set calRightMin 2" << QStringList{"flash.calRightMin=2"};
    QTest::newRow("set calLeftMin") << "set calLeftMin 3" << QStringList{"live.calLeftMin=3"};
    QTest::newRow("set pulseWidth -1") << "set pulseWidth -1"
                                       << QStringList{"live.pulseWidth=-1", "flash.pulseWidth=-1"};
    QTest::newRow("set pulseWidth lowest")
        << "set pulseWidth -2147483648" << QStringList{"flash.pulseWidth=-2147483648"};
    QTest::newRow("set clutchEnable highest")
        << "set clutchEnable 4294967295" << QStringList{"live.clutchEnable=4294967295"};
    QTest::newRow("set shifter") << "set shifter 6 100" << QStringList{"live.shifters.6=100", "flash.shifters.6=100"};
    QTest::newRow("set led") << "set led 47 255 0 5"
                             << QStringList{"live.leds.141=255", "live.leds.142=0", "live.leds.143=9",
                                            "flash.leds.143=9", "flash.leds.140=255"};
    QTest::newRow("set auxLamps") << "set auxLamps 1 2 3 4 5 6"
                                  << QStringList{"live.auxLamps=[1,2,3,4,5,6]", "flash.auxLamps=[1,2,3,4,5,6]"};
    QTest::newRow("fail-sends") << "fail-sends 3" << QStringList{"failSends=3"};
    QTest::newRow("fail-gets") << "fail-gets 2" << QStringList{"failGets=2"};
    QTest::newRow("latency") << "latency 100" << QStringList{"latencyMs=100"};
    QTest::newRow("unplug") << "unplug" << QStringList{"connected=false"};
    QTest::newRow("plug while plugged") << "plug" << QStringList{"connected=true"};
    QTest::newRow("state with a trailing blank") << "state " << QStringList{};
}

void TestWheelControlServer::accepted()
{
    QFETCH(QString, line);
    QFETCH(QStringList, checks);
    VirtualWheel wheel("R-VELO", kPid);
    WheelControlServer server(&wheel);
    const QString answer = server.execute(line);
    if (line.startsWith("state"))
        QVERIFY2(answer.startsWith('{'), qPrintable(answer));
    else
        QCOMPARE(answer, QString("ok"));
    const QJsonObject state = wheel.state();
    for (const QString& check : checks) {
        const QString path = check.section('=', 0, 0);
        QCOMPARE(compact(at(state, path)), compact(json(check.section('=', 1))));
    }
}

void TestWheelControlServer::refused_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("reason"); // a part of the answer after "error: "
    const QList<QPair<QString, QString>> rows = {
        {"", "empty command"},
        {" ", "empty command"},
        {"frobnicate", "unknown command"},
        {"INPUT 01", "unknown command"},
        {"State", "unknown command"},
        // input
        {"input", "usage: input HEX"},
        {"input 0", "odd number"},
        {"input zz", "not hex"},
        {"input 0g", "not hex"},
        {"input 01 02", "usage: input HEX"},
        {"input 0x01", "not hex"},
        {"input " + QString("00").repeated(17), "1 to 16 bytes"},
        {"input -1", "not hex"},
        // words without arguments
        {"unplug now", "takes no arguments"},
        {"plug 1", "takes no arguments"},
        {"state x", "takes no arguments"},
        // texts
        {"model ABCDEFGHIJKLMNOPQRST", "19 bytes"},
        {"model ÜÜÜÜÜÜÜÜÜÜ", "19 bytes"},
        {"version 123456789012345678901", "20 bytes"},
        {"version 12345678901234567890\\t", "20 bytes"},
        // battery
        {"battery", "usage: battery"},
        {"battery 1 2", "usage: battery"},
        {"battery 1 2 3 4", "usage: battery"},
        {"battery 256 0 0", "percent"},
        {"battery 1 65536 0", "supply"},
        {"battery 1 2 256", "link"},
        {"battery -1 2 3", "percent"},
        {"battery a b c", "percent"},
        {"battery +1 2 3", "percent"},
        {"battery 1.5 2 3", "percent"},
        {"battery 0x10 2 3", "percent"},
        // aux-lamps
        {"aux-lamps", "usage: aux-lamps"},
        {"aux-lamps 256", "aux-lamps flag"},
        {"aux-lamps x", "aux-lamps flag"},
        {"aux-lamps 1 2", "usage: aux-lamps"},
        {"aux-lamps -1", "aux-lamps flag"},
        // shifter
        {"shifter 4 100", "3, 5, 6 or 7"},
        {"shifter 8 100", "shifter"},
        {"shifter 2 100", "shifter"},
        {"shifter 3", "usage: shifter"},
        {"shifter 3 65536", "shifter value"},
        {"shifter 3 -1", "shifter value"},
        {"shifter 3 1 2", "usage: shifter"},
        {"shifter x 1", "shifter"},
        {"latency", "usage: latency MS"},
        {"latency 101", "latency"},
        {"latency -1", "latency"},
        // set
        {"set", "usage: set"},
        {"set paddleMode", "takes 1 value"},
        {"set paddleMode 256", "paddleMode: expected an integer from 0 to 255"},
        {"set paddleMode -1", "paddleMode: expected"},
        {"set paddleMode 1 2", "takes 1 value"},
        {"set PaddleMode 5", "unknown setting"},
        {"set bogus 1", "unknown setting"},
        {"set paddleMode five", "paddleMode: expected"},
        {"set pulseWidth 2147483648", "pulseWidth: expected"},
        {"set pulseWidth -2147483649", "pulseWidth: expected"},
        {"set pulseWidth 99999999999999999999", "pulseWidth: expected"},
        {"set clutchEnable 4294967296", "clutchEnable: expected"},
        {"set clutchEnable -1", "clutchEnable: expected"},
        {"set calRightMax 65536", "calRightMax: expected"},
        {"set calLeftMin -1", "calLeftMin: expected"},
        {"set shifter 4 5", "3, 5, 6 or 7"},
        {"set shifter 3", "takes 2 values"},
        {"set shifter 3 65536", "shifter value"},
        {"set shifter 3 1 1", "takes 2 values"},
        {"set led 48 0 0 0", "led slot"},
        {"set led -1 0 0 0", "led slot"},
        {"set led 0 256 0 0", "led level"},
        {"set led 0 0 0", "takes 4 values"},
        {"set led 0 0 0 0 0", "takes 4 values"},
        {"set auxLamps 1 2 3 4 5", "takes 6 values"},
        {"set auxLamps 1 2 3 4 5 256", "auxLamps level"},
        {"set auxLamps 1 2 3 4 5 6 7", "takes 6 values"},
        {"set auxLamps 1 2 3 4 5 -6", "auxLamps level"},
        // fault injection
        {"fail-sends", "usage: fail-sends"},
        {"fail-sends -1", "count"},
        {"fail-sends x", "count"},
        {"fail-gets 1 2", "usage: fail-gets"},
        {"fail-sends 99999999999", "count"},
        {"fail-gets 2147483648", "count"},
    };
    for (const auto& [line, reason] : rows)
        QTest::newRow(qPrintable(line.isEmpty() ? QString("(empty)") : line.left(60))) << line << reason;
}

void TestWheelControlServer::refused()
{
    QFETCH(QString, line);
    QFETCH(QString, reason);
    VirtualWheel wheel("R-VELO", kPid);
    WheelControlServer server(&wheel);
    const QJsonObject before = wheel.state();
    const QString answer = server.execute(line);
    QVERIFY2(answer.startsWith("error: ") && answer.contains(reason), qPrintable(answer));
    QVERIFY(!answer.contains('\n'));
    QCOMPARE(wheel.state(), before);
}

void TestWheelControlServer::stateMembers_data()
{
    QTest::addColumn<int>("pid");
    QTest::addColumn<QString>("productId");
    QTest::newRow("2007") << 0x2007 << "2007";
    QTest::newRow("200d") << 0x200D << "200d";
}

void TestWheelControlServer::stateMembers()
{
    QFETCH(int, pid);
    QFETCH(QString, productId);
    VirtualWheel wheel("R-VELO", std::uint16_t(pid));
    WheelControlServer server(&wheel);
    const QString line = server.execute("state");
    QVERIFY(!line.contains('\n'));
    QJsonParseError error;
    const QJsonObject state = QJsonDocument::fromJson(line.toUtf8(), &error).object();
    QCOMPARE(error.error, QJsonParseError::NoError);

    QCOMPARE(state.value("model").toString(), QString("R-VELO"));
    QCOMPARE(state.value("productId").toString(), productId);
    QVERIFY(state.value("connected").isBool());
    QVERIFY(state.value("version").isString());
    for (const char* key : {"percent", "supply", "link"})
        QVERIFY2(at(state, QString("battery.") + key).isDouble(), key);
    QVERIFY(state.value("auxLampsFlag").isDouble());
    for (const char* side : {"live", "flash"}) {
        const QJsonObject settings = state.value(side).toObject();
        for (const char* key :
             {"paddleMode", "calRightMax", "calLeftMax", "calRightMin", "calLeftMin", "pulseWidth", "clutchEnable"})
            QVERIFY2(settings.value(key).isDouble(), key);
        const QJsonObject shifters = settings.value("shifters").toObject();
        QCOMPARE(shifters.keys(), (QStringList{"3", "5", "6", "7"}));
        QCOMPARE(settings.value("leds").toArray().size(), 144);
        QCOMPARE(settings.value("auxLamps").toArray().size(), 6);
    }
    const QJsonObject firmware = state.value("firmware").toObject();
    QVERIFY(firmware.value("size").isDouble());
    QVERIFY(firmware.value("md5").isString());
    QVERIFY(firmware.value("blocks").isDouble());
    QVERIFY(firmware.value("complete").isBool());
    QVERIFY(firmware.value("inOrder").isBool());
}

void TestWheelControlServer::inputReachesTheDevice()
{
    VirtualWheel wheel("R-VELO", kPid);
    WheelControlServer server(&wheel);
    auto device = wheel.open(kVendor, kPid);
    device->setNonBlocking(true);
    QCOMPARE(server.execute("input 0a0B"), QString("ok"));
    QCOMPARE(server.execute("input 00112233445566778899aabbccddeeff"), QString("ok"));
    std::array<std::uint8_t, 17> data{};
    QCOMPARE(device->read(data.data(), 17), 3);
    QCOMPARE(toBytes(data).left(3).toHex(' '), QByteArray("01 0a 0b"));
    QCOMPARE(device->read(data.data(), 17), 17);
    QCOMPARE(toBytes(data).toHex(), QByteArray("0100112233445566778899aabbccddeeff"));
}

void TestWheelControlServer::unplugAndPlug()
{
    VirtualWheel wheel("R-VELO", kPid);
    WheelControlServer server(&wheel);
    auto device = wheel.open(kVendor, kPid);
    QCOMPARE(send(*device, frame("02 0c 04 96 00 00 00 00")), 20);
    QCOMPARE(server.execute("unplug"), QString("ok"));
    QCOMPARE(send(*device, frame("02 0b 0a")), -1);
    QVERIFY(!wheel.open(kVendor, kPid));
    QCOMPARE(server.execute("plug"), QString("ok"));
    auto fresh = wheel.open(kVendor, kPid);
    QVERIFY(fresh);
    QCOMPARE(int(query(*fresh, frame("02 0b 0c 04")).at(3)), 100);
}

void TestWheelControlServer::severalLinesInOneWrite()
{
    VirtualWheel wheel("R-VELO", kPid);
    WheelControlServer server(&wheel);
    const QString name = uniqueName("lines");
    QVERIFY2(server.listen(name), qPrintable(server.errorString()));
    QLocalSocket client;
    client.connectToServer(name);
    QVERIFY(client.waitForConnected(2000));
    client.write("set paddleMode 7\nbogus\nstate\nversion x\\ty\n");
    const QStringList lines = readLines(client, 4);
    QCOMPARE(lines.size(), 4);
    QCOMPARE(lines.at(0), QString("ok"));
    QVERIFY(lines.at(1).startsWith("error: "));
    const QJsonObject state = QJsonDocument::fromJson(lines.at(2).toUtf8()).object();
    QCOMPARE(at(state, "flash.paddleMode").toInt(), 7);
    QCOMPARE(lines.at(3), QString("ok"));
    QCOMPARE(wheel.state().value("version").toString(), QString("x\ty"));
}

void TestWheelControlServer::partialLines()
{
    VirtualWheel wheel("R-VELO", kPid);
    WheelControlServer server(&wheel);
    const QString name = uniqueName("partial");
    QVERIFY(server.listen(name));
    QLocalSocket client;
    client.connectToServer(name);
    QVERIFY(client.waitForConnected(2000));

    client.write("set pulse");
    client.flush();
    QTest::qWait(50);
    QVERIFY(!client.canReadLine());
    QCOMPARE(at(wheel.state(), "live.pulseWidth").toInt(), 100);
    client.write("Width 150\r\nfail-");
    QCOMPARE(readLines(client, 1), QStringList{"ok"});
    QCOMPARE(at(wheel.state(), "live.pulseWidth").toInt(), 150);
    client.write("sends 2");
    client.flush();
    QTest::qWait(30);
    client.write("\n");
    QCOMPARE(readLines(client, 1), QStringList{"ok"});
    QCOMPARE(wheel.state().value("failSends").toInt(), 2);
    // A multi-byte character split across writes.
    const QByteArray model = QString("model Ü").toUtf8();
    client.write(model.left(model.size() - 1));
    client.flush();
    QTest::qWait(30);
    client.write(model.right(1) + "\n");
    QCOMPARE(readLines(client, 1), QStringList{"ok"});
    QCOMPARE(wheel.state().value("model").toString(), QString("Ü"));
}

void TestWheelControlServer::severalClients()
{
    VirtualWheel wheel("R-VELO", kPid);
    WheelControlServer server(&wheel);
    const QString name = uniqueName("clients");
    QVERIFY(server.listen(name));
    QLocalSocket a, b;
    a.connectToServer(name);
    b.connectToServer(name);
    QVERIFY(a.waitForConnected(2000));
    QVERIFY(b.waitForConnected(2000));

    a.write("model AB");
    a.flush();
    b.write("version X\n");
    QCOMPARE(readLines(b, 1), QStringList{"ok"});
    QVERIFY(!a.canReadLine());
    a.write("C\n");
    QCOMPARE(readLines(a, 1), QStringList{"ok"});
    QCOMPARE(wheel.state().value("model").toString(), QString("ABC"));
    QCOMPARE(wheel.state().value("version").toString(), QString("X"));

    // One client leaving does not disturb the other.
    a.disconnectFromServer();
    QTest::qWait(30);
    b.write("aux-lamps 0\n");
    QCOMPARE(readLines(b, 1), QStringList{"ok"});
    QCOMPARE(wheel.state().value("auxLampsFlag").toInt(), 0);
}

void TestWheelControlServer::overlongLine()
{
    VirtualWheel wheel("R-VELO", kPid);
    WheelControlServer server(&wheel);
    const QString name = uniqueName("long");
    QVERIFY(server.listen(name));
    QLocalSocket client;
    client.connectToServer(name);
    QVERIFY(client.waitForConnected(2000));
    const QJsonObject before = wheel.state();
    client.write("model " + QByteArray(WheelControlServer::kMaxLineBytes * 3, 'x') + "\nplug\n");
    const QStringList lines = readLines(client, 2);
    QCOMPARE(lines.size(), 2);
    QVERIFY(lines.at(0).startsWith("error: "));
    QCOMPARE(lines.at(1), QString("ok"));
    QCOMPARE(wheel.state(), before);
}

void TestWheelControlServer::nameInUseIsRefused()
{
    const QString name = uniqueName("taken");
    QLocalServer other;
    QLocalServer::removeServer(name);
    QVERIFY(other.listen(name));
    VirtualWheel wheel("R-VELO", kPid);
    WheelControlServer server(&wheel);
    QVERIFY(!server.listen(name));
    // The other server still answers.
    QLocalSocket client;
    client.connectToServer(name);
    QVERIFY(client.waitForConnected(2000));
}

#ifdef Q_OS_UNIX
void TestWheelControlServer::leftOverOfTheName_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("replaced");
    // A crashed process leaves its socket; only that may be cleared away.
    QTest::newRow("stale socket") << "socket" << true;
    QTest::newRow("regular file") << "file" << false;
    QTest::newRow("folder") << "folder" << false;
    QTest::newRow("link") << "link" << false;
}

void TestWheelControlServer::leftOverOfTheName()
{
    QFETCH(QString, kind);
    QFETCH(bool, replaced);
    const QString name = uniqueName("leftover");
    const QString path = QDir::tempPath() + '/' + name;
    if (kind == "socket") {
        // Bound and closed without listening: what a killed server leaves.
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        qstrncpy(address.sun_path, QFile::encodeName(path).constData(), sizeof address.sun_path);
        QVERIFY(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0);
        ::close(fd);
    } else if (kind == "file") {
        QFile leftOver(path);
        QVERIFY(leftOver.open(QIODevice::WriteOnly));
        leftOver.write("keep me");
    } else if (kind == "folder") {
        QVERIFY(QDir().mkdir(path));
    } else {
        QVERIFY(QFile::link(QDir::tempPath(), path));
    }
    const QFileInfo before(path);
    QVERIFY(before.exists() || before.isSymLink());

    VirtualWheel wheel("R-VELO", kPid);
    WheelControlServer server(&wheel);
    QCOMPARE(server.listen(name), replaced);
    if (replaced) {
        QLocalSocket client;
        client.connectToServer(name);
        QVERIFY(client.waitForConnected(2000));
        client.write("state\n");
        QCOMPARE(readLines(client, 1).size(), 1);
        return;
    }
    const QFileInfo after(path);
    QCOMPARE(after.isSymLink(), kind == "link");
    QCOMPARE(after.isDir(), kind != "file");
    if (kind == "file") {
        QFile leftOver(path);
        QVERIFY(leftOver.open(QIODevice::ReadOnly));
        QCOMPARE(leftOver.readAll(), QByteArray("keep me"));
    }
    if (kind == "folder")
        QDir().rmdir(path);
    else
        QFile::remove(path);
}
void TestWheelControlServer::answersAClientThatHasFinishedWriting()
{
    // printf 'state\n' | socat - UNIX-CONNECT:...: the client half-closes before the answer.
    VirtualWheel wheel("R-VELO", kPid);
    WheelControlServer server(&wheel);
    const QString name = uniqueName("halfclosed");
    QVERIFY(server.listen(name));
    QLocalSocket client;
    client.connectToServer(name);
    QVERIFY(client.waitForConnected(2000));
    client.write("state\n");
    QVERIFY(client.waitForBytesWritten(2000));
    QCOMPARE(::shutdown(int(client.socketDescriptor()), SHUT_WR), 0);
    const QStringList lines = readLines(client, 1);
    QCOMPARE(lines.size(), 1);
    QVERIFY(QJsonDocument::fromJson(lines.first().toUtf8()).isObject());
}
#endif

QTEST_GUILESS_MAIN(TestWheelControlServer)
#include "tst_wheelcontrolserver.moc"
