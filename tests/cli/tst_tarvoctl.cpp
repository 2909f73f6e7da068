// tarvoctl run as a script would: the built program, the virtual wheel with a state file, the
// HID trace, the control socket, and the window on the same wheel.
#include "device/wheellock.h"
#include "e2e/tracefile.h"
#include "firmware/httpsserver.h"
#include "support/controlsocket.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_LINUX
#include <elf.h>
#endif

namespace {

struct Run
{
    int code = -1;
    QByteArray out;
    QString err;
    QJsonObject json() const { return QJsonDocument::fromJson(out).object(); }
};

Run ctl(const QStringList& args)
{
    QProcess process;
    process.start(qEnvironmentVariable("TARVOCTL_EXE"), args);
    process.closeWriteChannel();
    Run run;
    if (!process.waitForFinished(60000))
        return run;
    run.code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

// The setting frames and LED reports that reached the wheel: every send but the queries.
QStringList sends(const QString& trace)
{
    QStringList lines;
    for (const TraceLine& line : readTrace(trace))
        if ((line.kind == QLatin1String("send-feature") && !line.data.startsWith(QLatin1String("020b")))
            || line.kind == QLatin1String("write"))
            lines.append(line.data);
    return lines;
}

QJsonObject flashOf(const QString& stateFile)
{
    QFile file(stateFile);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object().value("flash").toObject();
}

QString hex(const QJsonArray& levels, int slot)
{
    return QString::asprintf("#%02x%02x%02x", levels.at(3 * slot).toInt(), levels.at(3 * slot + 1).toInt(),
                             levels.at(3 * slot + 2).toInt());
}

// A virtual wheel's options on a state file and a trace.
QStringList wheel(const QString& model, const QString& state, const QString& trace = QString())
{
    QStringList args{"--virtual-wheel", model, "--virtual-wheel-state", state};
    if (!trace.isEmpty())
        args << "--hid-trace" << trace;
    return args;
}

} // namespace

class TestTarvoctl : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void infoEqualsTheWheelAndMonitorReportsInputs();
    void setKeys_data();
    void setKeys();
    void backupFactoryResetRestore();
    void anotherModelsProfileNeedsForce();
    void profileLibraryByName();
    void flashGivesTheWheelTheImage();
    void updateFromTheServer_data();
    void updateFromTheServer();
    void badInput_data();
    void badInput();
    void lockBetweenWindowAndTarvoctl();
    void linksQtCoreAndNetworkOnly();

private:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QString window(); // the window under a name of its own
    QTemporaryDir m_dir;
    HttpsServer m_server;
};

void TestTarvoctl::initTestCase()
{
    QVERIFY(QFile::exists(qEnvironmentVariable("TARVOCTL_EXE")));
    QVERIFY(m_dir.isValid());
    // The preferences of every program started here start empty.
    qputenv("XDG_CONFIG_HOME", m_dir.filePath("config").toUtf8());
    const QString serverError = m_server.start(m_dir.path());
    QVERIFY2(serverError.isEmpty(), qPrintable(serverError));
    // Images the check refuses.
    for (const auto& [name, size] :
         {std::pair<const char*, int>{"image.BIN", 16}, {"empty.bin", 0}, {"large.bin", 229377}}) {
        QFile image(path(QLatin1String(name)));
        QVERIFY(image.open(QIODevice::WriteOnly));
        image.write(QByteArray(size, '\x5a'));
    }
}

QString TestTarvoctl::window()
{
    const QString link = path(QStringLiteral("tarvoset-ctl-%1").arg(QCoreApplication::applicationPid()));
    if (!QFile::exists(link) && !QFile::link(qEnvironmentVariable("TARVOSET_EXE"), link))
        QFile::copy(qEnvironmentVariable("TARVOSET_EXE"), link);
    return link;
}

