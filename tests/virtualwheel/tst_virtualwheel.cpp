// The simulated wheel seen through its HID devices, as the tool sees it.
#include "protocol/wheelprotocol.h"
#include "virtualwheel/demoinputs.h"
#include "virtualwheel/virtualwheel.h"
#include "wheeltest.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QtTest>
#include <atomic>
#include <set>
#include <thread>

using namespace wheeltest;

namespace {

constexpr std::uint16_t kVendor = 0x7E57;
constexpr std::uint16_t kPid = 0x2007;

// One setup line, in the words of the control commands.
void apply(VirtualWheel& wheel, const QString& line)
{
    const int space = int(line.indexOf(' '));
    const QString word = line.left(space);
    const QString rest = line.mid(space + 1);
    const QStringList args = rest.split(' ', Qt::SkipEmptyParts);
    if (word == "set") {
        QString error;
        QVERIFY2(wheel.setSetting(args.at(0), args.mid(1), &error), qPrintable(error));
    } else if (word == "model") {
        wheel.setModel(rest);
    } else if (word == "version") {
        wheel.setVersion(QString(rest).replace("\\t", "\t"));
    } else if (word == "battery") {
        wheel.setBattery(args.at(0).toInt(), args.at(1).toInt(), args.at(2).toInt());
    } else if (word == "aux-lamps") {
        wheel.setAuxLampsFlag(args.at(0).toInt());
    } else if (word == "shifter") {
        wheel.setShifterRaw(args.at(0).toInt(), args.at(1).toInt());
    } else {
        QFAIL(qPrintable("unknown setup line " + line));
    }
}

// Firmware frames as the tool builds them: one buffer for the whole transfer, so a
// short last block still carries the previous block's bytes past its count.
QList<QByteArray> firmwareFrames(const QByteArray& image, const QList<int>& order, bool endFrame)
{
    QList<QByteArray> frames;
    QByteArray buffer(20, '\0');
    buffer[0] = 0x02;
    for (int n : order) {
        const int count = int(std::min<qsizetype>(16, image.size() - n * 16));
        buffer[1] = char(0x80 | (n >> 8));
        buffer[2] = char(n & 0xFF);
        buffer[3] = char(count);
        for (int i = 0; i < count; ++i)
            buffer[4 + i] = image[n * 16 + i];
        frames.append(buffer);
    }
    if (endFrame) {
        buffer[1] = 0x10;
        frames.append(buffer);
    }
    return frames;
}

QByteArray patternImage(int size)
{
    QByteArray image(size, '\0');
    for (int i = 0; i < size; ++i)
        image[i] = char((i * 37 + i / 251) & 0xFF);
    return image;
}

QString md5Hex(const QByteArray& data)
{
    return QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Md5).toHex());
}

} // namespace

class TestVirtualWheel : public QObject
{
    Q_OBJECT

private slots:
    void opens_data();
    void opens();
    void liveAndSavedFrames_data();
    void liveAndSavedFrames();
    void queryAnswers_data();
    void queryAnswers();
    void answersReadByToolFunctions();
    void modelTextLatchedAtOpen();
    void ledBlocks_data();
    void ledBlocks();
    void ledRawBlockAndRejectedWrites();
    void shifterCalibration_data();
    void shifterCalibration();
    void clearFlash_data();
    void clearFlash();
    void firmwareImage_data();
    void firmwareImage();
    void firmwareSecondImageStartsAfresh();
    void failCounts_data();
    void failCounts();
    void failSendsSpareOutputReports();
    void latencyDelaysEveryTransfer();
    void unplugSemantics();
    void inputReports_data();
    void inputReports();
    void blockingReadWaitsBriefly();
    void receivedLogIsBounded();
    void demoInputs();
    void demoModeQueuesWhileOpen();
    void concurrentUse();
};

void TestVirtualWheel::opens_data()
{
    QTest::addColumn<int>("wheelPid");
    QTest::addColumn<int>("vendor");
    QTest::addColumn<int>("product");
    QTest::addColumn<bool>("opens");
    QTest::newRow("its vendor and product") << 0x2007 << 0x7E57 << 0x2007 << true;
    QTest::newRow("another product") << 0x2007 << 0x7E57 << 0x2008 << false;
    QTest::newRow("another vendor") << 0x2007 << 0x1234 << 0x2007 << false;
    QTest::newRow("last product id") << 0x200D << 0x7E57 << 0x200D << true;
    QTest::newRow("last id, tool tries first") << 0x200D << 0x7E57 << 0x2007 << false;
}

void TestVirtualWheel::opens()
{
    QFETCH(int, wheelPid);
    QFETCH(int, vendor);
    QFETCH(int, product);
    QFETCH(bool, opens);
    VirtualWheel wheel("R-VELO", std::uint16_t(wheelPid));
    QCOMPARE(wheel.init(), 0);
    auto device = wheel.open(std::uint16_t(vendor), std::uint16_t(product));
    QCOMPARE(device != nullptr, opens);
    QCOMPARE(wheel.isOpen(), opens);
    device.reset();
    QVERIFY(!wheel.isOpen());
}

