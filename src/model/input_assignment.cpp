#include "model/input_assignment.h"

using namespace InputAssignment;

namespace {
std::optional<int> RelayFrom(uint8_t code, uint8_t first)
{
    if (code >= first && code < first + RelayCodeCount)
        return code - first + 1;
    return std::nullopt;
}
}  // namespace

std::optional<int> AckRelayOf(uint8_t code)
{
    return RelayFrom(code, RelayAckFirst);
}

std::optional<int> ResetRelayOf(uint8_t code)
{
    return RelayFrom(code, RelayResetFirst);
}

RelayInputs AssignedRelayInputs(const ConfigImage& image)
{
    RelayInputs inputs;
    const int relays = int(inputs.Ack.size());
    for (int input = 1; input <= Length; ++input) {
        const uint8_t code = image[Offset + input - 1];
        if (const auto relay = AckRelayOf(code); relay && *relay <= relays)
            inputs.Ack[*relay - 1] = input;
        if (const auto relay = ResetRelayOf(code); relay && *relay <= relays)
            inputs.Reset[*relay - 1] = input;
    }
    return inputs;
}
