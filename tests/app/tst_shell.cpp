// The window shell: fixed size, the drag strip, the sidebar, the tray and the slot set.
#include "app/colordialog.h"
#include "app/filedialog.h"
#include "app/instanceguard.h"
#include "app/messagebox.h"
#include "app/trayavailability.h"
#include "support/mainwindowprobe.h"

#include <QAction>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QMenu>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>

namespace {
void sendMouse(QWidget& w, QEvent::Type type, QPoint local, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    const QPointF global = QPointF(w.geometry().topLeft() + local);
    QMouseEvent event(type, QPointF(local), global, button, buttons, Qt::NoModifier);
    QApplication::sendEvent(&w, &event);
}

QList<QPushButton*> sidebar(MainWindow& w)
{
    auto* ui = MainWindowProbe::ui(w);
    return {ui->pbS1, ui->pbS2, ui->pbS3, ui->pbS4, ui->pbS5};
}
} // namespace

class TestShell : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void fixedSize();
    void slotsInDeclaredOrder();
    void dragStrip_data();
    void dragStrip();
    void moveAfterReleaseDoesNotDrag();
    void otherButtonsDoNotDrag();
    void sidebarChecksOnlyItsButton_data();
    void sidebarChecksOnlyItsButton();
    void sidebarWithoutSenderChoosesNothing();
    void waitingScreenWithoutWheel();
    void trayMinimiseAndRestore();
    void trayRestoreFromMenuAndSecondStart();
    void minimiseWithoutTrayGoesToTaskBar();
    void closeWithoutWheel();
    void testSeamsRecordOnlyWhenAsked();
};

void TestShell::init()
{
    // The offscreen platform has no tray; a desktop with one is what most cases assume.
    TrayAvailability::setForTesting(true);
}

void TestShell::cleanup()
{
    TrayAvailability::setForTesting(std::nullopt);
}

void TestShell::fixedSize()
{
    MainWindow w;
    QCOMPARE(w.size(), QSize(900, 500));
    w.resize(1200, 700);
    QCOMPARE(w.size(), QSize(900, 500));
    w.resize(300, 200);
    QCOMPARE(w.size(), QSize(900, 500));
    QCOMPARE(w.minimumSize(), QSize(900, 500));
    QCOMPARE(w.maximumSize(), QSize(900, 500));
}

void TestShell::slotsInDeclaredOrder()
{
    // Connections are made by signature, so names, types and order are part of the interface.
    const QStringList declared = {"onClose()",
                                  "onMinimize()",
                                  "onShowNormal()",
                                  "onTrayActivated(QSystemTrayIcon::ActivationReason)",
                                  "onSidebar()",
                                  "onColorPick()",
                                  "onInit()",
                                  "onShowPath()",
                                  "onUpgrade()",
                                  "onProgress(int)",
                                  "onJoystickEvent(QByteArray)",
                                  "onAutoUpgrade()",
                                  "onUpgradeReady()",
                                  "onClearFlash()",
                                  "onDeviceUpdate()",
                                  "onSetColor()",
                                  "onSavePageE()",
                                  "onSaveColor()",
                                  "onSavePageP()",
                                  "onPaddleChanged(int)",
                                  "onPaddleUpdate()",
                                  "onBearLCalibrate()",
                                  "onBearRCalibrate()",
                                  "onBearExLCalibrate()",
                                  "onBearExRCalibrate()",
                                  "onTriggerChanged(int)",
                                  "onTriggerUpdate()",
                                  "onClutchStatus()",
                                  "onShifterStatus()",
                                  "onNetUpgrade()",
                                  "onNetProgress(qint64,qint64)",
                                  "onNetUpgradeReady()",
                                  "onCalibrate()",
                                  "onCalibrateL(bool)",
                                  "onCalibrateR(bool)",
                                  "onEncoderBind()",
                                  "onProfileApply()",
                                  "onProfileSaveAs()",
                                  "onProfileDelete()",
                                  "onProfileImport()",
                                  "onProfileExport()",
                                  "onGameProfiles()",
                                  "onTrayProfile()",
                                  "onGameStarted(QString,QString)",
                                  "onGameEnded(QString,QString)"};
#ifdef TARVO_OPTIONAL_SET
    const QStringList optionalSlots = {"onBatScan()", "onBTScan()", "onBTUpdate(QBluetoothDeviceInfo)", "onBTDone()"};
#else
    const QStringList optionalSlots;
#endif
    const QStringList expected = declared + optionalSlots;
    const QMetaObject& meta = MainWindow::staticMetaObject;
    QList<QMetaMethod> slotMethods;
    int signalCount = 0;
    for (int i = meta.methodOffset(); i < meta.methodCount(); ++i) {
        const QMetaMethod method = meta.method(i);
        if (method.methodType() == QMetaMethod::Slot)
            slotMethods << method;
        else if (method.methodType() == QMetaMethod::Signal)
            ++signalCount;
    }
    QCOMPARE(slotMethods.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        // moc records qint64 as the type it stands for.
        const QString name = expected[i].section(QLatin1Char('('), 0, 0);
        const QString params = expected[i].section(QLatin1Char('('), 1).chopped(1);
        const QStringList types = params.isEmpty() ? QStringList() : params.split(QLatin1Char(','));
        const QMetaMethod& method = slotMethods[i];
        QCOMPARE(QString::fromLatin1(method.name()), name);
        QCOMPARE(method.parameterCount(), types.size());
        for (int p = 0; p < types.size(); ++p) {
            const QByteArray type = types[p].toLatin1();
            QCOMPARE(QByteArray(method.parameterTypeName(p)), type == "qint64" ? QByteArray("qlonglong") : type);
        }
    }
    QCOMPARE(signalCount, 0);
}

