// The unplug-anywhere campaign: from one seed, random faults (the wheel pulled, sends, reads or
// writes failing) strike at random HID calls of the connection, the readout, every page's
// saves, the LED sends, a firmware transfer and a download. First against a window in this
// process, whose pages the test drives; then against the built program, which is driven only
// through its wheel's control socket.
//
// At every point: no hang (the window answers within 2 s), the waiting screen while the wheel
// is gone and a full re-read once it is back, no success message for an operation that failed,
// and nothing in the wheel's flash that the user did not ask to save.
//
// A run replays its seed: the same one in every run unless asked for another. Long random runs:
// tst_campaign --seed random --points N (or TARVO_CAMPAIGN_SEED, TARVO_CAMPAIGN_POINTS).
#include "../firmware/httpsserver.h"
#include "campaign.h"
#include "firmware/updateserver.h"
#include "support/controlsocket.h"
#include "support/messageboxes.h"
#include "support/wheelwindow.h"
#include "tracefile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

using Fault = FaultyHid::Fault;

namespace {

// The seed of every run that names none.
constexpr quint32 kFixedSeed = 20240601;
quint32 g_seed = kFixedSeed;
int g_points = 100;

enum class Op {
    Reconnect,
    PaddleSave,
    Calibrate,
    EncoderSave,
    Shifter,
    LedLive,
    LedSave,
    ClearFlash,
    Firmware,
    Download,
    Close
};
constexpr const char* kOpNames[] = {"reconnect", "paddle-save", "calibrate", "encoder-save", "shifter", "led-live",
                                    "led-save",  "clear-flash", "firmware",  "download",     "close"};
// How often each operation is drawn: the slow ones (a transfer waits four seconds for the
// wheel's flash write, a calibration half a second) less often.
constexpr int kOpWeights[] = {4, 4, 2, 3, 3, 3, 4, 2, 2, 1, 1};

const QString kModel = QStringLiteral("QLN5");
const QStringList kSuccessTexts = {"Success: Setting saved.", "Success: LED colors saved.",
                                   "Notify: Firmware updated successfully.", "Notify: Flash data has been cleared."};

bool anyFailed(const QList<TraceLine>& lines)
{
    for (const TraceLine& line : lines)
        if ((line.kind == "send-feature" || line.kind == "get-feature" || line.kind == "write") && line.result < 0)
            return true;
    return false;
}

// The lines without the re-reads after each open and each erase: their failures belong to no operation.
QList<TraceLine> withoutReadouts(const QList<TraceLine>& lines)
{
    QList<TraceLine> rest;
    bool reading = false;
    bool versionAsked = false; // the version query is the last of a re-read
    for (const TraceLine& line : lines) {
        if ((line.kind == "open" && line.result == 1)
            || (line.kind == "send-feature" && line.data.startsWith("020c10") && line.result >= 0))
            reading = true;
        if (!reading)
            rest.append(line);
        else if (line.kind == "send-feature" && line.data.startsWith("020b09"))
            reading = versionAsked = line.result >= 0;
        else if (line.kind == "get-feature" && versionAsked)
            versionAsked = reading = false;
    }
    return rest;
}

// The readout after the last successful open, when nothing in it failed: every query, in order.
// Empty when it is complete; otherwise what is missing.
QString rereadGap(const QList<TraceLine>& lines, bool* clean)
{
    int lastOpen = -1;
    for (int i = 0; i < lines.size(); ++i)
        if (lines[i].kind == "open" && lines[i].result == 1)
            lastOpen = i;
    *clean = false;
    if (lastOpen < 0)
        return "no open";
    const QList<TraceLine> after = lines.mid(lastOpen + 1);
    if (anyFailed(after))
        return QString();
    int next = 0;
    for (const TraceLine& line : after)
        if (line.kind == "send-feature" && next < kReadoutQueries.size() && line.data.startsWith(kReadoutQueries[next]))
            ++next;
    if (next < kReadoutQueries.size())
        return "re-read stops before " + kReadoutQueries[next];
    *clean = true;
    return QString();
}

// Whether the readout's paddle and clutch queries were answered, after each open in lines.
void noteReadout(const QList<TraceLine>& lines, bool* paddleKnown, bool* clutchKnown)
{
    bool* asking = nullptr;
    bool sentOk = false;
    // Before an open no query is the readout's: a save asks for the switch too.
    bool paddleAsked = true;
    bool clutchAsked = true;
    for (const TraceLine& line : lines) {
        if (line.kind == "open" && line.result == 1) {
            *paddleKnown = *clutchKnown = false;
            paddleAsked = clutchAsked = false;
        } else if (line.kind == "send-feature") {
            asking = nullptr;
            if (!paddleAsked && line.data.startsWith("020b0a")) {
                asking = paddleKnown;
                paddleAsked = true;
            } else if (!clutchAsked && line.data.startsWith("020b0c08")) {
                asking = clutchKnown;
                clutchAsked = true;
            }
            sentOk = line.result >= 0;
        } else if (line.kind == "get-feature" && asking) {
            *asking = sentOk && line.result >= 0;
            asking = nullptr;
        }
    }
}

// Failed opens of every product id since the last close: the window is waiting.
bool waitingInTrace(const QList<TraceLine>& lines)
{
    int failedOpens = 0;
    bool closed = false;
    for (const TraceLine& line : lines) {
        if (line.kind == "close")
            closed = true;
        else if (line.kind == "open")
            failedOpens = line.result == 0 && closed ? failedOpens + 1 : 0;
    }
    return failedOpens >= 7;
}

int opensIn(const QList<TraceLine>& lines)
{
    int opens = 0;
    for (const TraceLine& line : lines)
        opens += line.kind == "open" && line.result == 1;
    return opens;
}

// Done when the readout after the last open has run through the version query.
bool readoutOver(const QList<TraceLine>& lines)
{
    int lastOpen = -1;
    for (int i = 0; i < lines.size(); ++i)
        if (lines[i].kind == "open")
            lastOpen = lines[i].result == 1 ? i : -1;
    if (lastOpen < 0)
        return false;
    for (int i = lastOpen + 1; i < lines.size(); ++i)
        if (lines[i].kind == "send-feature" && lines[i].data.startsWith("020b09"))
            return true;
    return false;
}

QByteArray randomBytes(QRandomGenerator& random, int size)
{
    QByteArray bytes(size, '\0');
    for (char& c : bytes)
        c = char(random.bounded(256));
    return bytes;
}

QString md5Hex(const QByteArray& bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex());
}

