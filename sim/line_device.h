#pragma once

#include "garbled_responder.h"
#include "modbus_responder.h"
#include "panel_responder.h"

#include <QString>

#include <variant>

// One device on the simulated line: an ОРЛ panel, a generic Modbus device
// or a garbling one. Every device hears every request and answers those to
// its own address while the line runs at its settings.
class LineDevice {
public:
    enum class Kind { Panel, Modbus, Garbled };

    LineDevice(const PanelResponder& panel) : m_device(panel) {}
    LineDevice(const ModbusResponder& modbus) : m_device(modbus) {}
    LineDevice(const GarbledResponder& garbled) : m_device(garbled) {}

    Kind DeviceKind() const { return Kind(m_device.index()); }
    uint8_t Address() const;
    bool Listens(int baudRate, bool twoStopBits) const;
    PanelAnswer Respond(const QByteArray& request);
    // "panel ОРЛ-07, firmware 1.7, revision 1", "Modbus device", ...
    QString Describe() const;

    // The panel, or null for a device of another kind.
    PanelResponder* Panel() { return std::get_if<PanelResponder>(&m_device); }
    const PanelResponder* Panel() const { return std::get_if<PanelResponder>(&m_device); }

private:
    std::variant<PanelResponder, ModbusResponder, GarbledResponder> m_device;
};
