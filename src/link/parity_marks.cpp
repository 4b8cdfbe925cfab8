#include "link/parity_marks.h"

ParityMarkDecoder::Result ParityMarkDecoder::Decode(const uint8_t* raw, int64_t rawCount,
                                                    uint8_t* out, int64_t room)
{
    Result r;
    // Nothing past the room is taken, not even the start of a mark: what
    // follows a complete answer is not its concern.
    while (r.Consumed < rawCount && r.Produced < room) {
        const uint8_t b = raw[r.Consumed];
        switch (m_state) {
            case State::Plain:
                if (b == 0xFF)
                    m_state = State::AfterFF;
                else
                    out[r.Produced++] = b;
                break;
            case State::AfterFF:
                if (b == 0xFF) {
                    out[r.Produced++] = 0xFF;
                    m_state = State::Plain;
                } else if (b == 0x00) {
                    m_state = State::AfterFF00;
                } else {
                    // Not a mark the tty layer makes: the stream is not to be trusted.
                    m_state = State::Plain;
                    ++r.Consumed;
                    r.Error = true;
                    return r;
                }
                break;
            case State::AfterFF00:
                // b is the byte that failed its check.
                m_state = State::Plain;
                ++r.Consumed;
                r.Error = true;
                return r;
        }
        ++r.Consumed;
    }
    return r;
}
