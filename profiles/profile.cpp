#include "profiles/profile.h"

#include "profiles/wheelkeys.h"
#include "profiles/wheelmodel.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>

namespace {

const QString kFormat = QStringLiteral("tarvoset-profile");

// Integers only: 3.5 or "3" are not values of an integer member.
std::optional<int> integer(const QJsonValue& value, int low, int high)
{
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    // The range first: converting a double beyond any integer's range is undefined.
    if (!(number >= low && number <= high) || number != double(qint64(number)))
        return std::nullopt;
    return int(number);
}

std::optional<tarvo::Rgb> colour(const QJsonValue& value)
{
    return value.isString() ? WheelKeys::parseColour(value.toString()) : std::nullopt;
}

bool refuse(QString* error, const QString& member, const QString& expected)
{
    *error = QStringLiteral("profile member \"%1\" %2").arg(member, expected);
    return false;
}

} // namespace

Profile Profile::fromState(const WheelState& state)
{
    Profile profile;
    profile.model = state.model;
    profile.firmware = state.firmware;
    profile.paddleMode = state.paddleMode > 201 ? 255 : state.paddleMode;
    profile.calibration = state.calibration;
    if (state.pulseWidth)
        profile.pulseWidth = std::clamp(int(*state.pulseWidth), 40, 240);
    profile.clutch = state.clutch;
    profile.leds = state.leds;
    profile.lamps = state.lamps;
    profile.hasEncoderBinding = true;
    profile.encoderBinding = state.encoderBinding;
    profile.extraShifters = state.extraShifters;
    return profile;
}

QByteArray Profile::toJson(const QString& saved) const
{
    WheelState values;
    values.calibration = calibration;
    values.leds = leds;
    values.lamps = lamps;
    values.encoderBinding = encoderBinding;
    using Key = WheelKeys::Key;
    QJsonObject settings{
        {"paddleMode", int(paddleMode)},
        {"calibration", WheelKeys::json(values, {Key::Calibration, -1})},
        {"pulseWidth", pulseWidth ? QJsonValue(*pulseWidth) : QJsonValue(QJsonValue::Null)},
        {"clutch", clutch},
        {"leds", WheelKeys::json(values, {Key::Leds, -1})},
        {"lamps", WheelKeys::json(values, {Key::Lamps, -1})},
    };
    QJsonObject preferences;
    if (hasEncoderBinding)
        preferences.insert("encoderBinding", WheelKeys::json(values, {Key::EncoderBinding, -1}));
    if (extraShifters)
        preferences.insert("extraShifters", *extraShifters);
    const QJsonObject document{{"format", kFormat},         {"version", kVersion}, {"model", model},
                               {"firmware", firmware},      {"saved", saved},      {"settings", settings},
                               {"preferences", preferences}};
    return QJsonDocument(document).toJson(QJsonDocument::Indented);
}

