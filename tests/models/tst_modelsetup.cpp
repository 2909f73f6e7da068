// The window laid out for each wheel model, and the model query that chooses it.
#include "device/devicehandle.h"
#include "fakewheel.h"
#include "firmware/updateserver.h"
#include "settings/modellayouts.h"
#include "settings/modeltable.h"
#include "settings/placement.h"
#include "support/mainwindowprobe.h"

#include <QFile>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalBlocker>
#include <QtTest>
#include <memory>

namespace {

const QString kBase = QStringLiteral("https://mirror.test/tarvo/");
const QRect kPictureRect(61, 9, 640, 365);
const QPoint kAway(-40, -40); // where a test parks a widget to see whether it gets placed
const QSize kTiny(7, 7);
const QString kSentinelStyle = QStringLiteral("/* set by the test */");
const QString kWaitingPicture = QStringLiteral("border-image:");

const QString kBlueDot = QStringLiteral("QPushButton {border-radius: 12px; background-color: rgb(0,117,190); "
                                        "border: 1px solid white; color: white;}");
const QString kWhiteDot = QStringLiteral("QPushButton {border-radius: 12px; background-color: rgb(255,255,255); "
                                         "border: 1px solid white; color: white;}");
const QString kWhiteSquare = QStringLiteral("QPushButton {border-radius: 4px; background-color: rgb(255,255,255); "
                                            "border: 1px solid white; color: white;}");

// "pbB1-pbB6,pbD3" -> pbB1 ... pbB6, pbD3
QStringList names(const QString& list)
{
    static const QRegularExpression numbered(QStringLiteral("^(.*?)(\\d+)$"));
    QStringList out;
    for (const QString& part : list.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QStringList ends = part.trimmed().split(QLatin1Char('-'));
        if (ends.size() == 1) {
            out << ends.first();
            continue;
        }
        const QRegularExpressionMatch from = numbered.match(ends.at(0));
        const QRegularExpressionMatch to = numbered.match(ends.at(1));
        for (int i = from.captured(2).toInt(); i <= to.captured(2).toInt(); ++i)
            out << from.captured(1) + QString::number(i);
    }
    return out;
}

QStringList allIndicators()
{
    QStringList all = names(QStringLiteral("pbIB1-pbIB6,pbIB9-pbIB14"));
    for (int n = 1; n <= 8; ++n)
        all << QStringLiteral("pbID%1L").arg(n) << QStringLiteral("pbID%1R").arg(n);
    for (const QString& side : {QStringLiteral("L"), QStringLiteral("R")}) {
        for (const QString& tail : {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"),
                                    QStringLiteral("C"), QStringLiteral("L"), QStringLiteral("R")})
            all << QStringLiteral("pbJs") + side + tail;
    }
    all << names(QStringLiteral("pbSWL,pbSWR,pbIBarL,pbIBarR,pbISW1,pbISW2,pbIExL,pbIExR"));
    return all;
}

QStringList allLedButtons()
{
    return names(QStringLiteral("pbB1-pbB6,pbB9-pbB14,pbD3,pbD4,pbD13,pbD16,pbD23,pbD26,pbT1-pbT11,"
                                "pbTL1-pbTL3,pbTR1-pbTR3"));
}

QStringList without(QStringList all, const QStringList& removed)
{
    for (const QString& name : removed)
        all.removeAll(name);
    return all;
}

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

// 02 0B <selector> and 17 zero bytes.
QByteArray queryBytes(int selector)
{
    QByteArray frame(20, '\0');
    frame[0] = 0x02;
    frame[1] = 0x0B;
    frame[2] = char(selector);
    return frame;
}

QByteArray modelAnswer(const QByteArray& text)
{
    return QByteArray("\x02\x0D", 2) + text;
}

} // namespace

class TestModelSetup : public QObject
{
    Q_OBJECT

    FakeWheel wheel;
    std::unique_ptr<MainWindow> window;
    Ui::MainWindow* ui = nullptr;

    // A window as it starts with no wheel: the waiting screen. The wheel refuses opens while
    // the window is built, so its own connection attempt finds nothing.
    void freshWindow()
    {
        window.reset();
        deviceHandle.close();
        wheel.reset();
        wheel.openable = false;
        window = std::make_unique<MainWindow>();
        ui = MainWindowProbe::ui(*window);
    }

    bool connectWheel()
    {
        wheel.openable = true;
        const bool opened = deviceHandle.open(tarvo::kVendorId, 0x2007);
        wheel.openable = false;
        return opened;
    }

    QPushButton* button(QWidget* page, const QString& name)
    {
        return page->findChild<QPushButton*>(name, Qt::FindDirectChildrenOnly);
    }

    void park(QWidget* w, bool shown)
    {
        w->move(kAway);
        w->resize(kTiny);
        w->setStyleSheet(kSentinelStyle);
        w->setEnabled(!shown);
        w->setVisible(shown);
    }

private slots:
    void initTestCase()
    {
        deviceHandle.setBackend(&wheel);
        setUpdateServerBaseUrl(kBase);
    }

    void init() { QSettings(QStringLiteral("Tarvo"), QStringLiteral("TarvoSet")).clear(); }

    void cleanup()
    {
        window.reset();
        ui = nullptr;
        deviceHandle.close();
    }

