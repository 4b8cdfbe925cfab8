// The panel's programming protocol: one request/answer exchange per call.
#include "link/block_lengths.h"
#include "link/frame_crc.h"
#include "link/link_texts.h"
#include "link/modbus.h"
#include "link/modbus_codes.h"
#include "link/pause.h"
#include "model/crc16.h"

#include <cstring>

namespace {
// The panel needs a moment after a programming request before it answers.
constexpr unsigned long ProgrammingPauseMs = 10;
}  // namespace

bool TModbus::CanExchange(int requestLength, int answerLength) const
{
    // A closed channel or a frame that does not fit the buffer sends nothing.
    return Buffer && requestLength <= m_bufferSize && answerLength >= 0 &&
           answerLength <= m_bufferSize;
}

void TModbus::ExpectAnswer(uint8_t address, uint8_t function)
{
    m_expectedAddress = address;
    m_expectedFunction = function;
    m_foreignAnswer = false;
    m_echoGarbled = false;
}

bool TModbus::SendRequest(int length)
{
    if (SendFrame(Buffer, length))
        return true;
    ShowStatus(m_lineBusy ? LinkText::LineBusy() : LinkText::SendFailed());
    return false;
}

void TModbus::ShowReceiveFailure()
{
    // A foreign answer's own text is on the status already.
    if (m_foreignAnswer)
        return;
    ShowStatus(m_echoGarbled ? LinkText::EchoGarbled() : LinkText::ReceiveFailed());
}

bool TModbus::EchoesRequest()
{
    const uint8_t function = Buffer[1] & uint8_t(~ModbusCode::ExceptionBit);
    m_foreignAnswer = Buffer[0] != m_expectedAddress || function != m_expectedFunction;
    if (m_foreignAnswer)
        ShowStatus(LinkText::ForeignAnswer(Buffer[0], Buffer[1]));
    return !m_foreignAnswer;
}

int TModbus::BuildProgrammingRequest(uint8_t address, uint8_t command, int dataLength)
{
    ExpectAnswer(address, ModbusCode::Programming);
    // address, 0x46, count (bytes from the sub-command up to the CRC), sub-command
    const int count = 1 + dataLength;
    Buffer[0] = address;
    Buffer[1] = ModbusCode::Programming;
    Buffer[2] = uint8_t(count >> 8);
    Buffer[3] = uint8_t(count & 0xFF);
    Buffer[4] = command;
    return CloseFrame(Buffer, 5 + dataLength);
}

bool TModbus::Exchange(int requestLength, unsigned long pauseMs, int answerLength,
                       AnswerCheck check)
{
    if (!SendRequest(requestLength))
        return false;
    if (pauseMs > 0)
        Pause(pauseMs);
    int received = 0;
    if (!ReceiveFrame(Buffer, answerLength, received, AnswerTimeout)) {
        ShowReceiveFailure();
        return false;
    }
    return Judge(received, check);
}

bool TModbus::Judge(int received, AnswerCheck check)
{
    if (check == AnswerCheck::None)
        return EchoesRequest();
    const uint16_t crc = Crc16(Buffer, size_t(received));
    if (check == AnswerCheck::Reported) {
        ShowStatus(CrcStatusText(crc));
        return EchoesRequest();
    }
    if (crc == 0 && EchoesRequest())
        return true;
    if (m_alert)
        m_alert();
    if (crc != 0)
        ShowStatus(CrcStatusText(crc));
    return false;
}

bool TModbus::ReportSlaveId(uint8_t address, int answerLength)
{
    if (!CanExchange(FrameLength::ShortRequest, answerLength)) {
        ShowStatus(LinkText::SendFailed());
        return false;
    }
    ExpectAnswer(address, ModbusCode::ReportSlaveId);
    Buffer[0] = address;
    Buffer[1] = ModbusCode::ReportSlaveId;
    return Exchange(CloseFrame(Buffer, 2), 0, answerLength, AnswerCheck::Reported);
}

bool TModbus::PollStatus(uint8_t address)
{
    if (!CanExchange(FrameLength::ShortRequest, FrameLength::ExceptionAnswer)) {
        ShowStatus(LinkText::SendFailed());
        return false;
    }
    ExpectAnswer(address, ModbusCode::PollStatus);
    Buffer[0] = address;
    Buffer[1] = ModbusCode::PollStatus;
    if (!SendRequest(CloseFrame(Buffer, 2)))
        return false;
    int received = 0;
    if (!ReceiveFrame(Buffer, FrameLength::PollAnswer, received, AnswerTimeout)) {
        ShowReceiveFailure();
        return false;
    }
    // An exception answer (the panel still busy) carries one byte more.
    if (Buffer[1] & ModbusCode::ExceptionBit) {
        int more = 0;
        if (!ReceiveFrame(Buffer + FrameLength::PollAnswer, 1, more, AnswerTimeout)) {
            ShowReceiveFailure();
            return false;
        }
        received += more;
    }
    return Judge(received, AnswerCheck::Reported);
}

bool TModbus::ReadVersion(uint8_t address)
{
    if (!CanExchange(FrameLength::VersionRequest, FrameLength::VersionAnswer)) {
        ShowStatus(LinkText::SendFailed());
        return false;
    }
    const int length = BuildProgrammingRequest(address, ProgrammingCommand::ReadVersion, 0);
    return Exchange(length, 0, FrameLength::VersionAnswer, AnswerCheck::Enforced);
}

bool TModbus::ReadBlock(uint8_t address, int block)
{
    if (!IsBlockNumber(block) ||
        !CanExchange(FrameLength::BlockOverhead,
                     BlockLengthTable[block].Read + FrameLength::BlockOverhead)) {
        ShowStatus(LinkText::SendFailed());
        return false;
    }
    Buffer[5] = uint8_t(block);
    const int length = BuildProgrammingRequest(address, ProgrammingCommand::ReadBlock, 1);
    return Exchange(length, ProgrammingPauseMs,
                    BlockLengthTable[block].Read + FrameLength::BlockOverhead,
                    AnswerCheck::Enforced);
}

bool TModbus::WriteBlock(uint8_t address, int block, const uint8_t* payload)
{
    if (!IsBlockNumber(block) || !payload ||
        !CanExchange(BlockLengthTable[block].Write + FrameLength::BlockOverhead,
                     FrameLength::ShortAnswer)) {
        ShowStatus(LinkText::SendFailed());
        return false;
    }
    const int payloadLength = BlockLengthTable[block].Write;
    Buffer[5] = uint8_t(block);
    std::memmove(Buffer + FrameLength::BlockPayloadOffset, payload, size_t(payloadLength));
    const int length =
        BuildProgrammingRequest(address, ProgrammingCommand::WriteBlock, 1 + payloadLength);
    if (!Exchange(length, ProgrammingPauseMs, FrameLength::ShortAnswer, AnswerCheck::Enforced))
        return false;
    // A refusal (function | 0x80 and an exception code) is as long as the
    // acknowledgement and passes its CRC: only the function byte tells them
    // apart, and a refused block was not written.
    return Buffer[1] == ModbusCode::Programming;
}

bool TModbus::ApplyConfig(uint8_t address)
{
    if (!CanExchange(FrameLength::VersionRequest, FrameLength::ShortAnswer)) {
        ShowStatus(LinkText::SendFailed());
        return false;
    }
    const int length = BuildProgrammingRequest(address, ProgrammingCommand::Apply, 0);
    return Exchange(length, ProgrammingPauseMs, FrameLength::ShortAnswer, AnswerCheck::None);
}
