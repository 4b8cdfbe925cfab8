#include "link/panel_probe.h"

#include "link/hex_text.h"
#include "link/modbus.h"
#include "link/modbus_codes.h"
#include "model/crc16.h"
#include "model/device_models.h"

#include <array>
#include <cstring>

namespace {
constexpr std::array<std::array<uint8_t, 4>, 2> PanelIdents{{
    {0x03, 0x20, 0x07, 0x32},  // ОРЛ-07
    {0x03, 0x0C, 0x09, 0x32},  // ОРЛ-09
}};

QString NotPanel(const QString& what)
{
    return QStringLiteral("устройство Modbus, не ОРЛ: ") + what;
}
}  // namespace

bool ProbeAnswer::Occupied() const
{
    return Result == Kind::Panel || Result == Kind::OtherIdent || Result == Kind::Exception ||
           Result == Kind::Broken;
}

QString ProbeAnswer::Text() const
{
    switch (Result) {
        case Kind::Panel: return FamilyName(Family);
        case Kind::OtherIdent:
            if (Function != ModbusCode::ReportSlaveId)
                return NotPanel(QStringLiteral("ответ функцией %1").arg(Function));
            return NotPanel(QStringLiteral("идентификатор ") + HexText(Ident));
        case Kind::Exception:
            return NotPanel(
                QStringLiteral("исключение ") +
                QStringLiteral("%1").arg(ExceptionCode, 2, 16, QLatin1Char('0')).toUpper());
        case Kind::Broken: return QStringLiteral("ответ с ошибкой CRC");
        case Kind::Silent:
        case Kind::Foreign:
        case Kind::Failed: break;
    }
    return {};
}

QString ProbeAnswer::KindWord() const
{
    switch (Result) {
        case Kind::Panel: return QStringLiteral("panel");
        case Kind::OtherIdent:
        case Kind::Exception: return QStringLiteral("modbus");
        case Kind::Broken: return QStringLiteral("broken");
        default: return {};
    }
}

ProbeAnswer JudgeIdentAnswer(const uint8_t* frame, int count, uint8_t address)
{
    ProbeAnswer a;
    if (count <= 0)
        return a;
    if (count < FrameLength::ExceptionAnswer || Crc16(frame, size_t(count)) != 0) {
        a.Result = ProbeAnswer::Kind::Broken;
        return a;
    }
    a.Function = frame[1];
    if (frame[0] != address) {
        a.Result = ProbeAnswer::Kind::Foreign;
        return a;
    }
    if (frame[1] == (ModbusCode::ReportSlaveId | ModbusCode::ExceptionBit)) {
        a.Result = ProbeAnswer::Kind::Exception;
        a.ExceptionCode = frame[2];
        return a;
    }
    a.Result = ProbeAnswer::Kind::OtherIdent;
    if (frame[1] != ModbusCode::ReportSlaveId)
        return a;
    a.Ident = QByteArray(reinterpret_cast<const char*>(frame + 3), count - 3 - FrameLength::Crc);
    if (count == FrameLength::IdentAnswer) {
        for (int family = 0; family < int(PanelIdents.size()); ++family) {
            if (std::memcmp(frame + 2, PanelIdents[family].data(), 4) == 0) {
                a.Result = ProbeAnswer::Kind::Panel;
                a.Family = family;
            }
        }
    }
    return a;
}

ProbeAnswer ProbeAddress(TModbus& channel, uint8_t address, int firstByteMs)
{
    const int got = channel.ProbeIdentification(address, firstByteMs);
    if (got < 0) {
        ProbeAnswer failed;
        failed.Result = ProbeAnswer::Kind::Failed;
        return failed;
    }
    return JudgeIdentAnswer(channel.Buffer, got, address);
}
