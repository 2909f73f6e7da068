// What each release shows and how its shell behaves. The expectations are the releases' own
// texts and names, written out here row by row.
#include "support/wheelwindow.h"
#include "ui_mainwindow.h"

#include <QGroupBox>
#include <QTest>

using tarvo::Release;

class TestReleaseWindow : public QObject
{
    Q_OBJECT

private slots:
    void widgets_data();
    void widgets();
    void shell_data();
    void shell();
    void shifterPrompt_data();
    void shifterPrompt();
    void modelPicture_data();
    void modelPicture();
};

namespace {
// Absent: no longer part of the window's pages, so never on screen whatever the window does.
bool absent(MainWindow& w, QWidget* widget)
{
    return !w.centralWidget()->isAncestorOf(widget);
}
} // namespace

void TestReleaseWindow::widgets_data()
{
    QTest::addColumn<int>("release");
    QTest::addColumn<QString>("widget");
    QTest::addColumn<QString>("property"); // a property name, or "absent" / "present"
    QTest::addColumn<QString>("expected");

    const auto row = [](const char* tag, Release r, const char* widget, const char* property, const char* expected) {
        QTest::newRow(tag) << int(r) << widget << property << expected;
    };
    row("1.20 version", Release::V120, "lbCurVer", "text", "TarvoSet Version: v1.20");
    row("1.20 bluetooth line", Release::V120, "lbBTStatus", "text", "BLUETOOTH CONNECTED");
    row("1.20 clutch box", Release::V120, "gpClutch", "title", "CLUTCH BITE POINT");
    row("1.20 swatch", Release::V120, "pbSetW", "present", "");
    row("1.20 minimise", Release::V120, "pbMin", "present", "");
    row("1.20 indicator", Release::V120, "pbIB1", "text", "1");
    row("1.20 extra shifters", Release::V120, "cbShifter", "present", "");

    row("1.15 version", Release::V115, "lbCurVer", "absent", "");
    row("1.15 minimise", Release::V115, "pbMin", "absent", "");
    row("1.15 bluetooth line", Release::V115, "lbBTStatus", "text", "BLUETOOTH CONNECTION STATUS:");
    row("1.15 clutch box", Release::V115, "groupBox", "title", "CLUTCH BIT POINT");
    row("1.15 shifter box", Release::V115, "gpBear", "title", "SHIFTERS");
    row("1.15 clutch toggle", Release::V115, "cbClutch", "text", "ENABLE CLUTCHES");
    row("1.15 extra shifter toggle", Release::V115, "cbShifter", "present", "");
    row("1.15 swatch W", Release::V115, "pbSetW", "absent", "");
    row("1.15 swatch D", Release::V115, "pbSetD", "absent", "");
    row("1.15 lamp", Release::V115, "pbXR", "absent", "");
    row("1.15 button indicator", Release::V115, "pbIB14", "text", "");
    row("1.15 dial left", Release::V115, "pbID3L", "text", ">");
    row("1.15 dial right", Release::V115, "pbID8R", "text", "<");
    row("1.15 stick right", Release::V115, "pbJsRR", "text", "<");
    row("1.15 stick 3", Release::V115, "pbJsL3", "text", "3");
    row("1.15 stick centre", Release::V115, "pbJsRC", "text", "O");
    row("1.15 clear flash", Release::V115, "pbClearFlash", "present", "");
    row("1.15 inputs picture", Release::V115, "lbMain", "styleSheet", "border-image: url(:/img/back.vkern.png);");
    row("1.15 LED picture", Release::V115, "lbMainRGB", "styleSheet", "border-image: url(:/img/back.qln5.png);");

    row("1.14s clutch box", Release::V114S, "groupBox", "title", "CLUTCH BIT POINT");
    row("1.14s caption", Release::V114S, "lbLShT_3", "text", "CLUTCHES");
    row("1.14s caption readable", Release::V114S, "lbLShT_3", "foreground", "#ffffff");
    row("1.14s clutch toggle", Release::V114S, "cbClutch", "text", "ENABLE");
    row("1.14s extra shifter toggle", Release::V114S, "cbShifter", "absent", "");
    row("1.14s extra shifter", Release::V114S, "pbBearExLCa", "present", "");
    row("1.14n caption", Release::V114N, "lbLShT_3", "text", "CLUTCHES");
    row("1.14n shifter box", Release::V114N, "gpBear", "title", "SHIFTERS");
    row("1.14n swatch", Release::V114N, "pbSet3", "absent", "");

    row("1.13 clutch box", Release::V113, "groupBox", "title", "CLUTCH CONFIG");
    row("1.13 shifter box", Release::V113, "groupBox_2", "title", "SHIFTERS CONFIG");
    row("1.13 clutch toggle", Release::V113, "cbClutch", "absent", "");
    row("1.13 encoder", Release::V113, "pbEncoder", "absent", "");
    row("1.13 extra shifter", Release::V113, "pbBearExRCa", "absent", "");
    row("1.13 extra caption", Release::V113, "lbLShT_2", "absent", "");
    row("1.13 extra indicator", Release::V113, "pbIExL", "absent", "");
    row("1.13 clear flash", Release::V113, "pbClearFlash", "absent", "");
    row("1.13 check update", Release::V113, "pbAutoUpgrade", "text", "Check Update");
    row("1.13 manual update", Release::V113, "pbUpgrade", "text", "Manual Update");
    row("1.13 path", Release::V113, "lePath", "styleSheet",
        "QLineEdit {\n  border-radius: 2px;\n  border: 1px solid lightgray;\n}");
    row("1.12 clutch box", Release::V112, "groupBox", "title", "CLUTCH CONFIG");
    row("1.12 lamp", Release::V112, "pbXL", "absent", "");
    row("1.12 bluetooth line", Release::V112, "lbBTStatus", "text", "BLUETOOTH CONNECTION STATUS:");
    row("1.12 manual update", Release::V112, "pbUpgrade", "text", "Manual Update");
}