    // The two tables describe the same seven models in the same order.
    void tablesAgree()
    {
        const auto& layouts = tarvo::modelLayouts();
        QCOMPARE(layouts.size(), tarvo::kModels.size());
        QStringList keys;
        for (std::size_t i = 0; i < tarvo::kModels.size(); ++i) {
            const tarvo::ModelInfo& model = tarvo::kModels[i];
            keys << QLatin1String(model.key);
            QCOMPARE(QLatin1String(layouts[i].key), QLatin1String(model.key));
            QCOMPARE(QLatin1String(layouts[i].imageKey), QLatin1String(model.imageKey));
            QCOMPARE(QLatin1String(model.folder), QLatin1String(model.imageKey) + QLatin1Char('/'));
        }
        QCOMPARE(keys, QStringList({"R-VELO", "QLN5", "V-KERN", "LM270", "ZEPHA2", "ORBIX", "KTR2"}));
    }

    // Every model's picture is compiled in; a missing one would leave the page blank.
    void picturesExist()
    {
        for (const tarvo::ModelInfo& model : tarvo::kModels) {
            const QString path = QStringLiteral(":/img/back.%1.png").arg(QLatin1String(model.imageKey));
            QVERIFY2(QFile::exists(path), qPrintable(path));
            QCOMPARE(tarvo::pictureStyleSheet(model), QStringLiteral("border-image: url(") + path + QLatin1Char(')'));
        }
    }

    void layoutNamesExistInForm()
    {
        freshWindow();
        for (const tarvo::ModelLayout& layout : tarvo::modelLayouts()) {
            QStringList seen;
            for (const tarvo::WidgetPlacement& p : layout.indicators) {
                QVERIFY2(button(ui->page1, QLatin1String(p.name)), p.name);
                QVERIFY2(!seen.contains(QLatin1String(p.name)), p.name);
                seen << QLatin1String(p.name);
            }
            seen.clear();
            for (const tarvo::LedPlacement& p : layout.leds) {
                QVERIFY2(button(ui->page2, QLatin1String(p.name)), p.name);
                QVERIFY2(!seen.contains(QLatin1String(p.name)), p.name);
                seen << QLatin1String(p.name);
            }
        }
    }

    void modelTable_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("header");
        QTest::addColumn<int>("iconX");
        QTest::addColumn<QString>("picture"); // empty: none chosen
        QTest::addColumn<bool>("rgbPage");
        QTest::addColumn<bool>("clutchGroup");
        QTest::addColumn<bool>("shifterBox");
        QTest::addColumn<QString>("axes"); // shown, hidden (but placed), none
        QTest::addColumn<QList<QPoint>>("axesAt");
        QTest::addColumn<QList<int>>("encoderY");
        QTest::addColumn<int>("battery"); // -1: left as it was
        QTest::addColumn<QString>("folder"); // empty: upgradeBaseUrl left as it was

        const QList<QPoint> standard = {{130, 290}, {150, 305}, {530, 290}, {550, 305}};
        const QList<QPoint> formAxes = standard;
        const QString pic = QStringLiteral("border-image: url(:/img/back.%1.png)");

        QTest::newRow("R-VELO") << "R-VELO"
                                << "TARVO R-VELO" << 310 << pic.arg("rvelo") << true << true << false << "shown"
                                << standard << QList<int>{10, 40, 60} << 1 << "rvelo/";
        QTest::newRow("QLN5") << "QLN5"
                              << "TARVO QLN5" << 310 << pic.arg("qln5") << true << true << true << "shown" << standard
                              << QList<int>{70, 100, 120} << 0 << "qln5/";
        QTest::newRow("V-KERN") << "V-KERN"
                                << "TARVO V-KERN" << 310 << pic.arg("vkern") << false << true << false << "shown"
                                << standard << QList<int>{10, 40, 60} << 1 << "vkern/";
        QTest::newRow("LM270") << "LM270"
                               << "Tarvo Meridian Edition Wheel" << 150 << pic.arg("lm270") << true << false << false
                               << "none" << formAxes << QList<int>{10, 40, 60} << 1 << "lm270/";
        QTest::newRow("ZEPHA2") << "ZEPHA2"
                                << "TARVO ZEPHA2" << 310 << pic.arg("zepha2") << true << true << false << "shown"
                                << QList<QPoint>{{60, 290}, {80, 305}, {600, 290}, {620, 305}} << QList<int>{0, 20, 40}
                                << 1 << "zepha2/";
        QTest::newRow("ORBIX") << "ORBIX"
                               << "TARVO ORBIX" << 310 << pic.arg("orbix") << true << true << false << "hidden"
                               << standard << QList<int>{0, 20, 40} << 1 << "orbix/";
        QTest::newRow("KTR2") << "KTR2"
                              << "TARVO KTR2" << 310 << pic.arg("ktr2") << true << true << false << "shown"
                              << QList<QPoint>{{100, 210}, {120, 225}, {560, 210}, {580, 225}} << QList<int>{0, 20, 40}
                              << 0 << "ktr2/";

