#include "link/panel_scan.h"

#include "link/link_texts.h"
#include "link/modbus.h"
#include "link/pause.h"
#include "link/port_line.h"
#include "model/command_error.h"
#include "model/mbus_settings.h"

namespace {
constexpr unsigned long StepPauseMs = 20;
}  // namespace

PanelScan::PanelScan(TModbus& channel) : m_channel(channel) {}

QList<LinkSettings> PanelScan::EveryLineSetting(const LinkSettings& port)
{
    QList<LinkSettings> all;
    LinkSettings s = port;
    for (const BaudRateRow& row : BaudRateTable)
        for (const int stop : {2, 1})
            for (const Parity parity : {Parity::None, Parity::Even, Parity::Odd}) {
                s.Line.BaudRate = row.BitsPerSecond;
                s.Line.StopBits = stop;
                s.Line.Parity = parity;
                all << s;
            }
    return all;
}

QList<ScanHit> PanelScan::Scan(const LinkSettings& settings, const QList<uint8_t>& addresses,
                               int waitMs, const Progress& progress)
{
    m_channel.SetEchoMode(settings.Line.Echo);
    if (m_channel.OpenPort(settings.DevicePath, settings.Line, true, 256) == TModbus::ClosedMarker)
        throw CommandError(PanelText::OpenError(settings.PortName),
                           PanelText::OpenErrorDetail(m_channel));
    struct Closer {
        TModbus& Channel;
        ~Closer() { Channel.ClosePort(); }
    } closer{m_channel};
    const int allowance = waitMs > 0 ? waitMs : TurnaroundAllowanceMs;

    QList<ScanHit> hits;
    int done = 0;
    for (const uint8_t address : addresses) {
        if (m_stop && m_stop())
            break;
        const ProbeAnswer answer = ProbeAddress(m_channel, address, allowance);
        if (answer.Occupied()) {
            ScanHit hit;
            hit.Address = address;
            hit.Answer = answer;
            hit.Device = answer.Text();
            hit.Family = answer.Family;
            hit.Line = settings.Line;
            if (hit.Family >= 0) {
                Pause(StepPauseMs);
                if (m_channel.ReadVersion(address)) {
                    hit.HasFirmware = true;
                    hit.Firmware = {m_channel.Buffer[5], m_channel.Buffer[6], m_channel.Buffer[7]};
                }
            }
            hits << hit;
            if (m_hitSink)
                m_hitSink(hit);
        }
        if (progress)
            progress(++done, int(addresses.size()));
    }
    return hits;
}
