// What each release puts on the wire: answer lengths, LED codes, the clutch switch and the
// paddle save's message. Expected bytes are worked out by hand from the wheel protocol.
#include "app/messagebox.h"
#include "support/wheelwindow.h"
#include "ui_mainwindow.h"

#include <QFile>
#include <QMutex>
#include <QTemporaryDir>
#include <QTest>

using tarvo::Release;

namespace {

// The get-feature lines of a trace: the query's selector (byte 1 of the answer) to the length read.
QMap<QByteArray, int> answerLengths(const QString& path)
{
    QMap<QByteArray, int> lengths;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return lengths;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() == 4 && fields[1] == "get-feature")
            lengths.insert(fields[2].mid(2, 2), fields[3].toInt());
    }
    return lengths;
}

QList<QPushButton*> ledButtons(Ui::MainWindow* ui)
{
    QList<QPushButton*> buttons;
    for (QPushButton* b : ui->page2->findChildren<QPushButton*>(QString(), Qt::FindDirectChildrenOnly)) {
        const QString name = b->objectName();
        if (!b->isHidden() && (name.startsWith("pbT") || name.startsWith("pbB") || name.startsWith("pbD")))
            buttons.append(b);
    }
    return buttons;
}

} // namespace

class TestReleaseWire : public QObject
{
    Q_OBJECT

private slots:
    void wire_data();
    void wire();
    void preferences_data();
    void preferences();
    void inputThreadEnd_data();
    void inputThreadEnd();
};

void TestReleaseWire::wire_data()
{
    QTest::addColumn<int>("release");
    QTest::addColumn<int>("queryLength"); // model, paddle, parameter, version queries
    QTest::addColumn<int>("ledByte"); // two components of 200 in one byte
    QTest::addColumn<int>("readBack"); // 200 as read back after a reconnection
    QTest::addColumn<bool>("clutchQueried");
    QTest::addColumn<bool>("minusOneIsOn");
    QTest::addColumn<QByteArray>("toggleFrame"); // sent when the user unchecks cbClutch
    QTest::addColumn<QString>("saveMessage"); // paddle save whose switch exchange fails

    const QByteArray off = QByteArray::fromHex("020c08ff00000000000000000000000000000000");
    // 200 -> smallest level not below it: 226 (code 14); upper bits: 12, read back as 173.
    QTest::newRow("1.20") << int(Release::V120) << 21 << 0xEE << 226 << true << false << QByteArray()
                          << "Can not save setting.";
    QTest::newRow("1.15") << int(Release::V115) << 20 << 0xCC << 173 << true << true << off << "Setting saved.";
    QTest::newRow("1.14s") << int(Release::V114S) << 20 << 0xCC << 173 << true << true << off << "Setting saved.";
    QTest::newRow("1.14n") << int(Release::V114N) << 20 << 0xCC << 173 << true << true << off << "Setting saved.";
    QTest::newRow("1.13") << int(Release::V113) << 20 << 0xCC << 173 << false << false << QByteArray()
                          << "Setting saved.";
    QTest::newRow("1.12") << int(Release::V112) << 20 << 0xCC << 173 << false << false << QByteArray()
                          << "Setting saved.";
}

