// Every command frame, byte for byte, as it goes on the wire.
#include "bytes.h"
#include "protocol/wheelprotocol.h"

#include <QTest>

using namespace tarvo;

namespace {

QByteArray frame(const char* hex)
{
    return hexBytes(hex, int(kFrameSize));
}
QByteArray answerSized(const char* hex)
{
    return hexBytes(hex, int(kAnswerSize));
}

// An answer as a wheel might leave it: every byte non-zero and distinct.
AnswerBuffer patternedAnswer()
{
    AnswerBuffer buffer{};
    for (std::size_t i = 0; i < buffer.size(); ++i)
        buffer[i] = static_cast<std::uint8_t>(0xA0 + i);
    buffer[0] = kFeatureReportId;
    return buffer;
}

} // namespace

class TestFrames : public QObject
{
    Q_OBJECT

private slots:
    void commandFrames_data();
    void commandFrames();
    void queryFrames_data();
    void queryFrames();
    void clutchEnableInAnswer_data();
    void clutchEnableInAnswer();
    void ledReadoutReusesOneBuffer();
    void encodePaddleMode_data();
    void encodePaddleMode();
};

void TestFrames::commandFrames_data()
{
    QTest::addColumn<QByteArray>("actual");
    QTest::addColumn<QByteArray>("expected");

    const PaddleCalibration factory; // 4096, 4096, 0, 0
    QTest::newRow("paddles left bite 0 live, start words")
        << bytesOf(paddleSettingsFrame(0, false, factory)) << frame("02 0A 00 00 00 00 10 00 10 00 00 00 00");
    QTest::newRow("paddles left bite 100 saved")
        << bytesOf(paddleSettingsFrame(100, true, factory)) << frame("02 0A 64 EF 00 00 10 00 10 00 00 00 00");
    const PaddleCalibration words{0x0F12, 0x0ABC, 0x0123, 0x0045};
    QTest::newRow("paddles right bite 0 live, each word in its place")
        << bytesOf(paddleSettingsFrame(101, false, words)) << frame("02 0A 65 00 00 12 0F BC 0A 23 01 45 00");
    QTest::newRow("paddles right bite 100 saved")
        << bytesOf(paddleSettingsFrame(201, true, words)) << frame("02 0A C9 EF 00 12 0F BC 0A 23 01 45 00");
    QTest::newRow("paddles off saved") << bytesOf(
        paddleSettingsFrame(255, true, PaddleCalibration{4095, 3000, 17, 300}))
                                       << frame("02 0A FF EF 00 FF 0F B8 0B 11 00 2C 01");

    const struct
    {
        Parameter id;
        const char* name;
        const char* start;
        const char* end;
    } shifters[] = {
        {Parameter::ShifterLeft, "left", "02 0C 03 00 00 00 00 00", "02 0C 03 FF FF FF FF EF"},
        {Parameter::ShifterRight, "right", "02 0C 05 00 00 00 00 00", "02 0C 05 FF FF FF FF EF"},
        {Parameter::ShifterExtraLeft, "extra left", "02 0C 06 00 00 00 00 00", "02 0C 06 FF FF FF FF EF"},
        {Parameter::ShifterExtraRight, "extra right", "02 0C 07 00 00 00 00 00", "02 0C 07 FF FF FF FF EF"},
    };
    for (const auto& s : shifters) {
        QTest::addRow("shifter %s calibration start", s.name)
            << bytesOf(shifterCalibrationStartFrame(s.id)) << frame(s.start);
        QTest::addRow("shifter %s calibration end", s.name)
            << bytesOf(shifterCalibrationEndFrame(s.id)) << frame(s.end);
    }

    QTest::newRow("pulse width 100 saved")
        << bytesOf(encoderPulseWidthFrame(100, true)) << frame("02 0C 04 64 00 00 00 EF");
    QTest::newRow("pulse width 100 live") << bytesOf(encoderPulseWidthFrame(100, false)) << frame("02 0C 04 64");
    QTest::newRow("pulse width 40 live") << bytesOf(encoderPulseWidthFrame(40, false)) << frame("02 0C 04 28");
    QTest::newRow("pulse width 240 saved")
        << bytesOf(encoderPulseWidthFrame(240, true)) << frame("02 0C 04 F0 00 00 00 EF");
    QTest::newRow("pulse width 300 uses two value bytes")
        << bytesOf(encoderPulseWidthFrame(300, false)) << frame("02 0C 04 2C 01 00 00 00");
    QTest::newRow("parameter value is little-endian")
        << bytesOf(setParameterFrame(Parameter::EncoderPulseWidth, 0x12345678u, false))
        << frame("02 0C 04 78 56 34 12 00");
    QTest::newRow("clutch enable built fresh")
        << bytesOf(setParameterFrame(Parameter::ClutchEnable, 1, true)) << frame("02 0C 08 01 00 00 00 EF");
    QTest::newRow("clear flash") << bytesOf(clearFlashFrame()) << frame("02 0C 10");
    QTest::newRow("led commit") << bytesOf(ledCommitFrame()) << frame("02 0E");

    const AuxLamps lamps{{0x11, 0x22, 0x33}, {0xFF, 0x00, 0x80}};
    QTest::newRow("aux lamps live") << bytesOf(auxLampColoursFrame(lamps, false))
                                    << frame("02 11 00 11 22 33 FF 00 80");
    QTest::newRow("aux lamps saved") << bytesOf(auxLampColoursFrame(lamps, true))
                                     << frame("02 11 EF 11 22 33 FF 00 80");
    QTest::newRow("aux lamps all white saved")
        << bytesOf(auxLampColoursFrame(AuxLamps{{255, 255, 255}, {255, 255, 255}}, true))
        << frame("02 11 EF FF FF FF FF FF FF");
}

