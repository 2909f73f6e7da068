#pragma once

#include "cli/wheelstate.h"

#include <QByteArray>
#include <QString>
#include <optional>

// A tarvoset-profile document: every setting that can be written back to a wheel, and the
// two preferences.
struct Profile
{
    static constexpr int kVersion = 1;

    QString model;
    QString firmware;
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
};
