// The virtual wheel's flash file: a restart finds the wheel as it was left, and a bad
// file is refused without being touched.
#include "protocol/wheelprotocol.h"
#include "virtualwheel/virtualwheel.h"
#include "wheeltest.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#ifdef Q_OS_LINUX
#include <sys/fsuid.h>
#include <unistd.h>
#endif

using namespace wheeltest;

namespace {

constexpr std::uint16_t kVendor = 0x7E57;
constexpr std::uint16_t kPid = 0x2007;

QByteArray readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(content), content.size());
}

// A valid file, written by hand rather than by the code under test.
QByteArray validFile()
{
    QByteArray leds = "[";
    for (int i = 0; i < 144; ++i)
        leds += (i ? "," : "") + QByteArray::number(i % 2 ? 0 : 173);
    leds += "]";
    return R"({"flash": {"paddleMode": 120, "calRightMax": 4000, "calLeftMax": 3990, "calRightMin": 10, "calLeftMin": 20,
  "pulseWidth": -5, "clutchEnable": 255, "shifters": {"3": 100, "5": 200, "6": 300, "7": 400},
  "leds": )"
        + leds + R"(, "auxLamps": [1, 2, 3, 4, 5, 6]},
 "firmware": {"size": 17, "md5": "0123456789abcdef0123456789abcdef", "blocks": 2, "inOrder": true}})";
}

// Root reads every file whatever its permissions (as ./test.sh runs in CI). While this lives,
// the calling thread checks file access as the unprivileged user nobody instead.
class FileAccessAsNobody
{
public:
    FileAccessAsNobody()
    {
#ifdef Q_OS_LINUX
        if (geteuid() == 0) {
            setfsuid(65534);
            m_active = setfsuid(65534) == 65534;
        }
#endif
    }
    ~FileAccessAsNobody()
    {
#ifdef Q_OS_LINUX
        if (m_active)
            setfsuid(0);
#endif
    }
    FileAccessAsNobody(const FileAccessAsNobody&) = delete;
    FileAccessAsNobody& operator=(const FileAccessAsNobody&) = delete;

private:
    bool m_active = false;
};

} // namespace

class TestWheelStateFile : public QObject
{
    Q_OBJECT

private slots:
    void missingFileIsFactoryNew();
    void readsValidFile();
    void roundTripAcrossRestart();
    void liveOnlyChangesNotStored();
    void controlSetAndClearFlashAreStored();
    void malformed_data();
    void malformed();
    void refusedAtStart_data();
    void refusedAtStart();
    void failedWriteFailsTheSave();
    void unreadableFileIsRefused();
    void ledLevelsRoundUpOnLoad();
    void rewriteIsAtomic();
};

void TestWheelStateFile::missingFileIsFactoryNew()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("wheel.json");
    VirtualWheel fresh("R-VELO", kPid);
    VirtualWheel wheel("R-VELO", kPid);
    QString error;
    QVERIFY2(wheel.attachStateFile(path, &error), qPrintable(error));
    const QJsonObject state = wheel.state();
    QCOMPARE(state.value("flash"), fresh.state().value("flash"));
    QCOMPARE(state.value("live"), state.value("flash"));
    QCOMPARE(at(state, "flash.paddleMode").toInt(), 50);
    QCOMPARE(at(state, "flash.pulseWidth").toInt(), 100);
    QCOMPARE(at(state, "firmware.md5").toString(), QString());
    QCOMPARE(at(state, "firmware.complete").toBool(), false);
}

void TestWheelStateFile::readsValidFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("wheel.json");
    writeFile(path, validFile());
    VirtualWheel wheel("R-VELO", kPid);
    QString error;
    QVERIFY2(wheel.attachStateFile(path, &error), qPrintable(error));
    const QJsonObject state = wheel.state();
    QCOMPARE(state.value("live"), state.value("flash"));
    QCOMPARE(at(state, "flash.paddleMode").toInt(), 120);
    QCOMPARE(at(state, "flash.calLeftMax").toInt(), 3990);
    QCOMPARE(at(state, "flash.pulseWidth").toInt(), -5);
    QCOMPARE(at(state, "flash.clutchEnable").toInt(), 255);
    QCOMPARE(at(state, "flash.shifters.6").toInt(), 300);
    QCOMPARE(at(state, "flash.leds.0").toInt(), 173);
    QCOMPARE(at(state, "flash.leds.143").toInt(), 0);
    QCOMPARE(compact(at(state, "flash.auxLamps")), QString("[1,2,3,4,5,6]"));
    QCOMPARE(at(state, "firmware.size").toInt(), 17);
    QCOMPARE(at(state, "firmware.md5").toString(), QString("0123456789abcdef0123456789abcdef"));
    QCOMPARE(at(state, "firmware.complete").toBool(), true);

    // The wheel answers from what it loaded.
    auto device = wheel.open(kVendor, kPid);
    QCOMPARE(query(*device, frame("02 0b 0a")).toHex(' '),
             bytes("02 0a 78 00 00 a0 0f 96 0f 0a 00 14 00", 21).toHex(' '));
    QCOMPARE(query(*device, frame("02 0b 00")).mid(2, 2).toHex(' '), QByteArray("0c 0c"));
}

