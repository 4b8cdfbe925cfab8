#include "modbus_responder.h"

#include "link/modbus_codes.h"
#include "model/crc16.h"

namespace {

constexpr uint8_t ReadHoldingRegisters = 0x03;
constexpr uint8_t ReadInputRegisters = 0x04;
constexpr uint8_t IllegalFunction = 0x01;
constexpr uint8_t IllegalDataAddress = 0x02;
constexpr uint8_t IllegalDataValue = 0x03;
constexpr int RegisterRequestLength = 8;  // address, function, start, count, CRC

// The identification after the byte count: run indicator, then a name and
// version in ASCII.
const QByteArray IdentData = QByteArray::fromHex("B4FF4C4D42332E312E36");

uint8_t At(const QByteArray& frame, int pos)
{
    return uint8_t(frame.at(pos));
}

QByteArray WithCrc(QByteArray frame)
{
    const uint16_t crc =
        Crc16(reinterpret_cast<const uint8_t*>(frame.constData()), size_t(frame.size()));
    frame.append(char(crc >> 8));
    frame.append(char(crc & 0xFF));
    return frame;
}

}  // namespace

ModbusResponder::ModbusResponder(uint8_t address, bool identException)
    : m_address(address), m_identException(identException)
{
}

void ModbusResponder::SetLineSettings(int baudRate, bool twoStopBits)
{
    m_baudRate = baudRate;
    m_twoStopBits = twoStopBits;
}

bool ModbusResponder::Listens(int baudRate, bool twoStopBits) const
{
    return baudRate == m_baudRate && twoStopBits == m_twoStopBits;
}

PanelAnswer ModbusResponder::Respond(const QByteArray& request) const
{
    PanelAnswer answer;
    if (request.size() < FrameLength::ShortRequest ||
        Crc16(reinterpret_cast<const uint8_t*>(request.constData()), size_t(request.size())) != 0 ||
        At(request, 0) != m_address)
        return answer;
    const uint8_t function = At(request, 1);
    QByteArray frame;
    if (function == ModbusCode::ReportSlaveId && !m_identException) {
        frame.append(char(m_address));
        frame.append(char(function));
        frame.append(char(IdentData.size()));
        frame.append(IdentData);
    } else if (function == ReadHoldingRegisters || function == ReadInputRegisters) {
        frame = RegisterAnswer(request);
    } else {
        frame = Exception(function, IllegalFunction);
    }
    answer.Send = true;
    answer.Bytes = WithCrc(frame);
    return answer;
}

QByteArray ModbusResponder::RegisterAnswer(const QByteArray& request) const
{
    const uint8_t function = At(request, 1);
    if (request.size() != RegisterRequestLength)
        return Exception(function, IllegalDataValue);
    const int start = (At(request, 2) << 8) | At(request, 3);
    const int count = (At(request, 4) << 8) | At(request, 5);
    if (count < 1 || count > MaxRegisters)
        return Exception(function, IllegalDataValue);
    if (start + count > 0x10000)
        return Exception(function, IllegalDataAddress);
    QByteArray frame;
    frame.append(char(m_address));
    frame.append(char(function));
    frame.append(char(count * 2));
    for (int reg = start; reg < start + count; ++reg) {
        frame.append(char(reg >> 8));
        frame.append(char(reg & 0xFF));
    }
    return frame;
}

QByteArray ModbusResponder::Exception(uint8_t function, uint8_t code) const
{
    QByteArray frame;
    frame.append(char(m_address));
    frame.append(char(function | ModbusCode::ExceptionBit));
    frame.append(char(code));
    return frame;
}
