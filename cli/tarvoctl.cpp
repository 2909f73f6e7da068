#include "cli/tarvoctl.h"

#include "cli/inputmonitor.h"
#include "device/devicehandle.h"
#include "device/tarvoevent.h"
#include "device/wheellock.h"
#include "device/wheelopener.h"
#include "firmware/firmwaredownload.h"
#include "firmware/firmwaretransfer.h"
#include "firmware/updatedocument.h"
#include "firmware/updateserver.h"
#include "profiles/profile.h"
#include "profiles/profilelibrary.h"
#include "profiles/wheelkeys.h"
#include "profiles/wheelmodel.h"
#include "profiles/wheelwriter.h"
#include "startup/appsetup.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QNetworkAccessManager>
#include <QSaveFile>
#include <QTextStream>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>

// A console tool: neither Qt Gui nor Qt Widgets may creep into its build.
#if defined(QT_GUI_LIB) || defined(QT_WIDGETS_LIB)
#error "tarvoctl must link Qt Core and Qt Network only"
#endif

#ifdef Q_OS_WIN
#include <io.h>
#define isatty _isatty
#else
#include <unistd.h>
#endif

namespace {

using Key = WheelKeys::Key;
using KeyRef = WheelKeys::KeyRef;

std::atomic<bool> stopRequested{false};

extern "C" void requestStop(int)
{
    stopRequested = true;
}

bool sent(int result)
{
    return result >= 0;
}

QString lines(const WheelState& state, const QList<KeyRef>& keys)
{
    QStringList text;
    for (const KeyRef& key : keys)
        text.append(WheelKeys::name(key) + QStringLiteral(": ") + WheelKeys::text(state, key));
    return text.join(QLatin1Char('\n'));
}

QJsonObject members(const WheelState& state, const QList<KeyRef>& keys)
{
    QJsonObject object;
    for (const KeyRef& key : keys)
        object.insert(WheelKeys::member(key), WheelKeys::json(state, key));
    return object;
}

// Why path cannot be written (the system's reason), or empty when it can. The trial leaves
// nothing behind.
QString cannotWrite(const QString& path)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.cancelWriting();
        return QString();
    }
    return QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
}

} // namespace

Tarvoctl::Tarvoctl(const CtlOptions& options, HidBackend* backend)
    : m_options(options)
    , m_output(options.json)
    , m_backend(backend)
{
}

Tarvoctl::~Tarvoctl()
{
    // The device may belong to the virtual wheel or the trace of the set-up.
    deviceHandle.close();
    deviceHandle.setBackend(nullptr);
}

int Tarvoctl::run()
{
    struct Command
    {
        const char* word;
        int (Tarvoctl::*run)();
    };
    static constexpr Command kCommands[] = {
        {"list", &Tarvoctl::list},       {"info", &Tarvoctl::info},         {"get", &Tarvoctl::get},
        {"set", &Tarvoctl::set},         {"backup", &Tarvoctl::backup},     {"restore", &Tarvoctl::restore},
        {"flash", &Tarvoctl::flash},     {"update", &Tarvoctl::update},     {"clear-flash", &Tarvoctl::clearFlash},
        {"monitor", &Tarvoctl::monitor}, {"profiles", &Tarvoctl::profiles},
    };
    for (const Command& command : kCommands)
        if (m_options.command == QLatin1String(command.word))
            return (this->*command.run)();
    return m_output.fail(BadInput, QStringLiteral("unknown command '%1'").arg(m_options.command));
}

int Tarvoctl::runCommandLine(const QStringList& arguments, HidBackend* backend)
{
    const CtlParseResult parsed = parseCtlOptions(arguments);
    const CtlOutput output(parsed.options.json);
    switch (parsed.action) {
    case CtlParseResult::Action::Version:
        output.line(QStringLiteral("tarvoctl ") + QCoreApplication::applicationVersion());
        return Done;
    case CtlParseResult::Action::Help:
        std::fputs(parsed.helpText.toUtf8().constData(), stdout);
        return Done;
    case CtlParseResult::Action::UsageError: {
        // One line that says what was wrong; the whole usage would bury it.
        QString error = parsed.error;
        if (error.endsWith(QLatin1Char('.')))
            error.chop(1);
        output.message(error + QStringLiteral("; see tarvoctl --help"));
        if (output.json())
            output.document(QJsonObject{{"error", error}});
        return BadInput;
    }
    case CtlParseResult::Action::Run:
        break;
    }
    return Tarvoctl(parsed.options, backend).run();
}

