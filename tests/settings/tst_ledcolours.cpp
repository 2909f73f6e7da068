// The LED page against the virtual wheel: colours kept in the buttons' style sheets, the
// per-model slot tables in both directions, and picks, presets and saves seen on the wheel.
#include "app/colordialog.h"
#include "settings/ledslottables.h"
#include "support/messageboxes.h"
#include "support/wheelwindow.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QtTest>

namespace {

QPushButton* button(WheelWindow& w, const QString& name)
{
    return w.ui()->page2->findChild<QPushButton*>(name, Qt::FindDirectChildrenOnly);
}

QList<QPushButton*> ledButtons(WheelWindow& w)
{
    QList<QPushButton*> buttons;
    for (QPushButton* b : w.ui()->page2->findChildren<QPushButton*>(QString(), Qt::FindDirectChildrenOnly)) {
        const QString n = b->objectName();
        if (!n.startsWith(QLatin1String("pbS")) && n != QLatin1String("pbSave"))
            buttons << b;
    }
    return buttons;
}

void paintAll(WheelWindow& w, const QColor& colour)
{
    for (QPushButton* b : ledButtons(w))
        MainWindowProbe::setLedButtonColour(*w.window, b, colour);
}

QColor colourOf(WheelWindow& w, const QString& name)
{
    return MainWindowProbe::ledButtonColour(*w.window, button(w, name), tarvo::ChannelOrder::Rgb);
}

QColor slotOf(WheelWindow& w, const char* copy, int slot)
{
    const QJsonArray leds = w.wheel.state()[QLatin1String(copy)].toObject()[QLatin1String("leds")].toArray();
    return QColor(leds[3 * slot].toInt(), leds[3 * slot + 1].toInt(), leds[3 * slot + 2].toInt());
}

// "25:39,17,28 45:17,28,39" -> slot -> levels
QMap<int, QColor> slotMap(const QString& text)
{
    QMap<int, QColor> fed;
    for (const QString& item : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QStringList l = item.section(QLatin1Char(':'), 1).split(QLatin1Char(','));
        fed.insert(item.section(QLatin1Char(':'), 0, 0).toInt(), QColor(l[0].toInt(), l[1].toInt(), l[2].toInt()));
    }
    return fed;
}

QList<QByteArray> sentOf(WheelWindow& w, VirtualWheel::Received::Kind kind)
{
    QList<QByteArray> frames;
    for (const VirtualWheel::Received& r : w.wheel.received())
        if (r.kind == kind)
            frames << r.bytes;
    return frames;
}

const auto kFeature = VirtualWheel::Received::Kind::SendFeature;
const auto kWrite = VirtualWheel::Received::Kind::Write;

QByteArray hexFrame(const char* hex)
{
    QByteArray frame = QByteArray::fromHex(hex);
    frame.append(20 - frame.size(), '\0');
    return frame;
}

} // namespace