void TestTarvoctl::infoEqualsTheWheelAndMonitorReportsInputs()
{
    const QString state = path("info.json");
    const QString control = QStringLiteral("tarvoctl-test-%1").arg(QCoreApplication::applicationPid());
    // Until it is ended: the events are awaited, not a time.
    QProcess monitor;
    monitor.start(qEnvironmentVariable("TARVOCTL_EXE"),
                  wheel("R-VELO", state) << "--wheel-control" << control << "--json"
                                         << "monitor");
    QTRY_VERIFY_WITH_TIMEOUT(controlCommand(control, "state").startsWith('{'), 10000);
    // Values away from the factory ones, levels that the 4-bit codes carry exactly.
    for (const char* line : {"set paddleMode 120", "set calLeftMin 10", "set calRightMax 4000", "set pulseWidth 77",
                             "set clutchEnable 255", "set led 7 0 126 255", "set auxLamps 1 2 3 4 5 6"})
        QCOMPARE(controlCommand(control, line), QStringLiteral("ok"));
    const QJsonObject wheelState = QJsonDocument::fromJson(controlCommand(control, "state").toUtf8()).object();
    // Right paddle 0x0102, left 0x0304, input 3 pressed; then released with the paddles still.
    QCOMPARE(controlCommand(control, "input 0201040304" + QString(22, '0')), QStringLiteral("ok"));
    QCOMPARE(controlCommand(control, "input 0201040300" + QString(22, '0')), QStringLiteral("ok"));
    QByteArray output;
    QTRY_VERIFY_WITH_TIMEOUT((output += monitor.readAllStandardOutput()).count('\n') >= 3, 20000);
    monitor.terminate();
    QVERIFY(monitor.waitForFinished(20000));
    QCOMPARE(monitor.exitStatus(), QProcess::NormalExit);
    QCOMPARE(monitor.exitCode(), 0);
    // Quiet by default: the test run's logging rules ask for no debug lines.
    QCOMPARE(monitor.readAllStandardError(), QByteArray());
    output += monitor.readAllStandardOutput();
    QList<QJsonObject> events;
    for (const QByteArray& line : output.split('\n'))
        if (!line.isEmpty())
            events.append(QJsonDocument::fromJson(line).object());
    QCOMPARE(events.size(), 3);
    QCOMPARE(events[0].value("event").toString(), QStringLiteral("paddles"));
    QCOMPARE(events[0].value("left").toInt(), 0x0304);
    QCOMPARE(events[0].value("right").toInt(), 0x0102);
    QCOMPARE(events[1].value("event").toString(), QStringLiteral("press"));
    QCOMPARE(events[1].value("input").toInt(), 3);
    QCOMPARE(events[2].value("event").toString(), QStringLiteral("release"));
    QCOMPARE(events[2].value("input").toInt(), 3);
    QVERIFY(events[2].value("t").toDouble() >= events[1].value("t").toDouble());

    const Run info = ctl(wheel("R-VELO", state) << "--json"
                                                << "info");
    QCOMPARE(info.code, 0);
    const QJsonObject got = info.json();
    const QJsonObject live = wheelState.value("live").toObject();
    QCOMPARE(got.value("model").toString(), wheelState.value("model").toString());
    QCOMPARE(got.value("productId").toString(), wheelState.value("productId").toString());
    QCOMPARE(got.value("firmware").toString(), wheelState.value("version").toString());
    const QJsonObject battery = wheelState.value("battery").toObject();
    QCOMPARE(
        got.value("battery").toObject(),
        (QJsonObject{{"percent", battery.value("percent")}, {"usbPower", battery.value("supply").toInt() >= 4300}}));
    QCOMPARE(got.value("paddleMode").toInt(), live.value("paddleMode").toInt());
    QCOMPARE(got.value("paddle").toString(), QStringLiteral("right"));
    QCOMPARE(got.value("bitePoint").toInt(), live.value("paddleMode").toInt() - 101);
    QCOMPARE(got.value("calibration").toObject(),
             (QJsonObject{{"leftMin", live.value("calLeftMin")},
                          {"leftMax", live.value("calLeftMax")},
                          {"rightMin", live.value("calRightMin")},
                          {"rightMax", live.value("calRightMax")}}));
    QCOMPARE(got.value("pulseWidth").toInt(), live.value("pulseWidth").toInt());
    QCOMPARE(got.value("clutch").toBool(), live.value("clutchEnable").toInt() == 1);
    const QJsonArray leds = got.value("leds").toArray();
    QCOMPARE(leds.size(), 48);
    for (int slot = 0; slot < 48; ++slot)
        QCOMPARE(leds.at(slot).toString(), hex(live.value("leds").toArray(), slot));
    QCOMPARE(got.value("lamps").toArray(), (QJsonArray{"#010203", "#040506"}));
    QCOMPARE(got.value("extraShifters").toBool(), false);
    QVERIFY(got.value("encoderBinding").isNull());
}

