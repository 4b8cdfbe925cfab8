#pragma once

#include "model/config_image.h"

#include <array>
#include <cstdint>
#include <optional>

// Block 4 (`WindowTypes`): the display type of each of the 32 signalling
// windows, one byte per window (byte w - 1 for window w). A panel with 16 or
// 12 windows uses the first 16 or 12 bytes; the others keep their values.
namespace WindowTypes {
constexpr int Offset = 107;
constexpr int Length = 32;
constexpr int WindowCount = 32;
constexpr int WideWindowCount = 16;      // windows of the wide layout
constexpr int FamilyWindowCount09 = 12;  // windows of an ОРЛ-09 panel
}  // namespace WindowTypes

// The `WindowType` codes 0..5. A file or a panel may bring any other byte;
// it is shown in a neutral colour and kept until the user changes it.
enum class WindowType : uint8_t {
    Absent = 0,
    Indication = 1,
    Warning = 2,
    Emergency = 3,
    InverseWarning = 4,
    InverseEmergency = 5,
};
constexpr int WindowTypeCount = 6;

// A colour as 0xRRGGBB.
using RgbValue = uint32_t;

// The panel colour of each type code 0..5.
extern const std::array<RgbValue, WindowTypeCount> WindowTypeColours;
// The colour of a code above 5.
constexpr RgbValue UnknownWindowTypeColour = 0x808080;
RgbValue WindowTypeColour(uint8_t code);

// The menus' items in their order: each item's position (its tag) stands
// for a type; the single-window menu shortens one text.
struct WindowTypeItem {
    WindowType Type;
    const char* FillText;  // the fill menu
    const char* SetText;   // the single-window menu
};
extern const std::array<WindowTypeItem, WindowTypeCount> WindowTypeItems;
// The type a menu item's tag (0..5) stands for, or nothing for another tag.
std::optional<WindowType> WindowTypeForTag(int tag);

// "Индикация", "Предупредительная", "Аварийная", "Отсутствует",
// "Обратная предупред.", "Обратная аварийная"; nullptr for a code above 5.
const char* WindowTypeName(uint8_t code);

// The type byte of window w (1..32).
uint8_t WindowTypeCode(const ConfigImage& image, int window);
void SetWindowType(ConfigImage& image, int window, WindowType type);
// A left click on a window: absent, indication, warning, emergency and
// round again; an inverse type or an unknown code becomes absent. Returns
// the new code.
uint8_t StepWindowType(ConfigImage& image, int window);

// New: every window an indication window.
void DefaultWindowTypes(ConfigImage& image);
// All 32 bytes, also those of windows the layout does not show.
void FillWindowTypes(ConfigImage& image, WindowType type);

// Which of the two window layouts the page shows, and how many windows.
struct WindowLayout {
    bool Wide;
    int Windows;  // 32, 16 or 12
};
// An ОРЛ-09 panel (family 1) always has the 12 wide windows; otherwise a
// window count of 16 gives the 16 wide windows and any other count the 32
// narrow ones.
WindowLayout WindowLayoutFor(uint8_t windowCount, int32_t familyCode);

// Where window w (1..32) sits in a layout: 8 narrow or 4 wide windows a
// row, numbered along the rows from the top left.
struct WindowPlace {
    int Column;
    int Row;
};
WindowPlace WindowPlaceIn(const WindowLayout& layout, int window);
