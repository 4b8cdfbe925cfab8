#include "model/window_types.h"

#include "model/model_texts.h"

#include <algorithm>

using namespace WindowTypes;

const std::array<RgbValue, WindowTypeCount> WindowTypeColours{
    0xE0E0E0,  // absent
    0x00FF00,  // indication
    0xFFFF00,  // warning
    0xFF0000,  // emergency
    0xFFA500,  // inverse warning
    0xFF00FF,  // inverse emergency
};

const std::array<WindowTypeItem, WindowTypeCount> WindowTypeItems{{
    {WindowType::Indication, ModelText::WindowIndication, ModelText::WindowIndication},
    {WindowType::Warning, "Предупредит.", "Предупред."},
    {WindowType::Emergency, ModelText::WindowEmergency, ModelText::WindowEmergency},
    {WindowType::Absent, ModelText::WindowAbsent, ModelText::WindowAbsent},
    {WindowType::InverseWarning, ModelText::WindowInverseWarning, ModelText::WindowInverseWarning},
    {WindowType::InverseEmergency, ModelText::WindowInverseEmergency,
     ModelText::WindowInverseEmergency},
}};

RgbValue WindowTypeColour(uint8_t code)
{
    return code < WindowTypeCount ? WindowTypeColours[code] : UnknownWindowTypeColour;
}

std::optional<WindowType> WindowTypeForTag(int tag)
{
    if (tag < 0 || tag >= WindowTypeCount)
        return std::nullopt;
    return WindowTypeItems[tag].Type;
}

const char* WindowTypeName(uint8_t code)
{
    switch (WindowType(code)) {
        case WindowType::Absent: return ModelText::WindowAbsent;
        case WindowType::Indication: return ModelText::WindowIndication;
        case WindowType::Warning: return ModelText::WindowWarning;
        case WindowType::Emergency: return ModelText::WindowEmergency;
        case WindowType::InverseWarning: return ModelText::WindowInverseWarning;
        case WindowType::InverseEmergency: return ModelText::WindowInverseEmergency;
    }
    return nullptr;
}

uint8_t WindowTypeCode(const ConfigImage& image, int window)
{
    return image[Offset + window - 1];
}

void SetWindowType(ConfigImage& image, int window, WindowType type)
{
    image[Offset + window - 1] = uint8_t(type);
}

uint8_t StepWindowType(ConfigImage& image, int window)
{
    const int next = WindowTypeCode(image, window) + 1;
    const uint8_t code = next >= int(WindowType::InverseWarning) ? 0 : uint8_t(next);
    image[Offset + window - 1] = code;
    return code;
}

void DefaultWindowTypes(ConfigImage& image)
{
    FillWindowTypes(image, WindowType::Indication);
}

void FillWindowTypes(ConfigImage& image, WindowType type)
{
    std::fill_n(image.begin() + Offset, Length, uint8_t(type));
}

WindowLayout WindowLayoutFor(uint8_t windowCount, int32_t familyCode)
{
    if (familyCode == 1)
        return {true, FamilyWindowCount09};
    if (windowCount == WideWindowCount)
        return {true, WideWindowCount};
    return {false, WindowCount};
}

WindowPlace WindowPlaceIn(const WindowLayout& layout, int window)
{
    const int perRow = layout.Wide ? 4 : 8;
    return {(window - 1) % perRow, (window - 1) / perRow};
}
