// version.json, the date comparison, the digest test and the saved download, without a window.
#include "firmware/firmwaredownload.h"
#include "firmware/updatedocument.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

using Comparison = UpdateDocument::Comparison;
Q_DECLARE_METATYPE(Comparison)

class TestUpdateDocument : public QObject
{
    Q_OBJECT

private slots:
    void document_data();
    void document();
    void compare_data();
    void compare();
    void digest_data();
    void digest();
    void savedImageIsExclusiveAndPrivate();
};

void TestUpdateDocument::document_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("isObject");
    QTest::addColumn<QStringList>("fields"); // version, name, md5
    QTest::newRow("all keys") << QByteArray(R"({"version":"Aug 3 2023,14:05","name":"a.bin","md5":"AB","x":1})") << true
                              << QStringList{"Aug 3 2023,14:05", "a.bin", "AB"};
    QTest::newRow("missing and non-string keys")
        << QByteArray(R"({"version":5,"name":null})") << true << QStringList{"", "", ""};
    QTest::newRow("empty body") << QByteArray() << false << QStringList{};
    QTest::newRow("html page") << QByteArray("<html><body>404</body></html>") << false << QStringList{};
}

void TestUpdateDocument::document()
{
    QFETCH(QByteArray, body);
    QFETCH(bool, isObject);
    QFETCH(QStringList, fields);
    const std::optional<UpdateDocument> document = UpdateDocument::fromJson(body);
    QCOMPARE(document.has_value(), isObject);
    if (document)
        QCOMPARE((QStringList{document->version, document->name, document->md5}), fields);
}

void TestUpdateDocument::compare_data()
{
    QTest::addColumn<QString>("versionLine");
    QTest::addColumn<QString>("server");
    QTest::addColumn<Comparison>("expected");
    QTest::newRow("padded day equals") << "\tAug  3 2023,14:05"
                                       << "Aug 3 2023,14:05" << Comparison::UpToDate;
    QTest::newRow("one minute newer") << "\tAug  3 2023,14:05"
                                      << "Aug 3 2023,14:06" << Comparison::Newer;
    QTest::newRow("next year, earlier month") << "\tDec 31 2023,23:59"
                                              << "Jan 1 2024,00:00" << Comparison::Newer;
    QTest::newRow("older on the server") << "\tAug 13 2023,14:05"
                                         << "Aug 3 2023,14:05" << Comparison::UpToDate;
    QTest::newRow("text around the date") << "TARVO v2\tAug  3 2023,14:05\tbuild 7"
                                          << "Sep 1 2023,08:00" << Comparison::Newer;
    QTest::newRow("server with seconds") << "\tAug  3 2023,14:05"
                                         << "Aug 3 2023,14:05:00" << Comparison::Invalid;
    QTest::newRow("numeric month") << "\tAug  3 2023,14:05"
                                   << "8 3 2023,14:05" << Comparison::Invalid;
    QTest::newRow("no tab") << "Aug  3 2023,14:05"
                            << "Aug 3 2023,14:06" << Comparison::Invalid;
    // Three spaces become two, which the format does not take.
    QTest::newRow("three spaces") << "\tAug   3 2023,14:05"
                                  << "Aug 3 2023,14:06" << Comparison::Invalid;
}

void TestUpdateDocument::compare()
{
    QFETCH(QString, versionLine);
    QFETCH(QString, server);
    QFETCH(Comparison, expected);
    QCOMPARE(UpdateDocument::compare(versionLine, server), expected);
}

void TestUpdateDocument::digest_data()
{
    // The MD5 of "tarvo", from the md5sum tool.
    QTest::addColumn<QByteArray>("image");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("matches");
    const QByteArray tarvo("tarvo");
    QTest::newRow("label, lower case") << tarvo << "MD5: 11a6c111874b4a7a95086c08ff2549c9" << true;
    QTest::newRow("label, upper case") << tarvo << "MD5: 11A6C111874B4A7A95086C08FF2549C9" << true;
    QTest::newRow("no md5 in the document") << tarvo << "MD5: " << false;
    QTest::newRow("one digit short") << tarvo << "MD5: 11a6c111874b4a7a95086c08ff2549c" << false;
    QTest::newRow("other image") << QByteArray("tarv0") << "MD5: 11a6c111874b4a7a95086c08ff2549c9" << false;
}

void TestUpdateDocument::digest()
{
    QFETCH(QByteArray, image);
    QFETCH(QString, expected);
    QFETCH(bool, matches);
    QCOMPARE(UpdateDocument::digestMatches(image, expected), matches);
}

void TestUpdateDocument::savedImageIsExclusiveAndPrivate()
{
    QTemporaryDir dir;
    qputenv("TMPDIR", dir.path().toLocal8Bit());
    // A link planted under the old fixed name must not be followed.
    const QString victim = dir.filePath("victim");
    QFile(victim).open(QIODevice::WriteOnly);
    QVERIFY(QFile::link(victim, dir.filePath("tarvo.firmware.bin")));

    QString error;
    const QString first = FirmwareDownload::saveImage(QByteArray("image one"), &error);
    const QString second = FirmwareDownload::saveImage(QByteArray("image two"), &error);
    QVERIFY2(!first.isEmpty() && !second.isEmpty(), qPrintable(error));
    QVERIFY(first != second);
    for (const QString& path : {first, second}) {
        const QFileInfo info(path);
        QCOMPARE(info.absolutePath(), QDir(dir.path()).absolutePath());
        QVERIFY(info.fileName().startsWith("tarvo.firmware."));
        QVERIFY(info.fileName().endsWith(".bin"));
        QVERIFY(!info.isSymLink());
        QCOMPARE(info.permissions() & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther),
                 QFile::Permissions());
    }
    QFile saved(first);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), QByteArray("image one"));
    QCOMPARE(QFileInfo(victim).size(), 0);

    for (const QString& folder : {dir.filePath("no-such-folder"), victim}) {
        qputenv("TMPDIR", folder.toLocal8Bit());
        error.clear();
        QVERIFY(FirmwareDownload::saveImage(QByteArray("x"), &error).isEmpty());
        QVERIFY(!error.isEmpty());
    }
    qunsetenv("TMPDIR");
}

QTEST_GUILESS_MAIN(TestUpdateDocument)
#include "tst_updatedocument.moc"
