// The four-state bite-point encoder of 1.15 and 1.14: a turn, then a save button on the wheel.
#include "app/messagebox.h"
#include "support/wheelwindow.h"
#include "ui_mainwindow.h"

#include <QTest>

using tarvo::Release;

namespace {

// Presses and releases one input; the release is what counts.
void tap(WheelWindow& w, int input)
{
    w.feed(inputReport({input}));
    w.feed(inputReport({}));
}

QStringList storedKeys()
{
    QStringList keys = Preferences().allKeys();
    keys.sort();
    return keys;
}

QList<QByteArray> paddleFrames(VirtualWheel& wheel)
{
    QList<QByteArray> frames;
    for (const VirtualWheel::Received& r : wheel.received()) {
        if (r.bytes.startsWith(QByteArray::fromHex("020a")) || r.bytes.startsWith(QByteArray::fromHex("020c08")))
            frames.append(r.bytes.left(4));
    }
    return frames;
}

} // namespace

class TestEarlierEncoder : public QObject
{
    Q_OBJECT

private slots:
    void init() { Preferences().clear(); }
    void binding_data();
    void binding();
    void halfMadeBindingLost();
};

void TestEarlierEncoder::binding_data()
{
    QTest::addColumn<int>("release");
    QTest::addColumn<QStringList>("texts"); // states 0 to 3
    QTest::addColumn<bool>("kept");

    QTest::newRow("1.15") << int(Release::V115)
                          << QStringList{"ASSIGN ROTARY ENCODER", "ROTATE ONE ENCODER TO BIND BITEPOINT",
                                         "PRESS ONE BUTTON TO BIND SAVE BITEPOINT", "CLEAR BIND ENCODER/BITEPOINT"}
                          << true;
    QTest::newRow("1.14s") << int(Release::V114S)
                           << QStringList{"ASSIGN ROTARY ENCODER", "ROTATE ONE ENCODER TO BIND BITPOINT",
                                          "PRESS ONE BUTTON TO BIND SAVE BITPOINT", "CLEAR BIND ENCODER/BITPOINT"}
                           << true;
    QTest::newRow("1.14n") << int(Release::V114N)
                           << QStringList{"ASSIGN ROTARY ENCODER", "ROTATE ONE ENCODER TO BIND BITPOINT",
                                          "PRESS ONE BUTTON TO BIND SAVE VALUE", "CLEAR BIND ENCODER/BITPOINT"}
                           << false;
}

void TestEarlierEncoder::binding()
{
    QFETCH(int, release);
    QFETCH(QStringList, texts);
    QFETCH(bool, kept);
    const QStringList keys = {"R-VELO_BUTTON", "R-VELO_ENCODER1", "R-VELO_ENCODER2"};
    {
        WheelWindow w(Release(release), QStringLiteral("R-VELO"));
        QVERIFY(w.waitConnected());
        QPushButton* encoder = w.ui()->pbEncoder;
        QCOMPARE(encoder->text(), texts[0]);
        encoder->click();
        encoder->click(); // a second click keeps waiting
        QCOMPARE(encoder->text(), texts[1]);
        QVERIFY(encoder->isChecked());
        tap(w, 1); // not an encoder
        QCOMPARE(encoder->text(), texts[1]);
        tap(w, 4); // first member of the pair (4, 5)
        QCOMPARE(encoder->text(), texts[2]);
        QVERIFY(encoder->isChecked());
        QCOMPARE(storedKeys(), QStringList());
        tap(w, 5); // an encoder input is no save button
        QCOMPARE(encoder->text(), texts[2]);
        tap(w, 0);
        QCOMPARE(encoder->text(), texts[3]);
        QVERIFY(!encoder->isChecked());
        QCOMPARE(storedKeys(), kept ? keys : QStringList());

        // The first member raises, the second lowers; each step goes live.
        w.ui()->rbPadL->setChecked(true);
        w.ui()->hsBite->setValue(50);
        w.ui()->hsBite->setStatusTip(QStringLiteral("50"));
        w.wheel.clearReceived();
        tap(w, 4);
        tap(w, 4);
        tap(w, 5);
        QCOMPARE(w.ui()->hsBite->value(), 51);
        QCOMPARE(paddleFrames(w.wheel),
                 (QList<QByteArray>{QByteArray::fromHex("020a3300"), QByteArray::fromHex("020a3400"),
                                    QByteArray::fromHex("020a3300")}));
        // The wheel's save button saves the page: no switch frame, no message.
        w.wheel.clearReceived();
        MessageBox::clearShown();
        tap(w, 0);
        QCOMPARE(paddleFrames(w.wheel), QList<QByteArray>{QByteArray::fromHex("020a33ef")});
        QVERIFY(MessageBox::shown().isEmpty());

        // A new connection (a replug, a reopen after a flash) keeps the binding.
        QMetaObject::invokeMethod(w.window.get(), "onInit", Qt::DirectConnection);
        QVERIFY(w.waitConnected());
        QCOMPARE(encoder->text(), texts[3]);
    }
    {
        WheelWindow again(Release(release), QStringLiteral("R-VELO"));
        QVERIFY(again.waitConnected());
        QCOMPARE(again.ui()->pbEncoder->text(), kept ? texts[3] : texts[0]);
        if (kept) {
            again.ui()->pbEncoder->click();
            QCOMPARE(again.ui()->pbEncoder->text(), texts[0]);
            QCOMPARE(storedKeys(), QStringList());
        }
    }
}

void TestEarlierEncoder::halfMadeBindingLost()
{
    {
        WheelWindow w(Release::V115, QStringLiteral("R-VELO"));
        QVERIFY(w.waitConnected());
        w.ui()->pbEncoder->click();
        tap(w, 4);
        QCOMPARE(w.ui()->pbEncoder->text(), QStringLiteral("PRESS ONE BUTTON TO BIND SAVE BITEPOINT"));
    }
    QCOMPARE(storedKeys(), QStringList());
    WheelWindow again(Release::V115, QStringLiteral("R-VELO"));
    QVERIFY(again.waitConnected());
    QCOMPARE(again.ui()->pbEncoder->text(), QStringLiteral("ASSIGN ROTARY ENCODER"));
}

QTEST_MAIN(TestEarlierEncoder)
#include "tst_earlierencoder.moc"
