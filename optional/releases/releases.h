// The releases one optional-set binary can behave as, and how each differs from the current one.
//
// Qt-free data. A difference is one row naming the releases that have it; the code asks
// releaseHas(Difference) instead of comparing release names.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace tarvo {

enum class Release : std::uint8_t { V120, V115, V114S, V114N, V113, V112 };
constexpr int kReleaseCount = 6;

using ReleaseSet = std::uint8_t;
constexpr ReleaseSet releaseBit(Release r)
{
    return ReleaseSet(1u << unsigned(r));
}

enum class Difference {
    NoInstanceGuard, // every start opens a new window
    CloseWithoutSave, // the close button does not save the paddle page first
    CloseWithoutSlot, // ... and closes the window directly, without stopping the input thread first
    NoVersionLabel, // lbCurVer absent; the version goes to the debug log at start
    ThreeModels, // product ids 0x2007-0x2009, models R-VELO, QLN5, V-KERN only
    FixedRegistryPid, // the calibration key always says PID_2007
    CalibrationOnComputer, // paddle calibration is kept only in the DirectInput record
    ClutchCaption, // a caption "CLUTCHES" before the clutch toggle
    NoAuxLamps, // the two extra lamps are never asked for, shown or sent
    ShortAnswers, // queries read 20 bytes back, except the LED blocks and the battery (21)
    UpperBitsLedCodes, // an LED component is sent as its upper four bits
    ClutchMinusOneEnabled, // the clutch switch reads as on for 1 and for -1
    ClutchWrittenLive, // every toggle sends the switch live; every save sends it saved, unasked
    NoClutchSwitch, // the clutch switch is never read or written
    SaveReportsPaddleFrame, // "Save Setting" reports the paddle frame's send
    LedReadoutInConnection, // the LED blocks are read right after the input thread starts
    FourStateEncoder, // the encoder binding also takes a save button on the wheel
    NoEncoderBinding, // no encoder binding at all
    NoPreferences, // nothing is kept on the computer
    NoExtraShifterPreference, // the extra-shifter choice is not kept
    ExtraShiftersWithoutToggle, // no extra-shifter toggle: a model that has the rows always shows them
    InputThreadReportsEveryEnd, // the input thread's end: 50 ms wait, always deviceDisconnect(), no log
};

// A widget of the form as a release shows it: a property set by name, or (property null) the
// widget absent altogether.
struct WidgetDifference
{
    const char* widget; // object name in the form
    const char* property; // "text", "styleSheet", "objectName"...; null: absent
    ReleaseSet releases;
    const char* value;
};

struct WidgetDifferences
{
    const WidgetDifference* begin() const { return first; }
    const WidgetDifference* end() const { return first + count; }
    const WidgetDifference* first;
    std::size_t count;
};

struct ReleaseInfo
{
    Release release;
    const char* name; // as given to --release
    const char* version; // shown or logged, "v1.15"
};

// "1.20", "1.15", "1.14s", "1.14n", "1.13", "1.12"; nullopt for anything else.
std::optional<Release> releaseByName(const std::string& name);
const ReleaseInfo& releaseInfo(Release release);
// The names, for help texts: "1.20, 1.15, ...".
std::string releaseNames();

// The release this process behaves as; V120 unless set at start.
void setActiveRelease(Release release);
Release activeRelease();
bool releaseHas(Difference difference, Release release);
// Every widget difference, in the order they are applied.
WidgetDifferences widgetDifferences();
// The text a release shows instead of a current user-visible text; null when it is the same.
const char* releaseText(const char* currentText, Release release);

// The product id in the calibration record's key: the open wheel's, or 0x2007 for the releases
// that fixed it.
std::uint16_t registryProductId(std::uint16_t openProductId, Release release);

// Whether the release recognises the model with this key and tries this product id.
bool releaseKnowsModel(const char* key, Release release);
bool releaseTriesProductId(std::uint16_t productId, Release release);
inline bool releaseHas(Difference difference)
{
    return releaseHas(difference, activeRelease());
}

inline bool releaseKnowsModel(const char* key)
{
    return releaseKnowsModel(key, activeRelease());
}
inline bool releaseTriesProductId(std::uint16_t productId)
{
    return releaseTriesProductId(productId, activeRelease());
}

} // namespace tarvo
