// The Modbus TCP framing on arbitrary bytes: a stream fed to the decoder in
// arbitrary pieces (with discards between them, as a purge does), each ADU
// it yields turned into the RTU frame the channel gets, and the same bytes
// taken as a request frame to encode. The stream is framed once more here,
// header by header, and every result must agree with that: an ADU is the
// stream's bytes at its place, its RTU frame's CRC checks and encodes back
// to the same bytes, a fault is reported exactly where a header is wrong.
//
// Input: byte 0 chooses the piece sizes and whether to discard; the rest is
// the stream.
#include "link/mbap_frame.h"
#include "model/crc16.h"

#include <QByteArray>
#include <QList>

#include <cstdlib>

namespace {

using MbapFrame::Decoder;

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

int Word(const uint8_t* at)
{
    return (at[0] << 8) | at[1];
}

struct Span {
    int64_t Start;
    int64_t End;
};

// The stream framed header by header: its ADUs, then where it stops.
struct Framing {
    QList<Span> Adus;
    Decoder::Fault Fault = Decoder::Fault::None;
    int FaultValue = 0;
    int64_t Partial = 0;
};

Framing Frame(const uint8_t* stream, int64_t size)
{
    Framing f;
    int64_t at = 0;
    while (at + 6 <= size) {
        const int protocol = Word(stream + at + 2);
        const int length = Word(stream + at + 4);
        if (protocol != 0 || length == 0 || length > MbapFrame::MaxLength) {
            f.Fault = protocol != 0 ? Decoder::Fault::Protocol : Decoder::Fault::Length;
            f.FaultValue = protocol != 0 ? protocol : length;
            f.Partial = 6;
            return f;
        }
        if (at + 6 + length > size)
            break;
        f.Adus.append({at, at + 6 + length});
        at += 6 + length;
    }
    f.Partial = size - at;
    return f;
}

void CheckAdu(const MbapFrame::Adu& adu, const uint8_t* stream, const Span& span)
{
    const uint8_t* bytes = stream + span.Start;
    const int64_t pduSize = span.End - span.Start - MbapFrame::HeaderLength;
    Check(adu.Transaction == Word(bytes) && adu.Protocol == 0 && adu.Unit == bytes[6]);
    Check(adu.Pdu.size() == pduSize && pduSize <= MbapFrame::MaxLength - 1);
    Check(adu.Pdu == QByteArray(reinterpret_cast<const char*>(bytes + 7), qsizetype(pduSize)));

    const QByteArray rtu = MbapFrame::ToRtu(adu);
    const auto* frame = reinterpret_cast<const uint8_t*>(rtu.constData());
    Check(rtu.size() == pduSize + 3 && frame[0] == adu.Unit);
    Check(Crc16(frame, size_t(rtu.size())) == 0);
    Check(rtu.mid(1, pduSize) == adu.Pdu);
    // Back as a request under the same transaction: the very bytes it came
    // as; a unit without a function is no request frame.
    const QByteArray again = MbapFrame::Encode(frame, int(rtu.size()), adu.Transaction);
    if (pduSize == 0)
        Check(again.isEmpty());
    else
        Check(again ==
              QByteArray(reinterpret_cast<const char*>(bytes), qsizetype(span.End - span.Start)));
}

// The bytes taken as a request frame: refused unless 4 to 256 bytes with a
// CRC that checks; else the header and the frame without its CRC.
void CheckEncode(const uint8_t* rtu, int64_t size, uint16_t transaction)
{
    const QByteArray adu = MbapFrame::Encode(rtu, int(size), transaction);
    const bool valid = size >= MbapFrame::MinRtuFrame && size <= MbapFrame::MaxRtuFrame &&
                       Crc16(rtu, size_t(size)) == 0;
    Check(adu.isEmpty() != valid);
    if (!valid)
        return;
    const auto* bytes = reinterpret_cast<const uint8_t*>(adu.constData());
    Check(adu.size() == size + 4 && Word(bytes) == transaction && Word(bytes + 2) == 0 &&
          Word(bytes + 4) == size - 2);
    Check(adu.mid(6) == QByteArray(reinterpret_cast<const char*>(rtu), qsizetype(size - 2)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const uint8_t choice = data[0];
    const uint8_t* stream = data + 1;
    const int64_t length = int64_t(size) - 1;
    const Framing expected = Frame(stream, length);

    // Pieces of 1 to 16 bytes; with bit 7, a discard after every third piece
    // drops the ADU then arriving (those complete are taken at once).
    const bool discards = choice & 0x80;
    Decoder decoder;
    QList<int64_t> discardedAt;
    int listed = 0;
    int piece = 0;
    for (int64_t at = 0; at < length; ++piece) {
        const int64_t n = std::min<int64_t>(1 + ((choice + piece * 7) & 0x0F), length - at);
        decoder.Feed(stream + at, n);
        at += n;
        MbapFrame::Adu adu;
        while (decoder.Next(adu)) {
            // The next ADU of the framing that no discard cut.
            for (;;) {
                Check(listed < expected.Adus.size());
                const Span span = expected.Adus[listed++];
                bool cut = false;
                for (int64_t p : discardedAt)
                    cut = cut || (span.Start < p && p < span.End);
                if (!cut) {
                    CheckAdu(adu, stream, span);
                    break;
                }
            }
        }
        if (discards && piece % 3 == 2) {
            decoder.Discard();
            discardedAt.append(at);
        }
    }
    // Every ADU was yielded, or dropped by a discard, or came after a fault.
    for (; listed < expected.Adus.size(); ++listed) {
        bool cut = false;
        for (int64_t p : discardedAt)
            cut = cut || (expected.Adus[listed].Start < p && p < expected.Adus[listed].End);
        Check(cut);
    }
    Check(!decoder.HasAdu());
    Check(decoder.Failure() == expected.Fault && decoder.FailureValue() == expected.FaultValue);
    Check(decoder.Partial() == expected.Partial);

    CheckEncode(stream, length, uint16_t(choice * 257));
    return 0;
}
