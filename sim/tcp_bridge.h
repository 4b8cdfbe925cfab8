#pragma once

#include <QString>

#include <atomic>
#include <thread>

// Serves a simulated panel's line over TCP as a serial device server does:
// the bytes of one client at a time go unchanged to the panel's
// pseudo-terminal, and its answers back.
class TcpBridge {
public:
    TcpBridge() = default;
    ~TcpBridge();
    TcpBridge(const TcpBridge&) = delete;
    TcpBridge& operator=(const TcpBridge&) = delete;

    // Listens on "HOST:PORT" (port 0: any free one) and carries the line of
    // `devicePath` (opened at 9600 baud, two stop bits). False with the
    // reason in `error`.
    bool Start(const QString& hostPort, const QString& devicePath, QString* error);
    // Closes the listening socket and the connection: the line's server is gone.
    void Stop();
    // The port listened on.
    int Port() const { return m_port; }

private:
    void Serve();

    int m_listen = -1;
    int m_device = -1;
    int m_wake[2] = {-1, -1};
    int m_port = 0;
    std::thread m_thread;
};
