#pragma once

#include "link/port_line.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

// The tool's single serial channel to a panel: the port, the frame buffer
// shared by each request and its answer, and the requests of the panel's
// programming protocol. Every operation is synchronous and runs on the
// calling thread. Status texts go to the owner's status sink.
class TModbus {
public:
    static constexpr int ClosedMarker = -1;
    using StatusSink = std::function<void(const QString&)>;
    using AlertSink = std::function<void()>;
    // Sees every frame: `sent` for the bytes written, else the bytes read.
    using TraceSink = std::function<void(bool sent, const uint8_t* data, int count)>;

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
    // What OpenPort opens the device with; by default a TcpPortLine for
    // tcp://HOST:PORT, else a SerialPortLine.
    void SetLineFactory(PortLineFactory factory);

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

    // Purges both directions, writes `count` bytes and waits until they have
    // left the line, at most SendLimitMs(count); true when all of them did.
    bool SendFrame(const uint8_t* data, int count);
    // Reads `count` bytes into `data`, waiting at most `waitTime` ms; true
    // when all arrived in time, intact. `received` is the number that arrived.
    bool ReceiveFrame(uint8_t* data, int count, int& received, uint32_t waitTime);

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

    // True when the last request's answer came for another address or
    // function; such an answer is no answer to it.
    bool LastAnswerForeign() const { return m_foreignAnswer; }

private:
    enum class AnswerCheck { Enforced, Reported, None };

    // The address and function the answer to the request now built must echo.
    void ExpectAnswer(uint8_t address, uint8_t function);
    bool EchoesRequest();

    bool SetUpDirectionControl(bool rtsToggle);
    int FailOpen(const QString& reason, bool permissionDenied);
    void ShowStatus(const QString& text) const;

    bool CanExchange(int requestLength, int answerLength) const;
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
    StatusSink m_status;
    AlertSink m_alert;
    TraceSink m_trace;
};
