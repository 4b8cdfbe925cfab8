#pragma once

#include "link/port_line.h"

#include <QElapsedTimer>
#include <QLatin1String>

// What the lines reached over the network share: a TCP connection made
// from SCHEME://HOST:PORT (an IPv6 address in brackets), the time a frame
// takes on the serial line behind the far end, the extra time an answer
// may take, and failures in the system's words. The far end drives the
// RS-485 direction itself.
class NetworkPortLine : public PortLine {
public:
    ~NetworkPortLine() override;

    // Whether `path` is SCHEME://HOST:PORT with a scheme of a network line
    // (tcp, mbtcp) and a port 1 to 65535.
    static bool IsNetworkPath(const QString& path);

    bool Open(const QString& path, const LineSettings& settings) override;
    void Close() override;
    int Handle() const override { return m_fd; }
    QString ErrorText() const override { return m_error; }
    bool PermissionDenied() const override { return false; }
    bool IsPseudoTerminal() const override { return false; }
    bool EnableRs485RtsOnSend() override { return true; }
    bool SetRts(bool) override { return true; }
    // While open: LatencyForConnect of the connection's own connect time.
    int LatencyMs() const override;
    bool WaitSent(const QDeadlineTimer& deadline) override;

    // How long a connection may take to be made.
    static constexpr int ConnectTimeoutMs = 3000;
    // What the far end's own serial timing adds to an answer.
    static constexpr int GatewayMarginMs = 50;
    // The extra time of an answer over a connection that took `connectNs`
    // to make: the handshake is one round trip, a request and its answer
    // make another two ways, so twice that (whole ms, rounded up), and the
    // far end's margin.
    static int LatencyForConnect(qint64 connectNs);

protected:
    explicit NetworkPortLine(QLatin1String scheme);

    // Sends `count` bytes, waiting at most until `deadline`; the number
    // sent, or -1 when the connection failed.
    int64_t Send(const uint8_t* data, int64_t count, const QDeadlineTimer& deadline);
    // Starts the time `count` bytes take on the serial line behind the far
    // end at the line's settings: WaitSent waits for it.
    void StartLineTime(int64_t count);
    // Takes what has arrived, up to `max` bytes, without waiting. Once the
    // connection has closed or failed every call fails, ErrorText() naming
    // the first reason.
    ReadResult Receive(uint8_t* data, int64_t max);
    // Waits until input arrives or the connection ends, at most until `deadline`.
    bool WaitInput(const QDeadlineTimer& deadline);
    bool IsLost() const { return m_lost; }
    // Sets ErrorText() to the path and `reason`; returns false.
    bool Fail(const QString& reason);
    void SetErrorText(const QString& text) { m_error = text; }

private:
    QLatin1String m_scheme;
    int m_fd = -1;
    bool m_lost = false;
    LineSettings m_settings;
    QString m_path;
    QString m_error;
    qint64 m_connectNs = 0;
    QElapsedTimer m_sent;     // since the last frame
    qint64 m_lineTimeUs = 0;  // of the last frame
};