void TestTarvoctl::setKeys_data()
{
    QTest::addColumn<QStringList>("assignments");
    QTest::addColumn<bool>("save");
    QTest::addColumn<QString>("member"); // of set's JSON output
    QTest::addColumn<QString>("readBack"); // that member, as JSON text
    QTest::addColumn<QString>("flashKey"); // "leds[15]" for one level
    QTest::addColumn<int>("flashValue"); // after a save; a live change leaves the flash as it was
    QTest::addColumn<QString>("frame"); // one send expected on the trace, or empty

    // Factory flash: paddleMode 50, calibration 0..4095, pulse 100, clutch 1, every level 255.
    QTest::newRow("paddle live") << QStringList{"paddle=right"} << false << "paddleMode"
                                 << "151"
                                 << "paddleMode" << 50 << "020a970000ff0fff0f0000000000000000000000";
    QTest::newRow("paddle saved") << QStringList{"paddle=right"} << true << "paddleMode"
                                  << "151"
                                  << "paddleMode" << 151 << "020a97ef00";
    QTest::newRow("bite point saved") << QStringList{"bite-point=20"} << true << "bitePoint"
                                      << "20"
                                      << "paddleMode" << 20 << "020a14ef00";
    QTest::newRow("paddle and bite point") << QStringList{"paddle=right", "bite-point=0"} << true << "paddle"
                                           << "\"right\""
                                           << "paddleMode" << 101 << "020a65ef00";
    QTest::newRow("calibration saved") << QStringList{"calibration=10,4000,20,3900"} << true << "calibration"
                                       << "{\"leftMin\":10,\"leftMax\":4000,\"rightMin\":20,\"rightMax\":3900}"
                                       << "calLeftMax" << 4000 << "020a32ef003c0fa00f14000a00";
    QTest::newRow("pulse live") << QStringList{"pulse-width=120"} << false << "pulseWidth"
                                << "120"
                                << "pulseWidth" << 100 << "020c047800000000";
    QTest::newRow("pulse saved") << QStringList{"pulse-width=240"} << true << "pulseWidth"
                                 << "240"
                                 << "pulseWidth" << 240 << "020c04f0000000ef";
    QTest::newRow("clutch off saved") << QStringList{"clutch=off"} << true << "clutch"
                                      << "false"
                                      << "clutchEnable" << 255 << "020c08ff000000ef000000000000000000000000";
    QTest::newRow("clutch off live") << QStringList{"clutch=off"} << false << "clutch"
                                     << "false"
                                     << "clutchEnable" << 1 << "020c08ff00000000000000000000000000000000";
    // 200, 100, 50 travel as codes 14, 9, 6 and come back as 226, 106, 53.
    QTest::newRow("one led saved") << QStringList{"led.5=#C86432"} << true << "leds"
                                   << ""
                                   << "leds[15]" << 226 << "020e00";
    QTest::newRow("all leds live") << QStringList{"leds=#000000"} << false << "leds"
                                   << ""
                                   << "leds[0]" << 255 << "0300000000000000";
    QTest::newRow("lamps saved") << QStringList{"lamps=#010203,#040506"} << true << "lamps"
                                 << "[\"#010203\",\"#040506\"]"
                                 << "auxLamps[3]" << 4 << "0211ef010203040506";
}

void TestTarvoctl::setKeys()
{
    QFETCH(QStringList, assignments);
    QFETCH(bool, save);
    QFETCH(QString, member);
    QFETCH(QString, readBack);
    QFETCH(QString, flashKey);
    QFETCH(int, flashValue);
    QFETCH(QString, frame);
    const QString tag = QString::fromLatin1(QTest::currentDataTag()).replace(' ', '-');
    const QString state = path(tag + ".json");
    const QString trace = path(tag + ".log");
    QStringList args = wheel("R-VELO", state, trace) << "--json"
                                                     << "set" << assignments;
    if (save)
        args << "--save";
    const Run run = ctl(args);
    QVERIFY2(run.code == 0, qPrintable(run.err));
    const QJsonValue value = run.json().value(member);
    if (!readBack.isEmpty())
        QCOMPARE(QJsonArray{value}, QJsonDocument::fromJson("[" + readBack.toUtf8() + "]").array());
    if (member == QLatin1String("leds"))
        QCOMPARE(value.toArray().at(5).toString(), assignments.first().startsWith("led.") ? "#e26a35" : "#000000");
    if (member == QLatin1String("paddle"))
        QCOMPARE(run.json().value("bitePoint").toInt(), 0);

    // A factory-new wheel writes its state file at the first change of its flash.
    QCOMPARE(QFile::exists(state), save);
    const QJsonObject flash = flashOf(state);
    const qsizetype bracket = flashKey.indexOf('[');
    const QJsonValue stored = bracket < 0
        ? flash.value(flashKey)
        : flash.value(flashKey.left(bracket)).toArray().at(flashKey.mid(bracket + 1).chopped(1).toInt());
    if (save)
        QCOMPARE(stored.toInt(), flashValue);
    const QStringList sent = sends(trace);
    QVERIFY2(std::any_of(sent.begin(), sent.end(), [&](const QString& line) { return line.startsWith(frame); }),
             qPrintable(sent.join('\n')));
    // LED blocks carry no save marker: the commit alone stores them.
    QCOMPARE(sent.contains(QStringLiteral("020e") + QString(36, '0')), save && member == QLatin1String("leds"));
}

