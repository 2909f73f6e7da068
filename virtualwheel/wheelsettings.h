#pragma once

#include <QJsonObject>
#include <QString>
#include <array>
#include <cstdint>

// Everything a saved frame stores: one copy is the wheel's live values, another its flash.
//
// LEDs are kept as the 4-bit codes the wire carries, so a level that cannot travel
// cannot be stored either; JSON shows them as the 8-bit levels those codes stand for.
struct WheelSettings
{
    // The shifters, in the order of their parameter ids 3, 5, 6, 7.
    static constexpr std::array<int, 4> kShifterIds = {3, 5, 6, 7};
    static constexpr int kLedCount = 144;

    std::uint8_t paddleMode = 50;
    std::uint16_t calRightMax = 4095;
    std::uint16_t calLeftMax = 4095;
    std::uint16_t calRightMin = 0;
    std::uint16_t calLeftMin = 0;
    std::int32_t pulseWidth = 100;
    std::uint32_t clutchEnable = 1;
    std::array<std::uint16_t, 4> shifters = {2048, 2048, 2048, 2048};
    std::array<std::uint8_t, kLedCount> ledCodes; // 0..15 each
    std::array<std::uint8_t, 6> auxLamps = {255, 255, 255, 255, 255, 255};

    // Factory state: every LED at full white.
    WheelSettings();

    bool operator==(const WheelSettings& other) const;
    bool operator!=(const WheelSettings& other) const { return !(*this == other); }

    // Index into shifters for a parameter id, or -1 when the id is no shifter.
    static int shifterIndex(int id);
    // The smallest code whose level is not below level: what the wire can carry of it.
    static std::uint8_t ledCodeOf(std::uint8_t level);

    QJsonObject toJson() const;
    // Reads an object written by toJson(). Every member must be present, of the right type
    // and within what the wire carries; LED levels are rounded up to a code as the tool
    // does. On failure *error names the member (prefixed by where) and out is unchanged.
    static bool fromJson(const QJsonObject& object, const QString& where, WheelSettings* out, QString* error);
};
