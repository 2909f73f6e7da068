#pragma once

#include "protocol/wheelprotocol.h"

#include <QString>
#include <cstdint>
#include <optional>

// Everything tarvoctl shows of a wheel and of this computer's preferences for its model.
struct WheelState
{
    struct Battery
    {
        int percent = 0;
        bool usbPower = false;
    };
    // Input numbers counted from 0, as on the wire.
    struct EncoderBinding
    {
        int up = 0;
        int down = 0;
    };

    QString model;
    std::uint16_t productId = 0;
    QString firmware;
    std::optional<Battery> battery; // battery models only
    std::uint8_t paddleMode = 255;
    tarvo::PaddleCalibration calibration;
    std::optional<std::int32_t> pulseWidth; // none when the wheel reports a negative value
    bool clutch = false;
    std::optional<tarvo::LedLevels> leds; // models with an LED table
    std::optional<tarvo::AuxLamps> lamps; // models whose LED table sends the lamps
    bool extraShifters = false;
    std::optional<EncoderBinding> encoderBinding;
};

// Reading the wheel through deviceHandle, and this computer's preferences.
class WheelReader
{
public:
    // The model text; false when the wheel gives no model answer.
    static bool readModel(QString* model);
    // Every setting of the wheel (model already read) and the preferences; false with the
    // name of what could not be read.
    static bool read(WheelState* state, QString* failed);
    static void readPreferences(WheelState* state);
    // The preferences of this computer for a model.
    static void storeExtraShifters(bool on);
    static void storeEncoderBinding(const QString& model, const std::optional<WheelState::EncoderBinding>& binding);
};
