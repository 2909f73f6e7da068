// A wheel that cannot be used, and why: what tarvoctl and the window say about it; and what
// tarvoctl says about a firmware transfer that fails.
#include "app/mainwindow.h"
#include "cli/ctloptions.h"
#include "cli/ctloutput.h"
#include "cli/tarvoctl.h"
#include "device/devicehandle.h"
#include "device/wheellock.h"
#include "support/faultyhid.h"
#include "support/mainwindowprobe.h"
#include "support/messagelog.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <cstdio>

namespace {

// Wheels that are there, or not, and never open.
class StubWheel : public HidBackend
{
public:
    explicit StubWheel(std::vector<PresentDevice> devices, std::string key = {})
        : present(std::move(devices))
        , lockName(std::move(key))
    {
    }
    int opens = 0;
    int init() override { return 0; }
    std::unique_ptr<HidDevice> open(std::uint16_t, std::uint16_t) override
    {
        ++opens;
        return nullptr;
    }
    std::vector<PresentDevice> enumerate(std::uint16_t) override { return present; }
    std::string lockKey(std::uint16_t, std::uint16_t) override { return lockName; }

private:
    std::vector<PresentDevice> present;
    std::string lockName;
};

QByteArray contents(FILE* file)
{
    std::fflush(file);
    std::rewind(file);
    QByteArray data;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        data.append(buffer, qsizetype(n));
    return data;
}

} // namespace

class TestWheelAccess : public QObject
{
    Q_OBJECT

private slots:
    void windowSaysWhyItWaits_data();
    void windowSaysWhyItWaits();
    void tarvoctlSaysWhyAndPointsAtTheRule();
    void tarvoctlMessages_data();
    void tarvoctlMessages();
    void failedFlashSaysWhatWasSent_data();
    void failedFlashSaysWhatWasSent();
};

void TestWheelAccess::windowSaysWhyItWaits_data()
{
    QTest::addColumn<bool>("permission"); // the wheel's node may not be opened
    QTest::addColumn<bool>("held"); // this test holds the wheel's lock
    QTest::addColumn<int>("opensPerTry");
    QTest::addColumn<QStringList>("says");
    const QString pid = QString::number(QCoreApplication::applicationPid());
    QTest::newRow("no wheel") << false << false << 7 << QStringList{"No wheel found", "7e57"};
    QTest::newRow("no permission") << true << false << 7 << QStringList{"/dev/hidraw7", "70-tarvoset.rules"};
    QTest::newRow("held by another program")
        << false << true << 0 << QStringList{"held by another TarvoSet program", "tst_wheelaccess, process " + pid};
}

void TestWheelAccess::windowSaysWhyItWaits()
{
    QFETCH(bool, permission);
    QFETCH(bool, held);
    QFETCH(int, opensPerTry);
    QFETCH(QStringList, says);
    const std::string key = "held-" + std::to_string(QCoreApplication::applicationPid());
    StubWheel wheel(permission ? std::vector<HidBackend::PresentDevice>{{0x2008, "/dev/hidraw7", true}}
                        : held ? std::vector<HidBackend::PresentDevice>{{0x2007, "/dev/hidraw3", false}}
                               : std::vector<HidBackend::PresentDevice>{},
                    held ? key : std::string());
    WheelLock lock(QString::fromStdString(key));
    if (held)
        QCOMPARE(lock.tryLock(), WheelLock::Result::Acquired);
    deviceHandle.setBackend(&wheel);
    MessageLog log;
    {
        MainWindow window;
        QPushButton* status = MainWindowProbe::ui(window)->pbStatus;
        QTRY_VERIFY_WITH_TIMEOUT(status->toolTip().contains(says.first()), 5000);
        for (const QString& part : says)
            QVERIFY2(status->toolTip().contains(part), qPrintable(status->toolTip()));
        QVERIFY(!status->isHidden());
        const int opens = wheel.opens;
        QMetaObject::invokeMethod(&window, "onInit");
        QMetaObject::invokeMethod(&window, "onInit");
        QCOMPARE(wheel.opens, opens + 2 * opensPerTry);
        // Logged once, not at every retry.
        QCOMPARE(MessageLog::texts("tarvoset.device"), QStringList{status->toolTip()});
    }
    deviceHandle.setBackend(nullptr);
}

