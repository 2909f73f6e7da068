// The LED image: 4-bit level codes, nibble packing and the four block reports.
#include "bytes.h"
#include "protocol/wheelprotocol.h"

#include <QTest>

using namespace tarvo;

namespace {

// Image bytes 1, 2, 3 ... so every block's payload is recognisable.
LedImage countingImage()
{
    LedImage image{};
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(i + 1);
    return image;
}

} // namespace

class TestLedImage : public QObject
{
    Q_OBJECT

private slots:
    void codeForLevel_data();
    void codeForLevel();
    void codeForEveryLevel();
    void unpackNibbleOrder();
    void packNibbleOrder();
    void readBackAndWriteAgainKeepsLevels();
    void blockReport_data();
    void blockReport();
    void writeOrder();
    void readoutAssemblesImage();
    void readoutIgnoresBadBlock();
    void channelOrder_data();
    void channelOrder();
};

void TestLedImage::codeForLevel_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("code");

    QTest::newRow("0") << 0 << 0;
    QTest::newRow("1") << 1 << 1;
    QTest::newRow("4") << 4 << 1;
    QTest::newRow("5") << 5 << 2;
    QTest::newRow("9") << 9 << 2;
    QTest::newRow("10") << 10 << 3;
    QTest::newRow("126") << 126 << 10;
    QTest::newRow("127") << 127 << 11;
    QTest::newRow("226") << 226 << 14;
    QTest::newRow("227") << 227 << 15;
    QTest::newRow("255") << 255 << 15;
}

void TestLedImage::codeForLevel()
{
    QFETCH(int, level);
    QFETCH(int, code);
    QCOMPARE(int(ledCodeForLevel(static_cast<std::uint8_t>(level))), code);
}

void TestLedImage::codeForEveryLevel()
{
    // The smallest code whose level is not below v: LEVELS[c] >= v, and the code below falls short.
    for (int v = 0; v <= 255; ++v) {
        const int c = ledCodeForLevel(static_cast<std::uint8_t>(v));
        QVERIFY2(c >= 0 && c < 16, qPrintable(QString("level %1 gave code %2").arg(v).arg(c)));
        QVERIFY2(LEVELS[c] >= v, qPrintable(QString("level %1 gave code %2").arg(v).arg(c)));
        QVERIFY2(c == 0 || LEVELS[c - 1] < v, qPrintable(QString("level %1 gave code %2").arg(v).arg(c)));
    }
}

void TestLedImage::unpackNibbleOrder()
{
    LedImage image{};
    image[0] = 0x2A;
    image[71] = 0xF1;
    const LedLevels levels = unpackLedImage(image);
    QCOMPARE(int(levels[0]), 126); // low nibble first
    QCOMPARE(int(levels[1]), 9);
    QCOMPARE(int(levels[2]), 0);
    QCOMPARE(int(levels[142]), 4);
    QCOMPARE(int(levels[143]), 255);
}

void TestLedImage::packNibbleOrder()
{
    LedLevels levels{};
    levels[0] = 126; // code 10, low nibble of byte 0
    levels[1] = 9; // code 2, high nibble
    levels[2] = 255;
    levels[3] = 1;
    levels[143] = 200; // code 14, high nibble of the last byte
    const LedImage image = packLedImage(levels);
    QCOMPARE(int(image[0]), 0x2A);
    QCOMPARE(int(image[1]), 0x1F);
    QCOMPARE(int(image[2]), 0x00);
    QCOMPARE(int(image[71]), 0xE0);
}

void TestLedImage::readBackAndWriteAgainKeepsLevels()
{
    // Every byte value in every position: unpacking and packing again gives the same image,
    // so the same levels.
    for (int shift = 0; shift < 256; ++shift) {
        LedImage image{};
        for (std::size_t i = 0; i < image.size(); ++i)
            image[i] = static_cast<std::uint8_t>(i * 37 + std::size_t(shift));
        const LedLevels levels = unpackLedImage(image);
        QVERIFY(packLedImage(levels) == image);
        QVERIFY(unpackLedImage(packLedImage(levels)) == levels);
    }
    // Levels that are not table values settle after one trip.
    LedLevels raw{};
    for (std::size_t i = 0; i < raw.size(); ++i)
        raw[i] = static_cast<std::uint8_t>(i * 7 + 3);
    const LedLevels once = unpackLedImage(packLedImage(raw));
    QVERIFY(unpackLedImage(packLedImage(once)) == once);
}

