#pragma once

#include "model/config_image.h"

// Block 6 (`OutputActivation`): which of the relays 1..8 each of the 64
// inputs activates. Byte k - 1 is the relay mask of input k; bit r - 1 set
// means the input activates relay r.
namespace OutputActivation {
constexpr int Offset = 167;
constexpr int Length = 64;
constexpr int RelayCount = 8;
}  // namespace OutputActivation

bool InputActivatesRelay(const ConfigImage& image, int input, int relay);
// Inverts the bit of the input's relay and returns the new state; no other
// bit changes.
bool ToggleRelayActivation(ConfigImage& image, int input, int relay);

// New: input k (1..8) activates relay k, no other input activates any.
void DefaultOutputActivationBytes(ConfigImage& image);
// Every fill of the crossbar starts here: no input activates any relay.
void ClearOutputActivation(ConfigImage& image);