void TestWheelStateFile::roundTripAcrossRestart()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("wheel.json");
    const QByteArray image = QByteArray("firmware image of some length").repeated(3);
    QJsonObject left;
    {
        VirtualWheel wheel("R-VELO", kPid);
        QVERIFY(wheel.attachStateFile(path, nullptr));
        auto device = wheel.open(kVendor, kPid);
        QCOMPARE(send(*device, toBytes(tarvo::paddleSettingsFrame(160, true, {3000, 3100, 5, 6}))), 20);
        QCOMPARE(send(*device, frame("02 0c 04 c8 00 00 00 ef")), 20);
        QCOMPARE(send(*device, frame("02 0c 08 ff 00 00 00 ef")), 20);
        QCOMPARE(send(*device, frame("02 11 ef 0a 0b 0c 0d 0e 0f")), 20);
        tarvo::LedLevels levels{};
        for (std::size_t i = 0; i < levels.size(); ++i)
            levels[i] = tarvo::LEVELS[i % 16];
        for (int block : tarvo::kLedBlockWriteOrder)
            QCOMPARE(write(*device, toBytes(tarvo::ledBlockReport(tarvo::packLedImage(levels), block))), 20);
        QCOMPARE(send(*device, frame("02 0e")), 20);
        wheel.setShifterRaw(6, 3210);
        QCOMPARE(send(*device, frame("02 0c 06 00 00 00 00 00")), 20);
        QCOMPARE(send(*device, frame("02 0c 06 ff ff ff ff ef")), 20);
        QVERIFY(wheel.setSetting("shifter", {"7", "77"}));

        QByteArray buffer(20, '\0');
        buffer[0] = 0x02;
        for (int n = 0; n * 16 < image.size(); ++n) {
            const int count = int(std::min<qsizetype>(16, image.size() - n * 16));
            buffer[1] = char(0x80);
            buffer[2] = char(n);
            buffer[3] = char(count);
            buffer.replace(4, count, image.mid(n * 16, count));
            QCOMPARE(send(*device, buffer), 20);
        }
        buffer[1] = 0x10;
        QCOMPARE(send(*device, buffer), 20);
        left = wheel.state();
    }
    QCOMPARE(at(left, "firmware.md5").toString(),
             QString::fromLatin1(QCryptographicHash::hash(image, QCryptographicHash::Md5).toHex()));

    VirtualWheel restarted("R-VELO", kPid);
    QString error;
    QVERIFY2(restarted.attachStateFile(path, &error), qPrintable(error));
    const QJsonObject found = restarted.state();
    QCOMPARE(found.value("flash"), left.value("flash"));
    QCOMPARE(found.value("live"), left.value("flash"));
    QCOMPARE(at(found, "flash.paddleMode").toInt(), 160);
    QCOMPARE(at(found, "flash.shifters.6").toInt(), 3210);
    QCOMPARE(at(found, "flash.shifters.7").toInt(), 77);
    QCOMPARE(at(found, "flash.leds.15").toInt(), 255);
    QCOMPARE(at(found, "firmware.size").toInt(), int(image.size()));
    QCOMPARE(at(found, "firmware.md5"), at(left, "firmware.md5"));
    QCOMPARE(at(found, "firmware.blocks"), at(left, "firmware.blocks"));
    QCOMPARE(at(found, "firmware.inOrder").toBool(), true);
}

