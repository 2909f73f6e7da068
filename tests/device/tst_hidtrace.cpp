// The HID trace: one line per call in the fixed "T KIND DATA RESULT" format.
#include "device/hidtrace.h"
#include "fakehid.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <thread>
#include <vector>

namespace {

const QRegularExpression lineFormat(QStringLiteral(
    "^(\\d+\\.\\d{3}) (open|close|send-feature|get-feature|write|read) ([0-9a-f]+|[0-9a-f]{4}:[0-9a-f]{4}|-) "
    "(-?\\d+)$"));

QStringList traceLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString text = QString::fromUtf8(file.readAll());
    if (text.isEmpty())
        return {};
    QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.last().isEmpty())
        lines.removeLast(); // every line ends in a newline
    return lines;
}

enum class Call {
    OpenOk,
    OpenFails,
    Close,
    SendOk,
    SendFails,
    GetOk,
    GetFails,
    Write,
    ReadFull,
    ReadShort,
    ReadNone,
    ReadError
};

// Devices without state, safe to call from several threads at once.
class SilentDevice : public HidDevice
{
public:
    int setNonBlocking(bool) override { return 0; }
    int read(std::uint8_t*, std::size_t) override { return 0; }
    int write(const std::uint8_t*, std::size_t length) override { return int(length); }
    int sendFeatureReport(const std::uint8_t*, std::size_t length) override { return int(length); }
    int getFeatureReport(std::uint8_t*, std::size_t length) override { return int(length); }
};

class SilentBackend : public HidBackend
{
public:
    int init() override { return 0; }
    std::unique_ptr<HidDevice> open(std::uint16_t, std::uint16_t) override { return std::make_unique<SilentDevice>(); }
};

} // namespace

Q_DECLARE_METATYPE(Call)

class TestHidTrace : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void lineForEachCall_data();
    void lineForEachCall();
    void appendsToExistingFile();
    void timesIncrease();
    void deviceOutlivesTrace();
    void unwritableFileStillPassesCalls();
    void concurrentDevices();

private:
    QTemporaryDir m_dir;
    QString m_path;
};

void TestHidTrace::init()
{
    QVERIFY(m_dir.isValid());
    m_path = m_dir.filePath(QStringLiteral("trace-%1.txt").arg(QTest::currentDataTag()).replace(' ', '_'));
    QFile::remove(m_path);
}

void TestHidTrace::lineForEachCall_data()
{
    QTest::addColumn<Call>("call");
    QTest::addColumn<QString>("kind"); // empty: no line expected after the open
    QTest::addColumn<QString>("data");
    QTest::addColumn<int>("result");

    QTest::newRow("open") << Call::OpenOk << "open"
                          << "7e57:2007" << 1;
    QTest::newRow("open fails") << Call::OpenFails << "open"
                                << "7e57:200d" << 0;
    QTest::newRow("close") << Call::Close << "close"
                           << "-" << 0;
    QTest::newRow("send-feature") << Call::SendOk << "send-feature"
                                  << "020c0464000000ef000000000000000000000000" << 20;
    QTest::newRow("send-feature fails") << Call::SendFails << "send-feature"
                                        << "020b0d00000000000000000000000000000000"
                                           "00"
                                        << -1;
    QTest::newRow("get-feature traces the answer") << Call::GetOk << "get-feature"
                                                   << "020d522d56454c4f000000000000000000000000"
                                                      "00"
                                                   << 21;
    QTest::newRow("get-feature fails: what the caller left") << Call::GetFails << "get-feature"
                                                             << "020b0d00000000000000000000000000000000"
                                                                "0000"
                                                             << -1;
    QTest::newRow("write") << Call::Write << "write"
                           << "0302"
                              "0102030405060708090a0b0c0d0e0f101112"
                           << 20;
    QTest::newRow("read full report") << Call::ReadFull << "read"
                                      << "01"
                                         "00102030405060708090a0b0c0d0e0f0"
                                      << 17;
    QTest::newRow("short read traces the whole buffer") << Call::ReadShort << "read"
                                                        << "01"
                                                           "0010ffffffffffffffffffffffffffff"
                                                        << 3;
    QTest::newRow("idle read not traced") << Call::ReadNone << ""
                                          << "" << 0;
    QTest::newRow("failed read not traced") << Call::ReadError << ""
                                            << "" << -1;
}

