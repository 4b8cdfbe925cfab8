#pragma once

#include "link/network_port_line.h"

#include <memory>

// A line reached through a serial device server on the network: Modbus RTU
// frames carried unchanged over a raw TCP stream, the port given as
// tcp://HOST:PORT. Writing waits as long as the frame takes on the serial
// line behind the server, so the pauses and answer waits are those of a
// serial port. A connection that fails or drops fails the line with the
// system's reason.
class TcpPortLine : public NetworkPortLine {
public:
    TcpPortLine();

    // Whether `path` names a TCP line.
    static bool IsTcpPath(const QString& path);

    void Purge() override;
    int64_t Write(const uint8_t* data, int64_t count, const QDeadlineTimer& deadline) override;
    ReadResult Read(uint8_t* data, int64_t max) override { return Receive(data, max); }
    bool WaitReadable(const QDeadlineTimer& deadline) override { return WaitInput(deadline); }
};

// The line a channel opens `path` with: raw RTU over TCP for
// tcp://HOST:PORT, Modbus TCP for mbtcp://HOST:PORT, else serial.
std::unique_ptr<PortLine> MakePortLine(const QString& path);