// Flash members an operation may change, each to one of the values given (its old value is
// always allowed: a failed save may or may not have reached the wheel).
using Allowed = QHash<QString, QList<QJsonValue>>;

QString flashViolation(const QJsonObject& before, const QJsonObject& after, const Allowed& allowed)
{
    for (const QString& key : after.keys()) {
        const QJsonValue now = after.value(key);
        if (now == before.value(key))
            continue;
        if (!allowed.contains(key))
            return key + " changed though nothing saved it";
        if (key == "leds" || key == "auxLamps") {
            // Level by level: the old one or the one the save sent.
            const QJsonArray old = before.value(key).toArray();
            const QJsonArray sent = allowed.value(key).value(0).toArray();
            const QJsonArray levels = now.toArray();
            for (int i = 0; i < levels.size(); ++i)
                if (levels[i] != old[i] && levels[i] != sent[i])
                    return QString("%1[%2] = %3, neither stored nor sent").arg(key).arg(i).arg(levels[i].toInt());
            continue;
        }
        if (!allowed.value(key).contains(now))
            return QString("%1 = %2, not what the user saved")
                .arg(key, QString::fromUtf8(QJsonDocument(QJsonArray{now}).toJson(QJsonDocument::Compact)));
    }
    for (const char* side : {"Left", "Right"}) {
        const int min = after.value(QString("cal%1Min").arg(side)).toInt();
        const int max = after.value(QString("cal%1Max").arg(side)).toInt();
        if (min > max)
            return QString("inverted %1 calibration %2..%3").arg(side).arg(min).arg(max);
    }
    return QString();
}

} // namespace

class TestCampaign : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void inProcess();
    void builtProgram();

private:
    // One window on an in-process wheel, and everything a point needs.
    struct Bench;
    QString runPoint(Bench& b, int index);
    QTemporaryDir m_dir;
    HttpsServer m_server;
};

// The window on an in-process wheel, with every HID call traced, and what the points learn.
struct TestCampaign::Bench : WheelWindow
{
    explicit Bench(const QString& folder)
        : WheelWindow(kModel, 0x2007, folder + "/trace.log")
        , tracePath(folder + "/trace.log")
        , folder(folder)
        , factory(wheel.state().value("flash").toObject())
    {
    }
    bool atRest() { return firmwarePageAtRest() && !upgradeThread().isRunning(); }
    qint64 traceSize() const { return QFileInfo(tracePath).size(); }
    QJsonObject flash() const { return wheel.state().value("flash").toObject(); }
    QJsonObject live() const { return wheel.state().value("live").toObject(); }
    QJsonObject firmware() const { return wheel.state().value("firmware").toObject(); }
    int paddleMode()
    {
        // By hand: left 0..100, right 101..201, none 255.
        if (ui()->rbPadL->isChecked())
            return ui()->hsBite->value();
        if (ui()->rbPadR->isChecked())
            return ui()->hsBite->value() + 101;
        return 255;
    }
    Allowed paddlePage(bool withClutch)
    {
        Allowed allowed{{"paddleMode", {paddleMode()}},
                        {"calLeftMin", {int(MainWindowProbe::calLeftMin(*window))}},
                        {"calLeftMax", {int(MainWindowProbe::calLeftMax(*window))}},
                        {"calRightMin", {int(MainWindowProbe::calRightMin(*window))}},
                        {"calRightMax", {int(MainWindowProbe::calRightMax(*window))}}};
        if (withClutch)
            allowed.insert("clutchEnable", {ui()->cbClutch->isChecked() ? 1 : 255});
        return allowed;
    }

