#pragma once

#include <QByteArray>
#include <QList>

#include <cstdint>

// Modbus TCP framing, as a gateway between the network and an RS-485 line
// speaks it: each request and answer is one ADU of
//   transaction (2 bytes, big-endian), protocol 0 (2), length (2: the unit
//   and the PDU), unit (1: the panel's address), PDU (function and data)
// and no CRC, which the gateway adds and checks on its serial side. No I/O.
namespace MbapFrame {

constexpr int HeaderLength = 7;   // transaction, protocol, length, unit
constexpr int LengthOffset = 4;   // of the length field
constexpr int MaxLength = 254;    // the length field: the unit and a PDU of at most 253 bytes
constexpr int MinRtuFrame = 4;    // address, function, CRC
constexpr int MaxRtuFrame = 256;  // address, 253 PDU bytes, CRC

struct Adu {
    uint16_t Transaction = 0;
    uint16_t Protocol = 0;
    uint8_t Unit = 0;
    QByteArray Pdu;  // function and data
};

// The ADU of the RTU frame `rtu` (address, function, data, CRC) under
// `transaction`: the address becomes the unit, the CRC is dropped. Empty
// when the frame is shorter than MinRtuFrame, longer than MaxRtuFrame or
// its CRC does not check.
QByteArray Encode(const uint8_t* rtu, int count, uint16_t transaction);
// The RTU frame the channel expects for an answer ADU: unit, PDU, CRC.
QByteArray ToRtu(const Adu& adu);
// The transaction after `last`: 1, 2, ... 65535, then 1 again (0 is never
// used, so the first request of a connection is 1).
uint16_t NextTransaction(uint16_t last);

// Splits a byte stream, fed in pieces of any size, into ADUs. A header
// whose protocol is not 0 or whose length cannot be right (0, or more than
// MaxLength) means that the stream can no longer be framed: the decoder
// then stops, keeps the fault and takes nothing more.
class Decoder {
public:
    enum class Fault { None, Protocol, Length };

    void Feed(const uint8_t* data, int64_t count);
    // True while a complete ADU is waiting for Next.
    bool HasAdu() const { return !m_ready.isEmpty(); }
    // Takes the oldest complete ADU; false when none is waiting.
    bool Next(Adu& adu);
    // Drops every ADU received so far, the one still arriving included
    // (its remaining bytes are skipped when they come), and keeps the
    // stream's framing.
    void Discard();
    // Forgets everything, the fault included: for a new stream.
    void Reset();

    Fault Failure() const { return m_fault; }
    // The protocol or length field that stopped the stream.
    int FailureValue() const { return m_faultValue; }
    // Bytes of the ADU still arriving.
    int64_t Partial() const { return m_partial.size(); }

private:
    bool CheckHeader();

    QByteArray m_partial;
    QList<Adu> m_ready;
    bool m_dropPartial = false;
    Fault m_fault = Fault::None;
    int m_faultValue = 0;
};

}  // namespace MbapFrame
