#include "request_framer.h"

#include "link/modbus_codes.h"
#include "model/crc16.h"

namespace {

bool Intact(const QByteArray& bytes, int from, int length)
{
    return Crc16(reinterpret_cast<const uint8_t*>(bytes.constData()) + from, size_t(length)) == 0;
}

}  // namespace

void RequestFramer::FeedUs(const QByteArray& bytes, qint64 nowUs)
{
    if (bytes.isEmpty())
        return;
    if (Silenced(nowUs)) {
        // The silence ended what was held before these bytes came.
        while (auto frame = ParseOne(true))
            m_ready << *frame;
    }
    m_pending.append(bytes);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        m_arrivals << nowUs;
}

std::optional<RequestFramer::Frame> RequestFramer::NextFrame(qint64 nowUs)
{
    if (!m_ready.isEmpty())
        return m_ready.takeFirst();
    return ParseOne(Silenced(nowUs));
}

std::optional<QByteArray> RequestFramer::Next()
{
    if (!m_ready.isEmpty())
        return m_ready.takeFirst().Bytes;
    if (auto frame = ParseOne(false))
        return frame->Bytes;
    return std::nullopt;
}

qint64 RequestFramer::SilenceDeadlineUs() const
{
    return m_pending.isEmpty() ? -1 : m_arrivals.last() + m_silenceUs;
}

bool RequestFramer::Silenced(qint64 nowUs) const
{
    return !m_pending.isEmpty() && nowUs - m_arrivals.last() >= m_silenceUs;
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

std::optional<RequestFramer::Frame> RequestFramer::ParseOne(bool silenced)
{
    while (!m_pending.isEmpty()) {
        const int length = FrameLength(m_pending);
        if (length > 0 && length <= m_pending.size())
            return Take(length);
        if (length < 0) {
            // No request of known length: noise ahead of one, or a request
            // of another function, which only the silence ends.
            if (const int at = FindIntactFrame(); at > 0) {
                Drop(at);
                continue;
            }
            if (m_pending.size() > MaxFrame) {
                Drop(1);
                continue;
            }
            if (!silenced)
                return std::nullopt;
            if (m_pending.size() >= MinFrame)
                return Take(int(m_pending.size()));
            Drop(int(m_pending.size()));
            return std::nullopt;
        }
        // A request of known length still coming: forgotten if it stops.
        if (silenced)
            Drop(int(m_pending.size()));
        return std::nullopt;
    }
    return std::nullopt;
}

int RequestFramer::FindIntactFrame() const
{
    for (int at = 1; at + MinFrame <= m_pending.size(); ++at) {
        const int length = FrameLength(m_pending.mid(at, 4));
        if (length > 0 && at + length <= m_pending.size() && Intact(m_pending, at, length))
            return at;
    }
    return -1;
}

void RequestFramer::Drop(int count)
{
    m_pending.remove(0, count);
    m_arrivals.remove(0, count);
    m_dropped += count;
}

RequestFramer::Frame RequestFramer::Take(int count)
{
    Frame frame{m_pending.left(count), m_arrivals.first(), m_arrivals.at(count - 1)};
    m_pending.remove(0, count);
    m_arrivals.remove(0, count);
    return frame;
}
