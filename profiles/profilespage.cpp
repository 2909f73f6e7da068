// Profiles in the window: the DEVICE page's library list, the tray's submenu and the game
// profiles.
#include "app/filedialog.h"
#include "app/mainwindow.h"
#include "app/messagebox.h"
#include "device/devicehandle.h"
#include "profiles/gameprofilesdialog.h"
#include "profiles/gamerules.h"
#include "profiles/gamewatcher.h"
#include "profiles/profilelibrary.h"
#include "profiles/profilenameprompt.h"
#include "profiles/wheelwriter.h"
#include "ui_mainwindow.h"

#include <QAction>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QLoggingCategory>
#include <QMenu>

Q_LOGGING_CATEGORY(lcProfilesPage, "tarvoset.profiles")

namespace {

constexpr int kTrayMessageMs = 4000;

struct PageButton
{
    const char* name;
    const char* text;
    const char* slot;
    int x;
    int y;
};

// Between the update buttons and CLEAR FLASH DATA; two columns beside the list.
// Not constexpr: a debug build's SLOT() notes where it was written at run time.
const PageButton kButtons[] = {
    {"pbProfileApply", QT_TRANSLATE_NOOP("MainWindow", "APPLY"), SLOT(onProfileApply()), 470, 180},
    {"pbProfileSave", QT_TRANSLATE_NOOP("MainWindow", "SAVE AS..."), SLOT(onProfileSaveAs()), 568, 180},
    {"pbProfileImport", QT_TRANSLATE_NOOP("MainWindow", "IMPORT..."), SLOT(onProfileImport()), 470, 212},
    {"pbProfileExport", QT_TRANSLATE_NOOP("MainWindow", "EXPORT..."), SLOT(onProfileExport()), 568, 212},
    {"pbProfileDelete", QT_TRANSLATE_NOOP("MainWindow", "DELETE"), SLOT(onProfileDelete()), 470, 244},
    {"pbGameProfiles", QT_TRANSLATE_NOOP("MainWindow", "GAMES..."), SLOT(onGameProfiles()), 568, 244},
};
constexpr int kButtonWidth = 93;
constexpr int kButtonHeight = 27;

const QString kListStyle = QStringLiteral("QListWidget {\n  color:white;\n  border-radius: 2px;\n"
                                          "  border: 1px solid lightgray;\n  font-family: Arial;\n"
                                          "  font-size: 13px;\n}\n\nQListWidget::item:selected {\n"
                                          "  background-color: rgb(17, 146, 207);\n}");

QString selectedName(const QListWidget* list)
{
    const QListWidgetItem* item = list->currentItem();
    return item ? item->data(Qt::UserRole).toString() : QString();
}

} // namespace

void MainWindow::setupProfiles()
{
    QWidget* page = ui->page4;
    auto* caption = new QLabel(tr("PROFILES"), page);
    caption->setObjectName(QStringLiteral("lbProfiles"));
    caption->setGeometry(50, 180, 151, 21);
    caption->setAlignment(Qt::AlignCenter);
    caption->setFont(ui->label_4->font());
    caption->setStyleSheet(ui->label_4->styleSheet());

    lwProfiles = new QListWidget(page);
    lwProfiles->setObjectName(QStringLiteral("lwProfiles"));
    lwProfiles->setGeometry(200, 180, 261, 91);
    lwProfiles->setStyleSheet(kListStyle);

    // The page's action buttons, one size smaller to fit two columns.
    QString buttonStyle = ui->pbClearFlash->styleSheet();
    buttonStyle.replace(QStringLiteral("font-size: 15px;"), QStringLiteral("font-size: 12px;"));
    for (const PageButton& spec : kButtons) {
        auto* button = new QPushButton(tr(spec.text), page);
        button->setObjectName(QLatin1String(spec.name));
        button->setGeometry(spec.x, spec.y, kButtonWidth, kButtonHeight);
        button->setFont(ui->pbClearFlash->font());
        button->setStyleSheet(buttonStyle);
        connect(button, SIGNAL(clicked(bool)), this, spec.slot);
    }
    // Another program (tarvoctl) may have changed the library meanwhile.
    connect(ui->stackedWidget, &QStackedWidget::currentChanged, this, [this](int index) {
        if (index == 3)
            refreshProfiles();
    });

    QMenu* menu = trayIcon->contextMenu();
    trayProfiles = new QMenu(tr("Profiles"), this);
    trayProfiles->setObjectName(QStringLiteral("trayProfiles"));
    menu->addMenu(trayProfiles);
    connect(trayProfiles, &QMenu::aboutToShow, this, [this] { refreshProfiles(); });

    gameWatcher = new GameWatcher(this);
    connect(gameWatcher, SIGNAL(gameStarted(QString, QString)), this, SLOT(onGameStarted(QString, QString)));
    connect(gameWatcher, SIGNAL(gameEnded(QString, QString)), this, SLOT(onGameEnded(QString, QString)));
    refreshProfiles();
    updateTrayToolTip();
}