void TestShell::dragStrip_data()
{
    QTest::addColumn<int>("pressY");
    QTest::addColumn<bool>("drags");
    QTest::newRow("0 px, the edge") << 0 << false;
    QTest::newRow("1 px") << 1 << true;
    QTest::newRow("25 px") << 25 << true;
    QTest::newRow("49 px") << 49 << true;
    QTest::newRow("50 px") << 50 << false;
    QTest::newRow("300 px") << 300 << false;
}

void TestShell::dragStrip()
{
    QFETCH(int, pressY);
    QFETCH(bool, drags);
    MainWindow w;
    w.move(100, 100);
    const QPoint start = w.pos();
    sendMouse(w, QEvent::MouseButtonPress, {200, pressY}, Qt::LeftButton, Qt::LeftButton);
    sendMouse(w, QEvent::MouseMove, {230, pressY + 17}, Qt::NoButton, Qt::LeftButton);
    QCOMPARE(w.pos(), drags ? start + QPoint(30, 17) : start);
    // A second step continues from where the first left off.
    sendMouse(w, QEvent::MouseMove, {235, pressY + 12}, Qt::NoButton, Qt::LeftButton);
    QCOMPARE(w.pos(), drags ? start + QPoint(65, 29) : start);
    sendMouse(w, QEvent::MouseButtonRelease, {235, pressY + 12}, Qt::LeftButton, Qt::NoButton);
    QCOMPARE(MainWindowProbe::dragOrigin(w), QPointF(-1, -1));
}

void TestShell::moveAfterReleaseDoesNotDrag()
{
    MainWindow w;
    w.move(100, 100);
    sendMouse(w, QEvent::MouseButtonPress, {200, 20}, Qt::LeftButton, Qt::LeftButton);
    sendMouse(w, QEvent::MouseButtonRelease, {200, 20}, Qt::LeftButton, Qt::NoButton);
    const QPoint afterRelease = w.pos();
    // The button held again, but pressed outside the strip: still no drag.
    sendMouse(w, QEvent::MouseButtonPress, {200, 200}, Qt::LeftButton, Qt::LeftButton);
    sendMouse(w, QEvent::MouseMove, {260, 240}, Qt::NoButton, Qt::LeftButton);
    QCOMPARE(w.pos(), afterRelease);
}