int Tarvoctl::setUpBackend()
{
    if (m_backend) {
        deviceHandle.setBackend(m_backend);
    } else {
        // The backend behind deviceHandle and the update server, as for the window.
        m_setup = std::make_unique<AppSetup>();
        QString error;
        if (!m_setup->apply(m_options.app, &error))
            return m_output.fail(BadInput, error);
        m_backend = deviceHandle.backend();
    }
    deviceHandle.init();
    return Done;
}

int Tarvoctl::openWheel()
{
    if (const int code = setUpBackend())
        return code;

    const WheelOpener::Result opened = WheelOpener::openFirst(
        deviceHandle, m_options.force ? WheelOpener::HeldWheel::Use : WheelOpener::HeldWheel::Stop);
    switch (opened.status) {
    case WheelOpener::Result::Status::Held:
        return m_output.fail(Held, WheelOpener::heldText(opened) + QStringLiteral(" Close it, or use --force."));
    case WheelOpener::Result::Status::NotOpened:
        return m_output.fail(NoWheel, WheelOpener::whyNotOpened(deviceHandle.backend(), opened));
    case WheelOpener::Result::Status::Opened:
        m_productId = opened.productId;
        return Done;
    }
    return NoWheel;
}

int Tarvoctl::readState(WheelState* state)
{
    state->productId = m_productId;
    if (!WheelReader::readModel(&state->model))
        return m_output.fail(NotDone, QStringLiteral("the wheel did not tell its model"));
    QString failed;
    if (!WheelReader::read(state, &failed))
        return m_output.fail(NotDone, QStringLiteral("reading the %1 from the wheel failed").arg(failed));
    return Done;
}

int Tarvoctl::openAndRead(WheelState* state)
{
    if (const int code = openWheel())
        return code;
    return readState(state);
}

int Tarvoctl::confirm(const QString& question)
{
    if (m_options.yes)
        return Done;
    if (!isatty(fileno(stdin)) || !isatty(fileno(stderr)))
        return m_output.fail(NotConfirmed, QStringLiteral("not confirmed: no terminal to ask; add --yes"));
    m_output.progress(question + QStringLiteral(" [y/N] "), false);
    QTextStream in(stdin);
    const QString answer = in.readLine().trimmed().toLower();
    if (answer == QLatin1String("y") || answer == QLatin1String("yes"))
        return Done;
    return m_output.fail(NotConfirmed, QStringLiteral("not confirmed"));
}

int Tarvoctl::sendFailed(const QString& what)
{
    return m_output.fail(NotDone, QStringLiteral("sending the %1 to the wheel failed").arg(what));
}

// ---- list ----

