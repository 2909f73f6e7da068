// Which LED button feeds which of the wheel's 48 LED slots, per model, in both directions.
//
// Plain constant data, free of Qt. A model's send table tells the LED page what to put into
// each slot (entry k feeds slot k; slots past the end are sent white). Its readout list tells
// the readout which button shows each slot the wheel reports. The two differ in a few entries,
// so each direction keeps its own list.
#pragma once

#include "protocol/wheelprotocol.h"

#include <array>
#include <cstddef>
#include <string_view>

namespace tarvo {

struct LedSlot
{
    const char* button; // object name of the LED button on the RGB page
    ChannelOrder order = ChannelOrder::Rgb;
};

struct LedSlotTable
{
    // Model keys that choose this table, searched case-sensitively in the model text;
    // the second may be null.
    std::array<const char*, 2> keys;
    const LedSlot* entries;
    std::size_t count; // at most kLedSlots
    bool lamps; // the two auxiliary lamps travel with the LEDs (send) / are read back (readout)

    constexpr const LedSlot* begin() const { return entries; }
    constexpr const LedSlot* end() const { return entries + count; }
    constexpr std::size_t size() const { return count; }
    constexpr const LedSlot& operator[](std::size_t i) const { return entries[i]; }
};

// All tables in the order their keys are tried.
const std::array<LedSlotTable, 5>& ledSendTables();
const std::array<LedSlotTable, 5>& ledReadoutLists();

// The first table (in order) one of whose keys occurs in modelText, or null for a model
// without LEDs (V-KERN, unknown texts).
const LedSlotTable* ledSendTable(std::string_view modelText);
const LedSlotTable* ledReadoutList(std::string_view modelText);

} // namespace tarvo
