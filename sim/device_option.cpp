#include "device_option.h"

#include <QStringList>

namespace {

std::optional<DeviceOption> Refuse(QString* error, const QString& why)
{
    if (error)
        *error = why;
    return std::nullopt;
}

}  // namespace

bool ParseByteOption(const QString& text, uint8_t& value)
{
    bool ok = false;
    const int n = text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)
                      ? text.mid(2).toInt(&ok, 16)
                      : text.toInt(&ok);
    value = uint8_t(n);
    return ok && n >= 0 && n <= 255;
}

bool ParseFirmwareOption(const QString& text, uint8_t& major, uint8_t& minor)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    return parts.size() == 2 && ParseByteOption(parts[0], major) &&
           ParseByteOption(parts[1], minor);
}

std::optional<DeviceOption> DeviceOption::Parse(const QString& text, QString* error)
{
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    if (colon <= 0)
        return Refuse(error, QStringLiteral("takes ADDR:KIND[,key=value...], e.g. 3:panel07"));
    DeviceOption device;
    uint8_t address = 0;
    if (!ParseByteOption(text.left(colon), address) || address == 0)
        return Refuse(error, QStringLiteral("the address must be 1..255"));
    device.Address = address;
    const QStringList parts = text.mid(colon + 1).split(QLatin1Char(','));
    const QString kind = parts.first();
    if (kind == QLatin1String("panel07") || kind == QLatin1String("panel09")) {
        device.DeviceKind = Kind::Panel;
        device.Family = kind == QLatin1String("panel09") ? 1 : 0;
    } else if (kind == QLatin1String("modbus")) {
        device.DeviceKind = Kind::Modbus;
    } else if (kind == QLatin1String("garbled")) {
        device.DeviceKind = Kind::Garbled;
    } else {
        return Refuse(error, QStringLiteral("unknown kind \"%1\" (panel07, panel09, modbus or "
                                            "garbled)")
                                 .arg(kind));
    }
    for (const QString& part : parts.mid(1)) {
        const qsizetype equals = part.indexOf(QLatin1Char('='));
        const QString key = equals < 0 ? part : part.left(equals);
        const QString value = equals < 0 ? QString() : part.mid(equals + 1);
        const bool panel = device.DeviceKind == Kind::Panel;
        if (key == QLatin1String("firmware") && panel && equals >= 0) {
            uint8_t major = 0;
            if (!ParseFirmwareOption(value, major, device.FirmwareMinor))
                return Refuse(error, QStringLiteral("firmware takes major.minor, e.g. 1.7"));
            device.FirmwareMajor = major;
        } else if (key == QLatin1String("revision") && panel && equals >= 0) {
            uint8_t revision = 0;
            if (!ParseByteOption(value, revision))
                return Refuse(error, QStringLiteral("revision takes 0..255"));
            device.Revision = revision;
        } else if (key == QLatin1String("ident-exception") && device.DeviceKind == Kind::Modbus &&
                   equals < 0) {
            device.IdentException = true;
        } else {
            return Refuse(error, QStringLiteral("\"%1\" does not apply to %2").arg(part, kind));
        }
    }
    return device;
}