int Tarvoctl::list()
{
    if (const int code = setUpBackend())
        return code;
    HidBackend* backend = m_backend;

    std::vector<HidBackend::PresentDevice> devices;
    for (const std::uint16_t product : tarvo::kProductIds)
        for (const HidBackend::PresentDevice& device : backend->enumerate(tarvo::kVendorId))
            if (device.productId == product)
                devices.push_back(device);

    QJsonArray wheels;
    for (const HidBackend::PresentDevice& device : devices) {
        QString model;
        QString problem;
        const std::string key = backend->lockKey(tarvo::kVendorId, device.productId);
        auto lock = std::make_unique<WheelLock>(QString::fromStdString(key));
        if (device.noPermission) {
            problem = WheelOpener::permissionHint(device);
        } else if (!key.empty() && lock->tryLock() == WheelLock::Result::Held) {
            // Held: not one query may go to it.
            problem = QStringLiteral("held by another TarvoSet program (the window or another tarvoctl)");
        } else if (!deviceHandle.open(tarvo::kVendorId, device.productId)) {
            problem = QStringLiteral("cannot be opened (in use by another program?)");
        } else if (!WheelReader::readModel(&model)) {
            problem = QStringLiteral("opens but does not tell its model");
        }
        deviceHandle.close();
        lock.reset();

        const QString productId = QStringLiteral("%1").arg(device.productId, 4, 16, QLatin1Char('0'));
        const QString path = QString::fromStdString(device.path);
        const bool open = problem.isEmpty();
        wheels.append(QJsonObject{{"productId", productId},
                                  {"path", path},
                                  {"model", open ? QJsonValue(model) : QJsonValue(QJsonValue::Null)},
                                  {"open", open},
                                  {"problem", open ? QJsonValue(QJsonValue::Null) : QJsonValue(problem)}});
        if (!m_output.json())
            m_output.line(QStringLiteral("%1  %2  %3").arg(productId, path, open ? model : problem));
    }
    if (devices.empty())
        m_output.message(WheelOpener::whyNotOpened(backend, {}));
    if (m_output.json())
        m_output.document(QJsonObject{{"wheels", wheels}});
    return Done;
}

// ---- info, get ----

int Tarvoctl::info()
{
    WheelState state;
    if (const int code = openAndRead(&state))
        return code;
    const QList<KeyRef> keys = WheelKeys::allKeys();
    if (m_output.json())
        m_output.document(members(state, keys));
    else
        m_output.line(lines(state, keys));
    return Done;
}

int Tarvoctl::get()
{
    const std::optional<KeyRef> key = WheelKeys::parseKey(m_options.arguments.first());
    if (!key)
        return m_output.fail(BadInput, WheelKeys::unknownKeyText(m_options.arguments.first()));
    WheelState state;
    if (const int code = openAndRead(&state))
        return code;
    if (m_output.json()) {
        const QString member = key->key == Key::Led ? WheelKeys::name(*key) : WheelKeys::member(*key);
        m_output.document(QJsonObject{{member, WheelKeys::json(state, *key)}});
    } else {
        m_output.line(WheelKeys::text(state, *key));
    }
    return Done;
}

// ---- set ----

