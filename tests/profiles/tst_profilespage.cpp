// The DEVICE page's profiles and the game profiles, seen from the virtual wheel: the exact
// frames of Apply (stored) and of a game (live), its flash, and what closing stores.
#include "profiles/profilelibrary.h"
#include "profiles/profilenameprompt.h"
#include "settings/settingspage.h"

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

// An R-VELO profile, every value away from the factory state: right paddle at 29 %.
const QByteArray kGt3 = R"({"format": "tarvoset-profile", "version": 1, "model": "R-VELO", "saved": "s",
    "settings": {"paddleMode": 130, "calibration": {"leftMin": 5, "leftMax": 4000, "rightMin": 6,
    "rightMax": 3999}, "pulseWidth": 150, "clutch": false,
    "leds": ["#000000", "#000000", "#000000", "#000000", "#000000", "#000000", "#000000", "#000000",
             "#000000", "#000000", "#000000", "#000000", "#000000", "#000000", "#000000", "#000000",
             "#000000", "#000000", "#000000", "#000000", "#000000", "#000000", "#000000", "#000000",
             "#000000", "#000000", "#000000", "#000000", "#000000", "#000000", "#000000", "#000000",
             "#000000", "#000000", "#000000", "#000000", "#000000", "#000000", "#000000", "#000000",
             "#000000", "#000000", "#000000", "#000000", "#000000", "#000000", "#000000", "#000000"],
    "lamps": ["#102030", "#405060"]},
    "preferences": {"encoderBinding": {"up": 20, "down": 19}}})";

// An LED block report: id 3, the block, 18 bytes of packed 4-bit codes all alike.
QString ledBlock(int block, char codes)
{
    return QString::fromLatin1((QByteArray("\x03", 1) + char(block) + QByteArray(18, codes)).toHex());
}

// Every frame GT3 sends, with the marker: paddle, pulse width, clutch, lamps, LED blocks 0, 1, 3, 2.
QStringList gt3Frames(int marker)
{
    QStringList frames{paddleHex(130, marker, 3999, 4000, 6, 5), frameHex({0x02, 0x0c, 0x04, 150, 0, 0, 0, marker}),
                       frameHex({0x02, 0x0c, 0x08, 0xff, 0, 0, 0, marker}),
                       frameHex({0x02, 0x11, marker, 0x10, 0x20, 0x30, 0x40, 0x50, 0x60})};
    for (int block : {0, 1, 3, 2})
        frames.append(ledBlock(block, 0));
    return frames;
}

void writeFile(const QString& path, const QByteArray& data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(data);
}

} // namespace

class TestProfilesPage : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void applyStoresAndSaveAsKeeps();
    void gameProfileComesAndGoesLiveAndClosingStoresNothingOfIt();

private:
    // Setting frames and LED reports only: the queries of the read-backs are left out.
    QStringList sends()
    {
        QStringList sent;
        for (const QString& frame : m_page.frames())
            if (!frame.startsWith(QLatin1String("020b")))
                sent.append(frame);
        return sent;
    }
    QPushButton* button(const char* name) { return m_page.ui()->page4->findChild<QPushButton*>(name); }
    void select(const QString& name)
    {
        auto* list = m_page.ui()->page4->findChild<QListWidget*>("lwProfiles");
        const QList<QListWidgetItem*> items = list->findItems(name, Qt::MatchStartsWith);
        QVERIFY(!items.isEmpty());
        list->setCurrentItem(items.first());
    }

    SettingsPage m_page;
};

void TestProfilesPage::init()
{
    QDir(ProfileLibrary::tarvoFolder()).removeRecursively();
    writeFile(ProfileLibrary::pathOf("GT3"), kGt3);
    m_page.start();
    MessageBox::clearAnswers();
}

void TestProfilesPage::cleanup()
{
    MessageBox::clearAnswers();
    m_page.stop();
}