        QTest::newRow("key with a suffix") << "R-VELO-S"
                                           << "TARVO R-VELO-S" << 310 << pic.arg("rvelo") << true << true << false
                                           << "shown" << standard << QList<int>{10, 40, 60} << 1 << "rvelo/";
        QTest::newRow("key inside the text") << "NEW QLN5 V2"
                                             << "TARVO NEW QLN5 V2" << 310 << pic.arg("qln5") << true << true << true
                                             << "shown" << standard << QList<int>{70, 100, 120} << 0 << "qln5/";
        QTest::newRow("LM270 with a suffix")
            << "LM270X"
            << "Tarvo Meridian Edition Wheel" << 150 << pic.arg("lm270") << true << false << false << "none" << formAxes
            << QList<int>{10, 40, 60} << 1 << "lm270/";
        // Both keys occur: the later model in the table wins wherever they differ.
        QTest::newRow("two keys, later wins")
            << "R-VELO/KTR2"
            << "TARVO R-VELO/KTR2" << 310 << pic.arg("ktr2") << true << true << false << "shown"
            << QList<QPoint>{{100, 210}, {120, 225}, {560, 210}, {580, 225}} << QList<int>{0, 20, 40} << 0 << "ktr2/";
        QTest::newRow("LM270 title survives a later key")
            << "LM270 ORBIX"
            << "Tarvo Meridian Edition Wheel" << 150 << pic.arg("orbix") << true << true << false << "hidden"
            << standard << QList<int>{0, 20, 40} << 1 << "orbix/";