void TestVirtualWheel::liveAndSavedFrames_data()
{
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QStringList>("checks"); // "path=json"

    QTest::newRow("paddle live") << frame("02 0a 96 00 00 10 0e 20 0f 30 00 40 00")
                                 << QStringList{"live.paddleMode=150",    "live.calRightMax=3600",
                                                "live.calLeftMax=3872",   "live.calRightMin=48",
                                                "live.calLeftMin=64",     "flash.paddleMode=50",
                                                "flash.calRightMax=4095", "flash.calLeftMin=0"};
    QTest::newRow("paddle saved") << frame("02 0a 96 ef 00 10 0e 20 0f 30 00 40 00")
                                  << QStringList{"live.paddleMode=150",    "flash.paddleMode=150",
                                                 "flash.calRightMax=3600", "flash.calLeftMax=3872",
                                                 "flash.calRightMin=48",   "flash.calLeftMin=64"};
    QTest::newRow("paddle saved, tool's frame")
        << toBytes(tarvo::paddleSettingsFrame(201, true, {4000, 3900, 100, 200}))
        << QStringList{"live.paddleMode=201",   "flash.paddleMode=201",  "flash.calRightMax=4000",
                       "flash.calLeftMax=3900", "flash.calRightMin=100", "flash.calLeftMin=200"};
    QTest::newRow("paddle, other marker is live")
        << frame("02 0a ff 01 00 10 0e 20 0f 30 00 40 00") << QStringList{"live.paddleMode=255", "flash.paddleMode=50"};
    QTest::newRow("pulse live") << frame("02 0c 04 96 00 00 00 00")
                                << QStringList{"live.pulseWidth=150", "flash.pulseWidth=100"};
    QTest::newRow("pulse saved") << frame("02 0c 04 f0 00 00 00 ef")
                                 << QStringList{"live.pulseWidth=240", "flash.pulseWidth=240"};
    QTest::newRow("pulse saved -1") << frame("02 0c 04 ff ff ff ff ef")
                                    << QStringList{"live.pulseWidth=-1", "flash.pulseWidth=-1"};
    QTest::newRow("pulse live, tool's frame") << toBytes(tarvo::encoderPulseWidthFrame(40, false))
                                              << QStringList{"live.pulseWidth=40", "flash.pulseWidth=100"};
    QTest::newRow("clutch disabled saved")
        << frame("02 0c 08 ff 00 00 00 ef") << QStringList{"live.clutchEnable=255", "flash.clutchEnable=255"};
    QTest::newRow("clutch frame with answer leftovers")
        << frame("02 0c 08 00 00 00 00 ef 12 34 56 78 9a bc de f0 11 22 33 44")
        << QStringList{"live.clutchEnable=0", "flash.clutchEnable=0"};
    QTest::newRow("clutch live") << frame("02 0c 08 ff 00 00 00 00")
                                 << QStringList{"live.clutchEnable=255", "flash.clutchEnable=1"};
    QTest::newRow("clutch full 32 bits") << frame("02 0c 08 ff ff ff ff ef")
                                         << QStringList{"flash.clutchEnable=4294967295"};
    QTest::newRow("aux lamps live") << frame("02 11 00 01 02 03 04 05 06")
                                    << QStringList{"live.auxLamps=[1,2,3,4,5,6]",
                                                   "flash.auxLamps=[255,255,255,255,255,255]"};
    QTest::newRow("aux lamps saved") << frame("02 11 ef 01 02 03 04 05 06")
                                     << QStringList{"live.auxLamps=[1,2,3,4,5,6]", "flash.auxLamps=[1,2,3,4,5,6]"};
    QTest::newRow("aux lamps saved, tool's frame")
        << toBytes(tarvo::auxLampColoursFrame({{10, 20, 30}, {40, 50, 60}}, true))
        << QStringList{"live.auxLamps=[10,20,30,40,50,60]", "flash.auxLamps=[10,20,30,40,50,60]"};
    QTest::newRow("unknown parameter ignored")
        << frame("02 0c 09 05 00 00 00 ef")
        << QStringList{"live.pulseWidth=100", "live.clutchEnable=1", "flash.paddleMode=50"};
    QTest::newRow("unknown command ignored")
        << frame("02 42 04 05 00 00 00 ef") << QStringList{"live.pulseWidth=100", "flash.pulseWidth=100"};
    QTest::newRow("short report reads zero-padded")
        << bytes("02 0c 04 c8") << QStringList{"live.pulseWidth=200", "flash.pulseWidth=100"};
}

void TestVirtualWheel::liveAndSavedFrames()
{
    QFETCH(QByteArray, sent);
    QFETCH(QStringList, checks);
    VirtualWheel wheel("R-VELO", kPid);
    auto device = wheel.open(kVendor, kPid);
    QVERIFY(device);
    QCOMPARE(send(*device, sent), int(sent.size()));

    const QJsonObject state = wheel.state();
    for (const QString& check : checks) {
        const QString path = check.section('=', 0, 0);
        QCOMPARE(compact(at(state, path)), compact(json(check.section('=', 1))));
    }

    // Power-up starts from the flash: a live-only change is gone.
    wheel.unplug();
    wheel.plug();
    const QJsonObject after = wheel.state();
    QCOMPARE(after.value("live"), after.value("flash"));
    QCOMPARE(after.value("flash"), state.value("flash"));
}