void TestWheelStateFile::liveOnlyChangesNotStored()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("wheel.json");
    {
        VirtualWheel wheel("R-VELO", kPid);
        QVERIFY(wheel.attachStateFile(path, nullptr));
        auto device = wheel.open(kVendor, kPid);
        QCOMPARE(send(*device, frame("02 0c 04 c8 00 00 00 ef")), 20); // saved: 200
        QCOMPARE(send(*device, frame("02 0c 04 2d 00 00 00 00")), 20); // live: 45
        QCOMPARE(write(*device, frame("03 00 00 00 00")), 20); // LEDs without commit
        QCOMPARE(send(*device, frame("02 11 00 01 01 01 01 01 01")), 20);
        // An image without its end frame never reached the flash.
        QCOMPARE(send(*device, frame("02 80 00 10 01 02 03")), 20);
        QCOMPARE(at(wheel.state(), "live.pulseWidth").toInt(), 45);
    }
    VirtualWheel restarted("R-VELO", kPid);
    QVERIFY(restarted.attachStateFile(path, nullptr));
    const QJsonObject state = restarted.state();
    QCOMPARE(at(state, "live.pulseWidth").toInt(), 200);
    QCOMPARE(at(state, "flash.leds.0").toInt(), 255);
    QCOMPARE(compact(at(state, "flash.auxLamps")), QString("[255,255,255,255,255,255]"));
    QCOMPARE(at(state, "firmware.md5").toString(), QString());
}

void TestWheelStateFile::controlSetAndClearFlashAreStored()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("wheel.json");
    writeFile(path, validFile());
    {
        VirtualWheel wheel("R-VELO", kPid);
        QVERIFY(wheel.attachStateFile(path, nullptr));
        QVERIFY(wheel.setSetting("pulseWidth", {"-1"}));
        QVERIFY(wheel.setSetting("led", {"1", "4", "5", "255"}));
    }
    {
        VirtualWheel wheel("R-VELO", kPid);
        QVERIFY(wheel.attachStateFile(path, nullptr));
        const QJsonObject state = wheel.state();
        QCOMPARE(at(state, "flash.pulseWidth").toInt(), -1);
        QCOMPARE(at(state, "flash.leds.3").toInt(), 4);
        QCOMPARE(at(state, "flash.leds.4").toInt(), 9);
        QCOMPARE(at(state, "flash.paddleMode").toInt(), 120);
        auto device = wheel.open(kVendor, kPid);
        QCOMPARE(send(*device, frame("02 0c 10")), 20);
    }
    VirtualWheel factory("R-VELO", kPid);
    VirtualWheel wheel("R-VELO", kPid);
    QVERIFY(wheel.attachStateFile(path, nullptr));
    QCOMPARE(wheel.state().value("flash"), factory.state().value("flash"));
    // The erase is of settings; the last image's record stays.
    QCOMPARE(at(wheel.state(), "firmware.md5").toString(), QString("0123456789abcdef0123456789abcdef"));
}

