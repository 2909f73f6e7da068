// The window on a wheel in the kernel: hidapi's hidraw backend, /dev/hidraw*, the HID core and
// a tarvo-uhid-wheel answering through /dev/uhid. Run inside the test guest by
// scripts/kernel-test.sh, which starts the wheels: R-VELO on 2007 (control socket named by
// TARVO_WHEEL_CONTROL) and a KTR2 on 200a (TARVO_SECOND_WHEEL_CONTROL), plugged in first.
#include "app/mainwindow.h"
#include "app/messagebox.h"
#include "device/devicehandle.h"
#include "device/hidapibackend.h"
#include "device/hidtrace.h"
#include "e2e/tracefile.h"
#include "settings/ledslottables.h"
#include "support/controlsocket.h"
#include "support/mainwindowprobe.h"
#include "ui_mainwindow.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace {
constexpr int kWait = 60000; // the guest may run without KVM on a busy machine
} // namespace

class TestKernelWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void opensTheFirstProductIdOfTwo();
    void followsInputReports();
    void ledSaveWritesTheBlocksInOrder();
    void unplugAndPlugWhileOpen();
    void unplugDuringFirmwareTransfer();
    void waitsWithoutPermission();

private:
    // A guest without KVM on a busy machine can take seconds to answer; an empty answer would
    // read as a state without blocks or LEDs.
    QString tell(const QString& line)
    {
        ControlSocket socket;
        return socket.connect(m_control) ? socket.send(line, kWait) : QStringLiteral("<no connection>");
    }
    QJsonObject state() { return QJsonDocument::fromJson(tell("state").toUtf8()).object(); }
    bool connected()
    {
        return MainWindowProbe::modelName(*m_window) == "R-VELO" && deviceHandle.isOpen()
            && MainWindowProbe::eventThread(*m_window).isRunning();
    }
    QList<TraceLine> trace() { return readTrace(m_tracePath); }
    Ui::MainWindow* ui() { return MainWindowProbe::ui(*m_window); }

    QString m_control;
    QTemporaryDir m_dir;
    QString m_tracePath;
    HidApiBackend m_hidapi;
    std::unique_ptr<HidTrace> m_trace;
    std::unique_ptr<MainWindow> m_window;
};

void TestKernelWindow::initTestCase()
{
    m_control = qEnvironmentVariable("TARVO_WHEEL_CONTROL");
    if (m_control.isEmpty() && !qEnvironmentVariableIsSet("TARVO_EXPECT_NO_PERMISSION"))
        QSKIP("runs inside the kernel test guest (scripts/kernel-test.sh)");
    m_tracePath = m_dir.filePath("trace.log");
    m_trace = std::make_unique<HidTrace>(&m_hidapi, m_tracePath);
    deviceHandle.setBackend(m_trace.get());
    m_window = std::make_unique<MainWindow>();
    m_window->show();
}

void TestKernelWindow::cleanupTestCase()
{
    m_window.reset();
    deviceHandle.close();
    deviceHandle.setBackend(nullptr);
}

void TestKernelWindow::opensTheFirstProductIdOfTwo()
{
    // hidraw lists the KTR2 first; the window still takes 2007, the first of the seven.
    QTRY_VERIFY_WITH_TIMEOUT(connected(), kWait);
    QCOMPARE(MainWindowProbe::productId(*m_window), 0x2007u);
    QCOMPARE(ui()->lbHead->text(), QStringLiteral("TARVO R-VELO"));
    bool modelAnswer = false;
    for (const TraceLine& line : trace())
        modelAnswer |= line.kind == "get-feature" && line.data.startsWith("020d" + QByteArray("R-VELO").toHex());
    QVERIFY(modelAnswer);
}

void TestKernelWindow::followsInputReports()
{
    // Right paddle 2048, left 1024, input 0 pressed; then released. Whole reports: the HID core
    // does not pass a report shorter than its descriptor says on to hidraw.
    QCOMPARE(tell("input 00080004010000000000000000000000"), QStringLiteral("ok"));
    QTRY_COMPARE_WITH_TIMEOUT(ui()->pbIB1->statusTip(), QStringLiteral("SHOW"), kWait);
    // The bars follow at the screen's pace.
    QTRY_COMPARE_WITH_TIMEOUT(ui()->pgAdcR->value(), 2048, kWait);
    QTRY_COMPARE_WITH_TIMEOUT(ui()->pgAdcL->value(), 1024, kWait);
    QCOMPARE(tell("input 00080004000000000000000000000000"), QStringLiteral("ok"));
    QTRY_COMPARE_WITH_TIMEOUT(ui()->pbIB1->statusTip(), QStringLiteral("HIDE"), kWait);
}

