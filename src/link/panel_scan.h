#pragma once

#include "link/panel_link.h"

#include <QList>

#include <functional>

// What answered at one address of a scan.
struct ScanHit {
    uint8_t Address = 0;
    ProbeAnswer Answer;
    QString Device;  // as ProbeAnswer::Text names it: "ОРЛ-07", "устройство Modbus, ..."
    int Family = -1;  // 0, 1; -1 for another device
    bool HasFirmware = false;
    FirmwareInfo Firmware;
    // The line settings it answered at.
    SerialSettings Line;
};

// Finds what answers on a line: identification at each address with a
// short wait for the first byte, then the firmware of each panel. Any
// answer at all lists its address: another Modbus device, a broken frame.
class PanelScan {
public:
    using Progress = std::function<void(int done, int total)>;
    // Asked before each address: true ends the pass there.
    using StopCheck = std::function<bool()>;
    // Each hit as soon as it is complete (its firmware read), in line order.
    using HitSink = std::function<void(const ScanHit& hit)>;

    explicit PanelScan(TModbus& channel);

    // How long after a request's last byte the first byte of its answer
    // may come (the device's turnaround; the line's own latency, a
    // network's or an adapter's, is added to it).
    static constexpr int TurnaroundAllowanceMs = 25;

    // Every line setting the ModBus page offers, `port`'s device kept:
    // each baud rate with two and one stop bits and no, even and odd parity.
    static QList<LinkSettings> EveryLineSetting(const LinkSettings& port);

    // For a scan that someone watches and may end early (the window's).
    void SetStopCheck(StopCheck stop) { m_stop = std::move(stop); }
    void SetHitSink(HitSink sink) { m_hitSink = std::move(sink); }

    // One pass over `addresses` at the line settings of `settings`; `waitMs`
    // is the turnaround allowance, 0 for TurnaroundAllowanceMs. Raises the open error when the port
    // cannot be opened; the port is closed afterwards. A pass the stop
    // check ends gives the hits before that address.
    QList<ScanHit> Scan(const LinkSettings& settings, const QList<uint8_t>& addresses, int waitMs,
                        const Progress& progress = {});

private:
    TModbus& m_channel;
    StopCheck m_stop;
    HitSink m_hitSink;
};
