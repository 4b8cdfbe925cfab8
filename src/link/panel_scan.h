#pragma once

#include "link/panel_link.h"

#include <QList>

#include <functional>

// What answered at one address of a scan.
struct ScanHit {
    uint8_t Address = 0;
    QString Device;   // "ОРЛ-07", "ОРЛ-09" or "неизвестное устройство"
    int Family = -1;  // 0, 1; -1 for another device
    bool HasFirmware = false;
    FirmwareInfo Firmware;
    // The line settings it answered at.
    int BaudRate = 9600;
    int StopBits = 2;
    int Parity = 0;
};

// Finds the panels on a line: identification at each address with a short
// answer wait, then the firmware of each that answers.
class PanelScan {
public:
    using Progress = std::function<void(int done, int total)>;

    explicit PanelScan(TModbus& channel);

    // The answer wait of a scan at a baud rate and stop bits: the longest
    // answer's time on the line (the 10-byte version answer) plus a margin
    // for the panel's turnaround and the serial driver's latency.
    static int AnswerWaitMs(int baudRate, int stopBits, int parity);
    static constexpr int MarginMs = 16;

    // Every line setting the ModBus page offers, `port`'s device kept:
    // each baud rate with two and one stop bits and no, even and odd parity.
    static QList<LinkSettings> EveryLineSetting(const LinkSettings& port);

    // One pass over `addresses` at the line settings of `settings`; `waitMs`
    // 0 means AnswerWaitMs. Raises the open error when the port cannot be
    // opened; the port is closed afterwards.
    QList<ScanHit> Scan(const LinkSettings& settings, const QList<uint8_t>& addresses, int waitMs,
                        const Progress& progress = {});

private:
    TModbus& m_channel;
};