int Tarvoctl::set()
{
    SettingChanges changes;
    QString error;
    if (!SettingChanges::parse(m_options.arguments, &changes, &error))
        return m_output.fail(BadInput, error);
    WheelState state;
    if (const int code = openAndRead(&state))
        return code;

    const WheelModel model(state.model);
    if (!changes.leds.empty() && !model.hasLedTable())
        return m_output.fail(BadInput, QStringLiteral("the %1 has no LED slots to set").arg(state.model));
    if (changes.lamps && !model.hasLamps())
        return m_output.fail(BadInput, QStringLiteral("the %1 has no lamps to set").arg(state.model));
    const tarvo::BitePoint current = tarvo::decodePaddleMode(state.paddleMode);
    const tarvo::PaddleSide side = changes.paddle.value_or(current.side);
    if (changes.bitePoint && side == tarvo::PaddleSide::Off)
        return m_output.fail(BadInput,
                             QStringLiteral("the wheel's paddle is off: set bite-point together with paddle=left or "
                                            "paddle=right"));
    const int percent = changes.bitePoint.value_or(current.side == tarvo::PaddleSide::Off ? 50 : current.percent);
    const bool modeChanges = changes.paddle || changes.bitePoint;
    // Only what was asked changes: the calibration alone keeps the mode byte the wheel reports.
    const std::uint8_t mode = modeChanges ? tarvo::encodePaddleMode(side, percent) : state.paddleMode;
    const tarvo::PaddleCalibration calibration = changes.calibration.value_or(state.calibration);
    tarvo::LedLevels levels = state.leds.value_or(tarvo::LedLevels{});
    for (const auto& [slot, colour] : changes.leds) {
        for (int s = 0; s < int(tarvo::kLedSlots); ++s)
            if (slot < 0 || s == slot)
                tarvo::setLedSlotLevels(levels, std::size_t(s), colour);
    }

    // The preferences are this computer's: stored at once, --save or not.
    if (changes.extraShifters)
        WheelReader::storeExtraShifters(*changes.extraShifters);
    if (changes.encoderBinding)
        WheelReader::storeEncoderBinding(state.model, *changes.encoderBinding);

    const bool save = m_options.save;
    if (changes.touchesPaddleFrame() && !sent(deviceHandle.send(tarvo::paddleSettingsFrame(mode, save, calibration))))
        return sendFailed(QStringLiteral("paddle settings"));
    if (changes.pulseWidth && !sent(deviceHandle.send(tarvo::encoderPulseWidthFrame(*changes.pulseWidth, save))))
        return sendFailed(QStringLiteral("pulse width"));
    // A fresh frame, not one built in a query's answer.
    if (changes.clutch
        && !sent(deviceHandle.send(
            tarvo::setParameterFrame(tarvo::Parameter::ClutchEnable, *changes.clutch ? 1 : 255, save))))
        return sendFailed(QStringLiteral("clutch switch"));
    if (changes.lamps && !sent(deviceHandle.send(tarvo::auxLampColoursFrame(*changes.lamps, save))))
        return sendFailed(QStringLiteral("lamp colours"));
    if (!changes.leds.empty() && !WheelWriter::writeLeds(levels, save))
        return sendFailed(QStringLiteral("LED colours"));

    WheelState after;
    if (const int code = readState(&after))
        return code;
    QStringList differ;
    if (modeChanges && after.paddleMode != mode)
        differ.append(QStringLiteral("paddle"));
    if (changes.calibration && !(after.calibration == calibration))
        differ.append(QStringLiteral("calibration"));
    if (changes.pulseWidth && after.pulseWidth != std::optional<std::int32_t>(*changes.pulseWidth))
        differ.append(QStringLiteral("pulse-width"));
    if (changes.clutch && after.clutch != *changes.clutch)
        differ.append(QStringLiteral("clutch"));
    if (changes.lamps && !(after.lamps && Profile::sameLamps(*after.lamps, *changes.lamps)))
        differ.append(QStringLiteral("lamps"));
    if (!changes.leds.empty() && !(after.leds && Profile::sameLedCodes(*after.leds, levels)))
        differ.append(QStringLiteral("leds"));

    QList<KeyRef> reported;
    for (const KeyRef& key : changes.keys)
        for (const KeyRef& shown : WheelKeys::reportedAfterSet(key))
            if (!reported.contains(shown))
                reported.append(shown);
    if (!differ.isEmpty()) {
        if (!m_output.json())
            m_output.line(lines(after, reported));
        return m_output.fail(NotDone,
                             QStringLiteral("the wheel reports other values than were sent for: %1")
                                 .arg(differ.join(QStringLiteral(", "))));
    }
    if (m_output.json())
        m_output.document(members(after, reported));
    else
        m_output.line(lines(after, reported));
    return Done;
}

// ---- backup, restore ----

int Tarvoctl::backup()
{
    QString path = m_options.arguments.first();
    const bool toStdout = path == QLatin1String("-");
    if (const int code = profilePath(&path))
        return code;
    const bool inLibrary = path != m_options.arguments.first();
    // The library's folder is made when the profile is written.
    if (!toStdout && !inLibrary) {
        const QString problem = cannotWrite(path);
        if (!problem.isEmpty())
            return m_output.fail(BadInput, problem);
    }
    WheelState state;
    if (const int code = openAndRead(&state))
        return code;
    const QByteArray json = Profile::fromState(state).toJson(QDateTime::currentDateTimeUtc().toString(Qt::ISODate));
    if (toStdout) {
        std::fwrite(json.constData(), 1, std::size_t(json.size()), stdout);
        std::fflush(stdout);
        return Done;
    }
    QString error;
    if (!ProfileLibrary::writeFile(path, json, &error))
        return m_output.fail(BadInput, error);
    if (m_output.json())
        m_output.document(QJsonObject{{"result", "done"}});
    else
        m_output.message(QStringLiteral("profile of the %1 written to %2").arg(state.model, path));
    return Done;
}

