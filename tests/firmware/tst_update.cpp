// The online update against a local HTTPS server, from "CHECK UPDATE" to the image in the
// wheel: one server for all cases, one table of what the server does and what the user sees.
#include "firmware/updateserver.h"
#include "httpsserver.h"
#include "randomimage.h"
#include "support/messageboxes.h"
#include "support/wheelwindow.h"
#include "ui_mainwindow.h"

#include <QCryptographicHash>
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QString kFolder = "/upgrade/rvelo/";
const QString kImageName = "tarvo-rvelo-1.21.bin";
const QString kQuestion = "Update: A new firmware is available, update now?";
const QString kFlashed = "Notify: Firmware updated successfully.";
const QString kDownloadFail = "Error: Download file fail.";

QString md5(const QByteArray& bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex());
}

QByteArray document(const QString& version, const QString& md5Value, bool withMd5 = true)
{
    QByteArray json = "{\"version\": \"" + version.toUtf8() + "\", \"name\": \"" + kImageName.toUtf8() + "\"";
    if (withMd5)
        json += ", \"md5\": \"" + md5Value.toUtf8() + "\"";
    return json + ", \"notes\": \"ignored\"}";
}
} // namespace

class TestUpdate : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void update_data();
    void update();

private:
    QTemporaryDir m_dir;
    QString m_tmp;
    HttpsServer m_server;
};

void TestUpdate::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const QString error = m_server.start(m_dir.path());
    QVERIFY2(error.isEmpty(), qPrintable(error));
    // Downloads land in a folder of this test's own.
    m_tmp = m_dir.filePath("tmp");
    QVERIFY(QDir().mkpath(m_tmp));
    qputenv("TMPDIR", m_tmp.toLocal8Bit());
    setUpdateServerBaseUrl(m_server.baseUrl());
    setUpdateTransferTimeout(3000);
}

void TestUpdate::cleanup()
{
    m_server.reset();
}

void TestUpdate::update_data()
{
    QTest::addColumn<QByteArray>("versionJson");
    QTest::addColumn<QString>("documentMode"); // how version.json is served: ok, 404, html, stall
    QTest::addColumn<QByteArray>("served"); // the image the server holds
    QTest::addColumn<QString>("imageMode"); // ok, 404, stall, redirect
    QTest::addColumn<bool>("trusted");
    QTest::addColumn<int>("answer"); // to the question, when asked
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<bool>("flashed");
    QTest::addColumn<QString>("reason"); // in CHECK UPDATE's tool tip after a check that failed silently

    const QString wheel = "Aug 3 2023,14:05"; // the virtual wheel's "\tAug  3 2023,14:05"
    const QString newer = "Aug 3 2023,14:06";
    const QByteArray img = randomImage(5000);
    const int yes = int(QMessageBox::Yes);
    auto row = [&](const char* name, const QByteArray& json, const QString& documentMode, const QByteArray& served,
                   const QString& imageMode, bool trusted, int answer, const QStringList& boxes, bool flashed,
                   const QString& reason = QString()) {
        QTest::newRow(name) << json << documentMode << served << imageMode << trusted << answer << boxes << flashed
                            << reason;
    };
    row("up to date, padded day", document(wheel, md5(img)), "ok", img, "ok", true, yes,
        {"Update: Your firmware is already up to date."}, false);
    row("one minute newer", document(newer, md5(img)), "ok", img, "ok", true, yes, {kQuestion, kFlashed}, true);
    row("one minute newer, MD5 in capitals", document(newer, md5(img).toUpper()), "ok", img, "ok", true, yes,
        {kQuestion, kFlashed}, true);
    row("answered No", document(newer, md5(img)), "ok", img, "ok", true, int(QMessageBox::No), {kQuestion}, false);
    row("wrong MD5", document(newer, md5(img + "x")), "ok", img, "ok", true, yes, {kQuestion, kDownloadFail}, false);
    row("no md5 in the document", document(newer, "", false), "ok", img, "ok", true, yes, {kQuestion, kDownloadFail},
        false);
    row("version with seconds", document("Aug 3 2023,14:06:00", md5(img)), "ok", img, "ok", true, yes,
        {"Update: No valid device."}, false);
    row("untrusted certificate", document(newer, md5(img)), "ok", img, "ok", false, yes, {}, false,
        "certificate not trusted");
    row("version.json not found", QByteArray(), "404", img, "ok", true, yes, {}, false, "HTTP 404");
    row("HTML instead of JSON", "<html><body>Maintenance</body></html>", "ok", img, "ok", true, yes, {}, false,
        "not a version document");
    row("version.json stalls", document(newer, md5(img)), "stall", img, "ok", true, yes, {}, false, "no answer within");
    row("image not found", document(newer, md5(img)), "ok", img, "404", true, yes, {kQuestion, kDownloadFail}, false);
    row("image redirected to http", document(newer, md5(img)), "ok", img, "redirect", true, yes,
        {kQuestion, kDownloadFail}, false);
    row("image stalls", document(newer, md5(img)), "ok", img, "stall", true, yes, {kQuestion, kDownloadFail}, false);
    const QByteArray oversized = randomImage(229377);
    row("oversized image", document(newer, md5(oversized)), "ok", oversized, "ok", true, yes,
        {kQuestion, "Error: Not a valid firmware."}, false);
    const QByteArray huge = randomImage(4 * 1024 * 1024 + 1);
    row("image over the download cap", document(newer, md5(huge)), "ok", huge, "ok", true, yes,
        {kQuestion, kDownloadFail}, false);
}

