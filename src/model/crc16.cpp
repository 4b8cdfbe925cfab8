#include "model/crc16.h"

uint16_t Crc16(const uint8_t* data, size_t count)
{
    uint16_t reg = 0xFFFF;
    for (size_t i = 0; i < count; ++i)
        reg = uint16_t((reg >> 8) ^ Crc16Table[(reg ^ data[i]) & 0xFFu]);
    return uint16_t(((reg & 0xFFu) << 8) | (reg >> 8));
}
