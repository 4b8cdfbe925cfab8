#pragma once

#include "model/config_image.h"
#include "panel_fault.h"

#include <QByteArray>
#include <QList>

#include <array>
#include <cstdint>

// Who the simulated panel says it is.
struct PanelIdentity {
    uint8_t Address = 1;
    // Positions 2..5 of the identification answer.
    std::array<uint8_t, 4> Ident{0x03, 0x20, 0x07, 0x32};
    uint8_t FirmwareMajor = 1;
    uint8_t FirmwareMinor = 7;
    uint8_t HardwareRevision = 1;
    // The line settings the panel listens at (its block 1 in use).
    int BaudRate = 9600;
    bool TwoStopBits = true;
};

// What the panel sends back for one request.
struct PanelAnswer {
    bool Send = false;
    QByteArray Bytes;
    int DelayMs = 0;
    bool Vanish = false;  // the line goes dead after this request
};

// The panel's side of the protocol, without any I/O: it keeps the stored
// configuration and answers one complete request frame at a time. It
// answers only intact requests to its own address.
class PanelResponder {
public:
    // Starts with the new configuration, block 1 holding its own address
    // and line settings.
    PanelResponder();
    // The identification of a family: 0 ОРЛ-07, 1 ОРЛ-09.
    static std::array<uint8_t, 4> FamilyIdent(int family);
    // The kind of a request frame, and its block number for block requests.
    static PanelRequest Classify(const QByteArray& frame, int* block = nullptr);

    PanelIdentity& Identity() { return m_identity; }
    const PanelIdentity& Identity() const { return m_identity; }
    ConfigImage& Image() { return m_image; }
    const ConfigImage& Image() const { return m_image; }

    void AddFault(const PanelFault& fault) { m_faults << fault; }
    void ClearFaults() { m_faults.clear(); }
    const QList<PanelFault>& Faults() const { return m_faults; }

    // Sets the address in use and the address of block 1 alike.
    void SetAddress(uint8_t address);
    // True when the line runs at the settings the panel listens at. Parity
    // is not compared: a pseudo-terminal does not carry it.
    bool Listens(int baudRate, bool twoStopBits) const;

    int ApplyCount() const { return m_applyCount; }
    int BlocksWritten() const { return m_blocksWritten; }

    PanelAnswer Respond(const QByteArray& request);

private:
    // The first fault that applies, used up once; Answer when none does.
    PanelFault TakeFault(PanelRequest request, int block);
    QByteArray NormalAnswer(PanelRequest request, int block, const QByteArray& frame,
                            PanelFault::Action fault);
    QByteArray ExceptionAnswer(uint8_t function, uint8_t code) const;
    // After an apply: the address and line settings of block 1 in use.
    void TakeLineSettingsIntoUse();

    PanelIdentity m_identity;
    ConfigImage m_image;
    QList<PanelFault> m_faults;
    int m_applyCount = 0;
    int m_blocksWritten = 0;
};
