// The seven wheel models: what each one shows, where, and where its firmware lives.
//
// A model is told by its key occurring (case-sensitive) in the model text the wheel
// reports. Pixel positions are in the owning page's coordinates. The indicator and LED
// button placements are in settings/modellayouts.h; this table holds everything else.
#pragma once

#include "settings/placement.h"

#include <QString>
#include <array>
#include <cstddef>

namespace tarvo {

struct Point
{
    int x = 0;
    int y = 0;
};

struct ClutchAxesPositions
{
    Point adcL, calL, adcR, calR; // pgAdcL, pbCalL, pgAdcR, pbCalR
};

// The two clutch travel bars and their calibrate buttons on the INPUTS page.
enum class ClutchAxes {
    None, // left as the common setup leaves them (hidden)
    Shown, // placed and shown
    PlacedHidden // placed but kept hidden (the model reads its clutches another way)
};

// The "ENABLE EXTRA SHIFTERS" box.
enum class ExtraShifter {
    Unchecked, // no extra shifters: box unchecked and hidden
    FromSetting, // checked from the stored preference, box hidden
    FromSettingBoxShown // checked from the stored preference, and the user may change it
};

// The two auxiliary lamps pbXL / pbXR on the RGB page.
enum class AuxLampsRule {
    Never,
    Always,
    IfConfirmed // only when the wheel's lamp answer says it has them
};

struct ModelInfo
{
    const char* key; // searched in the model text; also the display name
    const char* folder; // update server folder, below "upgrade/"
    const char* imageKey; // picture ":/img/back.<imageKey>.png"
    // A title that replaces "TARVO <text>" in the header, with the logo's x beside it; null for none.
    const char* title;
    int titleIconX;
    int encoderPulseY[3]; // lbEnc, hsTrigger, lbTrigger
    IndicatorStyle indicatorKind;
    ClutchAxes clutchAxes;
    ClutchAxesPositions clutchAxesAt;
    bool rgbPage;
    bool clutchGroup;
    ExtraShifter extraShifter;
    AuxLampsRule auxLamps;
    Point lampsAt[2]; // pbXL, pbXR
    IndicatorStyle lampKind;
    bool hasBattery;
};

// x of the encoder-pulse widgets lbEnc, hsTrigger, lbTrigger; only their y depends on the model.
constexpr int kEncoderPulseX[3] = {290, 309, 330};
// x of the header logo beside the common "TARVO <text>" header.
constexpr int kHeaderIconX = 310;

constexpr ClutchAxesPositions kStandardClutchAxes = {{130, 290}, {150, 305}, {530, 290}, {550, 305}};

// clang-format off
constexpr std::array<ModelInfo, 7> kModels = {{
    {"R-VELO", "rvelo/", "rvelo", nullptr, 0, {10, 40, 60}, IndicatorStyle::BlueDot,
     ClutchAxes::Shown, kStandardClutchAxes,
     true, true, ExtraShifter::Unchecked,
     AuxLampsRule::IfConfirmed, {{192, 37}, {545, 37}}, IndicatorStyle::WhiteDot, true},
    {"QLN5", "qln5/", "qln5", nullptr, 0, {70, 100, 120}, IndicatorStyle::BlueDot,
     ClutchAxes::Shown, kStandardClutchAxes,
     true, true, ExtraShifter::FromSettingBoxShown,
     AuxLampsRule::IfConfirmed, {{195, 50}, {547, 50}}, IndicatorStyle::WhiteDot, false},
    {"V-KERN", "vkern/", "vkern", nullptr, 0, {10, 40, 60}, IndicatorStyle::BlueDot,
     ClutchAxes::Shown, kStandardClutchAxes,
     false, true, ExtraShifter::Unchecked,
     AuxLampsRule::Never, {}, IndicatorStyle::Plain, true},
    {"LM270", "lm270/", "lm270", QT_TRANSLATE_NOOP("MainWindow", "Tarvo Meridian Edition Wheel"), 150,
     {10, 40, 60}, IndicatorStyle::BlueDot,
     ClutchAxes::None, {},
     true, false, ExtraShifter::Unchecked,
     AuxLampsRule::Never, {}, IndicatorStyle::Plain, true},
    {"ZEPHA2", "zepha2/", "zepha2", nullptr, 0, {0, 20, 40}, IndicatorStyle::BlueDot,
     ClutchAxes::Shown, {{60, 290}, {80, 305}, {600, 290}, {620, 305}},
     true, true, ExtraShifter::Unchecked,
     AuxLampsRule::Always, {{249, 146}, {486, 146}}, IndicatorStyle::WhiteDot, true},
    {"ORBIX", "orbix/", "orbix", nullptr, 0, {0, 20, 40}, IndicatorStyle::Plain,
     ClutchAxes::PlacedHidden, kStandardClutchAxes,
     true, true, ExtraShifter::FromSetting,
     AuxLampsRule::Always, {{170, 25}, {568, 25}}, IndicatorStyle::Plain, true},
    {"KTR2", "ktr2/", "ktr2", nullptr, 0, {0, 20, 40}, IndicatorStyle::BlueDot,
     ClutchAxes::Shown, {{100, 210}, {120, 225}, {560, 210}, {580, 225}},
     true, true, ExtraShifter::Unchecked,
     AuxLampsRule::Always, {{191, 28}, {543, 28}}, IndicatorStyle::WhiteDot, false},
}};
// clang-format on

// Whether the model's key occurs in text (case-sensitive, anywhere).
bool modelMatches(const ModelInfo& model, const QString& text);
// "border-image: url(:/img/back.<imageKey>.png)", the picture on both wheel pages.
QString pictureStyleSheet(const ModelInfo& model);

} // namespace tarvo