void TestVirtualWheel::queryAnswers_data()
{
    QTest::addColumn<QStringList>("setup");
    QTest::addColumn<QByteArray>("queryBytes");
    QTest::addColumn<QByteArray>("answer");

    QTest::newRow("model") << QStringList{} << frame("02 0b 0d") << bytes("02 0d 52 2d 56 45 4c 4f", 21);
    QTest::newRow("model of 19 bytes") << QStringList{"model ABCDEFGHIJKLMNOPQRS"} << frame("02 0b 0d")
                                       << bytes("02 0d 41 42 43 44 45 46 47 48 49 4a 4b 4c 4d 4e 4f 50 51 52 53");
    QTest::newRow("model longer than 19 bytes is cut")
        << QStringList{"model ABCDEFGHIJKLMNOPQRSTU"} << frame("02 0b 0d")
        << bytes("02 0d 41 42 43 44 45 46 47 48 49 4a 4b 4c 4d 4e 4f 50 51 52 53");
    QTest::newRow("empty model") << QStringList{"model "} << frame("02 0b 0d") << bytes("02 0d", 21);
    QTest::newRow("version") << QStringList{} << frame("02 0b 09")
                             << bytes("02 09 41 75 67 20 20 33 20 32 30 32 33 2c 31 34 3a 30 35", 21);
    QTest::newRow("version of 20 bytes") << QStringList{"version 12345678901234567890"} << frame("02 0b 09")
                                         << bytes("02 31 32 33 34 35 36 37 38 39 30 31 32 33 34 35 36 37 38 39 30");
    QTest::newRow("version with colon") << QStringList{"version V1.2:"} << frame("02 0b 09")
                                        << bytes("02 56 31 2e 32 3a", 21);
    QTest::newRow("paddle") << QStringList{"set paddleMode 201", "set calRightMax 4000", "set calLeftMax 3900",
                                           "set calRightMin 100", "set calLeftMin 200"}
                            << frame("02 0b 0a") << bytes("02 0a c9 00 00 a0 0f 3c 0f 64 00 c8 00", 21);
    QTest::newRow("paddle factory") << QStringList{} << frame("02 0b 0a") << bytes("02 0a 32 00 00 ff 0f ff 0f", 21);
    QTest::newRow("pulse") << QStringList{"set pulseWidth 240"} << frame("02 0b 0c 04")
                           << bytes("02 0c 04 f0 00 00 00", 21);
    QTest::newRow("pulse -1") << QStringList{"set pulseWidth -1"} << frame("02 0b 0c 04")
                              << bytes("02 0c 04 ff ff ff ff", 21);
    QTest::newRow("clutch enabled") << QStringList{} << frame("02 0b 0c 08") << bytes("02 0c 08 01 00 00 00", 21);
    QTest::newRow("clutch 32 bits") << QStringList{"set clutchEnable 4294967295"} << frame("02 0b 0c 08")
                                    << bytes("02 0c 08 ff ff ff ff", 21);
    QTest::newRow("shifter threshold") << QStringList{"set shifter 5 1234"} << frame("02 0b 0c 05")
                                       << bytes("02 0c 05 d2 04 00 00", 21);
    QTest::newRow("unknown parameter: no value")
        << QStringList{} << frame("02 0b 0c 09") << bytes("02 0c 09 ff ff ff ff", 21);
    QTest::newRow("battery") << QStringList{"battery 55 4299 1"} << frame("02 0b 0f") << bytes("02 0f 37 cb 10 01", 21);
    QTest::newRow("battery default") << QStringList{} << frame("02 0b 0f") << bytes("02 0f 57 3c 0f 00", 21);
    QTest::newRow("aux lamps") << QStringList{"aux-lamps 0", "set auxLamps 1 2 3 250 251 252"} << frame("02 0b 11")
                               << bytes("02 11 00 01 02 03 fa fb fc", 21);
    QTest::newRow("aux lamps default") << QStringList{} << frame("02 0b 11") << bytes("02 11 01 ff ff ff ff ff ff", 21);
    QTest::newRow("led block 0") << QStringList{"set led 0 255 0 9"} << frame("02 0b 00")
                                 << bytes("02 00 0f f2" + QString("ff").repeated(16), 21);
    QTest::newRow("led block 3, last slot") << QStringList{"set led 47 0 4 5"} << frame("02 0b 03")
                                            << bytes("02 03" + QString("ff").repeated(16) + "0f 21", 21);
    // Slot 18 is image byte 27 (low, high nibble) and 28 (low): codes 9, 1 and 14.
    QTest::newRow("led level rounds up to a code")
        << QStringList{"set led 18 100 1 226"} << frame("02 0b 01")
        << bytes("02 01" + QString("ff").repeated(9) + "19 fe" + QString("ff").repeated(7), 21);
    QTest::newRow("led query with leftovers") << QStringList{} << frame("02 0b 01 00" + QString("ab").repeated(16))
                                              << bytes("02 01" + QString("ff").repeated(18), 21);
    QTest::newRow("unknown selector") << QStringList{} << frame("02 0b 42") << bytes("02 42", 21);
}

void TestVirtualWheel::queryAnswers()
{
    QFETCH(QStringList, setup);
    QFETCH(QByteArray, queryBytes);
    QFETCH(QByteArray, answer);
    VirtualWheel wheel("R-VELO", kPid);
    for (const QString& line : setup)
        apply(wheel, line);
    auto device = wheel.open(kVendor, kPid);
    QVERIFY(device);
    QCOMPARE(query(*device, queryBytes).toHex(' '), answer.toHex(' '));
}