bool Profile::fromJson(const QByteArray& data, Profile* profile, QString* error)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(data, &parseError);
    if (!document.isObject()) {
        *error = QStringLiteral("not a tarvoset profile: not a JSON object");
        return false;
    }
    const QJsonObject root = document.object();
    if (root.value("format").toString() != kFormat)
        return refuse(error, QStringLiteral("format"), QStringLiteral("must be \"%1\"").arg(kFormat));
    const std::optional<int> version = integer(root.value("version"), 1, 1 << 30);
    if (!version)
        return refuse(error, QStringLiteral("version"), QStringLiteral("must be a whole number from 1"));
    if (*version > kVersion)
        return refuse(error, QStringLiteral("version"),
                      QStringLiteral("is %1, later than this tarvoctl reads (%2)").arg(*version).arg(kVersion));
    if (!root.value("model").isString())
        return refuse(error, QStringLiteral("model"), QStringLiteral("must be the model text"));
    Profile result;
    result.model = root.value("model").toString();
    result.firmware = root.value("firmware").toString();
    result.saved = root.value("saved").toString();
    if (!root.value("settings").isObject())
        return refuse(error, QStringLiteral("settings"), QStringLiteral("must be an object"));
    const QJsonObject settings = root.value("settings").toObject();

    const std::optional<int> mode = integer(settings.value("paddleMode"), 0, 255);
    if (!mode || (*mode > 201 && *mode != 255))
        return refuse(error, QStringLiteral("paddleMode"), QStringLiteral("must be 0 to 201 or 255"));
    result.paddleMode = std::uint8_t(*mode);

    const QJsonObject cal = settings.value("calibration").toObject();
    std::array<std::optional<int>, 4> words;
    const char* names[4] = {"leftMin", "leftMax", "rightMin", "rightMax"};
    QStringList texts;
    for (int i = 0; i < 4; ++i) {
        words[i] = integer(cal.value(QLatin1String(names[i])), 0, 4096);
        if (!words[i])
            return refuse(error, QStringLiteral("calibration"),
                          QStringLiteral("needs leftMin, leftMax, rightMin and rightMax, each 0 to 4096"));
        texts.append(QString::number(*words[i]));
    }
    QString calibrationError;
    if (!valuecheck::calibration(texts.join(QLatin1Char(',')), &result.calibration, &calibrationError))
        return refuse(error, QStringLiteral("calibration"), QStringLiteral("needs each minimum below its maximum"));

    const QJsonValue pulse = settings.value("pulseWidth");
    if (!pulse.isNull()) {
        result.pulseWidth = integer(pulse, 40, 240);
        if (!result.pulseWidth)
            return refuse(error, QStringLiteral("pulseWidth"), QStringLiteral("must be 40 to 240 or null"));
    }
    if (!settings.value("clutch").isBool())
        return refuse(error, QStringLiteral("clutch"), QStringLiteral("must be true or false"));
    result.clutch = settings.value("clutch").toBool();

    const QJsonValue leds = settings.value("leds");
    if (leds.isNull() || leds.isUndefined()) {
        if (WheelModel(result.model).hasLedTable())
            return refuse(error, QStringLiteral("leds"), QStringLiteral("is missing"));
    } else {
        const QJsonArray list = leds.toArray();
        if (!leds.isArray() || list.size() != int(tarvo::kLedSlots))
            return refuse(error, QStringLiteral("leds"), QStringLiteral("must hold 48 colours #rrggbb"));
        tarvo::LedLevels levels{};
        for (int slot = 0; slot < int(tarvo::kLedSlots); ++slot) {
            const std::optional<tarvo::Rgb> c = colour(list.at(slot));
            if (!c)
                return refuse(error, QStringLiteral("leds"), QStringLiteral("must hold 48 colours #rrggbb"));
            tarvo::setLedSlotLevels(levels, std::size_t(slot), *c);
        }
        result.leds = levels;
    }

    const QJsonValue lamps = settings.value("lamps");
    if (!lamps.isNull() && !lamps.isUndefined()) {
        const QJsonArray list = lamps.toArray();
        const std::optional<tarvo::Rgb> left = list.size() == 2 ? colour(list.at(0)) : std::nullopt;
        const std::optional<tarvo::Rgb> right = list.size() == 2 ? colour(list.at(1)) : std::nullopt;
        if (!left || !right)
            return refuse(error, QStringLiteral("lamps"), QStringLiteral("must be two colours #rrggbb or null"));
        result.lamps = tarvo::AuxLamps{*left, *right};
    }

    const QJsonValue preferencesValue = root.value("preferences");
    if (!preferencesValue.isUndefined() && !preferencesValue.isObject())
        return refuse(error, QStringLiteral("preferences"), QStringLiteral("must be an object"));
    const QJsonObject preferences = preferencesValue.toObject();
    if (preferences.contains("encoderBinding")) {
        result.hasEncoderBinding = true;
        const QJsonValue binding = preferences.value("encoderBinding");
        if (!binding.isNull()) {
            const std::optional<int> up = integer(binding.toObject().value("up"), 1, 64);
            const std::optional<int> down = integer(binding.toObject().value("down"), 1, 64);
            WheelState::EncoderBinding pair;
            QString pairError;
            if (!binding.isObject() || !up || !down || !valuecheck::encoderBinding(*up, *down, &pair, &pairError))
                return refuse(error, QStringLiteral("encoderBinding"),
                              QStringLiteral("must be null or the up and down input of one encoder"));
            result.encoderBinding = pair;
        }
    }
    if (preferences.contains("extraShifters")) {
        if (!preferences.value("extraShifters").isBool())
            return refuse(error, QStringLiteral("extraShifters"), QStringLiteral("must be true or false"));
        result.extraShifters = preferences.value("extraShifters").toBool();
    }
    *profile = result;
    return true;
}

bool Profile::sameLedCodes(const tarvo::LedLevels& a, const tarvo::LedLevels& b)
{
    for (std::size_t i = 0; i < a.size(); ++i)
        if (tarvo::ledCodeForLevel(a[i]) != tarvo::ledCodeForLevel(b[i]))
            return false;
    return true;
}

bool Profile::sameLamps(const tarvo::AuxLamps& a, const tarvo::AuxLamps& b)
{
    return a.left == b.left && a.right == b.right;
}

QStringList Profile::differingMembers(const WheelState& wheel) const
{
    const WheelModel model(wheel.model);
    const bool takesLeds = leds && model.hasLedTable();
    const bool takesLamps = lamps && model.hasLamps();
    const auto sameBinding = [](const std::optional<WheelState::EncoderBinding>& a,
                                const std::optional<WheelState::EncoderBinding>& b) {
        if (a.has_value() != b.has_value())
            return false;
        return !a || (a->up == b->up && a->down == b->down);
    };
    QStringList names;
    const auto check = [&names](bool differs, const char* name) {
        if (differs)
            names.append(QLatin1String(name));
    };
    check(wheel.paddleMode != paddleMode, "paddleMode");
    check(!(wheel.calibration == calibration), "calibration");
    check(pulseWidth && wheel.pulseWidth != std::optional<std::int32_t>(*pulseWidth), "pulseWidth");
    check(wheel.clutch != clutch, "clutch");
    check(takesLeds && !(wheel.leds && sameLedCodes(*wheel.leds, *leds)), "leds");
    check(takesLamps && !(wheel.lamps && sameLamps(*wheel.lamps, *lamps)), "lamps");
    check(hasEncoderBinding && !sameBinding(wheel.encoderBinding, encoderBinding), "encoderBinding");
    check(extraShifters && wheel.extraShifters != *extraShifters, "extraShifters");
    return names;
}
