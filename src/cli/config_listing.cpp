#include "cli/config_listing.h"

#include "link/hex_text.h"
#include "model/bits.h"
#include "model/dev_config.h"
#include "model/device_models.h"
#include "model/input_assignment.h"
#include "model/input_type.h"
#include "model/mbus_settings.h"
#include "model/out_data_base.h"
#include "model/output_activation.h"
#include "model/request_table.h"
#include "model/window_types.h"
#include "text/config_fields.h"

#include <algorithm>

namespace {

ListingField Field(const QString& label, const QString& text)
{
    return {label, text};
}

// A field of the table, with its value as the table reads it; under its
// own label unless one is given.
ListingField TableField(const QString& path, const ConfigImage& image, const QString& label = {})
{
    const FieldRow& row = *FindField(path);
    return {label.isEmpty() ? row.Label : label, FieldValueText(row, FieldValue(row, image))};
}

ListingSection DeviceSection(const ConfigImage& image, int32_t family)
{
    ListingSection s{QStringLiteral("Конфигурация"), {}};
    const ConfigState state{image, family, {}, false};
    const uint8_t inputs = image[DevConfig::InputModules];
    const uint8_t relays = image[DevConfig::RelayModules];
    const uint8_t windows = image[DevConfig::WindowCount];
    if (const auto row = FindDeviceModel(state)) {
        const DeviceModel& m = DeviceModels[*row];
        s.Fields << Field("Модель",
                          QStringLiteral("%1 (%2)").arg(QString::fromUtf8(m.Name),
                                                        QString::fromUtf8(m.Composition)));
    } else {
        s.Fields << Field("Модель",
                          QStringLiteral("нет такой модели (модулей входов %1, реле %2, окон %3, "
                                         "семейство %4)")
                              .arg(inputs)
                              .arg(relays)
                              .arg(windows)
                              .arg(family));
    }
    s.Fields << Field("Семейство", family == 1   ? QStringLiteral("ОРЛ-09")
                                   : family == 0 ? QStringLiteral("ОРЛ-07")
                                                 : QString::number(family));
    for (const char* path : {"device.input_modules", "device.relay_modules", "device.window_count",
                             "device.fixed_configuration"})
        s.Fields << TableField(QString::fromLatin1(path), image);
    const uint8_t timeout = image[DevConfig::LineTimeout];
    if (timeout == 0) {
        s.Fields << Field("Контроль линии связи", QStringLiteral("нет"));
    } else if (TimeoutIndexFor(timeout)) {
        s.Fields << Field("Контроль линии связи", QStringLiteral("да, таймаут %1 с").arg(timeout));
    } else {
        s.Fields << Field(
            "Контроль линии связи",
            QStringLiteral("таймаут не из списка: байт %1").arg(HexByteText(timeout)));
    }
    s.Fields << TableField("device.modbus_master", image);
    // What no control shows: the other bits of the flags, byte 4, bytes 6..19.
    QList<uint8_t> rest{uint8_t(image[DevConfig::DevFlags] & ~uint8_t(0x03)), image[4]};
    for (int i = DevConfig::ClearedByNewFrom; i < DevConfig::Length; ++i)
        rest << image[i];
    s.Fields << Field("Прочие байты (флаги 2-7, 4, 6-19)", HexText(rest.data(), rest.size()));
    return s;
}

ListingSection ModbusSection(const ConfigImage& image)
{
    ListingSection s{QStringLiteral("ModBus"), {}};
    const uint8_t address = image[MBusSettings::NetAddress];
    s.Fields << Field("Сетевой адрес", address == 0 ? QStringLiteral("0 (не показывается)")
                                                    : QString::number(address));
    for (const char* path : {"modbus.baud", "modbus.stop_bits", "modbus.parity"})
        s.Fields << TableField(QString::fromLatin1(path), image);
    const uint8_t flags = image[MBusSettings::LineFlags];
    const uint8_t rest[] = {uint8_t(flags & ~uint8_t(0x38)), image[MBusSettings::RateByte2],
                            image[MBusSettings::RateByte3], image[MBusSettings::Reserved5],
                            image[MBusSettings::Reserved6]};
    s.Fields << Field("Прочие байты (флаги, 3-6)", HexText(rest, sizeof rest));
    return s;
}

ListingSection InputsSection(const ConfigImage& image)
{
    ListingSection s{QStringLiteral("Входы"), {}};
    for (int n = 1; n <= InputType::InputCount; ++n)
        s.Fields << TableField(QStringLiteral("inputs[%1].contact").arg(n), image,
                               QStringLiteral("Вход %1").arg(n));
    return s;
}

QString SourcesText(const ConfigImage& image, int output, OutAction action)
{
    QStringList parts;
    for (OutSource source : {OutSource::Panel, OutSource::Modbus})
        if (OutputSource(image, output, action, source))
            parts << QString::fromUtf8(OutSourceName(source));
    const uint8_t code = image[ExternalInputOffsetOf(output, action)];
    if (const auto input = ExternalInputNumber(code))
        parts << QStringLiteral("вход %1").arg(*input);
    else if (code != OutDataBase::NoInput)
        parts << QStringLiteral("вход не показывается: байт %1").arg(HexByteText(code));
    return parts.isEmpty() ? QStringLiteral("—") : parts.join(QStringLiteral(", "));
}

ListingSection OutputsSection(const ConfigImage& image)
{
    ListingSection s{QStringLiteral("Выходы"), {}};
    for (int o = 1; o <= OutDataBase::OutputCount; ++o) {
        const uint8_t mode = image[OutModeOffsetOf(o)];
        const OutType type = OutTypeOf(mode);
        const QString label = QStringLiteral("Выход %1").arg(o);
        // The type decides which settings are locked (kept, but not in force).
        QString typeText = QString::fromUtf8(OutTypeText(type)).trimmed();
        const bool ackLocked = !OutActionAllowed(type, OutAction::Ack);
        const bool resetLocked = !OutActionAllowed(type, OutAction::Reset);
        if (ackLocked && resetLocked)
            typeText += QStringLiteral(" (квитирование и сброс заблокированы)");
        else if (ackLocked)
            typeText += QStringLiteral(" (квитирование заблокировано)");
        s.Fields << Field(label + ": тип", typeText);
        for (OutAction action : {OutAction::Ack, OutAction::Reset}) {
            s.Fields << Field(label + ": " + QString::fromUtf8(OutActionName(action)).toLower(),
                              SourcesText(image, o, action));
        }
        if (mode & OutDataBase::KeptBits)
            s.Fields << Field(label + ": биты 6-7", HexByteText(mode & OutDataBase::KeptBits));
    }
    return s;
}

ListingSection CrossbarSection(const ConfigImage& image)
{
    ListingSection s{QStringLiteral("Структура: назначение входов"), {}};
    for (int n = 1; n <= InputAssignment::Length; ++n) {
        s.Fields << TableField(QStringLiteral("inputs[%1].assignment").arg(n), image);
    }
    return s;
}

ListingSection ActivationSection(const ConfigImage& image)
{
    ListingSection s{QStringLiteral("Структура: активация выходов"), {}};
    for (int n = 1; n <= OutputActivation::Length; ++n) {
        QStringList relays;
        for (int r = 1; r <= OutputActivation::RelayCount; ++r)
            if (InputActivatesRelay(image, n, r))
                relays << QString::number(r);
        s.Fields << Field(QStringLiteral("Вход %1: реле").arg(n),
                          relays.isEmpty() ? QStringLiteral("—") : relays.join(", "));
    }
    return s;
}

ListingSection WindowsSection(const ConfigImage& image)
{
    ListingSection s{QStringLiteral("Сигнализация"), {}};
    for (int w = 1; w <= WindowTypes::WindowCount; ++w) {
        s.Fields << TableField(QStringLiteral("windows[%1].type").arg(w), image,
                               QStringLiteral("Окно %1").arg(w));
    }
    return s;
}

ListingSection NetTableSection(const ConfigImage& image, NetTable table)
{
    const bool requests = table == NetTable::Request;
    const QString title = requests ? QStringLiteral("Внешняя сеть: запросы")
                          : table == NetTable::Ack ? QStringLiteral("Внешняя сеть: квитирование")
                                                   : QStringLiteral("Внешняя сеть: сброс");
    ListingSection s{title, {}};
    const uint8_t count = image[NetTableOffset(table)];
    const int used = RecordsInUse(image, table);
    s.Fields << Field(QStringLiteral("Записей"),
                      count > ExternalNet::MaxRecords
                          ? QStringLiteral("%1 (байт %2, в таблице 16 мест)").arg(used).arg(count)
                          : QString::number(count));
    for (int k = 0; k < used; ++k) {
        const RequestRecord r = NetRecord(image, table, k);
        const QString text = requests
                                 ? QStringLiteral("устройство %1, функция %2, адрес %3, кол-во %4")
                                       .arg(r.Device)
                                       .arg(HexByteText(r.Function), HexWordText(r.Address))
                                       .arg(r.Count)
                                 : QStringLiteral("устройство %1, адрес %2")
                                       .arg(r.Device)
                                       .arg(HexWordText(r.Address));
        s.Fields << Field(QStringLiteral("Запись %1").arg(k + 1), text);
    }
    // The records past the count are kept in the file though nothing uses them.
    const int restFrom = NetTableOffset(table) + 1 + used * ExternalNet::RecordLength;
    const int restTo = NetTableOffset(table) + ExternalNet::TableLength;
    const std::span<const uint8_t> rest(image.data() + restFrom, size_t(restTo - restFrom));
    if (std::any_of(rest.begin(), rest.end(), [](uint8_t b) { return b != 0; }))
        s.Fields << Field(QStringLiteral("Неиспользуемые записи"),
                          HexText(rest.data(), qsizetype(rest.size())));
    return s;
}

}  // namespace

Listing ListConfiguration(const ConfigImage& image, int32_t familyCode)
{
    return {DeviceSection(image, familyCode),
            ModbusSection(image),
            InputsSection(image),
            CrossbarSection(image),
            ActivationSection(image),
            OutputsSection(image),
            WindowsSection(image),
            NetTableSection(image, NetTable::Request),
            NetTableSection(image, NetTable::Ack),
            NetTableSection(image, NetTable::Reset)};
}

QString ListingText(const Listing& listing)
{
    QString text;
    for (const ListingSection& s : listing) {
        text += QStringLiteral("[%1]\n").arg(s.Title);
        for (const ListingField& f : s.Fields)
            text += QStringLiteral("%1: %2\n").arg(f.Label, f.Text);
    }
    return text;
}