void MainWindow::refreshProfiles()
{
    const QString selected = selectedName(lwProfiles);
    const bool connected = deviceHandle.isOpen() && !modelName.isEmpty();
    lwProfiles->clear();
    // Not clear(): the action being triggered may be one of them, and is still in use.
    const QList<QAction*> old = trayProfiles->actions();
    for (QAction* action : old) {
        trayProfiles->removeAction(action);
        action->deleteLater();
    }
    QList<ProfileLibrary::Entry> others;
    for (const ProfileLibrary::Entry& entry : ProfileLibrary::list()) {
        if (!connected || !entry.valid || entry.model != modelName) {
            others.append(entry);
            continue;
        }
        auto* item = new QListWidgetItem(entry.name, lwProfiles);
        item->setData(Qt::UserRole, entry.name);
        item->setToolTip(tr("Saved %1").arg(entry.saved));
        QAction* action = trayProfiles->addAction(entry.name, this, SLOT(onTrayProfile()));
        action->setData(entry.name);
        action->setCheckable(true);
        action->setChecked(entry.name == liveProfileName);
    }
    // Other models' profiles come after the connected model's, greyed, with their model.
    for (const ProfileLibrary::Entry& entry : others) {
        auto* item = new QListWidgetItem(QStringLiteral("%1  (%2)").arg(entry.name, entry.model), lwProfiles);
        item->setData(Qt::UserRole, entry.name);
        item->setForeground(Qt::gray);
        item->setToolTip(entry.valid ? tr("A profile of the %1").arg(entry.model) : entry.problem);
    }
    for (int row = 0; row < lwProfiles->count(); ++row)
        if (lwProfiles->item(row)->data(Qt::UserRole).toString() == selected)
            lwProfiles->setCurrentRow(row);
    trayProfiles->setEnabled(connected && !trayProfiles->isEmpty());
}

void MainWindow::updateTrayToolTip()
{
    QString tip = QStringLiteral("TarvoSet");
    if (!liveProfileName.isEmpty())
        tip += gameProgram.isEmpty() ? tr(": profile %1").arg(liveProfileName)
                                     : tr(": profile %1 (%2)").arg(liveProfileName, gameProgram);
    trayIcon->setToolTip(tip);
}

void MainWindow::profilesConnected()
{
    refreshProfiles();
    gameWatcher->start();
}

void MainWindow::profilesDisconnected()
{
    // A lost wheel forgot its live settings: nothing to send back, nothing to tell.
    gameWatcher->stop();
    forgetLiveProfile();
}

void MainWindow::forgetLiveProfile()
{
    liveProfileName.clear();
    liveProfileBefore.reset();
    gameProgram.clear();
    gameProfileBefore.reset();
    profileBeforeGame.clear();
    updateTrayToolTip();
}

void MainWindow::rereadPages(bool keepMarkers)
{
    const QString bite = ui->hsBite->statusTip();
    const QString trigger = ui->hsTrigger->statusTip();
    const bool clutch = clutchKnown;
    readLedColours();
    readPaddleSettings();
    readEncoderPulse();
    readClutchEnable();
    if (keepMarkers) {
        // Live values are not what the wheel stores: a save must still send them.
        ui->hsBite->setStatusTip(bite);
        ui->hsTrigger->setStatusTip(trigger);
        clutchKnown = clutch;
    }
}

void MainWindow::onProfileApply()
{
    const QString name = selectedName(lwProfiles);
    if (name.isEmpty() || !deviceHandle.isOpen() || refuseWhileTransferring())
        return;
    Profile profile;
    QString error;
    if (!ProfileLibrary::read(name, &profile, &error)) {
        MessageBox::critical(this, tr("Error"), tr("Can not read the profile %1: %2").arg(name, error));
        return;
    }
    if (profile.model != modelName
        && MessageBox::question(this, tr("Profiles"),
                                tr("%1 is a profile of the %2, not of the %3 connected. Apply it anyway?")
                                    .arg(name, profile.model, modelName))
            != QMessageBox::Yes)
        return;

    QString failed;
    const bool sent = WheelWriter::writeProfile(profile, modelName, true, &failed);
    // The stored settings are the profile's now (or partly): nothing live goes back over them.
    forgetLiveProfile();
    WheelState after;
    after.model = modelName;
    after.productId = std::uint16_t(productId);
    QString unread;
    const bool readBack = sent && WheelReader::read(&after, &unread);
    // The pages show what the wheel holds, whatever it took.
    rereadPages(false);
    loadEncoderBinding();
    if (profile.hasEncoderBinding && !profile.encoderBinding)
        setEncoderBindState(0);
    if (profile.extraShifters)
        ui->cbShifter->setChecked(*profile.extraShifters);
    refreshProfiles();

    if (!sent) {
        MessageBox::critical(this, tr("Error"), tr("Can not apply the profile: sending the %1 failed.").arg(failed));
        return;
    }
    if (!readBack) {
        MessageBox::critical(this, tr("Error"), tr("Can not read the %1 back from the wheel.").arg(unread));
        return;
    }
    const QStringList differences = profile.differingMembers(after);
    if (!differences.isEmpty()) {
        MessageBox::critical(this, tr("Error"),
                             tr("The wheel did not take these settings of the profile: %1.")
                                 .arg(differences.join(QStringLiteral(", "))));
        return;
    }
    MessageBox::information(this, tr("Success"), tr("Profile applied."));
}

