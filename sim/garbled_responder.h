#pragma once

#include "panel_responder.h"

#include <QByteArray>

#include <cstdint>

// A device that answers every request to its address with noise: a frame
// as long as a panel's answer would be, its address and function byte
// right, the rest scrambled and the CRC wrong (a device at another
// setting, or a failing transceiver). It keeps nothing a request writes.
class GarbledResponder {
public:
    explicit GarbledResponder(uint8_t address = 1);

    uint8_t Address() const { return m_model.Identity().Address; }
    void SetLineSettings(int baudRate, bool twoStopBits);
    bool Listens(int baudRate, bool twoStopBits) const;

    PanelAnswer Respond(const QByteArray& request) const;

private:
    PanelResponder m_model;  // the panel whose answers it garbles
};
