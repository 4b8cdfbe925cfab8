#pragma once

#include <cstdint>

// Function codes and fixed frame lengths of the panel's Modbus RTU dialect.
namespace ModbusCode {
constexpr uint8_t ReportSlaveId = 0x11;  // 17
constexpr uint8_t PollStatus = 0x0E;     // 14
constexpr uint8_t Programming = 0x46;    // 70
constexpr uint8_t ExceptionBit = 0x80;   // set in the function byte of an exception answer
}  // namespace ModbusCode

// Sub-commands of the programming function, at request position 4.
namespace ProgrammingCommand {
constexpr uint8_t ReadVersion = 0;
constexpr uint8_t ReadBlock = 1;
constexpr uint8_t WriteBlock = 2;
constexpr uint8_t Apply = 3;
}  // namespace ProgrammingCommand

namespace FrameLength {
constexpr int Crc = 2;
constexpr int ShortRequest = 4;        // address, function, CRC
constexpr int PollAnswer = 4;          // address, 0x0E, CRC
constexpr int ExceptionAnswer = 5;     // address, function | 0x80, code, CRC
constexpr int VersionRequest = 7;      // ... count, sub-command, CRC
constexpr int VersionAnswer = 10;      // ... major (5), minor (6), revision (7), CRC
constexpr int ShortAnswer = 5;         // write and apply answers
constexpr int BlockOverhead = 8;       // block frames: payload + 8
constexpr int BlockPayloadOffset = 6;  // payload position in block frames
constexpr int IdentAnswer = 8;         // address, 0x11, count 3, three bytes, CRC
}  // namespace FrameLength

// Positions in the version answer.
namespace VersionAnswerPos {
constexpr int FirmwareMajor = 5;
constexpr int FirmwareMinor = 6;
constexpr int HardwareRevision = 7;
}  // namespace VersionAnswerPos
