#pragma once

#include <cstdint>

// Undoes the marking with which the tty layer reports input errors when
// parity checking is on (PARMRK): a byte that failed its parity or framing
// check arrives as FF 00 b, and a good FF byte arrives doubled as FF FF.
// The decoder keeps its state between chunks, so a mark may be split.
class ParityMarkDecoder {
public:
    struct Result {
        int64_t Consumed = 0;  // raw bytes taken
        int64_t Produced = 0;  // data bytes delivered
        bool Error = false;    // a marked byte was met (decoding stops there)
    };

    // Decodes `raw` into `out`, delivering at most `room` bytes.
    Result Decode(const uint8_t* raw, int64_t rawCount, uint8_t* out, int64_t room);
    // Forgets a partial mark, e.g. when the port is purged.
    void Reset() { m_state = State::Plain; }
    // True while the last raw byte seen was the start of a mark.
    bool InMark() const { return m_state != State::Plain; }

private:
    enum class State { Plain, AfterFF, AfterFF00 };
    State m_state = State::Plain;
};
