#include "link/frame_journal.h"

#include "link/frame_notes.h"
#include "link/link_texts.h"
#include "link/trace_text.h"

#include <QDateTime>
#include <QMutexLocker>

FrameJournal::FrameJournal(int capacity) : m_capacity(capacity > 0 ? capacity : 1)
{
    m_commandClock.start();
}

void FrameJournal::BeginCommand(const QString& name)
{
    QMutexLocker lock(&m_mutex);
    ++m_commandId;
    m_command = name;
    m_commandClock.restart();
    m_requestSeen = false;
    m_lastRequest.clear();
}

void FrameJournal::Record(TraceKind kind, const uint8_t* data, int count)
{
    if (!data || count <= 0)
        return;
    QMutexLocker lock(&m_mutex);
    const QByteArray bytes(reinterpret_cast<const char*>(data), count);
    ++m_revision;
    if (kind == TraceKind::Received && !m_frames.empty()) {
        JournalFrame& last = m_frames.back();
        if (last.Kind == TraceKind::Received && last.CommandId == m_commandId) {
            last.Bytes += bytes;
            last.Note = AnswerNote(m_lastRequest, last.Bytes);
            last.Revision = m_revision;
            return;
        }
    }
    JournalFrame frame;
    frame.Serial = ++m_serial;
    frame.Revision = m_revision;
    frame.WallMs = QDateTime::currentMSecsSinceEpoch();
    frame.CommandMs = m_commandClock.elapsed();
    frame.Kind = kind;
    frame.Bytes = bytes;
    frame.CommandId = m_commandId;
    frame.Command = m_command;
    switch (kind) {
        case TraceKind::Sent:
            m_lastRequest = bytes;
            m_requestSeen = true;
            m_requestClock.restart();
            frame.Note = RequestNote(bytes);
            break;
        case TraceKind::Received:
            frame.Note = AnswerNote(m_requestSeen ? m_lastRequest : QByteArray(), bytes);
            break;
        case TraceKind::Echo: frame.Note = QStringLiteral("эхо запроса"); break;
        case TraceKind::Discarded: frame.Note = LinkText::DroppedBeforeRequest(); break;
    }
    if (kind != TraceKind::Sent && m_requestSeen)
        frame.SinceRequestMs = m_requestClock.elapsed();
    m_frames.push_back(std::move(frame));
    while (int(m_frames.size()) > m_capacity)
        m_frames.pop_front();
}

void FrameJournal::Clear()
{
    QMutexLocker lock(&m_mutex);
    m_frames.clear();
    ++m_revision;
}

QList<JournalFrame> FrameJournal::ChangedSince(quint64 after) const
{
    QMutexLocker lock(&m_mutex);
    QList<JournalFrame> out;
    // Changes touch only the newest frame, so the changed ones are a tail.
    auto first = m_frames.end();
    while (first != m_frames.begin() && std::prev(first)->Revision > after)
        --first;
    for (auto it = first; it != m_frames.end(); ++it)
        out.append(*it);
    return out;
}

quint64 FrameJournal::Revision() const
{
    QMutexLocker lock(&m_mutex);
    return m_revision;
}

int FrameJournal::Size() const
{
    QMutexLocker lock(&m_mutex);
    return int(m_frames.size());
}

QString FrameJournal::TraceText() const
{
    QMutexLocker lock(&m_mutex);
    QString out;
    const JournalFrame* previous = nullptr;
    for (const JournalFrame& f : m_frames) {
        if (!previous || previous->CommandId != f.CommandId) {
            if (previous)
                out += QLatin1Char('\n');
            out += QStringLiteral("# ") + f.Command + QLatin1Char('\n');
        }
        previous = &f;
        out += TraceLine(f.CommandMs, f.Kind, reinterpret_cast<const uint8_t*>(f.Bytes.constData()),
                         int(f.Bytes.size())) +
               QLatin1Char('\n');
    }
    return out;
}
