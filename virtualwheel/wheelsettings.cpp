#include "virtualwheel/wheelsettings.h"

#include "protocol/wheelprotocol.h"
#include "virtualwheel/jsonfield.h"

#include <QJsonArray>
#include <algorithm>

namespace {

constexpr std::uint8_t kFullCode = 15;

} // namespace

WheelSettings::WheelSettings()
{
    ledCodes.fill(kFullCode);
}

bool WheelSettings::operator==(const WheelSettings& o) const
{
    return paddleMode == o.paddleMode && calRightMax == o.calRightMax && calLeftMax == o.calLeftMax
        && calRightMin == o.calRightMin && calLeftMin == o.calLeftMin && pulseWidth == o.pulseWidth
        && clutchEnable == o.clutchEnable && shifters == o.shifters && ledCodes == o.ledCodes && auxLamps == o.auxLamps;
}

int WheelSettings::shifterIndex(int id)
{
    const auto it = std::find(kShifterIds.begin(), kShifterIds.end(), id);
    return it == kShifterIds.end() ? -1 : int(it - kShifterIds.begin());
}

QJsonObject WheelSettings::toJson() const
{
    QJsonObject shifterObject;
    for (std::size_t i = 0; i < kShifterIds.size(); ++i)
        shifterObject.insert(QString::number(kShifterIds[i]), int(shifters[i]));
    QJsonArray leds;
    for (std::uint8_t code : ledCodes)
        leds.append(int(tarvo::LEVELS[code & 0x0F]));
    QJsonArray lamps;
    for (std::uint8_t v : auxLamps)
        lamps.append(int(v));

    return QJsonObject{
        {"paddleMode", int(paddleMode)},
        {"calRightMax", int(calRightMax)},
        {"calLeftMax", int(calLeftMax)},
        {"calRightMin", int(calRightMin)},
        {"calLeftMin", int(calLeftMin)},
        {"pulseWidth", qint64(pulseWidth)},
        {"clutchEnable", qint64(clutchEnable)},
        {"shifters", shifterObject},
        {"leds", leds},
        {"auxLamps", lamps},
    };
}

bool WheelSettings::fromJson(const QJsonObject& object, const QString& where, WheelSettings* out, QString* error)
{
    JsonField field(where, error);
    WheelSettings s;
    qint64 v = 0;

    if (!field.integer(object, "paddleMode", 0, 255, &v))
        return false;
    s.paddleMode = std::uint8_t(v);

    const struct
    {
        const char* name;
        std::uint16_t WheelSettings::*member;
    } words[] = {
        {"calRightMax", &WheelSettings::calRightMax},
        {"calLeftMax", &WheelSettings::calLeftMax},
        {"calRightMin", &WheelSettings::calRightMin},
        {"calLeftMin", &WheelSettings::calLeftMin},
    };
    for (const auto& word : words) {
        if (!field.integer(object, word.name, 0, 0xFFFF, &v))
            return false;
        s.*word.member = std::uint16_t(v);
    }

    if (!field.integer(object, "pulseWidth", INT32_MIN, INT32_MAX, &v))
        return false;
    s.pulseWidth = std::int32_t(v);
    if (!field.integer(object, "clutchEnable", 0, UINT32_MAX, &v))
        return false;
    s.clutchEnable = std::uint32_t(v);

    QJsonObject shifterObject;
    if (!field.object(object, "shifters", &shifterObject))
        return false;
    JsonField shifterField(field.path("shifters"), error);
    for (std::size_t i = 0; i < kShifterIds.size(); ++i) {
        if (!shifterField.integer(shifterObject, QString::number(kShifterIds[i]), 0, 0xFFFF, &v))
            return false;
        s.shifters[i] = std::uint16_t(v);
    }

    std::array<std::uint8_t, kLedCount> levels{};
    if (!field.byteArray(object, "leds", levels.data(), levels.size()))
        return false;
    for (int i = 0; i < kLedCount; ++i)
        s.ledCodes[i] = ledCodeOf(levels[i]);

    if (!field.byteArray(object, "auxLamps", s.auxLamps.data(), s.auxLamps.size()))
        return false;

    *out = s;
    return true;
}

std::uint8_t WheelSettings::ledCodeOf(std::uint8_t level)
{
    std::uint8_t code = 0;
    while (tarvo::LEVELS[code] < level)
        ++code;
    return code;
}
