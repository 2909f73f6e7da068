// The profile library: which names it takes, how it lists what lies in its folder, and a
// profile written by name reading back as the same document.
#include "profiles/profilelibrary.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTest>

class TestProfileLibrary : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init() { QDir(ProfileLibrary::folder()).removeRecursively(); }
    void library_data();
    void library();
};

void TestProfileLibrary::initTestCase()
{
    // The library must live under this test's own configuration folder.
    QVERIFY(ProfileLibrary::folder().startsWith(qEnvironmentVariable("XDG_CONFIG_HOME") + "/Tarvo/profiles"));
}

void TestProfileLibrary::library_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content"); // empty: a profile of an R-VELO written through write()
    QTest::addColumn<QString>("refusal"); // what checkName, read or the listing says; empty: none
    QTest::addColumn<QString>("listedModel"); // empty: not listed

    const QByteArray vkern = R"({"format": "tarvoset-profile", "version": 1, "model": "V-KERN", "saved": "then",
        "settings": {"paddleMode": 255, "calibration": {"leftMin": 0, "leftMax": 4095, "rightMin": 1,
        "rightMax": 4096}, "pulseWidth": null, "clutch": false, "leds": null}})";
    QTest::newRow("plain") << "GT3" << QByteArray() << ""
                           << "R-VELO";
    QTest::newRow("spaces, dots inside, accents") << "Nürburgring v1.2 wet" << QByteArray() << ""
                                                  << "R-VELO";
    QTest::newRow("64 characters") << QString(64, 'x') << QByteArray() << ""
                                   << "R-VELO";
    QTest::newRow("65 characters") << QString(65, 'x') << QByteArray() << "1 to 64"
                                   << "";
    QTest::newRow("empty") << "" << QByteArray() << "1 to 64"
                           << "";
    QTest::newRow("leading dot") << ".hidden" << QByteArray() << "dot"
                                 << "";
    QTest::newRow("parent folder") << ".." << QByteArray() << "dot"
                                   << "";
    for (const char c : QByteArray("/\\:*?\"<>|"))
        QTest::addRow("holds %c", c) << QStringLiteral("a%1b").arg(QLatin1Char(c)) << QByteArray() << "none of"
                                     << "";
    QTest::newRow("control character") << "a\tb" << QByteArray() << "none of"
                                       << "";
    // A file of the folder that is not a valid profile is listed as invalid (the profile's own
    // refusals are tarvoctl's restore table).
    QTest::newRow("not JSON") << "broken" << QByteArray("{ not json") << "not a JSON object"
                              << "invalid";
    QTest::newRow("a model without LEDs, optional members left out") << "Rally" << vkern << ""
                                                                     << "V-KERN";
}

void TestProfileLibrary::library()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QString, refusal);
    QFETCH(QString, listedModel);

    QString error;
    const bool nameOk = ProfileLibrary::checkName(name, &error);
    QCOMPARE(nameOk, !listedModel.isEmpty());
    if (!nameOk) {
        QVERIFY2(error.contains(refusal), qPrintable(error));
        QVERIFY(!ProfileLibrary::write(name, "{}", &error));
        QVERIFY(!ProfileLibrary::read(name, nullptr, &error));
        QVERIFY2(error.contains(refusal), qPrintable(error));
        QVERIFY(QDir(ProfileLibrary::folder()).entryList(QDir::Files).isEmpty());
        return;
    }

    QByteArray written = content;
    if (written.isEmpty()) {
        WheelState state;
        state.model = QStringLiteral("R-VELO");
        state.paddleMode = 230; // stored as no paddle
        state.calibration.leftMin = 10;
        state.calibration.leftMax = 4000;
        state.calibration.rightMin = 20;
        state.calibration.rightMax = 3990;
        state.pulseWidth = 300; // bounded as the window's slider bounds it
        state.clutch = true;
        state.leds = tarvo::LedLevels{};
        state.leds->fill(0x11);
        state.lamps = tarvo::AuxLamps{{1, 2, 3}, {4, 5, 6}};
        state.encoderBinding = WheelState::EncoderBinding{19, 18};
        written = Profile::fromState(state).toJson(QStringLiteral("2026-12-08T05:00:00Z"));
        QVERIFY(written.contains("\"paddleMode\": 255"));
        QVERIFY(written.contains("\"pulseWidth\": 240"));
        QVERIFY(ProfileLibrary::write(name, written, &error));
    } else {
        QVERIFY(QDir().mkpath(ProfileLibrary::folder()));
        QFile file(ProfileLibrary::pathOf(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(written);
    }
    QVERIFY(ProfileLibrary::contains(name));

    QList<ProfileLibrary::Entry> entries = ProfileLibrary::list();
    QCOMPARE(entries.size(), 1);
    QCOMPARE(entries.first().name, name);
    QCOMPARE(entries.first().model, listedModel);
    QCOMPARE(entries.first().valid, refusal.isEmpty());
    QVERIFY2(entries.first().problem.contains(refusal), qPrintable(entries.first().problem));

    Profile profile;
    QCOMPARE(ProfileLibrary::read(name, &profile, &error), refusal.isEmpty());
    if (refusal.isEmpty()) {
        QCOMPARE(entries.first().saved, profile.saved);
        if (content.isEmpty()) {
            // Read back and written again, the profile is the same document.
            QCOMPARE(profile.toJson(profile.saved), written);
        } else {
            QCOMPARE(profile.saved, QStringLiteral("then"));
            QVERIFY(!profile.leds && !profile.lamps && !profile.pulseWidth && !profile.hasEncoderBinding);
            QCOMPARE(profile.calibration.rightMax, 4096);
        }
    } else {
        QVERIFY2(error.startsWith(ProfileLibrary::pathOf(name)) && error.contains(refusal), qPrintable(error));
    }
    QVERIFY(ProfileLibrary::remove(name, &error));
    QVERIFY(ProfileLibrary::list().isEmpty());
    QVERIFY(!ProfileLibrary::remove(name, &error));
}

QTEST_GUILESS_MAIN(TestProfileLibrary)
#include "tst_profilelibrary.moc"
