#include "profiles/wheelkeys.h"

#include "profiles/wheelmodel.h"
#include "settings/encoderpairs.h"

#include <QJsonArray>
#include <QRegularExpression>
#include <array>

namespace {

using Key = WheelKeys::Key;
using KeyRef = WheelKeys::KeyRef;

struct KeyInfo
{
    Key key;
    const char* name;
    const char* member;
    bool readOnly;
};

// clang-format off
constexpr std::array<KeyInfo, 15> kKeys = {{
    {Key::Model, "model", "model", true},
    {Key::ProductId, "product-id", "productId", true},
    {Key::Firmware, "firmware", "firmware", true},
    {Key::Battery, "battery", "battery", true},
    {Key::PaddleMode, "paddle-mode", "paddleMode", true},
    {Key::Paddle, "paddle", "paddle", false},
    {Key::BitePoint, "bite-point", "bitePoint", false},
    {Key::Calibration, "calibration", "calibration", false},
    {Key::PulseWidth, "pulse-width", "pulseWidth", false},
    {Key::Clutch, "clutch", "clutch", false},
    {Key::Leds, "leds", "leds", false},
    {Key::Led, "led.N", "leds", false},
    {Key::Lamps, "lamps", "lamps", false},
    {Key::ExtraShifters, "extra-shifters", "extraShifters", false},
    {Key::EncoderBinding, "encoder-binding", "encoderBinding", false},
}};
// clang-format on

const KeyInfo& infoOf(Key key)
{
    for (const KeyInfo& info : kKeys)
        if (info.key == key)
            return info;
    return kKeys.front();
}

struct PaddleWord
{
    const char* text;
    tarvo::PaddleSide side;
};
constexpr std::array<PaddleWord, 3> kPaddleWords = {
    {{"left", tarvo::PaddleSide::Left}, {"right", tarvo::PaddleSide::Right}, {"off", tarvo::PaddleSide::Off}}};

QString paddleText(tarvo::PaddleSide side)
{
    for (const PaddleWord& word : kPaddleWords)
        if (word.side == side)
            return QLatin1String(word.text);
    return QString();
}

QString onOff(bool on)
{
    return on ? QStringLiteral("on") : QStringLiteral("off");
}

std::optional<bool> parseOnOff(const QString& text)
{
    if (text == QLatin1String("on"))
        return true;
    if (text == QLatin1String("off"))
        return false;
    return std::nullopt;
}

std::optional<int> parseInt(const QString& text, int low, int high)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok || value < low || value > high || text.startsWith(QLatin1Char('+')))
        return std::nullopt;
    return value;
}

QJsonValue calibrationJson(const tarvo::PaddleCalibration& cal)
{
    return QJsonObject{
        {"leftMin", cal.leftMin}, {"leftMax", cal.leftMax}, {"rightMin", cal.rightMin}, {"rightMax", cal.rightMax}};
}

} // namespace

std::optional<tarvo::Rgb> WheelKeys::parseColour(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral("^#[0-9a-fA-F]{6}$"));
    if (!pattern.match(text).hasMatch())
        return std::nullopt;
    const uint value = text.mid(1).toUInt(nullptr, 16);
    return tarvo::Rgb{std::uint8_t(value >> 16), std::uint8_t(value >> 8), std::uint8_t(value)};
}

QString WheelKeys::colourText(const tarvo::Rgb& c)
{
    return QStringLiteral("#%1%2%3")
        .arg(c.r, 2, 16, QLatin1Char('0'))
        .arg(c.g, 2, 16, QLatin1Char('0'))
        .arg(c.b, 2, 16, QLatin1Char('0'));
}

tarvo::Rgb WheelKeys::slotColour(const tarvo::LedLevels& levels, int slot)
{
    // As the wheel holds them: no channel reordering.
    return tarvo::ledSlotLevels(levels, std::size_t(slot));
}

