#pragma once

#include <QString>

#include <cstdint>

// The CRC of a frame on the line (Crc16, most significant byte first).

// Closes a request of `length` bytes at the start of `frame` with its CRC
// and returns the length of the frame to send (length + 2).
int CloseFrame(uint8_t* frame, int length);

// "CRC: " and the check's result in decimal (0 for an intact answer).
QString CrcStatusText(uint16_t crc);