void TestTarvoctl::backupFactoryResetRestore()
{
    const QString state = path("backup.json");
    const QString profile = path("profile.json");
    QCOMPARE(ctl(wheel("KTR2", state) << "set"
                                      << "--save"
                                      << "paddle=right"
                                      << "bite-point=30"
                                      << "calibration=5,4000,6,3999"
                                      << "pulse-width=150"
                                      << "clutch=off"
                                      << "leds=#112233"
                                      << "led.40=#ff0000"
                                      << "lamps=#102030,#405060"
                                      << "extra-shifters=on"
                                      << "encoder-binding=20,19")
                 .code,
             0);
    const QJsonObject saved = flashOf(state);
    QCOMPARE(ctl(wheel("KTR2", state) << "--json"
                                      << "backup" << profile)
                 .json()
                 .value("result")
                 .toString(),
             QStringLiteral("done"));

    const QString trace = path("backup.log");
    const Run refused = ctl(wheel("KTR2", state, trace) << "clear-flash");
    QCOMPARE(refused.code, 5); // no terminal to ask, no --yes
    QVERIFY(sends(trace).isEmpty());
    QCOMPARE(ctl(wheel("KTR2", state, trace) << "clear-flash"
                                             << "--yes")
                 .code,
             0);
    QCOMPARE(sends(trace), QStringList{"020c10" + QString(34, '0')});
    QCOMPARE(flashOf(state).value("paddleMode").toInt(), 50);
    QCOMPARE(ctl(wheel("KTR2", state) << "set"
                                      << "extra-shifters=off"
                                      << "encoder-binding=none")
                 .code,
             0);

    const Run dryRun = ctl(wheel("KTR2", state, trace) << "--json"
                                                       << "restore"
                                                       << "--dry-run" << profile);
    QCOMPARE(dryRun.code, 0);
    QCOMPARE(sends(trace).size(), 1);
    const QJsonArray all{"paddleMode", "calibration", "pulseWidth",     "clutch",
                         "leds",       "lamps",       "encoderBinding", "extraShifters"};
    QCOMPARE(dryRun.json().value("changed").toArray(), all);

    const Run restored = ctl(wheel("KTR2", state) << "--json"
                                                  << "restore" << profile);
    QVERIFY2(restored.code == 0, qPrintable(restored.err));
    QCOMPARE(restored.json().value("changed").toArray(), all);
    QCOMPARE(restored.json().value("differences").toArray(), QJsonArray());
    QCOMPARE(flashOf(state), saved);
    QCOMPARE(ctl(wheel("KTR2", state) << "get"
                                      << "encoder-binding")
                 .out.trimmed(),
             "20,19");
    QCOMPARE(ctl(wheel("KTR2", state) << "get"
                                      << "extra-shifters")
                 .out.trimmed(),
             "on");
    QCOMPARE(ctl(wheel("KTR2", state) << "--json"
                                      << "restore" << profile)
                 .json()
                 .value("changed")
                 .toArray(),
             QJsonArray());
}

void TestTarvoctl::anotherModelsProfileNeedsForce()
{
    const QString profile = path("zepha2.json");
    QCOMPARE(ctl(wheel("ZEPHA2", path("zepha2-state.json")) << "backup" << profile).code, 0);
    const QString state = path("rvelo-state.json");
    const QString trace = path("rvelo.log");
    const Run refused = ctl(wheel("R-VELO", state, trace) << "restore" << profile);
    QCOMPARE(refused.code, 2);
    QVERIFY2(refused.err.contains("--force"), qPrintable(refused.err));
    QVERIFY(sends(trace).isEmpty());
    QCOMPARE(ctl(wheel("R-VELO", state, trace) << "restore"
                                               << "--force" << profile)
                 .code,
             0);
    QVERIFY(!sends(trace).isEmpty());
}

void TestTarvoctl::profileLibraryByName()
{
    const QString state = path("library-state.json");
    QCOMPARE(ctl(wheel("R-VELO", state) << "set"
                                        << "--save"
                                        << "bite-point=33")
                 .code,
             0);
    QCOMPARE(ctl(wheel("R-VELO", state) << "backup"
                                        << "@GT3 wet")
                 .code,
             0);
    QFile profile(path("config/Tarvo/profiles/GT3 wet.json"));
    QVERIFY(profile.open(QIODevice::ReadOnly));
    const QString saved = QJsonDocument::fromJson(profile.readAll()).object().value("saved").toString();
    QFile broken(path("config/Tarvo/profiles/Broken.json"));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("[]");
    broken.close();

    // No wheel options: the list needs none.
    const Run listed = ctl({"profiles"});
    QCOMPARE(listed.code, 0);
    QCOMPARE(QString::fromUtf8(listed.out), "Broken\tinvalid\t\nGT3 wet\tR-VELO\t" + saved + "\n");
    QVERIFY2(listed.err.contains("Broken.json"), qPrintable(listed.err));
    const QJsonArray json = ctl({"--json", "profiles"}).json().value("profiles").toArray();
    QCOMPARE(json.at(1).toObject(),
             (QJsonObject{{"name", "GT3 wet"}, {"model", "R-VELO"}, {"saved", saved}, {"valid", true}}));
    QCOMPARE(json.at(0).toObject().value("valid"), QJsonValue(false));

    QCOMPARE(ctl(wheel("R-VELO", state) << "set"
                                        << "--save"
                                        << "bite-point=70")
                 .code,
             0);
    const Run restored = ctl(wheel("R-VELO", state) << "--json"
                                                    << "restore"
                                                    << "@GT3 wet");
    QCOMPARE(restored.code, 0);
    QCOMPARE(restored.json().value("changed").toArray(), QJsonArray{"paddleMode"});
    QCOMPARE(flashOf(state).value("paddleMode").toInt(), 33);
}