QString WheelKeys::unknownKeyText(const QString& name)
{
    if (name.startsWith(QLatin1String("led.")))
        return QStringLiteral("unknown key '%1': the LED slots are 0 to %2").arg(name).arg(int(tarvo::kLedSlots) - 1);
    return QStringLiteral("unknown key '%1'").arg(name);
}

std::optional<KeyRef> WheelKeys::parseKey(const QString& name)
{
    static const QRegularExpression ledSlot(QStringLiteral("^led\\.(0|[1-9][0-9]?)$"));
    const QRegularExpressionMatch match = ledSlot.match(name);
    if (match.hasMatch()) {
        const int slot = match.captured(1).toInt();
        if (slot < int(tarvo::kLedSlots))
            return KeyRef{Key::Led, slot};
        return std::nullopt;
    }
    for (const KeyInfo& info : kKeys)
        if (info.key != Key::Led && name == QLatin1String(info.name))
            return KeyRef{info.key, -1};
    return std::nullopt;
}

QString WheelKeys::name(const KeyRef& key)
{
    if (key.key == Key::Led)
        return QStringLiteral("led.%1").arg(key.slot);
    return QLatin1String(infoOf(key.key).name);
}

QString WheelKeys::member(const KeyRef& key)
{
    return QLatin1String(infoOf(key.key).member);
}

bool WheelKeys::isReadOnly(Key key)
{
    return infoOf(key).readOnly;
}

QList<KeyRef> WheelKeys::allKeys()
{
    QList<KeyRef> keys;
    for (const KeyInfo& info : kKeys)
        if (info.key != Key::Led)
            keys.append({info.key, -1});
    return keys;
}

QString WheelKeys::text(const WheelState& state, const KeyRef& key)
{
    const QString none = QStringLiteral("none");
    const tarvo::BitePoint bite = tarvo::decodePaddleMode(state.paddleMode);
    switch (key.key) {
    case Key::Model:
        return state.model;
    case Key::ProductId:
        return QStringLiteral("%1").arg(state.productId, 4, 16, QLatin1Char('0'));
    case Key::Firmware:
        return state.firmware;
    case Key::Battery:
        if (!state.battery)
            return none;
        return state.battery->usbPower ? QStringLiteral("usb") : QStringLiteral("%1%").arg(state.battery->percent);
    case Key::PaddleMode:
        return QString::number(state.paddleMode);
    case Key::Paddle:
        return paddleText(bite.side);
    case Key::BitePoint:
        return bite.side == tarvo::PaddleSide::Off ? none : QString::number(bite.percent);
    case Key::Calibration: {
        const tarvo::PaddleCalibration& c = state.calibration;
        return QStringLiteral("%1,%2,%3,%4").arg(c.leftMin).arg(c.leftMax).arg(c.rightMin).arg(c.rightMax);
    }
    case Key::PulseWidth:
        return state.pulseWidth ? QString::number(*state.pulseWidth) : none;
    case Key::Clutch:
        return onOff(state.clutch);
    case Key::Leds: {
        if (!state.leds)
            return none;
        QStringList colours;
        for (int slot = 0; slot < int(tarvo::kLedSlots); ++slot)
            colours.append(colourText(slotColour(*state.leds, slot)));
        return colours.join(QLatin1Char(' '));
    }
    case Key::Led:
        return state.leds ? colourText(slotColour(*state.leds, key.slot)) : none;
    case Key::Lamps:
        return state.lamps ? colourText(state.lamps->left) + QLatin1Char(',') + colourText(state.lamps->right) : none;
    case Key::ExtraShifters:
        return onOff(state.extraShifters);
    case Key::EncoderBinding:
        return state.encoderBinding
            ? QStringLiteral("%1,%2").arg(state.encoderBinding->up + 1).arg(state.encoderBinding->down + 1)
            : none;
    }
    return none;
}

