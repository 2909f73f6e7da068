// The committed pictures: present in the resource file, of the sizes their labels fill, and with
// something drawn under every widget a model places on them.
#include "settings/modellayouts.h"
#include "settings/modeltable.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QRegularExpression>
#include <QtTest>

namespace {

QString sourcePath(const QString& relative)
{
    return QDir(qEnvironmentVariable("TARVO_SOURCE_DIR")).filePath(relative);
}

QImage picture(const char* imageKey)
{
    return QImage(sourcePath(QStringLiteral("resources/img/back.%1.png").arg(QLatin1String(imageKey))));
}

// Opaque at the centre and near the four corners of the widget's rectangle (page pixels).
QString uncoveredSpot(const QImage& image, int x, int y, tarvo::WidgetSize size)
{
    const int left = x - tarvo::kPicture.x, top = y - tarvo::kPicture.y;
    const QList<QPoint> spots = {QPoint(left + size.width / 2, top + size.height / 2), QPoint(left + 1, top + 1),
                                 QPoint(left + size.width - 2, top + 1), QPoint(left + 1, top + size.height - 2),
                                 QPoint(left + size.width - 2, top + size.height - 2)};
    for (const QPoint& spot : spots) {
        if (!image.rect().contains(spot) || qAlpha(image.pixel(spot)) < 200)
            return QStringLiteral("%1,%2").arg(spot.x()).arg(spot.y());
    }
    return {};
}

} // namespace

class TestPictures : public QObject
{
    Q_OBJECT

private slots:
    void resourceFileListsEveryPicture_data()
    {
        QTest::addColumn<QString>("alias");
        QTest::addColumn<QSize>("size");
        QTest::newRow("head") << "head.png" << QSize(901, 71);
        QTest::newRow("logo") << "logo.png" << QSize(31, 31);
        QTest::newRow("close") << "close.png" << QSize(24, 24);
        QTest::newRow("close hover") << "closeh.png" << QSize(24, 24);
        QTest::newRow("min") << "min.png" << QSize(24, 24);
        QTest::newRow("min hover") << "minh.png" << QSize(24, 24);
        QTest::newRow("about") << "about.png" << QSize(400, 125);
        QTest::newRow("tarvo") << "tarvo.png" << QSize(128, 128);
        QTest::newRow("icon") << "main.ico" << QSize(64, 64);
        for (const tarvo::ModelLayout& layout : tarvo::modelLayouts()) {
            const QString alias = QStringLiteral("back.%1.png").arg(QLatin1String(layout.imageKey));
            QTest::newRow(qPrintable(alias)) << alias << QSize(tarvo::kPicture.width, tarvo::kPicture.height);
        }
    }
    void resourceFileListsEveryPicture()
    {
        QFETCH(QString, alias);
        QFETCH(QSize, size);
        QFile qrc(sourcePath(QStringLiteral("resources/tarvoset.qrc")));
        QVERIFY(qrc.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(qrc.readAll());
        QVERIFY(text.contains(QLatin1String("prefix=\"/img\"")));
        const QRegularExpression entry(
            QStringLiteral("<file alias=\"%1\">([^<]+)</file>").arg(QRegularExpression::escape(alias)));
        const QRegularExpressionMatch match = entry.match(text);
        QVERIFY2(match.hasMatch(), qPrintable(alias));
        QImageReader reader(sourcePath(QStringLiteral("resources/") + match.captured(1)));
        // An icon holds several sizes; the largest one is checked.
        int best = 0;
        QSize largest;
        for (int i = 0; i < std::max(1, reader.imageCount()); ++i) {
            reader.jumpToImage(i);
            const QImage image = reader.read();
            QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
            if (image.width() > best) {
                best = image.width();
                largest = image.size();
            }
        }
        QCOMPARE(largest, size);
    }

    void iconHasSeveralSizes()
    {
        QImageReader reader(sourcePath(QStringLiteral("resources/img/main.ico")));
        QList<int> sides;
        for (int i = 0; i < reader.imageCount(); ++i) {
            reader.jumpToImage(i);
            sides << reader.read().width();
        }
        QCOMPARE(sides, QList<int>({16, 24, 32, 48, 64}));
        QCOMPARE(QImage(sourcePath(QStringLiteral("packaging/linux/tarvoset.png"))).size(), QSize(256, 256));
        // The theme's folder name promises the size.
        for (const int side : {16, 22, 24, 32, 48, 64, 128}) {
            const QString path = QStringLiteral("packaging/linux/icons/%1x%1/apps/tarvoset.png").arg(side);
            QCOMPARE(QImage(sourcePath(path)).size(), QSize(side, side));
        }
    }

    // Every placed indicator, LED button and lamp sits on something drawn, never on bare page.
    void widgetsSitOnTheWheel_data()
    {
        QTest::addColumn<QString>("key");
        for (const tarvo::ModelLayout& layout : tarvo::modelLayouts())
            QTest::newRow(layout.key) << QString::fromLatin1(layout.key);
    }
    void widgetsSitOnTheWheel()
    {
        QFETCH(QString, key);
        const tarvo::ModelLayout* layout = tarvo::modelLayout(key.toStdString());
        QVERIFY(layout);
        const QImage image = picture(layout->imageKey);
        QCOMPARE(image.size(), QSize(tarvo::kPicture.width, tarvo::kPicture.height));
        for (const tarvo::WidgetPlacement& w : layout->indicators) {
            const QString bare = uncoveredSpot(image, w.x, w.y, tarvo::placedSize(w));
            QVERIFY2(bare.isEmpty(), qPrintable(QStringLiteral("%1 at %2").arg(w.name, bare)));
        }
        for (const tarvo::LedPlacement& led : layout->leds) {
            const QString bare = uncoveredSpot(image, led.x, led.y, tarvo::placedSize(led));
            QVERIFY2(bare.isEmpty(), qPrintable(QStringLiteral("%1 at %2").arg(led.name, bare)));
        }
        for (const tarvo::ModelInfo& model : tarvo::kModels) {
            if (key != QLatin1String(model.key) || model.auxLamps == tarvo::AuxLampsRule::Never)
                continue;
            for (const tarvo::Point& lamp : model.lampsAt) {
                const QString bare = uncoveredSpot(image, lamp.x, lamp.y, tarvo::formSize("pbXL"));
                QVERIFY2(bare.isEmpty(), qPrintable(QStringLiteral("lamp at %1").arg(bare)));
            }
        }
    }

    // The pictures differ from model to model.
    void modelsLookDifferent()
    {
        QList<QImage> images;
        for (const tarvo::ModelLayout& layout : tarvo::modelLayouts())
            images << picture(layout.imageKey).convertToFormat(QImage::Format_ARGB32);
        for (int a = 0; a < images.size(); ++a) {
            for (int b = a + 1; b < images.size(); ++b) {
                int differing = 0;
                for (int y = 0; y < images[a].height(); y += 5) {
                    for (int x = 0; x < images[a].width(); x += 5)
                        differing += images[a].pixel(x, y) != images[b].pixel(x, y);
                }
                // More than a fifth of a coarse sample grid.
                QVERIFY2(differing > (128 * 73) / 5, qPrintable(QStringLiteral("%1 / %2").arg(a).arg(b)));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestPictures)
#include "tst_pictures.moc"
