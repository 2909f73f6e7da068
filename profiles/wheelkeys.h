#pragma once

#include "profiles/wheelstate.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

// The keys of get, set and info: their names, JSON members, text and JSON values, and the
// parsing and checking of set's KEY=VALUE arguments.
class WheelKeys
{
public:
    enum class Key {
        Model,
        ProductId,
        Firmware,
        Battery,
        PaddleMode,
        Paddle,
        BitePoint,
        Calibration,
        PulseWidth,
        Clutch,
        Leds,
        Led, // one slot: led.N
        Lamps,
        ExtraShifters,
        EncoderBinding,
    };
    struct KeyRef
    {
        Key key = Key::Model;
        int slot = -1; // led.N
        bool operator==(const KeyRef& o) const { return key == o.key && slot == o.slot; }
    };

    // Any case of the hex digits; nullopt for anything but #rrggbb.
    static std::optional<tarvo::Rgb> parseColour(const QString& text);
    static QString colourText(const tarvo::Rgb& colour);
    static tarvo::Rgb slotColour(const tarvo::LedLevels& levels, int slot);

    static std::optional<KeyRef> parseKey(const QString& name);
    // The refusal of a name parseKey did not take; an LED slot out of range names the range.
    static QString unknownKeyText(const QString& name);
    static QString name(const KeyRef& key);
    static QString member(const KeyRef& key);
    static bool isReadOnly(Key key);
    // Every key of info, in order (no led.N).
    static QList<KeyRef> allKeys();

    static QString text(const WheelState& state, const KeyRef& key);
    static QJsonValue json(const WheelState& state, const KeyRef& key);
    // The keys whose values set prints after changing key.
    static QList<KeyRef> reportedAfterSet(const KeyRef& key);
};

// What one set command asks for, checked as far as the arguments alone allow.
struct SettingChanges
{
    std::optional<tarvo::PaddleSide> paddle;
    std::optional<int> bitePoint;
    std::optional<tarvo::PaddleCalibration> calibration;
    std::optional<int> pulseWidth;
    std::optional<bool> clutch;
    // LED changes in argument order: slot -1 for all 48.
    std::vector<std::pair<int, tarvo::Rgb>> leds;
    std::optional<tarvo::AuxLamps> lamps;
    std::optional<bool> extraShifters;
    std::optional<std::optional<WheelState::EncoderBinding>> encoderBinding;
    QList<WheelKeys::KeyRef> keys; // as given, for the output

    bool touchesPaddleFrame() const { return paddle || bitePoint || calibration; }

    // False with a sentence naming the key and what is wrong.
    static bool parse(const QStringList& assignments, SettingChanges* changes, QString* error);
};

// Shared checks of values that profiles hold too.
namespace valuecheck {
bool calibration(const QString& text, tarvo::PaddleCalibration* calibration, QString* error);
// Counted from 1, up then down: one of the ten encoder pairs.
bool encoderBinding(int up, int down, WheelState::EncoderBinding* binding, QString* error);
} // namespace valuecheck
