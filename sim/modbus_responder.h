#pragma once

#include "panel_responder.h"

#include <QByteArray>

#include <cstdint>

// A generic Modbus device on the panels' line, such as a meter: it
// identifies itself with a long answer to function 17 (or refuses that
// function), answers register reads (functions 3 and 4, each register
// holding its own number) and refuses every other function with the
// exception "illegal function". It answers only intact requests to its own
// address, and only while the line runs at its baud rate and stop bits.
class ModbusResponder {
public:
    static constexpr int MaxRegisters = 125;

    explicit ModbusResponder(uint8_t address = 1, bool identException = false);

    uint8_t Address() const { return m_address; }
    bool IdentException() const { return m_identException; }
    void SetLineSettings(int baudRate, bool twoStopBits);
    bool Listens(int baudRate, bool twoStopBits) const;

    PanelAnswer Respond(const QByteArray& request) const;

private:
    QByteArray RegisterAnswer(const QByteArray& request) const;
    QByteArray Exception(uint8_t function, uint8_t code) const;

    uint8_t m_address;
    bool m_identException;
    int m_baudRate = 9600;
    bool m_twoStopBits = true;
};
