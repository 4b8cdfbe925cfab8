#pragma once

#include "link/port_line.h"
#include "model/serial_settings.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

// What a traced run of bytes was.
enum class TraceKind {
    Sent,       // a request written
    Received,   // an answer, or what arrived of it
    Echo,       // the line's echo of the request, dropped
    Discarded,  // bytes still arriving before a request, dropped
};

// The tool's single serial channel to a panel: the port, the frame buffer
// shared by each request and its answer, and the requests of the panel's
// programming protocol. Every operation is synchronous and runs on the
// calling thread. Status texts go to the owner's status sink.
//
// Before each request the channel waits until the line has been silent for
// 3.5 character times (bytes still arriving are dropped), so that a late
// answer or junk cannot shift the next exchange. On a line that echoes, the
// echo of each request is dropped, checked byte for byte, before its answer.
class TModbus {
public:
    static constexpr int ClosedMarker = -1;
    using StatusSink = std::function<void(const QString&)>;
    using AlertSink = std::function<void()>;
    using TraceSink = std::function<void(TraceKind kind, const uint8_t* data, int count)>;

    // The frame buffer: allocated by OpenPort, released by ClosePort, null
    // while the port is closed. Requests are built and answers received
    // from offset 0.
    uint8_t* Buffer = nullptr;
    // The file descriptor of the open port, or ClosedMarker.
    int PortHandle = ClosedMarker;
    // How long a request waits for its answer (ms).
    uint32_t AnswerTimeout = 1000;
    // The constant part of a read's own limit: a read of n bytes never
    // waits longer than n + ReadTimeoutConstant ms.
    uint32_t ReadTimeoutConstant = 1000;

    TModbus();
    ~TModbus();
    TModbus(const TModbus&) = delete;
    TModbus& operator=(const TModbus&) = delete;

    void SetStatusSink(StatusSink sink) { m_status = std::move(sink); }
    void SetAlertSink(AlertSink sink) { m_alert = std::move(sink); }
    void SetTraceSink(TraceSink sink) { m_trace = std::move(sink); }
    // What OpenPort opens the device with; by default MakePortLine's
    // choice (tcp://, mbtcp:// or a serial port).
    void SetLineFactory(PortLineFactory factory);
    // Whether the line echoes; taken at the next OpenPort.
    void SetEchoMode(EchoMode mode) { m_echoMode = mode; }
    EchoMode GetEchoMode() const { return m_echoMode; }
    // True once the open line is known to echo (set, or learnt).
    bool LineEchoes() const { return m_lineEchoes; }
    // False while an Auto line has not yet shown whether it echoes.
    bool EchoKnown() const { return m_echoKnown; }

    // Opens the device at `path` exclusively with 8 data bits, `parity`
    // (0 none, 1 odd, 2 even; checked on input), `stopBits` (0 one, 2 two),
    // `baudRate`, DTR off and no flow control. With `rtsToggle`, RTS is high
    // exactly while a frame is sent: by the driver's RS-485 mode where it
    // has one, else by the channel around each write (not on a
    // pseudo-terminal, which has no modem lines). Returns the port
    // handle, or ClosedMarker when the device is missing, held by another
    // program or refuses the settings. An open port is closed first.
    int OpenPort(const QString& path, int baudRate, int stopBits, int parity, bool rtsToggle,
                 int bufferSize);
    // The same with the rate, stop bits and parity of `line` (its echo is
    // SetEchoMode's business).
    int OpenPort(const QString& path, const SerialSettings& line, bool rtsToggle, int bufferSize);
    // Purges and closes the port and releases the buffer; harmless when closed.
    void ClosePort();
    bool IsOpen() const { return PortHandle != ClosedMarker; }
    int BufferSize() const { return m_bufferSize; }
    // True when the open port is a pseudo-terminal (a simulated panel).
    bool IsPseudoTerminal() const { return m_line && m_line->IsPseudoTerminal(); }
    // True when the open port's driver took the RS-485 direction setting.
    bool IsRs485DirectionSet() const { return m_rs485ByDriver; }
    // True when the channel raises and drops RTS around each frame itself.
    bool DrivesRtsByHand() const { return m_rtsByHand; }
    // How long sending `count` bytes may take before it counts as failed:
    // their time on the line at the port's settings plus SendMarginMs.
    int SendLimitMs(int count) const;
    static constexpr int SendMarginMs = 1000;

    // Why the last failed OpenPort failed, in the system's words.
    QString LastOpenErrorText() const { return m_lastOpenError; }
    // True when the last OpenPort failed because the user may not open the device.
    bool LastOpenWasPermissionDenied() const { return m_lastOpenPermissionDenied; }

    // Waits for a quiet line (false, "Линия занята", when it does not fall
    // silent within the answer wait), purges both directions, writes `count`
    // bytes and waits until they have left the line, at most
    // SendLimitMs(count); true when all of them did.
    bool SendFrame(const uint8_t* data, int count);
    // Reads `count` bytes into `data`, waiting at most `waitTime` ms; true
    // when all arrived in time, intact. `received` is the number that arrived.
    bool ReceiveFrame(uint8_t* data, int count, int& received, uint32_t waitTime);

