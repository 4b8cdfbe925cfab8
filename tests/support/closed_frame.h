#pragma once

#include "model/crc16.h"

#include <QByteArray>

// `body` closed with its CRC as the line carries it (high byte first).
inline QByteArray ClosedFrame(const QByteArray& body)
{
    QByteArray frame = body;
    const uint16_t crc =
        Crc16(reinterpret_cast<const uint8_t*>(frame.constData()), size_t(frame.size()));
    frame.append(char(crc >> 8));
    frame.append(char(crc & 0xFF));
    return frame;
}

// True when `frame`'s CRC checks.
inline bool FrameIntact(const QByteArray& frame)
{
    return Crc16(reinterpret_cast<const uint8_t*>(frame.constData()), size_t(frame.size())) == 0;
}
