#include "line_device.h"

#include "model/device_models.h"

#include <type_traits>

uint8_t LineDevice::Address() const
{
    return std::visit(
        [](const auto& device) -> uint8_t {
            if constexpr (std::is_same_v<std::decay_t<decltype(device)>, PanelResponder>)
                return device.Identity().Address;
            else
                return device.Address();
        },
        m_device);
}

bool LineDevice::Listens(int baudRate, bool twoStopBits) const
{
    return std::visit([&](const auto& device) { return device.Listens(baudRate, twoStopBits); },
                      m_device);
}

PanelAnswer LineDevice::Respond(const QByteArray& request)
{
    return std::visit([&](auto& device) { return device.Respond(request); }, m_device);
}

QString LineDevice::Describe() const
{
    if (const PanelResponder* panel = Panel()) {
        const PanelIdentity& id = panel->Identity();
        QString family = QStringLiteral("device %1").arg(id.Ident[2], 2, 16, QLatin1Char('0'));
        for (int code : {0, 1})
            if (id.Ident == PanelResponder::FamilyIdent(code))
                family = FamilyName(code);
        return QStringLiteral("panel %1, firmware %2.%3, revision %4")
            .arg(family)
            .arg(id.FirmwareMajor)
            .arg(id.FirmwareMinor)
            .arg(id.HardwareRevision);
    }
    if (const auto* modbus = std::get_if<ModbusResponder>(&m_device))
        return modbus->IdentException() ? QStringLiteral("Modbus device (refuses function 17)")
                                        : QStringLiteral("Modbus device");
    return QStringLiteral("garbling device (answers with a wrong CRC)");
}
