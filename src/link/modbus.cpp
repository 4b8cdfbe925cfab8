#include "link/modbus.h"

#include "link/link_texts.h"
#include "link/modbus_codes.h"
#include "link/tcp_port_line.h"

#include <QDeadlineTimer>

#include <algorithm>
#include <cstring>

TModbus::TModbus() = default;

TModbus::~TModbus()
{
    ClosePort();
}

int TModbus::OpenPort(const QString& path, const SerialSettings& line, bool rtsToggle,
                      int bufferSize)
{
    const LineSettings codes = PortLineSettings(line);
    return OpenPort(path, codes.BaudRate, codes.StopBits, codes.Parity, rtsToggle, bufferSize);
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
    m_lineEchoes = m_echoMode == EchoMode::On;
    m_echoKnown = m_echoMode != EchoMode::Auto;
    m_echoDue = false;
    m_sent.clear();
    m_pending.clear();
    m_lineFailure.clear();
    // Nobody knows what the line carried before: it must show one silence.
    m_lastInput.start();
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
    m_pending.clear();
    m_echoDue = false;
}

int TModbus::SendLimitMs(int count) const
{
    const int baud = std::max(m_settings.BaudRate, 1);
    const qint64 lineMs = (qint64(count) * BitsPerChar(m_settings) * 1000 + baud - 1) / baud;
    return int(std::min<qint64>(lineMs, 1000000)) + SendMarginMs;
}

qint64 TModbus::LineTimeUs(int count) const
{
    const int baud = std::max(m_settings.BaudRate, 1);
    return (qint64(count) * BitsPerChar(m_settings) * 1000000 + baud - 1) / baud;
}

qint64 TModbus::SilenceUs() const
{
#ifdef ORLIX_NO_PAUSES
    return 0;  // a fuzzing build runs without the line's timing
#else
    // 3.5 character times; above 19200 baud the Modbus serial line fixes
    // 1750 us instead.
    constexpr qint64 FloorUs = 1750;
    return std::max(LineTimeUs(7) / 2, FloorUs) + qint64(LineLatencyMs()) * 1000;
#endif
}

QDeadlineTimer TModbus::AnswerDeadline(uint32_t waitMs) const
{
    qint64 us = qint64(waitMs) * 1000 + qint64(LineLatencyMs()) * 1000;
    if (m_echoDue && (m_lineEchoes || !m_echoKnown))
        us += LineTimeUs(int(m_sent.size()));
    return QDeadlineTimer(std::chrono::microseconds(us));
}

void TModbus::Trace(TraceKind kind, const uint8_t* data, int count) const
{
    if (m_trace && count > 0)
        m_trace(kind, data, count);
}

void TModbus::NoteInput(const uint8_t* data, int count, TraceKind kind)
{
    if (count <= 0)
        return;
    m_lastInput.start();
    if (kind == TraceKind::Discarded)
        Trace(kind, data, count);
}

void TModbus::NoteLineFailure()
{
    if (m_line && m_lineFailure.isEmpty())
        m_lineFailure = m_line->ErrorText();
    if (m_lineFailure.isEmpty())
        m_lineFailure = QStringLiteral("?");
}

bool TModbus::WaitQuiet(const QDeadlineTimer& deadline)
{
    uint8_t scrap[256];
    // Takes what has arrived; true when anything did.
    auto drain = [&](bool& failed) {
        bool any = false;
        for (;;) {
            const PortLine::ReadResult r = m_line->Read(scrap, sizeof scrap);
            NoteInput(scrap, int(r.Count), TraceKind::Discarded);
            any = any || r.Count > 0;
            if (r.Failed) {
                failed = true;
                return any;
            }
            if (r.Count <= 0)
                return any;
        }
    };
    bool failed = false;
    // Bytes waiting in the driver arrived at an unknown time: count them as
    // arriving now.
    drain(failed);
    if (!failed && m_line->WaitReadable(QDeadlineTimer(0)))
        drain(failed);
    m_pending.clear();
    const qint64 silenceNs = SilenceUs() * 1000;
    while (!failed) {
        const qint64 quietNs = m_lastInput.nsecsElapsed();
        if (quietNs >= silenceNs)
            return true;
        if (deadline.hasExpired())
            return false;
        const qint64 waitNs = std::min(silenceNs - quietNs, deadline.remainingTimeNSecs());
        // Woken by input or by the time; the read also learns a failed line.
        m_line->WaitReadable(QDeadlineTimer(std::chrono::nanoseconds(waitNs)));
        drain(failed);
    }
    NoteLineFailure();
    return false;
}

