#pragma once

// The baud rate and stop bits of a terminal, any rate included (14400,
// 28800: the kernel keeps the number itself beside the flags). False when
// the terminal cannot be asked.
bool TerminalLineSettings(int fd, int& baudRate, bool& twoStopBits);