        QTest::newRow("lower case") << "r-velo"
                                    << "TARVO r-velo" << 310 << "" << true << false << false << "none" << formAxes
                                    << QList<int>{0, 20, 40} << -1 << "";
        QTest::newRow("unknown text") << "WHEEL 9000"
                                      << "TARVO WHEEL 9000" << 310 << "" << true << false << false << "none" << formAxes
                                      << QList<int>{0, 20, 40} << -1 << "";
        QTest::newRow("key split by a blank") << "R- VELO"
                                              << "TARVO R- VELO" << 310 << "" << true << false << false << "none"
                                              << formAxes << QList<int>{0, 20, 40} << -1 << "";
        QTest::newRow("empty text") << ""
                                    << "TARVO " << 310 << "" << true << false << false << "none" << formAxes
                                    << QList<int>{0, 20, 40} << -1 << "";
    }

    void modelTable()
    {
        QFETCH(QString, text);
        QFETCH(QString, header);
        QFETCH(int, iconX);
        QFETCH(QString, picture);
        QFETCH(bool, rgbPage);
        QFETCH(bool, clutchGroup);
        QFETCH(bool, shifterBox);
        QFETCH(QString, axes);
        QFETCH(QList<QPoint>, axesAt);
        QFETCH(QList<int>, encoderY);
        QFETCH(int, battery);
        QFETCH(QString, folder);

        // Once from each battery state, so that "left as it was" and "set" can be told apart.
        for (const bool batteryBefore : {false, true}) {
            freshWindow();
            MainWindowProbe::hasBattery(*window) = batteryBefore;
            MainWindowProbe::upgradeBaseUrl(*window) = QStringLiteral("before");
            const QString formRgbPicture = ui->lbMainRGB->styleSheet();
            const int iconY = ui->lbIcon->y();
            QCOMPARE(ui->lbMain->styleSheet(), kWaitingPicture);

            window->applyModel(text);

            QCOMPARE(ui->lbHead->text(), header);
            QCOMPARE(ui->lbIcon->pos(), QPoint(iconX, iconY));
            QCOMPARE(ui->lbMain->styleSheet(), picture.isEmpty() ? kWaitingPicture : picture);
            QCOMPARE(ui->lbMainRGB->styleSheet(), rgbPage && !picture.isEmpty() ? picture : formRgbPicture);

            QVERIFY(ui->pbS1->isEnabled());
            QCOMPARE(ui->pbS2->isEnabled(), rgbPage);
            QVERIFY(ui->pbS3->isEnabled());
            QVERIFY(ui->pbS4->isEnabled());
            QVERIFY(ui->pbS5->isEnabled());

            QCOMPARE(ui->cbClutch->isHidden(), !clutchGroup);
            QCOMPARE(ui->gpClutch->isHidden(), !clutchGroup);
            QCOMPARE(ui->cbShifter->isHidden(), !shifterBox);

            const QList<QWidget*> axisWidgets = {ui->pgAdcL, ui->pbCalL, ui->pgAdcR, ui->pbCalR};
            for (int i = 0; i < axisWidgets.size(); ++i) {
                QWidget* w = axisWidgets.at(i);
                QCOMPARE(w->isHidden(), axes != QLatin1String("shown"));
                QCOMPARE(w->pos(), axesAt.at(i));
                QVERIFY(w->isEnabled());
            }

            const QList<QWidget*> encoder = {ui->lbEnc, ui->hsTrigger, ui->lbTrigger};
            const int encoderX[] = {290, 309, 330};
            for (int i = 0; i < encoder.size(); ++i) {
                QVERIFY(!encoder.at(i)->isHidden());
                QCOMPARE(encoder.at(i)->pos(), QPoint(encoderX[i], encoderY.at(i)));
            }
            QVERIFY(!ui->pbSaveEnc->isHidden());

            QCOMPARE(MainWindowProbe::hasBattery(*window), battery < 0 ? batteryBefore : battery == 1);
            // A wheel without a battery has no charge or link to show.
            QCOMPARE(ui->lbBatStatus->isHidden(), !MainWindowProbe::hasBattery(*window));
            QCOMPARE(ui->lbBTStatus->isHidden(), !MainWindowProbe::hasBattery(*window));
            QCOMPARE(MainWindowProbe::upgradeBaseUrl(*window),
                     folder.isEmpty() ? QStringLiteral("before") : kBase + QStringLiteral("upgrade/") + folder);
        }
    }

    void indicators_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("notPlaced");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("blueDots");

        const QString rvelo = QStringLiteral("pbISW1,pbISW2,pbIBarL,pbIBarR,pbIExL,pbIExR");
        QTest::newRow("R-VELO") << "R-VELO" << rvelo << 44 << true;
        QTest::newRow("QLN5") << "QLN5" << rvelo << 44 << true;
        QTest::newRow("V-KERN") << "V-KERN" << rvelo + ",pbID1L,pbID1R,pbID2L,pbID2R,pbID5L,pbID5R,pbID6L,pbID6R" << 36
                                << true;
        QTest::newRow("LM270") << "LM270"
                               << "pbIB3,pbIB4,pbIB11,pbIB12,pbID3L,pbID3R,pbID4L,pbID4R,pbSWL,pbSWR,"
                                  "pbIBarL,pbIBarR,pbIExL,pbIExR"
                               << 36 << true;
        QTest::newRow("ZEPHA2") << "ZEPHA2"
                                << "pbIB3,pbIB4,pbIB5,pbIB11,pbIB12,pbIB14,pbID3L,pbID3R,pbID4L,pbID4R,"
                                   "pbID7L,pbID7R,pbID8L,pbID8R,pbSWL,pbSWR,pbIBarL,pbIBarR,pbIExL,pbIExR"
                                << 30 << true;
        QTest::newRow("ORBIX") << "ORBIX"
                               << "pbIBarL,pbIBarR,pbIExL,pbIExR" << 46 << false;
        QTest::newRow("KTR2") << "KTR2"
                              << "pbISW1,pbISW2,pbIB3,pbIB11,pbID4L,pbID4R,pbIBarL,pbIBarR,pbIExL,pbIExR" << 40 << true;
        QTest::newRow("unknown text") << "NOTHING" << allIndicators().join(QLatin1Char(',')) << 0 << false;
    }

    void indicators()
    {
        QFETCH(QString, text);
        QFETCH(QString, notPlaced);
        QFETCH(int, count);
        QFETCH(bool, blueDots);

        freshWindow();
        const QStringList all = allIndicators();
        QCOMPARE(all.size(), 50);
        QHash<QString, QSize> formSize;
        for (const QString& name : all) {
            QPushButton* w = button(ui->page1, name);
            QVERIFY2(w, qPrintable(name));
            formSize[name] = w->size();
            park(w, true);
        }

        window->applyModel(text);

        QStringList placed;
        for (const QString& name : all) {
            QPushButton* w = button(ui->page1, name);
            // Live indicators are never shown by the layout; the input display lights them.
            QVERIFY2(w->isHidden(), qPrintable(name));
            if (w->pos() == kAway)
                continue;
            placed << name;
            QVERIFY2(w->isEnabled(), qPrintable(name));
            QCOMPARE(w->size(), kTiny); // placed hidden: never resized
            QCOMPARE(w->styleSheet(), blueDots ? kBlueDot : kSentinelStyle);
            const QRect lit(w->pos(), formSize.value(name).expandedTo(QSize(24, 24)));
            QVERIFY2(kPictureRect.contains(lit), qPrintable(name));
        }
        QCOMPARE(placed.size(), count);
        QCOMPARE(sorted(placed), sorted(without(all, names(notPlaced))));

        // One encoder's two directions share a spot, and so do a thumb stick's seven inputs.
        for (int n = 1; n <= 8; ++n) {
            const QString l = QStringLiteral("pbID%1L").arg(n);
            const QString r = QStringLiteral("pbID%1R").arg(n);
            if (placed.contains(l) && placed.contains(r))
                QCOMPARE(button(ui->page1, l)->pos(), button(ui->page1, r)->pos());
            else
                QCOMPARE(placed.contains(l), placed.contains(r));
        }
        for (const QString& side : {QStringLiteral("L"), QStringLiteral("R")}) {
            QList<QPoint> spots;
            for (const QString& name : placed) {
                if (name.startsWith(QStringLiteral("pbJs") + side))
                    spots << button(ui->page1, name)->pos();
            }
            QVERIFY(spots.isEmpty() || spots.size() == 7);
            for (const QPoint& spot : spots)
                QCOMPARE(spot, spots.first());
        }
    }

    // R-VELO's placement is fixed point by point.
    void rveloPlacement()
    {
        freshWindow();
        wheel.auxLampsFlag = 1;
        QVERIFY(connectWheel());
        window->applyModel(QStringLiteral("R-VELO"));

        const QList<QPair<QString, QPoint>> indicators = {
            {"pbSWL", {192, 37}},   {"pbSWR", {546, 37}},   {"pbIB1", {149, 35}},   {"pbIB2", {210, 66}},
            {"pbIB3", {237, 140}},  {"pbIB4", {266, 222}},  {"pbIB5", {241, 272}},  {"pbIB6", {226, 321}},
            {"pbIB9", {590, 35}},   {"pbIB10", {528, 66}},  {"pbIB11", {500, 140}}, {"pbIB12", {472, 222}},
            {"pbIB13", {512, 321}}, {"pbIB14", {497, 272}}, {"pbID1L", {299, 122}}, {"pbID1R", {299, 122}},
            {"pbID2L", {436, 122}}, {"pbID2R", {436, 122}}, {"pbID3L", {299, 279}}, {"pbID3R", {299, 279}},
            {"pbID4L", {437, 279}}, {"pbID4R", {437, 279}}, {"pbID5L", {110, 70}},  {"pbID5R", {110, 70}},
            {"pbID6L", {625, 70}},  {"pbID6R", {625, 70}},  {"pbID7L", {200, 110}}, {"pbID7R", {200, 110}},
            {"pbID8L", {540, 110}}, {"pbID8R", {540, 110}}, {"pbJsL1", {214, 195}}, {"pbJsL2", {214, 195}},
            {"pbJsL3", {214, 195}}, {"pbJsL4", {214, 195}}, {"pbJsLC", {214, 195}}, {"pbJsLL", {214, 195}},
            {"pbJsLR", {214, 195}}, {"pbJsR1", {523, 195}}, {"pbJsR2", {523, 195}}, {"pbJsR3", {523, 195}},
            {"pbJsR4", {523, 195}}, {"pbJsRC", {523, 195}}, {"pbJsRL", {523, 195}}, {"pbJsRR", {523, 195}},
        };
        for (const auto& [name, at] : indicators) {
            QVERIFY2(button(ui->page1, name), qPrintable(name));
            QCOMPARE(button(ui->page1, name)->pos(), at);
        }
        const QList<QPair<QString, QPoint>> leds = {
            {"pbB1", {149, 35}},   {"pbB2", {210, 66}},   {"pbB3", {237, 140}},  {"pbB4", {266, 222}},
            {"pbB5", {241, 272}},  {"pbB6", {226, 321}},  {"pbB9", {590, 35}},   {"pbB10", {528, 66}},
            {"pbB11", {500, 140}}, {"pbB12", {472, 222}}, {"pbB13", {497, 272}}, {"pbB14", {512, 321}},
            {"pbD13", {299, 122}}, {"pbD23", {436, 122}}, {"pbD16", {299, 279}}, {"pbD26", {437, 279}},
            {"pbD3", {200, 110}},  {"pbD4", {540, 110}},  {"pbXL", {192, 37}},   {"pbXR", {545, 37}},
        };
        for (const auto& [name, at] : leds) {
            QVERIFY2(button(ui->page2, name), qPrintable(name));
            QCOMPARE(button(ui->page2, name)->pos(), at);
            QVERIFY(!button(ui->page2, name)->isHidden());
        }
    }

    void ledButtons_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("whiteDots");
        QTest::addColumn<QString>("whiteSquares");
        QTest::addColumn<QString>("plain");
        QTest::addColumn<int>("count");

        const QString rvelo = QStringLiteral("pbB1-pbB6,pbB9-pbB14,pbD13,pbD23,pbD16,pbD26,pbD3,pbD4");
        QTest::newRow("R-VELO") << "R-VELO" << rvelo << ""
                                << "" << 18;
        QTest::newRow("QLN5") << "QLN5" << rvelo << "pbTL1-pbTL3,pbTR1-pbTR3,pbT1-pbT11"
                              << "" << 35;
        QTest::newRow("V-KERN") << "V-KERN"
                                << ""
                                << ""
                                << "" << 0;
        QTest::newRow("LM270") << "LM270"
                               << "pbB1,pbB2,pbB4,pbB5,pbB6,pbB9,pbB10,pbB12,pbB13,pbB14,pbT3,pbT9,"
                                  "pbD13,pbD23,pbD16,pbD26,pbD3,pbD4"
                               << ""
                               << "" << 18;
        QTest::newRow("ZEPHA2") << "ZEPHA2"
                                << "pbB1,pbB2,pbB4,pbB6,pbB9,pbB10,pbB11,pbB12,pbB14,pbD13,pbD23,pbD16,pbD26"
                                << ""
                                << "" << 13;
        QTest::newRow("ORBIX") << "ORBIX"
                               << ""
                               << ""
                               << "pbB1-pbB6,pbB9-pbB14,pbD13,pbD23,pbD16,pbD26,pbT1-pbT11,pbTL1,pbTL2,pbTR1,pbTR2"
                               << 31;
        QTest::newRow("KTR2") << "KTR2"
                              << "pbB1,pbB2,pbB4,pbB5,pbB6,pbB9,pbB10,pbB12,pbB13,pbB14,pbD16,pbD26,pbTL1"
                              << "pbB3,pbB11,pbD13,pbD23,pbD3,pbD4,pbTL2,pbTL3,pbT1-pbT11,pbTR2,pbTR3"
                              << "" << 34;
        QTest::newRow("unknown text") << "RGB"
                                      << ""
                                      << ""
                                      << "" << 0;
    }

    void ledButtons()
    {
        QFETCH(QString, text);
        QFETCH(QString, whiteDots);
        QFETCH(QString, whiteSquares);
        QFETCH(QString, plain);
        QFETCH(int, count);

        const QStringList dots = names(whiteDots);
        const QStringList squares = names(whiteSquares);
        const QStringList plains = names(plain);
        QCOMPARE(dots.size() + squares.size() + plains.size(), count);

        freshWindow();
        const QStringList all = allLedButtons();
        QHash<QString, QSize> formSize;
        for (const QString& name : all) {
            QPushButton* w = button(ui->page2, name);
            QVERIFY2(w, qPrintable(name));
            formSize[name] = w->size();
            // Shown and enabled: a button the model does not place must be put away.
            park(w, true);
            w->setEnabled(true);
        }

        window->applyModel(text);

        int placed = 0;
        for (const QString& name : all) {
            QPushButton* w = button(ui->page2, name);
            const bool isDot = dots.contains(name);
            const bool isSquare = squares.contains(name);
            const bool isPlain = plains.contains(name);
            if (!isDot && !isSquare && !isPlain) {
                QVERIFY2(w->isHidden(), qPrintable(name));
                QVERIFY2(!w->isEnabled(), qPrintable(name));
                continue;
            }
            ++placed;
            QVERIFY2(!w->isHidden(), qPrintable(name));
            QVERIFY2(w->isEnabled(), qPrintable(name));
            QVERIFY2(w->pos() != kAway, qPrintable(name));
            if (isDot) {
                QCOMPARE(w->styleSheet(), kWhiteDot);
                QCOMPARE(w->size(), QSize(24, 24));
            } else if (isSquare) {
                QCOMPARE(w->styleSheet(), kWhiteSquare);
                QCOMPARE(w->size(), QSize(12, 12));
            } else {
                QCOMPARE(w->styleSheet(), kSentinelStyle);
                QCOMPARE(w->size(), kTiny);
            }
            const QSize shown = isPlain ? formSize.value(name) : w->size();
            QVERIFY2(kPictureRect.contains(QRect(w->pos(), shown)), qPrintable(name));
        }
        QCOMPARE(placed, count);
    }

    void auxLamps_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("device");
        QTest::addColumn<int>("flag");
        QTest::addColumn<bool>("failGets");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<QPoint>("left");
        QTest::addColumn<QPoint>("right");
        QTest::addColumn<bool>("whiteDots");
        QTest::addColumn<bool>("queried");

        const QPoint none;
        QTest::newRow("R-VELO confirmed")
            << "R-VELO" << true << 1 << false << true << QPoint(192, 37) << QPoint(545, 37) << true << true;
        QTest::newRow("R-VELO refused") << "R-VELO" << true << 0 << false << false << none << none << true << true;
        QTest::newRow("R-VELO other flag") << "R-VELO" << true << 2 << false << false << none << none << true << true;
        QTest::newRow("R-VELO unanswered") << "R-VELO" << true << 1 << true << false << none << none << true << true;
        QTest::newRow("R-VELO no wheel") << "R-VELO" << false << 1 << false << false << none << none << true << false;
        QTest::newRow("QLN5 confirmed") << "QLN5" << true << 1 << false << true << QPoint(195, 50) << QPoint(547, 50)
                                        << true << true;
        QTest::newRow("QLN5 refused") << "QLN5" << true << 0 << false << false << none << none << true << true;
        QTest::newRow("V-KERN never") << "V-KERN" << true << 1 << false << false << none << none << true << false;
        QTest::newRow("LM270 never") << "LM270" << true << 1 << false << false << none << none << true << false;
        QTest::newRow("ZEPHA2 always") << "ZEPHA2" << true << 0 << false << true << QPoint(249, 146) << QPoint(486, 146)
                                       << true << false;
        QTest::newRow("ZEPHA2 no wheel") << "ZEPHA2" << false << 0 << false << true << QPoint(249, 146)
                                         << QPoint(486, 146) << true << false;
        QTest::newRow("ORBIX always, plain")
            << "ORBIX" << true << 0 << false << true << QPoint(170, 25) << QPoint(568, 25) << false << false;
        QTest::newRow("KTR2 always") << "KTR2" << true << 0 << false << true << QPoint(191, 28) << QPoint(543, 28)
                                     << true << false;
        QTest::newRow("unknown text") << "XYZ" << true << 1 << false << false << none << none << true << false;
    }

    void auxLamps()
    {
        QFETCH(QString, text);
        QFETCH(bool, device);
        QFETCH(int, flag);
        QFETCH(bool, failGets);
        QFETCH(bool, shown);
        QFETCH(QPoint, left);
        QFETCH(QPoint, right);
        QFETCH(bool, whiteDots);
        QFETCH(bool, queried);

        freshWindow();
        if (device)
            QVERIFY(connectWheel());
        wheel.auxLampsFlag = std::uint8_t(flag);
        wheel.failGets = failGets;
        park(ui->pbXL, true);
        park(ui->pbXR, true);

        window->applyModel(text);

        QCOMPARE(ui->pbXL->isHidden(), !shown);
        QCOMPARE(ui->pbXR->isHidden(), !shown);
        if (shown) {
            QCOMPARE(ui->pbXL->pos(), left);
            QCOMPARE(ui->pbXR->pos(), right);
            for (QPushButton* lamp : {ui->pbXL, ui->pbXR}) {
                QVERIFY(lamp->isEnabled());
                QCOMPARE(lamp->styleSheet(), whiteDots ? kWhiteDot : kSentinelStyle);
                QCOMPARE(lamp->size(), whiteDots ? QSize(24, 24) : kTiny);
                if (!whiteDots)
                    QVERIFY(kPictureRect.contains(QRect(lamp->pos(), QSize(25, 25))));
                else
                    QVERIFY(kPictureRect.contains(lamp->geometry()));
            }
        }
        // The layout itself asks the wheel nothing but the lamp question, and only where it matters.
        const QList<QByteArray> expected = queried ? QList<QByteArray>{queryBytes(0x11)} : QList<QByteArray>{};
        QCOMPARE(wheel.sent, expected);
    }

    // A second model replaces what the first one placed.
    void switchModels_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");

        QTest::newRow("KTR2 then V-KERN") << "KTR2"
                                          << "V-KERN";
        QTest::newRow("ZEPHA2 then QLN5 refusing lamps") << "ZEPHA2"
                                                         << "QLN5";
        QTest::newRow("QLN5 then LM270") << "QLN5"
                                         << "LM270";
        QTest::newRow("ORBIX then unknown") << "ORBIX"
                                            << "UNKNOWN";
    }

    void switchModels()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);

        freshWindow();
        QVERIFY(connectWheel());
        window->applyModel(first);
        MainWindowProbe::showWaitingScreen(*window);
        window->applyModel(second);

        QCOMPARE(ui->pbXL->isHidden(), true);
        QCOMPARE(ui->pbXR->isHidden(), true);
        const tarvo::ModelLayout* layout = tarvo::modelLayout(second.toStdString());
        const bool rgb = second != QLatin1String("V-KERN");
        QStringList shownLeds;
        for (const QString& name : allLedButtons()) {
            if (!button(ui->page2, name)->isHidden())
                shownLeds << name;
        }
        QStringList expected;
        if (layout && rgb) {
            for (const tarvo::LedPlacement& led : layout->leds)
                expected << QLatin1String(led.name);
        }
        QCOMPARE(sorted(shownLeds), sorted(expected));
        QCOMPARE(ui->pbS2->isEnabled(), rgb);
        const bool clutch = layout && second != QLatin1String("LM270");
        QCOMPARE(ui->gpClutch->isHidden(), !clutch);
        QCOMPARE(ui->cbShifter->isHidden(), second != QLatin1String("QLN5"));
        QCOMPARE(ui->pgAdcL->isHidden(), !clutch || second == QLatin1String("ORBIX"));
        QVERIFY(!ui->lbEnc->isHidden());
    }

    void extraShifter_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("stored"); // -1 absent
        QTest::addColumn<bool>("checkedBefore");
        QTest::addColumn<bool>("checked");
        QTest::addColumn<bool>("boxShown");

        QTest::newRow("QLN5 on") << "QLN5" << 1 << false << true << true;
        QTest::newRow("QLN5 off") << "QLN5" << 0 << true << false << true;
        QTest::newRow("QLN5 never set") << "QLN5" << -1 << true << false << true;
        QTest::newRow("ORBIX on") << "ORBIX" << 1 << false << true << false;
        QTest::newRow("ORBIX off") << "ORBIX" << 0 << true << false << false;
        QTest::newRow("R-VELO ignores the setting") << "R-VELO" << 1 << true << false << false;
        QTest::newRow("KTR2 ignores the setting") << "KTR2" << 1 << true << false << false;
        QTest::newRow("unknown leaves the box") << "XX" << 1 << true << true << false;
    }

    void extraShifter()
    {
        QFETCH(QString, text);
        QFETCH(int, stored);
        QFETCH(bool, checkedBefore);
        QFETCH(bool, checked);
        QFETCH(bool, boxShown);

        freshWindow();
        if (stored >= 0)
            QSettings(QStringLiteral("Tarvo"), QStringLiteral("TarvoSet"))
                .setValue(QStringLiteral("EXTRA_SHIFTER"), stored == 1);
        {
            const QSignalBlocker blocker(ui->cbShifter);
            ui->cbShifter->setChecked(checkedBefore);
        }
        const QRect before = ui->gpShifter->geometry();
        ui->gpShifter->setGeometry(before.x(), before.y(), before.width(), 150);

        window->applyModel(text);

        QCOMPARE(ui->cbShifter->isChecked(), checked);
        QCOMPARE(ui->cbShifter->isHidden(), !boxShown);
        if (text != QLatin1String("XX"))
            QCOMPARE(ui->gpShifter->geometry(), QRect(before.x(), before.y(), before.width(), checked ? 191 : 111));

        // Laying the window out is not the user's choice: the stored preference stays as it was.
        QSettings settings(QStringLiteral("Tarvo"), QStringLiteral("TarvoSet"));
        QCOMPARE(settings.contains(QStringLiteral("EXTRA_SHIFTER")), stored >= 0);
        if (stored >= 0)
            QCOMPARE(settings.value(QStringLiteral("EXTRA_SHIFTER")).toBool(), stored == 1);
    }

    void shifterGroupHeight_data()
    {
        QTest::addColumn<QRect>("before");
        QTest::addColumn<bool>("checked");
        QTest::addColumn<QRect>("after");

        QTest::newRow("form, on") << QRect(50, 170, 661, 191) << true << QRect(50, 170, 661, 191);
        QTest::newRow("form, off") << QRect(50, 170, 661, 191) << false << QRect(50, 170, 661, 111);
        QTest::newRow("short, on") << QRect(50, 170, 661, 111) << true << QRect(50, 170, 661, 191);
        QTest::newRow("moved, off") << QRect(20, 200, 300, 40) << false << QRect(20, 200, 300, 111);
        QTest::newRow("moved, on") << QRect(20, 200, 300, 400) << true << QRect(20, 200, 300, 191);
    }

    void shifterGroupHeight()
    {
        QFETCH(QRect, before);
        QFETCH(bool, checked);
        QFETCH(QRect, after);

        freshWindow();
        QCOMPARE(ui->gpShifter->geometry(), QRect(50, 170, 661, 191));
        ui->gpShifter->setGeometry(before);
        {
            const QSignalBlocker blocker(ui->cbShifter);
            ui->cbShifter->setChecked(checked);
        }
        MainWindowProbe::updateShifterGroupHeight(*window);
        QCOMPARE(ui->gpShifter->geometry(), after);
        QCOMPARE(ui->gpShifter->geometry().bottom(), after.top() + (checked ? 190 : 110));
    }

    void identify_data()
    {
        QTest::addColumn<bool>("device");
        QTest::addColumn<bool>("failSends");
        QTest::addColumn<bool>("failGets");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<bool>("laidOut");
        QTest::addColumn<QString>("modelName");
        QTest::addColumn<QString>("header");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("battery");

        const QByteArray rvelo = modelAnswer("R-VELO");
        QTest::newRow("no wheel") << false << false << false << rvelo << false << ""
                                  << ""
                                  << "" << false;
        QTest::newRow("answer of another command")
            << true << false << false << QByteArray("\x02\x0B", 2) + "R-VELO" << false << ""
            << ""
            << "" << false;
        QTest::newRow("command byte zero")
            << true << false << false << QByteArray("\x02\x00", 2) + "R-VELO" << false << ""
            << ""
            << "" << false;
        QTest::newRow("send fails") << true << true << false << rvelo << false << ""
                                    << ""
                                    << "" << false;
        QTest::newRow("read fails") << true << false << true << rvelo << false << ""
                                    << ""
                                    << "" << false;

        QTest::newRow("R-VELO") << true << false << false << rvelo << true << "R-VELO"
                                << "TARVO R-VELO"
                                << "rvelo/" << true;
        QTest::newRow("text ends at the first zero")
            << true << false << false << modelAnswer(QByteArray("KTR2\0R-VELO", 11)) << true << "KTR2"
            << "TARVO KTR2"
            << "ktr2/" << false;
        QTest::newRow("19 bytes without a zero")
            << true << false << false << modelAnswer("TARVO-ZEPHA2-PRO-24") << true << "TARVO-ZEPHA2-PRO-24"
            << "TARVO TARVO-ZEPHA2-PRO-24"
            << "zepha2/" << true;
        QTest::newRow("LM270") << true << false << false << modelAnswer("LM270") << true << "LM270"
                               << "Tarvo Meridian Edition Wheel"
                               << "lm270/" << true;
        QTest::newRow("UTF-8 text") << true << false << false << modelAnswer("QLN5 \xC3\xA9") << true
                                    << QString::fromUtf8("QLN5 \xC3\xA9") << QString::fromUtf8("TARVO QLN5 \xC3\xA9")
                                    << "qln5/" << false;
        QTest::newRow("empty text") << true << false << false << modelAnswer(QByteArray(1, '\0')) << true << ""
                                    << "TARVO "
                                    << "" << false;
    }

    void identify()
    {
        QFETCH(bool, device);
        QFETCH(bool, failSends);
        QFETCH(bool, failGets);
        QFETCH(QByteArray, answer);
        QFETCH(bool, laidOut);
        QFETCH(QString, modelName);
        QFETCH(QString, header);
        QFETCH(QString, folder);
        QFETCH(bool, battery);

        freshWindow();
        if (device)
            QVERIFY(connectWheel());
        wheel.modelAnswer = answer;
        wheel.failSends = failSends;
        wheel.failGets = failGets;
        MainWindowProbe::modelName(*window) = QStringLiteral("before");
        MainWindowProbe::upgradeBaseUrl(*window) = QStringLiteral("before");
        MainWindowProbe::hasBattery(*window) = false;
        const QString waitingHeader = ui->lbHead->text();

        MainWindowProbe::identifyModel(*window);

        if (device) {
            QVERIFY(!wheel.sent.isEmpty());
            QCOMPARE(wheel.sent.first(), queryBytes(0x0D));
        } else {
            QVERIFY(wheel.sent.isEmpty());
        }
        if (!laidOut) {
            QCOMPARE(MainWindowProbe::modelName(*window), QStringLiteral("before"));
            QCOMPARE(ui->lbHead->text(), waitingHeader);
            QCOMPARE(ui->lbMain->styleSheet(), kWaitingPicture);
            QVERIFY(!ui->pbS1->isEnabled());
            QVERIFY(ui->lbEnc->isHidden());
            QCOMPARE(MainWindowProbe::upgradeBaseUrl(*window), QStringLiteral("before"));
            QCOMPARE(wheel.sent.size(), device ? 1 : 0);
            return;
        }
        QCOMPARE(MainWindowProbe::modelName(*window), modelName);
        QCOMPARE(ui->lbHead->text(), header);
        QVERIFY(ui->pbS1->isEnabled());
        QCOMPARE(MainWindowProbe::upgradeBaseUrl(*window),
                 folder.isEmpty() ? QStringLiteral("before") : kBase + QStringLiteral("upgrade/") + folder);
        QCOMPARE(MainWindowProbe::hasBattery(*window), battery);
    }
};

QTEST_MAIN(TestModelSetup)
#include "tst_modelsetup.moc"
