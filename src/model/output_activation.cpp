#include "model/output_activation.h"

#include "model/bits.h"

#include <algorithm>

using namespace OutputActivation;

bool InputActivatesRelay(const ConfigImage& image, int input, int relay)
{
    return TestBit(relay - 1, image.data() + Offset + input - 1);
}

bool ToggleRelayActivation(ConfigImage& image, int input, int relay)
{
    const bool on = !InputActivatesRelay(image, input, relay);
    SetBit(relay - 1, image.data() + Offset + input - 1, on);
    return on;
}

void DefaultOutputActivationBytes(ConfigImage& image)
{
    ClearOutputActivation(image);
    for (int input = 1; input <= RelayCount; ++input)
        image[Offset + input - 1] = uint8_t(1u << (input - 1));
}

void ClearOutputActivation(ConfigImage& image)
{
    std::fill_n(image.begin() + Offset, Length, uint8_t(0));
}
