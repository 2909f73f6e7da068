// The per-model placement tables: which widgets each model places, where, and that they fit.
#include "settings/modellayouts.h"
#include "settings/modeltable.h"

#include <QFile>
#include <QHash>
#include <QRect>
#include <QSet>
#include <QStringList>
#include <QXmlStreamReader>
#include <QtTest>

using tarvo::LedKind;

namespace {

const QRect kPicture(tarvo::kPicture.x, tarvo::kPicture.y, tarvo::kPicture.width, tarvo::kPicture.height);

// The 50 live input indicators, in input order.
const QStringList kAllIndicators = {
    "pbIB1",   "pbISW1", "pbID5L",  "pbID5R", "pbID1L", "pbID1R", "pbIB2",  "pbIB6",  "pbJsL1", "pbJsL2",
    "pbJsL3",  "pbJsL4", "pbJsLC",  "pbJsLL", "pbJsLR", "pbIB5",  "pbID7L", "pbID7R", "pbID3L", "pbID3R",
    "pbIB3",   "pbIB4",  "pbIBarR", "pbSWL",  "pbID8L", "pbID8R", "pbID4L", "pbID4R", "pbIB11", "pbIB12",
    "pbIBarL", "pbSWR",  "pbIB9",   "pbISW2", "pbID6L", "pbID6R", "pbID2L", "pbID2R", "pbIB10", "pbIB13",
    "pbJsR1",  "pbJsR2", "pbJsR3",  "pbJsR4", "pbJsRC", "pbJsRL", "pbJsRR", "pbIB14", "pbIExR", "pbIExL"};

QStringList range(const QString& prefix, int from, int to)
{
    QStringList names;
    for (int i = from; i <= to; ++i)
        names << prefix + QString::number(i);
    return names;
}

QStringList allExcept(const QStringList& excluded)
{
    QStringList names;
    for (const QString& name : kAllIndicators) {
        if (!excluded.contains(name))
            names << name;
    }
    return names;
}

const QStringList kNotOnRVelo = {"pbISW1", "pbISW2", "pbIBarL", "pbIBarR", "pbIExL", "pbIExR"};
const QStringList kRVeloLeds =
    range("pbB", 1, 6) + range("pbB", 9, 14) + QStringList{"pbD13", "pbD23", "pbD16", "pbD26", "pbD3", "pbD4"};

QStringList sorted(QStringList names)
{
    names.sort();
    return names;
}

QStringList indicatorNames(const tarvo::ModelLayout& layout)
{
    QStringList names;
    for (const tarvo::WidgetPlacement& w : layout.indicators)
        names << QString::fromLatin1(w.name);
    return names;
}

QStringList ledNames(const tarvo::ModelLayout& layout, LedKind kind)
{
    QStringList names;
    for (const tarvo::LedPlacement& led : layout.leds) {
        if (led.kind == kind)
            names << QString::fromLatin1(led.name);
    }
    return names;
}

QRect rectOf(const tarvo::WidgetPlacement& w)
{
    const tarvo::WidgetSize size = tarvo::placedSize(w);
    return QRect(w.x, w.y, size.width, size.height);
}

QRect rectOf(const tarvo::LedPlacement& led)
{
    const tarvo::WidgetSize size = tarvo::placedSize(led);
    return QRect(led.x, led.y, size.width, size.height);
}

// Indicators that belong to one physical control: an encoder's two directions, a stick's seven inputs.
QString controlOf(const QString& indicator)
{
    if (indicator.startsWith("pbID"))
        return indicator.left(indicator.size() - 1);
    if (indicator.startsWith("pbJs"))
        return indicator.left(5);
    return indicator;
}

const tarvo::ModelInfo* modelInfo(const QString& key)
{
    for (const tarvo::ModelInfo& model : tarvo::kModels) {
        if (key == QLatin1String(model.key))
            return &model;
    }
    return nullptr;
}

void addModelRows()
{
    QTest::addColumn<QString>("key");
    for (const tarvo::ModelLayout& layout : tarvo::modelLayouts())
        QTest::newRow(layout.key) << QString::fromLatin1(layout.key);
}

const tarvo::ModelLayout& layoutOf(const QString& key)
{
    const tarvo::ModelLayout* layout = tarvo::modelLayout(key.toStdString());
    if (!layout)
        qFatal("no layout for %s", qPrintable(key));
    return *layout;
}

} // namespace