void TestHidTrace::lineForEachCall()
{
    QFETCH(Call, call);
    QFETCH(QString, kind);
    QFETCH(QString, data);
    QFETCH(int, result);

    FakeBackend backend;
    HidTrace trace(&backend, m_path);
    QVERIFY(trace.isOpen());

    backend.failOpen = call == Call::OpenFails;
    std::unique_ptr<HidDevice> device = trace.open(0x7E57, call == Call::OpenFails ? 0x200D : 0x2007);
    QCOMPARE(device != nullptr, call != Call::OpenFails);

    std::uint8_t buffer[21] = {};
    const QByteArray query = QByteArray::fromHex("020b0d00").leftJustified(21, '\0');
    switch (call) {
    case Call::OpenOk:
    case Call::OpenFails:
        break;
    case Call::Close:
        device.reset();
        break;
    case Call::SendOk:
    case Call::SendFails: {
        backend.script.sendResult = call == Call::SendOk ? 20 : -1;
        const QByteArray frame =
            call == Call::SendOk ? QByteArray::fromHex("020c0464000000ef").leftJustified(20, '\0') : query.left(20);
        QCOMPARE(device->sendFeatureReport(reinterpret_cast<const std::uint8_t*>(frame.constData()),
                                           std::size_t(frame.size())),
                 backend.script.sendResult);
        break;
    }
    case Call::GetOk:
    case Call::GetFails:
        memcpy(buffer, query.constData(), 21);
        backend.script.getResult = call == Call::GetOk ? 21 : -1;
        backend.script.answer = QByteArray::fromHex("020d") + QByteArray("R-VELO").leftJustified(19, '\0');
        QCOMPARE(device->getFeatureReport(buffer, 21), backend.script.getResult);
        break;
    case Call::Write: {
        std::uint8_t report[20] = {3, 2};
        for (int i = 2; i < 20; ++i)
            report[i] = std::uint8_t(i - 1);
        QCOMPARE(device->write(report, 20), 20);
        break;
    }
    case Call::ReadFull:
    case Call::ReadShort:
    case Call::ReadNone:
    case Call::ReadError: {
        std::uint8_t report[17];
        memset(report, 0xFF, sizeof report);
        backend.script.readData = QByteArray::fromHex("0100102030405060708090a0b0c0d0e0f0");
        backend.script.readResult = call == Call::ReadFull ? 17
            : call == Call::ReadShort                      ? 3
            : call == Call::ReadNone                       ? 0
                                                           : -1;
        QCOMPARE(device->read(report, 17), backend.script.readResult);
        break;
    }
    }

    QStringList lines = traceLines(m_path);
    QVERIFY(!lines.isEmpty());
    for (const QString& line : lines)
        QVERIFY2(lineFormat.match(line).hasMatch(), qPrintable(line));
    const QString first = lines.takeFirst();
    if (call == Call::OpenOk || call == Call::OpenFails) {
        lines.prepend(first);
    } else {
        QCOMPARE(first.section(' ', 1), QStringLiteral("open 7e57:2007 1"));
    }
    if (kind.isEmpty()) {
        QCOMPARE(lines, QStringList());
        return;
    }
    QCOMPARE(lines.size(), 1);
    const QRegularExpressionMatch m = lineFormat.match(lines.first());
    QCOMPARE(m.captured(2), kind);
    QCOMPARE(m.captured(3), data);
    QCOMPARE(m.captured(4).toInt(), result);
}

