#include "rtu_answer.h"

#include "link/modbus_codes.h"
#include "model/crc16.h"

namespace RtuAnswer {

int KnownLength(const QByteArray& head)
{
    if (head.size() < 2)
        return 0;
    const uint8_t function = uint8_t(head.at(1));
    if (function & ModbusCode::ExceptionBit)
        return FrameLength::ExceptionAnswer;
    switch (function) {
        case ModbusCode::PollStatus: return FrameLength::PollAnswer;
        case 0x03:
        case 0x04:
        case ModbusCode::ReportSlaveId:
            // address, function, byte count, the bytes, CRC
            return head.size() < 3 ? 0 : 3 + uint8_t(head.at(2)) + FrameLength::Crc;
        default: return -1;
    }
}

bool Intact(const QByteArray& frame)
{
    return frame.size() >= FrameLength::ShortRequest &&
           Crc16(reinterpret_cast<const uint8_t*>(frame.constData()), size_t(frame.size())) == 0;
}

}  // namespace RtuAnswer
