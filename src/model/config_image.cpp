#include "model/config_image.h"

#include <cassert>

std::span<uint8_t> BlockPayload(ConfigImage& image, int block)
{
    assert(block >= 0 && block < ConfigBlockCount);
    const ConfigBlock& b = BlockDirectory[block];
    return std::span<uint8_t>(image).subspan(b.Offset, b.Length);
}

std::span<const uint8_t> BlockPayload(const ConfigImage& image, int block)
{
    assert(block >= 0 && block < ConfigBlockCount);
    const ConfigBlock& b = BlockDirectory[block];
    return std::span<const uint8_t>(image).subspan(b.Offset, b.Length);
}
