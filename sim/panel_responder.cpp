#include "panel_responder.h"

#include "link/block_lengths.h"
#include "link/modbus_codes.h"
#include "model/block_crc.h"
#include "model/crc16.h"
#include "model/mbus_settings.h"
#include "model/new_configuration.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint8_t IllegalFunction = 0x01;
constexpr uint8_t IllegalDataAddress = 0x02;
constexpr uint8_t IllegalDataValue = 0x03;
constexpr char JunkByte = char(0xA5);

uint8_t At(const QByteArray& frame, int pos)
{
    return uint8_t(frame.at(pos));
}

void AppendCrc(QByteArray& frame)
{
    const uint16_t crc =
        Crc16(reinterpret_cast<const uint8_t*>(frame.constData()), size_t(frame.size()));
    frame.append(char(crc >> 8));
    frame.append(char(crc & 0xFF));
}

}  // namespace

PanelResponder::PanelResponder() : m_image(NewConfigurationImage())
{
    SetAddress(m_identity.Address);
    StampBlockCrcs(m_image);
}

void PanelResponder::SetAddress(uint8_t address)
{
    m_identity.Address = address;
    m_image[MBusSettings::NetAddress] = address;
}

bool PanelResponder::Listens(int baudRate, bool twoStopBits) const
{
    return baudRate == m_identity.BaudRate && twoStopBits == m_identity.TwoStopBits;
}

void PanelResponder::TakeLineSettingsIntoUse()
{
    // A panel keeps its address when block 1 holds 0, which it cannot answer at.
    if (const uint8_t address = m_image[MBusSettings::NetAddress]; address != 0)
        m_identity.Address = address;
    // A rate it does not know leaves the panel at its own.
    SerialSettings known;
    known.BaudRate = m_identity.BaudRate;
    const SerialSettings line = LineOfImage(m_image, known);
    m_identity.BaudRate = line.BaudRate;
    m_identity.TwoStopBits = line.StopBits == 2;
}

std::array<uint8_t, 4> PanelResponder::FamilyIdent(int family)
{
    if (family == 1)
        return {0x03, 0x0C, 0x09, 0x32};
    return {0x03, 0x20, 0x07, 0x32};
}

PanelRequest PanelResponder::Classify(const QByteArray& frame, int* block)
{
    if (block)
        *block = -1;
    if (frame.size() < 2)
        return PanelRequest::Other;
    switch (At(frame, 1)) {
        case ModbusCode::ReportSlaveId: return PanelRequest::ReportSlaveId;
        case ModbusCode::PollStatus: return PanelRequest::PollStatus;
        case ModbusCode::Programming: break;
        default: return PanelRequest::Other;
    }
    if (frame.size() < 5)
        return PanelRequest::Other;
    const uint8_t command = At(frame, 4);
    if ((command == ProgrammingCommand::ReadBlock || command == ProgrammingCommand::WriteBlock) &&
        frame.size() > 5 && block)
        *block = At(frame, 5);
    switch (command) {
        case ProgrammingCommand::ReadVersion: return PanelRequest::ReadVersion;
        case ProgrammingCommand::ReadBlock: return PanelRequest::ReadBlock;
        case ProgrammingCommand::WriteBlock: return PanelRequest::WriteBlock;
        case ProgrammingCommand::Apply: return PanelRequest::ApplyConfig;
        default: return PanelRequest::Other;
    }
}

PanelFault PanelResponder::TakeFault(PanelRequest request, int block)
{
    for (PanelFault& fault : m_faults) {
        if (fault.Matches(request, block)) {
            if (fault.Skip > 0) {
                --fault.Skip;
                continue;
            }
            if (fault.Count > 0)
                --fault.Count;
            return fault;
        }
    }
    return {};
}

