#include "mbap.h"

#include "model/crc16.h"

namespace Mbap {

namespace {

uint16_t Word(const QByteArray& bytes, int pos)
{
    return uint16_t((uint8_t(bytes.at(pos)) << 8) | uint8_t(bytes.at(pos + 1)));
}

void AppendWord(QByteArray& bytes, uint16_t value)
{
    bytes.append(char(value >> 8));
    bytes.append(char(value & 0xFF));
}

}  // namespace

Parsed TakeUnit(const QByteArray& stream)
{
    Parsed parsed;
    if (stream.size() < HeaderLength - 1)
        return parsed;
    const int length = Word(stream, 4);
    if (length == 0 || length > MaxLength) {
        parsed.State = Parsed::Status::Close;
        return parsed;
    }
    if (stream.size() < HeaderLength - 1 + length)
        return parsed;
    parsed.Consumed = HeaderLength - 1 + length;
    // A unit of another protocol, or one without even a function code.
    if (Word(stream, 2) != 0 || length < 2) {
        parsed.State = Parsed::Status::Skip;
        return parsed;
    }
    parsed.State = Parsed::Status::Request;
    parsed.Transaction = Word(stream, 0);
    parsed.RtuFrame = stream.mid(HeaderLength - 1, length);
    const uint16_t crc = Crc16(reinterpret_cast<const uint8_t*>(parsed.RtuFrame.constData()),
                               size_t(parsed.RtuFrame.size()));
    AppendWord(parsed.RtuFrame, crc);
    return parsed;
}

QByteArray AnswerUnit(uint16_t transaction, const QByteArray& rtuAnswer)
{
    QByteArray unit;
    AppendWord(unit, transaction);
    AppendWord(unit, 0);
    AppendWord(unit, uint16_t(rtuAnswer.size() - 2));
    unit.append(rtuAnswer.left(rtuAnswer.size() - 2));
    return unit;
}

}  // namespace Mbap
