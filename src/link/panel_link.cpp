#include "link/panel_link.h"

#include "link/link_texts.h"
#include "link/modbus.h"
#include "link/modbus_codes.h"
#include "link/pause.h"
#include "model/command_error.h"
#include "model/crc16.h"

#include <QElapsedTimer>

#include <array>
#include <cstring>

namespace {
constexpr int IdentAnswerLength = 8;
constexpr unsigned long StepPauseMs = 20;
constexpr std::array<uint8_t, 4> Orl07Ident{0x03, 0x20, 0x07, 0x32};
constexpr std::array<uint8_t, 4> Orl09Ident{0x03, 0x0C, 0x09, 0x32};
constexpr uint8_t PollFunction = 14;
constexpr uint8_t ApplyNotStartedCode = 1;
}  // namespace

namespace PanelText {
QString OpenError(const QString& portName)
{
    return QStringLiteral("Невозможно открыть порт ") + portName;
}
QString OpenErrorDetail(const TModbus& channel)
{
    QString detail = LinkText::OpenFailureReason(channel.LastOpenErrorText());
    if (channel.LastOpenWasPermissionDenied())
        detail += QStringLiteral(
            "\n\nНет прав на порт. Добавьте пользователя в группу dialout "
            "(sudo usermod -aG dialout $USER) и войдите в систему заново.");
    return detail;
}

QString NoAnswer(const QString& addressText, const QString& portName)
{
    return LinkText::DeviceOnPort(addressText, portName) +
           QStringLiteral("  не отвечает на запросы");
}
QString WrongDevice(const QString& addressText, const QString& portName)
{
    return LinkText::DeviceOnPort(addressText, portName) +
           QStringLiteral("  не является ОРЛ-07 или ОРЛ-09");
}
QString VersionConflict(int major, int minor)
{
    return QString::asprintf("Конфликт версий ПО - требуется программатор v%d.%d0", major, minor);
}
QString IoError()
{
    return QStringLiteral("Ошибка I/O");
}
QString LineLost(const QString& reason, bool network)
{
    return (network ? QStringLiteral("Связь со шлюзом потеряна: ")
                    : QStringLiteral("Адаптер отключён: ")) +
           reason;
}
QString ApplyNotStarted()
{
    return QStringLiteral("Программирование не запускалось");
}
QString ApplyRefused(int code)
{
    return QStringLiteral("Панель отвергла применение: код %1").arg(code);
}
}  // namespace PanelText

PanelLink::PanelLink(TModbus& channel, StatusSink status)
    : m_channel(channel), m_status(std::move(status))
{
}

void PanelLink::ShowStatus(const QString& text) const
{
    if (m_status)
        m_status(text);
}

void PanelLink::Fail(const QString& message) const
{
    const QString reason = m_channel.LineFailure();
    if (reason.isEmpty())
        throw CommandError(message);
    throw CommandError(message, PanelText::LineLost(reason, m_network), true);
}

int PanelLink::Connect(const LinkSettings& settings, bool checkVersion)
{
    const uint8_t address = uint8_t(StrToInt(settings.AddressText));
    m_network = settings.DevicePath.contains(QLatin1String("://"));
    m_channel.SetEchoMode(settings.Line.Echo);
    if (m_channel.OpenPort(settings.DevicePath, settings.Line, true, 256) == TModbus::ClosedMarker)
        throw CommandError(PanelText::OpenError(settings.PortName),
                           PanelText::OpenErrorDetail(m_channel));

    if (!m_channel.ReportSlaveId(address, IdentAnswerLength))
        Fail(PanelText::NoAnswer(settings.AddressText, settings.PortName));
    int family;
    if (std::memcmp(m_channel.Buffer + 2, Orl07Ident.data(), Orl07Ident.size()) == 0)
        family = 0;
    else if (std::memcmp(m_channel.Buffer + 2, Orl09Ident.data(), Orl09Ident.size()) == 0)
        family = 1;
    else
        throw CommandError(PanelText::WrongDevice(settings.AddressText, settings.PortName));

    Pause(StepPauseMs);
    if (!m_channel.ReadVersion(address))
        Fail(PanelText::NoAnswer(settings.AddressText, settings.PortName));
    const int major = m_channel.Buffer[5];
    const int minor = m_channel.Buffer[6];
    if (checkVersion && (major != ProgrammerVersionMajor || minor != ProgrammerVersionMinor))
        throw CommandError(PanelText::VersionConflict(major, minor));
    return family;
}

