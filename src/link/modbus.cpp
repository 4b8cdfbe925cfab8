#include "link/modbus.h"

#include "link/tcp_port_line.h"

#include <QDeadlineTimer>

#include <algorithm>

TModbus::TModbus() = default;

TModbus::~TModbus()
{
    ClosePort();
}

void TModbus::SetLineFactory(PortLineFactory factory)
{
    m_lineFactory = std::move(factory);
}

int TModbus::OpenPort(const QString& path, int baudRate, int stopBits, int parity, bool rtsToggle,
                      int bufferSize)
{
    // The earlier port and its buffer go before anything new is taken.
    ClosePort();
    m_lastOpenError.clear();
    m_lastOpenPermissionDenied = false;

    if (bufferSize <= 0)
        return FailOpen(QStringLiteral("Invalid frame buffer size %1").arg(bufferSize), false);

    m_settings = LineSettings{baudRate, stopBits, parity};
    m_line = m_lineFactory ? m_lineFactory() : MakePortLine(path);
    if (!m_line->Open(path, m_settings)) {
        const QString reason = m_line->ErrorText();
        const bool denied = m_line->PermissionDenied();
        m_line.reset();
        return FailOpen(reason, denied);
    }
    if (!SetUpDirectionControl(rtsToggle)) {
        const QString reason = m_line->ErrorText();
        m_line->Close();
        m_line.reset();
        return FailOpen(reason, false);
    }

    PortHandle = m_line->Handle();
    Buffer = new uint8_t[size_t(bufferSize)]();
    m_bufferSize = bufferSize;
    ShowStatus(path);
    return PortHandle;
}

bool TModbus::SetUpDirectionControl(bool rtsToggle)
{
    m_rs485ByDriver = false;
    m_rtsByHand = false;
    // A pseudo-terminal has no modem lines: nothing to switch.
    const bool pty = m_line->IsPseudoTerminal();
    if (!rtsToggle) {
        if (m_line->SetRts(false) || pty)
            return true;
        m_lastOpenError = QStringLiteral("RTS");
        return false;
    }
    if (m_line->EnableRs485RtsOnSend()) {
        m_rs485ByDriver = true;
        return true;
    }
    // The driver has no RS-485 mode (built-in UARTs, many USB adapters): the
    // channel raises RTS around each frame itself, and keeps it low while it
    // listens. An adapter whose RTS cannot be set switches direction by
    // itself, if at all; that is no reason to refuse the port.
    if (!pty && m_line->SetRts(false))
        m_rtsByHand = true;
    return true;
}

int TModbus::FailOpen(const QString& reason, bool permissionDenied)
{
    m_lastOpenError = reason;
    m_lastOpenPermissionDenied = permissionDenied;
    PortHandle = ClosedMarker;
    return ClosedMarker;
}

void TModbus::ClosePort()
{
    if (m_line) {
        m_line->Purge();
        m_line->Close();
        m_line.reset();
    }
    PortHandle = ClosedMarker;
    m_rs485ByDriver = false;
    m_rtsByHand = false;
    delete[] Buffer;
    Buffer = nullptr;
    m_bufferSize = 0;
}

int TModbus::SendLimitMs(int count) const
{
    const int baud = std::max(m_settings.BaudRate, 1);
    const qint64 lineMs = (qint64(count) * BitsPerChar(m_settings) * 1000 + baud - 1) / baud;
    return int(std::min<qint64>(lineMs, 1000000)) + SendMarginMs;
}

bool TModbus::SendFrame(const uint8_t* data, int count)
{
    int64_t written = 0;
    bool complete = false;
    if (m_line && data && count >= 0) {
        m_line->Purge();
        // A stuck adapter (stopped by flow control, a driver that no longer
        // drains) must not hold the window for good.
        const QDeadlineTimer deadline(SendLimitMs(count));
        if (m_rtsByHand)
            m_line->SetRts(true);
        written = std::max<int64_t>(0, m_line->Write(data, count, deadline));
        complete = written == count && m_line->WaitSent(deadline);
        if (m_rtsByHand)
            m_line->SetRts(false);
        if (!complete)
            m_line->Purge();  // what is stuck must not leave later
        if (m_trace && written > 0)
            m_trace(true, data, int(written));
    }
    ShowStatus(QString::number(written));
    return complete;
}

bool TModbus::ReceiveFrame(uint8_t* data, int count, int& received, uint32_t waitTime)
{
    received = 0;
    bool complete = false;
    if (m_line && data && count >= 0) {
        const qint64 limit = std::min<qint64>(waitTime, qint64(count) + ReadTimeoutConstant);
        const QDeadlineTimer deadline(limit);
        for (;;) {
            const PortLine::ReadResult r = m_line->Read(data + received, count - received);
            received += int(r.Count);
            // A byte that failed its parity check spoils the whole answer.
            if (r.Failed || r.LineError)
                break;
            if (received >= count) {
                complete = true;
                break;
            }
            // A read error (the other end of the line vanished) is no answer.
            if (deadline.hasExpired() || !m_line->WaitReadable(deadline))
                break;
        }
        if (m_trace && received > 0)
            m_trace(false, data, received);
    }
    ShowStatus(QString::number(received));
    return complete;
}

void TModbus::ShowStatus(const QString& text) const
{
    if (m_status)
        m_status(text);
}