void TestVirtualWheel::answersReadByToolFunctions()
{
    VirtualWheel wheel("KTR2 wheel", kPid);
    for (const char* line :
         {"set paddleMode 105", "set calRightMax 4001", "set calLeftMin 7", "set pulseWidth 180",
          "set clutchEnable 255", "battery 42 4100 3", "aux-lamps 1", "set auxLamps 9 8 7 6 5 4", "version v2.01:"})
        apply(wheel, line);
    auto device = wheel.open(kVendor, kPid);
    QVERIFY(device);
    const auto answer = [&](tarvo::QuerySelector selector, std::uint8_t sub = 0) {
        const QByteArray raw = query(*device, toBytes(tarvo::queryFrame(selector, sub)));
        tarvo::AnswerBuffer buffer{};
        std::copy_n(raw.constData(), std::min<int>(21, int(raw.size())), buffer.begin());
        return buffer;
    };

    QCOMPARE(tarvo::modelIdText(answer(tarvo::QuerySelector::ModelId)).value_or("(discarded)"),
             std::string("KTR2 wheel"));
    QCOMPARE(tarvo::firmwareVersionText(answer(tarvo::QuerySelector::FirmwareVersion)), std::string("v2.01"));
    const auto paddle = tarvo::paddleSettingsAnswer(answer(tarvo::QuerySelector::PaddleSettings));
    QCOMPARE(int(paddle.paddleMode), 105);
    QCOMPARE(int(paddle.calibration.rightMax), 4001);
    QCOMPARE(int(paddle.calibration.leftMax), 4095);
    QCOMPARE(int(paddle.calibration.leftMin), 7);
    QCOMPARE(tarvo::parameterValueSigned(answer(tarvo::QuerySelector::Parameter, 4)), 180);
    QVERIFY(!tarvo::clutchEnabledAnswer(answer(tarvo::QuerySelector::Parameter, 8)));
    const auto battery = tarvo::batteryAnswer(answer(tarvo::QuerySelector::Battery));
    QCOMPARE(int(battery.percent), 42);
    QCOMPARE(int(battery.supply), 4100);
    QCOMPARE(int(battery.link), 3);
    const auto lamps = tarvo::auxLampsAnswer(answer(tarvo::QuerySelector::AuxLamps));
    QCOMPARE(int(lamps.capability), 1);
    QVERIFY(lamps.lamps.left == (tarvo::Rgb{9, 8, 7}));
    QVERIFY(lamps.lamps.right == (tarvo::Rgb{6, 5, 4}));

    // The LED readout: one buffer cleared once, only bytes 0-3 rewritten per query.
    tarvo::LedLevels levels{};
    for (std::size_t i = 0; i < levels.size(); ++i)
        levels[i] = tarvo::LEVELS[(i * 5) % 16];
    const tarvo::LedImage image = tarvo::packLedImage(levels);
    for (int block : tarvo::kLedBlockWriteOrder)
        QCOMPARE(write(*device, toBytes(tarvo::ledBlockReport(image, block))), 20);
    tarvo::AnswerBuffer buffer{};
    tarvo::LedImage readBack{};
    for (int block = 0; block < 4; ++block) {
        tarvo::writeQueryHeader(buffer, tarvo::QuerySelector(block));
        QVERIFY(device->sendFeatureReport(buffer.data(), 20) == 20);
        QVERIFY(device->getFeatureReport(buffer.data(), 21) == 21);
        tarvo::storeLedBlockAnswer(readBack, block, buffer);
    }
    QVERIFY(tarvo::unpackLedImage(readBack) == levels);
}

void TestVirtualWheel::modelTextLatchedAtOpen()
{
    VirtualWheel wheel("R-VELO", kPid);
    auto device = wheel.open(kVendor, kPid);
    wheel.setModel("QLN5");
    QCOMPARE(query(*device, frame("02 0b 0d")).mid(2, 6), QByteArray("R-VELO"));
    QCOMPARE(wheel.state().value("model").toString(), QString("QLN5"));
    device.reset();
    device = wheel.open(kVendor, kPid);
    QCOMPARE(query(*device, frame("02 0b 0d")).mid(2, 5), QByteArray("QLN5\0", 5));
}

void TestVirtualWheel::ledBlocks_data()
{
    QTest::addColumn<QList<int>>("blocks");
    QTest::addColumn<bool>("commit");
    QTest::newRow("live, tool's order") << QList<int>{0, 1, 3, 2} << false;
    QTest::newRow("saved, tool's order") << QList<int>{0, 1, 3, 2} << true;
    QTest::newRow("one block, saved") << QList<int>{2} << true;
    QTest::newRow("commit alone") << QList<int>{} << true;
}

void TestVirtualWheel::ledBlocks()
{
    QFETCH(QList<int>, blocks);
    QFETCH(bool, commit);
    VirtualWheel wheel("R-VELO", kPid);
    auto device = wheel.open(kVendor, kPid);
    const QJsonArray factory = at(wheel.state(), "flash.leds").toArray();

    QByteArray image(72, '\0');
    for (int i = 0; i < 72; ++i)
        image[i] = char((i * 29 + 3) & 0xFF);
    for (int block : blocks)
        QCOMPARE(write(*device, pad(bytes("03").append(char(block)).append(image.mid(block * 18, 18)))), 20);
    if (commit)
        QCOMPARE(send(*device, frame("02 0e")), 20);

    QJsonArray expected = factory;
    for (int block : blocks) {
        for (int i = block * 18; i < block * 18 + 18; ++i) {
            expected[2 * i] = int(tarvo::LEVELS[std::uint8_t(image[i]) & 0x0F]);
            expected[2 * i + 1] = int(tarvo::LEVELS[std::uint8_t(image[i]) >> 4]);
        }
    }
    const QJsonObject state = wheel.state();
    QCOMPARE(at(state, "live.leds").toArray(), expected);
    QCOMPARE(at(state, "flash.leds").toArray(), commit ? expected : factory);

    // The live image answers the block queries byte for byte.
    for (int block : blocks)
        QCOMPARE(query(*device, pad(bytes("02 0b").append(char(block)))).mid(2, 18).toHex(),
                 image.mid(block * 18, 18).toHex());
}

void TestVirtualWheel::ledRawBlockAndRejectedWrites()
{
    VirtualWheel wheel("R-VELO", kPid);
    auto device = wheel.open(kVendor, kPid);
    // 0x2A: level 126 from the low nibble first, then 9.
    QCOMPARE(write(*device, frame("03 00 2a")), 20);
    QCOMPARE(at(wheel.state(), "live.leds.0").toInt(), 126);
    QCOMPARE(at(wheel.state(), "live.leds.1").toInt(), 9);
    QCOMPARE(at(wheel.state(), "live.leds.2").toInt(), 0);

    const QJsonValue before = wheel.state().value("live");
    QCOMPARE(write(*device, frame("02 00 2a")), -1); // not the LED report
    QCOMPARE(write(*device, frame("03 04 11 11")), 20); // no such block: ignored
    QCOMPARE(wheel.state().value("live"), before);
    QCOMPARE(wheel.received().size(), 2);
    QVERIFY(wheel.received().at(0).kind == VirtualWheel::Received::Kind::Write);
}

