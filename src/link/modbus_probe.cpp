// The scan's identification: an answer of any length, from any device.
#include "link/frame_crc.h"
#include "link/link_texts.h"
#include "link/modbus.h"
#include "link/modbus_codes.h"
#include "model/crc16.h"

#include <algorithm>
#include <cstring>

namespace {
// The length of the answer that starts with `got` bytes of `frame`: 0 while
// it cannot be told yet (or never: another function ends at a silence).
int KnownLength(const uint8_t* frame, int got)
{
    if (got >= 2 && (frame[1] & ModbusCode::ExceptionBit))
        return FrameLength::ExceptionAnswer;
    if (got >= 3 && frame[1] == ModbusCode::ReportSlaveId)
        return 3 + frame[2] + FrameLength::Crc;
    return 0;
}
}  // namespace

int TModbus::ProbeIdentification(uint8_t address, int firstByteMs)
{
    if (!CanExchange(FrameLength::ShortRequest, FrameLength::IdentAnswer)) {
        ShowStatus(LinkText::SendFailed());
        return -1;
    }
    ExpectAnswer(address, ModbusCode::ReportSlaveId);
    Buffer[0] = address;
    Buffer[1] = ModbusCode::ReportSlaveId;
    if (!SendRequest(CloseFrame(Buffer, 2)))
        return -1;

    // The first byte: within the turnaround allowance. A gateway that
    // reports a silent device answers every request, late or not: wait for
    // its word, or another request would queue behind this one there.
    const uint32_t firstWait =
        m_line->ReportsSilence() ? AnswerTimeout : uint32_t(std::max(firstByteMs, 0));
    const QDeadlineTimer first = AnswerDeadline(firstWait);
    const QDeadlineTimer full = AnswerDeadline(AnswerTimeout);
    if (m_echoDue && !TakeEcho(first)) {
        ShowReceiveFailure();
        return -1;
    }
    bool failed = false;
    int got = ReadInto(Buffer, 1, first, failed);
    // The rest: up to the full answer wait, to its length (or, when that
    // cannot be told, to a silence).
    const qint64 silenceNs = SilenceUs() * 1000;
    while (got > 0 && !failed && got < m_bufferSize) {
        const int length = std::min(KnownLength(Buffer, got), m_bufferSize);
        if (length > 0 && got >= length)
            break;
        // A frame of known length may take the full wait; another ends at
        // the line's silence.
        const qint64 leftNs =
            length > 0 ? full.remainingTimeNSecs()
                       : std::min(full.remainingTimeNSecs(),
                                  std::max<qint64>(0, silenceNs - m_lastInput.nsecsElapsed()));
        if (leftNs <= 0)
            break;
        const int want = length > 0 ? length - got : 1;
        const int more =
            ReadInto(Buffer + got, want, QDeadlineTimer(std::chrono::nanoseconds(leftNs)), failed);
        got += more;
    }
    Trace(TraceKind::Received, Buffer, got);
    ShowStatus(QString::number(got));
    if (failed && got == 0)
        return -1;
    if (got > 0)
        ShowStatus(CrcStatusText(Crc16(Buffer, size_t(got))));
    return got;
}
