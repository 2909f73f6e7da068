// The shared handle over a scripted device: what reaches the device, and what comes back.
#include "device/devicehandle.h"
#include "fakehid.h"

#include <QTest>

using tarvo::AnswerBuffer;

namespace {

enum class Op { Send, SendFeature, GetFeature, Write, Read, NonBlocking };
enum class Closed { NoBackend, NeverOpened, OpenFailed, ClosedAfterOpen };

QByteArray bytesOf(const AnswerBuffer& b)
{
    return QByteArray(reinterpret_cast<const char*>(b.data()), int(b.size()));
}

AnswerBuffer pattern(std::uint8_t start)
{
    AnswerBuffer b{};
    for (std::size_t i = 0; i < b.size(); ++i)
        b[i] = static_cast<std::uint8_t>(start + i);
    return b;
}

QByteArray wheelAnswer()
{
    QByteArray a = QByteArray::fromHex("020b0c08");
    a += QByteArray::fromHex("01000000");
    a.append(21 - a.size(), char(0x5A));
    return a;
}

} // namespace

Q_DECLARE_METATYPE(Op)
Q_DECLARE_METATYPE(Closed)
Q_DECLARE_METATYPE(DeviceHandle::ExchangeResult)

class TestDeviceHandle : public QObject
{
    Q_OBJECT

private slots:
    void closedHandleSendsNothing_data();
    void closedHandleSendsNothing();
    void exchange_data();
    void exchange();
    void callsReachTheDevice();
    void openReplacesPrevious();
    void failedOpenLeavesHandleClosed();
    void destroyingHandleClosesDevice();
    void initGoesToBackend();
};

void TestDeviceHandle::closedHandleSendsNothing_data()
{
    QTest::addColumn<Closed>("closed");
    QTest::addColumn<Op>("op");

    const struct
    {
        Closed c;
        const char* name;
    } states[] = {{Closed::NoBackend, "no backend"},
                  {Closed::NeverOpened, "never opened"},
                  {Closed::OpenFailed, "open failed"},
                  {Closed::ClosedAfterOpen, "closed after open"}};
    const struct
    {
        Op op;
        const char* name;
    } ops[] = {
        {Op::Send, "send"}, {Op::SendFeature, "send-feature"}, {Op::GetFeature, "get-feature"}, {Op::Write, "write"},
        {Op::Read, "read"}, {Op::NonBlocking, "nonblocking"}};
    for (const auto& s : states)
        for (const auto& o : ops)
            QTest::addRow("%s, %s", s.name, o.name) << s.c << o.op;
}

void TestDeviceHandle::closedHandleSendsNothing()
{
    QFETCH(Closed, closed);
    QFETCH(Op, op);

    FakeBackend backend;
    DeviceHandle handle;
    if (closed != Closed::NoBackend)
        handle.setBackend(&backend);
    if (closed == Closed::OpenFailed)
        backend.failOpen = true;
    if (closed == Closed::OpenFailed || closed == Closed::ClosedAfterOpen)
        QCOMPARE(handle.open(0x7E57, 0x2007), closed == Closed::ClosedAfterOpen);
    if (closed == Closed::ClosedAfterOpen)
        handle.close();
    QVERIFY(!handle.isOpen());
    QVERIFY(!handle);

    AnswerBuffer buffer = pattern(1);
    const AnswerBuffer before = buffer;
    int result = 0;
    switch (op) {
    case Op::Send:
        result = handle.send(tarvo::ledCommitFrame());
        break;
    case Op::SendFeature:
        result = handle.sendFeatureReport(buffer.data(), 20);
        break;
    case Op::GetFeature:
        result = handle.getFeatureReport(buffer.data(), 21);
        break;
    case Op::Write:
        result = handle.write(buffer.data(), 20);
        break;
    case Op::Read:
        result = handle.read(buffer.data(), 17);
        break;
    case Op::NonBlocking:
        result = handle.setNonBlocking(true);
        break;
    }
    QCOMPARE(result, -1);
    QVERIFY(backend.record.calls.isEmpty());
    QVERIFY(buffer == before);

    QCOMPARE(handle.exchange(buffer), DeviceHandle::ExchangeResult::NoDevice);
    QVERIFY(backend.record.calls.isEmpty());
    QVERIFY(buffer == before);
}

void TestDeviceHandle::exchange_data()
{
    QTest::addColumn<int>("sendResult");
    QTest::addColumn<int>("getResult");
    QTest::addColumn<DeviceHandle::ExchangeResult>("expected");
    QTest::addColumn<bool>("readBack");
    QTest::addColumn<bool>("bufferIsAnswer");

    using R = DeviceHandle::ExchangeResult;
    QTest::newRow("answered") << 20 << 21 << R::Answered << true << true;
    QTest::newRow("short answer still answered") << 20 << 9 << R::Answered << true << true;
    QTest::newRow("zero-byte answer still answered") << 20 << 0 << R::Answered << true << true;
    QTest::newRow("send fails: no read back") << -1 << 21 << R::Failed << false << false;
    QTest::newRow("read back fails") << 20 << -1 << R::Failed << true << false;
}