void TestVirtualWheel::shifterCalibration_data()
{
    QTest::addColumn<int>("shifter");
    QTest::addColumn<QByteArray>("endFrame");
    QTest::addColumn<bool>("saved");
    QTest::newRow("left") << 3 << frame("02 0c 03 ff ff ff ff ef") << true;
    QTest::newRow("right") << 5 << frame("02 0c 05 ff ff ff ff ef") << true;
    QTest::newRow("extra left") << 6 << frame("02 0c 06 ff ff ff ff ef") << true;
    QTest::newRow("extra right, tool's frame")
        << 7 << toBytes(tarvo::shifterCalibrationEndFrame(tarvo::Parameter::ShifterExtraRight)) << true;
    QTest::newRow("end without save marker") << 5 << frame("02 0c 05 ff ff ff ff 00") << false;
}

void TestVirtualWheel::shifterCalibration()
{
    QFETCH(int, shifter);
    QFETCH(QByteArray, endFrame);
    QFETCH(bool, saved);
    VirtualWheel wheel("QLN5", kPid);
    auto device = wheel.open(kVendor, kPid);
    wheel.setShifterRaw(shifter, 1234);
    for (int other : {3, 5, 6, 7}) {
        if (other != shifter)
            wheel.setShifterRaw(other, 999);
    }
    const QString key = QString::number(shifter);

    // The start holds the threshold where it was.
    QCOMPARE(send(*device, pad(bytes("02 0c").append(char(shifter)))), 20);
    QCOMPARE(at(wheel.state(), "live.shifters." + key).toInt(), 2048);

    QCOMPARE(send(*device, endFrame), 20);
    const QJsonObject state = wheel.state();
    QCOMPARE(at(state, "live.shifters." + key).toInt(), 1234);
    QCOMPARE(at(state, "flash.shifters." + key).toInt(), saved ? 1234 : 2048);
    for (int other : {3, 5, 6, 7}) {
        if (other == shifter)
            continue;
        QCOMPARE(at(state, "live.shifters." + QString::number(other)).toInt(), 2048);
        QCOMPARE(at(state, "flash.shifters." + QString::number(other)).toInt(), 2048);
    }
}

void TestVirtualWheel::clearFlash_data()
{
    QTest::addColumn<QByteArray>("clearFrame");
    QTest::newRow("raw") << frame("02 0c 10");
    QTest::newRow("tool's frame") << toBytes(tarvo::clearFlashFrame());
}

void TestVirtualWheel::clearFlash()
{
    QFETCH(QByteArray, clearFrame);
    VirtualWheel wheel("R-VELO", kPid);
    const QJsonValue factory = wheel.state().value("flash");
    auto device = wheel.open(kVendor, kPid);
    for (const char* hex : {"02 0a 10 ef 00 10 0e 20 0f 30 00 40 00", "02 0c 04 96 00 00 00 ef",
                            "02 0c 08 ff 00 00 00 ef", "02 11 ef 01 02 03 04 05 06"})
        QCOMPARE(send(*device, frame(hex)), 20);
    QCOMPARE(write(*device, frame("03 01 11 22 33")), 20);
    QCOMPARE(send(*device, frame("02 0e")), 20);
    wheel.setShifterRaw(3, 77);
    QCOMPARE(send(*device, frame("02 0c 03 ff ff ff ff ef")), 20);
    for (const QByteArray& f : firmwareFrames(patternImage(40), {0, 1, 2}, true))
        QCOMPARE(send(*device, f), 20);
    const QJsonValue firmware = wheel.state().value("firmware");
    QVERIFY(wheel.state().value("flash") != factory);

    QCOMPARE(send(*device, clearFrame), 20);
    const QJsonObject state = wheel.state();
    QCOMPARE(state.value("flash"), factory);
    QCOMPARE(state.value("live"), factory);
    // Settings are erased, not the firmware.
    QCOMPARE(state.value("firmware"), firmware);
}

void TestVirtualWheel::firmwareImage_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<QList<int>>("order");
    QTest::addColumn<bool>("endFrame");
    QTest::addColumn<bool>("inOrder");

    QTest::newRow("16 bytes") << 16 << QList<int>{0} << true << true;
    QTest::newRow("17 bytes, short last block") << 17 << QList<int>{0, 1} << true << true;
    QTest::newRow("empty image") << 0 << QList<int>{} << true << true;
    QTest::newRow("out of order") << 48 << QList<int>{0, 2, 1} << true << false;
    QTest::newRow("starting at block 1") << 32 << QList<int>{1, 0} << true << false;
    QTest::newRow("repeated block") << 32 << QList<int>{0, 0, 1} << true << false;
    QTest::newRow("repeated last block") << 32 << QList<int>{0, 1, 1} << true << false;
    QTest::newRow("missing block") << 48 << QList<int>{0, 2} << true << false;
    QTest::newRow("no end frame yet") << 40 << QList<int>{0, 1, 2} << false << true;
    QList<int> many;
    for (int n = 0; n < 263; ++n)
        many.append(n);
    QTest::newRow("past block 256") << 4200 << many << true << true;
}