    QString tracePath;
    QString folder;
    QJsonObject factory;
    QRandomGenerator random;
    bool paddleKnown = true; // the paddle page shows what the wheel told or the user chose
    bool clutchKnown = true; // the same for the clutch switch
    QHash<QString, int> images; // MD5 and block count of every image offered to the wheel
    campaign::Watchdog* watchdog = nullptr;
};

void TestCampaign::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_dir.setAutoRemove(!qEnvironmentVariableIsSet("TARVO_CAMPAIGN_KEEP"));
    if (!m_dir.autoRemove())
        qInfo("files kept in %s", qPrintable(m_dir.path()));
    qInfo("campaign seed %u, %d points (replay: tst_campaign --seed %u --points %d)", g_seed, g_points, g_seed,
          g_points);
    const QString error = m_server.start(m_dir.path());
    QVERIFY2(error.isEmpty(), qPrintable(error));
    const QString tmp = m_dir.filePath("tmp");
    QVERIFY(QDir().mkpath(tmp));
    qputenv("TMPDIR", tmp.toLocal8Bit());
    setUpdateServerBaseUrl(m_server.baseUrl());
    setUpdateCaCertificates(m_server.caFile());
    setUpdateTransferTimeout(5000);
}

void TestCampaign::inProcess()
{
    campaign::Watchdog watchdog(60);
    Bench b(m_dir.path());
    b.random.seed(g_seed);
    b.watchdog = &watchdog;
    QTRY_VERIFY_WITH_TIMEOUT(b.showsWheel(), 10000);

    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < g_points; ++i) {
        watchdog.alive(QByteArray("in-process point ") + QByteArray::number(i) + " of seed "
                       + QByteArray::number(g_seed));
        const QString failure = runPoint(b, i);
        QVERIFY2(failure.isEmpty(), qPrintable(QString("seed %1, %2").arg(g_seed).arg(failure)));
    }
    qInfo("in-process: %d points in %.1f s", g_points, clock.elapsed() / 1000.0);
    QVERIFY(QMetaObject::invokeMethod(b.window.get(), "onClose"));
}

