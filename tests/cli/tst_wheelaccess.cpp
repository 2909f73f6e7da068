// A wheel whose hidraw node this user may not open: what tarvoctl and the window say about it.
#include "app/mainwindow.h"
#include "cli/ctloptions.h"
#include "cli/ctloutput.h"
#include "cli/tarvoctl.h"
#include "device/devicehandle.h"
#include "inputs/messagelog.h"
#include "support/mainwindowprobe.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPushButton>
#include <QtTest>
#include <cstdio>

namespace {

class ForbiddenWheel : public HidBackend
{
public:
    int opens = 0;
    int init() override { return 0; }
    std::unique_ptr<HidDevice> open(std::uint16_t, std::uint16_t) override
    {
        ++opens;
        return nullptr;
    }
    std::vector<PresentDevice> enumerate(std::uint16_t) override { return {{0x2008, "/dev/hidraw7", true}}; }
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
    void windowLogsTheHintOnceAndShowsItOnTheStatusLamp();
    void tarvoctlSaysWhyAndPointsAtTheRule();
};

void TestWheelAccess::windowLogsTheHintOnceAndShowsItOnTheStatusLamp()
{
    ForbiddenWheel wheel;
    deviceHandle.setBackend(&wheel);
    MessageLog log;
    {
        MainWindow window;
        QPushButton* status = MainWindowProbe::ui(window)->pbStatus;
        QTRY_VERIFY_WITH_TIMEOUT(status->toolTip().contains("/dev/hidraw7"), 5000);
        QVERIFY(status->toolTip().contains("70-tarvoset.rules"));
        QVERIFY(!status->isHidden());
        const int opens = wheel.opens;
        QMetaObject::invokeMethod(&window, "onInit");
        QMetaObject::invokeMethod(&window, "onInit");
        QCOMPARE(wheel.opens, opens + 14);
        QStringList hints = MessageLog::texts("tarvoset.device").filter("No permission");
        QCOMPARE(hints.size(), 1);
        QCOMPARE(hints.first(), status->toolTip());
    }
    deviceHandle.setBackend(nullptr);
}

void TestWheelAccess::tarvoctlSaysWhyAndPointsAtTheRule()
{
    ForbiddenWheel wheel;
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

QTEST_MAIN(TestWheelAccess)
#include "tst_wheelaccess.moc"
