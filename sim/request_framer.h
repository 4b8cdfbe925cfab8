#pragma once

#include <QByteArray>

#include <optional>

// Cuts the byte stream a panel receives into request frames. The length of
// a request follows from its function code (and, for function 70, its
// count field). Bytes that cannot start a request are dropped one at a
// time, and a partial frame is forgotten after a silence on the line.
class RequestFramer {
public:
    static constexpr qint64 SilenceMs = 100;
    static constexpr int MaxFrame = 256;

    // Adds bytes received at `nowMs` (a monotonic clock).
    void Feed(const QByteArray& bytes, qint64 nowMs);
    // The next complete frame, if one is there.
    std::optional<QByteArray> Next();

    // The length of the request that starts `head`: 0 while more bytes are
    // needed to tell, -1 when no request starts with these bytes.
    static int FrameLength(const QByteArray& head);

    int DroppedBytes() const { return m_dropped; }
    bool HasPartialFrame() const { return !m_pending.isEmpty(); }

private:
    QByteArray m_pending;
    qint64 m_lastByteMs = 0;
    int m_dropped = 0;
};
