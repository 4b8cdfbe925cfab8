#include "delay_line.h"

void DelayLine::Push(const QByteArray& bytes, qint64 nowUs)
{
    if (!bytes.isEmpty())
        m_held << Held{nowUs + m_delayUs, bytes};
}

QList<QByteArray> DelayLine::TakeDue(qint64 nowUs)
{
    QList<QByteArray> due;
    while (!m_held.isEmpty() && m_held.first().DueUs <= nowUs)
        due << m_held.takeFirst().Bytes;
    return due;
}
