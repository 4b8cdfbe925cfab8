#pragma once

#include "link/port_line.h"

#include <QElapsedTimer>

// A line reached through a serial device server on the network: Modbus RTU
// frames carried unchanged over a raw TCP stream, the port given as
// tcp://HOST:PORT. Writing waits as long as the frame takes on the serial
// line behind the server, so the pauses and answer waits are those of a
// serial port. A connection that fails or drops fails the line with the
// system's reason.
class TcpPortLine : public PortLine {
public:
    ~TcpPortLine() override;

    // Whether `path` names a TCP line.
    static bool IsTcpPath(const QString& path);

    bool Open(const QString& path, const LineSettings& settings) override;
    void Close() override;
    int Handle() const override { return m_fd; }
    QString ErrorText() const override { return m_error; }
    bool PermissionDenied() const override { return false; }
    bool IsPseudoTerminal() const override { return false; }

    // The device server drives the RS-485 direction itself.
    bool EnableRs485RtsOnSend() override { return true; }
    bool SetRts(bool) override { return true; }

    void Purge() override;
    int64_t Write(const uint8_t* data, int64_t count, const QDeadlineTimer& deadline) override;
    bool WaitSent(const QDeadlineTimer& deadline) override;
    ReadResult Read(uint8_t* data, int64_t max) override;
    bool WaitReadable(const QDeadlineTimer& deadline) override;

    // How long a connection may take to be made.
    static constexpr int ConnectTimeoutMs = 3000;

private:
    bool Fail(const QString& reason);

    int m_fd = -1;
    LineSettings m_settings;
    QString m_path;
    QString m_error;
    QElapsedTimer m_sent;     // since the last write
    qint64 m_lineTimeUs = 0;  // of the last write
};

// The line a channel opens `path` with: TCP for tcp://HOST:PORT, else serial.
std::unique_ptr<PortLine> MakePortLine(const QString& path);