bool TModbus::SendFrame(const uint8_t* data, int count)
{
    int64_t written = 0;
    bool complete = false;
    m_lineBusy = false;
    m_echoDue = false;
    m_sent.clear();
    if (m_line && data && count >= 0) {
        if (!WaitQuiet(QDeadlineTimer(AnswerTimeout))) {
            m_lineBusy = m_lineFailure.isEmpty();
            ShowStatus(QString::number(written));
            return false;
        }
        m_line->Purge();
        // A stuck adapter (stopped by flow control, a driver that no longer
        // drains) must not hold the window for good.
        const QDeadlineTimer deadline(SendLimitMs(count));
        if (m_rtsByHand)
            m_line->SetRts(true);
        written = m_line->Write(data, count, deadline);
        if (written < 0)
            NoteLineFailure();
        written = std::max<int64_t>(0, written);
        complete = written == count && m_line->WaitSent(deadline);
        if (m_rtsByHand)
            m_line->SetRts(false);
        if (!complete) {
            // A line that went while the frame left says so on a read.
            uint8_t none = 0;
            if (m_line->Read(&none, 0).Failed)
                NoteLineFailure();
            m_line->Purge();  // what is stuck must not leave later
        }
        m_sent = QByteArray(reinterpret_cast<const char*>(data), int(written));
        m_echoDue = complete;
        Trace(TraceKind::Sent, data, int(written));
    }
    ShowStatus(QString::number(written));
    return complete;
}

int TModbus::ReadInto(uint8_t* data, int count, const QDeadlineTimer& deadline, bool& failed)
{
    int got = int(std::min<qsizetype>(count, m_pending.size()));
    std::memcpy(data, m_pending.constData(), size_t(got));
    m_pending.remove(0, got);
    bool lastTry = false;
    while (got < count) {
        const PortLine::ReadResult r = m_line->Read(data + got, count - got);
        NoteInput(data + got, int(r.Count), TraceKind::Received);
        got += int(r.Count);
        if (r.Foreign) {
            m_foreignAnswer = true;
            ShowStatus(m_line->ErrorText());
            failed = true;
            break;
        }
        if (r.Failed) {
            NoteLineFailure();
            failed = true;
            break;
        }
        // The gateway tells that nobody answered: no use waiting.
        if (r.Silent)
            break;
        // A byte that failed its parity check spoils the whole answer.
        if (r.LineError) {
            failed = true;
            break;
        }
        if (got >= count || r.Count > 0)
            continue;
        if (lastTry || deadline.hasExpired())
            break;
        // Woken without input: the deadline passed, or the line failed,
        // which one more read tells.
        lastTry = !m_line->WaitReadable(deadline);
    }
    return got;
}

bool TModbus::TakeEcho(const QDeadlineTimer& deadline)
{
    m_echoDue = false;
    if (m_echoKnown && !m_lineEchoes)
        return true;
    const int length = int(m_sent.size());
    // Only an identification request tells an echo from an answer: no
    // answer to it begins with its own four bytes, while a poll's normal
    // answer is the poll itself.
    if (!m_echoKnown && (length < 2 || uint8_t(m_sent[1]) != ModbusCode::ReportSlaveId))
        return true;
    QByteArray echo(length, '\0');
    bool failed = false;
    const int got = ReadInto(reinterpret_cast<uint8_t*>(echo.data()), length, deadline, failed);
    echo.truncate(got);
    if (!m_echoKnown) {
        m_echoKnown = true;
        m_lineEchoes = got == length && echo == m_sent;
        if (m_lineEchoes)
            Trace(TraceKind::Echo, reinterpret_cast<const uint8_t*>(echo.constData()), got);
        else
            m_pending.prepend(echo);  // the answer's first bytes
        return !failed;
    }
    Trace(TraceKind::Echo, reinterpret_cast<const uint8_t*>(echo.constData()), got);
    if (got == length && echo == m_sent)
        return true;
    // Part of a true echo is a missing answer; other bytes garble it.
    m_echoGarbled = got > 0 && echo != m_sent.left(got);
    return false;
}

bool TModbus::ReceiveFrame(uint8_t* data, int count, int& received, uint32_t waitTime)
{
    received = 0;
    bool complete = false;
    bool echoed = false;
    if (m_line && data && count >= 0) {
        const QDeadlineTimer deadline = AnswerDeadline(
            uint32_t(std::min<qint64>(waitTime, qint64(count) + ReadTimeoutConstant)));
        if (m_echoDue) {
            if (!TakeEcho(deadline)) {
                ShowStatus(QString::number(received));
                return false;
            }
            echoed = m_lineEchoes;
        }
        bool failed = false;
        received = ReadInto(data, count, deadline, failed);
        complete = received >= count && !failed;
        Trace(TraceKind::Received, data, received);
    }
    ShowStatus(echoed ? QStringLiteral("%1 (эхо %2)").arg(received).arg(m_sent.size())
                      : QString::number(received));
    return complete;
}

void TModbus::ShowStatus(const QString& text) const
{
    if (m_status)
        m_status(text);
}
