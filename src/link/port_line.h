#pragma once

#include "model/serial_settings.h"

#include <QDeadlineTimer>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

// The line settings a port is opened with.
struct LineSettings {
    int BaudRate = 9600;
    int StopBits = 2;  // 0 one, 1 one and a half, 2 two
    int Parity = 0;    // 0 none, 1 odd, 2 even, 3 mark, 4 space
};

// The codes of a user's line settings. Stop bits other than 1 and 2 give
// code -1, which no line opens with.
LineSettings PortLineSettings(const SerialSettings& line);

// The bits one character takes on the line: start, 8 data, parity, stop
// (one and a half stop bits counted as two).
constexpr int BitsPerChar(const LineSettings& s)
{
    return 1 + 8 + (s.Parity != 0 ? 1 : 0) + (s.StopBits == 0 ? 1 : 2);
}

// What the channel needs of an open serial device. The real one is
// SerialPortLine (QSerialPort and termios); tests put a scripted line in.
class PortLine {
public:
    struct ReadResult {
        int64_t Count = 0;       // bytes delivered into the caller's buffer
        bool Failed = false;     // the device reported an error (e.g. it vanished)
        bool LineError = false;  // a byte arrived with a parity or framing error
        // A whole answer arrived that belongs to another exchange (a gateway's
        // answer to another transaction); ErrorText() says which.
        bool Foreign = false;
        // A gateway reported that the device did not answer: nothing more
        // will come for this request; ErrorText() says so.
        bool Silent = false;
    };

    virtual ~PortLine() = default;

    // Opens `path` exclusively for reading and writing with 8 data bits, the
    // settings, DTR off and no flow control; with parity the line checks it
    // on input. False with ErrorText() when the device cannot be opened or
    // refuses a setting.
    virtual bool Open(const QString& path, const LineSettings& settings) = 0;
    virtual void Close() = 0;
    virtual int Handle() const = 0;
    // Why the last Open failed, or why the line failed since (a read or
    // write error: the adapter was pulled, the connection dropped), in the
    // system's words.
    virtual QString ErrorText() const = 0;
    // True when the last Open failed because the user may not open the device.
    virtual bool PermissionDenied() const = 0;
    // A pseudo-terminal has no parity generator and no modem lines.
    virtual bool IsPseudoTerminal() const = 0;

    // Lets the driver raise RTS while it transmits; false when it cannot.
    virtual bool EnableRs485RtsOnSend() = 0;
    virtual bool SetRts(bool on) = 0;

    // How much later than on a local serial port an answer can arrive
    // here: a network's round trip to a gateway, an adapter's latency
    // timer that could not be switched off (ms).
    virtual int LatencyMs() const { return 0; }
    // True when the line itself reports a silent device (a Modbus TCP
    // gateway's exception 0B), so that waiting for an answer costs only
    // as long as the device takes.
    virtual bool ReportsSilence() const { return false; }

    // Discards what either direction holds.
    virtual void Purge() = 0;
    // Hands `count` bytes to the driver, waiting at most until `deadline`;
    // the number taken, or -1 on an error.
    virtual int64_t Write(const uint8_t* data, int64_t count, const QDeadlineTimer& deadline) = 0;
    // Waits until every byte written has left the line, at most until
    // `deadline`; false when they have not.
    virtual bool WaitSent(const QDeadlineTimer& deadline) = 0;
    // Takes what has arrived, up to `max` bytes, without waiting.
    virtual ReadResult Read(uint8_t* data, int64_t max) = 0;
    // Waits until more input arrives, at most until `deadline`; false when
    // none did or the device failed.
    virtual bool WaitReadable(const QDeadlineTimer& deadline) = 0;
};

using PortLineFactory = std::function<std::unique_ptr<PortLine>()>;