QJsonValue WheelKeys::json(const WheelState& state, const KeyRef& key)
{
    const tarvo::BitePoint bite = tarvo::decodePaddleMode(state.paddleMode);
    switch (key.key) {
    case Key::Model:
    case Key::ProductId:
    case Key::Firmware:
    case Key::Paddle:
        return text(state, key);
    case Key::Battery:
        if (!state.battery)
            return QJsonValue::Null;
        return QJsonObject{{"percent", state.battery->percent}, {"usbPower", state.battery->usbPower}};
    case Key::PaddleMode:
        return int(state.paddleMode);
    case Key::BitePoint:
        return bite.side == tarvo::PaddleSide::Off ? QJsonValue(QJsonValue::Null) : QJsonValue(bite.percent);
    case Key::Calibration:
        return calibrationJson(state.calibration);
    case Key::PulseWidth:
        return state.pulseWidth ? QJsonValue(int(*state.pulseWidth)) : QJsonValue(QJsonValue::Null);
    case Key::Clutch:
        return state.clutch;
    case Key::Leds: {
        if (!state.leds)
            return QJsonValue::Null;
        QJsonArray colours;
        for (int slot = 0; slot < int(tarvo::kLedSlots); ++slot)
            colours.append(colourText(slotColour(*state.leds, slot)));
        return colours;
    }
    case Key::Led:
        return state.leds ? QJsonValue(colourText(slotColour(*state.leds, key.slot))) : QJsonValue(QJsonValue::Null);
    case Key::Lamps:
        if (!state.lamps)
            return QJsonValue::Null;
        return QJsonArray{colourText(state.lamps->left), colourText(state.lamps->right)};
    case Key::ExtraShifters:
        return state.extraShifters;
    case Key::EncoderBinding:
        if (!state.encoderBinding)
            return QJsonValue::Null;
        return QJsonObject{{"up", state.encoderBinding->up + 1}, {"down", state.encoderBinding->down + 1}};
    }
    return QJsonValue::Null;
}

QList<KeyRef> WheelKeys::reportedAfterSet(const KeyRef& key)
{
    switch (key.key) {
    case Key::Paddle:
    case Key::BitePoint:
        return {{Key::Paddle, -1}, {Key::BitePoint, -1}, {Key::PaddleMode, -1}};
    case Key::Led:
        return {{Key::Leds, -1}};
    default:
        return {key};
    }
}

bool valuecheck::calibration(const QString& text, tarvo::PaddleCalibration* calibration, QString* error)
{
    const QStringList parts = text.split(QLatin1Char(','));
    std::array<int, 4> values{};
    bool ok = parts.size() == 4;
    for (int i = 0; ok && i < 4; ++i) {
        const std::optional<int> value = parseInt(parts[i].trimmed(), 0, 4096);
        ok = value.has_value();
        values[i] = value.value_or(0);
    }
    if (!ok) {
        *error = QStringLiteral("calibration takes LMIN,LMAX,RMIN,RMAX, each 0 to 4096, not '%1'").arg(text);
        return false;
    }
    if (values[0] >= values[1] || values[2] >= values[3]) {
        *error = QStringLiteral("calibration '%1': each minimum must lie below its maximum").arg(text);
        return false;
    }
    calibration->leftMin = std::uint16_t(values[0]);
    calibration->leftMax = std::uint16_t(values[1]);
    calibration->rightMin = std::uint16_t(values[2]);
    calibration->rightMax = std::uint16_t(values[3]);
    return true;
}

bool valuecheck::encoderBinding(int up, int down, WheelState::EncoderBinding* binding, QString* error)
{
    const EncoderPair* pair = encoderPairOf(up - 1);
    if (!pair || pair->up != up - 1 || pair->down != down - 1) {
        *error = QStringLiteral("encoder binding %1,%2 is not the up and down input of one encoder").arg(up).arg(down);
        return false;
    }
    *binding = WheelState::EncoderBinding{up - 1, down - 1};
    return true;
}

