#include "link/panel_scan.h"

#include "link/modbus.h"
#include "link/pause.h"
#include "link/port_line.h"
#include "model/command_error.h"
#include "model/mbus_settings.h"

namespace {
constexpr int LongestAnswer = 10;  // the version answer
constexpr unsigned long StepPauseMs = 20;
}  // namespace

PanelScan::PanelScan(TModbus& channel) : m_channel(channel) {}

int PanelScan::AnswerWaitMs(int baudRate, int stopBits, int parity)
{
    const LineSettings line{baudRate, stopBits, parity};
    const int baud = std::max(baudRate, 1);
    return (LongestAnswer * BitsPerChar(line) * 1000 + baud - 1) / baud + MarginMs;
}

QList<LinkSettings> PanelScan::EveryLineSetting(const LinkSettings& port)
{
    QList<LinkSettings> all;
    LinkSettings s = port;
    for (const BaudRateRow& row : BaudRateTable)
        for (const int stop : {2, 0})
            for (const int parity : {0, 2, 1}) {
                s.BaudRate = row.BitsPerSecond;
                s.StopBits = stop;
                s.Parity = parity;
                all << s;
            }
    return all;
}

QList<ScanHit> PanelScan::Scan(const LinkSettings& settings, const QList<uint8_t>& addresses,
                               int waitMs, const Progress& progress)
{
    if (m_channel.OpenPort(settings.DevicePath, settings.BaudRate, settings.StopBits,
                           settings.Parity, true, 256) == TModbus::ClosedMarker)
        throw CommandError(PanelText::OpenError(settings.PortName),
                           QStringLiteral("Причина: ") + m_channel.LastOpenErrorText());
    struct Closer {
        TModbus& Channel;
        uint32_t Timeout;
        ~Closer()
        {
            Channel.AnswerTimeout = Timeout;
            Channel.ClosePort();
        }
    } closer{m_channel, m_channel.AnswerTimeout};
    m_channel.AnswerTimeout = uint32_t(
        waitMs > 0 ? waitMs : AnswerWaitMs(settings.BaudRate, settings.StopBits, settings.Parity));

    PanelLink link(m_channel);
    QList<ScanHit> hits;
    int done = 0;
    for (const uint8_t address : addresses) {
        if (const auto device = link.WhoAnswers(address)) {
            ScanHit hit;
            hit.Address = address;
            hit.Device = *device;
            hit.Family = *device == PanelText::FamilyName(0)   ? 0
                         : *device == PanelText::FamilyName(1) ? 1
                                                               : -1;
            hit.BaudRate = settings.BaudRate;
            hit.StopBits = settings.StopBits;
            hit.Parity = settings.Parity;
            if (hit.Family >= 0)
                Pause(StepPauseMs);
            if (hit.Family >= 0 && m_channel.ReadVersion(address)) {
                hit.HasFirmware = true;
                hit.Firmware = {m_channel.Buffer[5], m_channel.Buffer[6], m_channel.Buffer[7]};
            }
            hits << hit;
        }
        if (progress)
            progress(++done, int(addresses.size()));
    }
    return hits;
}
