#include "request_framer.h"

#include "link/modbus_codes.h"

void RequestFramer::Feed(const QByteArray& bytes, qint64 nowMs)
{
    if (bytes.isEmpty())
        return;
    if (!m_pending.isEmpty() && nowMs - m_lastByteMs > SilenceMs) {
        m_dropped += int(m_pending.size());
        m_pending.clear();
    }
    m_pending.append(bytes);
    m_lastByteMs = nowMs;
}

int RequestFramer::FrameLength(const QByteArray& head)
{
    if (head.size() < 2)
        return 0;
    switch (uint8_t(head.at(1))) {
        case ModbusCode::ReportSlaveId:
        case ModbusCode::PollStatus: return FrameLength::ShortRequest;
        case ModbusCode::Programming: {
            if (head.size() < 4)
                return 0;
            const int count = (uint8_t(head.at(2)) << 8) | uint8_t(head.at(3));
            const int length = 4 + count + FrameLength::Crc;
            return count >= 1 && length <= MaxFrame ? length : -1;
        }
        default: return -1;
    }
}

std::optional<QByteArray> RequestFramer::Next()
{
    for (;;) {
        const int length = FrameLength(m_pending);
        if (length == 0 || length > m_pending.size())
            return std::nullopt;
        if (length < 0) {
            m_pending.remove(0, 1);
            ++m_dropped;
            continue;
        }
        QByteArray frame = m_pending.left(length);
        m_pending.remove(0, length);
        return frame;
    }
}
