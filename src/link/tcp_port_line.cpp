#include "link/tcp_port_line.h"

#include "link/mbap_port_line.h"
#include "link/serial_port_line.h"

TcpPortLine::TcpPortLine() : NetworkPortLine(QLatin1String("tcp")) {}

bool TcpPortLine::IsTcpPath(const QString& path)
{
    return path.startsWith(QLatin1String("tcp://"));
}

void TcpPortLine::Purge()
{
    // Bounded, so that a peer that never stops sending cannot hold the caller.
    uint8_t scrap[256];
    for (int i = 0; i < 256 && Receive(scrap, sizeof scrap).Count > 0; ++i) {
    }
}

int64_t TcpPortLine::Write(const uint8_t* data, int64_t count, const QDeadlineTimer& deadline)
{
    const int64_t done = Send(data, count, deadline);
    // The server puts the frame on its serial line at the line's rate.
    StartLineTime(done);
    return done;
}

std::unique_ptr<PortLine> MakePortLine(const QString& path)
{
    if (TcpPortLine::IsTcpPath(path))
        return std::make_unique<TcpPortLine>();
    if (MbapPortLine::IsMbapPath(path))
        return std::make_unique<MbapPortLine>();
    return std::make_unique<SerialPortLine>();
}
