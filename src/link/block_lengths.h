#pragma once

#include "model/config_image.h"

#include <array>

// Payload bytes of each configuration block as the panel reads and writes
// them; both columns follow the block directory of the image.
struct BlockLength {
    int Read;
    int Write;
};

inline constexpr std::array<BlockLength, ConfigBlockCount> BlockLengthTable = [] {
    std::array<BlockLength, ConfigBlockCount> table{};
    for (int n = 0; n < ConfigBlockCount; ++n)
        table[n] = {BlockDirectory[n].Length, BlockDirectory[n].Length};
    return table;
}();

static_assert(BlockLengthTable[0].Read == 20 && BlockLengthTable[1].Read == 7 &&
              BlockLengthTable[2].Read == 8 && BlockLengthTable[3].Read == 64 &&
              BlockLengthTable[4].Read == 32 && BlockLengthTable[5].Read == 24 &&
              BlockLengthTable[6].Read == 64 && BlockLengthTable[7].Read == 81 &&
              BlockLengthTable[8].Read == 81 && BlockLengthTable[9].Read == 81);

constexpr bool IsBlockNumber(int block)
{
    return block >= 0 && block < ConfigBlockCount;
}