void MainWindow::onProfileSaveAs()
{
    if (!deviceHandle.isOpen() || refuseWhileTransferring())
        return;
    const QString suggested = selectedName(lwProfiles);
    const QString name = ProfileNamePrompt::getName(this, tr("Save profile"), tr("Name of the profile:"),
                                                    suggested.isEmpty() ? modelName : suggested);
    if (name.isEmpty())
        return;
    QString error;
    if (!ProfileLibrary::checkName(name, &error)) {
        MessageBox::critical(this, tr("Error"), error);
        return;
    }
    if (ProfileLibrary::contains(name)
        && MessageBox::question(this, tr("Profiles"), tr("Replace the profile %1?").arg(name)) != QMessageBox::Yes)
        return;
    WheelState state;
    state.model = modelName;
    state.productId = std::uint16_t(productId);
    QString failed;
    if (!WheelReader::read(&state, &failed)) {
        MessageBox::critical(this, tr("Error"), tr("Can not read the %1 from the wheel.").arg(failed));
        return;
    }
    const QByteArray json = Profile::fromState(state).toJson(QDateTime::currentDateTimeUtc().toString(Qt::ISODate));
    if (!ProfileLibrary::write(name, json, &error)) {
        MessageBox::critical(this, tr("Error"), error);
        return;
    }
    refreshProfiles();
    const QList<QListWidgetItem*> items = lwProfiles->findItems(name, Qt::MatchExactly);
    if (!items.isEmpty())
        lwProfiles->setCurrentItem(items.first());
    MessageBox::information(this, tr("Success"), tr("Profile saved."));
}

void MainWindow::onProfileDelete()
{
    const QString name = selectedName(lwProfiles);
    if (name.isEmpty()
        || MessageBox::question(this, tr("Profiles"), tr("Delete the profile %1?").arg(name)) != QMessageBox::Yes)
        return;
    QString error;
    if (!ProfileLibrary::remove(name, &error))
        MessageBox::critical(this, tr("Error"), error);
    refreshProfiles();
}

void MainWindow::onProfileImport()
{
    const QString path = FileDialog::getOpenFileName(this, tr("Import profile"), QString(), tr("Profile (*.json)"));
    if (path.isEmpty())
        return;
    Profile profile;
    QString error;
    if (!ProfileLibrary::readFile(path, &profile, &error)) {
        MessageBox::critical(this, tr("Error"), error);
        return;
    }
    const QString name = ProfileNamePrompt::getName(this, tr("Import profile"), tr("Name of the profile:"),
                                                    QFileInfo(path).completeBaseName());
    if (name.isEmpty())
        return;
    if (ProfileLibrary::checkName(name, &error) && ProfileLibrary::contains(name)
        && MessageBox::question(this, tr("Profiles"), tr("Replace the profile %1?").arg(name)) != QMessageBox::Yes)
        return;
    if (!ProfileLibrary::write(name, profile.toJson(profile.saved), &error)) {
        MessageBox::critical(this, tr("Error"), error);
        return;
    }
    refreshProfiles();
}

void MainWindow::onProfileExport()
{
    const QString name = selectedName(lwProfiles);
    if (name.isEmpty())
        return;
    Profile profile;
    QString error;
    if (!ProfileLibrary::read(name, &profile, &error)) {
        MessageBox::critical(this, tr("Error"), error);
        return;
    }
    const QString path =
        FileDialog::getSaveFileName(this, tr("Export profile"), name + QStringLiteral(".json"), tr("Profile (*.json)"));
    if (path.isEmpty())
        return;
    if (!ProfileLibrary::writeFile(path, profile.toJson(profile.saved), &error))
        MessageBox::critical(this, tr("Error"), error);
}

