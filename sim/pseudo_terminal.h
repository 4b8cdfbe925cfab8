#pragma once

#include <QString>

// A pseudo-terminal pair: the panel works on the master side, the tool
// opens the slave device by its path. The panel keeps the slave open too,
// so that the line stays up while the tool has it closed, and sets it to
// raw mode, which is also what the tool's port restores when it closes.
class PseudoTerminal {
public:
    PseudoTerminal() = default;
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    bool Open(QString* error = nullptr);
    void Close();
    bool IsOpen() const { return m_master >= 0; }
    // Non-blocking, close-on-exec.
    int MasterFd() const { return m_master; }
    // e.g. /dev/pts/3
    QString SlavePath() const { return m_slavePath; }
    // The baud rate and stop bits the tool's side has set; false when the
    // line is closed or the rate is not a standard one.
    bool LineSettings(int& baudRate, bool& twoStopBits) const;

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
};