int Tarvoctl::restore()
{
    QString path = m_options.arguments.first();
    if (const int code = profilePath(&path))
        return code;
    QString error;
    Profile profile;
    if (!ProfileLibrary::readFile(path, &profile, &error))
        return m_output.fail(BadInput, error);

    WheelState state;
    if (const int code = openAndRead(&state))
        return code;
    if (profile.model != state.model && !m_options.force)
        return m_output.fail(BadInput,
                             QStringLiteral("%1 is a profile of the %2, not of the %3 connected; add --force to "
                                            "restore it anyway")
                                 .arg(path, profile.model, state.model));

    const QStringList changed = profile.differingMembers(state);
    const auto report = [&](const QStringList& differences) {
        if (m_output.json()) {
            m_output.document(QJsonObject{{"changed", QJsonArray::fromStringList(changed)},
                                          {"differences", QJsonArray::fromStringList(differences)}});
            return;
        }
        const QString none = QStringLiteral("nothing");
        m_output.line((m_options.dryRun ? QStringLiteral("would change: ") : QStringLiteral("changed: "))
                      + (changed.isEmpty() ? none : changed.join(QStringLiteral(", "))));
    };
    if (m_options.dryRun) {
        report({});
        return Done;
    }

    // The preferences go under the connected wheel's model.
    QString failed;
    if (!WheelWriter::writeProfile(profile, state.model, true, &failed))
        return sendFailed(failed);

    WheelState after;
    if (const int code = readState(&after))
        return code;
    const QStringList differences = profile.differingMembers(after);
    report(differences);
    if (!differences.isEmpty())
        return m_output.fail(NotDone,
                             QStringLiteral("the wheel reports other values than the profile holds for: %1")
                                 .arg(differences.join(QStringLiteral(", "))));
    return Done;
}

int Tarvoctl::profilePath(QString* path)
{
    if (!path->startsWith(QLatin1Char('@')))
        return Done;
    const QString name = path->mid(1);
    QString error;
    if (!ProfileLibrary::checkName(name, &error))
        return m_output.fail(BadInput, error);
    *path = ProfileLibrary::pathOf(name);
    return Done;
}

// ---- profiles ----

int Tarvoctl::profiles()
{
    QJsonArray list;
    for (const ProfileLibrary::Entry& entry : ProfileLibrary::list()) {
        // An invalid file is listed, and why goes to stderr; it fails nothing.
        if (!entry.valid)
            m_output.message(entry.problem);
        list.append(
            QJsonObject{{"name", entry.name}, {"model", entry.model}, {"saved", entry.saved}, {"valid", entry.valid}});
        if (!m_output.json())
            m_output.line(entry.name + QLatin1Char('\t') + entry.model + QLatin1Char('\t') + entry.saved);
    }
    if (m_output.json())
        m_output.document(QJsonObject{{"profiles", list}});
    return Done;
}

// ---- clear-flash ----

int Tarvoctl::clearFlash()
{
    if (const int code = openWheel())
        return code;
    if (const int code = confirm(QStringLiteral("Erase every setting stored in the wheel's flash?")))
        return code;
    if (!sent(deviceHandle.send(tarvo::clearFlashFrame())))
        return sendFailed(QStringLiteral("erase command"));
    if (m_output.json())
        m_output.document(QJsonObject{{"result", "done"}});
    else
        m_output.message(QStringLiteral("the settings stored in the wheel have been erased"));
    return Done;
}

// ---- monitor ----