QString TestCampaign::runPoint(Bench& b, int index)
{
    QRandomGenerator& random = b.random;
    // TARVO_CAMPAIGN_OPS=close,reconnect narrows a long run to some operations.
    const QStringList only = qEnvironmentVariable("TARVO_CAMPAIGN_OPS").split(',', Qt::SkipEmptyParts);
    int weights[std::size(kOpWeights)];
    int total = 0;
    for (std::size_t i = 0; i < std::size(kOpWeights); ++i) {
        weights[i] = only.isEmpty() || only.contains(kOpNames[i]) ? kOpWeights[i] : 0;
        total += weights[i];
    }
    int pick = int(random.bounded(total));
    int opIndex = 0;
    while (pick >= weights[opIndex])
        pick -= weights[opIndex++];
    const Op op = Op(opIndex);
    const Fault faults[] = {Fault::None,      Fault::Unplug,   Fault::Unplug,
                            Fault::FailSends, Fault::FailGets, Fault::FailWrites};
    Fault fault = faults[random.bounded(6)];
    const int count = 1 + int(random.bounded(3));
    const bool blink = random.bounded(2) == 0; // plug back at once, or once the waiting screen shows
    QString where = QString("point %1: %2").arg(index).arg(kOpNames[opIndex]);

    Ui::MainWindow* ui = b.ui();
    QJsonObject flashBefore = b.flash();
    const QJsonObject firmwareBefore = b.firmware();
    Allowed allowed;
    int calls = 0; // HID calls the operation makes, for the range of moments
    QString imageMd5;
    int imageBlocks = 0;

    // Preparation, as a user would leave the page before the action under test.
    switch (op) {
    case Op::Reconnect:
        // Sometimes the wheel comes back holding other settings, as if set up elsewhere.
        if (random.bounded(2)) {
            const int mode = int(random.bounded(202));
            b.wheel.setSetting("paddleMode", {QString::number(mode)});
            b.wheel.setSetting("clutchEnable", {random.bounded(2) ? "1" : "255"});
        }
        calls = 20;
        break;
    case Op::PaddleSave:
    case Op::Close: {
        // Sometimes the window is closed as it stands.
        if (op == Op::PaddleSave || random.bounded(2)) {
            ui->hsBite->setValue(int(random.bounded(101)));
            QRadioButton* radios[] = {ui->rbPadL, ui->rbPadR, ui->rbPadNo};
            radios[random.bounded(3)]->click();
            ui->cbClutch->setChecked(random.bounded(2) == 0);
            b.paddleKnown = b.clutchKnown = true;
        }
        calls = 4;
        break;
    }
    case Op::Calibrate:
    case Op::EncoderSave:
        ui->hsTrigger->setValue(40 + int(random.bounded(201)));
        calls = 2;
        break;
    case Op::Shifter:
        calls = 2;
        break;
    case Op::LedLive:
    case Op::LedSave: {
        QPushButton* presets[] = {ui->pbSetR, ui->pbSetG, ui->pbSetB, ui->pbSetW, ui->pbSetD,
                                  ui->pbSet1, ui->pbSet2, ui->pbSet3, ui->pbSet4};
        if (op == Op::LedSave)
            presets[random.bounded(9)]->click();
        calls = op == Op::LedSave ? 6 : 5;
        break;
    }
    case Op::ClearFlash:
        calls = 1;
        break;
    case Op::Firmware:
    case Op::Download: {
        const QByteArray image = randomBytes(random, 16 + int(random.bounded(1500)));
        imageMd5 = md5Hex(image);
        imageBlocks = int((image.size() + 15) / 16);
        b.images.insert(imageMd5, imageBlocks);
        calls = imageBlocks + 1;
        if (op == Op::Firmware) {
            QFile file(b.folder + "/image.bin");
            if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(image) != image.size())
                return "cannot write the image";
            file.close();
            ui->lePath->setText(file.fileName());
        } else {
            m_server.reset();
            m_server.serve(
                "/upgrade/qln5/version.json",
                {200,
                 "{\"version\": \"Sep 1 2024,10:00\", \"name\": \"n.bin\", \"md5\": \"" + imageMd5.toLatin1() + "\"}",
                 {},
                 false});
            m_server.serve("/upgrade/qln5/n.bin", {200, image, {}, false});
        }
        // Most transfers meet their fault; a few run clean to show the flash path whole.
        if (random.bounded(6) == 0)
            fault = Fault::None;
        if (fault == Fault::FailGets || fault == Fault::FailWrites)
            fault = Fault::FailSends; // a transfer makes neither
        break;
    }
    }
    // A reconnect still under way from the last point would take this point's calls: start once
    // the wheel has been quiet for a moment.
    (void)QTest::qWaitFor(
        [&] {
            const qint64 size = b.traceSize();
            QTest::qWait(250);
            return b.traceSize() == size;
        },
        10000);
    flashBefore = b.flash();
    const int moment = 1 + int(random.bounded(calls + 1));
    where += QString(", %1 x%2 at call %3").arg(campaign::faultName(fault)).arg(count).arg(moment);
    if (b.watchdog)
        b.watchdog->alive(where.toUtf8() + " of seed " + QByteArray::number(g_seed));
    if (qEnvironmentVariableIsSet("TARVO_CAMPAIGN_VERBOSE"))
        qInfo("%s; trace at %lld, firmware %s", qPrintable(where), b.traceSize(),
              QJsonDocument(b.firmware()).toJson(QJsonDocument::Compact).constData());

    // Every box of the point is answered: Yes to the one question, Ok to the rest.
    MessageBox::clearAnswers();
    if (op == Op::ClearFlash || op == Op::Download)
        MessageBox::setNextAnswer(QMessageBox::Yes);
    for (int i = 0; i < 6; ++i)
        MessageBox::setNextAnswer(QMessageBox::Ok);
    const int shownBefore = MessageBox::shown().size();
    const qint64 traceBefore = b.traceSize();
    QElapsedTimer clock;
    clock.start();
    b.faults.arm(moment, fault, count);
    bool timeStruck = false;

    switch (op) {
    case Op::Reconnect:
        // As the window does after a transfer: open afresh and read everything.
        QMetaObject::invokeMethod(b.window.get(), "onInit");
        break;
    case Op::PaddleSave:
        allowed = b.paddlePage(true);
        ui->pbSaveP->click();
        break;
    case Op::Calibrate: {
        QPushButton* button = random.bounded(2) ? ui->pbCalL : ui->pbCalR;
        allowed = b.paddlePage(false);
        button->setChecked(true);
        QTest::qWait(600); // the tracking starts after 500 ms
        const int reports = int(random.bounded(4));
        for (int r = 0; r < reports; ++r) {
            const quint16 reading = quint16(300 + random.bounded(3500));
            QByteArray report(16, '\0');
            for (int at : {0, 2}) {
                report[at] = char(reading & 0xFF);
                report[at + 1] = char(reading >> 8);
            }
            b.wheel.queueInput(report);
        }
        QTest::qWait(reports ? 150 : 0);
        const Allowed tracked = b.paddlePage(false);
        for (auto it = tracked.begin(); it != tracked.end(); ++it)
            allowed[it.key()].append(it.value());
        button->setChecked(false);
        break;
    }
    case Op::EncoderSave:
        allowed = {{"pulseWidth", {ui->hsTrigger->value()}}};
        ui->pbSaveEnc->click();
        break;
    case Op::Shifter: {
        const int rows[] = {3, 5, 6, 7};
        QPushButton* buttons[] = {ui->pbBearLCa, ui->pbBearRCa, ui->pbBearExLCa, ui->pbBearExRCa};
        const int row = int(random.bounded(4));
        const int raw = int(random.bounded(4096));
        b.wheel.setShifterRaw(rows[row], raw);
        QJsonObject shifters = flashBefore.value("shifters").toObject();
        shifters.insert(QString::number(rows[row]), raw);
        allowed = {{"shifters", {shifters}}};
        buttons[row]->click();
        buttons[row]->click();
        break;
    }
    case Op::LedLive: {
        QPushButton* presets[] = {ui->pbSetR, ui->pbSetG, ui->pbSetB, ui->pbSet3};
        presets[random.bounded(4)]->click();
        break;
    }
    case Op::LedSave:
        ui->pbSave->click();
        allowed = {{"leds", {b.live().value("leds")}}, {"auxLamps", {b.live().value("auxLamps")}}};
        break;
    case Op::ClearFlash: {
        ui->pbClearFlash->click();
        for (const QString& key : b.factory.keys())
            allowed.insert(key, {b.factory.value(key)});
        break;
    }
    case Op::Firmware:
        ui->pbUpgrade->click();
        break;
    case Op::Download: {
        if (fault == Fault::Unplug && random.bounded(2)) {
            // While the image is still on its way.
            b.faults.disarm();
            QTimer::singleShot(int(random.bounded(40)), b.window.get(), [&b, &timeStruck] {
                b.wheel.unplug();
                timeStruck = true;
            });
        }
        ui->pbAutoUpgrade->click();
        break;
    }
    case Op::Close:
        // Closing stores the page silently: only what the user set or the wheel told.
        allowed = b.paddlePage(true);
        if (!b.paddleKnown)
            for (const char* key : {"paddleMode", "calLeftMin", "calLeftMax", "calRightMin", "calRightMax"})
                allowed.remove(key);
        if (!b.clutchKnown)
            allowed.remove("clutchEnable");
        QMetaObject::invokeMethod(b.window.get(), "onClose");
        break;
    }
    // A transfer runs in a thread of its own: its end is never reported inside the click. The
    // rest talk to the wheel from the window, a few calls each, far within the bound.
    const qint64 blocked = clock.elapsed();
    if (blocked > 10000 && op != Op::Calibrate)
        return where + QString(": the window was blocked %1 ms").arg(blocked);
    if (op == Op::Firmware
        && (shownBoxes(shownBefore).contains(kSuccessTexts[2])
            || shownBoxes(shownBefore).contains("Error: Firmware update failed.")))
        return where + ": the transfer ran inside the click";

    if (op == Op::Firmware || op == Op::Download) {
        // Over when the page is back at rest with the thread done (a success or failure
        // message, or a transfer that found no wheel), or the download was refused.
        const bool over = QTest::qWaitFor(
            [&] { return !ui->pbAutoUpgrade->isEnabled() ? false : b.atRest() && clock.elapsed() > 50; }, 20000);
        if (!over)
            return where + ": the transfer never ended";
        b.settle(); // the last progress signal may still be on its way
    }
    const bool struck = b.faults.struck() || timeStruck;
    b.faults.disarm();
    const bool unplugged = fault == Fault::Unplug && struck;

    if (op == Op::Close) {
        if (b.window->isVisible())
            return where + ": the window stayed open";
        b.restart();
        ui = b.ui();
    }

    // The wheel comes back: at once, or after the waiting screen has shown.
    if (unplugged) {
        // A device opened before the pull stays dead, so the window notices either way.
        if (blink)
            b.wheel.plug();
        const auto closed = [&] {
            for (const TraceLine& line : readTrace(b.tracePath, traceBefore))
                if (line.kind == "close")
                    return true;
            return false;
        };
        if (!QTest::qWaitFor(closed, 10000))
            return where + ": the lost wheel was never closed";
        if (!blink) {
            if (!QTest::qWaitFor([&] { return b.showsWaiting(); }, 10000))
                return where + ": no waiting screen while the wheel is gone";
            b.wheel.plug();
        }
    }
    // A transfer's end opens the wheel afresh three seconds later, when it is open by then (the
    // retry may have brought a pulled wheel back first); its re-read must not fall in the next
    // point. The program's own timer (coarse: up to 5 % early), on the trace's clock from the
    // last firmware frame.
    if (shownBoxes(shownBefore).contains(kSuccessTexts[2])
        || shownBoxes(shownBefore).contains("Error: Firmware update failed.")) {
        const qint64 mark = b.traceSize();
        double end = 0;
        for (const TraceLine& line : readTrace(b.tracePath, traceBefore)) {
            const int command = line.data.mid(2, 2).toInt(nullptr, 16);
            if (line.kind == "send-feature" && ((command & 0x80) || command == 0x10))
                end = line.time;
        }
        const auto afresh = [&] {
            QList<TraceLine> lines = readTrace(b.tracePath, mark);
            while (!lines.isEmpty()
                   && !(lines.first().kind == "open" && lines.first().result == 1 && lines.first().time >= end + 2850))
                lines.removeFirst();
            return lines;
        };
        const bool reopened = QTest::qWaitFor([&] { return !afresh().isEmpty(); }, 10000);
        if (!reopened && !unplugged)
            return where + ": the wheel was not opened afresh after the transfer";
        if (reopened)
            (void)QTest::qWaitFor([&] { return readoutOver(afresh()); }, 10000);
    }
    if (!QTest::qWaitFor([&] { return b.showsWheel() || (deviceHandle.isOpen() && b.showsWaiting()); }, 10000))
        return where + ": the wheel did not come back";
    if (!b.showsWheel()) {
        // The model query failed: the wheel stays unnamed until it is opened again.
        QMetaObject::invokeMethod(b.window.get(), "onInit");
        if (!QTest::qWaitFor([&] { return b.showsWheel(); }, 10000))
            return where + ": the wheel did not come back after a second open";
    }

    // The window answers.
    if (!b.settle())
        return where + ": the window did not answer";

    const QList<TraceLine> lines = readTrace(b.tracePath, traceBefore);
    for (const TraceLine& line : lines)
        if (line.kind == "malformed")
            return where + ": malformed trace line " + line.data;

    noteReadout(lines, &b.paddleKnown, &b.clutchKnown);

    // A failed operation never reports success; a failed save says so.
    // The erase is the one call before its message; a fault after it meets only the re-read.
    const bool afterTheMessage = op == Op::ClearFlash && moment > calls;
    const bool failed = (unplugged && !afterTheMessage) || anyFailed(withoutReadouts(lines));
    const QStringList shown = shownBoxes(shownBefore);
    for (const QString& text : shown)
        if (failed && kSuccessTexts.contains(text))
            return where + ": \"" + text + "\" after a failed operation";
    const bool reports = op == Op::PaddleSave || op == Op::EncoderSave || op == Op::LedSave || op == Op::ClearFlash
        || op == Op::Firmware;
    bool errorShown = false;
    for (const QString& text : shown)
        errorShown = errorShown || text.startsWith("Error: ");
    if (reports && anyFailed(withoutReadouts(lines)) && !errorShown)
        return where + ": a failed save went unreported (" + shown.join(" | ") + ")";
    if (reports && !failed && op != Op::Firmware) {
        bool success = false;
        for (const QString& text : shown)
            success = success || kSuccessTexts.contains(text);
        if (!success)
            return where + ": a save that reached the wheel was not confirmed (" + shown.join(" | ") + ")";
    }

    // After a reconnection: every query again, and the pages show the wheel's flash.
    bool reopened = false;
    for (const TraceLine& line : lines)
        reopened = reopened || (line.kind == "open" && line.result == 1);
    if (reopened) {
        bool clean = false;
        const QString gap = rereadGap(lines, &clean);
        if (!gap.isEmpty())
            return where + ": " + gap;
        // Queries answer from the live values: the flash's after a power-up, the last frames' else.
        const QJsonObject flash = b.live();
        if (clean) {
            const int pulse = qBound(40, flash.value("pulseWidth").toInt(), 240);
            if (ui->hsBite->statusTip() != QString::number(flash.value("paddleMode").toInt())
                || ui->hsTrigger->value() != pulse
                || ui->cbClutch->isChecked() != (flash.value("clutchEnable").toInt() == 1) || ui->lbVersion->isHidden())
                return where
                    + QString(": the pages do not show the wheel after the re-read (mode %1/%2, pulse %3/%4, clutch "
                              "%5/%6, version %7)")
                          .arg(ui->hsBite->statusTip())
                          .arg(flash.value("paddleMode").toInt())
                          .arg(ui->hsTrigger->value())
                          .arg(pulse)
                          .arg(ui->cbClutch->isChecked())
                          .arg(flash.value("clutchEnable").toInt())
                          .arg(ui->lbVersion->isHidden() ? "hidden" : "shown");
        }
    }

    // The flash: only what was saved, never inverted, no half image taken for whole.
    const QString violation = flashViolation(flashBefore, b.flash(), allowed);
    if (!violation.isEmpty())
        return where + ": " + violation;
    // A wheel powered up again shows the last image it completed, so any image sent whole may
    // stand. Out of order is allowed only where a failed transfer left blocks behind: nothing in
    // the protocol tells the wheel to start afresh, and it marks the mix out of order.
    const QJsonObject firmware = b.firmware();
    const bool staleBlocks = firmwareBefore.value("blocks").toInt() > 0 && !firmwareBefore.value("complete").toBool();
    if (firmware != firmwareBefore && firmware.value("complete").toBool()) {
        const QString md5 = firmware.value("md5").toString();
        if (firmware.value("inOrder").toBool()
                ? !b.images.contains(md5) || firmware.value("blocks").toInt() != b.images.value(md5)
                : !staleBlocks)
            return where + ": an image marked complete that is not one sent: "
                + QJsonDocument(firmware).toJson(QJsonDocument::Compact);
    }
    if (shown.contains(kSuccessTexts[2])
        && !(firmware.value("complete").toBool()
             && (firmware.value("inOrder").toBool() ? firmware.value("md5") == imageMd5 : staleBlocks)))
        return where + ": success, but the wheel has not the image complete";
    return QString();
}

