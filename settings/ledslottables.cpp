#include "settings/ledslottables.h"

namespace tarvo {

namespace {

constexpr ChannelOrder kRbg = ChannelOrder::Rbg;
constexpr ChannelOrder kBrg = ChannelOrder::Brg;

// QLN5, R-VELO and ORBIX, both directions alike.
constexpr LedSlot kQln5[] = {
    {"pbB1"},  {"pbB9"},  {"pbB2"},  {"pbB10"}, {"pbB3"},  {"pbB11"}, {"pbB4"},  {"pbB12"}, {"pbB5"},
    {"pbB13"}, {"pbB6"},  {"pbB14"}, {"pbD13"}, {"pbD23"}, {"pbD13"}, {"pbD23"}, {"pbD13"}, {"pbD23"},
    {"pbD16"}, {"pbD26"}, {"pbD16"}, {"pbD26"}, {"pbD16"}, {"pbD26"}, {"pbD3"},  {"pbD4"},  {"pbT1"},
    {"pbT2"},  {"pbT3"},  {"pbT4"},  {"pbT5"},  {"pbT6"},  {"pbT7"},  {"pbT8"},  {"pbT9"},  {"pbT10"},
    {"pbT11"}, {"pbTL3"}, {"pbTR3"}, {"pbTL2"}, {"pbTR2"}, {"pbTL1"}, {"pbTR1"},
};

// ZEPHA2 wires slots 24 and 25 with green and blue exchanged, both directions alike.
constexpr LedSlot kZepha2[] = {
    {"pbB1"},  {"pbB9"},  {"pbB2"},  {"pbB10"}, {"pbB3"},  {"pbB11"}, {"pbB4"},        {"pbB12"},       {"pbB5"},
    {"pbB13"}, {"pbB6"},  {"pbB14"}, {"pbD13"}, {"pbD23"}, {"pbD13"}, {"pbD23"},       {"pbD13"},       {"pbD23"},
    {"pbD16"}, {"pbD26"}, {"pbD16"}, {"pbD26"}, {"pbD16"}, {"pbD26"}, {"pbD16", kRbg}, {"pbD26", kRbg},
};

constexpr LedSlot kLm270Send[] = {
    {"pbB1"},       {"pbB9"},       {"pbB2"},        {"pbB10"},       {"pbB2"},        {"pbB10"}, {"pbB4"},  {"pbB12"},
    {"pbB5"},       {"pbB13"},      {"pbB6"},        {"pbB14"},       {"pbD13"},       {"pbD23"}, {"pbD13"}, {"pbD23"},
    {"pbD13"},      {"pbD23"},      {"pbD16"},       {"pbD26"},       {"pbD3"},        {"pbD4"},  {"pbD13"}, {"pbD23"},
    {"pbB1", kRbg}, {"pbB9", kRbg}, {"pbD13", kRbg}, {"pbD13", kRbg}, {"pbT3"},        {"pbT4"},  {"pbT5"},  {"pbT6"},
    {"pbT7"},       {"pbT8"},       {"pbT9"},        {"pbD23", kRbg}, {"pbD23", kRbg}, {"pbB4"},  {"pbB12"}, {"pbB5"},
    {"pbB13"},      {"pbB6"},       {"pbB14"},
};

constexpr LedSlot kLm270Readout[] = {
    {"pbB1"},  {"pbB9"},  {"pbB2"},  {"pbB10"}, {"pbB3"},  {"pbB11"}, {"pbB4"},       {"pbB12"},      {"pbB5"},
    {"pbB13"}, {"pbB6"},  {"pbB14"}, {"pbD13"}, {"pbD23"}, {"pbD13"}, {"pbD23"},      {"pbD13"},      {"pbD23"},
    {"pbD16"}, {"pbD26"}, {"pbD3"},  {"pbD4"},  {"pbD13"}, {"pbD23"}, {"pbB1", kRbg}, {"pbB9", kRbg}, {"pbT1"},
    {"pbT2"},  {"pbT3"},  {"pbT4"},  {"pbT5"},  {"pbT6"},  {"pbT7"},  {"pbT8"},       {"pbT9"},       {"pbT10"},
    {"pbT11"}, {"pbB4"},  {"pbB12"}, {"pbB5"},  {"pbB13"}, {"pbB6"},  {"pbB14"},
};

constexpr LedSlot kKtr2Send[] = {
    {"pbB1"},        {"pbB9"},        {"pbB2"}, {"pbB10"}, {"pbB2"},  {"pbB10"}, {"pbB4"},  {"pbB12"},
    {"pbB5"},        {"pbB13"},       {"pbB6"}, {"pbB14"}, {"pbD3"},  {"pbD4"},  {"pbB3"},  {"pbB11"},
    {"pbD13"},       {"pbD23"},       {"pbB4"}, {"pbB12"}, {"pbB5"},  {"pbB13"}, {"pbB6"},  {"pbB14"},
    {"pbD16", kRbg}, {"pbD26", kBrg}, {"pbT1"}, {"pbT2"},  {"pbT3"},  {"pbT4"},  {"pbT5"},  {"pbT6"},
    {"pbT7"},        {"pbT8"},        {"pbT9"}, {"pbT10"}, {"pbT11"}, {"pbTL3"}, {"pbTR3"}, {"pbTL2"},
    {"pbTR2"},       {"pbB1"},        {"pbB9"}, {"pbTL1"}, {"pbD16"}, {"pbD26"}, {"pbTL1"},
};

// Slots 24 and 25 read straight: pbD16 and pbD26 end with slots 44 and 45 anyway.
constexpr LedSlot kKtr2Readout[] = {
    {"pbB1"},  {"pbB9"},  {"pbB2"}, {"pbB10"}, {"pbB3"},  {"pbB11"}, {"pbB4"},  {"pbB12"}, {"pbB5"},  {"pbB13"},
    {"pbB6"},  {"pbB14"}, {"pbD3"}, {"pbD4"},  {"pbB3"},  {"pbB11"}, {"pbD13"}, {"pbD23"}, {"pbB4"},  {"pbB12"},
    {"pbB5"},  {"pbB13"}, {"pbB6"}, {"pbB14"}, {"pbD16"}, {"pbD26"}, {"pbT1"},  {"pbT2"},  {"pbT3"},  {"pbT4"},
    {"pbT5"},  {"pbT6"},  {"pbT7"}, {"pbT8"},  {"pbT9"},  {"pbT10"}, {"pbT11"}, {"pbTL3"}, {"pbTR3"}, {"pbTL2"},
    {"pbTR2"}, {"pbB1"},  {"pbB9"}, {"pbTL1"}, {"pbD16"}, {"pbD26"}, {"pbTL1"},
};

template <std::size_t N>
constexpr LedSlotTable table(const char* key, const char* otherKey, const LedSlot (&entries)[N], bool lamps)
{
    static_assert(N <= kLedSlots, "a table feeds at most 48 slots");
    return {{key, otherKey}, entries, N, lamps};
}

constexpr std::array<LedSlotTable, 5> kSendTables = {
    table("QLN5", "R-VELO", kQln5, true),       table("ZEPHA2", nullptr, kZepha2, true),
    table("LM270", nullptr, kLm270Send, false), table("ORBIX", nullptr, kQln5, false),
    table("KTR2", nullptr, kKtr2Send, true),
};

constexpr std::array<LedSlotTable, 5> kReadoutLists = {
    table("QLN5", "R-VELO", kQln5, true),          table("ZEPHA2", nullptr, kZepha2, true),
    table("LM270", nullptr, kLm270Readout, false), table("ORBIX", nullptr, kQln5, false),
    table("KTR2", nullptr, kKtr2Readout, true),
};

static_assert(std::size(kQln5) == 43 && std::size(kZepha2) == 26 && std::size(kLm270Send) == 43
                  && std::size(kLm270Readout) == 43 && std::size(kKtr2Send) == 47 && std::size(kKtr2Readout) == 47,
              "entry counts of the model tables");

const LedSlotTable* firstMatch(const std::array<LedSlotTable, 5>& tables, std::string_view modelText)
{
    for (const LedSlotTable& t : tables) {
        for (const char* key : t.keys) {
            if (key && modelText.find(key) != std::string_view::npos)
                return &t;
        }
    }
    return nullptr;
}

} // namespace

const std::array<LedSlotTable, 5>& ledSendTables()
{
    return kSendTables;
}

const std::array<LedSlotTable, 5>& ledReadoutLists()
{
    return kReadoutLists;
}

const LedSlotTable* ledSendTable(std::string_view modelText)
{
    return firstMatch(kSendTables, modelText);
}

const LedSlotTable* ledReadoutList(std::string_view modelText)
{
    return firstMatch(kReadoutLists, modelText);
}

} // namespace tarvo
