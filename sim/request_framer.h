#pragma once

#include <QByteArray>
#include <QList>

#include <optional>

// Cuts the byte stream a device on the line receives into request frames,
// as a Modbus slave does. A request ends when its length is known from its
// function code (17, 14, and 70 with its count field) and it is complete, or
// else when the line has been silent for a frame's silence after its last
// byte: requests of other functions are taken whole that way. Bytes ahead
// of an intact request of known length are dropped (noise on the line), a
// partial request of known length is forgotten after the silence, and runs
// shorter than the shortest frame are dropped as noise.
class RequestFramer {
public:
    // The silence while the line's speed is unknown.
    static constexpr qint64 SilenceMs = 100;
    static constexpr int MaxFrame = 256;
    static constexpr int MinFrame = 4;  // address, function, CRC

    struct Frame {
        QByteArray Bytes;
        qint64 FirstUs = 0;  // when its first byte arrived
        qint64 LastUs = 0;   // when its last byte arrived
    };

    // The silence that ends a frame (three and a half characters at the
    // line's speed; SilenceMs until set).
    void SetSilenceUs(qint64 silenceUs) { m_silenceUs = silenceUs; }
    qint64 SilenceUs() const { return m_silenceUs; }

    // Adds bytes received at `nowUs` (a monotonic clock in microseconds).
    void FeedUs(const QByteArray& bytes, qint64 nowUs);
    // The next complete frame at `nowUs`, if one is there: ended by its
    // length, or by the silence since its last byte.
    std::optional<Frame> NextFrame(qint64 nowUs);
    // When the bytes held end as a frame or are forgotten if nothing more
    // comes; -1 when none are held.
    qint64 SilenceDeadlineUs() const;

    // The same for a clock in milliseconds: frames ended by their length.
    void Feed(const QByteArray& bytes, qint64 nowMs) { FeedUs(bytes, nowMs * 1000); }
    std::optional<QByteArray> Next();

    // The length of the request that starts `head`: 0 while more bytes are
    // needed to tell, -1 when no request of known length starts with them.
    static int FrameLength(const QByteArray& head);

    int DroppedBytes() const { return m_dropped; }
    bool HasPartialFrame() const { return !m_pending.isEmpty(); }

private:
    // The next frame from the bytes held; `silenced`: nothing more comes
    // to the bytes held, so they end as a frame or are dropped.
    std::optional<Frame> ParseOne(bool silenced);
    bool Silenced(qint64 nowUs) const;
    // Where an intact request of known length starts after the first byte
    // and lies complete in the bytes held; -1 when none does.
    int FindIntactFrame() const;
    void Drop(int count);
    Frame Take(int count);

    QList<Frame> m_ready;  // ended by a silence noticed when more bytes came
    QByteArray m_pending;
    QList<qint64> m_arrivals;  // per byte held
    qint64 m_silenceUs = SilenceMs * 1000;
    int m_dropped = 0;
};