void TestLedImage::blockReport_data()
{
    QTest::addColumn<int>("block");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray image = bytesOf(countingImage());
    for (int n = 0; n < 4; ++n)
        QTest::addRow("block %d", n) << n << (QByteArray::fromHex("03") + char(n) + image.mid(18 * n, 18));
    QTest::newRow("block -1 carries nothing") << -1 << hexBytes("03", 20);
    QTest::newRow("block 4 carries nothing") << 4 << hexBytes("03", 20);
}

void TestLedImage::blockReport()
{
    QFETCH(int, block);
    QFETCH(QByteArray, expected);
    QCOMPARE(bytesOf(ledBlockReport(countingImage(), block)).toHex(' '), expected.toHex(' '));
}

void TestLedImage::writeOrder()
{
    LedLevels levels{};
    for (std::size_t i = 0; i < levels.size(); ++i)
        levels[i] = LEVELS[(i * 5) % 16];
    const QByteArray image = bytesOf(packLedImage(levels));
    const auto reports = ledBlockReportsInWriteOrder(levels);
    const int order[] = {0, 1, 3, 2};
    for (int i = 0; i < 4; ++i) {
        const QByteArray report = bytesOf(reports[std::size_t(i)]);
        QCOMPARE(int(report[0]), 3);
        QCOMPARE(int(report[1]), order[i]);
        QCOMPARE(report.mid(2).toHex(' '), image.mid(18 * order[i], 18).toHex(' '));
    }
}

void TestLedImage::readoutAssemblesImage()
{
    // Answer bytes 2-19 of the four block queries, block after block, form the image;
    // bytes 0, 1 and 20 of an answer are not part of it.
    const LedImage wanted = countingImage();
    LedImage image{};
    for (int n = 0; n < 4; ++n) {
        AnswerBuffer answer{};
        answer.fill(0xEE);
        for (std::size_t i = 0; i < 18; ++i)
            answer[2 + i] = wanted[std::size_t(18 * n) + i];
        storeLedBlockAnswer(image, n, answer);
    }
    QCOMPARE(bytesOf(image).toHex(' '), bytesOf(wanted).toHex(' '));
}

void TestLedImage::readoutIgnoresBadBlock()
{
    LedImage image = countingImage();
    AnswerBuffer answer{};
    answer.fill(0xEE);
    storeLedBlockAnswer(image, 4, answer);
    storeLedBlockAnswer(image, -1, answer);
    QVERIFY(image == countingImage());
}

void TestLedImage::channelOrder_data()
{
    QTest::addColumn<int>("order");
    QTest::addColumn<QByteArray>("placed"); // (10, 20, 30) placed in the slot's three levels

    QTest::newRow("0 red green blue") << 0 << QByteArray("\x0a\x14\x1e");
    QTest::newRow("1 red blue green") << 1 << QByteArray("\x0a\x1e\x14");
    QTest::newRow("2 green red blue") << 2 << QByteArray("\x14\x0a\x1e");
    QTest::newRow("3 green blue red") << 3 << QByteArray("\x14\x1e\x0a");
    QTest::newRow("4 blue red green") << 4 << QByteArray("\x1e\x0a\x14");
    QTest::newRow("5 blue green red") << 5 << QByteArray("\x1e\x14\x0a");
}

void TestLedImage::channelOrder()
{
    QFETCH(int, order);
    QFETCH(QByteArray, placed);
    const Rgb rgb = placeChannels({10, 20, 30}, static_cast<ChannelOrder>(order));
    QCOMPARE(QByteArray() + char(rgb.r) + char(rgb.g) + char(rgb.b), placed);
}

QTEST_APPLESS_MAIN(TestLedImage)
#include "tst_ledimage.moc"