void TestWheelStateFile::malformed_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("reason"); // a part of the error text

    const QByteArray valid = validFile();
    const auto with = [&](const char* from, const char* to) {
        QByteArray c = valid;
        const int at = int(c.indexOf(from));
        if (at < 0)
            qFatal("row does not match the valid file: %s", from);
        return c.replace(at, int(qstrlen(from)), to);
    };
    QByteArray leds143 = valid;
    leds143.replace("[173,0,", "[0,");
    QByteArray leds145 = valid;
    leds145.replace("[173,0,", "[173,173,0,");

    QTest::newRow("empty file") << QByteArray() << "not valid JSON";
    QTest::newRow("cut short") << valid.left(valid.size() / 2) << "not valid JSON";
    QTest::newRow("not JSON") << QByteArray("paddleMode=50\n") << "not valid JSON";
    QTest::newRow("top level array") << QByteArray("[1, 2]") << "not a JSON object";
    QTest::newRow("no flash") << with("\"flash\"", "\"flush\"") << "flash: missing";
    QTest::newRow("flash not an object") << QByteArray(R"({"flash": [], "firmware": {}})")
                                         << "flash: expected an object";
    QTest::newRow("paddleMode as text") << with("\"paddleMode\": 120", "\"paddleMode\": \"120\"") << "flash.paddleMode";
    QTest::newRow("paddleMode above a byte")
        << with("\"paddleMode\": 120", "\"paddleMode\": 256") << "flash.paddleMode";
    QTest::newRow("paddleMode fraction") << with("\"paddleMode\": 120", "\"paddleMode\": 1.5") << "flash.paddleMode";
    QTest::newRow("calibration negative") << with("\"calLeftMin\": 20", "\"calLeftMin\": -1") << "flash.calLeftMin";
    QTest::newRow("calibration above 16 bits")
        << with("\"calRightMax\": 4000", "\"calRightMax\": 65536") << "flash.calRightMax";
    QTest::newRow("pulseWidth beyond 32 bits")
        << with("\"pulseWidth\": -5", "\"pulseWidth\": -2147483649") << "flash.pulseWidth";
    QTest::newRow("clutchEnable negative")
        << with("\"clutchEnable\": 255", "\"clutchEnable\": -1") << "flash.clutchEnable";
    QTest::newRow("clutchEnable true") << with("\"clutchEnable\": 255", "\"clutchEnable\": true")
                                       << "flash.clutchEnable";
    QTest::newRow("shifter missing") << with(", \"7\": 400", "") << "flash.shifters.7: missing";
    QTest::newRow("shifters as array") << with(R"({"3": 100, "5": 200, "6": 300, "7": 400})", "[100, 200, 300, 400]")
                                       << "flash.shifters";
    QTest::newRow("143 LED levels") << leds143 << "flash.leds: expected 144 entries, found 143";
    QTest::newRow("145 LED levels") << leds145 << "flash.leds: expected 144 entries, found 145";
    QTest::newRow("LED level above 255") << with("[173,0,", "[256,0,") << "flash.leds[0]";
    QTest::newRow("LED level null") << with("[173,0,", "[null,0,") << "flash.leds[0]";
    QTest::newRow("five aux lamp values") << with("[1, 2, 3, 4, 5, 6]", "[1, 2, 3, 4, 5]") << "flash.auxLamps";
    QTest::newRow("aux lamp value as text")
        << with("[1, 2, 3, 4, 5, 6]", "[1, 2, \"3\", 4, 5, 6]") << "flash.auxLamps[2]";
    QTest::newRow("no firmware") << with(
        ",\n \"firmware\": {\"size\": 17, \"md5\": \"0123456789abcdef0123456789abcdef\", "
        "\"blocks\": 2, \"inOrder\": true}",
        "") << "firmware: missing";
    QTest::newRow("firmware size negative") << with("\"size\": 17", "\"size\": -17") << "firmware.size";
    QTest::newRow("firmware size too large") << with("\"size\": 17", "\"size\": 9999999") << "firmware.size";
    QTest::newRow("md5 upper case") << with("0123456789abcdef0123", "0123456789ABCDEF0123") << "firmware.md5";
    QTest::newRow("md5 short") << with("0123456789abcdef0123456789abcdef", "0123") << "firmware.md5";
    QTest::newRow("md5 a number") << with("\"0123456789abcdef0123456789abcdef\"", "12") << "firmware.md5";
    QTest::newRow("inOrder a number") << with("\"inOrder\": true", "\"inOrder\": 1") << "firmware.inOrder";
    QTest::newRow("blocks fraction") << with("\"blocks\": 2", "\"blocks\": 2.5") << "firmware.blocks";
}

void TestWheelStateFile::malformed()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString path = dir.filePath("wheel.json");
    writeFile(path, content);

    VirtualWheel wheel("R-VELO", kPid);
    const QJsonObject before = wheel.state();
    QString error;
    QVERIFY(!wheel.attachStateFile(path, &error));
    QVERIFY2(error.contains(reason), qPrintable(error));
    QVERIFY2(error.contains(path), qPrintable(error));
    QCOMPARE(wheel.state().value("flash"), before.value("flash"));

    // Refused means not attached: a later saved frame leaves the file alone too.
    auto device = wheel.open(kVendor, kPid);
    QCOMPARE(send(*device, frame("02 0c 04 c8 00 00 00 ef")), 20);
    QCOMPARE(readAll(path), content);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"wheel.json"});
}

void TestWheelStateFile::refusedAtStart_data()
{
    QTest::addColumn<QString>("name"); // inside a fresh folder
    QTest::addColumn<QString>("reason");
    QTest::newRow("a directory") << ""
                                 << "cannot read";
    QTest::newRow("in a folder that does not exist") << "no/such/wheel.json"
                                                     << "does not exist";
}

