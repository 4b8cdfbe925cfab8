#pragma once

#include <QByteArray>
#include <QList>

// A network's one-way delay: every chunk comes out the delay after it went
// in, in order.
class DelayLine {
public:
    void SetDelayUs(qint64 delayUs) { m_delayUs = delayUs; }
    void Push(const QByteArray& bytes, qint64 nowUs);
    // The chunks due at `nowUs`, in order.
    QList<QByteArray> TakeDue(qint64 nowUs);
    // When the next chunk is due; -1 when none is held.
    qint64 NextDueUs() const { return m_held.isEmpty() ? -1 : m_held.first().DueUs; }
    void Clear() { m_held.clear(); }

private:
    struct Held {
        qint64 DueUs;
        QByteArray Bytes;
    };
    QList<Held> m_held;
    qint64 m_delayUs = 0;
};
