#include "link/frame_notes.h"

#include "link/block_lengths.h"
#include "link/link_texts.h"
#include "link/modbus_codes.h"
#include "model/crc16.h"

namespace {

uint8_t At(const QByteArray& frame, int i)
{
    return uint8_t(frame[i]);
}

// The length of a complete normal answer to `request`, or 0 when the
// request does not fix it (identification, an unknown function).
int AnswerLength(const QByteArray& request)
{
    if (request.size() < 2)
        return 0;
    switch (At(request, 1)) {
        case ModbusCode::PollStatus: return FrameLength::PollAnswer;
        case ModbusCode::Programming: break;
        default: return 0;
    }
    if (request.size() < 5)
        return 0;
    switch (At(request, 4)) {
        case ProgrammingCommand::ReadVersion: return FrameLength::VersionAnswer;
        case ProgrammingCommand::ReadBlock:
            if (request.size() > 5 && At(request, 5) < BlockLengthTable.size())
                return BlockLengthTable[At(request, 5)].Read + FrameLength::BlockOverhead;
            return 0;
        case ProgrammingCommand::WriteBlock:
        case ProgrammingCommand::Apply: return FrameLength::ShortAnswer;
        default: return 0;
    }
}

}  // namespace

QString RequestNote(const QByteArray& request)
{
    if (request.size() < 2)
        return LinkText::FrameTooShort();
    const uint8_t function = At(request, 1);
    if (function == ModbusCode::ReportSlaveId)
        return QStringLiteral("идентификация");
    if (function == ModbusCode::PollStatus)
        return QStringLiteral("опрос");
    if (function == ModbusCode::Programming && request.size() >= 5) {
        const uint8_t command = At(request, 4);
        const QString block = request.size() >= 6 ? QString::number(At(request, 5)) : QString();
        switch (command) {
            case ProgrammingCommand::ReadVersion: return QStringLiteral("чтение версии");
            case ProgrammingCommand::ReadBlock: return QStringLiteral("чтение блока ") + block;
            case ProgrammingCommand::WriteBlock: return QStringLiteral("запись блока ") + block;
            case ProgrammingCommand::Apply: return QStringLiteral("применение");
            default: break;
        }
    }
    return QStringLiteral("функция %1").arg(function);
}

QString AnswerNote(const QByteArray& request, const QByteArray& answer)
{
    const int count = int(answer.size());
    const int expected = AnswerLength(request);
    auto shortAnswer = [&] {
        return QStringLiteral("короткий ответ: %1 из %2 байт").arg(count).arg(expected);
    };
    if (count < FrameLength::ShortRequest)
        return expected > 0 ? shortAnswer() : LinkText::FrameTooShort();
    const bool intact =
        Crc16(reinterpret_cast<const uint8_t*>(answer.constData()), size_t(count)) == 0;
    if (!intact)
        return expected > count ? shortAnswer() : QStringLiteral("ошибка CRC");
    const uint8_t function = At(answer, 1);
    if (request.size() >= 2 && (At(answer, 0) != At(request, 0) ||
                                (function & ~ModbusCode::ExceptionBit) != At(request, 1)))
        return LinkText::ForeignAnswer(At(answer, 0), function);
    if ((function & ModbusCode::ExceptionBit) && count >= FrameLength::ExceptionAnswer)
        return QStringLiteral("исключение %1")
            .arg(QString::number(At(answer, 2), 16).toUpper(), 2, QLatin1Char('0'));
    if (expected > count)
        return shortAnswer();
    return QStringLiteral("ответ");
}
