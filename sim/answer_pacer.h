#pragma once

#include <QByteArray>
#include <QList>

// Puts answers on the line byte by byte at the line's pace. Each byte is
// scheduled by absolute time, byte i of an answer at its start plus i
// steps, so late wake-ups never add up to a drift. One answer is on the
// line at a time: the next starts when it is due and the line is free.
class AnswerPacer {
public:
    struct Chunk {
        QByteArray Bytes;    // due now, to be written in one go
        bool First = false;  // holds the answer's first byte
        bool Last = false;   // holds its last byte
        QByteArray Answer;   // the whole answer, with the last byte
    };

    // An answer that starts no earlier than `dueUs`, its bytes `stepNs`
    // apart (0: all at once).
    void Add(const QByteArray& bytes, qint64 dueUs, qint64 stepNs);
    // When the next byte is due; -1 when there is none.
    qint64 NextDueUs() const;
    // The bytes due at `nowUs`, in line order.
    QList<Chunk> TakeDue(qint64 nowUs);
    void Clear();

private:
    struct Answer {
        QByteArray Bytes;
        qint64 DueUs = 0;
        qint64 StepNs = 0;
    };
    qint64 ByteDueUs(int index) const
    {
        return m_startUs + qint64(index) * m_current.StepNs / 1000;
    }
    qint64 NextStartUs() const;

    QList<Answer> m_queue;  // by due time
    bool m_active = false;  // m_current is on the line
    Answer m_current;
    qint64 m_startUs = 0;
    int m_sent = 0;
    qint64 m_lineFreeUs = 0;  // the last answer's last character has ended
};