void TestShell::otherButtonsDoNotDrag()
{
    MainWindow w;
    w.move(100, 100);
    const QPoint start = w.pos();
    sendMouse(w, QEvent::MouseButtonPress, {200, 20}, Qt::RightButton, Qt::RightButton);
    sendMouse(w, QEvent::MouseMove, {260, 40}, Qt::NoButton, Qt::RightButton);
    QCOMPARE(w.pos(), start);
    // Left press in the strip, but the move arrives without the left button held.
    sendMouse(w, QEvent::MouseButtonPress, {200, 20}, Qt::LeftButton, Qt::LeftButton);
    sendMouse(w, QEvent::MouseMove, {260, 40}, Qt::NoButton, Qt::NoButton);
    QCOMPARE(w.pos(), start);
}

void TestShell::sidebarChecksOnlyItsButton_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("page");
    QTest::newRow("pbS1") << 0 << 0;
    QTest::newRow("pbS2") << 1 << 1;
    QTest::newRow("pbS3") << 2 << 2;
    QTest::newRow("pbS4") << 3 << 3;
    QTest::newRow("pbS5") << 4 << 4;
}

void TestShell::sidebarChecksOnlyItsButton()
{
    QFETCH(int, button);
    QFETCH(int, page);
    MainWindow w;
    const auto buttons = sidebar(w);
    for (QPushButton* b : buttons)
        b->setEnabled(true); // as a connected wheel leaves them
    // Start from another page so that the switch is visible.
    buttons[button == 4 ? 0 : 4]->click();
    buttons[button]->click();
    for (int i = 0; i < buttons.size(); ++i)
        QCOMPARE(buttons[i]->isChecked(), i == button);
    QCOMPARE(MainWindowProbe::ui(w)->stackedWidget->currentIndex(), page);
    QCOMPARE(MainWindowProbe::ui(w)->stackedWidget->currentWidget()->objectName(),
             QStringLiteral("page%1").arg(page + 1));
}

void TestShell::sidebarWithoutSenderChoosesNothing()
{
    MainWindow w;
    MainWindowProbe::ui(w)->stackedWidget->setCurrentIndex(2);
    QVERIFY(QMetaObject::invokeMethod(&w, "onSidebar"));
    for (QPushButton* b : sidebar(w))
        QVERIFY(!b->isChecked());
    QCOMPARE(MainWindowProbe::ui(w)->stackedWidget->currentIndex(), 2);
}

void TestShell::waitingScreenWithoutWheel()
{
    // No backend at all: every open fails, so the window waits for a wheel.
    MainWindow w;
    auto* ui = MainWindowProbe::ui(w);
    QTest::qWait(50);
    QCOMPARE(ui->lbHead->text(), QStringLiteral("WAITING FOR DEVICE..."));
    const auto buttons = sidebar(w);
    for (int i = 0; i < 4; ++i)
        QVERIFY2(!buttons[i]->isEnabled(), qPrintable(buttons[i]->objectName()));
    QVERIFY(buttons[4]->isEnabled());
    QVERIFY(buttons[4]->isChecked());
    QCOMPARE(ui->stackedWidget->currentIndex(), 4);
    QVERIFY(!ui->pbStatus->isHidden());
    QCOMPARE(ui->lbMain->styleSheet(), QStringLiteral("border-image:"));
    for (QWidget* hidden : {static_cast<QWidget*>(ui->lbEnc), static_cast<QWidget*>(ui->hsTrigger),
                            static_cast<QWidget*>(ui->pbSaveEnc), static_cast<QWidget*>(ui->pgAdcL),
                            static_cast<QWidget*>(ui->lbVersion), static_cast<QWidget*>(ui->pgUpgrade)})
        QVERIFY2(hidden->isHidden(), qPrintable(hidden->objectName()));
    QCOMPARE(ui->lbCurVer->text(), QStringLiteral("TarvoSet Version: v1.20"));
    QCOMPARE(MainWindowProbe::productId(w), 0u);
}

