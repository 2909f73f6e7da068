#include "app/mainwindow.h"

#include "app/instanceguard.h"
#include "app/trayavailability.h"
#include "device/devicehandle.h"
#include "settings/inputscreen.h"
#include "ui_mainwindow.h"

#ifdef TARVO_OPTIONAL_SET
#include "optional/releases/releasetranslator.h"
#endif

#include <QAction>
#include <QDeadlineTimer>
#include <QIcon>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent)
    , ui(new Ui::MainWindow)
    , dragOrigin(0, 0)
{
    // The images live in a static library; without this reference the linker drops them.
    Q_INIT_RESOURCE(tarvoset);
#ifdef TARVO_OPTIONAL_SET
    ReleaseTranslator::install();
#endif
    ui->setupUi(this);
    inputScreen = new InputScreen(ui, this);
    ui->lbCurVer->setText(tr("TarvoSet Version: v1.20"));
    ui->pbStatus->hide();

    connect(ui->pbClose, SIGNAL(clicked(bool)), this, SLOT(onClose()));
    connect(ui->pbMin, SIGNAL(clicked(bool)), this, SLOT(onMinimize()));
    for (QPushButton* button : {ui->pbS1, ui->pbS2, ui->pbS3, ui->pbS4, ui->pbS5})
        connect(button, SIGNAL(clicked(bool)), this, SLOT(onSidebar()));
    for (QPushButton* button :
         {ui->pbB1,  ui->pbB2,  ui->pbB3,  ui->pbB4,  ui->pbB5,  ui->pbB6,  ui->pbD13, ui->pbD16, ui->pbD3,  ui->pbD4,
          ui->pbB9,  ui->pbB10, ui->pbB11, ui->pbB12, ui->pbB13, ui->pbB14, ui->pbD23, ui->pbD26, ui->pbT1,  ui->pbT2,
          ui->pbT3,  ui->pbT4,  ui->pbT5,  ui->pbT6,  ui->pbT7,  ui->pbT8,  ui->pbT9,  ui->pbT10, ui->pbT11, ui->pbTL1,
          ui->pbTL2, ui->pbTL3, ui->pbTR1, ui->pbTR2, ui->pbTR3, ui->pbXL,  ui->pbXR})
        connect(button, SIGNAL(clicked(bool)), this, SLOT(onColorPick()));
    for (QPushButton* button :
         {ui->pbSetR, ui->pbSetG, ui->pbSetB, ui->pbSetW, ui->pbSetD, ui->pbSet1, ui->pbSet2, ui->pbSet3, ui->pbSet4})
        connect(button, SIGNAL(clicked(bool)), this, SLOT(onSetColor()));
    connect(ui->pbSave, SIGNAL(clicked(bool)), this, SLOT(onSaveColor()));
    connect(ui->pbPath, SIGNAL(clicked(bool)), this, SLOT(onShowPath()));
    connect(ui->pbUpgrade, SIGNAL(clicked(bool)), this, SLOT(onUpgrade()));
    connect(ui->hsBite, SIGNAL(valueChanged(int)), this, SLOT(onPaddleChanged(int)));
    connect(ui->hsBite, SIGNAL(sliderReleased()), this, SLOT(onPaddleUpdate()));
    for (QWidget* button : {ui->rbPadL, ui->rbPadR, ui->rbPadNo})
        connect(button, SIGNAL(clicked(bool)), this, SLOT(onPaddleUpdate()));
    connect(ui->pbSaveP, SIGNAL(clicked(bool)), this, SLOT(onSavePageP()));
    connect(ui->pbAutoUpgrade, SIGNAL(clicked(bool)), this, SLOT(onAutoUpgrade()));
    connect(ui->pbClearFlash, SIGNAL(clicked(bool)), this, SLOT(onClearFlash()));
    connect(&upgradeThread, SIGNAL(progress(int)), this, SLOT(onProgress(int)));
    connect(&upgradeThread, &QThread::finished, this, [this] { upgradeThreadFinished(); });
    connect(&eventThread, SIGNAL(eventTrigger(QByteArray)), this, SLOT(onJoystickEvent(QByteArray)));
    connect(ui->pbSaveEnc, SIGNAL(clicked(bool)), this, SLOT(onSavePageE()));
    connect(ui->hsTrigger, SIGNAL(valueChanged(int)), this, SLOT(onTriggerChanged(int)));
    connect(ui->hsTrigger, SIGNAL(sliderReleased()), this, SLOT(onTriggerUpdate()));
    connect(ui->cbClutch, SIGNAL(toggled(bool)), this, SLOT(onClutchStatus()));
    connect(ui->cbShifter, SIGNAL(toggled(bool)), this, SLOT(onShifterStatus()));
    connect(ui->pbCalL, SIGNAL(toggled(bool)), this, SLOT(onCalibrateL(bool)));
    connect(ui->pbCalR, SIGNAL(toggled(bool)), this, SLOT(onCalibrateR(bool)));
    connect(ui->pbBearLCa, SIGNAL(clicked(bool)), this, SLOT(onBearLCalibrate()));
    connect(ui->pbBearRCa, SIGNAL(clicked(bool)), this, SLOT(onBearRCalibrate()));
    connect(ui->pbBearExLCa, SIGNAL(clicked(bool)), this, SLOT(onBearExLCalibrate()));
    connect(ui->pbBearExRCa, SIGNAL(clicked(bool)), this, SLOT(onBearExRCalibrate()));
    connect(ui->pbEncoder, SIGNAL(clicked(bool)), this, SLOT(onEncoderBind()));

    ui->stackedWidget->setCurrentIndex(0);
    dragOrigin = QPointF(-1, -1);
    connect(&eventThread, SIGNAL(deviceDisconnect()), this, SLOT(onInit()));
    batteryPoll.setSingleShot(true);
    // Precise: a coarse timer may fire up to 5 % early.
    batteryPoll.setTimerType(Qt::PreciseTimer);
    connect(&batteryPoll, SIGNAL(timeout()), this, SLOT(onDeviceUpdate()));
    showWaitingScreen();
    deviceHandle.init();
    QTimer::singleShot(0, this, SLOT(onInit()));

    trayIcon = new QSystemTrayIcon(QIcon(QStringLiteral(":/img/main.ico")), this);
    auto* trayMenu = new QMenu(this);
    QAction* restore = trayMenu->addAction(tr("Restore"));
    connect(restore, SIGNAL(triggered()), this, SLOT(onShowNormal()));
    trayIcon->setContextMenu(trayMenu);
    connect(trayIcon, SIGNAL(activated(QSystemTrayIcon::ActivationReason)), this,
            SLOT(onTrayActivated(QSystemTrayIcon::ActivationReason)));

    InstanceGuard::listen(instanceServer, QCoreApplication::applicationName());
    connect(&instanceServer, SIGNAL(newConnection()), this, SLOT(onShowNormal()));
    setupProfiles();
#ifdef TARVO_OPTIONAL_SET
    setupOptionalSet();
#endif
}

