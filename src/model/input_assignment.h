#pragma once

#include "model/config_image.h"

#include <QString>

#include <array>
#include <optional>

// Block 3 (`InputAssignment`): what each of the 64 inputs drives, one code
// per input (byte k - 1 for input k). Codes 0..31 light window code + 1,
// codes 100..115 acknowledge relay code - 99, codes 116..131 reset relay
// code - 115; 255 and every other value assign the input to nothing.
namespace InputAssignment {
constexpr int Offset = 41;
constexpr int Length = 64;
constexpr uint8_t RelayAckFirst = 100;
constexpr uint8_t RelayResetFirst = 116;
constexpr int RelayCodeCount = 16;  // relays 1..16 have codes; a panel has 8
constexpr uint8_t NoAssignment = 255;
constexpr int WindowCount = 32;
constexpr int DiscreteInputCount = 32;  // inputs 1..32 come from the input modules
}  // namespace InputAssignment

// The relay (1..16) whose acknowledgement or reset a code assigns, or nothing.
std::optional<int> AckRelayOf(uint8_t code);
std::optional<int> ResetRelayOf(uint8_t code);

// For each of the relays 1..8, the input (1..64) assigned to its
// acknowledgement and to its reset; where several inputs name the same
// relay, the last one. Relays 9..16 have no output and are left out.
struct RelayInputs {
    std::array<std::optional<int>, 8> Ack;
    std::array<std::optional<int>, 8> Reset;
};
RelayInputs AssignedRelayInputs(const ConfigImage& image);

// The kind of an assignment code.
enum class AssignmentKind : uint8_t { akWindow, akRelayAck, akRelayReset, akNone };

struct AssignmentKindRow {
    AssignmentKind Kind;
    const char* Text;          // the kind text the crossbar shows, two blanks first
    int FirstCode;             // the kind's codes: FirstCode .. FirstCode + CodeCount - 1
    int CodeCount;             // (number n is code FirstCode + n - 1)
    int MaxNumber;             // the tool stores numbers 1 .. MaxNumber; 0: any number
    const char* RangeMessage;  // the status text for a number outside them
};
// In the order in which a text is matched to its kind.
extern const std::array<AssignmentKindRow, 4> AssignmentKinds;
const AssignmentKindRow& AssignmentKindInfo(AssignmentKind kind);

// The first kind whose code range holds the code; akNone for any other code.
AssignmentKind AssignmentKindOf(uint8_t code);
// The kind whose text equals the text, or nothing.
std::optional<AssignmentKind> AssignmentKindOfText(const QString& text);
QString AssignmentKindText(AssignmentKind kind);
// The window or relay number a code names (1..32, 1..16), nothing for akNone.
std::optional<int> AssignmentNumber(uint8_t code);
// The code an input gets for a kind and the text of its number cell (an
// empty text counts as 0): n - 1 for a window 1..32, n + 99 or n + 115 for
// a relay 1..8, 255 for akNone whatever the text. Nothing when the number
// lies outside the kind's range or is no decimal number.
std::optional<uint8_t> AssignmentCodeFor(AssignmentKind kind, const QString& numberText);

uint8_t InputAssignmentCode(const ConfigImage& image, int input);
void SetInputAssignmentCode(ConfigImage& image, int input, uint8_t code);

// New: inputs 1..32 light windows 1..32, inputs 33..64 drive nothing.
void DefaultInputAssignmentBytes(ConfigImage& image);

// The crossbar's fills: inputs 1..32 or inputs 33..64 on windows 1..32 (the
// other inputs on nothing), or every input on nothing.
enum class CrossBarFill : uint8_t { FromInputModules, FromModbus, Empty };
void FillInputAssignment(ConfigImage& image, CrossBarFill fill);