void TestReleaseWire::wire()
{
    QFETCH(int, release);
    QFETCH(int, queryLength);
    QFETCH(int, ledByte);
    QFETCH(int, readBack);
    QFETCH(bool, clutchQueried);
    QFETCH(bool, minusOneIsOn);
    QFETCH(QByteArray, toggleFrame);
    QFETCH(QString, saveMessage);

    QTemporaryDir dir;
    const QString tracePath = dir.filePath(QStringLiteral("trace.log"));
    WheelWindow w(Release(release), QStringLiteral("R-VELO"), 0x2007, tracePath);
    QVERIFY(w.wheel.setSetting(QStringLiteral("clutchEnable"), {QStringLiteral("4294967295")}));
    QVERIFY(w.waitConnected());

    const QMap<QByteArray, int> lengths = answerLengths(tracePath);
    QCOMPARE(lengths.value("0d"), queryLength);
    QCOMPARE(lengths.value("0a"), queryLength);
    QCOMPARE(lengths.value("09"), queryLength);
    QCOMPARE(lengths.value("0f"), 21);
    QCOMPARE(lengths.value("00"), 21);
    QCOMPARE(lengths.value("03"), 21);
    QCOMPARE(lengths.contains("0c"), true); // the pulse width at least
    QCOMPARE(lengths.value("0c"), queryLength);

    // The clutch switch the wheel holds is 0xFFFFFFFF, and reading it writes nothing back.
    QCOMPARE(w.ui()->cbClutch->isChecked(), minusOneIsOn);
    QCOMPARE(w.wheel.state().value("live").toObject().value("clutchEnable").toDouble(), 4294967295.0);
    bool asked = false;
    QFile trace(tracePath);
    QVERIFY(trace.open(QIODevice::ReadOnly));
    asked = trace.readAll().contains("send-feature 020b0c08");
    QCOMPARE(asked, clutchQueried);

    // A user's toggle: live in 1.15 and 1.14 only.
    w.ui()->cbClutch->setChecked(true);
    w.wheel.clearReceived();
    w.ui()->cbClutch->click();
    QList<QByteArray> sent;
    for (const VirtualWheel::Received& r : w.wheel.received())
        sent.append(r.bytes);
    QCOMPARE(sent, toggleFrame.isEmpty() ? QList<QByteArray>() : QList<QByteArray>{toggleFrame});

    // Every LED at 200, 200, 200: one byte carries two components.
    const QList<QPushButton*> leds = ledButtons(w.ui());
    QVERIFY(!leds.isEmpty());
    for (QPushButton* b : leds)
        MainWindowProbe::setLedButtonColour(*w.window, b, QColor(200, 200, 200));
    w.wheel.clearReceived();
    QVERIFY(MainWindowProbe::sendLedColours(*w.window, true));
    QByteArray block0;
    for (const VirtualWheel::Received& r : w.wheel.received()) {
        if (r.kind == VirtualWheel::Received::Kind::Write && r.bytes.startsWith(QByteArray::fromHex("0300")))
            block0 = r.bytes;
    }
    QVERIFY(block0.contains(char(ledByte)));
    // Read back at the next connection, and shown in the model's buttons.
    QMetaObject::invokeMethod(w.window.get(), "onInit", Qt::DirectConnection);
    QVERIFY(w.waitConnected());
    const QColor shown = MainWindowProbe::ledButtonColour(*w.window, leds.first(), tarvo::ChannelOrder::Rgb);
    QCOMPARE(shown, QColor(readBack, readBack, readBack));

    // "Save Setting" with nothing new for the paddle frame and the switch's exchange failing.
    MessageBox::clearShown();
    MessageBox::setNextAnswer(QMessageBox::Ok);
    w.wheel.failSends(1);
    w.wheel.failGets(1);
    w.ui()->pbSaveP->click();
    QCOMPARE(MessageBox::shown().size(), 1);
    QCOMPARE(MessageBox::shown().first().text, saveMessage);
}

void TestReleaseWire::preferences_data()
{
    QTest::addColumn<int>("release");
    QTest::addColumn<bool>("stored"); // the extra-shifter choice kept from before
    QTest::addColumn<bool>("extraShifter");
    QTest::addColumn<int>("encoderState");

    QTest::newRow("1.20") << int(Release::V120) << true << true << 2;
    QTest::newRow("1.15") << int(Release::V115) << true << true << 3;
    // 1.14 has no toggle and shows the rows whatever is kept.
    QTest::newRow("1.14s") << int(Release::V114S) << true << true << 3;
    QTest::newRow("1.14s, kept off") << int(Release::V114S) << false << true << 3;
    QTest::newRow("1.14n") << int(Release::V114N) << true << true << 0;
    QTest::newRow("1.13") << int(Release::V113) << true << false << 0;
    QTest::newRow("1.12") << int(Release::V112) << true << false << 0;
}

