#include "link/mbap_frame.h"

#include "link/frame_crc.h"
#include "model/crc16.h"

#include <algorithm>

namespace MbapFrame {

namespace {

constexpr int FixedPart = LengthOffset + 2;  // the bytes up to and with the length field

uint16_t Word(const QByteArray& bytes, int at)
{
    return uint16_t((uint8_t(bytes[at]) << 8) | uint8_t(bytes[at + 1]));
}

void AppendWord(QByteArray& bytes, uint16_t value)
{
    bytes.append(char(value >> 8));
    bytes.append(char(value & 0xFF));
}

}  // namespace

QByteArray Encode(const uint8_t* rtu, int count, uint16_t transaction)
{
    if (!rtu || count < MinRtuFrame || count > MaxRtuFrame || Crc16(rtu, size_t(count)) != 0)
        return {};
    const int length = count - 2;  // the unit and the PDU: the frame without its CRC
    QByteArray adu;
    adu.reserve(FixedPart + length);
    AppendWord(adu, transaction);
    AppendWord(adu, 0);
    AppendWord(adu, uint16_t(length));
    adu.append(reinterpret_cast<const char*>(rtu), length);
    return adu;
}

QByteArray ToRtu(const Adu& adu)
{
    QByteArray rtu(1 + adu.Pdu.size() + 2, '\0');
    rtu[0] = char(adu.Unit);
    std::copy(adu.Pdu.cbegin(), adu.Pdu.cend(), rtu.begin() + 1);
    CloseFrame(reinterpret_cast<uint8_t*>(rtu.data()), 1 + int(adu.Pdu.size()));
    return rtu;
}

uint16_t NextTransaction(uint16_t last)
{
    return last == 0xFFFF ? 1 : uint16_t(last + 1);
}

bool Decoder::CheckHeader()
{
    const int protocol = Word(m_partial, 2);
    const int length = Word(m_partial, LengthOffset);
    if (protocol != 0) {
        m_fault = Fault::Protocol;
        m_faultValue = protocol;
    } else if (length == 0 || length > MaxLength) {
        m_fault = Fault::Length;
        m_faultValue = length;
    }
    return m_fault == Fault::None;
}

void Decoder::Feed(const uint8_t* data, int64_t count)
{
    int64_t at = 0;
    while (data && at < count && m_fault == Fault::None) {
        // The bytes up to the length field first: they tell how many follow.
        int64_t want = FixedPart;
        if (m_partial.size() >= FixedPart)
            want += Word(m_partial, LengthOffset);
        const int64_t take = std::min<int64_t>(want - m_partial.size(), count - at);
        m_partial.append(reinterpret_cast<const char*>(data + at), take);
        at += take;
        if (m_partial.size() < FixedPart || !CheckHeader())
            continue;
        if (m_partial.size() < FixedPart + Word(m_partial, LengthOffset))
            continue;
        if (m_dropPartial) {
            m_dropPartial = false;
        } else {
            Adu adu;
            adu.Transaction = Word(m_partial, 0);
            adu.Protocol = Word(m_partial, 2);
            adu.Unit = uint8_t(m_partial[FixedPart]);
            adu.Pdu = m_partial.mid(HeaderLength);
            m_ready.append(std::move(adu));
        }
        m_partial.clear();
    }
}

bool Decoder::Next(Adu& adu)
{
    if (m_ready.isEmpty())
        return false;
    adu = m_ready.takeFirst();
    return true;
}

void Decoder::Discard()
{
    m_ready.clear();
    m_dropPartial = !m_partial.isEmpty();
}

void Decoder::Reset()
{
    m_partial.clear();
    m_ready.clear();
    m_dropPartial = false;
    m_fault = Fault::None;
    m_faultValue = 0;
}

}  // namespace MbapFrame