class TestLayouts : public QObject
{
    Q_OBJECT

private slots:
    void lookup_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("imageKey");
        QTest::addColumn<int>("position");
        QTest::newRow("R-VELO") << "R-VELO"
                                << "rvelo" << 0;
        QTest::newRow("QLN5") << "QLN5"
                              << "qln5" << 1;
        QTest::newRow("V-KERN") << "V-KERN"
                                << "vkern" << 2;
        QTest::newRow("LM270") << "LM270"
                               << "lm270" << 3;
        QTest::newRow("ZEPHA2") << "ZEPHA2"
                                << "zepha2" << 4;
        QTest::newRow("ORBIX") << "ORBIX"
                               << "orbix" << 5;
        QTest::newRow("KTR2") << "KTR2"
                              << "ktr2" << 6;
        QTest::newRow("lower case") << "r-velo"
                                    << "" << -1;
        QTest::newRow("with suffix") << "R-VELO Pro"
                                     << "" << -1;
        QTest::newRow("empty") << ""
                               << "" << -1;
    }
    void lookup()
    {
        QFETCH(QString, key);
        QFETCH(QString, imageKey);
        QFETCH(int, position);
        const tarvo::ModelLayout* layout = tarvo::modelLayout(key.toStdString());
        if (position < 0) {
            QVERIFY(!layout);
            return;
        }
        QVERIFY(layout);
        QCOMPARE(layout, &tarvo::modelLayouts()[std::size_t(position)]);
        QCOMPARE(QString::fromLatin1(layout->key), key);
        QCOMPARE(QString::fromLatin1(layout->imageKey), imageKey);
    }

    // Exactly the widgets each model places, with each LED button's kind.
    void placedSets_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QStringList>("indicators");
        QTest::addColumn<QStringList>("whiteDots");
        QTest::addColumn<QStringList>("whiteSquares");
        QTest::addColumn<QStringList>("plain");
        const QStringList strip = range("pbT", 1, 11);
        QTest::newRow("R-VELO") << "R-VELO" << allExcept(kNotOnRVelo) << kRVeloLeds << QStringList() << QStringList();
        QTest::newRow("QLN5") << "QLN5" << allExcept(kNotOnRVelo) << kRVeloLeds
                              << range("pbTL", 1, 3) + range("pbTR", 1, 3) + strip << QStringList();
        QTest::newRow("V-KERN") << "V-KERN"
                                << allExcept(kNotOnRVelo
                                             + QStringList{"pbID1L", "pbID1R", "pbID2L", "pbID2R", "pbID5L", "pbID5R",
                                                           "pbID6L", "pbID6R"})
                                << QStringList() << QStringList() << QStringList();
        QTest::newRow("LM270") << "LM270"
                               << allExcept({"pbIB3", "pbIB4", "pbIB11", "pbIB12", "pbID3L", "pbID3R", "pbID4L",
                                             "pbID4R", "pbSWL", "pbSWR", "pbIBarL", "pbIBarR", "pbIExL", "pbIExR"})
                               << QStringList{"pbB1",  "pbB2",  "pbB4",  "pbB5",  "pbB6", "pbB9",
                                              "pbB10", "pbB12", "pbB13", "pbB14", "pbT3", "pbT9",
                                              "pbD13", "pbD23", "pbD16", "pbD26", "pbD3", "pbD4"}
                               << QStringList() << QStringList();
        QTest::newRow("ZEPHA2") << "ZEPHA2"
                                << allExcept({"pbIB3",  "pbIB4",  "pbIB5",   "pbIB11",  "pbIB12", "pbIB14", "pbID3L",
                                              "pbID3R", "pbID4L", "pbID4R",  "pbID7L",  "pbID7R", "pbID8L", "pbID8R",
                                              "pbSWL",  "pbSWR",  "pbIBarL", "pbIBarR", "pbIExL", "pbIExR"})
                                << QStringList{"pbB1",  "pbB2",  "pbB4",  "pbB6",  "pbB9",  "pbB10", "pbB11",
                                               "pbB12", "pbB14", "pbD13", "pbD23", "pbD16", "pbD26"}
                                << QStringList() << QStringList();
        QTest::newRow("ORBIX") << "ORBIX" << allExcept({"pbIBarL", "pbIBarR", "pbIExL", "pbIExR"}) << QStringList()
                               << QStringList()
                               << range("pbB", 1, 6) + range("pbB", 9, 14)
                + QStringList{"pbD13", "pbD23", "pbD16", "pbD26", "pbTL1", "pbTL2", "pbTR1", "pbTR2"} + strip;
        QTest::newRow("KTR2") << "KTR2"
                              << allExcept({"pbISW1", "pbISW2", "pbIB3", "pbIB11", "pbID4L", "pbID4R", "pbIBarL",
                                            "pbIBarR", "pbIExL", "pbIExR"})
                              << QStringList{"pbB1",  "pbB2",  "pbB4",  "pbB5",  "pbB6",  "pbB9", "pbB10",
                                             "pbB12", "pbB13", "pbB14", "pbD16", "pbD26", "pbTL1"}
                              << QStringList{"pbB3", "pbB11", "pbD13", "pbD23", "pbD3",
                                             "pbD4", "pbTL2", "pbTL3", "pbTR2", "pbTR3"}
                + strip << QStringList();
    }
    void placedSets()
    {
        QFETCH(QString, key);
        QFETCH(QStringList, indicators);
        QFETCH(QStringList, whiteDots);
        QFETCH(QStringList, whiteSquares);
        QFETCH(QStringList, plain);
        const tarvo::ModelLayout& layout = layoutOf(key);
        QCOMPARE(sorted(indicatorNames(layout)), sorted(indicators));
        QCOMPARE(sorted(ledNames(layout, LedKind::WhiteDot)), sorted(whiteDots));
        QCOMPARE(sorted(ledNames(layout, LedKind::WhiteSquare)), sorted(whiteSquares));
        QCOMPARE(sorted(ledNames(layout, LedKind::Plain)), sorted(plain));
        QCOMPARE(int(layout.leds.size()), whiteDots.size() + whiteSquares.size() + plain.size());
    }

    void indicatorCounts_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("count");
        QTest::newRow("R-VELO") << "R-VELO" << 44;
        QTest::newRow("QLN5") << "QLN5" << 44;
        QTest::newRow("V-KERN") << "V-KERN" << 36;
        QTest::newRow("LM270") << "LM270" << 36;
        QTest::newRow("ZEPHA2") << "ZEPHA2" << 30;
        QTest::newRow("ORBIX") << "ORBIX" << 46;
        QTest::newRow("KTR2") << "KTR2" << 40;
    }
    void indicatorCounts()
    {
        QFETCH(QString, key);
        QFETCH(int, count);
        QCOMPARE(int(layoutOf(key).indicators.size()), count);
    }

    void uniqueNames_data() { addModelRows(); }
    void uniqueNames()
    {
        QFETCH(QString, key);
        const tarvo::ModelLayout& layout = layoutOf(key);
        const QStringList indicators = indicatorNames(layout);
        QCOMPARE(QSet<QString>(indicators.begin(), indicators.end()).size(), indicators.size());
        QStringList leds;
        for (const tarvo::LedPlacement& led : layout.leds)
            leds << QString::fromLatin1(led.name);
        QCOMPARE(QSet<QString>(leds.begin(), leds.end()).size(), leds.size());
    }

    // The worked example, as the wheel's maker placed it.
    void rVeloPositions_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        const QList<std::tuple<const char*, int, int>> rows = {
            {"pbSWL", 192, 37},   {"pbSWR", 546, 37},   {"pbIB1", 149, 35},   {"pbIB2", 210, 66},
            {"pbIB3", 237, 140},  {"pbIB4", 266, 222},  {"pbIB5", 241, 272},  {"pbIB6", 226, 321},
            {"pbIB9", 590, 35},   {"pbIB10", 528, 66},  {"pbIB11", 500, 140}, {"pbIB12", 472, 222},
            {"pbIB13", 512, 321}, {"pbIB14", 497, 272}, {"pbID1L", 299, 122}, {"pbID1R", 299, 122},
            {"pbID2L", 436, 122}, {"pbID2R", 436, 122}, {"pbID3L", 299, 279}, {"pbID3R", 299, 279},
            {"pbID4L", 437, 279}, {"pbID4R", 437, 279}, {"pbID5L", 110, 70},  {"pbID5R", 110, 70},
            {"pbID6L", 625, 70},  {"pbID6R", 625, 70},  {"pbID7L", 200, 110}, {"pbID7R", 200, 110},
            {"pbID8L", 540, 110}, {"pbID8R", 540, 110}, {"pbJsL1", 214, 195}, {"pbJsL2", 214, 195},
            {"pbJsL3", 214, 195}, {"pbJsL4", 214, 195}, {"pbJsLC", 214, 195}, {"pbJsLL", 214, 195},
            {"pbJsLR", 214, 195}, {"pbJsR1", 523, 195}, {"pbJsR2", 523, 195}, {"pbJsR3", 523, 195},
            {"pbJsR4", 523, 195}, {"pbJsRC", 523, 195}, {"pbJsRL", 523, 195}, {"pbJsRR", 523, 195},
            {"pbB1", 149, 35},    {"pbB2", 210, 66},    {"pbB3", 237, 140},   {"pbB4", 266, 222},
            {"pbB5", 241, 272},   {"pbB6", 226, 321},   {"pbB9", 590, 35},    {"pbB10", 528, 66},
            {"pbB11", 500, 140},  {"pbB12", 472, 222},  {"pbB13", 497, 272},  {"pbB14", 512, 321},
            {"pbD13", 299, 122},  {"pbD23", 436, 122},  {"pbD16", 299, 279},  {"pbD26", 437, 279},
            {"pbD3", 200, 110},   {"pbD4", 540, 110}};
        for (const auto& [name, x, y] : rows)
            QTest::newRow(name) << QString::fromLatin1(name) << x << y;
    }
    void rVeloPositions()
    {
        QFETCH(QString, name);
        QFETCH(int, x);
        QFETCH(int, y);
        const tarvo::ModelLayout& layout = layoutOf("R-VELO");
        int found = 0;
        for (const tarvo::WidgetPlacement& w : layout.indicators) {
            if (name == QLatin1String(w.name)) {
                QCOMPARE(QPoint(w.x, w.y), QPoint(x, y));
                ++found;
            }
        }
        for (const tarvo::LedPlacement& led : layout.leds) {
            if (name == QLatin1String(led.name)) {
                QCOMPARE(QPoint(led.x, led.y), QPoint(x, y));
                ++found;
            }
        }
        QCOMPARE(found, 1);
    }

    // Both directions of an encoder share one spot, and so do the seven inputs of a stick.
    void groupsShareOnePosition_data() { addModelRows(); }
    void groupsShareOnePosition()
    {
        QFETCH(QString, key);
        QHash<QString, QPoint> spotOf;
        for (const tarvo::WidgetPlacement& w : layoutOf(key).indicators) {
            const QString control = controlOf(QString::fromLatin1(w.name));
            const QPoint at(w.x, w.y);
            if (spotOf.contains(control))
                QVERIFY2(spotOf.value(control) == at, w.name);
            spotOf.insert(control, at);
        }
    }

    // A half-placed group would leave one input with no place to light.
    void groupsComplete_data() { addModelRows(); }
    void groupsComplete()
    {
        QFETCH(QString, key);
        QHash<QString, int> members;
        for (const tarvo::WidgetPlacement& w : layoutOf(key).indicators)
            ++members[controlOf(QString::fromLatin1(w.name))];
        for (auto it = members.cbegin(); it != members.cend(); ++it) {
            const int expected = it.key().startsWith("pbJs") ? 7 : it.key().startsWith("pbID") ? 2 : 1;
            QVERIFY2(it.value() == expected, qPrintable(it.key()));
        }
    }

    void insidePicture_data() { addModelRows(); }
    void insidePicture()
    {
        QFETCH(QString, key);
        const tarvo::ModelLayout& layout = layoutOf(key);
        for (const tarvo::WidgetPlacement& w : layout.indicators)
            QVERIFY2(kPicture.contains(rectOf(w)), w.name);
        for (const tarvo::LedPlacement& led : layout.leds)
            QVERIFY2(kPicture.contains(rectOf(led)), led.name);
    }

    // Two controls never cover each other. An LED may sit on an indicator only when it is that
    // button's or dial's light: same family, same centre.
    void noOverlaps_data() { addModelRows(); }
    void noOverlaps()
    {
        QFETCH(QString, key);
        const tarvo::ModelLayout& layout = layoutOf(key);
        for (const tarvo::WidgetPlacement& a : layout.indicators) {
            for (const tarvo::WidgetPlacement& b : layout.indicators) {
                if (&a == &b || controlOf(a.name) == controlOf(b.name))
                    continue;
                QVERIFY2(!rectOf(a).intersects(rectOf(b)), qPrintable(QString("%1 / %2").arg(a.name, b.name)));
            }
        }
        for (const tarvo::LedPlacement& a : layout.leds) {
            for (const tarvo::LedPlacement& b : layout.leds) {
                if (&a != &b)
                    QVERIFY2(!rectOf(a).intersects(rectOf(b)), qPrintable(QString("%1 / %2").arg(a.name, b.name)));
            }
        }
        for (const tarvo::LedPlacement& led : layout.leds) {
            for (const tarvo::WidgetPlacement& w : layout.indicators) {
                if (!rectOf(led).intersects(rectOf(w)))
                    continue;
                const QString ledName = QString::fromLatin1(led.name);
                const QString family = ledName.startsWith("pbB") ? "pbIB" : ledName.startsWith("pbD") ? "pbID" : "";
                const QString what = QString("%1 / %2").arg(led.name, w.name);
                QVERIFY2(!family.isEmpty() && QString::fromLatin1(w.name).startsWith(family), qPrintable(what));
                const QPoint offset = rectOf(led).center() - rectOf(w).center();
                QVERIFY2(offset.manhattanLength() <= 2, qPrintable(what));
            }
        }
    }

    // The other widgets the window puts on the picture: the encoder-pulse read-out, the clutch
    // bars with their calibrate buttons and the save buttons on both pages, and the lamps on the
    // LED page. No placed indicator or LED button may hide under them.
    void clearOfPageWidgets_data() { addModelRows(); }
    void clearOfPageWidgets()
    {
        QFETCH(QString, key);
        const tarvo::ModelLayout& layout = layoutOf(key);
        const tarvo::ModelInfo* model = modelInfo(key);
        QVERIFY(model);
        const QRect save(300, 369, 161, 31);
        QList<QRect> inputsPage = {QRect(290, model->encoderPulseY[0], 181, 21),
                                   QRect(309, model->encoderPulseY[1], 141, 22),
                                   QRect(330, model->encoderPulseY[2], 100, 21), save};
        if (model->clutchAxes == tarvo::ClutchAxes::Shown) {
            const tarvo::ClutchAxesPositions& a = model->clutchAxesAt;
            inputsPage << QRect(a.adcL.x, a.adcL.y, 101, 10) << QRect(a.calL.x, a.calL.y, 60, 15)
                       << QRect(a.adcR.x, a.adcR.y, 101, 10) << QRect(a.calR.x, a.calR.y, 60, 15);
        }
        QList<QRect> ledPage = {save};
        if (model->auxLamps != tarvo::AuxLampsRule::Never) {
            for (const tarvo::Point& lamp : model->lampsAt)
                ledPage << QRect(lamp.x, lamp.y, 25, 25);
        }
        for (const tarvo::WidgetPlacement& w : layout.indicators) {
            for (const QRect& other : inputsPage)
                QVERIFY2(!rectOf(w).intersects(other), w.name);
        }
        for (const tarvo::LedPlacement& led : layout.leds) {
            for (const QRect& other : ledPage)
                QVERIFY2(!rectOf(led).intersects(other), led.name);
        }
    }

    // The size table must follow the form, or the fit checks above check the wrong rectangles.
    void formSizesMatchTheForm()
    {
        QFile ui(qEnvironmentVariable("TARVO_SOURCE_DIR") + "/app/mainwindow.ui");
        QVERIFY2(ui.open(QIODevice::ReadOnly), qPrintable(ui.fileName()));
        QHash<QString, QSize> formSizes;
        QXmlStreamReader xml(&ui);
        QStringList widgets;
        QString property;
        QSize size;
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement()) {
                if (xml.name() == QLatin1String("widget")) {
                    widgets << xml.attributes().value("name").toString();
                } else if (xml.name() == QLatin1String("property")) {
                    property = xml.attributes().value("name").toString();
                } else if (property == QLatin1String("geometry") && xml.name() == QLatin1String("width")) {
                    size.setWidth(xml.readElementText().toInt());
                } else if (property == QLatin1String("geometry") && xml.name() == QLatin1String("height")) {
                    size.setHeight(xml.readElementText().toInt());
                    if (!widgets.isEmpty() && !formSizes.contains(widgets.last()))
                        formSizes.insert(widgets.last(), size);
                }
            } else if (xml.isEndElement()) {
                if (xml.name() == QLatin1String("widget"))
                    widgets.removeLast();
                else if (xml.name() == QLatin1String("property"))
                    property.clear();
            }
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QStringList names = kAllIndicators + range("pbB", 1, 6) + range("pbB", 9, 14) + range("pbT", 1, 11)
            + range("pbTL", 1, 3) + range("pbTR", 1, 3)
            + QStringList{"pbD3", "pbD4", "pbD13", "pbD16", "pbD23", "pbD26", "pbXL", "pbXR"};
        for (const QString& name : names) {
            QVERIFY2(formSizes.contains(name), qPrintable(name));
            const tarvo::WidgetSize mine = tarvo::formSize(name.toStdString());
            QCOMPARE(QSize(mine.width, mine.height), formSizes.value(name));
        }
        const tarvo::WidgetSize unknown = tarvo::formSize("pbNoSuchButton");
        QCOMPARE(QSize(unknown.width, unknown.height), QSize(0, 0));
    }

    void ledSizes_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QSize>("size");
        QTest::newRow("white dot") << "pbB3" << int(LedKind::WhiteDot) << QSize(24, 24);
        QTest::newRow("white square on a dial LED") << "pbD13" << int(LedKind::WhiteSquare) << QSize(12, 12);
        QTest::newRow("plain keeps the form's") << "pbD13" << int(LedKind::Plain) << QSize(26, 25);
        QTest::newRow("plain strip LED") << "pbT4" << int(LedKind::Plain) << QSize(12, 12);
    }
    void ledSizes()
    {
        QFETCH(QString, name);
        QFETCH(int, kind);
        QFETCH(QSize, size);
        const QByteArray latin = name.toLatin1();
        const tarvo::LedPlacement led{latin.constData(), 0, 0, LedKind(kind)};
        const tarvo::WidgetSize placed = tarvo::placedSize(led);
        QCOMPARE(QSize(placed.width, placed.height), size);
    }
};

QTEST_GUILESS_MAIN(TestLayouts)
#include "tst_layouts.moc"
