#include "settings/modellayouts.h"

namespace tarvo {
namespace {

constexpr LedKind kWhiteDot = LedKind::WhiteDot;
constexpr LedKind kWhiteSquare = LedKind::WhiteSquare;
constexpr LedKind kPlain = LedKind::Plain;

struct NamedSize
{
    const char* name;
    WidgetSize size;
};

// The indicators' and LED buttons' sizes as the form creates them.
constexpr NamedSize kFormSizes[] = {
    {"pbIB1", {24, 24}},   {"pbISW1", {24, 24}}, {"pbID5L", {25, 25}},  {"pbID5R", {25, 25}}, {"pbID1L", {26, 25}},
    {"pbID1R", {26, 25}},  {"pbIB2", {24, 24}},  {"pbIB6", {24, 24}},   {"pbJsL1", {25, 25}}, {"pbJsL2", {25, 25}},
    {"pbJsL3", {25, 25}},  {"pbJsL4", {25, 25}}, {"pbJsLC", {25, 25}},  {"pbJsLL", {25, 25}}, {"pbJsLR", {25, 25}},
    {"pbIB5", {24, 24}},   {"pbID7L", {25, 25}}, {"pbID7R", {25, 25}},  {"pbID3L", {26, 25}}, {"pbID3R", {26, 25}},
    {"pbIB3", {25, 25}},   {"pbIB4", {24, 24}},  {"pbIBarR", {25, 25}}, {"pbSWL", {24, 24}},  {"pbID8L", {25, 25}},
    {"pbID8R", {25, 25}},  {"pbID4L", {26, 25}}, {"pbID4R", {26, 25}},  {"pbIB11", {25, 25}}, {"pbIB12", {24, 24}},
    {"pbIBarL", {25, 25}}, {"pbSWR", {24, 24}},  {"pbIB9", {24, 24}},   {"pbISW2", {24, 24}}, {"pbID6L", {25, 25}},
    {"pbID6R", {25, 25}},  {"pbID2L", {26, 25}}, {"pbID2R", {26, 25}},  {"pbIB10", {24, 24}}, {"pbIB13", {24, 24}},
    {"pbJsR1", {25, 25}},  {"pbJsR2", {25, 25}}, {"pbJsR3", {25, 25}},  {"pbJsR4", {25, 25}}, {"pbJsRC", {25, 25}},
    {"pbJsRL", {25, 25}},  {"pbJsRR", {25, 25}}, {"pbIB14", {24, 24}},  {"pbIExR", {24, 24}}, {"pbIExL", {24, 24}},
    {"pbB1", {24, 24}},    {"pbB2", {24, 24}},   {"pbB3", {25, 25}},    {"pbB4", {24, 24}},   {"pbB5", {24, 24}},
    {"pbB6", {24, 24}},    {"pbB9", {24, 24}},   {"pbB10", {24, 24}},   {"pbB11", {25, 25}},  {"pbB12", {24, 24}},
    {"pbB13", {24, 24}},   {"pbB14", {24, 24}},  {"pbD3", {12, 12}},    {"pbD4", {12, 12}},   {"pbD13", {26, 25}},
    {"pbD16", {26, 25}},   {"pbD23", {26, 25}},  {"pbD26", {26, 25}},   {"pbT1", {12, 12}},   {"pbT2", {12, 12}},
    {"pbT3", {12, 12}},    {"pbT4", {12, 12}},   {"pbT5", {12, 12}},    {"pbT6", {12, 12}},   {"pbT7", {12, 12}},
    {"pbT8", {12, 12}},    {"pbT9", {12, 12}},   {"pbT10", {12, 12}},   {"pbT11", {12, 12}},  {"pbTL1", {12, 12}},
    {"pbTL2", {12, 12}},   {"pbTL3", {12, 12}},  {"pbTR1", {12, 12}},   {"pbTR2", {12, 12}},  {"pbTR3", {12, 12}},
    {"pbXL", {25, 25}},    {"pbXR", {25, 25}},
};

// Indicators in input order. Both directions of an encoder share one position, and so do the
// seven inputs of a thumb stick. An LED that lights a button or dial sits where its indicator sits.
// clang-format off
constexpr WidgetPlacement kRVeloIndicators[] = {
    {"pbIB1", 149, 35},
    {"pbID5L", 110, 70}, {"pbID5R", 110, 70},
    {"pbID1L", 299, 122}, {"pbID1R", 299, 122},
    {"pbIB2", 210, 66}, {"pbIB6", 226, 321},
    {"pbJsL1", 214, 195}, {"pbJsL2", 214, 195}, {"pbJsL3", 214, 195}, {"pbJsL4", 214, 195}, {"pbJsLC", 214, 195},
    {"pbJsLL", 214, 195}, {"pbJsLR", 214, 195},
    {"pbIB5", 241, 272},
    {"pbID7L", 200, 110}, {"pbID7R", 200, 110},
    {"pbID3L", 299, 279}, {"pbID3R", 299, 279},
    {"pbIB3", 237, 140}, {"pbIB4", 266, 222}, {"pbSWL", 192, 37},
    {"pbID8L", 540, 110}, {"pbID8R", 540, 110},
    {"pbID4L", 437, 279}, {"pbID4R", 437, 279},
    {"pbIB11", 500, 140}, {"pbIB12", 472, 222}, {"pbSWR", 546, 37}, {"pbIB9", 590, 35},
    {"pbID6L", 625, 70}, {"pbID6R", 625, 70},
    {"pbID2L", 436, 122}, {"pbID2R", 436, 122},
    {"pbIB10", 528, 66}, {"pbIB13", 512, 321},
    {"pbJsR1", 523, 195}, {"pbJsR2", 523, 195}, {"pbJsR3", 523, 195}, {"pbJsR4", 523, 195}, {"pbJsRC", 523, 195},
    {"pbJsRL", 523, 195}, {"pbJsRR", 523, 195},
    {"pbIB14", 497, 272},
};
constexpr LedPlacement kRVeloLeds[] = {
    {"pbB1", 149, 35, kWhiteDot}, {"pbB2", 210, 66, kWhiteDot}, {"pbB3", 237, 140, kWhiteDot},
    {"pbB4", 266, 222, kWhiteDot}, {"pbB5", 241, 272, kWhiteDot}, {"pbB6", 226, 321, kWhiteDot},
    {"pbB9", 590, 35, kWhiteDot}, {"pbB10", 528, 66, kWhiteDot}, {"pbB11", 500, 140, kWhiteDot},
    {"pbB12", 472, 222, kWhiteDot}, {"pbB13", 497, 272, kWhiteDot}, {"pbB14", 512, 321, kWhiteDot},
    {"pbD3", 200, 110, kWhiteDot}, {"pbD4", 540, 110, kWhiteDot}, {"pbD13", 299, 122, kWhiteDot},
    {"pbD16", 299, 279, kWhiteDot}, {"pbD23", 436, 122, kWhiteDot}, {"pbD26", 437, 279, kWhiteDot},
};

constexpr WidgetPlacement kQln5Indicators[] = {
    {"pbIB1", 144, 92},
    {"pbID5L", 107, 137}, {"pbID5R", 107, 137},
    {"pbID1L", 253, 149}, {"pbID1R", 253, 149},
    {"pbIB2", 199, 107}, {"pbIB6", 254, 297},
    {"pbJsL1", 241, 204}, {"pbJsL2", 241, 204}, {"pbJsL3", 241, 204}, {"pbJsL4", 241, 204}, {"pbJsLC", 241, 204},
    {"pbJsLL", 241, 204}, {"pbJsLR", 241, 204},
    {"pbIB5", 197, 252},
    {"pbID7L", 244, 97}, {"pbID7R", 244, 97},
    {"pbID3L", 310, 249}, {"pbID3R", 310, 249},
    {"pbIB3", 197, 159}, {"pbIB4", 301, 197}, {"pbSWL", 195, 50},
    {"pbID8L", 494, 97}, {"pbID8R", 494, 97},
    {"pbID4L", 426, 249}, {"pbID4R", 426, 249},
    {"pbIB11", 541, 159}, {"pbIB12", 437, 197}, {"pbSWR", 547, 50}, {"pbIB9", 594, 92},
    {"pbID6L", 631, 137}, {"pbID6R", 631, 137},
    {"pbID2L", 483, 149}, {"pbID2R", 483, 149},
    {"pbIB10", 539, 107}, {"pbIB13", 484, 297},
    {"pbJsR1", 497, 204}, {"pbJsR2", 497, 204}, {"pbJsR3", 497, 204}, {"pbJsR4", 497, 204}, {"pbJsRC", 497, 204},
    {"pbJsRL", 497, 204}, {"pbJsRR", 497, 204},
    {"pbIB14", 541, 252},
};
constexpr LedPlacement kQln5Leds[] = {
    {"pbB1", 144, 92, kWhiteDot}, {"pbB2", 199, 107, kWhiteDot}, {"pbB3", 197, 159, kWhiteDot},
    {"pbB4", 301, 197, kWhiteDot}, {"pbB5", 197, 252, kWhiteDot}, {"pbB6", 254, 297, kWhiteDot},
    {"pbB9", 594, 92, kWhiteDot}, {"pbB10", 539, 107, kWhiteDot}, {"pbB11", 541, 159, kWhiteDot},
    {"pbB12", 437, 197, kWhiteDot}, {"pbB13", 541, 252, kWhiteDot}, {"pbB14", 484, 297, kWhiteDot},
    {"pbD3", 244, 97, kWhiteDot}, {"pbD4", 494, 97, kWhiteDot}, {"pbD13", 254, 149, kWhiteDot},
    {"pbD16", 311, 249, kWhiteDot}, {"pbD23", 484, 149, kWhiteDot}, {"pbD26", 427, 249, kWhiteDot},
    {"pbT1", 300, 48, kWhiteSquare}, {"pbT2", 315, 48, kWhiteSquare}, {"pbT3", 330, 48, kWhiteSquare},
    {"pbT4", 345, 48, kWhiteSquare}, {"pbT5", 360, 48, kWhiteSquare}, {"pbT6", 375, 48, kWhiteSquare},
    {"pbT7", 390, 48, kWhiteSquare}, {"pbT8", 405, 48, kWhiteSquare}, {"pbT9", 420, 48, kWhiteSquare},
    {"pbT10", 435, 48, kWhiteSquare}, {"pbT11", 450, 48, kWhiteSquare},
    {"pbTL1", 254, 69, kWhiteSquare}, {"pbTL2", 268, 60, kWhiteSquare}, {"pbTL3", 283, 53, kWhiteSquare},
    {"pbTR1", 496, 69, kWhiteSquare}, {"pbTR2", 482, 60, kWhiteSquare}, {"pbTR3", 467, 53, kWhiteSquare},
};

constexpr WidgetPlacement kVKernIndicators[] = {
    {"pbIB1", 249, 117}, {"pbIB2", 299, 102}, {"pbIB6", 314, 299},
    {"pbJsL1", 289, 202}, {"pbJsL2", 289, 202}, {"pbJsL3", 289, 202}, {"pbJsL4", 289, 202}, {"pbJsLC", 289, 202},
    {"pbJsLL", 289, 202}, {"pbJsLR", 289, 202},
    {"pbIB5", 267, 262},
    {"pbID7L", 291, 147}, {"pbID7R", 291, 147},
    {"pbID3L", 335, 249}, {"pbID3R", 335, 249},
    {"pbIB3", 239, 167}, {"pbIB4", 244, 222}, {"pbSWL", 189, 77},
    {"pbID8L", 447, 147}, {"pbID8R", 447, 147},
    {"pbID4L", 401, 249}, {"pbID4R", 401, 249},
    {"pbIB11", 499, 167}, {"pbIB12", 494, 222}, {"pbSWR", 549, 77}, {"pbIB9", 489, 117}, {"pbIB10", 439, 102},
    {"pbIB13", 424, 299},
    {"pbJsR1", 449, 202}, {"pbJsR2", 449, 202}, {"pbJsR3", 449, 202}, {"pbJsR4", 449, 202}, {"pbJsRC", 449, 202},
    {"pbJsRL", 449, 202}, {"pbJsRR", 449, 202},
    {"pbIB14", 471, 262},
};

constexpr WidgetPlacement kLm270Indicators[] = {
    {"pbIB1", 199, 89}, {"pbISW1", 157, 39},
    {"pbID5L", 199, 144}, {"pbID5R", 199, 144},
    {"pbID1L", 263, 149}, {"pbID1R", 263, 149},
    {"pbIB2", 254, 92}, {"pbIB6", 264, 294},
    {"pbJsL1", 214, 204}, {"pbJsL2", 214, 204}, {"pbJsL3", 214, 204}, {"pbJsL4", 214, 204}, {"pbJsLC", 214, 204},
    {"pbJsLL", 214, 204}, {"pbJsLR", 214, 204},
    {"pbIB5", 209, 259},
    {"pbID7L", 309, 109}, {"pbID7R", 309, 109},
    {"pbID8L", 429, 109}, {"pbID8R", 429, 109},
    {"pbIB9", 539, 89}, {"pbISW2", 581, 39},
    {"pbID6L", 539, 144}, {"pbID6R", 539, 144},
    {"pbID2L", 473, 149}, {"pbID2R", 473, 149},
    {"pbIB10", 484, 92}, {"pbIB13", 474, 294},
    {"pbJsR1", 524, 204}, {"pbJsR2", 524, 204}, {"pbJsR3", 524, 204}, {"pbJsR4", 524, 204}, {"pbJsRC", 524, 204},
    {"pbJsRL", 524, 204}, {"pbJsRR", 524, 204},
    {"pbIB14", 529, 259},
};
constexpr LedPlacement kLm270Leds[] = {
    {"pbB1", 199, 89, kWhiteDot}, {"pbB2", 254, 92, kWhiteDot}, {"pbB4", 307, 192, kWhiteDot},
    {"pbB5", 209, 259, kWhiteDot}, {"pbB6", 264, 294, kWhiteDot}, {"pbB9", 539, 89, kWhiteDot},
    {"pbB10", 484, 92, kWhiteDot}, {"pbB12", 431, 192, kWhiteDot}, {"pbB13", 529, 259, kWhiteDot},
    {"pbB14", 474, 294, kWhiteDot}, {"pbD3", 309, 109, kWhiteDot}, {"pbD4", 429, 109, kWhiteDot},
    {"pbD13", 264, 149, kWhiteDot}, {"pbD16", 199, 144, kWhiteDot}, {"pbD23", 474, 149, kWhiteDot},
    {"pbD26", 539, 144, kWhiteDot},
    {"pbT3", 349, 92, kWhiteDot}, {"pbT9", 389, 92, kWhiteDot},
};

constexpr WidgetPlacement kZepha2Indicators[] = {
    {"pbIB1", 159, 89}, {"pbISW1", 171, 37},
    {"pbID5L", 111, 132}, {"pbID5R", 111, 132},
    {"pbID1L", 280, 97}, {"pbID1R", 280, 97},
    {"pbIB2", 217, 92}, {"pbIB6", 249, 252},
    {"pbJsL1", 199, 187}, {"pbJsL2", 199, 187}, {"pbJsL3", 199, 187}, {"pbJsL4", 199, 187}, {"pbJsLC", 199, 187},
    {"pbJsLL", 199, 187}, {"pbJsLR", 199, 187},
    {"pbIB9", 579, 89}, {"pbISW2", 567, 37},
    {"pbID6L", 627, 132}, {"pbID6R", 627, 132},
    {"pbID2L", 456, 97}, {"pbID2R", 456, 97},
    {"pbIB10", 521, 92}, {"pbIB13", 489, 252},
    {"pbJsR1", 539, 187}, {"pbJsR2", 539, 187}, {"pbJsR3", 539, 187}, {"pbJsR4", 539, 187}, {"pbJsRC", 539, 187},
    {"pbJsRL", 539, 187}, {"pbJsRR", 539, 187},
};
constexpr LedPlacement kZepha2Leds[] = {
    {"pbB1", 159, 89, kWhiteDot}, {"pbB2", 217, 92, kWhiteDot}, {"pbB4", 301, 202, kWhiteDot},
    {"pbB6", 249, 252, kWhiteDot}, {"pbB9", 579, 89, kWhiteDot}, {"pbB10", 521, 92, kWhiteDot},
    {"pbB11", 369, 109, kWhiteDot}, {"pbB12", 437, 202, kWhiteDot}, {"pbB14", 489, 252, kWhiteDot},
    {"pbD13", 281, 97, kWhiteDot}, {"pbD16", 111, 132, kWhiteDot}, {"pbD23", 457, 97, kWhiteDot},
    {"pbD26", 627, 132, kWhiteDot},
};

constexpr WidgetPlacement kOrbixIndicators[] = {
    {"pbIB1", 167, 122}, {"pbISW1", 87, 92},
    {"pbID5L", 131, 177}, {"pbID5R", 131, 177},
    {"pbID1L", 276, 157}, {"pbID1R", 276, 157},
    {"pbIB2", 217, 97}, {"pbIB6", 249, 289},
    {"pbJsL1", 237, 209}, {"pbJsL2", 237, 209}, {"pbJsL3", 237, 209}, {"pbJsL4", 237, 209}, {"pbJsLC", 237, 209},
    {"pbJsLL", 237, 209}, {"pbJsLR", 237, 209},
    {"pbIB5", 181, 247},
    {"pbID7L", 254, 113}, {"pbID7R", 254, 113},
    {"pbID3L", 320, 272}, {"pbID3R", 320, 272},
    {"pbIB3", 204, 159}, {"pbIB4", 307, 212}, {"pbSWL", 170, 25},
    {"pbID8L", 484, 113}, {"pbID8R", 484, 113},
    {"pbID4L", 416, 272}, {"pbID4R", 416, 272},
    {"pbIB11", 534, 159}, {"pbIB12", 431, 212}, {"pbSWR", 568, 25}, {"pbIB9", 571, 122}, {"pbISW2", 651, 92},
    {"pbID6L", 607, 177}, {"pbID6R", 607, 177},
    {"pbID2L", 460, 157}, {"pbID2R", 460, 157},
    {"pbIB10", 521, 97}, {"pbIB13", 489, 289},
    {"pbJsR1", 501, 209}, {"pbJsR2", 501, 209}, {"pbJsR3", 501, 209}, {"pbJsR4", 501, 209}, {"pbJsRC", 501, 209},
    {"pbJsRL", 501, 209}, {"pbJsRR", 501, 209},
    {"pbIB14", 557, 247},
};
constexpr LedPlacement kOrbixLeds[] = {
    {"pbB1", 167, 122, kPlain}, {"pbB2", 217, 97, kPlain}, {"pbB3", 204, 159, kPlain}, {"pbB4", 307, 212, kPlain},
    {"pbB5", 181, 247, kPlain}, {"pbB6", 249, 289, kPlain}, {"pbB9", 571, 122, kPlain}, {"pbB10", 521, 97, kPlain},
    {"pbB11", 534, 159, kPlain}, {"pbB12", 431, 212, kPlain}, {"pbB13", 557, 247, kPlain},
    {"pbB14", 489, 289, kPlain}, {"pbD13", 276, 157, kPlain}, {"pbD16", 320, 272, kPlain},
    {"pbD23", 460, 157, kPlain}, {"pbD26", 416, 272, kPlain},
    {"pbT1", 300, 73, kPlain}, {"pbT2", 315, 73, kPlain}, {"pbT3", 330, 73, kPlain}, {"pbT4", 345, 73, kPlain},
    {"pbT5", 360, 73, kPlain}, {"pbT6", 375, 73, kPlain}, {"pbT7", 390, 73, kPlain}, {"pbT8", 405, 73, kPlain},
    {"pbT9", 420, 73, kPlain}, {"pbT10", 435, 73, kPlain}, {"pbT11", 450, 73, kPlain},
    {"pbTL1", 268, 86, kPlain}, {"pbTL2", 283, 78, kPlain},
    {"pbTR1", 482, 86, kPlain}, {"pbTR2", 467, 78, kPlain},
};

constexpr WidgetPlacement kKtr2Indicators[] = {
    {"pbIB1", 144, 77},
    {"pbID5L", 144, 134}, {"pbID5R", 144, 134},
    {"pbID1L", 280, 139}, {"pbID1R", 280, 139},
    {"pbIB2", 209, 87}, {"pbIB6", 264, 289},
    {"pbJsL1", 264, 194}, {"pbJsL2", 264, 194}, {"pbJsL3", 264, 194}, {"pbJsL4", 264, 194}, {"pbJsLC", 264, 194},
    {"pbJsLL", 264, 194}, {"pbJsLR", 264, 194},
    {"pbIB5", 221, 244},
    {"pbID7L", 251, 105}, {"pbID7R", 251, 105},
    {"pbID3L", 318, 254}, {"pbID3R", 318, 254},
    {"pbIB4", 225, 154}, {"pbSWL", 191, 28},
    {"pbID8L", 487, 105}, {"pbID8R", 487, 105},
    {"pbIB12", 513, 154}, {"pbSWR", 547, 28}, {"pbIB9", 594, 77},
    {"pbID6L", 594, 134}, {"pbID6R", 594, 134},
    {"pbID2L", 456, 139}, {"pbID2R", 456, 139},
    {"pbIB10", 529, 87}, {"pbIB13", 474, 289},
    {"pbJsR1", 474, 194}, {"pbJsR2", 474, 194}, {"pbJsR3", 474, 194}, {"pbJsR4", 474, 194}, {"pbJsRC", 474, 194},
    {"pbJsRL", 474, 194}, {"pbJsRR", 474, 194},
    {"pbIB14", 517, 244},
};
constexpr LedPlacement kKtr2Leds[] = {
    {"pbB1", 144, 77, kWhiteDot}, {"pbB2", 209, 87, kWhiteDot}, {"pbB3", 193, 131, kWhiteSquare},
    {"pbB4", 225, 154, kWhiteDot}, {"pbB5", 221, 244, kWhiteDot}, {"pbB6", 264, 289, kWhiteDot},
    {"pbB9", 594, 77, kWhiteDot}, {"pbB10", 529, 87, kWhiteDot}, {"pbB11", 557, 131, kWhiteSquare},
    {"pbB12", 513, 154, kWhiteDot}, {"pbB13", 517, 244, kWhiteDot}, {"pbB14", 474, 289, kWhiteDot},
    {"pbD3", 257, 111, kWhiteSquare}, {"pbD4", 493, 111, kWhiteSquare}, {"pbD13", 287, 145, kWhiteSquare},
    {"pbD16", 319, 254, kWhiteDot}, {"pbD23", 463, 145, kWhiteSquare}, {"pbD26", 419, 254, kWhiteDot},
    {"pbT1", 300, 73, kWhiteSquare}, {"pbT2", 315, 73, kWhiteSquare}, {"pbT3", 330, 73, kWhiteSquare},
    {"pbT4", 345, 73, kWhiteSquare}, {"pbT5", 360, 73, kWhiteSquare}, {"pbT6", 375, 73, kWhiteSquare},
    {"pbT7", 390, 73, kWhiteSquare}, {"pbT8", 405, 73, kWhiteSquare}, {"pbT9", 420, 73, kWhiteSquare},
    {"pbT10", 435, 73, kWhiteSquare}, {"pbT11", 450, 73, kWhiteSquare},
    {"pbTL1", 369, 147, kWhiteDot}, {"pbTL2", 268, 83, kWhiteSquare}, {"pbTL3", 283, 77, kWhiteSquare},
    {"pbTR2", 482, 83, kWhiteSquare}, {"pbTR3", 467, 77, kWhiteSquare},
};

// clang-format on

template <typename T, std::size_t N>
constexpr PlacementList<T> listOf(const T (&items)[N])
{
    return {items, N};
}

constexpr std::array<ModelLayout, 7> kLayouts = {{
    {"R-VELO", "rvelo", listOf(kRVeloIndicators), listOf(kRVeloLeds)},
    {"QLN5", "qln5", listOf(kQln5Indicators), listOf(kQln5Leds)},
    {"V-KERN", "vkern", listOf(kVKernIndicators), {}},
    {"LM270", "lm270", listOf(kLm270Indicators), listOf(kLm270Leds)},
    {"ZEPHA2", "zepha2", listOf(kZepha2Indicators), listOf(kZepha2Leds)},
    {"ORBIX", "orbix", listOf(kOrbixIndicators), listOf(kOrbixLeds)},
    {"KTR2", "ktr2", listOf(kKtr2Indicators), listOf(kKtr2Leds)},
}};

} // namespace

const std::array<ModelLayout, 7>& modelLayouts()
{
    return kLayouts;
}

const ModelLayout* modelLayout(std::string_view key)
{
    for (const ModelLayout& layout : kLayouts) {
        if (key == layout.key)
            return &layout;
    }
    return nullptr;
}

WidgetSize formSize(std::string_view name)
{
    for (const NamedSize& entry : kFormSizes) {
        if (name == entry.name)
            return entry.size;
    }
    return {0, 0};
}

WidgetSize placedSize(const WidgetPlacement& indicator)
{
    return formSize(indicator.name);
}

WidgetSize placedSize(const LedPlacement& led)
{
    switch (led.kind) {
    case LedKind::WhiteDot:
        return {24, 24};
    case LedKind::WhiteSquare:
        return {12, 12};
    case LedKind::Plain:
        break;
    }
    return formSize(led.name);
}

} // namespace tarvo
