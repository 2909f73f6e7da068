#pragma once

#include "profiles/wheelstate.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

// A tarvoset-profile document: every setting that can be written back to a wheel, and the
// two preferences.
struct Profile
{
    static constexpr int kVersion = 1;

    QString model;
    QString firmware;
    QString saved; // as read; toJson takes the time to write
    std::uint8_t paddleMode = 255; // 0..201 or 255
    tarvo::PaddleCalibration calibration;
    std::optional<int> pulseWidth; // none: left as it is
    bool clutch = true;
    std::optional<tarvo::LedLevels> leds; // none: left as they are
    std::optional<tarvo::AuxLamps> lamps; // none: left as they are
    bool hasEncoderBinding = false; // false: the preference is left alone
    std::optional<WheelState::EncoderBinding> encoderBinding; // none: removed
    std::optional<bool> extraShifters; // none: left alone

    // What the window would save of a wheel: a paddle mode of 202 to 254 as 255, the pulse
    // width bounded to 40..240.
    static Profile fromState(const WheelState& state);
    QByteArray toJson(const QString& saved) const;
    // False with a sentence naming the member that is missing, malformed or out of range.
    static bool fromJson(const QByteArray& data, Profile* profile, QString* error);

    // The members (profile member names) whose values on a wheel differ from this profile's,
    // counting only what a wheel of that state's model takes: before writing, what a write
    // changes; after it, what the wheel did not take. LEDs compare by their 4-bit codes.
    QStringList differingMembers(const WheelState& wheel) const;

    static bool sameLedCodes(const tarvo::LedLevels& a, const tarvo::LedLevels& b);
    static bool sameLamps(const tarvo::AuxLamps& a, const tarvo::AuxLamps& b);
};