void TestDeviceHandle::exchange()
{
    QFETCH(int, sendResult);
    QFETCH(int, getResult);
    QFETCH(DeviceHandle::ExchangeResult, expected);
    QFETCH(bool, readBack);
    QFETCH(bool, bufferIsAnswer);

    FakeBackend backend;
    backend.script.sendResult = sendResult;
    backend.script.getResult = getResult;
    backend.script.answer = wheelAnswer();
    DeviceHandle handle;
    handle.setBackend(&backend);
    QVERIFY(handle.open(0x7E57, 0x2007));

    AnswerBuffer buffer = tarvo::queryFrame(tarvo::QuerySelector::Parameter, 8);
    const QByteArray query = bytesOf(buffer);
    QCOMPARE(handle.exchange(buffer), expected);

    const QList<FakeCall>& calls = backend.record.calls;
    QCOMPARE(calls.size(), readBack ? 2 : 1);
    QCOMPARE(calls[0].kind, QStringLiteral("send"));
    QCOMPARE(calls[0].length, 20);
    QCOMPARE(calls[0].data.toHex(' '), query.left(20).toHex(' '));
    if (readBack) {
        QCOMPARE(calls[1].kind, QStringLiteral("get"));
        QCOMPARE(calls[1].length, 21);
    }
    QCOMPARE(bytesOf(buffer).toHex(' '), (bufferIsAnswer ? wheelAnswer() : query).toHex(' '));
}

void TestDeviceHandle::callsReachTheDevice()
{
    FakeBackend backend;
    backend.script.sendResult = -7;
    backend.script.writeResult = 20;
    backend.script.readResult = 17;
    backend.script.readData = QByteArray::fromHex("01") + QByteArray(16, char(0x33));
    backend.script.nonBlockingResult = 0;
    DeviceHandle handle;
    handle.setBackend(&backend);
    QVERIFY(handle.open(0x7E57, 0x2007));

    const tarvo::CommandFrame frame = tarvo::encoderPulseWidthFrame(100, true);
    QCOMPARE(handle.send(frame), -7); // a failed send's result reaches the caller
    QCOMPARE(handle.setNonBlocking(true), 0);
    std::uint8_t report[17] = {};
    QCOMPARE(handle.read(report, sizeof report), 17);
    QCOMPARE(int(report[16]), 0x33);
    const tarvo::LedBlockReport block = tarvo::ledBlockReport(tarvo::LedImage{}, 1);
    QCOMPARE(handle.write(block.data(), block.size()), 20);

    const QList<FakeCall>& calls = backend.record.calls;
    QCOMPARE(calls.size(), 4);
    QCOMPARE(calls[0].kind, QStringLiteral("send"));
    QCOMPARE(calls[0].data.toHex(), QByteArray("020c0464000000ef000000000000000000000000"));
    QCOMPARE(calls[1].kind, QStringLiteral("nonblocking"));
    QCOMPARE(int(calls[1].data[0]), 1);
    QCOMPARE(calls[2].kind, QStringLiteral("read"));
    QCOMPARE(calls[2].length, 17);
    QCOMPARE(calls[3].kind, QStringLiteral("write"));
    QCOMPARE(calls[3].data.left(2).toHex(), QByteArray("0301"));
}

void TestDeviceHandle::openReplacesPrevious()
{
    FakeBackend backend;
    DeviceHandle handle;
    handle.setBackend(&backend);
    QCOMPARE(handle.backend(), &backend);
    QVERIFY(handle.open(0x7E57, 0x2007));
    QVERIFY(handle.open(0x7E57, 0x2008));
    // The old device is closed before the new one is opened.
    QCOMPARE(backend.record.events,
             (QList<QString>{QStringLiteral("open 1 7e57:2007"), QStringLiteral("destroy 1"),
                             QStringLiteral("open 2 7e57:2008")}));
    QVERIFY(handle.isOpen());
    handle.close();
    QCOMPARE(backend.record.events.last(), QStringLiteral("destroy 2"));
    handle.close(); // closing a closed handle is harmless
    QCOMPARE(backend.record.events.size(), 4);
}

void TestDeviceHandle::failedOpenLeavesHandleClosed()
{
    FakeBackend backend;
    DeviceHandle handle;
    handle.setBackend(&backend);
    QVERIFY(handle.open(0x7E57, 0x2007));
    backend.failOpen = true;
    QVERIFY(!handle.open(0x7E57, 0x2007));
    QVERIFY(!handle.isOpen());
    QCOMPARE(backend.record.events,
             (QList<QString>{QStringLiteral("open 1 7e57:2007"), QStringLiteral("destroy 1"),
                             QStringLiteral("open 2 7e57:2007")}));
    QCOMPARE(handle.send(tarvo::ledCommitFrame()), -1);
    QVERIFY(backend.record.calls.isEmpty());
}

void TestDeviceHandle::destroyingHandleClosesDevice()
{
    FakeBackend backend;
    {
        DeviceHandle handle;
        handle.setBackend(&backend);
        QVERIFY(handle.open(0x7E57, 0x200D));
    }
    QCOMPARE(backend.record.events.last(), QStringLiteral("destroy 1"));
}

void TestDeviceHandle::initGoesToBackend()
{
    DeviceHandle handle;
    QCOMPARE(handle.init(), -1);
    FakeBackend backend;
    backend.initResult = 5;
    handle.setBackend(&backend);
    QCOMPARE(handle.init(), 5);
}

QTEST_APPLESS_MAIN(TestDeviceHandle)
#include "tst_devicehandle.moc"