void TestShell::trayMinimiseAndRestore()
{
    MainWindow w;
    w.show();
    QSystemTrayIcon* tray = MainWindowProbe::trayIcon(w);
    QVERIFY(tray);
    QVERIFY(!tray->isVisible());
    QVERIFY(QMetaObject::invokeMethod(&w, "onMinimize"));
    QVERIFY(!w.isVisible());
    QVERIFY(tray->isVisible());

    // A single click does nothing, however long one waits.
    emit tray->activated(QSystemTrayIcon::Trigger);
    emit tray->activated(QSystemTrayIcon::MiddleClick);
    QTest::qWait(700);
    QVERIFY(!w.isVisible());

    // Not before the 500 ms; a loaded machine may take longer.
    QElapsedTimer clock;
    clock.start();
    emit tray->activated(QSystemTrayIcon::DoubleClick);
    QVERIFY(!w.isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(w.isVisible(), 10000);
    QVERIFY2(clock.elapsed() >= 490, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(!tray->isVisible());
    QVERIFY(!w.isMinimized());
}

void TestShell::trayRestoreFromMenuAndSecondStart()
{
    MainWindow w;
    w.show();
    QSystemTrayIcon* tray = MainWindowProbe::trayIcon(w);
    QVERIFY(QMetaObject::invokeMethod(&w, "onMinimize"));
    QVERIFY(tray->contextMenu());
    const auto actions = tray->contextMenu()->actions();
    QCOMPARE(actions.size(), 2);
    QCOMPARE(actions.first()->text(), QStringLiteral("Restore"));
    QCOMPARE(actions.last()->text(), QStringLiteral("Profiles")); // the connected model's, none here
    QVERIFY(!actions.last()->isEnabled());
    actions.first()->trigger();
    QVERIFY(w.isVisible());
    QVERIFY(!tray->isVisible());

    // A connection to the guard's socket (what a second start does) restores as well.
    QVERIFY(QMetaObject::invokeMethod(&w, "onMinimize"));
    QVERIFY(MainWindowProbe::instanceServer(w).isListening());
    QLocalSocket probe;
    probe.connectToServer(InstanceGuard::serverName(QCoreApplication::applicationName()));
    QVERIFY(probe.waitForConnected(1000));
    QTRY_VERIFY(w.isVisible());
    QVERIFY(!tray->isVisible());
}

void TestShell::minimiseWithoutTrayGoesToTaskBar()
{
    TrayAvailability::setForTesting(false);
    MainWindow w;
    w.show();
    QVERIFY(QMetaObject::invokeMethod(&w, "onMinimize"));
    // Still the window's own: minimised, not hidden behind an icon that nobody sees.
    QVERIFY(w.isVisible());
    QTRY_VERIFY(w.isMinimized());
    QVERIFY(!MainWindowProbe::trayIcon(w)->isVisible());

    QVERIFY(QMetaObject::invokeMethod(&w, "onShowNormal"));
    QVERIFY(w.isVisible());
    QVERIFY(!w.isMinimized());
}

void TestShell::closeWithoutWheel()
{
    MainWindow w;
    w.show();
    QVERIFY(w.isVisible());
    QVERIFY(QMetaObject::invokeMethod(&w, "onClose"));
    QVERIFY(!w.isVisible());
    QVERIFY(!MainWindowProbe::eventThread(w).isRunning());
}

// The program never switches the records of its dialogs on, so they cannot grow while it runs.
void TestShell::testSeamsRecordOnlyWhenAsked()
{
    for (const bool on : {false, true}) {
        if (on) {
            MessageBox::clearShown();
            ColorDialog::clearAsked();
            FileDialog::clearShown();
        }
        MessageBox::setNextAnswer(QMessageBox::Ok);
        MessageBox::information(nullptr, QStringLiteral("Notify"), QStringLiteral("text"));
        ColorDialog::setNextColour(QColor(Qt::red));
        ColorDialog::getColor(QColor(Qt::blue));
        FileDialog::setNextAnswer(QString());
        FileDialog::getOpenFileName(nullptr, QString(), QString(), QString());
        QCOMPARE(MessageBox::shown().size(), int(on));
        QCOMPARE(ColorDialog::asked().size(), int(on));
        QCOMPARE(FileDialog::shown().size(), int(on));
    }
}

QTEST_MAIN(TestShell)
#include "tst_shell.moc"