class TestLedColours : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        MessageBox::clearShown();
        ColorDialog::clearAsked();
    }

    // Reading a style sheet's colour, then writing (10, 20, 30, 40) into it.
    void styleSheetColour_data()
    {
        QTest::addColumn<QString>("style");
        QTest::addColumn<QColor>("read");
        QTest::addColumn<QString>("written");

        QTest::newRow("form style") << "QPushButton {\n\tborder-radius: 12px;\n\tbackground-color:  rgb(255,255,255);"
                                       "\n\tborder: 1px solid white;\n}"
                                    << QColor(255, 255, 255)
                                    << "QPushButton {\n\tborder-radius: 12px;\n\tbackground-color:rgb(10,20,30);  "
                                       "\n\tborder: 1px solid white;\n}";
        const QString written = QStringLiteral("background-color:rgb(10,20,30); ");
        QTest::newRow("spaces") << "background-color: rgb( 1 , 2,3 );" << QColor(1, 2, 3) << written;
        QTest::newRow("not a number") << "background-color: rgb(x,2,3);" << QColor(0, 2, 3) << written;
        QTest::newRow("missing part") << "background-color: rgb(7,8);" << QColor(7, 8, 0) << written;
        QTest::newRow("out of range") << "background-color: rgb(-1,8,256);" << QColor() << written;
        QTest::newRow("no colour") << "border: 1px solid white;" << QColor()
                                   << "border: 1px solid white;background-color:rgb(10,20,30);";
    }

    void styleSheetColour()
    {
        QFETCH(QString, style);
        QFETCH(QColor, read);
        QFETCH(QString, written);
        WheelWindow w(QStringLiteral("R-VELO"));
        w.ui()->pbB1->setStyleSheet(style);
        QCOMPARE(colourOf(w, "pbB1"), read);
        MainWindowProbe::setLedButtonColour(*w.window, w.ui()->pbB1, QColor(10, 20, 30, 40));
        QCOMPARE(w.ui()->pbB1->styleSheet(), written);
    }

    // Every button a table names is an LED button of the form.
    void tablesNameFormButtons()
    {
        WheelWindow w(QStringLiteral("R-VELO"));
        for (const auto* tables : {&tarvo::ledSendTables(), &tarvo::ledReadoutLists()}) {
            for (const tarvo::LedSlotTable& table : *tables) {
                for (const tarvo::LedSlot& slot : table)
                    QVERIFY2(ledButtons(w).contains(button(w, slot.button)), slot.button);
            }
        }
    }

    // One button painted (10, 20, 30), every other black: which slots carry it, and how.
    // (10, 20, 30) travels as the levels (17, 28, 39); slots past the table are white.
    void liveSend_data()
    {
        QTest::addColumn<QString>("target"); // model and painted button
        QTest::addColumn<int>("entries");
        QTest::addColumn<QString>("fed");
        QTest::addColumn<QByteArray>("lampFrame"); // empty: none sent

        const QByteArray blackLamps = hexFrame("021100");
        QTest::newRow("KTR2 pbD26 order 4, then straight")
            << "KTR2 pbD26" << 47 << "25:39,17,28 45:17,28,39" << blackLamps;
        QTest::newRow("KTR2 lamp") << "KTR2 pbXR" << 47 << "" << hexFrame("0211000000000a141e");
        QTest::newRow("ZEPHA2 pbD16, white past 25")
            << "ZEPHA2 pbD16" << 26 << "18:17,28,39 20:17,28,39 22:17,28,39 24:17,39,28" << blackLamps;
        QTest::newRow("LM270 pbB2") << "LM270 pbB2" << 43 << "2:17,28,39 4:17,28,39" << QByteArray();
        QTest::newRow("LM270 pbD13") << "LM270 pbD13" << 43
                                     << "12:17,28,39 14:17,28,39 16:17,28,39 22:17,28,39 26:17,39,28 27:17,39,28"
                                     << QByteArray();
        QTest::newRow("LM270 pbB1") << "LM270 pbB1" << 43 << "0:17,28,39 24:17,39,28" << QByteArray();
        QTest::newRow("QLN5 pbTR1") << "QLN5 pbTR1" << 43 << "42:17,28,39" << blackLamps;
        QTest::newRow("ORBIX lamp never sent") << "ORBIX pbXL" << 43 << "" << QByteArray();
        QTest::newRow("V-KERN all white") << "V-KERN pbB1" << 0 << "" << QByteArray();
    }

    void liveSend()
    {
        QFETCH(QString, target);
        QFETCH(int, entries);
        QFETCH(QString, fed);
        QFETCH(QByteArray, lampFrame);

        const QString model = target.section(QLatin1Char(' '), 0, 0);
        WheelWindow w(model);
        QVERIFY(w.waitConnected(model));
        paintAll(w, Qt::black);
        MainWindowProbe::setLedButtonColour(*w.window, button(w, target.section(QLatin1Char(' '), 1)),
                                            QColor(10, 20, 30));
        w.wheel.clearReceived();
        QVERIFY(MainWindowProbe::sendLedColours(*w.window, false));

        const QMap<int, QColor> expected = slotMap(fed);
        for (int slot = 0; slot < 48; ++slot) {
            const QColor want = expected.value(slot, slot < entries ? QColor(Qt::black) : QColor(Qt::white));
            QVERIFY2(slotOf(w, "live", slot) == want, qPrintable(QString::number(slot)));
        }
        QCOMPARE(sentOf(w, kFeature), lampFrame.isEmpty() ? QList<QByteArray>() : QList<QByteArray>{lampFrame});
        QCOMPARE(sentOf(w, kWrite).size(), 4);
    }

    // The wheel's slot levels set one at a time, every other slot black; which button shows them.
    void readout_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<int>("slot"); // -1: none set
        QTest::addColumn<QString>("name");
        QTest::addColumn<QColor>("shown"); // invalid: the button keeps its colour

        const QColor lit(255, 0, 9);
        QTest::newRow("ZEPHA2 24 exchanged") << "ZEPHA2" << 24 << "pbD16" << QColor(255, 9, 0);
        QTest::newRow("ZEPHA2 22 overwritten by 24") << "ZEPHA2" << 22 << "pbD16" << QColor(Qt::black);
        QTest::newRow("LM270 24 exchanged") << "LM270" << 24 << "pbB1" << QColor(255, 9, 0);
        QTest::newRow("LM270 4") << "LM270" << 4 << "pbB3" << lit;
        QTest::newRow("LM270 27") << "LM270" << 27 << "pbT2" << lit;
        QTest::newRow("LM270 36") << "LM270" << 36 << "pbT11" << lit;
        QTest::newRow("KTR2 25 overwritten by 45") << "KTR2" << 25 << "pbD26" << QColor(Qt::black);
        QTest::newRow("KTR2 45 straight") << "KTR2" << 45 << "pbD26" << lit;
        QTest::newRow("KTR2 46") << "KTR2" << 46 << "pbTL1" << lit;
        QTest::newRow("KTR2 pbTR1 untouched") << "KTR2" << -1 << "pbTR1" << QColor();
        QTest::newRow("KTR2 lamp") << "KTR2" << -1 << "pbXR" << QColor(70, 80, 90);
        QTest::newRow("R-VELO 42") << "R-VELO" << 42 << "pbTR1" << lit;
        QTest::newRow("ORBIX lamp untouched") << "ORBIX" << -1 << "pbXL" << QColor();
        QTest::newRow("V-KERN untouched") << "V-KERN" << 0 << "pbB1" << QColor();
    }

    void readout()
    {
        QFETCH(QString, model);
        QFETCH(int, slot);
        QFETCH(QString, name);
        QFETCH(QColor, shown);

        WheelWindow w(model);
        QVERIFY(w.waitConnected(model));
        for (int s = 0; s < 48; ++s)
            QVERIFY(w.wheel.setSetting("led", {QString::number(s), "0", "0", "0"}));
        if (slot >= 0)
            QVERIFY(w.wheel.setSetting("led", {QString::number(slot), "255", "0", "9"}));
        QVERIFY(w.wheel.setSetting("auxLamps", {"40", "50", "60", "70", "80", "90"}));
        const QColor before(1, 2, 3);
        paintAll(w, before);

        MainWindowProbe::readLedColours(*w.window);
        QCOMPARE(colourOf(w, name), shown.isValid() ? shown : before);
    }

    // The four block queries and the lamp query share one buffer, cleared once: each query
    // carries in bytes 4-19 what the previous answer left there (here the white image, all 0xff).
    void readoutQueriesShareOneBuffer()
    {
        WheelWindow w(QStringLiteral("KTR2"));
        QVERIFY(w.waitConnected("KTR2"));
        w.wheel.clearReceived();
        MainWindowProbe::readLedColours(*w.window);
        const QByteArray rest(16, char(0xff));
        QCOMPARE(sentOf(w, kFeature),
                 (QList<QByteArray>{hexFrame("020b0000"), QByteArray::fromHex("020b0100") + rest,
                                    QByteArray::fromHex("020b0200") + rest, QByteArray::fromHex("020b0300") + rest,
                                    QByteArray::fromHex("020b1100") + rest}));
    }

    // A pick is live, a save stores it, and the wheel reports it quantised after a reconnect.
    void pickThenSaveThenReconnect()
    {
        WheelWindow w(QStringLiteral("R-VELO"));
        QVERIFY(w.waitConnected("R-VELO"));
        w.wheel.clearReceived();
        ColorDialog::setNextColour(QColor(200, 100, 50));
        w.ui()->pbB1->click();

        QCOMPARE(ColorDialog::asked(), QList<QColor>{QColor(255, 255, 255)});
        QCOMPARE(colourOf(w, "pbB1"), QColor(200, 100, 50));
        QList<VirtualWheel::Received> got = w.wheel.received();
        QCOMPARE(got.size(), 5);
        QCOMPARE(got[0].bytes, hexFrame("021100ffffffffffff")); // lamps first, live
        // Codes 14, 9, 6 in slot 0; slot 1 (pbB9) white; blocks in the order 0, 1, 3, 2.
        QCOMPARE(got[1].bytes.left(4), QByteArray::fromHex("03009ef6"));
        for (int i = 1; i < 5; ++i)
            QCOMPARE(int(got[i].bytes[1]), QList<int>({0, 1, 3, 2})[i - 1]);
        QCOMPARE(slotOf(w, "live", 0), QColor(226, 106, 53));
        QCOMPARE(slotOf(w, "flash", 0), QColor(Qt::white));

        w.wheel.clearReceived();
        MessageBox::setNextAnswer(QMessageBox::Ok);
        w.ui()->pbSave->click();
        got = w.wheel.received();
        QCOMPARE(got.size(), 6);
        QCOMPARE(got.first().bytes, hexFrame("021100ffffffffffff").replace(2, 1, "\xef"));
        QCOMPARE(got.last().bytes, hexFrame("020e"));
        QCOMPARE(slotOf(w, "flash", 0), QColor(226, 106, 53));
        QCOMPARE(shownBoxes(), QStringList{"Success: LED colors saved."});

        w.wheel.unplug();
        QTRY_VERIFY_WITH_TIMEOUT(!deviceHandle.isOpen(), 10000);
        w.wheel.plug();
        QTRY_VERIFY_WITH_TIMEOUT(deviceHandle.isOpen() && w.ui()->pbS1->isEnabled(), 10000);
        QCOMPARE(colourOf(w, "pbB1"), QColor(226, 106, 53));
    }

    void cancelledPickSendsNothing()
    {
        WheelWindow w(QStringLiteral("R-VELO"));
        QVERIFY(w.waitConnected("R-VELO"));
        w.wheel.clearReceived();
        ColorDialog::setNextColour(QColor());
        w.ui()->pbB3->click();
        QCOMPARE(ColorDialog::asked().size(), 1);
        QVERIFY(w.wheel.received().isEmpty());
        QCOMPARE(colourOf(w, "pbB3"), QColor(Qt::white));
    }

    // R-VELO hides its top strip; a preset leaves those buttons, and their slots, as they were.
    void presetSkipsHiddenButtons()
    {
        WheelWindow w(QStringLiteral("R-VELO"));
        QVERIFY(w.waitConnected("R-VELO"));
        MainWindowProbe::setLedButtonColour(*w.window, w.ui()->pbT1, QColor(9, 17, 28));
        MainWindowProbe::setLedButtonColour(*w.window, w.ui()->pbTR1, QColor(39, 53, 69));
        w.wheel.clearReceived();
        w.ui()->pbSet3->click();

        QCOMPARE(colourOf(w, "pbB14"), QColor(255, 85, 0));
        QCOMPARE(colourOf(w, "pbXL"), QColor(255, 85, 0));
        QCOMPARE(colourOf(w, "pbT1"), QColor(9, 17, 28));
        QCOMPARE(slotOf(w, "live", 11), QColor(255, 86, 0));
        QCOMPARE(slotOf(w, "live", 26), QColor(9, 17, 28));
        QCOMPARE(slotOf(w, "live", 42), QColor(39, 53, 69));
        QCOMPARE(slotOf(w, "flash", 11), QColor(Qt::white));
        QCOMPARE(sentOf(w, kFeature), QList<QByteArray>{hexFrame("021100ff5500ff5500")});
    }

    void saveFailure_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("fault");

        QTest::newRow("lamp frame fails") << "R-VELO"
                                          << "fail-sends";
        QTest::newRow("commit fails") << "ORBIX"
                                      << "fail-sends";
        QTest::newRow("no wheel") << "R-VELO"
                                  << "unplug";
    }

    void saveFailure()
    {
        QFETCH(QString, model);
        QFETCH(QString, fault);
        WheelWindow w(model);
        QVERIFY(w.waitConnected(model));
        if (fault == QLatin1String("unplug")) {
            w.wheel.unplug();
            QTRY_VERIFY_WITH_TIMEOUT(!deviceHandle.isOpen(), 10000);
        } else {
            w.wheel.failSends(1);
        }
        MessageBox::setNextAnswer(QMessageBox::Ok);
        w.ui()->pbSave->click();
        QCOMPARE(shownBoxes(), QStringList{"Error: Can not save setting."});
        QCOMPARE(MessageBox::shown()[0].icon, QMessageBox::Critical);
    }
};

QTEST_MAIN(TestLedColours)
#include "tst_ledcolours.moc"
