#pragma once

#include <QDeadlineTimer>
#include <QString>

// Linux details of a serial line that QSerialPort does not cover.
namespace SerialLine {

// True when `fd` is the slave side of a pseudo-terminal. The kernel refuses
// parity and modem-line settings there, which is no fault of the line.
bool IsPseudoTerminal(int fd);

// True when the tty driver with this major number is a pseudo-terminal
// slave, judged by the kernel's list of tty drivers (/proc/tty/drivers)
// or, without that list, by the numbers Linux reserves for them.
bool IsPseudoTerminalMajor(unsigned major);

// Waits until every byte written to `fd` has left the line.
bool Drain(int fd);

// Waits until the output queue of `fd` is empty and its last character has
// left, at most until `deadline`: false when the bytes are still held (a
// stopped or stuck adapter). `charTimeUs` is the time of one character on
// the line, used to pace the checks.
bool WaitOutputSent(int fd, const QDeadlineTimer& deadline, int charTimeUs);

// Asks the driver to hand over each byte as it arrives (ASYNC_LOW_LATENCY;
// FTDI drivers then drop their 16 ms latency timer to 1 ms). True when the
// port is in low-latency mode afterwards; `changed` tells whether it was
// this call that set it. Many drivers (pseudo-terminals among them)
// refuse; that is no fault.
bool SetLowLatency(int fd, bool* changed = nullptr);
// Takes low-latency mode away again.
void ClearLowLatency(int fd);

// Raises or drops the RTS line of `fd`.
bool SetRts(int fd, bool on);

// With `on`, a byte that fails its parity or framing check is delivered
// marked (FF 00 byte, a good FF doubled) instead of being dropped or
// passed; without, input is taken as it comes. False with the system's
// reason when the driver does not keep the setting.
bool SetInputParityChecking(int fd, bool on, QString* reason = nullptr);

// True when `path` exists but this user may not open it for reading and
// writing (on Linux typically: not a member of the "dialout" group).
bool IsPermissionDenied(const QString& path);

}  // namespace SerialLine
