#pragma once

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

// True when `path` exists but this user may not open it for reading and
// writing (on Linux typically: not a member of the "dialout" group).
bool IsPermissionDenied(const QString& path);

}  // namespace SerialLine
