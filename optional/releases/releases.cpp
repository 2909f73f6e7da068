#include "optional/releases/releases.h"

#include <array>
#include <atomic>
#include <cstring>

namespace tarvo {

namespace {

constexpr ReleaseSet kEarlier = releaseBit(Release::V115) | releaseBit(Release::V114S) | releaseBit(Release::V114N)
    | releaseBit(Release::V113) | releaseBit(Release::V112);
constexpr ReleaseSet kV113Down = releaseBit(Release::V113) | releaseBit(Release::V112);
constexpr ReleaseSet kV114 = releaseBit(Release::V114S) | releaseBit(Release::V114N);
constexpr ReleaseSet kV115V114 = releaseBit(Release::V115) | kV114;
constexpr ReleaseSet kV114Down = releaseBit(Release::V114S) | releaseBit(Release::V114N) | kV113Down;

constexpr std::array<ReleaseInfo, kReleaseCount> kReleases = {{
    {Release::V120, "1.20", "v1.20"},
    {Release::V115, "1.15", "v1.15"},
    {Release::V114S, "1.14s", "v1.14"},
    {Release::V114N, "1.14n", "v1.14"},
    {Release::V113, "1.13", "v1.13"},
    {Release::V112, "1.12", "v1.12"},
}};

struct DifferenceRow
{
    Difference difference;
    ReleaseSet releases;
};

// clang-format off
constexpr DifferenceRow kDifferences[] = {
    {Difference::NoInstanceGuard,       kEarlier},
    {Difference::CloseWithoutSave,      kEarlier},
    {Difference::CloseWithoutSlot,      kV113Down},
    {Difference::NoVersionLabel,        kEarlier},
    {Difference::ThreeModels,           kEarlier},
    {Difference::FixedRegistryPid,      kV114Down},
    {Difference::CalibrationOnComputer, kEarlier},
    {Difference::ClutchCaption,         kV114},
    {Difference::NoAuxLamps,            kEarlier},
    {Difference::ShortAnswers,          kEarlier},
    {Difference::UpperBitsLedCodes,     kEarlier},
    {Difference::ClutchMinusOneEnabled, kV115V114},
    {Difference::ClutchWrittenLive,     kV115V114},
    {Difference::NoClutchSwitch,        kV113Down},
    {Difference::SaveReportsPaddleFrame, kEarlier},
    {Difference::LedReadoutInConnection, kEarlier},
    {Difference::FourStateEncoder,      kV115V114},
    {Difference::NoEncoderBinding,      kV113Down},
    {Difference::NoPreferences,         releaseBit(Release::V114N) | kV113Down},
    {Difference::NoExtraShifterPreference, kV114Down},
    {Difference::ExtraShiftersWithoutToggle, kV114},
    {Difference::InputThreadReportsEveryEnd, kV113Down},
};
// clang-format on

std::atomic<Release> g_active{Release::V120};

struct TextRow
{
    const char* current;
    ReleaseSet releases;
    const char* text;
};

// clang-format off
constexpr TextRow kTexts[] = {
    {"BLUETOOTH CONNECTED",                       kEarlier,   "BLUETOOTH CONNECTION STATUS:"},
    {"CLUTCH BITE POINT",                         kV115V114,  "CLUTCH BIT POINT"},
    {"CLUTCH BITE POINT",                         kV113Down,  "CLUTCH CONFIG"},
    {"SHIFTERS",                                  kV113Down,  "SHIFTERS CONFIG"},
    {"ENABLE CLUTCHES",                           kV114,      "ENABLE"},
    {"ROTATE ONE ENCODER TO BIND BITEPOINT",      kV114,      "ROTATE ONE ENCODER TO BIND BITPOINT"},
    {"PRESS ONE BUTTON TO BIND SAVE BITEPOINT",   releaseBit(Release::V114S), "PRESS ONE BUTTON TO BIND SAVE BITPOINT"},
    {"PRESS ONE BUTTON TO BIND SAVE BITEPOINT",   releaseBit(Release::V114N), "PRESS ONE BUTTON TO BIND SAVE VALUE"},
    {"CLEAR BIND ENCODER/BITEPOINT",              kV114,      "CLEAR BIND ENCODER/BITPOINT"},
    {"PRESS AND HOLD LEFT SHIFTER THEN CLICK ME", kV113Down,  "PRESS AND HOLD LEFT BEAR THEN CLICK ME"},
    {"PRESS AND HOLD RIGHT SHIFTER THEN CLICK ME",kV113Down,  "PRESS AND HOLD RIGHT BEAR THEN CLICK ME"},
    {"MANUAL UPDATE",                             kV113Down,  "Manual Update"},
    {"UPLOADING...",                              kV113Down,  "Uploading ..."},
    {"CHECK UPDATE",                              kV113Down,  "Check Update"},
};

#define TARVO_EMPTY_TEXT(name) {name, "text", kEarlier, ""}
#define TARVO_ABSENT(name, releases) {name, nullptr, releases, nullptr}
constexpr WidgetDifference kWidgets[] = {
    {"lbMain", "styleSheet", kEarlier, "border-image: url(:/img/back.vkern.png);"},
    {"lbMainRGB", "styleSheet", kEarlier, "border-image: url(:/img/back.qln5.png);"},
    {"lePath", "styleSheet", kV113Down, "QLineEdit {\n  border-radius: 2px;\n  border: 1px solid lightgray;\n}"},
    TARVO_EMPTY_TEXT("pbIB1"), TARVO_EMPTY_TEXT("pbIB2"), TARVO_EMPTY_TEXT("pbIB3"), TARVO_EMPTY_TEXT("pbIB4"),
    TARVO_EMPTY_TEXT("pbIB5"), TARVO_EMPTY_TEXT("pbIB6"), TARVO_EMPTY_TEXT("pbIB9"), TARVO_EMPTY_TEXT("pbIB10"),
    TARVO_EMPTY_TEXT("pbIB11"), TARVO_EMPTY_TEXT("pbIB12"), TARVO_EMPTY_TEXT("pbIB13"), TARVO_EMPTY_TEXT("pbIB14"),
    TARVO_EMPTY_TEXT("pbSWL"), TARVO_EMPTY_TEXT("pbSWR"), TARVO_EMPTY_TEXT("pbIBarL"), TARVO_EMPTY_TEXT("pbIBarR"),
    TARVO_EMPTY_TEXT("pbISW1"), TARVO_EMPTY_TEXT("pbISW2"), TARVO_EMPTY_TEXT("pbIExL"), TARVO_EMPTY_TEXT("pbIExR"),
    {"pbID1L", "text", kEarlier, ">"}, {"pbID2L", "text", kEarlier, ">"}, {"pbID3L", "text", kEarlier, ">"},
    {"pbID4L", "text", kEarlier, ">"}, {"pbID5L", "text", kEarlier, ">"}, {"pbID6L", "text", kEarlier, ">"},
    {"pbID7L", "text", kEarlier, ">"}, {"pbID8L", "text", kEarlier, ">"},
    {"pbID1R", "text", kEarlier, "<"}, {"pbID2R", "text", kEarlier, "<"}, {"pbID3R", "text", kEarlier, "<"},
    {"pbID4R", "text", kEarlier, "<"}, {"pbID5R", "text", kEarlier, "<"}, {"pbID6R", "text", kEarlier, "<"},
    {"pbID7R", "text", kEarlier, "<"}, {"pbID8R", "text", kEarlier, "<"},
    {"pbJsLL", "text", kEarlier, ">"}, {"pbJsRL", "text", kEarlier, ">"},
    {"pbJsLR", "text", kEarlier, "<"}, {"pbJsRR", "text", kEarlier, "<"},
    {"pbJsL1", "text", kEarlier, "1"}, {"pbJsL2", "text", kEarlier, "2"}, {"pbJsL3", "text", kEarlier, "3"},
    {"pbJsL4", "text", kEarlier, "4"}, {"pbJsR1", "text", kEarlier, "1"}, {"pbJsR2", "text", kEarlier, "2"},
    {"pbJsR3", "text", kEarlier, "3"}, {"pbJsR4", "text", kEarlier, "4"},
    {"pbJsLC", "text", kEarlier, "O"}, {"pbJsRC", "text", kEarlier, "O"},
    TARVO_ABSENT("lbCurVer", kEarlier),
    TARVO_ABSENT("pbMin", kEarlier),
    TARVO_ABSENT("pbSetW", kEarlier), TARVO_ABSENT("pbSetR", kEarlier), TARVO_ABSENT("pbSet3", kEarlier),
    TARVO_ABSENT("pbSet4", kEarlier), TARVO_ABSENT("pbSetG", kEarlier), TARVO_ABSENT("pbSet1", kEarlier),
    TARVO_ABSENT("pbSetB", kEarlier), TARVO_ABSENT("pbSet2", kEarlier), TARVO_ABSENT("pbSetD", kEarlier),
    TARVO_ABSENT("pbXL", kEarlier), TARVO_ABSENT("pbXR", kEarlier),
    TARVO_ABSENT("cbClutch", kV113Down),
    TARVO_ABSENT("cbShifter", kV114Down),
    TARVO_ABSENT("pbBearExLCa", kV113Down), TARVO_ABSENT("pbBearExRCa", kV113Down),
    TARVO_ABSENT("lbLShT_2", kV113Down), TARVO_ABSENT("lbRShT_2", kV113Down),
    TARVO_ABSENT("pbIExL", kV113Down), TARVO_ABSENT("pbIExR", kV113Down),
    TARVO_ABSENT("pbEncoder", kV113Down),
    TARVO_ABSENT("pbClearFlash", kV113Down),
    // Renames last: the rows above name the widgets as the form does.
    {"gpClutch", "objectName", kEarlier, "groupBox"},
    {"gpShifter", "objectName", kV115V114, "gpBear"},
    {"gpShifter", "objectName", kV113Down, "groupBox_2"},
};
#undef TARVO_EMPTY_TEXT
#undef TARVO_ABSENT
// clang-format on

constexpr const char* kEarlierModels[] = {"R-VELO", "QLN5", "V-KERN"};
constexpr std::uint16_t kEarlierLastProductId = 0x2009;

} // namespace

std::optional<Release> releaseByName(const std::string& name)
{
    for (const ReleaseInfo& info : kReleases) {
        if (name == info.name)
            return info.release;
    }
    return std::nullopt;
}

const ReleaseInfo& releaseInfo(Release release)
{
    return kReleases[std::size_t(release)];
}

std::string releaseNames()
{
    std::string names;
    for (const ReleaseInfo& info : kReleases) {
        if (!names.empty())
            names += ", ";
        names += info.name;
    }
    return names;
}

void setActiveRelease(Release release)
{
    g_active = release;
}

Release activeRelease()
{
    return g_active;
}

bool releaseHas(Difference difference, Release release)
{
    for (const DifferenceRow& row : kDifferences) {
        if (row.difference == difference)
            return (row.releases & releaseBit(release)) != 0;
    }
    return false;
}

WidgetDifferences widgetDifferences()
{
    return {kWidgets, sizeof kWidgets / sizeof kWidgets[0]};
}

const char* releaseText(const char* currentText, Release release)
{
    for (const TextRow& row : kTexts) {
        if ((row.releases & releaseBit(release)) != 0 && std::strcmp(row.current, currentText) == 0)
            return row.text;
    }
    return nullptr;
}

std::uint16_t registryProductId(std::uint16_t openProductId, Release release)
{
    return releaseHas(Difference::FixedRegistryPid, release) ? std::uint16_t(0x2007) : openProductId;
}

bool releaseKnowsModel(const char* key, Release release)
{
    if (!releaseHas(Difference::ThreeModels, release))
        return true;
    for (const char* known : kEarlierModels) {
        if (std::strcmp(known, key) == 0)
            return true;
    }
    return false;
}

bool releaseTriesProductId(std::uint16_t productId, Release release)
{
    return !releaseHas(Difference::ThreeModels, release) || productId <= kEarlierLastProductId;
}

} // namespace tarvo