int PanelLink::ConnectWithin(const LinkSettings& settings, bool checkVersion, int waitMs)
{
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        try {
            return Connect(settings, checkVersion);
        } catch (const CommandError&) {
            Disconnect();
            if (clock.elapsed() >= waitMs)
                throw;
            Pause(StepPauseMs * 5);
        }
    }
}

ProbeAnswer PanelLink::WhoAnswers(uint8_t address)
{
    const ProbeAnswer answer = ProbeAddress(m_channel, address, int(m_channel.AnswerTimeout));
    // Not knowing is not "free".
    if (answer.Result == ProbeAnswer::Kind::Failed)
        Fail(PanelText::IoError());
    return answer;
}

void PanelLink::Disconnect()
{
    m_channel.ClosePort();
}

void PanelLink::ReadBlocks(uint8_t address, ConfigImage& buffer)
{
    for (int block = 0; block < DeviceBlockCount; ++block) {
        Pause(StepPauseMs);
        if (!m_channel.ReadBlock(address, block)) {
            ShowStatus(QStringLiteral("Block: ") + QString::number(block));
            Fail(PanelText::IoError());
        }
        const ConfigBlock& b = BlockDirectory[block];
        std::memcpy(buffer.data() + b.Offset, m_channel.Buffer + 6, size_t(b.Length));
    }
}

void PanelLink::WriteBlocks(uint8_t address, const ConfigImage& image, int* unanswered)
{
    if (unanswered)
        *unanswered = 0;
    for (int block = 0; block < DeviceBlockCount; ++block) {
        Pause(StepPauseMs);
        if (!m_channel.WriteBlock(address, block, image.data() + BlockDirectory[block].Offset)) {
            ShowStatus(QString::number(block));
            Fail(PanelText::IoError());
        }
        // The poll request carries 14 at position 1 and its answer overwrites
        // it: a normal answer ends the wait, an exception (still busy) polls
        // again, and a poll without any answer leaves the 14 in place. An
        // answer for another panel tells nothing of this one: poll again.
        bool ready = false;
        bool answered = false;
        for (int poll = 0; poll < PollsPerBlock && !ready; ++poll) {
            Pause(StepPauseMs);
            answered = m_channel.PollStatus(address) && !m_channel.LastAnswerForeign();
            ready = !m_channel.LastAnswerForeign() && m_channel.Buffer[1] == PollFunction;
            // A line that failed answers no poll: the wait must not pass.
            if (!m_channel.LineFailure().isEmpty())
                Fail(PanelText::IoError());
        }
        if (!ready)
            Fail(PanelText::IoError());
        if (!answered && unanswered)
            ++*unanswered;
    }
}

bool PanelLink::Apply(uint8_t address)
{
    const bool answered = m_channel.ApplyConfig(address);
    // Without an answer the buffer still holds the request: nothing to say.
    if (m_channel.LastAnswerForeign() || !m_channel.LineFailure().isEmpty())
        Fail(PanelText::IoError());
    if (answered && m_channel.Buffer[1] == (ModbusCode::Programming | ModbusCode::ExceptionBit))
        throw CommandError(PanelText::ApplyRefused(m_channel.Buffer[2]));
    if (m_channel.Buffer[2] == ApplyNotStartedCode)
        throw CommandError(PanelText::ApplyNotStarted());
    return answered;
}

std::optional<int> PanelLink::VerifyBlocks(uint8_t address, const ConfigImage& expected,
                                           ConfigImage& held)
{
    held = expected;
    ReadBlocks(address, held);
    for (int block = 0; block < DeviceBlockCount; ++block) {
        const ConfigBlock& b = BlockDirectory[block];
        for (int i = b.Offset; i < b.CrcOffset(); ++i)
            if (held[i] != expected[i])
                return i;
    }
    return std::nullopt;
}

FirmwareInfo PanelLink::ReadFirmware(uint8_t address)
{
    if (!m_channel.ReadVersion(address))
        Fail(PanelText::IoError());
    return {m_channel.Buffer[5], m_channel.Buffer[6], m_channel.Buffer[7]};
}

QString PanelText::FirmwareText(const FirmwareInfo& fw)
{
    return QStringLiteral("ПО %1.%2, ревизия аппаратуры 0x%3")
        .arg(fw.Major)
        .arg(fw.Minor)
        .arg(QStringLiteral("%1").arg(fw.HardwareRevision, 2, 16, QLatin1Char('0')).toUpper());
}
