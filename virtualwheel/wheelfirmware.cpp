#include "virtualwheel/wheelfirmware.h"

#include "device/logging.h"
#include "virtualwheel/commandarguments.h"
#include "virtualwheel/wheelstatefile.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <algorithm>
#include <chrono>
#include <functional>
#include <thread>

namespace {

QByteArray stateFileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

constexpr std::uint8_t kFeatureReportId = 0x02;
constexpr std::uint8_t kLedReportId = 0x03;
constexpr std::uint8_t kInputReportId = 0x01;
constexpr std::uint8_t kSaveMarker = 0xEF;

constexpr std::uint8_t kPaddleSettings = 0x0A;
constexpr std::uint8_t kQuery = 0x0B;
constexpr std::uint8_t kSetParameter = 0x0C;
constexpr std::uint8_t kLedCommit = 0x0E;
constexpr std::uint8_t kEndOfTransfer = 0x10;
constexpr std::uint8_t kAuxLampColours = 0x11;
constexpr std::uint8_t kFirmwareBlockBit = 0x80;

constexpr std::uint8_t kSelectorVersion = 0x09;
constexpr std::uint8_t kSelectorPaddle = 0x0A;
constexpr std::uint8_t kSelectorParameter = 0x0C;
constexpr std::uint8_t kSelectorModel = 0x0D;
constexpr std::uint8_t kSelectorBattery = 0x0F;
constexpr std::uint8_t kSelectorAuxLamps = 0x11;

constexpr std::uint8_t kParamPulseWidth = 4;
constexpr std::uint8_t kParamClutchEnable = 8;
constexpr std::uint8_t kParamClearFlash = 0x10;
constexpr std::uint32_t kTakeHeldPosition = 0xFFFFFFFF;

constexpr int kLedBlockBytes = 18;
constexpr int kLedBlocks = 4;
constexpr int kModelTextBytes = 19;
constexpr int kVersionTextBytes = 20;
constexpr auto kBlockingReadWait = std::chrono::milliseconds(10);

std::uint16_t u16At(const std::uint8_t* p)
{
    return std::uint16_t(p[0] | (p[1] << 8));
}
std::uint32_t u32At(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24);
}
void putU16(std::uint8_t* p, std::uint16_t v)
{
    p[0] = std::uint8_t(v);
    p[1] = std::uint8_t(v >> 8);
}
void putU32(std::uint8_t* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = std::uint8_t(v >> (8 * i));
}
void putText(std::uint8_t* p, const QString& text, int capacity)
{
    const QByteArray utf8 = text.toUtf8();
    std::copy_n(utf8.constData(), std::min<qsizetype>(utf8.size(), capacity), p);
}

} // namespace

WheelFirmware::WheelFirmware(const QString& model, std::uint16_t productId)
    : m_productId(productId)
    , m_model(model)
    , m_openedModel(model)
    , m_version(QStringLiteral("\tAug  3 2023,14:05"))
    , m_batteryPercent(87)
    , m_batterySupply(3900)
    , m_batteryLink(0)
    , m_auxLampsFlag(1)
    , m_shifterRaw{2048, 2048, 2048, 2048}
{
    m_answer[0] = kFeatureReportId;
}

bool WheelFirmware::attachStateFile(const QString& path, QString* error)
{
    std::lock_guard lock(m_mutex);
    WheelSettings flash;
    FirmwareImage::Summary firmware;
    switch (WheelStateFile::load(path, &flash, &firmware, error)) {
    case WheelStateFile::LoadResult::Failed:
        return false;
    case WheelStateFile::LoadResult::Missing:
        // A factory-new wheel; the file appears with the first change, so its folder must be there.
        if (const QFileInfo folder(QFileInfo(path).absolutePath()); !folder.isDir()) {
            if (error)
                *error = QStringLiteral("%1: cannot write the wheel state file: the folder %2 does not exist")
                             .arg(path, folder.filePath());
            return false;
        }
        flash = WheelSettings();
        firmware = FirmwareImage::Summary();
        break;
    case WheelStateFile::LoadResult::Loaded:
        break;
    }
    m_statePath = path;
    m_stateSeen = stateFileBytes(path);
    m_flash = flash;
    m_flashFirmware = firmware;
    m_image.clear();
    m_live = m_flash;
    return true;
}