void TestHidTrace::appendsToExistingFile()
{
    {
        QFile file(m_path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("earlier line\n");
    }
    FakeBackend backend;
    {
        HidTrace trace(&backend, m_path);
        trace.open(0x7E57, 0x2007).reset();
    }
    {
        HidTrace trace(&backend, m_path);
        trace.open(0x7E57, 0x2008);
    }
    const QStringList lines = traceLines(m_path);
    QCOMPARE(lines.size(), 5);
    QCOMPARE(lines[0], QStringLiteral("earlier line"));
    QCOMPARE(lines[1].section(' ', 1), QStringLiteral("open 7e57:2007 1"));
    QCOMPARE(lines[2].section(' ', 1), QStringLiteral("close - 0"));
    QCOMPARE(lines[3].section(' ', 1), QStringLiteral("open 7e57:2008 1"));
    QCOMPARE(lines[4].section(' ', 1), QStringLiteral("close - 0"));
}

void TestHidTrace::timesIncrease()
{
    FakeBackend backend;
    HidTrace trace(&backend, m_path);
    auto device = trace.open(0x7E57, 0x2007);
    const std::uint8_t frame[20] = {2, 0x0E};
    device->sendFeatureReport(frame, 20);
    QTest::qSleep(20);
    device->sendFeatureReport(frame, 20);
    const QStringList lines = traceLines(m_path);
    QCOMPARE(lines.size(), 3);
    const double t0 = lines[0].section(' ', 0, 0).toDouble();
    const double t1 = lines[1].section(' ', 0, 0).toDouble();
    const double t2 = lines[2].section(' ', 0, 0).toDouble();
    QVERIFY(t0 >= 0 && t0 <= t1);
    QVERIFY2(t2 - t1 >= 19.0, qPrintable(QStringLiteral("%1 -> %2").arg(t1).arg(t2)));
}

void TestHidTrace::deviceOutlivesTrace()
{
    FakeBackend backend;
    std::unique_ptr<HidDevice> device;
    {
        HidTrace trace(&backend, m_path);
        device = trace.open(0x7E57, 0x2007);
    }
    const std::uint8_t frame[20] = {2, 0x0E};
    QCOMPARE(device->sendFeatureReport(frame, 20), 20);
    device.reset();
    const QStringList lines = traceLines(m_path);
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines[2].section(' ', 1), QStringLiteral("close - 0"));
}

void TestHidTrace::unwritableFileStillPassesCalls()
{
    FakeBackend backend;
    HidTrace trace(&backend, m_dir.filePath(QStringLiteral("no/such/dir/trace.txt")));
    QVERIFY(!trace.isOpen());
    backend.initResult = 3;
    QCOMPARE(trace.init(), 3);
    auto device = trace.open(0x7E57, 0x2007);
    QVERIFY(device);
    const std::uint8_t frame[20] = {2, 0x0E};
    QCOMPARE(device->sendFeatureReport(frame, 20), 20);
    QCOMPARE(backend.record.calls.size(), 1);
}

void TestHidTrace::concurrentDevices()
{
    // One trace, as in the program: the GUI, input and flashing threads call through it at once,
    // each on a device of its own so that only the trace is shared.
    constexpr int threads = 3;
    constexpr int callsEach = 2000;
    SilentBackend backend;
    HidTrace trace(&backend, m_path);
    std::vector<std::unique_ptr<HidDevice>> devices;
    for (int t = 0; t < threads; ++t)
        devices.push_back(trace.open(0x7E57, std::uint16_t(0x2007 + t)));
    std::atomic<int> ready{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&, t] {
            std::uint8_t frame[20] = {2, 0x0B, std::uint8_t(t)};
            // Start together, so that the calls overlap.
            ++ready;
            while (ready < threads)
                std::this_thread::yield();
            for (int i = 0; i < callsEach; ++i)
                devices[std::size_t(t)]->sendFeatureReport(frame, 20);
        });
    }
    for (auto& w : workers)
        w.join();
    const QStringList lines = traceLines(m_path);
    QCOMPARE(lines.size(), threads * (callsEach + 1));
    int perThread[threads] = {};
    for (const QString& line : lines) {
        const QRegularExpressionMatch m = lineFormat.match(line);
        QVERIFY2(m.hasMatch(), qPrintable(line));
        if (m.captured(2) == QLatin1String("send-feature"))
            ++perThread[m.captured(3).mid(4, 2).toInt(nullptr, 16)];
    }
    for (int t = 0; t < threads; ++t)
        QCOMPARE(perThread[t], callsEach);
}

QTEST_GUILESS_MAIN(TestHidTrace)
#include "tst_hidtrace.moc"