void MainWindow::onGameProfiles()
{
    QList<GameRule> rules;
    QFile file(GameRules::path());
    QString error;
    if (file.open(QIODevice::ReadOnly) && !GameRules::fromJson(file.read(1 << 20), &rules, &error))
        MessageBox::critical(this, tr("Error"), tr("%1 is not used: %2").arg(GameRules::path(), error));
    file.close();
    QStringList names;
    for (const ProfileLibrary::Entry& entry : ProfileLibrary::list())
        if (entry.valid)
            names.append(entry.name);
    GameProfilesDialog dialog(rules, names, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    rules = dialog.rules();
    for (const GameRule& rule : qAsConst(rules))
        if (!ProfileLibrary::checkName(rule.profile, &error)) {
            MessageBox::critical(this, tr("Error"), error);
            return;
        }
    if (!ProfileLibrary::writeFile(GameRules::path(), GameRules::toJson(rules), &error))
        MessageBox::critical(this, tr("Error"), error);
}

void MainWindow::onTrayProfile()
{
    const auto* action = qobject_cast<QAction*>(sender());
    if (action && !refuseWhileTransferring())
        applyLiveProfile(action->data().toString(), QString());
    refreshProfiles();
}

bool MainWindow::applyLiveProfile(const QString& name, const QString& program)
{
    const bool game = !program.isEmpty();
    const auto fail = [&](const QString& text) {
        qCWarning(lcProfilesPage).noquote() << text;
        if (game)
            trayIcon->showMessage(tr("TarvoSet"), text, QSystemTrayIcon::Warning, kTrayMessageMs);
        else
            MessageBox::critical(this, tr("Error"), text);
        return false;
    };
    if (!deviceHandle.isOpen())
        return false;
    Profile profile;
    QString error;
    if (!ProfileLibrary::read(name, &profile, &error))
        return fail(tr("Can not read the profile %1: %2").arg(name, error));
    if (profile.model != modelName)
        return fail(
            tr("%1 is a profile of the %2, not of the %3 connected: not applied.").arg(name, profile.model, modelName));

    WheelState now;
    now.model = modelName;
    QString failed;
    if (!WheelReader::read(&now, &failed))
        return fail(tr("Can not read the %1 from the wheel.").arg(failed));
    Profile before = Profile::fromState(now);
    // Live only: the preferences are this computer's stored choices.
    before.hasEncoderBinding = false;
    before.extraShifters.reset();
    if (!liveProfileBefore)
        liveProfileBefore = before;
    if (game) {
        gameProfileBefore = before;
        profileBeforeGame = liveProfileName;
        gameProgram = program;
    }
    liveProfileName = name;
    const bool sent = WheelWriter::writeProfile(profile, modelName, false, &failed);
    rereadPages(true);
    updateTrayToolTip();
    if (!sent)
        return fail(tr("Can not apply the profile %1: sending the %2 failed.").arg(name, failed));
    if (game)
        trayIcon->showMessage(tr("TarvoSet"), tr("%1 runs: profile %2 applied.").arg(program, name),
                              QSystemTrayIcon::Information, kTrayMessageMs);
    return true;
}

void MainWindow::onGameStarted(const QString& program, const QString& profile)
{
    // A transfer owns the wheel: the game is taken up again at a later look.
    if (upgradeThread.isRunning() || downloadReply) {
        gameWatcher->forgetActive();
        return;
    }
    applyLiveProfile(profile, program);
}

void MainWindow::onGameEnded(const QString& program, const QString&)
{
    if (gameProgram.isEmpty() || !gameProfileBefore)
        return; // its profile was not applied, or was stored over since
    QString failed;
    const bool transferring = upgradeThread.isRunning() || downloadReply;
    const bool sent = !transferring && deviceHandle.isOpen()
        && WheelWriter::writeProfile(*gameProfileBefore, modelName, false, &failed);
    liveProfileName = profileBeforeGame;
    if (liveProfileName.isEmpty())
        liveProfileBefore.reset();
    gameProgram.clear();
    gameProfileBefore.reset();
    profileBeforeGame.clear();
    if (!transferring)
        rereadPages(true);
    updateTrayToolTip();
    trayIcon->showMessage(tr("TarvoSet"),
                          sent ? tr("%1 ended: the wheel's settings are back.").arg(program)
                               : tr("%1 ended: the wheel's settings could not be sent back.").arg(program),
                          sent ? QSystemTrayIcon::Information : QSystemTrayIcon::Warning, kTrayMessageMs);
}

bool MainWindow::endLiveProfile()
{
    gameWatcher->stop();
    bool pagesAreTheUsers = true;
    if (liveProfileBefore && deviceHandle.isOpen()) {
        QString failed;
        pagesAreTheUsers = WheelWriter::writeProfile(*liveProfileBefore, modelName, false, &failed);
        if (pagesAreTheUsers)
            rereadPages(true);
        else
            qCWarning(lcProfilesPage).noquote() << "closing: sending back the" << failed << "failed";
    }
    forgetLiveProfile();
    return pagesAreTheUsers;
}
