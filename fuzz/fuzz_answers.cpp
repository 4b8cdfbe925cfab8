// The answer side of every request: an arbitrary byte stream as the panel's
// answer, in arbitrary chunks, through the channel's real receive code (a
// scripted line stands in for the port). A request returns true only for a
// well-formed answer, the frame buffer is never overrun, and a command
// built on the requests ends with one of its messages.
//
// Input: byte 0 chooses the request (or a whole command), byte 1 the chunk
// sizes and whether the line marks parity errors; the rest is what arrives.
// For a whole command the rest is a series of answers, each a length byte
// and that many bytes, one per request sent.
#include "link/block_lengths.h"
#include "link/modbus.h"
#include "link/panel_link.h"
#include "link/parity_marks.h"
#include "model/command_error.h"
#include "model/crc16.h"

#include <QList>

#include <cstdlib>
#include <cstring>

namespace {

class ScriptedLine : public PortLine {
public:
    ScriptedLine(QList<QByteArray> answers, uint8_t chunking, bool marks)
        : m_answers(std::move(answers)), m_chunking(chunking), m_marks(marks)
    {
    }
    bool Open(const QString&, const LineSettings&) override { return true; }
    void Close() override {}
    int Handle() const override { return 3; }
    QString ErrorText() const override { return {}; }
    bool PermissionDenied() const override { return false; }
    bool IsPseudoTerminal() const override { return true; }
    bool EnableRs485RtsOnSend() override { return false; }
    bool SetRts(bool) override { return true; }
    void Purge() override
    {
        m_arriving.clear();
        m_decoder.Reset();
    }
    int64_t Write(const uint8_t*, int64_t count, const QDeadlineTimer&) override
    {
        // What the panel sends back to this request starts arriving.
        m_arriving = m_answers.isEmpty() ? QByteArray() : m_answers.takeFirst();
        return count;
    }
    bool WaitSent(const QDeadlineTimer&) override { return true; }
    ReadResult Read(uint8_t* data, int64_t max) override
    {
        ReadResult r;
        const int64_t chunk = std::min<int64_t>(1 + (m_chunking++ % 7), m_arriving.size());
        if (!m_marks) {
            r.Count = std::min(chunk, max);
            std::memcpy(data, m_arriving.constData(), size_t(r.Count));
            m_arriving.remove(0, r.Count);
            return r;
        }
        const auto d = m_decoder.Decode(reinterpret_cast<const uint8_t*>(m_arriving.constData()),
                                        chunk, data, max);
        m_arriving.remove(0, d.Consumed);
        r.Count = d.Produced;
        r.LineError = d.Error;
        return r;
    }
    bool WaitReadable(const QDeadlineTimer&) override { return !m_arriving.isEmpty(); }

private:
    QList<QByteArray> m_answers;
    QByteArray m_arriving;
    uint8_t m_chunking;
    bool m_marks;
    ParityMarkDecoder m_decoder;
};

// The bytes a receiver gets from `raw`: all of them, or with parity
// marking those before the first marked error; `error` tells whether one came.
QByteArray Delivered(const QByteArray& raw, bool marks, bool& error)
{
    error = false;
    if (!marks)
        return raw;
    ParityMarkDecoder decoder;
    QByteArray out(raw.size(), '\0');
    const auto d = decoder.Decode(reinterpret_cast<const uint8_t*>(raw.constData()), raw.size(),
                                  reinterpret_cast<uint8_t*>(out.data()), out.size());
    error = d.Error;
    out.truncate(d.Produced);
    return out;
}

bool CrcOk(const QByteArray& bytes, int count)
{
    return Crc16(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(count)) == 0;
}

// Whether a single request must succeed on the answer `raw`.
bool Expected(int kind, int block, const QByteArray& raw, bool marks)
{
    bool error = false;
    QByteArray got = Delivered(raw, marks, error);
    // The channel learns the line's echo from its first identification: an
    // answer that begins with the request itself is the adapter's echo.
    static const QByteArray identRequest("\x01\x11\xC0\x2C", 4);
    if (kind == 0 && got.startsWith(identRequest))
        got.remove(0, identRequest.size());
    auto has = [&](int n) { return got.size() >= n; };
    // Every answer echoes the address (1) and the function, an exception with bit 7 set.
    auto echoes = [&](uint8_t function) {
        return uint8_t(got[0]) == 1 && (uint8_t(got[1]) & 0x7F) == function;
    };
    switch (kind) {
        case 0: return has(8) && echoes(0x11);  // identification: the CRC is only reported
        case 1:                                 // poll: one byte more after an exception
            return has(4) && (!(uint8_t(got[1]) & 0x80) || has(5)) && echoes(0x0E);
        case 2: return has(10) && CrcOk(got, 10) && echoes(0x46);
        case 3: {
            const int n = BlockLengthTable[block].Read + 8;
            return has(n) && CrcOk(got, n) && echoes(0x46);
        }
        case 4: return has(5) && CrcOk(got, 5) && uint8_t(got[0]) == 1 && uint8_t(got[1]) == 0x46;
        default: return has(5) && echoes(0x46);  // apply
    }
}

const uint8_t Payload[96] = {};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const int kind = data[0] % 11;
    const uint8_t chunking = data[1] & 0x7F;
    const bool marks = data[1] & 0x80;
    const QByteArray rest(reinterpret_cast<const char*>(data + 2), qsizetype(size - 2));