void TestProfilesPage::applyStoresAndSaveAsKeeps()
{
    // Another model's profile asks first; No sends nothing.
    writeFile(ProfileLibrary::pathOf("Rally"), QByteArray(kGt3).replace("R-VELO", "KTR2"));
    m_page.ui()->pbS4->click();
    select("Rally");
    MessageBox::setNextAnswer(QMessageBox::No);
    button("pbProfileApply")->click();
    QCOMPARE(takeShownBoxes(),
             QStringList{"Profiles: Rally is a profile of the KTR2, not of the R-VELO connected. Apply it anyway?"});
    QCOMPARE(sends(), QStringList());

    // A failed send is reported, never "applied".
    select("GT3");
    m_page.wheel().failSends(1);
    MessageBox::setNextAnswer(QMessageBox::Ok);
    button("pbProfileApply")->click();
    QCOMPARE(takeShownBoxes(),
             QStringList{"Error: Can not apply the profile: sending the paddle settings failed."});
    QCOMPARE(m_page.flash().value("paddleMode").toInt(), 50);
    sends();

    MessageBox::setNextAnswer(QMessageBox::Ok);
    button("pbProfileApply")->click();
    QCOMPARE(takeShownBoxes(), QStringList{"Success: Profile applied."});
    QCOMPARE(sends(), gt3Frames(0xef) << frameHex({0x02, 0x0e}));
    QCOMPARE(m_page.flash().value("paddleMode").toInt(), 130);
    QCOMPARE(m_page.flash().value("pulseWidth").toInt(), 150);
    // The pages show what the wheel now holds, and the markers what it stores.
    QVERIFY(m_page.ui()->rbPadR->isChecked());
    QCOMPARE(m_page.ui()->hsBite->value(), 29);
    QCOMPARE(m_page.ui()->hsBite->statusTip(), QStringLiteral("130"));
    QCOMPARE(m_page.ui()->hsTrigger->value(), 150);
    QVERIFY(!m_page.ui()->cbClutch->isChecked());
    QCOMPARE(Preferences().value("R-VELO_ENCODER1").toInt(), 19);
    QCOMPARE(MainWindowProbe::encoderBindState(m_page.window()), 2);

    // Save as asks before replacing; No keeps the file as it was.
    ProfileNamePrompt::setNextAnswer("Rally");
    MessageBox::setNextAnswer(QMessageBox::No);
    button("pbProfileSave")->click();
    QCOMPARE(takeShownBoxes(), QStringList{"Profiles: Replace the profile Rally?"});
    Profile kept;
    QString error;
    QVERIFY(ProfileLibrary::read("Rally", &kept, &error));
    QCOMPARE(kept.model, QStringLiteral("KTR2"));

    // The wheel's state under a new name: the profile it came from, read back, sending nothing.
    ProfileNamePrompt::setNextAnswer("GT3 copy");
    MessageBox::setNextAnswer(QMessageBox::Ok);
    button("pbProfileSave")->click();
    QCOMPARE(takeShownBoxes(), QStringList{"Success: Profile saved."});
    QCOMPARE(sends(), QStringList());
    Profile original, copy;
    QVERIFY(ProfileLibrary::read("GT3", &original, &error));
    QVERIFY2(ProfileLibrary::read("GT3 copy", &copy, &error), qPrintable(error));
    // The copy also holds the firmware and the extra shifters; GT3 holds neither.
    copy.firmware.clear();
    copy.extraShifters.reset();
    QCOMPARE(copy.toJson("s"), original.toJson("s"));
}

void TestProfilesPage::gameProfileComesAndGoesLiveAndClosingStoresNothingOfIt()
{
    // A stand-in game: a small program under the rule's name (other case).
    QTemporaryDir dir;
    const QString game = dir.filePath("racegame");
    QVERIFY(QFile::copy("/bin/sleep", game));
    QProcess process;
    process.start(game, {"60"});
    QVERIFY(process.waitForStarted());

    // A malformed rules file is named in the log and used not at all.
    const QString rules = ProfileLibrary::tarvoFolder() + "/game-profiles.json";
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("game profiles ignored: .*game-profiles.json rule 2 needs"));
    writeFile(rules, R"({"format": "tarvoset-game-profiles", "version": 1, "rules": [
                  {"program": "RaceGame", "profile": "GT3"}, {"program": "other"}]})");
    QTest::qWait(2500); // two looks
    QCOMPARE(sends(), QStringList());

    // Changed, it counts at the next look; the first rule whose program runs wins.
    writeFile(rules, R"({"format": "tarvoset-game-profiles", "version": 1, "rules": [
                  {"program": "no-such-game", "profile": "Wet"}, {"program": "RaceGame", "profile": "GT3"},
                  {"program": "racegame", "profile": "Rally"}]})");
    QSystemTrayIcon* tray = MainWindowProbe::trayIcon(m_page.window());
    // What the factory-new wheel had before, live: paddle, pulse width, clutch, white lamps and LEDs.
    QStringList before{paddleHex(50, 0, 4095, 4095, 0, 0), frameHex({0x02, 0x0c, 0x04, 100, 0, 0, 0, 0}),
                       frameHex({0x02, 0x0c, 0x08, 1, 0, 0, 0, 0}),
                       frameHex({0x02, 0x11, 0, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff})};
    for (int block : {0, 1, 3, 2})
        before.append(ledBlock(block, char(0xff)));
    for (int round = 0; round < 2; ++round) {
        if (round == 1) {
            process.start(game, {"60"});
            QVERIFY(process.waitForStarted());
        }
        QTRY_COMPARE_WITH_TIMEOUT(tray->toolTip(), QStringLiteral("TarvoSet: profile GT3 (RaceGame)"), 15000);
        QCOMPARE(sends(), gt3Frames(0x00));
        QCOMPARE(m_page.flash().value("paddleMode").toInt(), 50);
        QCOMPARE(m_page.ui()->hsBite->statusTip(), QStringLiteral("50"));
        if (round == 1)
            break;
        process.kill();
        process.waitForFinished();
        QTRY_COMPARE_WITH_TIMEOUT(tray->toolTip(), QStringLiteral("TarvoSet"), 15000);
        QCOMPARE(sends(), before);
    }
    // Closing while the game runs: the wheel gets its settings back, and the silent save finds
    // the user's own settings on the page: the flash gets nothing.
    QMetaObject::invokeMethod(&m_page.window(), "onClose");
    QCOMPARE(m_page.wheel().state().value("live").toObject().value("paddleMode").toInt(), 50);
    QCOMPARE(sends(), before);
    QCOMPARE(m_page.flash().value("paddleMode").toInt(), 50);
    QCOMPARE(m_page.flash().value("pulseWidth").toInt(), 100);
    QCOMPARE(m_page.flash().value("clutchEnable").toInt(), 1);
    process.kill();
    process.waitForFinished();
}

QTEST_MAIN(TestProfilesPage)
#include "tst_profilespage.moc"
