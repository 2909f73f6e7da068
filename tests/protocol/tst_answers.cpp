// Reading the wheel's answers: which bytes count and how.
#include "bytes.h"
#include "protocol/wheelprotocol.h"

#include <QTest>

using namespace tarvo;

namespace {

AnswerBuffer answer(const char* hex)
{
    return arrayOf<kAnswerSize>(hexBytes(hex, int(kAnswerSize)));
}

// Byte 0 the report id, byte 1 `second`, then `text` from byte 2 (or 1 when second < 0), zero-padded.
AnswerBuffer textAnswer(int second, const QByteArray& text)
{
    QByteArray bytes(1, char(kFeatureReportId));
    if (second >= 0)
        bytes += char(second);
    bytes += text;
    bytes = bytes.left(int(kAnswerSize));
    bytes.append(int(kAnswerSize) - bytes.size(), '\0');
    return arrayOf<kAnswerSize>(bytes);
}

} // namespace

class TestAnswers : public QObject
{
    Q_OBJECT

private slots:
    void paddleMode_data();
    void paddleMode();
    void paddleModeRoundTrip();
    void firmwareVersion_data();
    void firmwareVersion();
    void modelId_data();
    void modelId();
    void paddleSettings();
    void parameterValue_data();
    void parameterValue();
    void battery_data();
    void battery();
    void auxLamps();
};

void TestAnswers::paddleMode_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("side");
    QTest::addColumn<int>("percent");

    const int left = int(PaddleSide::Left), right = int(PaddleSide::Right), off = int(PaddleSide::Off);
    QTest::newRow("0 left bite 0") << 0 << left << 0;
    QTest::newRow("42 left bite 42") << 42 << left << 42;
    QTest::newRow("100 left bite 100") << 100 << left << 100;
    QTest::newRow("101 right bite 0") << 101 << right << 0;
    QTest::newRow("150 right bite 49") << 150 << right << 49;
    QTest::newRow("201 right bite 100") << 201 << right << 100;
    QTest::newRow("255 off") << 255 << off << 50;
    for (int mode = 202; mode <= 254; ++mode)
        QTest::addRow("%d counts as off", mode) << mode << off << 50;
}

void TestAnswers::paddleMode()
{
    QFETCH(int, mode);
    QFETCH(int, side);
    QFETCH(int, percent);
    const BitePoint bite = decodePaddleMode(static_cast<std::uint8_t>(mode));
    QCOMPARE(int(bite.side), side);
    QCOMPARE(bite.percent, percent);
}

void TestAnswers::paddleModeRoundTrip()
{
    // Every valid mode read from the wheel goes back out unchanged; every other byte goes out as 255.
    for (int mode = 0; mode <= 255; ++mode) {
        const BitePoint bite = decodePaddleMode(static_cast<std::uint8_t>(mode));
        const int expected = mode <= 201 ? mode : 255;
        QCOMPARE(int(encodePaddleMode(bite.side, bite.percent)), expected);
    }
}

void TestAnswers::firmwareVersion_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("text ended by a zero")
        << bytesOf(textAnswer(-1, "\tAug  3 2023,14:05")) << QByteArray("\tAug  3 2023,14:05");
    QTest::newRow("trailing colon dropped") << bytesOf(textAnswer(-1, "V1.20:")) << QByteArray("V1.20");
    QTest::newRow("only one trailing colon dropped") << bytesOf(textAnswer(-1, "V1.20::")) << QByteArray("V1.20:");
    QTest::newRow("inner colons kept") << bytesOf(textAnswer(-1, "12:30:45")) << QByteArray("12:30:45");
    QTest::newRow("a lone colon gives empty text") << bytesOf(textAnswer(-1, ":")) << QByteArray();
    QTest::newRow("zero at byte 1 gives empty text") << bytesOf(textAnswer(-1, "")) << QByteArray();
    QTest::newRow("no zero in bytes 1-20 gives all 20")
        << bytesOf(textAnswer(-1, "ABCDEFGHIJKLMNOPQRST")) << QByteArray("ABCDEFGHIJKLMNOPQRST");
    QTest::newRow("20 bytes ending in a colon")
        << bytesOf(textAnswer(-1, "ABCDEFGHIJKLMNOPQRS:")) << QByteArray("ABCDEFGHIJKLMNOPQRS");
    QTest::newRow("bytes after the zero ignored")
        << bytesOf(textAnswer(-1, QByteArray("V2:\0junk", 8))) << QByteArray("V2");
    QTest::newRow("utf-8 passes through") << bytesOf(textAnswer(-1, "v\xc3\xa9")) << QByteArray("v\xc3\xa9");
}

void TestAnswers::firmwareVersion()
{
    QFETCH(QByteArray, answer);
    QFETCH(QByteArray, expected);
    QCOMPARE(QByteArray::fromStdString(firmwareVersionText(arrayOf<kAnswerSize>(answer))), expected);
}

