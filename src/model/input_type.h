#pragma once

#include "model/config_image.h"

#include <cstdint>

// Block 2 (`InputType`): the contact type of each of the 64 inputs, one bit
// per input. Input n (1..64) is bit n - 1 of the block read as one bit map:
// bit (n - 1) mod 8 of byte (n - 1) div 8. Inputs 1..32 are the discrete
// inputs of the input modules (bytes 0..3), inputs 33..64 those the panel
// receives over Modbus (bytes 4..7).
namespace InputType {
constexpr int Offset = 31;
constexpr int Length = 8;
constexpr int InputCount = 64;
constexpr int DiscreteInputCount = 32;
constexpr int DiscreteBytes = DiscreteInputCount / 8;
}  // namespace InputType

// The contact wired to an input; the value is the input's bit.
enum class ContactType : uint8_t { NormallyOpen = 0, NormallyClosed = 1 };

// "Н.Р." or "Н.З.", the short names the tool uses for the two types.
const char* ContactTypeName(ContactType type);

// The contact type of input n (1..64).
ContactType InputContact(const ConfigImage& image, int input);
void SetInputContact(ConfigImage& image, int input, ContactType type);
// Inverts the bit of input n and returns the new type; no other bit changes.
ContactType ToggleInputContact(ConfigImage& image, int input);

// New: all 64 inputs normally open.
void DefaultInputTypeBytes(ConfigImage& image);

// The byte a fill writes into every byte it fills: 0x00 or 0xFF.
uint8_t InputTypeFillByte(ContactType type);
// Fills inputs 1..32, and inputs 33..64 too in Modbus master mode; without
// it the Modbus inputs keep their bits.
void FillInputTypes(ConfigImage& image, ContactType type, bool modbusMaster);