bool SettingChanges::parse(const QStringList& assignments, SettingChanges* changes, QString* error)
{
    if (assignments.isEmpty()) {
        *error = QStringLiteral("set needs at least one KEY=VALUE");
        return false;
    }
    for (const QString& assignment : assignments) {
        const qsizetype equals = assignment.indexOf(QLatin1Char('='));
        if (equals < 0) {
            *error = QStringLiteral("'%1' is not KEY=VALUE").arg(assignment);
            return false;
        }
        const QString keyName = assignment.left(equals);
        const QString value = assignment.mid(equals + 1);
        const std::optional<KeyRef> key = WheelKeys::parseKey(keyName);
        if (!key) {
            *error = WheelKeys::unknownKeyText(keyName);
            return false;
        }
        if (WheelKeys::isReadOnly(key->key)) {
            *error = QStringLiteral("%1 is read only").arg(keyName);
            return false;
        }
        if (changes->keys.contains(*key)) {
            *error = QStringLiteral("%1 is given twice").arg(keyName);
            return false;
        }
        const auto refuse = [&](const QString& expected) {
            *error = QStringLiteral("%1 takes %2, not '%3'").arg(keyName, expected, value);
            return false;
        };
        switch (key->key) {
        case Key::Paddle: {
            bool found = false;
            for (const PaddleWord& word : kPaddleWords) {
                if (value == QLatin1String(word.text)) {
                    changes->paddle = word.side;
                    found = true;
                }
            }
            if (!found)
                return refuse(QStringLiteral("left, right or off"));
            break;
        }
        case Key::BitePoint:
            changes->bitePoint = parseInt(value, 0, 100);
            if (!changes->bitePoint)
                return refuse(QStringLiteral("0 to 100"));
            break;
        case Key::Calibration: {
            tarvo::PaddleCalibration calibration;
            if (!valuecheck::calibration(value, &calibration, error))
                return false;
            changes->calibration = calibration;
            break;
        }
        case Key::PulseWidth:
            changes->pulseWidth = parseInt(value, 40, 240);
            if (!changes->pulseWidth)
                return refuse(QStringLiteral("40 to 240"));
            break;
        case Key::Clutch:
        case Key::ExtraShifters: {
            const std::optional<bool> on = parseOnOff(value);
            if (!on)
                return refuse(QStringLiteral("on or off"));
            (key->key == Key::Clutch ? changes->clutch : changes->extraShifters) = on;
            break;
        }
        case Key::Leds:
        case Key::Led: {
            const std::optional<tarvo::Rgb> colour = WheelKeys::parseColour(value);
            if (!colour)
                return refuse(QStringLiteral("#rrggbb"));
            changes->leds.emplace_back(key->slot, *colour);
            break;
        }
        case Key::Lamps: {
            const QStringList parts = value.split(QLatin1Char(','));
            const std::optional<tarvo::Rgb> left = parts.size() == 2 ? WheelKeys::parseColour(parts[0]) : std::nullopt;
            const std::optional<tarvo::Rgb> right = parts.size() == 2 ? WheelKeys::parseColour(parts[1]) : std::nullopt;
            if (!left || !right)
                return refuse(QStringLiteral("#rrggbb,#rrggbb"));
            changes->lamps = tarvo::AuxLamps{*left, *right};
            break;
        }
        case Key::EncoderBinding: {
            if (value == QLatin1String("none")) {
                changes->encoderBinding = std::optional<WheelState::EncoderBinding>();
                break;
            }
            const QStringList parts = value.split(QLatin1Char(','));
            const std::optional<int> up = parts.size() == 2 ? parseInt(parts[0], 1, 64) : std::nullopt;
            const std::optional<int> down = parts.size() == 2 ? parseInt(parts[1], 1, 64) : std::nullopt;
            if (!up || !down)
                return refuse(QStringLiteral("none or UP,DOWN"));
            WheelState::EncoderBinding binding;
            if (!valuecheck::encoderBinding(*up, *down, &binding, error))
                return false;
            changes->encoderBinding = binding;
            break;
        }
        default:
            break;
        }
        changes->keys.append(*key);
    }
    if (changes->paddle == tarvo::PaddleSide::Off && changes->bitePoint) {
        *error = QStringLiteral("paddle=off has no bite point");
        return false;
    }
    return true;
}
