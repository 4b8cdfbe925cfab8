#include "link/port_line.h"

LineSettings PortLineSettings(const SerialSettings& line)
{
    LineSettings codes;
    codes.BaudRate = line.BaudRate;
    codes.StopBits = line.StopBits == 1 ? 0 : line.StopBits == 2 ? 2 : -1;
    switch (line.Parity) {
        case Parity::None: codes.Parity = 0; break;
        case Parity::Odd: codes.Parity = 1; break;
        case Parity::Even: codes.Parity = 2; break;
    }
    return codes;
}