void TestFrames::commandFrames()
{
    QFETCH(QByteArray, actual);
    QFETCH(QByteArray, expected);
    QCOMPARE(actual.toHex(' '), expected.toHex(' '));
}

void TestFrames::queryFrames_data()
{
    QTest::addColumn<int>("selector");
    QTest::addColumn<int>("sub");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("led block 0") << 0x00 << 0 << answerSized("02 0B 00 00");
    QTest::newRow("led block 1") << 0x01 << 0 << answerSized("02 0B 01 00");
    QTest::newRow("led block 2") << 0x02 << 0 << answerSized("02 0B 02 00");
    QTest::newRow("led block 3") << 0x03 << 0 << answerSized("02 0B 03 00");
    QTest::newRow("firmware version") << 0x09 << 0 << answerSized("02 0B 09 00");
    QTest::newRow("paddle settings") << 0x0A << 0 << answerSized("02 0B 0A 00");
    QTest::newRow("encoder pulse") << 0x0C << 4 << answerSized("02 0B 0C 04");
    QTest::newRow("clutch enable") << 0x0C << 8 << answerSized("02 0B 0C 08");
    QTest::newRow("model id") << 0x0D << 0 << answerSized("02 0B 0D 00");
    QTest::newRow("battery") << 0x0F << 0 << answerSized("02 0B 0F 00");
    QTest::newRow("aux lamps") << 0x11 << 0 << answerSized("02 0B 11 00");
}

void TestFrames::queryFrames()
{
    QFETCH(int, selector);
    QFETCH(int, sub);
    QFETCH(QByteArray, expected);

    const AnswerBuffer buffer = queryFrame(static_cast<QuerySelector>(selector), static_cast<std::uint8_t>(sub));
    QCOMPARE(bytesOf(buffer).toHex(' '), expected.toHex(' '));
    // What goes on the wire is the first 20 bytes.
    QCOMPARE(bytesOf(frameOf(buffer)).toHex(' '), expected.left(int(kFrameSize)).toHex(' '));
}