PanelAnswer PanelResponder::Respond(const QByteArray& request)
{
    PanelAnswer answer;
    const auto* bytes = reinterpret_cast<const uint8_t*>(request.constData());
    if (request.size() < FrameLength::ShortRequest || Crc16(bytes, size_t(request.size())) != 0)
        return answer;  // a garbled request goes unanswered
    if (At(request, 0) != m_identity.Address)
        return answer;  // meant for another panel

    int block = -1;
    const PanelRequest kind = Classify(request, &block);
    const PanelFault fault = TakeFault(kind, block);
    if (fault.Kind == PanelFault::Action::NoAnswer)
        return answer;
    if (fault.Kind == PanelFault::Action::Vanish) {
        answer.Vanish = true;
        return answer;
    }

    QByteArray frame = fault.Kind == PanelFault::Action::Exception
                           ? ExceptionAnswer(At(request, 1), fault.ExceptionCode)
                           : NormalAnswer(kind, block, request, fault.Kind);
    if (fault.AnswerAddress >= 0 && !frame.isEmpty())
        frame[0] = char(fault.AnswerAddress);
    if (fault.AnswerFunction >= 0 && frame.size() > 1)
        frame[1] = char(fault.AnswerFunction);
    AppendCrc(frame);
    // The answer leaves at the settings in use; then the new ones apply.
    if (kind == PanelRequest::ApplyConfig && fault.Kind == PanelFault::Action::Answer)
        TakeLineSettingsIntoUse();
    if (fault.CorruptCrc)
        frame[frame.size() - 1] = char(frame.at(frame.size() - 1) ^ 0x5A);
    frame.append(QByteArray(fault.ExtraBytes, JunkByte));
    frame.chop(std::clamp(fault.ShortBy, 0, int(frame.size()) - 1));

    answer.Send = true;
    answer.Bytes = frame;
    answer.DelayMs = fault.DelayMs;
    return answer;
}

QByteArray PanelResponder::ExceptionAnswer(uint8_t function, uint8_t code) const
{
    QByteArray frame;
    frame.append(char(m_identity.Address));
    frame.append(char(function | ModbusCode::ExceptionBit));
    frame.append(char(code));
    return frame;
}

QByteArray PanelResponder::NormalAnswer(PanelRequest request, int block, const QByteArray& frame,
                                        PanelFault::Action fault)
{
    const bool applyNotStarted = fault == PanelFault::Action::ApplyNotStarted;
    const uint8_t function = At(frame, 1);
    QByteArray answer;
    answer.append(char(m_identity.Address));
    answer.append(char(function));
    switch (request) {
        case PanelRequest::ReportSlaveId:
            for (uint8_t b : m_identity.Ident)
                answer.append(char(b));
            return answer;
        case PanelRequest::PollStatus: return answer;
        case PanelRequest::ReadVersion:
            answer.append(QByteArray::fromHex("000400"));
            answer.append(char(m_identity.FirmwareMajor));
            answer.append(char(m_identity.FirmwareMinor));
            answer.append(char(m_identity.HardwareRevision));
            return answer;
        case PanelRequest::ReadBlock: {
            if (!IsBlockNumber(block) || frame.size() != FrameLength::BlockOverhead)
                return ExceptionAnswer(function, IllegalDataAddress);
            const auto payload = BlockPayload(m_image, block);
            answer.append(char(0));
            answer.append(char(payload.size() + 2));
            answer.append(char(ProgrammingCommand::ReadBlock));
            answer.append(char(block));
            answer.append(reinterpret_cast<const char*>(payload.data()), qsizetype(payload.size()));
            return answer;
        }
        case PanelRequest::WriteBlock: {
            if (!IsBlockNumber(block))
                return ExceptionAnswer(function, IllegalDataAddress);
            const int length = BlockLengthTable[block].Write;
            const int count = (At(frame, 2) << 8) | At(frame, 3);
            if (count != length + 2 || frame.size() != length + FrameLength::BlockOverhead)
                return ExceptionAnswer(function, IllegalDataValue);
            if (fault != PanelFault::Action::Discard) {
                std::memcpy(BlockPayload(m_image, block).data(),
                            frame.constData() + FrameLength::BlockPayloadOffset, size_t(length));
                StampBlockCrcs(m_image);
                ++m_blocksWritten;
            }
            answer.append(char(0));
            return answer;
        }
        case PanelRequest::ApplyConfig:
            if (!applyNotStarted)
                ++m_applyCount;
            answer.append(char(applyNotStarted ? 1 : 0));
            return answer;
        case PanelRequest::Any:
        case PanelRequest::Other: break;
    }
    return ExceptionAnswer(function, IllegalFunction);
}
