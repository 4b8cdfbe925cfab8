#pragma once

#include <QByteArray>

#include <cstdint>

// Modbus TCP's application data unit (MBAP header and PDU) and its RTU
// counterpart on the serial line, as a Modbus TCP gateway converts them.
namespace Mbap {

constexpr int HeaderLength = 7;  // transaction 2, protocol 2, length 2, unit 1
constexpr int MaxLength = 254;   // of the length field: unit and a PDU of up to 253 bytes

struct Parsed {
    enum class Status {
        NeedMore,  // the unit is not complete yet
        Request,   // a request: Consumed bytes make it
        Skip,      // a unit to pass over: Consumed bytes (not protocol 0, or no PDU)
        Close,     // the length is impossible: the stream cannot be followed
    };
    Status State = Status::NeedMore;
    int Consumed = 0;
    uint16_t Transaction = 0;
    QByteArray RtuFrame;  // unit id, PDU and CRC, for the serial line
};

// The first unit at the start of `stream`.
Parsed TakeUnit(const QByteArray& stream);

// The answer for the network: `rtuAnswer` (address, PDU, CRC; its CRC
// checked by the caller) under the request's transaction id, the answer's
// address as the unit id.
QByteArray AnswerUnit(uint16_t transaction, const QByteArray& rtuAnswer);

}  // namespace Mbap
