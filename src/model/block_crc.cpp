#include "model/block_crc.h"

#include "model/crc16.h"

void StampBlockCrcs(ConfigImage& image)
{
    for (const ConfigBlock& b : BlockDirectory) {
        const uint16_t crc = Crc16(image.data() + b.Offset, size_t(b.Length));
        image[b.CrcOffset()] = uint8_t(crc >> 8);
        image[b.CrcOffset() + 1] = uint8_t(crc & 0xFFu);
    }
}

int FirstCorruptBlock(const ConfigImage& image)
{
    for (int n = 0; n < ConfigBlockCount; ++n) {
        const ConfigBlock& b = BlockDirectory[n];
        if (Crc16(image.data() + b.Offset, size_t(b.Length) + 2) != 0)
            return n;
    }
    return -1;
}

bool CheckBlockCrcs(const ConfigImage& image)
{
    return FirstCorruptBlock(image) < 0;
}
