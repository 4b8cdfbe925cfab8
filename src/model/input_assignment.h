#pragma once

#include "model/config_image.h"

#include <array>
#include <optional>

// Block 3 (`InputAssignment`): what each of the 64 inputs drives, one code
// per input (byte k - 1 for input k). Codes 100..115 acknowledge relay
// code - 99, codes 116..131 reset relay code - 115.
namespace InputAssignment {
constexpr int Offset = 41;
constexpr int Length = 64;
constexpr uint8_t RelayAckFirst = 100;
constexpr uint8_t RelayResetFirst = 116;
constexpr int RelayCodeCount = 16;  // relays 1..16 have codes; a panel has 8
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