void TestCampaign::builtProgram()
{
    const QString exe = qEnvironmentVariable("TARVOSET_EXE");
    QVERIFY2(QFile::exists(exe), "TARVOSET_EXE must name the built program");
    const int points = qMax(10, g_points / 8);
    const QString pid = QString::number(QCoreApplication::applicationPid());
    const QString program = m_dir.filePath("tarvoset-campaign-" + pid);
    QVERIFY(QFile::link(exe, program) || QFile::copy(exe, program));
    const QString trace = m_dir.filePath("program-trace.log");
    const QString stateFile = m_dir.filePath("program-state.json");
    const QString control = "tarvoset-campaign-control-" + pid;
    QVERIFY(QDir().mkpath(m_dir.filePath("program-config")));

    QProcess tool;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", m_dir.filePath("program-config"));
    tool.setProcessEnvironment(env);
    tool.start(program,
               {"--virtual-wheel", "R-VELO", "--wheel-control", control, "--hid-trace", trace, "--virtual-wheel-state",
                stateFile});
    QVERIFY(tool.waitForStarted());
    campaign::Watchdog watchdog(60);
    ControlSocket wheel;
    QTRY_VERIFY_WITH_TIMEOUT(wheel.connect(control), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(readoutOver(readTrace(trace)), 10000);
    // About a real wheel's pace, so that a moment can fall inside the readout.
    QCOMPARE(wheel.send("latency 1"), QString("ok"));
    const QJsonObject flash0 = wheel.state().value("flash").toObject();
    QVERIFY(!flash0.isEmpty());

    QRandomGenerator random(g_seed ^ 0x5eed);
    QByteArray stderrSeen;
    QElapsedTimer total;
    total.start();
    for (int i = 0; i < points; ++i) {
        const QString faults[] = {"", "fail-gets", "fail-sends"};
        const QString fault = faults[random.bounded(3)];
        const int count = 1 + int(random.bounded(6));
        // Armed before the wheel is back (the first calls meet it), or that long into the re-read.
        const int lateBy = random.bounded(2) ? -1 : int(random.bounded(40));
        const bool blink = random.bounded(2) == 0;
        const bool again = random.bounded(2) == 0; // pulled again inside the re-read
        const int againAfter = int(random.bounded(30));
        const QString where = QString("seed %1, program point %2: %3 %4%5, %6%7")
                                  .arg(g_seed)
                                  .arg(i)
                                  .arg(fault.isEmpty() ? "no fault" : fault)
                                  .arg(count)
                                  .arg(lateBy < 0 ? QString() : QString(" %1 ms into the re-read").arg(lateBy))
                                  .arg(blink ? "blink" : "pull")
                                  .arg(again ? QString(", again after %1 ms").arg(againAfter) : QString());
        watchdog.alive(where.toUtf8());
        const qint64 mark = QFileInfo(trace).size();
        const auto lines = [&] { return readTrace(trace, mark); };

        const QString arming = QString("%1 %2").arg(fault).arg(count);
        if (!fault.isEmpty() && lateBy < 0)
            QVERIFY2(wheel.send(arming) == "ok", qPrintable(where));
        QVERIFY2(wheel.send("unplug") == "ok", qPrintable(where));
        if (blink) {
            QTest::qWait(int(random.bounded(15)));
        } else {
            QTRY_VERIFY2_WITH_TIMEOUT(waitingInTrace(lines()), qPrintable(where + ": no waiting after the pull"),
                                      10000);
        }
        QVERIFY2(wheel.send("plug") == "ok", qPrintable(where));
        QTRY_VERIFY2_WITH_TIMEOUT(opensIn(lines()) >= 1, qPrintable(where + ": the wheel was not opened again"), 10000);
        if (!fault.isEmpty() && lateBy >= 0) {
            QTest::qWait(lateBy);
            QVERIFY2(wheel.send(arming) == "ok", qPrintable(where));
        }
        if (again) {
            QTest::qWait(againAfter);
            QVERIFY2(wheel.send("unplug") == "ok", qPrintable(where));
            QTRY_VERIFY2_WITH_TIMEOUT(waitingInTrace(lines()), qPrintable(where + ": no waiting after the pull"),
                                      10000);
            QVERIFY2(wheel.send("plug") == "ok", qPrintable(where));
        }
        QTRY_VERIFY2_WITH_TIMEOUT(readoutOver(lines()), qPrintable(where + ": no re-read"), 10000);
        wheel.send("fail-gets 0");
        wheel.send("fail-sends 0");

        // A clean re-read asks for everything, in order.
        const QList<TraceLine> seen = lines();
        bool clean = false;
        const QString gap = rereadGap(seen, &clean);
        QVERIFY2(gap.isEmpty(), qPrintable(where + ": " + gap));
        for (const TraceLine& line : seen)
            QVERIFY2(line.kind != "malformed", qPrintable(where + ": " + line.data));

        // Alive and answering: the control socket is served by the window's event loop.
        const QJsonObject state = wheel.state();
        QVERIFY2(!state.isEmpty(), qPrintable(where + ": the program did not answer"));
        QVERIFY2(tool.state() == QProcess::Running, qPrintable(where + ": the program ended"));
        // Nothing was saved, so nothing may have reached the flash.
        QVERIFY2(state.value("flash").toObject() == flash0, qPrintable(where + ": the flash changed"));
        stderrSeen += tool.readAllStandardError();
        for (const char* report : {"AddressSanitizer", "LeakSanitizer", "ThreadSanitizer", "runtime error:"})
            QVERIFY2(!stderrSeen.contains(report), qPrintable(where + ": " + QString::fromLocal8Bit(stderrSeen)));
    }
    qInfo("built program: %d points in %.1f s", points, total.elapsed() / 1000.0);
    tool.terminate();
    QVERIFY(tool.waitForFinished(10000));
    QFile saved(stateFile);
    if (saved.open(QIODevice::ReadOnly))
        QCOMPARE(QJsonDocument::fromJson(saved.readAll()).object().value("flash").toObject(), flash0);
}

int main(int argc, char* argv[])
{
    // Our own options come off the command line before QTest sees it.
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    // "random" draws a new seed; the run prints it for a replay.
    const auto seedOf = [](const QString& text) {
        return text == "random" ? QRandomGenerator::system()->generate() : text.toUInt();
    };
    if (qEnvironmentVariableIsSet("TARVO_CAMPAIGN_SEED"))
        g_seed = seedOf(qEnvironmentVariable("TARVO_CAMPAIGN_SEED"));
    if (qEnvironmentVariableIsSet("TARVO_CAMPAIGN_POINTS"))
        g_points = qEnvironmentVariableIntValue("TARVO_CAMPAIGN_POINTS");
    QList<QByteArray> kept;
    for (int i = 0; i < args.size(); ++i) {
        if ((args[i] == "--points" || args[i] == "--seed") && i + 1 < args.size()) {
            if (args[i] == "--points")
                g_points = args[i + 1].toInt();
            else
                g_seed = seedOf(args[i + 1]);
            ++i;
            continue;
        }
        kept << args[i].toLocal8Bit();
    }
    std::vector<char*> keptArgv;
    for (QByteArray& arg : kept)
        keptArgv.push_back(arg.data());
    int keptArgc = int(keptArgv.size());
    QApplication app(keptArgc, keptArgv.data());
    TestCampaign test;
    return QTest::qExec(&test, keptArgc, keptArgv.data());
}

#include "tst_campaign.moc"
