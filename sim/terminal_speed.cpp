#include "terminal_speed.h"

// The kernel's own termios2, which carries the rate as a number; the C
// library's <termios.h> would clash with it, so it is not included here.
#include <asm/ioctls.h>
#include <asm/termbits.h>

extern "C" int ioctl(int fd, unsigned long request, ...);

bool TerminalLineSettings(int fd, int& baudRate, bool& twoStopBits)
{
    termios2 tio{};
    if (ioctl(fd, TCGETS2, &tio) != 0)
        return false;
    baudRate = int(tio.c_ospeed);
    twoStopBits = (tio.c_cflag & CSTOPB) != 0;
    return baudRate > 0;
}
