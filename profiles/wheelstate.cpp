#include "profiles/wheelstate.h"

#include "device/devicehandle.h"
#include "profiles/wheelmodel.h"
#include "settings/preferencekeys.h"

#include <QSettings>

namespace {

constexpr int kNoInput = 255;

bool query(tarvo::AnswerBuffer& buffer)
{
    return deviceHandle.exchange(buffer) == DeviceHandle::ExchangeResult::Answered;
}

bool query(tarvo::QuerySelector selector, std::uint8_t sub, tarvo::AnswerBuffer* answer)
{
    *answer = tarvo::queryFrame(selector, sub);
    return query(*answer);
}

} // namespace

bool WheelReader::readModel(QString* model)
{
    tarvo::AnswerBuffer answer;
    if (!query(tarvo::QuerySelector::ModelId, 0, &answer))
        return false;
    const std::optional<std::string> text = tarvo::modelIdText(answer);
    if (!text)
        return false;
    *model = QString::fromStdString(*text);
    return true;
}

bool WheelReader::read(WheelState* state, QString* failed)
{
    using tarvo::QuerySelector;
    const WheelModel model(state->model);
    tarvo::AnswerBuffer answer;

    if (!query(QuerySelector::FirmwareVersion, 0, &answer)) {
        *failed = QStringLiteral("firmware version");
        return false;
    }
    state->firmware = QString::fromStdString(tarvo::firmwareVersionText(answer));

    state->battery.reset();
    if (model.hasBattery()) {
        if (!query(QuerySelector::Battery, 0, &answer)) {
            *failed = QStringLiteral("battery");
            return false;
        }
        const tarvo::BatteryAnswer battery = tarvo::batteryAnswer(answer);
        state->battery = WheelState::Battery{battery.percent, battery.onUsbPower()};
    }

    if (!query(QuerySelector::PaddleSettings, 0, &answer)) {
        *failed = QStringLiteral("paddle settings");
        return false;
    }
    const tarvo::PaddleSettingsAnswer paddles = tarvo::paddleSettingsAnswer(answer);
    state->paddleMode = paddles.paddleMode;
    state->calibration = paddles.calibration;

    if (!query(QuerySelector::Parameter, std::uint8_t(tarvo::Parameter::EncoderPulseWidth), &answer)) {
        *failed = QStringLiteral("pulse width");
        return false;
    }
    const std::int32_t pulse = tarvo::parameterValueSigned(answer);
    state->pulseWidth = pulse >= 0 ? std::optional<std::int32_t>(pulse) : std::nullopt;

    if (!query(QuerySelector::Parameter, std::uint8_t(tarvo::Parameter::ClutchEnable), &answer)) {
        *failed = QStringLiteral("clutch switch");
        return false;
    }
    state->clutch = tarvo::clutchEnabledAnswer(answer);

    state->leds.reset();
    state->lamps.reset();
    if (model.hasLedTable()) {
        // One buffer for the four blocks and the lamps, as the window reads them.
        tarvo::AnswerBuffer buffer{};
        tarvo::LedImage image{};
        for (int block = 0; block < int(tarvo::kLedBlocks); ++block) {
            tarvo::writeQueryHeader(buffer, tarvo::QuerySelector(block));
            if (!query(buffer)) {
                *failed = QStringLiteral("LED colours");
                return false;
            }
            tarvo::storeLedBlockAnswer(image, block, buffer);
        }
        state->leds = tarvo::unpackLedImage(image);
        if (model.hasLamps()) {
            tarvo::writeQueryHeader(buffer, QuerySelector::AuxLamps);
            if (!query(buffer)) {
                *failed = QStringLiteral("lamp colours");
                return false;
            }
            state->lamps = tarvo::auxLampsAnswer(buffer).lamps;
        }
    }
    readPreferences(state);
    return true;
}

void WheelReader::readPreferences(WheelState* state)
{
    const QSettings settings(tarvo::preferences::organisation(), tarvo::preferences::application());
    state->extraShifters = settings.value(tarvo::preferences::extraShifterKey(), false).toBool();
    const int up = int(settings.value(tarvo::preferences::encoderUpKey(state->model), kNoInput).toUInt() & 0xFF);
    const int down = int(settings.value(tarvo::preferences::encoderDownKey(state->model), kNoInput).toUInt() & 0xFF);
    // As the window loads it: bound only when neither key reads "no input".
    if (up != kNoInput && down != kNoInput)
        state->encoderBinding = WheelState::EncoderBinding{up, down};
    else
        state->encoderBinding.reset();
}

void WheelReader::storeExtraShifters(bool on)
{
    QSettings settings(tarvo::preferences::organisation(), tarvo::preferences::application());
    settings.setValue(tarvo::preferences::extraShifterKey(), on);
    settings.sync();
}

void WheelReader::storeEncoderBinding(const QString& model, const std::optional<WheelState::EncoderBinding>& binding)
{
    QSettings settings(tarvo::preferences::organisation(), tarvo::preferences::application());
    if (binding) {
        settings.setValue(tarvo::preferences::encoderUpKey(model), binding->up);
        settings.setValue(tarvo::preferences::encoderDownKey(model), binding->down);
    } else {
        settings.remove(tarvo::preferences::encoderUpKey(model));
        settings.remove(tarvo::preferences::encoderDownKey(model));
    }
    settings.sync();
}
