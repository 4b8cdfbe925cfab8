#pragma once

#include "delay_line.h"
#include "mbap.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>
#include <thread>

struct BridgeOptions {
    // A Modbus TCP gateway: MBAP units on the network, RTU frames on the
    // line. Otherwise a serial device server that passes bytes unchanged.
    bool Mbap = false;
    // The network's one-way delay: every chunk is held this long in each
    // direction.
    int DelayMs = 0;
    // The line echoes what the bridge sends (an echoing adapter on it): the
    // bridge takes its own bytes off when they come back first, as a
    // gateway's transceiver never passes them to the network.
    bool LineEchoes = false;
};

// Serves a simulated panel's line over TCP, for one client at a time:
// as a serial device server does (the client's bytes go unchanged to the
// panel's pseudo-terminal, and its answers back) or as a Modbus TCP
// gateway does (one request at a time: a unit from the network becomes an
// RTU frame on the line; an intact answer, ended by its length or by the
// line's silence within 1000 ms, goes back as a unit with the request's
// transaction id; no answer or a broken one sends nothing back). An
// answer whose length its function tells is let finish across a pause of
// up to 50 ms, as a gateway with a lenient character time-out does.
class TcpBridge {
public:
    TcpBridge() = default;
    ~TcpBridge();
    TcpBridge(const TcpBridge&) = delete;
    TcpBridge& operator=(const TcpBridge&) = delete;

    // Listens on "HOST:PORT" (port 0: any free one) and carries the line of
    // `devicePath` (opened at 9600 baud, two stop bits). False with the
    // reason in `error`.
    bool Start(const QString& hostPort, const QString& devicePath, QString* error,
               const BridgeOptions& options = {});
    // Closes the listening socket and the connection: the line's server is gone.
    void Stop();
    // The port listened on.
    int Port() const { return m_port; }

    // How long a gateway waits for the line's answer to a request; when
    // none came, it answers exception 0B (target device failed to respond),
    // as most gateways do.
    static constexpr int AnswerTimeoutMs = 500;

private:
    // The request on the line, in gateway mode.
    struct Exchange {
        bool Active = false;
        uint16_t Transaction = 0;
        uint8_t Unit = 0;
        uint8_t Function = 0;
        QByteArray Answer;
        qint64 DeadlineUs = 0;
        qint64 LastByteUs = 0;
    };

    void Serve();
    void ResetClient();
    // Bytes that came over the network, after its delay.
    void FromNetwork(const QByteArray& bytes, qint64 nowUs);
    // Bytes the line gave, its echo of the bridge's own bytes taken off.
    void FromLine(QByteArray bytes, qint64 nowUs);
    void WriteToLine(const QByteArray& bytes);
    // Gateway mode: ends the exchange on the line when its answer is
    // complete or the wait is over, and starts the next one.
    void RunExchanges(qint64 nowUs);
    qint64 NextDeadlineUs() const;

    int m_listen = -1;
    int m_device = -1;
    int m_wake[2] = {-1, -1};
    int m_port = 0;
    int m_client = -1;
    BridgeOptions m_options;
    std::thread m_thread;

    // The serving thread's own.
    DelayLine m_toLine;
    DelayLine m_toClient;
    QByteArray m_units;              // gateway mode: the network's unread bytes
    QList<Mbap::Parsed> m_requests;  // gateway mode: waiting for the line
    Exchange m_exchange;
    QByteArray m_echoLeft;  // sent to the line, not yet heard back
};