void TestTarvoctl::flashGivesTheWheelTheImage()
{
    QByteArray image;
    for (int i = 0; i < 17; ++i)
        image.append(char(0xa0 + i));
    QFile file(path("small.bin"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(image);
    file.close();
    const QString state = path("flash.json");
    const QString trace = path("flash.log");
    const Run run = ctl(wheel("ORBIX", state, trace) << "flash"
                                                     << "--yes" << file.fileName());
    QVERIFY2(run.code == 0, qPrintable(run.err));
    // Block 1 starts at 16 of 17 bytes: 16 * 96 / 17 = 90; the flash write then reaches 100.
    QCOMPARE(run.err.split('\n').filter(QRegularExpression("^progress")),
             (QStringList{"progress 0%", "progress 90%", "progress 100%"}));
    const QString blocks = QString::fromLatin1(image.toHex());
    // Block 1 carries byte 16 and keeps bytes 1 to 15 of block 0; the end frame keeps block 1's bytes.
    QCOMPARE(sends(trace),
             (QStringList{"02800010" + blocks.left(32), "02800101" + blocks.mid(32) + blocks.mid(2, 30),
                          "02100101" + blocks.mid(32) + blocks.mid(2, 30)}));
    QFile stateFile(state);
    QVERIFY(stateFile.open(QIODevice::ReadOnly));
    const QJsonObject firmware = QJsonDocument::fromJson(stateFile.readAll()).object().value("firmware").toObject();
    QCOMPARE(firmware.value("md5").toString(),
             QString::fromLatin1(QCryptographicHash::hash(image, QCryptographicHash::Md5).toHex()));
    QCOMPARE(firmware.value("size").toInt(), 17);
    QVERIFY(firmware.value("inOrder").toBool());
}

void TestTarvoctl::updateFromTheServer_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("serverVersion");
    QTest::addColumn<bool>("rightMd5");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("output"); // expected JSON object on stdout, or empty
    QTest::addColumn<bool>("flashed");

    // The virtual wheel's firmware reads "\tAug  3 2023,14:05".
    const QString newer = "Aug 3 2023,14:06";
    QTest::newRow("check, newer") << "R-VELO" << newer << true << QStringList{"--check"} << 0
                                  << R"({"current": "\tAug  3 2023,14:05", "available": "Aug 3 2023,14:06",
                                        "updateAvailable": true})"
                                  << false;
    QTest::newRow("check, same date") << "R-VELO"
                                      << "Aug 3 2023,14:05" << true << QStringList{"--check"} << 0
                                      << R"({"current": "\tAug  3 2023,14:05", "available": "Aug 3 2023,14:05",
                                            "updateAvailable": false})"
                                      << false;
    QTest::newRow("up to date") << "R-VELO"
                                << "Jan 1 2020,00:00" << true << QStringList{} << 0 << R"({"result": "up to date"})"
                                << false;
    QTest::newRow("newer, flashed") << "R-VELO" << newer << true << QStringList{"--yes"} << 0 << R"({"result": "done"})"
                                    << true;
    QTest::newRow("newer, not confirmed") << "R-VELO" << newer << true << QStringList{} << 5 << "" << false;
    QTest::newRow("MD5 differs") << "R-VELO" << newer << false << QStringList{"--yes"} << 1 << "" << false;
    QTest::newRow("date unreadable") << "R-VELO"
                                     << "2023-08-03 14:06" << true << QStringList{"--yes"} << 1 << "" << false;
    // Refused before the question, which nobody could answer here.
    QTest::newRow("no update folder") << "TX-1" << newer << true << QStringList{} << 1 << "" << false;
}

