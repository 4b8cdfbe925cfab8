#include "model/crc16.h"

uint16_t Crc16(const uint8_t* data, size_t count)
{
    uint16_t reg = 0xFFFF;
    for (size_t i = 0; i < count; ++i)
        reg = uint16_t((reg >> 8) ^ Crc16Table[(reg ^ data[i]) & 0xFFu]);
    return uint16_t(((reg & 0xFFu) << 8) | (reg >> 8));
}

int CloseFrame(uint8_t* frame, int length)
{
    const uint16_t crc = Crc16(frame, size_t(length));
    frame[length] = uint8_t(crc >> 8);
    frame[length + 1] = uint8_t(crc & 0xFFu);
    return length + 2;
}

QString CrcStatusText(uint16_t crc)
{
    return QStringLiteral("CRC: ") + QString::number(crc);
}
