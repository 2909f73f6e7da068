// Placing one widget: where it goes, whether it shows, and how each kind dresses it.
#include "settings/placement.h"

#include <QPushButton>
#include <QtTest>

class TestPlacement : public QObject
{
    Q_OBJECT

private slots:
    void place_data()
    {
        QTest::addColumn<bool>("shown");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("style"); // empty: the widget's own stays
        QTest::addColumn<QSize>("size"); // the size afterwards

        const QString blue = QStringLiteral("QPushButton {border-radius: 12px; background-color: rgb(0,117,190); "
                                            "border: 1px solid white; color: white;}");
        const QString dot = QStringLiteral("QPushButton {border-radius: 12px; background-color: rgb(255,255,255); "
                                           "border: 1px solid white; color: white;}");
        const QString square = QStringLiteral("QPushButton {border-radius: 4px; background-color: rgb(255,255,255); "
                                              "border: 1px solid white; color: white;}");
        const QSize own(31, 17);

        QTest::newRow("shown plain") << true << 0 << "" << own;
        QTest::newRow("shown blue dot") << true << 1 << blue << QSize(24, 24);
        QTest::newRow("shown white dot") << true << 2 << dot << QSize(24, 24);
        QTest::newRow("shown white square") << true << 3 << square << QSize(12, 12);
        QTest::newRow("hidden plain") << false << 0 << "" << own;
        QTest::newRow("hidden blue dot") << false << 1 << blue << own;
        QTest::newRow("hidden white dot") << false << 2 << dot << own;
        QTest::newRow("hidden white square") << false << 3 << square << own;
    }

    void place()
    {
        QFETCH(bool, shown);
        QFETCH(int, kind);
        QFETCH(QString, style);
        QFETCH(QSize, size);

        QWidget page;
        auto* button = new QPushButton(&page);
        const QString own = QStringLiteral("QPushButton { color: red; }");
        button->setStyleSheet(own);
        button->setGeometry(1, 2, 31, 17);
        button->setEnabled(false);
        button->setVisible(!shown);

        if (shown)
            placeShown(button, 123, 45, static_cast<IndicatorStyle>(kind));
        else
            placeHidden(button, 123, 45, static_cast<IndicatorStyle>(kind));

        QCOMPARE(button->pos(), QPoint(123, 45));
        QCOMPARE(button->isHidden(), !shown);
        QVERIFY(button->isEnabled());
        QCOMPARE(button->styleSheet(), style.isEmpty() ? own : style);
        QCOMPARE(button->size(), size);
    }
};

QTEST_MAIN(TestPlacement)
#include "tst_placement.moc"
