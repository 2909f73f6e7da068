// Where each wheel model's live input indicators and LED buttons sit on its picture.
//
// Plain constant data, free of Qt, shared by the window (which moves the widgets), the picture
// generator (which draws a control under every placed widget) and the tests. Coordinates are the
// top-left corner of the widget in the pixels of the page that holds the picture (page1 for the
// indicators, page2 for the LED buttons); the picture itself covers kPicture on both pages.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace tarvo {

// The picture label's rectangle on its page (lbMain, lbMainRGB).
struct PageRect
{
    int x;
    int y;
    int width;
    int height;
};
constexpr PageRect kPicture{61, 9, 640, 365};

// How an LED button is dressed when placed. The values match the window's placement kinds
// (Plain 0, WhiteDot 2, WhiteSquare 3), so a static_cast converts.
enum class LedKind { Plain = 0, WhiteDot = 2, WhiteSquare = 3 };

struct WidgetPlacement
{
    const char* name; // object name in the form
    int x;
    int y;
};

struct LedPlacement
{
    const char* name;
    int x;
    int y;
    LedKind kind;
};

// A read-only view of a constant array.
template <typename T>
struct PlacementList
{
    const T* items = nullptr;
    std::size_t count = 0;

    constexpr const T* begin() const { return items; }
    constexpr const T* end() const { return items + count; }
    constexpr std::size_t size() const { return count; }
    constexpr const T& operator[](std::size_t i) const { return items[i]; }
};

struct ModelLayout
{
    const char* key; // model key as found in the wheel's model text, e.g. "R-VELO"
    const char* imageKey; // picture ":/img/back.<imageKey>.png"
    PlacementList<WidgetPlacement> indicators; // placed hidden; shown while the input is active
    PlacementList<LedPlacement> leds; // empty where the model has no LED page
};

struct WidgetSize
{
    int width;
    int height;
};

// The seven models in the order of the model table.
const std::array<ModelLayout, 7>& modelLayouts();

// The layout whose key equals `key` exactly, or null.
const ModelLayout* modelLayout(std::string_view key);

// Size the form gives the indicator or LED button `name`; {0, 0} for a name the form lacks.
WidgetSize formSize(std::string_view name);

// Size a placed widget ends up with. Indicators keep the form's size (they are placed hidden, and
// a hidden placement never resizes); LED buttons take their kind's size, Plain the form's.
WidgetSize placedSize(const WidgetPlacement& indicator);
WidgetSize placedSize(const LedPlacement& led);

} // namespace tarvo
