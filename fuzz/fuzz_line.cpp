// The line around an answer: junk still arriving before a request, an
// adapter that echoes every request (faithfully or not), and the echo
// setting of the channel, through the channel's real quiet-line and echo
// code (a scripted line stands in for the port). The junk never reaches an
// answer; on a line whose echo setting is right a request succeeds exactly
// when its answer is well formed; a garbled echo fails the request and says
// so; nothing overruns the frame buffer.
//
// Input: byte 0 chooses the request, byte 1 the line: bits 0-1 the
// channel's echo mode (auto, on, off), bit 2 whether the adapter echoes,
// bit 3 whether the echo is garbled, bits 4-7 the chunk sizes. Byte 2 is
// the length of the junk that follows it; the rest is the answer.
#include "link/block_lengths.h"
#include "link/modbus.h"
#include "model/crc16.h"

#include <QList>

#include <cstdlib>
#include <cstring>

namespace {

class EchoingLine : public PortLine {
public:
    EchoingLine(QByteArray junk, QByteArray answer, bool echoes, bool garbled, int chunking)
        : m_arriving(std::move(junk)),
          m_answer(std::move(answer)),
          m_echoes(echoes),
          m_garbled(garbled),
          m_chunking(chunking)
    {
    }
    bool Open(const QString&, const LineSettings&) override { return true; }
    void Close() override {}
    int Handle() const override { return 3; }
    QString ErrorText() const override { return {}; }
    bool PermissionDenied() const override { return false; }
    bool IsPseudoTerminal() const override { return true; }
    bool EnableRs485RtsOnSend() override { return true; }
    bool SetRts(bool) override { return true; }
    void Purge() override { m_arriving.clear(); }
    int64_t Write(const uint8_t* data, int64_t count, const QDeadlineTimer&) override
    {
        QByteArray echo(reinterpret_cast<const char*>(data), qsizetype(count));
        if (m_garbled && !echo.isEmpty())
            echo[echo.size() / 2] = char(echo[echo.size() / 2] ^ 0x10);
        m_arriving = (m_echoes ? echo : QByteArray()) + m_answer;
        m_sent = true;
        return count;
    }
    bool WaitSent(const QDeadlineTimer&) override { return true; }
    ReadResult Read(uint8_t* data, int64_t max) override
    {
        ReadResult r;
        r.Count = std::min<int64_t>({1 + (m_chunking++ % 5), m_arriving.size(), max});
        std::memcpy(data, m_arriving.constData(), size_t(r.Count));
        if (!m_sent && r.Count > 0)
            m_junkRead = true;
        m_arriving.remove(0, r.Count);
        return r;
    }
    bool WaitReadable(const QDeadlineTimer&) override { return !m_arriving.isEmpty(); }

    bool JunkRead() const { return m_junkRead; }

private:
    QByteArray m_arriving;
    QByteArray m_answer;
    bool m_echoes;
    bool m_garbled;
    int m_chunking;
    bool m_sent = false;
    bool m_junkRead = false;
};

bool CrcOk(const QByteArray& bytes, int count)
{
    return Crc16(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(count)) == 0;
}

// Whether a request to address 1 must succeed on the answer `got`.
bool Expected(int kind, int block, const QByteArray& got)
{
    auto has = [&](int n) { return got.size() >= n; };
    auto echoes = [&](uint8_t function) {
        return uint8_t(got[0]) == 1 && (uint8_t(got[1]) & 0x7F) == function;
    };
    switch (kind) {
        case 0: return has(8) && echoes(0x11);
        case 1: return has(4) && (!(uint8_t(got[1]) & 0x80) || has(5)) && echoes(0x0E);
        case 2: return has(10) && CrcOk(got, 10) && echoes(0x46);
        case 3: {
            const int n = BlockLengthTable[block].Read + 8;
            return has(n) && CrcOk(got, n) && echoes(0x46);
        }
        case 4: return has(5) && CrcOk(got, 5) && uint8_t(got[0]) == 1 && uint8_t(got[1]) == 0x46;
        default: return has(5) && echoes(0x46);
    }
}

const uint8_t Payload[96] = {};
const QByteArray IdentRequest = QByteArray::fromHex("0111C02C");

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 3)
        return 0;
    const int kind = data[0] % 6;
    const int block = data[0] / 6 % 10;
    const EchoMode mode = data[1] % 4 == 1   ? EchoMode::On
                          : data[1] % 4 == 2 ? EchoMode::Off
                                             : EchoMode::Auto;
    const bool echoes = data[1] & 0x04;
    const bool garbled = echoes && (data[1] & 0x08);
    const int chunking = data[1] >> 4;
    const size_t junkLength = std::min<size_t>(data[2], size - 3);
    const QByteArray junk(reinterpret_cast<const char*>(data + 3), qsizetype(junkLength));
    const QByteArray answer(reinterpret_cast<const char*>(data + 3 + junkLength),
                            qsizetype(size - 3 - junkLength));

    EchoingLine* line = nullptr;
    TModbus channel;
    channel.SetEchoMode(mode);
    channel.SetLineFactory([&] {
        auto made = std::make_unique<EchoingLine>(junk, answer, echoes, garbled, chunking);
        line = made.get();
        return made;
    });
    if (channel.OpenPort(QStringLiteral("/dev/fuzz"), 9600, 2, 0, true, 256) < 0)
        std::abort();

    bool ok = false;
    switch (kind) {
        case 0: ok = channel.ReportSlaveId(1, 8); break;
        case 1: ok = channel.PollStatus(1); break;
        case 2: ok = channel.ReadVersion(1); break;
        case 3: ok = channel.ReadBlock(1, block); break;
        case 4: ok = channel.WriteBlock(1, block, Payload); break;
        default: ok = channel.ApplyConfig(1); break;
    }

    // Junk before the request is read and dropped, never taken as an answer.
    if (!junk.isEmpty() && !line->JunkRead())
        std::abort();
    // Only an identification teaches an Auto channel about the echo.
    const bool learns = mode == EchoMode::Auto && kind == 0;
    const bool dropsEcho = mode == EchoMode::On || (learns && channel.LineEchoes());
    if (garbled && dropsEcho) {
        // A garbled echo fails the request, said as such.
        if (ok || !channel.LastEchoGarbled())
            std::abort();
        return 0;
    }
    // The setting matches the line: the answer alone decides.
    const bool rightSetting = (mode == EchoMode::On && echoes) ||
                              (mode == EchoMode::Off && !echoes) ||
                              (learns && channel.LineEchoes() == echoes && !garbled) ||
                              (mode == EchoMode::Auto && !echoes && kind != 0);
    if (rightSetting && ok != Expected(kind, block, answer))
        std::abort();
    // An Auto channel takes an identification answer that starts like the
    // request itself for an echo only when the line does echo, or when the
    // answer really does start so.
    if (learns && channel.LineEchoes() && !echoes && !answer.startsWith(IdentRequest))
        std::abort();
    return 0;
}