void TestVirtualWheel::firmwareImage()
{
    QFETCH(int, size);
    QFETCH(QList<int>, order);
    QFETCH(bool, endFrame);
    QFETCH(bool, inOrder);
    VirtualWheel wheel("R-VELO", kPid);
    auto device = wheel.open(kVendor, kPid);
    const QByteArray image = patternImage(size);
    for (const QByteArray& f : firmwareFrames(image, order, endFrame))
        QCOMPARE(send(*device, f), 20);

    // What the wheel holds: the blocks it got, at 16 bytes per block number.
    const std::set<int> got(order.begin(), order.end());
    int end = 0;
    for (int n : got)
        end = std::max(end, std::min(size, n * 16 + 16));
    QByteArray expected = image.left(end);
    for (int n = 0; n * 16 < end; ++n) {
        if (!got.count(n))
            expected.replace(n * 16, 16, QByteArray(16, '\0'));
    }

    const QJsonObject firmware = wheel.state().value("firmware").toObject();
    QCOMPARE(firmware.value("size").toInt(), int(expected.size()));
    QCOMPARE(firmware.value("md5").toString(), md5Hex(expected));
    QCOMPARE(firmware.value("blocks").toInt(), int(order.size()));
    QCOMPARE(firmware.value("complete").toBool(), endFrame);
    QCOMPARE(firmware.value("inOrder").toBool(), inOrder);
    if (size == 0)
        QCOMPARE(firmware.value("md5").toString(), QString("d41d8cd98f00b204e9800998ecf8427e"));
}

void TestVirtualWheel::firmwareSecondImageStartsAfresh()
{
    VirtualWheel wheel("R-VELO", kPid);
    auto device = wheel.open(kVendor, kPid);
    QCOMPARE(wheel.state().value("firmware").toObject().value("md5").toString(), QString());
    for (const QByteArray& f : firmwareFrames(patternImage(100), {0, 1, 3, 2, 4, 5, 6}, true))
        send(*device, f);
    const QByteArray second = patternImage(20).replace(0, 1, "x");
    for (const QByteArray& f : firmwareFrames(second, {0, 1}, true))
        send(*device, f);
    const QJsonObject firmware = wheel.state().value("firmware").toObject();
    QCOMPARE(firmware.value("size").toInt(), 20);
    QCOMPARE(firmware.value("md5").toString(), md5Hex(second));
    QCOMPARE(firmware.value("blocks").toInt(), 2);
    QVERIFY(firmware.value("inOrder").toBool());

    // A second end frame straight after is an empty image.
    QCOMPARE(send(*device, frame("02 10")), 20);
    QCOMPARE(wheel.state().value("firmware").toObject().value("size").toInt(), 0);
}

void TestVirtualWheel::failCounts_data()
{
    QTest::addColumn<bool>("sends"); // else gets
    QTest::addColumn<int>("count");
    QTest::addColumn<QList<int>>("results");
    QTest::newRow("no failing sends") << true << 0 << QList<int>{20, 20};
    QTest::newRow("two failing sends") << true << 2 << QList<int>{-1, -1, 20, 20};
    QTest::newRow("one failing get") << false << 1 << QList<int>{-1, 21, 21};
    QTest::newRow("three failing gets") << false << 3 << QList<int>{-1, -1, -1, 21};
}

void TestVirtualWheel::failCounts()
{
    QFETCH(bool, sends);
    QFETCH(int, count);
    QFETCH(QList<int>, results);
    VirtualWheel wheel("R-VELO", kPid);
    auto device = wheel.open(kVendor, kPid);
    if (sends)
        wheel.failSends(count);
    else
        wheel.failGets(count);

    int stored = 100;
    for (int i = 0; i < results.size(); ++i) {
        if (sends) {
            const int width = 50 + i;
            QCOMPARE(send(*device, pad(bytes("02 0c 04").append(char(width)).append(bytes("00 00 00 ef")))),
                     results[i]);
            if (results[i] > 0)
                stored = width;
            // A failed send changes nothing.
            QCOMPARE(at(wheel.state(), "flash.pulseWidth").toInt(), stored);
            QCOMPARE(at(wheel.state(), "live.pulseWidth").toInt(), stored);
        } else {
            QCOMPARE(send(*device, frame("02 0b 0c 04")), 20);
            std::array<std::uint8_t, 21> buffer{};
            std::copy_n(frame("02 0b 0c 04").constData(), 20, buffer.begin());
            QCOMPARE(device->getFeatureReport(buffer.data(), 21), results[i]);
            // A failed read leaves the buffer as the query left it.
            QCOMPARE(toBytes(buffer).toHex(' '),
                     (results[i] < 0 ? bytes("02 0b 0c 04", 21) : bytes("02 0c 04 64", 21)).toHex(' '));
        }
    }
    const int successes = int(std::count_if(results.begin(), results.end(), [](int r) { return r > 0; }));
    QCOMPARE(wheel.received().size(), sends ? successes : int(results.size()));
    QCOMPARE(wheel.state().value(sends ? "failSends" : "failGets").toInt(), 0);
}

void TestVirtualWheel::failSendsSpareOutputReports()
{
    VirtualWheel wheel("R-VELO", kPid);
    auto device = wheel.open(kVendor, kPid);
    wheel.failSends(1);
    wheel.failGets(1);
    QCOMPARE(write(*device, frame("03 00 00")), 20);
    QCOMPARE(send(*device, frame("02 0b 0c 04")), -1);
    QCOMPARE(send(*device, frame("02 0b 0c 04")), 20);
    std::array<std::uint8_t, 21> buffer{0x02};
    QCOMPARE(device->getFeatureReport(buffer.data(), 21), -1);
    QCOMPARE(device->getFeatureReport(buffer.data(), 21), 21);
    QCOMPARE(int(buffer[3]), 100);
}

void TestVirtualWheel::latencyDelaysEveryTransfer()
{
    VirtualWheel wheel("R-VELO", kPid);
    auto device = wheel.open(kVendor, kPid);
    wheel.setLatency(40);
    std::array<std::uint8_t, 21> buffer{0x02};
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(send(*device, frame("02 0b 0c 04")), 20);
    QVERIFY(clock.elapsed() >= 40);
    clock.restart();
    QCOMPARE(device->getFeatureReport(buffer.data(), 21), 21);
    QVERIFY(clock.elapsed() >= 40);
    clock.restart();
    QCOMPARE(write(*device, frame("03 00 00")), 20);
    QVERIFY(clock.elapsed() >= 40);
    QCOMPARE(wheel.state().value("latencyMs").toInt(), 40);
}