void TestUpdate::update()
{
    QFETCH(QByteArray, versionJson);
    QFETCH(QString, documentMode);
    QFETCH(QByteArray, served);
    QFETCH(QString, imageMode);
    QFETCH(bool, trusted);
    QFETCH(int, answer);
    QFETCH(QStringList, boxes);
    QFETCH(bool, flashed);
    QFETCH(QString, reason);

    using Response = HttpsServer::Response;
    m_server.serve(kFolder + "version.json",
                   documentMode == "404" ? Response{404, "<html>Not found</html>", {}, false}
                                         : Response{200, versionJson, {}, documentMode == "stall"});
    const QString imagePath = kFolder + kImageName;
    if (imageMode == "redirect")
        m_server.serve(
            imagePath,
            {302, {}, QString("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(imagePath).toLatin1(), false});
    else if (imageMode != "404")
        m_server.serve(imagePath, {200, served, {}, imageMode == "stall"});
    setUpdateCaCertificates(trusted ? m_server.caFile() : QString());

    WheelWindow w;
    QVERIFY(w.waitConnected());
    // The version the check compares with is the one the readout took from the wheel.
    QTRY_COMPARE_WITH_TIMEOUT(w.ui()->lbVersion->text(), QString("Firmware Version:\tAug  3 2023,14:05"), 10000);
    MessageBox::setNextAnswer(QMessageBox::StandardButton(answer));
    for (int i = 0; i < 3; ++i)
        MessageBox::setNextAnswer(QMessageBox::Ok);
    QSignalSpy bar(w.ui()->pgUpgrade, &QProgressBar::valueChanged);
    w.ui()->pbAutoUpgrade->click();
    QCOMPARE(w.ui()->pbAutoUpgrade->text(), QString("Checking ..."));
    QVERIFY(!w.ui()->pbAutoUpgrade->isEnabled());

    QTRY_VERIFY_WITH_TIMEOUT(
        shownBoxes().size() >= boxes.size() && !w.upgradeThread().isRunning() && w.firmwarePageAtRest(), 60000);
    QVERIFY(w.firmwarePageAtRest());
    const QJsonObject firmware = w.wheel.state().value("firmware").toObject();
    QCOMPARE(firmware.value("md5").toString() == md5(served) && firmware.value("complete").toBool(), flashed);
    // Only the download takes the bar to 100: the transfer's 100 puts it back to rest.
    if (flashed)
        QVERIFY(bar.contains(QVariantList{100}));
    QCOMPARE(m_server.requests().contains(imagePath), boxes.value(0) == kQuestion && answer == int(QMessageBox::Yes));
    QPushButton* check = w.ui()->pbAutoUpgrade;
    QVERIFY2(reason.isEmpty() ? check->toolTip().isEmpty() : check->toolTip().contains(reason),
             qPrintable(check->toolTip()));
    if (!reason.isEmpty()) { // until the next check
        check->click();
        QVERIFY(check->toolTip().isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(w.firmwarePageAtRest(), 30000);
    }
    // Every reply is released once read, the stalled ones included.
    QNetworkAccessManager& manager = MainWindowProbe::networkManager(*w.window);
    QTRY_VERIFY_WITH_TIMEOUT(manager.findChildren<QNetworkReply*>().isEmpty(), 10000);
    // Whatever happened, no download is left behind.
    QTRY_COMPARE_WITH_TIMEOUT(QDir(m_tmp).entryList(QDir::Files), QStringList(), 10000);
    // The check is over, its replies released: nothing more follows.
    QCOMPARE(shownBoxes(), boxes);
}

QTEST_MAIN(TestUpdate)
#include "tst_update.moc"