void TestTarvoctl::updateFromTheServer()
{
    QFETCH(QString, model);
    QFETCH(QString, serverVersion);
    QFETCH(bool, rightMd5);
    QFETCH(QStringList, args);
    QFETCH(int, code);
    QFETCH(QString, output);
    QFETCH(bool, flashed);
    QByteArray image;
    for (int i = 0; i < 40; ++i)
        image.append(char(i * 7));
    const QByteArray md5 = QCryptographicHash::hash(rightMd5 ? image : image + "x", QCryptographicHash::Md5).toHex();
    m_server.reset();
    m_server.serve(
        "/upgrade/rvelo/version.json",
        {200,
         R"({"version": ")" + serverVersion.toUtf8() + R"(", "name": "fw.bin", "md5": ")" + md5.toUpper() + "\"}",
         {},
         false});
    m_server.serve("/upgrade/rvelo/fw.bin", {200, image, {}, false});

    const QString tag = QString::fromLatin1(QTest::currentDataTag()).replace(' ', '-').remove(',');
    const QString state = path("update-" + tag + ".json");
    const QString trace = path("update-" + tag + ".log");
    // The server answers from this process's event loop: wait with it running.
    QProcess process;
    process.start(qEnvironmentVariable("TARVOCTL_EXE"),
                  wheel(model, state, trace)
                      << "--update-server" << m_server.baseUrl() << "--ca-certificates" << m_server.caFile() << "--json"
                      << "update" << args);
    process.closeWriteChannel();
    QVERIFY(QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 60000));
    const QString err = QString::fromUtf8(process.readAllStandardError());
    QVERIFY2(process.exitCode() == code, qPrintable(err));
    if (!output.isEmpty())
        QCOMPARE(QJsonDocument::fromJson(process.readAllStandardOutput()).object(),
                 QJsonDocument::fromJson(output.toUtf8()).object());
    QCOMPARE(!sends(trace).isEmpty(), flashed);
    if (flashed) {
        QCOMPARE(m_server.requests(), (QStringList{"/upgrade/rvelo/version.json", "/upgrade/rvelo/fw.bin"}));
        QFile stateFile(state);
        QVERIFY(stateFile.open(QIODevice::ReadOnly));
        QCOMPARE(QJsonDocument::fromJson(stateFile.readAll()).object().value("firmware").toObject().value("md5"),
                 QString::fromLatin1(QCryptographicHash::hash(image, QCryptographicHash::Md5).toHex()));
    }
}

void TestTarvoctl::badInput_data()
{
    QTest::addColumn<QStringList>("args"); // after a virtual R-VELO with a state file and a trace
    QTest::addColumn<QString>("profilePatch"); // member=JSON value applied to a good profile, for restore
    QTest::addColumn<QString>("says");

    QTest::newRow("no command") << QStringList{} << ""
                                << "no command";
    QTest::newRow("unknown command") << QStringList{"frobnicate"} << ""
                                     << "frobnicate";
    QTest::newRow("unknown option") << QStringList{"--frob", "info"} << ""
                                    << "frob";
    QTest::newRow("option of another command") << QStringList{"info", "--save"} << ""
                                               << "--save";
    QTest::newRow("seconds below zero") << QStringList{"monitor", "--seconds", "-1"} << ""
                                        << "--seconds";
    QTest::newRow("bad product id") << QStringList{"--virtual-wheel-pid", "2006", "info"} << ""
                                    << "2007";
    QTest::newRow("unknown key in get") << QStringList{"get", "colour"} << ""
                                        << "colour";
    QTest::newRow("unknown key in set") << QStringList{"set", "colour=#000000"} << ""
                                        << "colour";
    QTest::newRow("read-only key") << QStringList{"set", "firmware=x"} << ""
                                   << "read only";
    QTest::newRow("no value") << QStringList{"set", "clutch"} << ""
                              << "KEY=VALUE";
    QTest::newRow("one bad value among good ones") << QStringList{"set", "pulse-width=100", "bite-point=101"} << ""
                                                   << "bite-point";
    QTest::newRow("pulse width below range") << QStringList{"set", "pulse-width=39"} << ""
                                             << "pulse-width";
    QTest::newRow("calibration inverted") << QStringList{"set", "calibration=10,5,0,4096"} << ""
                                          << "minimum";
    QTest::newRow("calibration above range") << QStringList{"set", "calibration=0,4097,0,10"} << ""
                                             << "calibration";
    QTest::newRow("colour malformed") << QStringList{"set", "led.3=#12345"} << ""
                                      << "led.3";
    QTest::newRow("led slot 48") << QStringList{"set", "led.48=#000000"} << ""
                                 << "led.48";
    QTest::newRow("paddle off with a bite point") << QStringList{"set", "paddle=off", "bite-point=3"} << ""
                                                  << "off";
    QTest::newRow("encoder directions reversed") << QStringList{"set", "encoder-binding=19,20"} << ""
                                                 << "encoder";
    QTest::newRow("leds of V-KERN") << QStringList{"--virtual-wheel", "V-KERN", "set", "leds=#000000"} << ""
                                    << "LED";
    QTest::newRow("lamps of LM270") << QStringList{"--virtual-wheel", "LM270", "set", "lamps=#000000,#000000"} << ""
                                    << "lamps";
    QTest::newRow("image named .BIN") << QStringList{"flash", "--yes", "image.BIN"} << ""
                                      << ".bin";
    QTest::newRow("image missing") << QStringList{"flash", "--yes", "missing.bin"} << ""
                                   << "cannot read";
    QTest::newRow("image empty") << QStringList{"flash", "--yes", "empty.bin"} << ""
                                 << "empty";
    QTest::newRow("image one byte too large") << QStringList{"flash", "--yes", "large.bin"} << ""
                                              << "229376";
    QTest::newRow("backup into no folder") << QStringList{"backup", "no/such/folder/p.json"} << ""
                                           << "cannot write";
    QTest::newRow("profile name with a slash") << QStringList{"backup", "@gt3/wet"} << ""
                                               << "profile name";
    QTest::newRow("profile name with a leading dot") << QStringList{"restore", "@.gt3"} << ""
                                                     << "dot";
    QTest::newRow("restore of no file") << QStringList{"restore", "no-such-profile.json"} << ""
                                        << "cannot read";
    QTest::newRow("profile not json") << QStringList{"restore"} << "<text>"
                                      << "not a JSON object";
    QTest::newRow("profile of another format") << QStringList{"restore"} << "format=\"other\""
                                               << "format";
    QTest::newRow("profile of a later version") << QStringList{"restore"} << "version=2"
                                                << "version";
    QTest::newRow("paddle mode 202") << QStringList{"restore"} << "settings.paddleMode=202"
                                     << "paddleMode";
    QTest::newRow("pulse width 241") << QStringList{"restore"} << "settings.pulseWidth=241"
                                     << "pulseWidth";
    QTest::newRow("clutch missing") << QStringList{"restore"} << "settings.clutch=<remove>"
                                    << "clutch";
    QTest::newRow("47 leds") << QStringList{"restore"} << "settings.leds=[\"#000000\"]"
                             << "leds";
    QTest::newRow("leds missing") << QStringList{"restore"} << "settings.leds=<remove>"
                                  << "leds";
    QTest::newRow("lamp not a colour") << QStringList{"restore"} << "settings.lamps=[\"red\",\"#000000\"]"
                                       << "lamps";
    QTest::newRow("binding not a pair") << QStringList{"restore"} << "preferences.encoderBinding={\"up\":3,\"down\":4}"
                                        << "encoderBinding";
}