void TestKernelWindow::ledSaveWritesTheBlocksInOrder()
{
    const tarvo::LedSlotTable* table = tarvo::ledSendTable("R-VELO");
    QVERIFY(table && table->size() > 0);
    auto* first = m_window->findChild<QPushButton*>(QString::fromLatin1((*table)[0].button));
    QVERIFY(first);
    MainWindowProbe::setLedButtonColour(*m_window, first, QColor(255, 0, 0));
    const qsizetype before = trace().size();
    MessageBox::clearShown();
    MessageBox::setNextAnswer(QMessageBox::Ok);
    QTest::mouseClick(ui()->pbSave, Qt::LeftButton);
    QCOMPARE(MessageBox::shown().value(0).text, QStringLiteral("LED colors saved."));

    QStringList blocks;
    bool committed = false;
    for (const TraceLine& line : trace().mid(before)) {
        if (line.kind == "write") {
            QCOMPARE(line.result, 20);
            blocks.append(line.data.mid(2, 2));
        }
        committed |= line.kind == "send-feature" && line.data.startsWith("020e") && !blocks.isEmpty();
    }
    QCOMPARE(blocks, QStringList({"00", "01", "03", "02"}));
    QVERIFY(committed);
    // The output reports reached the wheel and the commit stored them: slot 0 is red now.
    const QJsonArray leds = state().value("flash").toObject().value("leds").toArray();
    QCOMPARE(leds.at(0).toInt(), 255);
    QCOMPARE(leds.at(1).toInt(), 0);
    QCOMPARE(leds.at(2).toInt(), 0);
}

void TestKernelWindow::unplugAndPlugWhileOpen()
{
    // Without the second wheel, which the window would take the moment the first one goes.
    QCOMPARE(controlCommand(qEnvironmentVariable("TARVO_SECOND_WHEEL_CONTROL"), "unplug"), QStringLiteral("ok"));
    QCOMPARE(tell("unplug"), QStringLiteral("ok"));
    QTRY_COMPARE_WITH_TIMEOUT(ui()->lbHead->text(), QStringLiteral("WAITING FOR DEVICE..."), kWait);
    QVERIFY(!deviceHandle.isOpen());
    QCOMPARE(tell("plug"), QStringLiteral("ok"));
    QTRY_VERIFY_WITH_TIMEOUT(connected(), kWait);
    QCOMPARE(ui()->lbHead->text(), QStringLiteral("TARVO R-VELO"));
}

void TestKernelWindow::unplugDuringFirmwareTransfer()
{
    const QString image = m_dir.filePath("full.bin");
    QFile file(image);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(229376, '\x5a'));
    file.close();
    QCOMPARE(tell("latency 2"), QStringLiteral("ok"));
    const qsizetype before = trace().size();
    MessageBox::clearShown();
    MessageBox::setNextAnswer(QMessageBox::Ok);
    ui()->lePath->setText(image);
    QTest::mouseClick(ui()->pbUpgrade, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(state().value("firmware").toObject().value("blocks").toInt() >= 20, kWait);
    QCOMPARE(tell("unplug"), QStringLiteral("ok"));

    QTRY_COMPARE_WITH_TIMEOUT(MessageBox::shown().size(), qsizetype(1), kWait);
    QCOMPARE(MessageBox::shown().at(0).text, QStringLiteral("Firmware update failed."));
    QTRY_COMPARE_WITH_TIMEOUT(ui()->lbHead->text(), QStringLiteral("WAITING FOR DEVICE..."), kWait);
    for (const TraceLine& line : trace().mid(before))
        QVERIFY2(!(line.kind == "send-feature" && line.data.startsWith("0210")), "an end frame was sent");
    // The wheel still describes the image it had before.
    const QByteArray md5 = QCryptographicHash::hash(QByteArray(229376, '\x5a'), QCryptographicHash::Md5).toHex();
    QVERIFY(state().value("firmware").toObject().value("md5").toString().toLatin1() != md5);

    QCOMPARE(tell("latency 0"), QStringLiteral("ok"));
    QCOMPARE(tell("plug"), QStringLiteral("ok"));
    QTRY_VERIFY_WITH_TIMEOUT(connected(), kWait);
}

// Run alone, as a user who may not open the hidraw nodes.
void TestKernelWindow::waitsWithoutPermission()
{
    if (!qEnvironmentVariableIsSet("TARVO_EXPECT_NO_PERMISSION"))
        QSKIP("for a user without access to the hidraw nodes");
    QTRY_VERIFY_WITH_TIMEOUT(ui()->pbStatus->toolTip().contains("No permission to open /dev/hidraw"), kWait);
    QVERIFY(ui()->pbStatus->toolTip().contains("70-tarvoset.rules"));
    QVERIFY(ui()->pbStatus->isVisible());
    QCOMPARE(ui()->lbHead->text(), QStringLiteral("WAITING FOR DEVICE..."));
}

QTEST_MAIN(TestKernelWindow)
#include "tst_kernelwindow.moc"