void TestVirtualWheel::unplugSemantics()
{
    VirtualWheel wheel("R-VELO", kPid);
    auto device = wheel.open(kVendor, kPid);
    QVERIFY(device);
    QCOMPARE(device->setNonBlocking(true), 0);
    QCOMPARE(send(*device, frame("02 0c 04 96 00 00 00 00")), 20); // live only
    wheel.queueInput(bytes("01 02 03"));
    QCOMPARE(wheel.pendingInputCount(), 1);

    wheel.unplug();
    QVERIFY(!wheel.isOpen());
    QCOMPARE(wheel.state().value("connected").toBool(), false);
    std::array<std::uint8_t, 21> buffer{0x02};
    QCOMPARE(device->read(buffer.data(), 17), -1); // the pending report is lost too
    QCOMPARE(send(*device, frame("02 0b 0a")), -1);
    QCOMPARE(device->getFeatureReport(buffer.data(), 21), -1);
    QCOMPARE(write(*device, frame("03 00")), -1);
    QVERIFY(!wheel.open(kVendor, kPid));
    QCOMPARE(wheel.pendingInputCount(), 0);

    wheel.plug();
    QCOMPARE(wheel.state().value("connected").toBool(), true);
    // The handle from before the unplug stays dead.
    QCOMPARE(device->read(buffer.data(), 17), -1);
    QCOMPARE(send(*device, frame("02 0b 0a")), -1);
    QVERIFY(!wheel.isOpen());

    auto fresh = wheel.open(kVendor, kPid);
    QVERIFY(fresh);
    QVERIFY(wheel.isOpen());
    fresh->setNonBlocking(true);
    QCOMPARE(fresh->read(buffer.data(), 17), 0);
    // Power-up: the live-only pulse width is gone.
    QCOMPARE(query(*fresh, frame("02 0b 0c 04")).at(3), char(100));
    // Closing the dead handle does not count against the fresh one.
    device.reset();
    QVERIFY(wheel.isOpen());
}

void TestVirtualWheel::inputReports_data()
{
    QTest::addColumn<QByteArray>("report");
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("result");
    QTest::addColumn<QByteArray>("buffer"); // after the read; untouched bytes stay 0xaa

    const QByteArray full = bytes("ff 0f 00 08 01 02 04 08 10 20 40 80 01 00 00 7f");
    QTest::newRow("full report") << full << 17 << 17 << bytes("01").append(full);
    QTest::newRow("one byte") << bytes("5a") << 17 << 2 << bytes("01 5a").append(QByteArray(15, char(0xaa)));
    QTest::newRow("three bytes") << bytes("10 20 30") << 17 << 4
                                 << bytes("01 10 20 30").append(QByteArray(13, char(0xaa)));
    QTest::newRow("buffer shorter than report")
        << full << 5 << 5 << bytes("01 ff 0f 00 08").append(QByteArray(12, char(0xaa)));
}

void TestVirtualWheel::inputReports()
{
    QFETCH(QByteArray, report);
    QFETCH(int, length);
    QFETCH(int, result);
    QFETCH(QByteArray, buffer);
    VirtualWheel wheel("R-VELO", kPid);
    auto device = wheel.open(kVendor, kPid);
    device->setNonBlocking(true);
    wheel.queueInput(report);
    wheel.queueInput(bytes("77"));
    std::array<std::uint8_t, 17> data;
    data.fill(0xaa);
    QCOMPARE(device->read(data.data(), std::size_t(length)), result);
    QCOMPARE(toBytes(data).toHex(' '), buffer.toHex(' '));
    // Reports come in the order queued, then nothing is pending.
    QCOMPARE(device->read(data.data(), 17), 2);
    QCOMPARE(int(data[1]), 0x77);
    QCOMPARE(device->read(data.data(), 17), 0);
}

void TestVirtualWheel::blockingReadWaitsBriefly()
{
    VirtualWheel wheel("R-VELO", kPid);
    auto device = wheel.open(kVendor, kPid);
    std::array<std::uint8_t, 17> data{};
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(device->read(data.data(), 17), 0); // blocking by default, but bounded
    QVERIFY(timer.elapsed() < 1000);

    // A report queued by another thread wakes a blocked reader.
    int result = 0;
    std::thread reader([&] {
        for (int i = 0; i < 500 && result == 0; ++i)
            result = device->read(data.data(), 17);
    });
    QTest::qWait(30);
    wheel.queueInput(bytes("01 02"));
    reader.join();
    QCOMPARE(result, 3);
    QCOMPARE(int(data[2]), 2);

    // So does an unplug, with a failure.
    std::thread blocked([&] {
        for (int i = 0; i < 500 && result >= 0; ++i)
            result = device->read(data.data(), 17);
    });
    QTest::qWait(30);
    wheel.unplug();
    blocked.join();
    QCOMPARE(result, -1);
}

void TestVirtualWheel::receivedLogIsBounded()
{
    VirtualWheel wheel("R-VELO", kPid);
    auto device = wheel.open(kVendor, kPid);
    const int total = 20000 + 7;
    for (int i = 0; i < total; ++i) {
        QByteArray f = frame("02 0b 0c");
        f[3] = char(i & 0xFF);
        f[4] = char(i >> 8);
        send(*device, f);
    }
    const auto log = wheel.received();
    QCOMPARE(log.size(), 20000);
    QCOMPARE(int(std::uint8_t(log.first().bytes[3])) | (int(std::uint8_t(log.first().bytes[4])) << 8), 7);
    QCOMPARE(int(std::uint8_t(log.last().bytes[3])) | (int(std::uint8_t(log.last().bytes[4])) << 8), total - 1);
    wheel.clearReceived();
    QVERIFY(wheel.received().isEmpty());
}