void TestWheelStateFile::refusedAtStart()
{
    QFETCH(QString, name);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    VirtualWheel wheel("R-VELO", kPid);
    QString error;
    QVERIFY(!wheel.attachStateFile(name.isEmpty() ? dir.path() : dir.filePath(name), &error));
    QVERIFY2(error.contains(reason), qPrintable(error));
}

// A flash that cannot be kept is no saved setting: the send fails as a failed transfer does.
void TestWheelStateFile::failedWriteFailsTheSave()
{
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("gone"));
    VirtualWheel wheel("R-VELO", kPid);
    QVERIFY(wheel.attachStateFile(dir.filePath("gone/wheel.json"), nullptr));
    QVERIFY(QDir(dir.filePath("gone")).removeRecursively());
    auto device = wheel.open(kVendor, kPid);
    QCOMPARE(send(*device, frame("02 0c 04 c8 00 00 00 00")), 20); // live only: nothing to write
    QCOMPARE(send(*device, frame("02 0c 04 c8 00 00 00 ef")), -1);
    QString error;
    QVERIFY(!wheel.setSetting("paddleMode", {"7"}, &error));
    QVERIFY2(error.contains("cannot write"), qPrintable(error));
    QCOMPARE(at(wheel.state(), "flash.pulseWidth").toInt(), 100);
    QCOMPARE(at(wheel.state(), "flash.paddleMode").toInt(), 50);
}

void TestWheelStateFile::unreadableFileIsRefused()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("wheel.json");
    writeFile(path, validFile());
    // Others may look into the folder, so the file is found, but only its owner may write it.
    QFile::setPermissions(
        dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner | QFileDevice::ExeOther);
    QFile::setPermissions(path, QFileDevice::WriteOwner);
    VirtualWheel wheel("R-VELO", kPid);
    const QJsonObject before = wheel.state();
    QString error;
    {
        FileAccessAsNobody nobody;
        QFile probe(path);
        if (probe.open(QIODevice::ReadOnly))
            QSKIP("this user reads files whatever their permissions");
        QVERIFY(!wheel.attachStateFile(path, &error));
    }
    QVERIFY2(error.contains("cannot read"), qPrintable(error));
    QCOMPARE(wheel.state().value("flash"), before.value("flash"));
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QCOMPARE(readAll(path), validFile());
}

void TestWheelStateFile::ledLevelsRoundUpOnLoad()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("wheel.json");
    writeFile(path, QByteArray(validFile()).replace("[173,0,173,", "[100,1,227,"));
    VirtualWheel wheel("R-VELO", kPid);
    QString error;
    QVERIFY2(wheel.attachStateFile(path, &error), qPrintable(error));
    const QJsonObject state = wheel.state();
    const QList<int> firstFour = {at(state, "flash.leds.0").toInt(), at(state, "flash.leds.1").toInt(),
                                  at(state, "flash.leds.2").toInt(), at(state, "flash.leds.3").toInt()};
    QCOMPARE(firstFour, (QList<int>{106, 4, 255, 0}));
}

void TestWheelStateFile::rewriteIsAtomic()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("wheel.json");
    writeFile(path, validFile());
    VirtualWheel wheel("R-VELO", kPid);
    QVERIFY(wheel.attachStateFile(path, nullptr));
    auto device = wheel.open(kVendor, kPid);
    QByteArray previous = validFile();
    for (int width = 40; width <= 60; ++width) {
        // A reader that opened the file before the change.
        QFile reader(path);
        QVERIFY(reader.open(QIODevice::ReadOnly));
        QCOMPARE(send(*device, pad(bytes("02 0c 04").append(char(width)).append(bytes("00 00 00 ef")))), 20);
#ifdef Q_OS_UNIX
        // The new file replaced the old one whole: the reader still finds every byte of the old
        // file, where a file truncated and written over would show it the new or a cut text.
        QCOMPARE(reader.readAll(), previous);
#endif
        // After every change the file is whole and current, and no temporary file is left.
        previous = readAll(path);
        const QJsonObject file = QJsonDocument::fromJson(previous).object();
        QCOMPARE(at(file, "flash.pulseWidth").toInt(), width);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"wheel.json"});
    }
    QCOMPARE(at(QJsonDocument::fromJson(readAll(path)).object(), "firmware.md5").toString(),
             QString("0123456789abcdef0123456789abcdef"));
}

QTEST_GUILESS_MAIN(TestWheelStateFile)
#include "tst_wheelstatefile.moc"
