#include "link/frame_crc.h"

#include "model/crc16.h"

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