    QList<QByteArray> answers;
    if (kind < 6) {
        answers << rest;
    } else {
        for (qsizetype i = 0; i < rest.size();) {
            const int n = uint8_t(rest[i]);
            answers << rest.mid(i + 1, n);
            i += 1 + n;
        }
    }

    TModbus channel;
    channel.SetLineFactory(
        [&] { return std::make_unique<ScriptedLine>(answers, chunking, marks); });
    if (channel.OpenPort(QStringLiteral("/dev/fuzz"), 9600, 2, marks ? 2 : 0, true, 256) < 0)
        std::abort();

    if (kind < 6) {
        const int block = data[1] % 10;
        bool ok = false;
        switch (kind) {
            case 0: ok = channel.ReportSlaveId(1, 8); break;
            case 1: ok = channel.PollStatus(1); break;
            case 2: ok = channel.ReadVersion(1); break;
            case 3: ok = channel.ReadBlock(1, block); break;
            case 4: ok = channel.WriteBlock(1, block, Payload); break;
            default: ok = channel.ApplyConfig(1); break;
        }
        if (ok != Expected(kind, block, rest, marks))
            std::abort();
        return 0;
    }

    // A whole command: it succeeds or ends with one of its messages.
    PanelLink link(channel);
    LinkSettings settings;
    settings.PortName = QStringLiteral("ttyFUZZ");
    settings.DevicePath = QStringLiteral("/dev/fuzz");
    channel.ClosePort();  // Connect opens it again with the same line
    try {
        ConfigImage image{};
        switch (kind) {
            case 6: link.Connect(settings, true); break;
            case 7: link.Connect(settings, false); break;
            case 8:
                link.Connect(settings, true);
                link.ReadBlocks(1, image);
                break;
            case 9:
                link.Connect(settings, true);
                link.WriteBlocks(1, image);
                break;
            default:
                link.Connect(settings, true);
                link.Apply(1);
                link.ReadFirmware(1);
                break;
        }
    } catch (const CommandError& e) {
        const QString& m = e.Message();
        if (m != PanelText::NoAnswer("1", "ttyFUZZ") &&
            m != PanelText::WrongDevice("1", "ttyFUZZ") && m != PanelText::IoError() &&
            m != PanelText::ApplyNotStarted() &&
            !m.startsWith(QStringLiteral("Панель отвергла применение: код ")) &&
            !m.startsWith(QStringLiteral("Конфликт версий ПО - требуется программатор v")))
            std::abort();
    }
    link.Disconnect();
    return 0;
}