void TestWheelAccess::tarvoctlSaysWhyAndPointsAtTheRule()
{
    StubWheel wheel({{0x2008, "/dev/hidraw7", true}});
    FILE* out = std::tmpfile();
    FILE* err = std::tmpfile();
    CtlOutput::redirect(out, err);
    CtlOptions options;
    options.json = true;
    options.command = QStringLiteral("list");
    QCOMPARE(Tarvoctl(options, &wheel).run(), 0);
    const QJsonArray wheels = QJsonDocument::fromJson(contents(out)).object().value("wheels").toArray();
    QCOMPARE(wheels.size(), 1);
    const QJsonObject entry = wheels.first().toObject();
    QCOMPARE(entry.value("productId").toString(), QStringLiteral("2008"));
    QCOMPARE(entry.value("path").toString(), QStringLiteral("/dev/hidraw7"));
    QCOMPARE(entry.value("open").toBool(), false);
    QVERIFY(entry.value("model").isNull());
    QVERIFY(entry.value("problem").toString().contains("udev rule"));
    QCOMPARE(wheel.opens, 0);

    options.command = QStringLiteral("info");
    QCOMPARE(Tarvoctl(options, &wheel).run(), 3);
    QVERIFY(contents(err).contains("No permission to open /dev/hidraw7"));
    CtlOutput::redirect(stdout, stderr);
    std::fclose(out);
    std::fclose(err);
}

void TestWheelAccess::tarvoctlMessages_data()
{
    QTest::addColumn<QStringList>("args"); // NOWHERE: a missing folder
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("says"); // in the one line on stderr
    QFile missing(QDir::temp().filePath("no-such-folder-of-tarvoctl/p"));
    QVERIFY(!missing.open(QIODevice::ReadOnly));
    const QString why = missing.errorString(); // the system's own words
    const QStringList rvelo{"--virtual-wheel", "R-VELO"};
    QTest::newRow("list without a wheel") << QStringList{"list"} << 0 << "No wheel found";
    QTest::newRow("unknown option") << QStringList{"--frob", "info"} << 2 << "frob'; see tarvoctl --help";
    QTest::newRow("command without its argument") << QStringList{"get"} << 2 << "get KEY; see tarvoctl --help";
    QTest::newRow("LED slot 48") << rvelo + QStringList{"get", "led.48"} << 2 << "0 to 47";
    QTest::newRow("backup into no folder") << rvelo + QStringList{"backup", "NOWHERE/p.json"} << 2 << why;
    QTest::newRow("image missing") << rvelo + QStringList{"flash", "--yes", "NOWHERE/f.bin"} << 2 << why;
    QTest::newRow("profile of another model") << rvelo + QStringList{"restore", "KTR2"} << 2 << "not of the R-VELO";
}

void TestWheelAccess::tarvoctlMessages()
{
    QFETCH(QStringList, args);
    QFETCH(int, code);
    QFETCH(QString, says);
    QTemporaryDir dir;
    const QString ktr2 = dir.filePath("ktr2.json");
    args.replaceInStrings("NOWHERE", dir.filePath("missing")).replaceInStrings("KTR2", ktr2);
    StubWheel none({});
    FILE* scratch = std::tmpfile();
    FILE* err = std::tmpfile();
    CtlOutput::redirect(scratch, scratch);
    QCOMPARE(Tarvoctl::runCommandLine({"tarvoctl", "--virtual-wheel", "KTR2", "backup", ktr2}), 0);
    CtlOutput::redirect(scratch, err);
    QCOMPARE(Tarvoctl::runCommandLine(QStringList{"tarvoctl"} + args, args.contains("list") ? &none : nullptr), code);
    const QString text = QString::fromUtf8(contents(err));
    CtlOutput::redirect(stdout, stderr);
    std::fclose(scratch);
    std::fclose(err);
    QCOMPARE(text.count('\n'), 1);
    QVERIFY2(text.contains(says), qPrintable(text));
}

void TestWheelAccess::failedFlashSaysWhatWasSent_data()
{
    QTest::addColumn<int>("frame"); // the failing one: two blocks, then the end frame
    QTest::addColumn<QString>("says");
    QTest::newRow("a block") << 1 << "no end frame was sent";
    QTest::newRow("the end frame") << 2 << "every block frame went out (2), but the end frame failed (result -1)";
}

void TestWheelAccess::failedFlashSaysWhatWasSent()
{
    QFETCH(int, frame);
    QFETCH(QString, says);
    QTemporaryDir dir;
    QFile image(dir.filePath("image.bin"));
    QVERIFY(image.open(QIODevice::WriteOnly));
    image.write(QByteArray(32, '\x5a'));
    image.close();
    VirtualWheel wheel("R-VELO", 0x2007);
    FaultyHid faulty(wheel);
    faulty.arm(frame + 1, FaultyHid::Fault::FailSends, 1, FaultyHid::Counting::FirmwareFrames);
    FILE* err = std::tmpfile();
    CtlOutput::redirect(stdout, err);
    QCOMPARE(Tarvoctl::runCommandLine({"tarvoctl", "flash", "--yes", image.fileName()}, &faulty), 1);
    CtlOutput::redirect(stdout, stderr);
    const QString message = QString::fromUtf8(contents(err));
    std::fclose(err);
    deviceHandle.close();
    deviceHandle.setBackend(nullptr);
    QVERIFY2(message.contains(says), qPrintable(message));
    QCOMPARE(faulty.firmwareFrames().size(), frame + 1);
}

QTEST_MAIN(TestWheelAccess)
#include "tst_wheelaccess.moc"
