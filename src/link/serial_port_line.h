#pragma once

#include "link/parity_marks.h"
#include "link/port_line.h"
#include "link/rs485_direction.h"

#include <QByteArray>

#include <memory>

class QSerialPort;

// A serial device on Linux: QSerialPort for opening, locking and the data,
// termios and ioctl for what it does not cover (input parity checking, a
// bounded drain, RTS, the driver's RS-485 mode).
class SerialPortLine : public PortLine {
public:
    SerialPortLine();
    ~SerialPortLine() override;

    bool Open(const QString& path, const LineSettings& settings) override;
    void Close() override;
    int Handle() const override;
    QString ErrorText() const override { return m_error; }
    bool PermissionDenied() const override { return m_permissionDenied; }
    bool IsPseudoTerminal() const override { return m_pseudoTerminal; }

    bool EnableRs485RtsOnSend() override;
    bool SetRts(bool on) override;
    // An adapter whose driver kept its latency timer delivers input up to
    // this much late.
    int LatencyMs() const override { return m_latencyMs; }
    static constexpr int AdapterLatencyMs = 16;

    void Purge() override;
    int64_t Write(const uint8_t* data, int64_t count, const QDeadlineTimer& deadline) override;
    bool WaitSent(const QDeadlineTimer& deadline) override;
    ReadResult Read(uint8_t* data, int64_t max) override;
    bool WaitReadable(const QDeadlineTimer& deadline) override;

    // The most input kept between reads: the longest answer and a margin.
    static constexpr qint64 MaxPendingInput = 1024;

    // True when input errors reach us marked (parity checking is on).
    bool ChecksInputParity() const { return m_marksErrors; }

private:
    bool Configure(const LineSettings& settings);
    bool Fail(const QString& what);
    // Notes a read or write error of the open port (the adapter vanished):
    // every later read reports it.
    void NoteDeviceError();
    // After a wake-up without input or a failed drain: true when the
    // terminal has hung up, noted as a failure with the system's reason.
    bool NoteHangUp();

    std::unique_ptr<QSerialPort> m_port;
    Rs485Direction m_rs485;
    ParityMarkDecoder m_decoder;
    QByteArray m_raw;  // input taken from the port but not yet decoded
    int m_charTimeUs = 0;
    bool m_pseudoTerminal = false;
    bool m_marksErrors = false;
    bool m_permissionDenied = false;
    bool m_failed = false;         // the open port failed; ErrorText() says why
    bool m_lowLatencySet = false;  // by us, to be taken back at close
    int m_latencyMs = 0;
    QString m_error;
};