void TestVirtualWheel::demoInputs()
{
    const auto u16 = [](const QByteArray& r, int at) {
        return int(std::uint8_t(r[at])) | (int(std::uint8_t(r[at + 1])) << 8);
    };
    const int cycle = 2 * DemoInputs::kSweepTicks;
    int rightMin = 99999, rightMax = -1;
    for (int tick = 0; tick < cycle; ++tick) {
        const QByteArray r = DemoInputs::report(tick);
        QCOMPARE(r.size(), 16);
        const int right = u16(r, 0), left = u16(r, 2);
        QVERIFY(right >= 0 && right <= 4095 && left >= 0 && left <= 4095);
        rightMin = std::min(rightMin, right);
        rightMax = std::max(rightMax, right);
        // Half a cycle apart: one paddle is down while the other is up.
        QCOMPARE(left, u16(DemoInputs::report(tick + DemoInputs::kSweepTicks), 0));
        // A slow sweep moves only a little per tick.
        QVERIFY(std::abs(right - u16(DemoInputs::report(tick + 1), 0)) <= 4095 / DemoInputs::kSweepTicks + 1);
    }
    QCOMPARE(rightMin, 0);
    QCOMPARE(rightMax, 4095);

    // Every pulsed input is pressed, then released, once per round.
    const int round = DemoInputs::kPulseTicks * int(DemoInputs::kPulsedInputs.size());
    QList<int> pressedOrder;
    bool wasPressed[64] = {};
    for (int tick = 0; tick < round; ++tick) {
        const QByteArray r = DemoInputs::report(tick);
        for (int input = 0; input < 64; ++input) {
            const bool pressed = (std::uint8_t(r[4 + input / 8]) >> (input % 8)) & 1;
            if (pressed && !wasPressed[input])
                pressedOrder.append(input);
            wasPressed[input] = pressed;
        }
        QCOMPARE(r.mid(12), QByteArray(4, '\0'));
    }
    QCOMPARE(pressedOrder, QList<int>(DemoInputs::kPulsedInputs.begin(), DemoInputs::kPulsedInputs.end()));
    QVERIFY(std::none_of(std::begin(wasPressed), std::end(wasPressed), [](bool b) { return b; }));
}

void TestVirtualWheel::demoModeQueuesWhileOpen()
{
    VirtualWheel wheel("R-VELO", kPid);
    wheel.setDemo(true);
    QTest::qWait(5 * DemoInputs::kTickMs);
    QCOMPARE(wheel.pendingInputCount(), 0); // nobody reads yet
    auto device = wheel.open(kVendor, kPid);
    QTRY_VERIFY(wheel.pendingInputCount() >= 2);
    device->setNonBlocking(true);
    std::array<std::uint8_t, 17> data{};
    QCOMPARE(device->read(data.data(), 17), 17);
    QCOMPARE(int(data[0]), 1);
    wheel.setDemo(false);
    QTest::qWait(2 * DemoInputs::kTickMs);
    while (device->read(data.data(), 17) > 0) { }
    QTest::qWait(3 * DemoInputs::kTickMs);
    QCOMPARE(wheel.pendingInputCount(), 0);
}

// The GUI, input and flashing threads at once, with the control side changing the
// wheel meanwhile. Run under TSan this shows a missing lock.
void TestVirtualWheel::concurrentUse()
{
    VirtualWheel wheel("R-VELO", kPid);
    auto device = wheel.open(kVendor, kPid);
    auto flasher = wheel.open(kVendor, kPid);
    device->setNonBlocking(true);
    constexpr int kReports = 2000;
    std::atomic<int> readCount{0};
    std::atomic<bool> queriesOk{true};

    std::thread input([&] {
        std::array<std::uint8_t, 17> data{};
        QElapsedTimer timer;
        timer.start();
        while (readCount < kReports && timer.elapsed() < 20000) {
            if (device->read(data.data(), 17) > 0)
                ++readCount;
        }
    });
    std::thread flashing([&] {
        for (const QByteArray& f : firmwareFrames(
                 patternImage(16 * 500),
                 [] {
                     QList<int> all;
                     for (int n = 0; n < 500; ++n)
                         all.append(n);
                     return all;
                 }(),
                 true))
            flasher->sendFeatureReport(reinterpret_cast<const std::uint8_t*>(f.constData()), 20);
    });
    std::thread gui([&] {
        for (int i = 0; i < 1000; ++i) {
            // Each query's answer must belong to that query, whatever else happens.
            const QByteArray a = query(*device, frame("02 0b 0c 04"));
            if (a.size() != 21 || a[1] != 0x0C || a[2] != 0x04)
                queriesOk = false;
            write(*device, frame("03 01 12 34"));
        }
    });
    for (int i = 0; i < kReports; ++i) {
        wheel.queueInput(bytes("01 02 03 04"));
        if (i % 100 == 0) {
            wheel.setSetting("pulseWidth", {QString::number(i)});
            (void)wheel.state();
        }
    }
    input.join();
    flashing.join();
    gui.join();
    QCOMPARE(readCount.load(), kReports);
    QVERIFY(queriesOk);
    const QJsonObject firmware = wheel.state().value("firmware").toObject();
    QCOMPARE(firmware.value("md5").toString(), md5Hex(patternImage(16 * 500)));
    QVERIFY(firmware.value("inOrder").toBool());
}

QTEST_GUILESS_MAIN(TestVirtualWheel)
#include "tst_virtualwheel.moc"