void TestFrames::clutchEnableInAnswer_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray patterned = bytesOf(patternedAnswer());
    // Bytes 8-20 of the patterned answer: A8 .. B4.
    QTest::newRow("enable keeps the answer's bytes 8-19") << patterned << true
                                                          << QByteArray::fromHex("020c0801000000ef"
                                                                                 "a8a9aaabacadaeafb0b1b2b3"
                                                                                 "b4");
    QTest::newRow("disable is 0xFF, not 0xFFFFFFFF") << patterned << false
                                                     << QByteArray::fromHex("020c08ff000000ef"
                                                                            "a8a9aaabacadaeafb0b1b2b3"
                                                                            "b4");
    QTest::newRow("disable after a read back that left the query in place")
        << bytesOf(queryFrame(QuerySelector::Parameter, 8)) << false << answerSized("02 0C 08 FF 00 00 00 EF");
    AnswerBuffer oddId = patternedAnswer();
    oddId[0] = 0x05;
    QTest::newRow("another report id in the answer is put back to 2") << bytesOf(oddId) << true
                                                                      << QByteArray::fromHex("020c0801000000ef"
                                                                                             "a8a9aaabacadaeafb0b1b2b3"
                                                                                             "b4");
}

void TestFrames::clutchEnableInAnswer()
{
    QFETCH(QByteArray, answer);
    QFETCH(bool, enabled);
    QFETCH(QByteArray, expected);

    AnswerBuffer buffer = arrayOf<kAnswerSize>(answer);
    writeClutchEnableFrame(buffer, enabled);
    QCOMPARE(bytesOf(buffer).toHex(' '), expected.toHex(' '));
}

void TestFrames::ledReadoutReusesOneBuffer()
{
    // One buffer, cleared once: every later query carries the previous answer's bytes 4-19.
    AnswerBuffer buffer{};
    QByteArray previousAnswer;
    for (int block = 0; block < 4; ++block) {
        writeQueryHeader(buffer, static_cast<QuerySelector>(block));
        QByteArray expectedSent = QByteArray::fromHex("020b") + char(block) + '\0';
        expectedSent += block == 0 ? QByteArray(16, '\0') : previousAnswer.mid(4, 16);
        QCOMPARE(bytesOf(frameOf(buffer)).toHex(' '), expectedSent.toHex(' '));
        QCOMPARE(int(buffer[20]), block == 0 ? 0 : int(std::uint8_t(previousAnswer[20])));

        // The wheel's answer overwrites all 21 bytes.
        for (std::size_t i = 0; i < buffer.size(); ++i)
            buffer[i] = static_cast<std::uint8_t>(block * 32 + int(i) + 1);
        buffer[0] = kFeatureReportId;
        previousAnswer = bytesOf(buffer);
    }
    writeQueryHeader(buffer, QuerySelector::AuxLamps);
    QCOMPARE(bytesOf(buffer).toHex(' '), (QByteArray::fromHex("020b1100") + previousAnswer.mid(4)).toHex(' '));
}

void TestFrames::encodePaddleMode_data()
{
    QTest::addColumn<int>("side");
    QTest::addColumn<int>("percent");
    QTest::addColumn<int>("expected");

    const int left = int(PaddleSide::Left), right = int(PaddleSide::Right), off = int(PaddleSide::Off);
    QTest::newRow("left 0") << left << 0 << 0;
    QTest::newRow("left 50") << left << 50 << 50;
    QTest::newRow("left 100") << left << 100 << 100;
    QTest::newRow("right 0") << right << 0 << 101;
    QTest::newRow("right 100") << right << 100 << 201;
    QTest::newRow("off ignores the bite point") << off << 30 << 255;
    QTest::newRow("left above 100 stays left") << left << 150 << 100;
    QTest::newRow("right below 0 stays right") << right << -5 << 101;
    QTest::newRow("right above 100 does not reach the off range") << right << 154 << 201;
}

void TestFrames::encodePaddleMode()
{
    QFETCH(int, side);
    QFETCH(int, percent);
    QFETCH(int, expected);
    QCOMPARE(int(tarvo::encodePaddleMode(static_cast<PaddleSide>(side), percent)), expected);
}

QTEST_APPLESS_MAIN(TestFrames)
#include "tst_frames.moc"
