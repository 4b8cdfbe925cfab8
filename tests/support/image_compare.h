#pragma once

#include "model/config_image.h"

#include <algorithm>

// True when the payloads of blocks first..last are the same in both images
// (their CRC words are not compared).
inline bool SameBlocks(const ConfigImage& a, const ConfigImage& b, int first, int last)
{
    for (int n = first; n <= last; ++n) {
        const ConfigBlock& blk = BlockDirectory[n];
        if (!std::equal(a.begin() + blk.Offset, a.begin() + blk.CrcOffset(),
                        b.begin() + blk.Offset))
            return false;
    }
    return true;
}
