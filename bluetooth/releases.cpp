#include "bluetooth/releases.h"

#include <array>
#include <atomic>
#include <cstring>

namespace tarvo {

namespace {

constexpr ReleaseSet kEarlier = releaseBit(Release::V115) | releaseBit(Release::V114S) | releaseBit(Release::V114N)
    | releaseBit(Release::V113) | releaseBit(Release::V112);
constexpr ReleaseSet kV113Down = releaseBit(Release::V113) | releaseBit(Release::V112);
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
    {Difference::NoTray,                kEarlier},
    {Difference::CloseWithoutSave,      kEarlier},
    {Difference::CloseWithoutSlot,      kV113Down},
    {Difference::NoVersionLabel,        kEarlier},
    {Difference::ThreeModels,           kEarlier},
    {Difference::FixedRegistryPid,      kV114Down},
    {Difference::CalibrationOnComputer, kEarlier},
};
// clang-format on

std::atomic<Release> g_active{Release::V120};

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
