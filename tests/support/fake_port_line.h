#pragma once

#include "link/port_line.h"

#include <QByteArray>
#include <QQueue>
#include <QStringList>

#include <memory>

// A scripted serial line for what a pseudo-terminal cannot show: modem
// lines, the driver's RS-485 mode, writes that never leave, bytes with a
// parity error. It records every step the channel takes, in order
// ("open PATH", "rs485", "rts 1", "purge", "write 01 0E 81 E4", "sent",
// "close"...). The script lives in a shared Script, so a test keeps hold of
// it while the channel owns the line.
class FakePortLine : public PortLine {
public:
    enum class Stall { None, Write, Drain };

    struct Script {
        bool OpenFails = false;
        bool PseudoTerminal = false;
        bool Rs485Supported = false;
        bool RtsSettable = true;
        Stall Stalls = Stall::None;
        // Each frame written takes the next answer off this queue, if any;
        // the answer's bytes then arrive at once.
        QQueue<QByteArray> Answers;
        // Position in an answer of a byte that arrives with a parity error
        // (-1: none).
        int ParityErrorAt = -1;
        QStringList Events;
        int64_t WaitedMs = 0;  // how long the stalls held the caller
    };

    explicit FakePortLine(std::shared_ptr<Script> script) : m_script(std::move(script)) {}

    // A factory for TModbus::SetLineFactory that hands out lines sharing `script`.
    static PortLineFactory Factory(const std::shared_ptr<Script>& script);

    bool Open(const QString& path, const LineSettings& settings) override;
    void Close() override;
    int Handle() const override { return m_open ? 1000 : -1; }
    QString ErrorText() const override { return QStringLiteral("scripted failure"); }
    bool PermissionDenied() const override { return false; }
    bool IsPseudoTerminal() const override { return m_script->PseudoTerminal; }
    bool EnableRs485RtsOnSend() override;
    bool SetRts(bool on) override;
    void Purge() override;
    int64_t Write(const uint8_t* data, int64_t count, const QDeadlineTimer& deadline) override;
    bool WaitSent(const QDeadlineTimer& deadline) override;
    ReadResult Read(uint8_t* data, int64_t max) override;
    bool WaitReadable(const QDeadlineTimer& deadline) override;

private:
    void Hold(const QDeadlineTimer& deadline);

    std::shared_ptr<Script> m_script;
    QByteArray m_input;
    int m_errorAt = -1;  // position in m_input of the byte with a parity error
    bool m_open = false;
};