void TestReleaseWire::preferences()
{
    QFETCH(int, release);
    QFETCH(bool, stored);
    QFETCH(bool, extraShifter);
    QFETCH(int, encoderState);
    Preferences settings;
    settings.clear();
    settings.setValue(QStringLiteral("EXTRA_SHIFTER"), stored);
    settings.setValue(QStringLiteral("QLN5_ENCODER1"), 2);
    settings.setValue(QStringLiteral("QLN5_ENCODER2"), 3);
    settings.setValue(QStringLiteral("QLN5_BUTTON"), 0);
    settings.sync();
    // QLN5 takes the extra-shifter choice from the preferences.
    WheelWindow w(Release(release), QStringLiteral("QLN5"));
    QVERIFY(w.waitConnected());
    QCOMPARE(w.ui()->cbShifter->isChecked(), extraShifter);
    QCOMPARE(MainWindowProbe::encoderBindState(*w.window), encoderState);
    // What the window sets up by itself is no choice of the user's.
    settings.sync();
    QCOMPARE(settings.value(QStringLiteral("EXTRA_SHIFTER")).toBool(), stored);
}

namespace {
// Log lines come from the input thread as well.
QMutex g_logMutex;
QStringList g_log;
void keepLog(QtMsgType, const QMessageLogContext&, const QString& message)
{
    const QMutexLocker locker(&g_logMutex);
    g_log.append(message);
}
} // namespace

void TestReleaseWire::inputThreadEnd_data()
{
    QTest::addColumn<int>("release");
    QTest::addColumn<int>("disconnects"); // after a stop request
    QTest::addColumn<bool>("logLine");

    QTest::newRow("1.20") << int(Release::V120) << 0 << true;
    QTest::newRow("1.14n") << int(Release::V114N) << 0 << true;
    QTest::newRow("1.13") << int(Release::V113) << 1 << false;
    QTest::newRow("1.12") << int(Release::V112) << 1 << false;
}

void TestReleaseWire::inputThreadEnd()
{
    QFETCH(int, release);
    QFETCH(int, disconnects);
    QFETCH(bool, logLine);
    WheelWindow w(Release(release), QStringLiteral("R-VELO"));
    QVERIFY(w.waitConnected());
    TarvoEvent& thread = MainWindowProbe::eventThread(*w.window);
    {
        const QMutexLocker locker(&g_logMutex);
        g_log.clear();
    }
    const QtMessageHandler previous = qInstallMessageHandler(keepLog);
    thread.requestInterruption();
    // The wheel is idle: the reader must still see the stop, not wait for a report.
    const bool stopped = thread.wait(10000);
    qInstallMessageHandler(previous);
    QVERIFY(stopped);

    const QMutexLocker locker(&g_logMutex);
    QCOMPARE(g_log.contains(QStringLiteral("joystick event thread done.")), logLine);
    QVERIFY(!deviceHandle.isOpen());
    // A reported end runs the connection step again (queued to the window); an unreported one does not.
    QVERIFY(w.settle());
    if (disconnects > 0)
        QTRY_VERIFY_WITH_TIMEOUT(deviceHandle.isOpen(), 10000);
    QCOMPARE(deviceHandle.isOpen(), disconnects > 0);

    // The window's own reopen (after a flash, say) stops the thread too: one reopen, one readout.
    w.wheel.clearReceived();
    QMetaObject::invokeMethod(w.window.get(), "onInit", Qt::DirectConnection);
    QVERIFY(w.settle()); // what the stopped thread queued
    int modelQueries = 0;
    for (const VirtualWheel::Received& r : w.wheel.received())
        modelQueries += r.bytes.startsWith(QByteArray::fromHex("020b0d"));
    QCOMPARE(modelQueries, 1);
}

QTEST_MAIN(TestReleaseWire)
#include "tst_releasewire.moc"