void TestTarvoctl::badInput()
{
    QFETCH(QStringList, args);
    QFETCH(QString, profilePatch);
    QFETCH(QString, says);
    const QString state = path("bad-state.json");
    const QString trace = path("bad.log");
    QFile::remove(trace);
    if (!profilePatch.isEmpty()) {
        const QString profile = path("bad-profile.json");
        QFile::remove(profile);
        QCOMPARE(ctl(wheel("R-VELO", state) << "backup" << profile).code, 0);
        QFile file(profile);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QJsonObject root = QJsonDocument::fromJson(file.readAll()).object();
        QByteArray content = "{ not json";
        if (profilePatch != QLatin1String("<text>")) {
            const QString where = profilePatch.section('=', 0, 0);
            const QString value = profilePatch.section('=', 1);
            const QJsonValue parsed = QJsonDocument::fromJson("[" + value.toUtf8() + "]").array().at(0);
            const QString outer = where.section('.', 0, 0);
            const QString inner = where.section('.', 1);
            QJsonObject object = inner.isEmpty() ? root : root.value(outer).toObject();
            const QString member = inner.isEmpty() ? outer : inner;
            if (value == QLatin1String("<remove>"))
                object.remove(member);
            else
                object.insert(member, parsed);
            if (inner.isEmpty())
                root = object;
            else
                root.insert(outer, object);
            content = QJsonDocument(root).toJson();
        }
        QVERIFY(file.resize(0));
        file.write(content);
        file.close();
        args << profile;
    }
    QProcess process;
    process.setWorkingDirectory(m_dir.path());
    process.start(qEnvironmentVariable("TARVOCTL_EXE"), wheel("R-VELO", state, trace) << "--json" << args);
    QVERIFY(process.waitForFinished(30000));
    const QString err = QString::fromUtf8(process.readAllStandardError());
    QCOMPARE(process.exitCode(), 2);
    QVERIFY2(err.contains(says), qPrintable(err));
    QVERIFY(QJsonDocument::fromJson(process.readAllStandardOutput()).object().contains("error"));
    QCOMPARE(sends(trace), QStringList());
}