void TestAnswers::modelId_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("model text") << bytesOf(textAnswer(0x0D, "R-VELO")) << true << QByteArray("R-VELO");
    QTest::newRow("19 bytes without a zero")
        << bytesOf(textAnswer(0x0D, "ABCDEFGHIJKLMNOPQRS")) << true << QByteArray("ABCDEFGHIJKLMNOPQRS");
    QTest::newRow("empty text") << bytesOf(textAnswer(0x0D, "")) << true << QByteArray();
    QTest::newRow("wrong byte 1 discarded") << bytesOf(textAnswer(0x0C, "R-VELO")) << false << QByteArray();
    // A failed read back leaves the query 02 0B 0D 00 in the buffer.
    QTest::newRow("query left in the buffer discarded")
        << bytesOf(queryFrame(QuerySelector::ModelId)) << false << QByteArray();
    QTest::newRow("all zero discarded") << QByteArray(int(kAnswerSize), '\0') << false << QByteArray();
}

void TestAnswers::modelId()
{
    QFETCH(QByteArray, answer);
    QFETCH(bool, valid);
    QFETCH(QByteArray, expected);
    const std::optional<std::string> text = modelIdText(arrayOf<kAnswerSize>(answer));
    QCOMPARE(text.has_value(), valid);
    if (valid)
        QCOMPARE(QByteArray::fromStdString(*text), expected);
}

void TestAnswers::paddleSettings()
{
    // Bytes 3 and 4 (marker position and the zero byte) are not part of the answer's meaning.
    const PaddleSettingsAnswer a = paddleSettingsAnswer(answer("02 0A C9 EF 77 12 0F BC 0A 23 01 45 00 99"));
    QCOMPARE(int(a.paddleMode), 201);
    QCOMPARE(int(a.calibration.rightMax), 0x0F12);
    QCOMPARE(int(a.calibration.leftMax), 0x0ABC);
    QCOMPARE(int(a.calibration.rightMin), 0x0123);
    QCOMPARE(int(a.calibration.leftMin), 0x0045);
}

void TestAnswers::parameterValue_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<qint64>("signedValue");
    QTest::addColumn<qint64>("unsignedValue");
    QTest::addColumn<bool>("clutchEnabled");

    QTest::newRow("100") << bytesOf(answer("02 0B 0C 64 00 00 00")) << qint64(100) << qint64(100) << false;
    QTest::newRow("-1 means no value") << bytesOf(answer("02 0B 0C FF FF FF FF")) << qint64(-1) << qint64(0xFFFFFFFF)
                                       << false;
    QTest::newRow("1 enabled") << bytesOf(answer("02 0B 0C 01 00 00 00")) << qint64(1) << qint64(1) << true;
    QTest::newRow("0 disabled") << bytesOf(answer("02 0B 0C 00 00 00 00")) << qint64(0) << qint64(0) << false;
    QTest::newRow("255 disabled") << bytesOf(answer("02 0B 0C FF 00 00 00")) << qint64(255) << qint64(255) << false;
    QTest::newRow("1 in the top byte is not 1")
        << bytesOf(answer("02 0B 0C 00 00 00 01")) << qint64(0x01000000) << qint64(0x01000000) << false;
    QTest::newRow("0x101 is not 1") << bytesOf(answer("02 0B 0C 01 01 00 00")) << qint64(0x101) << qint64(0x101)
                                    << false;
    QTest::newRow("byte 7 ignored") << bytesOf(answer("02 0B 0C 01 00 00 00 EF")) << qint64(1) << qint64(1) << true;
}

void TestAnswers::parameterValue()
{
    QFETCH(QByteArray, answer);
    QFETCH(qint64, signedValue);
    QFETCH(qint64, unsignedValue);
    QFETCH(bool, clutchEnabled);
    const AnswerBuffer a = arrayOf<kAnswerSize>(answer);
    QCOMPARE(qint64(parameterValueSigned(a)), signedValue);
    QCOMPARE(qint64(parameterValueUnsigned(a)), unsignedValue);
    QCOMPARE(clutchEnabledAnswer(a), clutchEnabled);
}

void TestAnswers::battery_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<int>("percent");
    QTest::addColumn<int>("supply");
    QTest::addColumn<int>("link");
    QTest::addColumn<bool>("usb");

    QTest::newRow("on battery") << bytesOf(answer("02 0B 57 3C 0F 00")) << 87 << 3900 << 0 << false;
    QTest::newRow("4299 still battery") << bytesOf(answer("02 0B 64 CB 10 01")) << 100 << 4299 << 1 << false;
    QTest::newRow("4300 is usb power") << bytesOf(answer("02 0B 64 CC 10 00")) << 100 << 4300 << 0 << true;
    QTest::newRow("65535 is usb power") << bytesOf(answer("02 0B 00 FF FF 07")) << 0 << 65535 << 7 << true;
}

void TestAnswers::battery()
{
    QFETCH(QByteArray, answer);
    QFETCH(int, percent);
    QFETCH(int, supply);
    QFETCH(int, link);
    QFETCH(bool, usb);
    const BatteryAnswer b = batteryAnswer(arrayOf<kAnswerSize>(answer));
    QCOMPARE(int(b.percent), percent);
    QCOMPARE(int(b.supply), supply);
    QCOMPARE(int(b.link), link);
    QCOMPARE(b.onUsbPower(), usb);
}

void TestAnswers::auxLamps()
{
    const AuxLampsAnswer a = auxLampsAnswer(answer("02 11 01 10 20 30 40 50 60 70"));
    QCOMPARE(int(a.capability), 1);
    QVERIFY(a.lamps.left == (Rgb{0x10, 0x20, 0x30}));
    QVERIFY(a.lamps.right == (Rgb{0x40, 0x50, 0x60}));
}

QTEST_APPLESS_MAIN(TestAnswers)
#include "tst_answers.moc"