void TestReleaseWindow::widgets()
{
    QFETCH(int, release);
    QFETCH(QString, widget);
    QFETCH(QString, property);
    QFETCH(QString, expected);
    // Without a wheel: the texts as built, before any connection changes them.
    tarvo::setActiveRelease(Release(release));
    MainWindow w;
    tarvo::setActiveRelease(Release::V120);
    auto* found = w.findChild<QWidget*>(widget);
    QVERIFY2(found, qPrintable(widget));
    if (property == QLatin1String("absent")) {
        QVERIFY(absent(w, found));
    } else if (property == QLatin1String("foreground")) {
        found->ensurePolished();
        QCOMPARE(found->palette().color(found->foregroundRole()).name(), expected);
    } else if (property == QLatin1String("present")) {
        QVERIFY(!absent(w, found));
    } else {
        QCOMPARE(found->property(property.toLatin1().constData()).toString(), expected);
    }
}

void TestReleaseWindow::shell_data()
{
    QTest::addColumn<int>("release");
    QTest::addColumn<bool>("guard");
    QTest::addColumn<bool>("closeSaves");
    QTest::addColumn<QByteArray>("versionLine");

    QTest::newRow("1.20") << int(Release::V120) << true << true << QByteArray();
    QTest::newRow("1.15") << int(Release::V115) << false << false << QByteArray("version: v1.15");
    QTest::newRow("1.14s") << int(Release::V114S) << false << false << QByteArray("version: v1.14");
    QTest::newRow("1.14n") << int(Release::V114N) << false << false << QByteArray("version: v1.14");
    QTest::newRow("1.13") << int(Release::V113) << false << false << QByteArray("version: v1.13");
    QTest::newRow("1.12") << int(Release::V112) << false << false << QByteArray("version: v1.12");
}

void TestReleaseWindow::shell()
{
    QFETCH(int, release);
    QFETCH(bool, guard);
    QFETCH(bool, closeSaves);
    QFETCH(QByteArray, versionLine);
    if (!versionLine.isEmpty())
        QTest::ignoreMessage(QtDebugMsg, versionLine.constData());
    WheelWindow w(Release(release), QStringLiteral("R-VELO"));
    QVERIFY(w.waitConnected());
    QCOMPARE(MainWindowProbe::instanceServer(*w.window).isListening(), guard);
    w.window->show();
    w.wheel.clearReceived();
    w.ui()->pbClose->click();
    QTRY_VERIFY_WITH_TIMEOUT(!w.window->isVisible(), 5000);
    // The current close saves the paddle page first, and that save asks for the clutch switch.
    bool clutchQuery = false;
    for (const VirtualWheel::Received& r : w.wheel.received())
        clutchQuery = clutchQuery || r.bytes.startsWith(QByteArray::fromHex("020b0c08"));
    QCOMPARE(clutchQuery, closeSaves);
    // Whatever the close button does, the input thread has stopped once the window is gone.
    w.window.reset();
    QVERIFY(!deviceHandle.isOpen());
}

void TestReleaseWindow::shifterPrompt_data()
{
    QTest::addColumn<int>("release");
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("right");
    QTest::newRow("1.15") << int(Release::V115) << "PRESS AND HOLD LEFT SHIFTER THEN CLICK ME"
                          << "PRESS AND HOLD RIGHT SHIFTER THEN CLICK ME";
    QTest::newRow("1.13") << int(Release::V113) << "PRESS AND HOLD LEFT BEAR THEN CLICK ME"
                          << "PRESS AND HOLD RIGHT BEAR THEN CLICK ME";
}

void TestReleaseWindow::shifterPrompt()
{
    QFETCH(int, release);
    QFETCH(QString, left);
    QFETCH(QString, right);
    WheelWindow w(Release(release), QStringLiteral("R-VELO"));
    QVERIFY(w.waitConnected());
    w.ui()->pbBearLCa->click();
    w.ui()->pbBearRCa->click();
    QCOMPARE(w.ui()->pbBearLCa->text(), left);
    QCOMPARE(w.ui()->pbBearRCa->text(), right);
}

void TestReleaseWindow::modelPicture_data()
{
    QTest::addColumn<int>("release");
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("picture");
    QTest::newRow("1.15 R-VELO") << int(Release::V115) << "R-VELO"
                                 << "border-image: url(:/img/back.rvelo.png)";
    // Models the release does not know show no picture, as on the waiting screen.
    QTest::newRow("1.15 LM270") << int(Release::V115) << "LM270"
                                << "border-image:";
    QTest::newRow("1.12 KTR2") << int(Release::V112) << "KTR2"
                               << "border-image:";
}

void TestReleaseWindow::modelPicture()
{
    QFETCH(int, release);
    QFETCH(QString, model);
    QFETCH(QString, picture);
    WheelWindow w(Release(release), model);
    QVERIFY(w.waitConnected());
    QCOMPARE(w.ui()->lbHead->text(), "TARVO " + model);
    QCOMPARE(w.ui()->lbMain->styleSheet(), picture);
}

QTEST_MAIN(TestReleaseWindow)
#include "tst_releasewindow.moc"