MainWindow::~MainWindow()
{
    // onClose stops the input thread before the window goes. A window closed any other way
    // (by the window manager, say) must not destroy a running thread: that aborts the process.
    if (eventThread.isRunning()) {
        eventThread.requestInterruption();
        eventThread.wait();
    }
    // A transfer in progress is let finish rather than cut off mid-image.
    upgradeThread.wait();
    // The screen filters page1's events and reads ui there: it must go before ui does, or
    // page1's destruction calls it on a freed form.
    delete inputScreen;
    inputScreen = nullptr;
    delete ui;
}

void MainWindow::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const int offset = static_cast<int>(event->globalPosition().y() - geometry().y());
    if (offset >= 1 && offset <= 49)
        dragOrigin = event->globalPosition();
}

void MainWindow::mouseReleaseEvent(QMouseEvent*)
{
    dragOrigin = QPointF(-1, -1);
}

void MainWindow::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton) || dragOrigin.x() < 0 || dragOrigin.y() < 0)
        return;
    const QPointF global = event->globalPosition();
    const int dx = static_cast<int>(global.x() - dragOrigin.x());
    const int dy = static_cast<int>(global.y() - dragOrigin.y());
    dragOrigin = global;
    move(x() + dx, y() + dy);
}

void MainWindow::onClose()
{
    // Closing would leave the wheel with half an image.
    if (upgradeThread.isRunning()) {
        refuseWhileTransferring();
        return;
    }
    if (endLiveProfile())
        onSavePageP();
    eventThread.requestInterruption();
    eventThread.wait(QDeadlineTimer(QDeadlineTimer::Forever));
    close();
}

void MainWindow::onMinimize()
{
    // Without a tray (a plain GNOME session, say) a hidden window could only come back
    // through a second start: it goes to the task bar instead.
    showMinimized();
    if (!TrayAvailability::isAvailable())
        return;
    trayIcon->setVisible(true);
    hide();
}

void MainWindow::onShowNormal()
{
    showNormal();
    // Brought back by a second start, the window should also come to the front.
    raise();
    activateWindow();
    trayIcon->hide();
}

void MainWindow::onTrayActivated(QSystemTrayIcon::ActivationReason reason)
{
    if (reason == QSystemTrayIcon::DoubleClick)
        QTimer::singleShot(500, this, SLOT(onShowNormal()));
}

void MainWindow::onSidebar()
{
    QPushButton* const buttons[] = {ui->pbS1, ui->pbS2, ui->pbS3, ui->pbS4, ui->pbS5};
    for (QPushButton* button : buttons)
        button->setChecked(false);

    // Called without a sender (directly), the name is empty and no page is chosen.
    const QString name = sender() ? sender()->objectName() : QString();
    const char digit = name.size() > 3 ? name.at(3).toLatin1() : '\0';
    if (digit < '1' || digit > '5')
        return;
    const int index = digit - '1';
    buttons[index]->setChecked(true);
    ui->stackedWidget->setCurrentIndex(index);
}