void TestTarvoctl::lockBetweenWindowAndTarvoctl()
{
    const QString state = path("shared.json");
    const QString trace = path("window.log");
    const auto windowOpened = [&] {
        for (const TraceLine& line : readTrace(trace))
            if (line.kind == QLatin1String("open") && line.result == 1)
                return true;
        return false;
    };

    QProcess tool;
    tool.start(window(), wheel("R-VELO", state, trace));
    QTRY_VERIFY_WITH_TIMEOUT(windowOpened(), 15000);
    QVERIFY(!QFile::exists(state));
    const Run held = ctl(wheel("R-VELO", state) << "--json"
                                                << "info");
    QCOMPARE(held.code, 4);
    QVERIFY(held.json().value("error").toString().contains("held"));
    QCOMPARE(ctl(wheel("R-VELO", state) << "info"
                                        << "--force")
                 .code,
             0);
    // list leaves a held wheel alone: not one query.
    const QString listTrace = path("list.log");
    const Run list = ctl(wheel("R-VELO", state, listTrace) << "--json"
                                                           << "list");
    QCOMPARE(list.code, 0);
    const QJsonObject listed = list.json().value("wheels").toArray().first().toObject();
    QCOMPARE(listed.value("open").toBool(), false);
    QVERIFY(listed.value("model").isNull());
    QVERIFY(listed.value("problem").toString().contains("held"));
    QVERIFY(linesOfKind(readTrace(listTrace), "send-feature").isEmpty());
    // A holder that died leaves its lock file behind; the next user takes it over.
    tool.kill();
    QVERIFY(tool.waitForFinished(10000));
    QCOMPARE(ctl(wheel("R-VELO", state) << "info").code, 0);

    // Waiting for the lock by asking for it would race the holder for it.
    const auto heldBy = [&](const QProcess& process) {
        // Named after the state file's canonical path: it does not exist yet, nothing was saved.
        QFile lock(WheelLock::lockFilePath(QFileInfo(m_dir.path()).canonicalFilePath() + "/shared.json"));
        return lock.open(QIODevice::ReadOnly) && lock.readLine().trimmed().toLongLong() == process.processId();
    };
    QProcess holder;
    const QString control = QStringLiteral("tarvoctl-holder-%1").arg(QCoreApplication::applicationPid());
    holder.start(qEnvironmentVariable("TARVOCTL_EXE"),
                 wheel("R-VELO", state) << "--wheel-control" << control << "monitor");
    QTRY_VERIFY_WITH_TIMEOUT(heldBy(holder), 10000);
    QCOMPARE(ctl(wheel("R-VELO", state) << "info").code, 4);
    QFile::remove(trace);
    tool.start(window(), wheel("R-VELO", state, trace));
    QVERIFY(tool.waitForStarted());
    // A whole round of the window's opens has passed the held wheel by: the other ids were tried.
    QTRY_VERIFY_WITH_TIMEOUT(!linesOfKind(readTrace(trace), "open").isEmpty()
                                 && linesOfKind(readTrace(trace), "open").last().data == "7e57:200d",
                             15000);
    QVERIFY(!windowOpened());
    // The window waits with the flash it read at its start; the holder changes it meanwhile.
    QCOMPARE(controlCommand(control, "set pulseWidth 150"), QStringLiteral("ok"));
    holder.terminate();
    QVERIFY(holder.waitForFinished(15000));
    QCOMPARE(holder.exitCode(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(windowOpened(), 15000);
    // It reads the wheel as the holder left it: pulse width 150 (0x96).
    const auto pulseRead = [&] {
        for (const TraceLine& line : readTrace(trace))
            if (line.kind == QLatin1String("get-feature") && line.data.startsWith(QLatin1String("020c0496000000")))
                return true;
        return false;
    };
    QTRY_VERIFY_WITH_TIMEOUT(pulseRead(), 10000);
    tool.terminate();
    QVERIFY(tool.waitForFinished(10000));

    holder.start(qEnvironmentVariable("TARVOCTL_EXE"),
                 wheel("R-VELO", state) << "monitor"
                                        << "--seconds"
                                        << "60");
    QTRY_VERIFY_WITH_TIMEOUT(heldBy(holder), 10000);
    holder.kill();
    QVERIFY(holder.waitForFinished(10000));
    QCOMPARE(ctl(wheel("R-VELO", state) << "info").code, 0);
}

void TestTarvoctl::linksQtCoreAndNetworkOnly()
{
#ifdef Q_OS_LINUX
    QFile file(qEnvironmentVariable("TARVOCTL_EXE"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray elf = file.readAll();
    QVERIFY(elf.startsWith(ELFMAG) && elf.at(EI_CLASS) == ELFCLASS64);
    const auto* header = reinterpret_cast<const Elf64_Ehdr*>(elf.constData());
    const auto* sections = reinterpret_cast<const Elf64_Shdr*>(elf.constData() + header->e_shoff);
    QStringList needed;
    for (int i = 0; i < header->e_shnum; ++i) {
        if (sections[i].sh_type != SHT_DYNAMIC)
            continue;
        const char* strings = elf.constData() + sections[sections[i].sh_link].sh_offset;
        const auto* entry = reinterpret_cast<const Elf64_Dyn*>(elf.constData() + sections[i].sh_offset);
        for (; entry->d_tag != DT_NULL; ++entry)
            if (entry->d_tag == DT_NEEDED)
                needed.append(QString::fromLatin1(strings + entry->d_un.d_val));
    }
    QVERIFY2(needed.contains("libQt6Core.so.6"), qPrintable(needed.join(' ')));
    for (const QString& library : needed)
        QVERIFY2(!library.startsWith("libQt6") || library == "libQt6Core.so.6" || library == "libQt6Network.so.6",
                 qPrintable(library));
#else
    QSKIP("The ELF check runs on Linux.");
#endif
}

QTEST_GUILESS_MAIN(TestTarvoctl)
#include "tst_tarvoctl.moc"
