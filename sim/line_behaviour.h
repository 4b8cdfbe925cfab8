#pragma once

#include <QtGlobal>

#include <algorithm>

// How the simulated line carries the panel's answers. The defaults are an
// ideal line: every answer at once, in one burst, at once after the request.
struct LineBehaviour {
    bool Paced = false;    // answer bytes leave one character time apart at the line's baud rate
    int TurnaroundUs = 0;  // from the request's last byte to the answer's first byte
    int GapUs = 0;         // extra silence between consecutive bytes of an answer
    bool Echo = false;     // every byte the tool sends comes straight back (an echoing adapter)
};

namespace LineTiming {

// One character on the line in nanoseconds: a start bit, eight data bits and
// the stop bits (a pseudo-terminal carries no parity).
inline qint64 CharTimeNs(int baudRate, bool twoStopBits)
{
    if (baudRate <= 0)
        return 0;
    const qint64 bits = 1 + 8 + (twoStopBits ? 2 : 1);
    return bits * 1'000'000'000LL / baudRate;
}

// The silence that ends a frame: three and a half characters, and never
// less than 1.75 ms (the fixed value of the fast rates).
inline qint64 FrameSilenceUs(int baudRate, bool twoStopBits)
{
    return std::max<qint64>(1750, CharTimeNs(baudRate, twoStopBits) * 7 / 2 / 1000);
}

}  // namespace LineTiming