// ---- control ----

void WheelFirmware::queueInput(const QByteArray& reportAfterId)
{
    if (reportAfterId.isEmpty())
        return;
    {
        std::lock_guard lock(m_mutex);
        m_inputs.push_back(reportAfterId.left(16));
        // A reader that went away must not make the queue grow without end.
        while (m_inputs.size() > kInputQueueLimit)
            m_inputs.pop_front();
    }
    m_inputArrived.notify_all();
}

void WheelFirmware::unplug()
{
    {
        std::lock_guard lock(m_mutex);
        if (!m_plugged)
            return;
        m_plugged = false;
        ++m_generation; // every device opened so far is dead for good
        m_openDevices = 0;
        m_inputs.clear();
        // RAM content is lost; only what reached the flash survives.
        if (!m_image.isComplete())
            m_image.clear();
    }
    m_inputArrived.notify_all();
}

void WheelFirmware::plug()
{
    std::lock_guard lock(m_mutex);
    if (m_plugged)
        return;
    m_plugged = true;
    powerUpLocked();
}

void WheelFirmware::powerUpLocked()
{
    m_live = m_flash;
    m_answer = Answer{};
    m_answer[0] = kFeatureReportId;
}

void WheelFirmware::setModel(const QString& text)
{
    std::lock_guard lock(m_mutex);
    m_model = text;
}

void WheelFirmware::setVersion(const QString& text)
{
    std::lock_guard lock(m_mutex);
    m_version = text;
}

void WheelFirmware::setBattery(int percent, int supply, int link)
{
    std::lock_guard lock(m_mutex);
    m_batteryPercent = std::clamp(percent, 0, 255);
    m_batterySupply = std::clamp(supply, 0, 0xFFFF);
    m_batteryLink = std::clamp(link, 0, 255);
}

void WheelFirmware::setAuxLampsFlag(int flag)
{
    std::lock_guard lock(m_mutex);
    m_auxLampsFlag = std::clamp(flag, 0, 255);
}

void WheelFirmware::setShifterRaw(int shifter, int value)
{
    const int index = WheelSettings::shifterIndex(shifter);
    if (index < 0)
        return;
    std::lock_guard lock(m_mutex);
    m_shifterRaw[index] = std::uint16_t(std::clamp(value, 0, 0xFFFF));
}

