#pragma once

#include "model/config_image.h"

#include <QString>

#include <array>
#include <cstdint>
#include <optional>

// Block 5 (`OutDataBase`): the eight relay outputs. Output i (1..8) owns
// three bytes: its `OutMode` at block offset i - 1, its `AckInput` at
// 8 + i - 1 and its `ResetInput` at 16 + i - 1.
//
// `OutMode`: bits 0..1 the type code, bit 2 reset by Modbus, bit 3
// acknowledge by Modbus, bit 4 reset from the panel, bit 5 acknowledge from
// the panel; bits 6..7 are kept by every edit except a fill and New.
// `AckInput`, `ResetInput`: 0..63 name input 1..64, 64..255 none (the tool
// writes 255).
namespace OutDataBase {
constexpr int Offset = 141;
constexpr int Length = 24;
constexpr int OutputCount = 8;
constexpr int OutModeOffset = Offset;
constexpr int AckInputOffset = Offset + OutputCount;
constexpr int ResetInputOffset = Offset + 2 * OutputCount;

constexpr uint8_t TypeMask = 0x03;
constexpr uint8_t ResetByModbusBit = 0x04;
constexpr uint8_t AckByModbusBit = 0x08;
constexpr uint8_t ResetFromPanelBit = 0x10;
constexpr uint8_t AckFromPanelBit = 0x20;
constexpr uint8_t SourceBits = 0x3C;  // bits 2..5
constexpr uint8_t KeptBits = 0xC0;    // bits 6..7

constexpr uint8_t NoInput = 255;
constexpr int MaxInputNumber = 64;
}  // namespace OutDataBase

// The type code of an output (bits 0..1 of its `OutMode`).
enum class OutType : uint8_t {
    LightSignalling = 0,
    Control = 1,
    SoundSignalling = 2,
    ControlWithBlocking = 3,
};

// The types in the order of the type list and the fill menu, which is not
// the order of the codes.
struct OutTypeRow {
    OutType Type;
    const char* ListText;  // the list and grid text, two blanks first
    const char* FillText;  // the fill menu item
};
extern const std::array<OutTypeRow, 4> OutTypeList;

// The type at a list position (0..3), or nothing for any other position.
std::optional<OutType> OutTypeAt(int listPosition);
int ListPositionOf(OutType type);
const char* OutTypeText(OutType type);
OutType OutTypeOf(uint8_t outMode);
// The byte a fill writes into every `OutMode`: the type code with bits 2..5
// set and bits 6..7 clear (0x3C, 0x3D, 0x3E, 0x3F).
uint8_t OutTypeFillByte(OutType type);

// What an output can be acknowledged or reset by.
enum class OutAction : uint8_t { Ack, Reset };
enum class OutSource : uint8_t { Panel, Modbus, ExternalInput };
const char* OutActionName(OutAction action);  // "Квитирование", "Сброс"
const char* OutSourceName(OutSource source);  // "Панель", "ModBus", "Внешн."

// Lock rules: a control output has neither acknowledgement nor reset; a
// control output with blocking has no acknowledgement. Locked settings stay
// stored.
bool OutActionAllowed(OutType type, OutAction action);

// The `OutMode` bit of a panel or Modbus source; 0 for an external input.
uint8_t OutModeBit(OutAction action, OutSource source);

// Image offsets of output i's (1..8) bytes.
int OutModeOffsetOf(int output);
int ExternalInputOffsetOf(int output, OutAction action);

OutType OutputType(const ConfigImage& image, int output);
// Replaces bits 0..1 of the output's `OutMode`; the other bits stay.
void SetOutputType(ConfigImage& image, int output, OutType type);
bool OutputSource(const ConfigImage& image, int output, OutAction action, OutSource source);
// Sets or clears the bit of a panel or Modbus source; nothing else changes.
void SetOutputSource(ConfigImage& image, int output, OutAction action, OutSource source, bool on);

// The input number (1..64) an `AckInput` or `ResetInput` code names, or
// nothing for 64..255.
std::optional<int> ExternalInputNumber(uint8_t code);
// The code an entered text stands for: empty gives 255 (none), "1".."64"
// give 0..63; any other text is out of range and gives nothing.
std::optional<uint8_t> ExternalInputCodeFromText(const QString& text);

// New: output 1's `OutMode` gets bits 2..5 set and type 2, keeping its bits
// 6..7; that byte goes to all eight outputs, outputs 5..8 then get type 0;
// every `AckInput` and `ResetInput` becomes 255.
void DefaultOutDataBaseBytes(ConfigImage& image);
// A fill: every `OutMode` becomes the type's fill byte, every external input
// none.
void FillOutDataBase(ConfigImage& image, OutType type);
