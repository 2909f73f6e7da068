// The firmware transfer on the wire, read back from the HID trace, and the image the
// virtual wheel assembled from it. Expected frames are written out by hand.
#include "device/devicehandle.h"
#include "device/hidtrace.h"
#include "e2e/tracefile.h"
#include "firmware/firmwaretransfer.h"
#include "randomimage.h"
#include "virtualwheel/virtualwheel.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

namespace {
using FrameChecks = QList<QPair<int, QString>>; // frame index (-1: the end frame) -> hex

QByteArray counting(int size)
{
    QByteArray image(size, '\0');
    for (int i = 0; i < size; ++i)
        image[i] = char(i);
    return image;
}

QString hex(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toHex());
}
} // namespace

class TestFirmwareTransfer : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void frames_data();
    void frames();
    void flashWriteStepsAreOneSecondApart();

private:
    QList<TraceLine> sentFrames() const;
    QTemporaryDir m_dir;
    std::unique_ptr<VirtualWheel> m_wheel;
    std::unique_ptr<HidTrace> m_trace;
    QString m_tracePath;
};

void TestFirmwareTransfer::init()
{
    m_wheel = std::make_unique<VirtualWheel>("R-VELO", 0x2007);
    m_tracePath = m_dir.filePath(QString("%1.log").arg(QTest::currentDataTag()).replace(' ', '-'));
    QFile::remove(m_tracePath);
    m_trace = std::make_unique<HidTrace>(m_wheel.get(), m_tracePath);
    deviceHandle.setBackend(m_trace.get());
    QVERIFY(deviceHandle.open(0x7E57, 0x2007));
}

void TestFirmwareTransfer::cleanup()
{
    deviceHandle.close();
    deviceHandle.setBackend(nullptr);
    m_trace.reset();
    m_wheel.reset();
}

QList<TraceLine> TestFirmwareTransfer::sentFrames() const
{
    return linesOfKind(readTrace(m_tracePath), "send-feature");
}

void TestFirmwareTransfer::frames_data()
{
    QTest::addColumn<QByteArray>("image");
    QTest::addColumn<FrameChecks>("checks");
    QTest::addColumn<QList<int>>("blockProgress"); // empty: only the invariants

    const QString bytes0to15 = "000102030405060708090a0b0c0d0e0f";
    QTest::newRow("16 bytes") << counting(16)
                              << FrameChecks{{0, "02800010" + bytes0to15}, {-1, "02100010" + bytes0to15}}
                              << QList<int>{0};
    // Block 1 carries image byte 16; bytes 5 to 19 still hold image bytes 1 to 15.
    const QString stale = "10" + bytes0to15.mid(2);
    QTest::newRow("17 bytes") << counting(
        17) << FrameChecks{{0, "02800010" + bytes0to15}, {1, "02800101" + stale}, {-1, "02100101" + stale}}
                              << QList<int>{0, 90};
    QTest::newRow("empty") << QByteArray() << FrameChecks{{-1, "0210" + QString(36, '0')}} << QList<int>{};
    const QByteArray blocks257 = randomImage(257 * 16);
    QTest::newRow("block 256") << blocks257
                               << FrameChecks{{255, "0280ff10" + hex(blocks257.mid(4080, 16))},
                                              {256, "02810010" + hex(blocks257.mid(4096, 16))},
                                              {-1, "02100010" + hex(blocks257.mid(4096, 16))}}
                               << QList<int>{};
    const QByteArray largest = randomImage(229376);
    QTest::newRow("largest") << largest
                             << FrameChecks{{0, "02800010" + hex(largest.left(16))},
                                            {14335, "02b7ff10" + hex(largest.right(16))},
                                            {-1, "0210ff10" + hex(largest.right(16))}}
                             << QList<int>{};
}

void TestFirmwareTransfer::frames()
{
    QFETCH(QByteArray, image);
    QFETCH(FrameChecks, checks);
    QFETCH(QList<int>, blockProgress);

    QList<int> progress;
    FirmwareTransfer transfer(deviceHandle);
    transfer.setProgressHandler([&](int percent) { progress.append(percent); });
    transfer.setWaitStep([] {});
    const QString path = m_dir.filePath("image.bin");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(image);
    file.close();

    const FirmwareTransfer::Result result = transfer.sendFile(path);
    QCOMPARE(int(result.outcome), int(FirmwareTransfer::Outcome::Done));

    const QList<TraceLine> sent = sentFrames();
    const int blocks = int((image.size() + 15) / 16);
    QCOMPARE(sent.size(), blocks + 1);
    for (const auto& [index, expected] : checks)
        QCOMPARE(sent.at(index < 0 ? sent.size() - 1 : index).data, QString(expected).remove(' '));
    for (int n = 0; n < sent.size(); ++n) {
        QCOMPARE(sent[n].result, 20);
        QCOMPARE(sent[n].data.size(), 40);
        const QString header = n < blocks
            ? QString("02%1%2").arg(0x80 | (n >> 8), 2, 16).arg(n & 0xFF, 2, 16, QChar('0'))
            : QString("0210");
        QCOMPARE(sent[n].data.left(header.size()), header);
    }

    // Percentages only when they change, all below 96, then the four steps of the flash write.
    QVERIFY(progress.size() >= 4);
    const QList<int> blockPart = progress.mid(0, progress.size() - 4);
    QCOMPARE(progress.mid(progress.size() - 4), (QList<int>{97, 98, 99, 100}));
    QVERIFY(blockPart.size() <= 96);
    for (int i = 0; i < blockPart.size(); ++i) {
        QVERIFY(blockPart[i] >= 0 && blockPart[i] < 96);
        if (i > 0)
            QVERIFY(blockPart[i] > blockPart[i - 1]);
    }
    if (!blockProgress.isEmpty())
        QCOMPARE(blockPart, blockProgress);
    if (blocks > 96)
        QCOMPARE(blockPart.size(), 96);

    const QJsonObject firmware = m_wheel->state().value("firmware").toObject();
    QCOMPARE(firmware.value("md5").toString(), hex(QCryptographicHash::hash(image, QCryptographicHash::Md5)));
    QCOMPARE(firmware.value("size").toInt(), image.size());
    QCOMPARE(firmware.value("blocks").toInt(), blocks);
    QVERIFY(firmware.value("complete").toBool());
    QVERIFY(firmware.value("inOrder").toBool());
}

void TestFirmwareTransfer::flashWriteStepsAreOneSecondApart()
{
    QList<QPair<int, qint64>> progress;
    QElapsedTimer clock;
    FirmwareTransfer transfer(deviceHandle);
    transfer.setProgressHandler([&](int percent) { progress.append({percent, clock.elapsed()}); });
    clock.start();
    QCOMPARE(int(transfer.sendImage(counting(16)).outcome), int(FirmwareTransfer::Outcome::Done));
    transfer.waitForFlashWrite();
    QCOMPARE(progress.size(), 5);
    for (int i = 1; i < progress.size(); ++i) {
        QCOMPARE(progress[i].first, 96 + i);
        QVERIFY2(progress[i].second - progress[i - 1].second >= 990, qPrintable(QString::number(progress[i].second)));
    }
}

QTEST_GUILESS_MAIN(TestFirmwareTransfer)
#include "tst_firmwaretransfer.moc"