bool WheelFirmware::setSetting(const QString& key, const QStringList& values, QString* error)
{
    const auto refuse = [&](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    const auto expectCount = [&](int count, const QString& usage) {
        return values.size() == count
            || refuse(QStringLiteral("set %1 takes %2 value%3: set %1 %4")
                          .arg(key)
                          .arg(count)
                          .arg(count == 1 ? QString() : QStringLiteral("s"))
                          .arg(usage));
    };
    qint64 v[6] = {};
    const auto number = [&](int i, const QString& name, qint64 min, qint64 max) {
        return CommandArguments::integer(values.at(i), name, min, max, &v[i], error);
    };

    struct Scalar
    {
        const char* key;
        qint64 min, max;
        void (*apply)(WheelSettings&, qint64);
    };
    static const Scalar scalars[] = {
        {"paddleMode", 0, 255, [](WheelSettings& s, qint64 x) { s.paddleMode = std::uint8_t(x); }},
        {"calRightMax", 0, 0xFFFF, [](WheelSettings& s, qint64 x) { s.calRightMax = std::uint16_t(x); }},
        {"calLeftMax", 0, 0xFFFF, [](WheelSettings& s, qint64 x) { s.calLeftMax = std::uint16_t(x); }},
        {"calRightMin", 0, 0xFFFF, [](WheelSettings& s, qint64 x) { s.calRightMin = std::uint16_t(x); }},
        {"calLeftMin", 0, 0xFFFF, [](WheelSettings& s, qint64 x) { s.calLeftMin = std::uint16_t(x); }},
        {"pulseWidth", INT32_MIN, INT32_MAX, [](WheelSettings& s, qint64 x) { s.pulseWidth = std::int32_t(x); }},
        {"clutchEnable", 0, UINT32_MAX, [](WheelSettings& s, qint64 x) { s.clutchEnable = std::uint32_t(x); }},
    };

    std::function<void(WheelSettings&)> change;
    if (const auto it = std::find_if(std::begin(scalars), std::end(scalars),
                                     [&](const Scalar& s) { return key == QLatin1String(s.key); });
        it != std::end(scalars)) {
        if (!expectCount(1, "VALUE") || !number(0, key, it->min, it->max))
            return false;
        const auto apply = it->apply;
        const qint64 value = v[0];
        change = [apply, value](WheelSettings& s) { apply(s, value); };
    } else if (key == QLatin1String("shifter")) {
        if (!expectCount(2, "N VALUE") || !number(0, "shifter", 3, 7))
            return false;
        const int index = WheelSettings::shifterIndex(int(v[0]));
        if (index < 0)
            return refuse(QStringLiteral("shifter: expected 3, 5, 6 or 7, got '%1'").arg(values.at(0)));
        if (!number(1, "shifter value", 0, 0xFFFF))
            return false;
        const auto value = std::uint16_t(v[1]);
        change = [index, value](WheelSettings& s) { s.shifters[index] = value; };
    } else if (key == QLatin1String("led")) {
        if (!expectCount(4, "SLOT L0 L1 L2") || !number(0, "led slot", 0, WheelSettings::kLedCount / 3 - 1))
            return false;
        for (int i = 1; i <= 3; ++i) {
            if (!number(i, "led level", 0, 255))
                return false;
        }
        const int slot = int(v[0]);
        const std::array<qint64, 3> levels = {v[1], v[2], v[3]};
        change = [slot, levels](WheelSettings& s) {
            for (int i = 0; i < 3; ++i)
                s.ledCodes[slot * 3 + i] = WheelSettings::ledCodeOf(std::uint8_t(levels[i]));
        };
    } else if (key == QLatin1String("auxLamps")) {
        if (!expectCount(6, "R G B R G B"))
            return false;
        for (int i = 0; i < 6; ++i) {
            if (!number(i, "auxLamps level", 0, 255))
                return false;
        }
        std::array<std::uint8_t, 6> lamps{};
        std::copy(std::begin(v), std::end(v), lamps.begin());
        change = [lamps](WheelSettings& s) { s.auxLamps = lamps; };
    } else {
        return refuse(QStringLiteral("unknown setting '%1'").arg(key));
    }

    std::lock_guard lock(m_mutex);
    return applyLocked(true, change, error);
}

void WheelFirmware::failSends(int count)
{
    std::lock_guard lock(m_mutex);
    m_failSends = std::max(count, 0);
}

void WheelFirmware::failGets(int count)
{
    std::lock_guard lock(m_mutex);
    m_failGets = std::max(count, 0);
}

void WheelFirmware::setLatency(int milliseconds)
{
    m_latencyMs = std::max(milliseconds, 0);
}

void WheelFirmware::awaitLatency() const
{
    if (const int ms = m_latencyMs.load(); ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

FirmwareImage::Summary WheelFirmware::firmwareSummaryLocked() const
{
    return m_image.isActive() ? m_image.summary() : m_flashFirmware;
}

QJsonObject WheelFirmware::state() const
{
    std::lock_guard lock(m_mutex);
    QJsonObject shifterPositions;
    for (std::size_t i = 0; i < m_shifterRaw.size(); ++i)
        shifterPositions.insert(QString::number(WheelSettings::kShifterIds[i]), int(m_shifterRaw[i]));
    return QJsonObject{
        {"model", m_model},
        {"productId", QStringLiteral("%1").arg(m_productId, 4, 16, QLatin1Char('0'))},
        {"connected", m_plugged},
        {"open", m_openDevices > 0},
        {"version", m_version},
        {"battery", QJsonObject{{"percent", m_batteryPercent}, {"supply", m_batterySupply}, {"link", m_batteryLink}}},
        {"auxLampsFlag", m_auxLampsFlag},
        {"shifterPositions", shifterPositions},
        {"live", m_live.toJson()},
        {"flash", m_flash.toJson()},
        {"firmware", firmwareSummaryLocked().toJson()},
        {"pendingInputs", int(m_inputs.size())},
        {"failSends", m_failSends},
        {"failGets", m_failGets},
        {"latencyMs", m_latencyMs.load()},
        {"stateFile", m_statePath},
    };
}

bool WheelFirmware::isOpen() const
{
    std::lock_guard lock(m_mutex);
    return m_plugged && m_openDevices > 0;
}

bool WheelFirmware::isPlugged() const
{
    std::lock_guard lock(m_mutex);
    return m_plugged;
}

int WheelFirmware::pendingInputCount() const
{
    std::lock_guard lock(m_mutex);
    return int(m_inputs.size());
}

QList<WheelFirmware::Received> WheelFirmware::received() const
{
    std::lock_guard lock(m_mutex);
    return QList<Received>(m_received.begin(), m_received.end());
}

void WheelFirmware::clearReceived()
{
    std::lock_guard lock(m_mutex);
    m_received.clear();
}

// ---- device side ----

std::uint64_t WheelFirmware::openDevice()
{
    std::lock_guard lock(m_mutex);
    if (!m_plugged)
        return 0;
    reloadChangedStateLocked();
    ++m_openDevices;
    m_openedModel = m_model;
    return m_generation;
}

void WheelFirmware::closeDevice(std::uint64_t generation)
{
    std::lock_guard lock(m_mutex);
    if (aliveLocked(generation) && m_openDevices > 0)
        --m_openDevices;
}

int WheelFirmware::read(std::uint64_t generation, bool blocking, std::uint8_t* data, std::size_t length)
{
    std::unique_lock lock(m_mutex);
    if (!aliveLocked(generation))
        return -1;
    if (length == 0)
        return 0;
    if (m_inputs.empty() && blocking)
        m_inputArrived.wait_for(lock, kBlockingReadWait, [&] { return !m_inputs.empty() || !aliveLocked(generation); });
    if (!aliveLocked(generation))
        return -1;
    if (m_inputs.empty())
        return 0;
    const QByteArray report = m_inputs.front();
    m_inputs.pop_front();
    data[0] = kInputReportId;
    const std::size_t count = std::min<std::size_t>(std::size_t(report.size()), length - 1);
    std::copy_n(report.constData(), count, data + 1);
    return int(1 + count);
}

void WheelFirmware::logLocked(bool isWrite, const std::uint8_t* data, std::size_t length)
{
    m_received.push_back({isWrite, QByteArray(reinterpret_cast<const char*>(data), qsizetype(length))});
    while (m_received.size() > kReceivedLimit)
        m_received.pop_front();
}

int WheelFirmware::write(std::uint64_t generation, const std::uint8_t* data, std::size_t length)
{
    awaitLatency();
    std::lock_guard lock(m_mutex);
    if (!aliveLocked(generation) || length == 0 || data[0] != kLedReportId)
        return -1;
    logLocked(true, data, length);
    Frame frame{};
    std::copy_n(data, std::min(length, frame.size()), frame.begin());
    handleLedBlockLocked(frame);
    return int(length);
}

int WheelFirmware::sendFeatureReport(std::uint64_t generation, const std::uint8_t* data, std::size_t length)
{
    awaitLatency();
    std::lock_guard lock(m_mutex);
    if (!aliveLocked(generation) || length == 0)
        return -1;
    if (m_failSends > 0) {
        --m_failSends;
        return -1;
    }
    if (data[0] != kFeatureReportId)
        return -1;
    logLocked(false, data, length);
    // A short report reads as zero-padded, as the device sees it.
    Frame frame{};
    std::copy_n(data, std::min(length, frame.size()), frame.begin());
    // A saved setting the wheel could not keep fails as a failed transfer does.
    if (!handleFeatureLocked(frame))
        return -1;
    return int(length);
}

int WheelFirmware::getFeatureReport(std::uint64_t generation, std::uint8_t* data, std::size_t length)
{
    awaitLatency();
    std::lock_guard lock(m_mutex);
    if (!aliveLocked(generation) || length == 0)
        return -1;
    if (m_failGets > 0) {
        --m_failGets;
        return -1;
    }
    if (data[0] != kFeatureReportId)
        return -1;
    const std::size_t count = std::min(length, m_answer.size());
    std::copy_n(m_answer.begin(), count, data);
    return int(count);
}

// ---- frames ----

template <typename Change>
bool WheelFirmware::applyLocked(bool save, Change change, QString* error)
{
    change(m_live);
    if (!save)
        return true;
    const WheelSettings before = m_flash;
    change(m_flash);
    return m_flash == before || storeFlashLocked(before, m_flashFirmware, error);
}

bool WheelFirmware::storeFlashLocked(const WheelSettings& flashBefore, const FirmwareImage::Summary& firmwareBefore,
                                     QString* error)
{
    if (m_statePath.isEmpty())
        return true;
    QString why;
    if (!WheelStateFile::save(m_statePath, m_flash, m_flashFirmware, &why)) {
        // What the file does not hold would not survive a restart: the flash keeps what it had.
        qCWarning(lcDevice).noquote() << "virtual wheel: cannot write the state file:" << why;
        if (error)
            *error = QStringLiteral("cannot write the state file: %1").arg(why);
        m_flash = flashBefore;
        m_flashFirmware = firmwareBefore;
        return false;
    }
    m_stateSeen = stateFileBytes(m_statePath);
    return true;
}

void WheelFirmware::reloadChangedStateLocked()
{
    if (m_statePath.isEmpty() || m_openDevices > 0)
        return;
    const QByteArray now = stateFileBytes(m_statePath);
    if (now == m_stateSeen)
        return;
    WheelSettings flash;
    FirmwareImage::Summary firmware;
    QString error;
    if (WheelStateFile::load(m_statePath, &flash, &firmware, &error) != WheelStateFile::LoadResult::Loaded)
        return; // gone or broken: keep the flash this wheel has
    m_stateSeen = now;
    m_flash = flash;
    m_flashFirmware = firmware;
    powerUpLocked();
}

bool WheelFirmware::handleFeatureLocked(const Frame& f)
{
    const std::uint8_t code = f[1];
    if (code & kFirmwareBlockBit) {
        m_image.addBlock(((code & 0x7F) << 8) | f[2], f.data() + 4, f[3]);
        return true;
    }
    switch (code) {
    case kPaddleSettings:
        return applyLocked(f[3] == kSaveMarker, [&](WheelSettings& s) {
            s.paddleMode = f[2];
            s.calRightMax = u16At(&f[5]);
            s.calLeftMax = u16At(&f[7]);
            s.calRightMin = u16At(&f[9]);
            s.calLeftMin = u16At(&f[11]);
        });
    case kQuery:
        // Only the selector and sub-selector count; bytes 4 on may hold leftovers.
        m_answer = answerLocked(f[2], f[3]);
        return true;
    case kSetParameter:
        return handleParameterLocked(f, f[7] == kSaveMarker);
    case kLedCommit:
        return applyLocked(true, [this](WheelSettings& s) { s.ledCodes = m_live.ledCodes; });
    case kEndOfTransfer: {
        m_image.finish();
        const FirmwareImage::Summary summary = m_image.summary();
        if (summary == m_flashFirmware)
            return true;
        const FirmwareImage::Summary before = m_flashFirmware;
        m_flashFirmware = summary;
        return storeFlashLocked(m_flash, before);
    }
    case kAuxLampColours:
        return applyLocked(f[2] == kSaveMarker, [&](WheelSettings& s) { std::copy_n(&f[3], 6, s.auxLamps.begin()); });
    default:
        return true; // unknown commands are ignored, as a wheel would
    }
}

bool WheelFirmware::handleParameterLocked(const Frame& f, bool save)
{
    const std::uint8_t id = f[2];
    const std::uint32_t value = u32At(&f[3]);
    if (const int shifter = WheelSettings::shifterIndex(id); shifter >= 0) {
        // Value 0 only starts a calibration; the end takes the position held meanwhile.
        if (value != kTakeHeldPosition)
            return true;
        const std::uint16_t held = m_shifterRaw[shifter];
        return applyLocked(save, [&](WheelSettings& s) { s.shifters[shifter] = held; });
    }
    switch (id) {
    case kParamPulseWidth:
        return applyLocked(save, [&](WheelSettings& s) { s.pulseWidth = std::int32_t(value); });
    case kParamClutchEnable:
        return applyLocked(save, [&](WheelSettings& s) { s.clutchEnable = value; });
    case kParamClearFlash: {
        const WheelSettings before = m_flash;
        m_flash = WheelSettings();
        m_live = m_flash;
        return m_flash == before || storeFlashLocked(before, m_flashFirmware);
    }
    default:
        return true;
    }
}

void WheelFirmware::handleLedBlockLocked(const Frame& f)
{
    const int block = f[1];
    if (block >= kLedBlocks)
        return;
    for (int i = 0; i < kLedBlockBytes; ++i) {
        const int level = (block * kLedBlockBytes + i) * 2;
        m_live.ledCodes[level] = f[2 + i] & 0x0F;
        m_live.ledCodes[level + 1] = f[2 + i] >> 4;
    }
}

WheelFirmware::Answer WheelFirmware::answerLocked(std::uint8_t selector, std::uint8_t sub) const
{
    Answer a{};
    a[0] = kFeatureReportId;
    a[1] = selector;
    if (selector < kLedBlocks) {
        for (int i = 0; i < kLedBlockBytes; ++i) {
            const int level = (selector * kLedBlockBytes + i) * 2;
            a[2 + i] = std::uint8_t(m_live.ledCodes[level] | (m_live.ledCodes[level + 1] << 4));
        }
        return a;
    }
    switch (selector) {
    case kSelectorVersion:
        // The text starts right after the report id.
        a[1] = 0;
        putText(&a[1], m_version, kVersionTextBytes);
        break;
    case kSelectorPaddle:
        a[2] = m_live.paddleMode;
        putU16(&a[5], m_live.calRightMax);
        putU16(&a[7], m_live.calLeftMax);
        putU16(&a[9], m_live.calRightMin);
        putU16(&a[11], m_live.calLeftMin);
        break;
    case kSelectorParameter: {
        a[2] = sub;
        std::uint32_t value = kTakeHeldPosition; // -1: nothing to report
        if (sub == kParamPulseWidth)
            value = std::uint32_t(m_live.pulseWidth);
        else if (sub == kParamClutchEnable)
            value = m_live.clutchEnable;
        else if (const int shifter = WheelSettings::shifterIndex(sub); shifter >= 0)
            value = m_live.shifters[shifter];
        putU32(&a[3], value);
        break;
    }
    case kSelectorModel:
        putText(&a[2], m_openedModel, kModelTextBytes);
        break;
    case kSelectorBattery:
        a[2] = std::uint8_t(m_batteryPercent);
        putU16(&a[3], std::uint16_t(m_batterySupply));
        a[5] = std::uint8_t(m_batteryLink);
        break;
    case kSelectorAuxLamps:
        a[2] = std::uint8_t(m_auxLampsFlag);
        std::copy(m_live.auxLamps.begin(), m_live.auxLamps.end(), &a[3]);
        break;
    default:
        break;
    }
    return a;
}
