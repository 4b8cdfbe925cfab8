#include "answer_pacer.h"

#include <algorithm>

void AnswerPacer::Add(const QByteArray& bytes, qint64 dueUs, qint64 stepNs)
{
    if (bytes.isEmpty())
        return;
    const Answer answer{bytes, dueUs, std::max<qint64>(0, stepNs)};
    const auto at =
        std::upper_bound(m_queue.begin(), m_queue.end(), answer,
                         [](const Answer& a, const Answer& b) { return a.DueUs < b.DueUs; });
    m_queue.insert(at, answer);
}

qint64 AnswerPacer::NextStartUs() const
{
    return std::max(m_queue.first().DueUs, m_lineFreeUs);
}

qint64 AnswerPacer::NextDueUs() const
{
    if (m_active)
        return ByteDueUs(m_sent);
    return m_queue.isEmpty() ? -1 : NextStartUs();
}

QList<AnswerPacer::Chunk> AnswerPacer::TakeDue(qint64 nowUs)
{
    QList<Chunk> chunks;
    for (;;) {
        if (!m_active) {
            if (m_queue.isEmpty() || NextStartUs() > nowUs)
                break;
            m_startUs = NextStartUs();
            m_current = m_queue.takeFirst();
            m_active = true;
            m_sent = 0;
        }
        const int size = int(m_current.Bytes.size());
        int due = size;
        if (m_current.StepNs > 0) {
            const qint64 steps = (nowUs - m_startUs) * 1000 / m_current.StepNs;
            due = int(std::min<qint64>(size, steps + 1));
        }
        if (due <= m_sent)
            break;
        Chunk chunk;
        chunk.Bytes = m_current.Bytes.mid(m_sent, due - m_sent);
        chunk.First = m_sent == 0;
        m_sent = due;
        chunk.Last = due == size;
        if (!chunk.Last) {
            chunks << chunk;
            break;
        }
        chunk.Answer = m_current.Bytes;
        chunks << chunk;
        m_active = false;
        m_lineFreeUs = m_startUs + qint64(size) * m_current.StepNs / 1000;
    }
    return chunks;
}

void AnswerPacer::Clear()
{
    m_queue.clear();
    m_active = false;
}
