#pragma once

#include "link/mbap_frame.h"
#include "link/network_port_line.h"

#include <QByteArray>

// A line reached through a Modbus TCP gateway, the port given as
// mbtcp://HOST:PORT: each request frame the channel writes goes out as one
// ADU under the next transaction identifier (1, 2, ... 65535, 1, ...), the
// unit being the frame's address, and the answer ADU is read back as the
// RTU frame the channel expects (address, function, data, CRC). Writing
// waits as long as the frame takes on the serial line behind the gateway.
//
// An answer under another transaction is not delivered: the read says it
// is foreign. The gateway's exceptions "path unavailable" (0x0A) and
// "target device failed to respond" (0x0B) mean the panel was silent:
// nothing is delivered, so the request runs out of time as on a serial
// line, and ErrorText() tells which. A stream that can no longer be framed
// (a header of another protocol or an impossible length), and a connection
// that fails or drops, fail the line for good, ErrorText() saying why.
class MbapPortLine : public NetworkPortLine {
public:
    MbapPortLine();

    // Whether `path` names a Modbus TCP line.
    static bool IsMbapPath(const QString& path);

    bool Open(const QString& path, const LineSettings& settings) override;
    void Close() override;
    // Drops the answers that have arrived, also one still arriving.
    void Purge() override;
    // `data` must be a whole RTU frame with its CRC; all of it is taken,
    // or -1 when it cannot go out as one ADU.
    int64_t Write(const uint8_t* data, int64_t count, const QDeadlineTimer& deadline) override;
    ReadResult Read(uint8_t* data, int64_t max) override;
    bool ReportsSilence() const override { return true; }
    bool WaitReadable(const QDeadlineTimer& deadline) override;

    // The transaction of the last request (0 before the first).
    uint16_t LastTransaction() const { return m_transaction; }

private:
    void Restart();
    // Takes what the connection holds into the decoder; false once it is lost.
    bool TakeIn();
    // Fails the line when the decoder has found the stream unframeable.
    void NoteFault();

    MbapFrame::Decoder m_decoder;
    QByteArray m_answer;  // the RTU form of the answer, not yet delivered
    uint16_t m_transaction = 0;
    bool m_unframed = false;  // the stream cannot be framed any more
};
