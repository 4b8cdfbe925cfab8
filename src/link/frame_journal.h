#pragma once

#include "link/modbus.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QMutex>
#include <QString>

#include <deque>

// One frame (or run of bytes) the journal keeps.
struct JournalFrame {
    quint64 Serial = 0;          // counts every frame ever recorded, from 1
    quint64 Revision = 0;        // the journal's revision when it last changed
    qint64 WallMs = 0;           // time of day it passed, ms since the epoch
    qint64 CommandMs = 0;        // since its command began
    qint64 SinceRequestMs = -1;  // an answer's time after its request; -1 for a request
    TraceKind Kind = TraceKind::Sent;
    QByteArray Bytes;
    quint64 CommandId = 0;  // counts the commands begun, from 1 (0: none)
    QString Command;        // the name of the command it belongs to
    QString Note;           // what it is, in the journal's words
};

// The traffic of the window's commands: every frame sent and received,
// grouped by command, the newest last, at most `capacity` frames (the
// oldest go first). Recording costs a copy of the bytes and a few string
// operations, so that an exchange's timing does not change; it may come
// from a worker thread.
class FrameJournal {
public:
    static constexpr int DefaultCapacity = 20000;

    explicit FrameJournal(int capacity = DefaultCapacity);

    // Frames recorded from now on belong to `name`.
    void BeginCommand(const QString& name);
    // What the channel's trace sink passes. The runs of one answer that
    // arrive one after another (a poll's exception byte) join one frame.
    void Record(TraceKind kind, const uint8_t* data, int count);
    void Clear();

    // The frames added or grown after revision `after`, oldest first: at
    // most the newest frame a viewer already has, then new ones.
    QList<JournalFrame> ChangedSince(quint64 after) const;
    // Counts every change: a frame added or grown, a clearing.
    quint64 Revision() const;
    int Size() const;

    // The journal as orlix-cli --trace prints a run, one block per command,
    // each beginning with the command's name after "# ".
    QString TraceText() const;

private:
    const int m_capacity;
    mutable QMutex m_mutex;
    std::deque<JournalFrame> m_frames;
    quint64 m_serial = 0;
    quint64 m_revision = 0;
    quint64 m_commandId = 0;
    QString m_command;
    QElapsedTimer m_commandClock;
    QElapsedTimer m_requestClock;
    QByteArray m_lastRequest;
    bool m_requestSeen = false;
};