    // The silence that ends a frame and frees the line: 3.5 character times
    // at the line's settings, at least 1750 us, plus the line's latency.
    qint64 SilenceUs() const;
    // The time `count` bytes take on the line at its settings (us).
    qint64 LineTimeUs(int count) const;
    // What the line adds before an answer can arrive (a network, an
    // adapter's latency timer), ms.
    int LineLatencyMs() const { return m_line ? m_line->LatencyMs() : 0; }

    // The panel's requests. Each returns true or false, leaves the answer
    // in Buffer and its status text on the status sink. An answer must
    // carry the request's address and function code (an exception answer
    // the function | 0x80): an answer for another request fails it, the
    // status telling so, whatever its CRC.
    bool ReportSlaveId(uint8_t address, int answerLength);
    bool PollStatus(uint8_t address);
    bool ReadVersion(uint8_t address);
    bool ReadBlock(uint8_t address, int block);
    bool WriteBlock(uint8_t address, int block, const uint8_t* payload);
    bool ApplyConfig(uint8_t address);

    // Identification for a scan: sends function 17 and takes whatever
    // answers, however long. The first byte must come within
    // `firstByteMs` of the request's end (plus the echo's and the line's
    // own time); once one came, the rest may take the full answer wait,
    // and the answer ends at its length (an exception: 5 bytes; function
    // 17: its byte count) or at a silence. Leaves the bytes in Buffer and
    // returns their number (0: silence; -1: the request could not be sent).
    int ProbeIdentification(uint8_t address, int firstByteMs);

    // True when the last request's answer came for another address or
    // function; such an answer is no answer to it.
    bool LastAnswerForeign() const { return m_foreignAnswer; }
    // True when the last request failed because the line's echo of it
    // differed from what was sent.
    bool LastEchoGarbled() const { return m_echoGarbled; }
    // Why the line failed (the adapter vanished, the connection dropped),
    // in the system's words; empty while it works.
    QString LineFailure() const { return m_lineFailure; }

private:
    enum class AnswerCheck { Enforced, Reported, None };

    // The address and function the answer to the request now built must echo.
    void ExpectAnswer(uint8_t address, uint8_t function);
    bool EchoesRequest();

    bool SetUpDirectionControl(bool rtsToggle);
    int FailOpen(const QString& reason, bool permissionDenied);
    void ShowStatus(const QString& text) const;

    bool CanExchange(int requestLength, int answerLength) const;
    // SendFrame with the request's status text on failure.
    bool SendRequest(int length);
    // The status text of a failed receive: a garbled echo, else "Сбой приема".
    void ShowReceiveFailure();
    // Reads into `data` until `count` bytes are there, `deadline` passes, or
    // the line fails; bytes taken earlier (m_pending) come first.
    int ReadInto(uint8_t* data, int count, const QDeadlineTimer& deadline, bool& failed);
    // Drops the echo of the frame just sent from the input, or learns on
    // an Auto line whether there is one; false when the echo is garbled.
    bool TakeEcho(const QDeadlineTimer& deadline);
    // The deadline of an answer: `waitMs` after the request left, plus the
    // echo's own time on an echoing line and the line's latency.
    QDeadlineTimer AnswerDeadline(uint32_t waitMs) const;
    // Reads and drops what arrives until the line has been silent for
    // SilenceUs(); false when it is not silent by `deadline`.
    bool WaitQuiet(const QDeadlineTimer& deadline);
    void NoteInput(const uint8_t* data, int count, TraceKind kind);
    void NoteLineFailure();
    void Trace(TraceKind kind, const uint8_t* data, int count) const;
    bool Exchange(int requestLength, unsigned long pauseMs, int answerLength, AnswerCheck check);
    bool Judge(int received, AnswerCheck check);
    int BuildProgrammingRequest(uint8_t address, uint8_t command, int dataLength);

    PortLineFactory m_lineFactory;
    std::unique_ptr<PortLine> m_line;
    LineSettings m_settings;
    bool m_rs485ByDriver = false;
    bool m_rtsByHand = false;
    int m_bufferSize = 0;
    QString m_lastOpenError;
    bool m_lastOpenPermissionDenied = false;
    uint8_t m_expectedAddress = 0;
    uint8_t m_expectedFunction = 0;
    bool m_foreignAnswer = false;
    bool m_echoGarbled = false;
    bool m_lineBusy = false;
    bool m_echoDue = false;  // the frame just sent may come back first
    EchoMode m_echoMode = EchoMode::Auto;
    bool m_lineEchoes = false;
    bool m_echoKnown = true;
    QByteArray m_sent;          // the frame last written, for its echo
    QByteArray m_pending;       // bytes read off the line, not yet taken
    QElapsedTimer m_lastInput;  // since the last byte arrived (or the port opened)
    QString m_lineFailure;
    StatusSink m_status;
    AlertSink m_alert;
    TraceSink m_trace;
};