int Tarvoctl::monitor()
{
    if (const int code = openWheel())
        return code;
    InputMonitor printer(m_output);
    TarvoEvent reader;
    int result = Done;
    QObject::connect(&reader, &TarvoEvent::eventTrigger, &printer, &InputMonitor::onReport);
    QObject::connect(&reader, &TarvoEvent::deviceDisconnect, &printer, [&] {
        result = m_output.fail(NotDone, QStringLiteral("the wheel was lost"));
        QCoreApplication::exit(0);
    });
    stopRequested = false;
    std::signal(SIGINT, requestStop);
    std::signal(SIGTERM, requestStop);
    QTimer stopPoll;
    QObject::connect(&stopPoll, &QTimer::timeout, &printer, [] {
        if (stopRequested)
            QCoreApplication::exit(0);
    });
    stopPoll.start(50);
    if (m_options.seconds)
        QTimer::singleShot(int(*m_options.seconds * 1000), Qt::PreciseTimer, &printer,
                           [] { QCoreApplication::exit(0); });
    printer.start();
    reader.start();
    QCoreApplication::exec();
    reader.requestInterruption();
    reader.wait();
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    return result;
}

// ---- firmware ----

namespace {

// Stricter than the window's check: the file must also exist, be readable and hold something.
QString imageProblem(const QString& path)
{
    const QFileInfo file(path);
    if (!path.endsWith(QLatin1String(".bin"), Qt::CaseSensitive))
        return QStringLiteral("%1 is not a firmware image: its name must end in .bin").arg(path);
    if (file.isDir())
        return QStringLiteral("cannot read the firmware image %1: it is a folder").arg(path);
    QFile image(path);
    if (!image.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot read the firmware image %1: %2").arg(path, image.errorString());
    if (file.size() == 0)
        return QStringLiteral("the firmware image %1 is empty").arg(path);
    if (!FirmwareTransfer::acceptsImage(path))
        return QStringLiteral("the firmware image %1 is larger than %2 bytes").arg(path).arg(tarvo::kMaxFirmwareSize);
    return QString();
}

} // namespace

int Tarvoctl::transfer(const QByteArray& image)
{
    FirmwareTransfer transfer(deviceHandle);
    const bool bar = isatty(fileno(stderr));
    int shown = 0;
    const auto show = [&](int percent) {
        if (bar) {
            const int filled = percent / 5;
            m_output.progress(QStringLiteral("\r[%1%2] %3%")
                                  .arg(QString(filled, QLatin1Char('#')), QString(20 - filled, QLatin1Char(' ')))
                                  .arg(percent, 3),
                              percent == 100);
        } else {
            m_output.progress(QStringLiteral("progress %1%").arg(percent), true);
        }
    };
    show(0);
    transfer.setProgressHandler([&](int percent) {
        // Lines at each further multiple of 10 (the highest one reached when several are passed).
        const int step = bar ? percent : percent / 10 * 10;
        if (step > shown) {
            shown = step;
            show(step);
        }
    });
    FirmwareTransfer::Result result = transfer.sendImage(image);
    if (result.outcome == FirmwareTransfer::Outcome::Done)
        transfer.waitForFlashWrite();
    if (bar && result.outcome != FirmwareTransfer::Outcome::Done)
        m_output.progress(QString(), true);
    switch (result.outcome) {
    case FirmwareTransfer::Outcome::Done:
        if (m_output.json())
            m_output.document(QJsonObject{{"result", "done"}});
        else
            m_output.message(QStringLiteral("firmware written"));
        return Done;
    case FirmwareTransfer::Outcome::SendFailed:
        if (result.endFrameFailed)
            return m_output.fail(NotDone,
                                 QStringLiteral("the firmware transfer failed: every block frame went out "
                                                "(%1), but the end frame failed (result %2), so the wheel "
                                                "was not told that the image is complete")
                                     .arg(result.framesSent)
                                     .arg(result.sendResult));
        return m_output.fail(NotDone,
                             QStringLiteral("the firmware transfer failed after %1 frames (result %2); no end "
                                            "frame was sent, the wheel keeps its firmware")
                                 .arg(result.framesSent)
                                 .arg(result.sendResult));
    default:
        return m_output.fail(NotDone, QStringLiteral("the firmware transfer could not start"));
    }
}

int Tarvoctl::flash()
{
    const QString path = m_options.arguments.first();
    const QString problem = imageProblem(path);
    if (!problem.isEmpty())
        return m_output.fail(BadInput, problem);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return m_output.fail(BadInput,
                             QStringLiteral("cannot read the firmware image %1: %2").arg(path, file.errorString()));
    const QByteArray image = file.read(tarvo::kMaxFirmwareSize + 1);
    if (image.size() > tarvo::kMaxFirmwareSize || image.isEmpty())
        return m_output.fail(BadInput, imageProblem(path));
    if (const int code = openWheel())
        return code;
    if (const int code = confirm(QStringLiteral("Write %1 (%2 bytes) into the wheel?").arg(path).arg(image.size())))
        return code;
    return transfer(image);
}

int Tarvoctl::update()
{
    WheelState state;
    if (const int code = openAndRead(&state))
        return code;
    const WheelModel model(state.model);
    if (model.updateFolder().isEmpty())
        return m_output.fail(NotDone,
                             QStringLiteral("the model text '%1' has no folder on the update server").arg(state.model));
    const QString folder = updateServerBaseUrl() + QStringLiteral("upgrade/") + model.updateFolder();

    QNetworkAccessManager network;
    QString error;
    const QUrl documentUrl(folder + QLatin1String(UpdateDocument::kFileName), QUrl::TolerantMode);
    const QByteArray body = FirmwareDownload::fetch(network, documentUrl, FirmwareDownload::kMaxDocumentBytes, &error);
    if (body.isEmpty())
        return m_output.fail(NotDone,
                             QStringLiteral("the update server could not be reached or trusted: %1").arg(error));
    const std::optional<UpdateDocument> document = UpdateDocument::fromJson(body);
    if (!document)
        return m_output.fail(NotDone,
                             QStringLiteral("the update server's %1 is not a JSON object")
                                 .arg(QLatin1String(UpdateDocument::kFileName)));
    const UpdateDocument::Comparison comparison = UpdateDocument::compare(state.firmware, document->version);
    if (comparison == UpdateDocument::Comparison::Invalid)
        return m_output.fail(NotDone,
                             QStringLiteral("cannot compare the wheel's firmware '%1' with the server's '%2'")
                                 .arg(state.firmware, document->version));
    const bool newer = comparison == UpdateDocument::Comparison::Newer;
    if (m_options.check) {
        if (m_output.json())
            m_output.document(
                QJsonObject{{"current", state.firmware}, {"available", document->version}, {"updateAvailable", newer}});
        else
            m_output.line(QStringLiteral("current: %1\navailable: %2\nupdate available: %3")
                              .arg(state.firmware, document->version, newer ? "yes" : "no"));
        return Done;
    }
    if (!newer) {
        if (m_output.json())
            m_output.document(QJsonObject{{"result", "up to date"}});
        else
            m_output.message(QStringLiteral("the firmware is up to date"));
        return Done;
    }
    if (const int code = confirm(QStringLiteral("Update the wheel's firmware from %1 to %2?")
                                     .arg(state.firmware.trimmed(), document->version)))
        return code;
    const QUrl imageUrl(folder + document->name, QUrl::TolerantMode);
    const QByteArray image = FirmwareDownload::fetch(network, imageUrl, FirmwareDownload::kMaxImageBytes, &error);
    if (image.isEmpty())
        return m_output.fail(NotDone, QStringLiteral("the firmware image could not be downloaded: %1").arg(error));
    if (!UpdateDocument::digestMatches(image, document->md5))
        return m_output.fail(NotDone,
                             QStringLiteral("the downloaded image's MD5 %1 differs from the server's %2")
                                 .arg(UpdateDocument::md5Hex(image), document->md5));
    if (image.size() > tarvo::kMaxFirmwareSize)
        return m_output.fail(
            NotDone, QStringLiteral("the downloaded image is larger than %1 bytes").arg(tarvo::kMaxFirmwareSize));
    return transfer(image);
}
