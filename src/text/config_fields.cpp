#include "text/config_fields.h"

#include "model/dev_config.h"
#include "model/input_assignment.h"
#include "model/input_type.h"
#include "model/mbus_settings.h"
#include "model/out_data_base.h"
#include "model/output_activation.h"
#include "model/request_table.h"
#include "model/window_types.h"

#include <QHash>

#include <bit>

namespace {

int BlockOf(int offset)
{
    for (int b = 0; b < ConfigBlockCount; ++b)
        if (offset >= BlockDirectory[b].Offset && offset < BlockDirectory[b].CrcOffset())
            return b;
    return -1;
}

FieldRow Row(const QString& path, int offset, const QString& label,
             FieldFormat format = FieldFormat::Number, uint8_t mask = 0xFF, int min = 0,
             int max = -1)
{
    FieldRow row;
    row.Path = path;
    row.Block = BlockOf(offset);
    row.Offset = offset;
    row.Mask = mask;
    row.Min = min;
    row.Max = max >= 0 ? max : int(mask >> std::countr_zero(mask));
    row.Label = label;
    row.Format = format;
    return row;
}

FieldRow Flag(const QString& path, int offset, uint8_t mask, const QString& label)
{
    return Row(path, offset, label, FieldFormat::Flag, mask);
}

FieldRow Named(const QString& path, int offset, uint8_t mask, const QString& label,
               QList<FieldValueName> names)
{
    FieldRow row = Row(path, offset, label, FieldFormat::Names, mask);
    row.Names = std::move(names);
    return row;
}

void DeviceRows(QList<FieldRow>& rows)
{
    rows << Row("device.input_modules", DevConfig::InputModules, "Модулей БВХ-7")
         << Row("device.relay_modules", DevConfig::RelayModules, "Модулей БРК-54")
         << Row("device.window_count", DevConfig::WindowCount, "Окон")
         << Flag("device.fixed_configuration", DevConfig::DevFlags, DevConfig::FixConfigBit,
                 "Зафиксировать конфигурацию")
         << Flag("device.modbus_master", DevConfig::DevFlags, DevConfig::MBusMasterBit,
                 "Режим Modbus Master")
         << Row("device.other_flags", DevConfig::DevFlags, "Флаги, биты 2-7", FieldFormat::Hex,
                uint8_t(~(DevConfig::FixConfigBit | DevConfig::MBusMasterBit)))
         << Row("device.byte_4", 4, "Байт 4", FieldFormat::Hex)
         << Row("device.line_timeout", DevConfig::LineTimeout,
                "Контроль линии связи: таймаут, с (0: выключен)", FieldFormat::Number, 0xFF, 0,
                DevConfig::MaxLineTimeout);
    for (int i = DevConfig::ClearedByNewFrom; i < DevConfig::Length; ++i)
        rows << Row(QStringLiteral("device.reserved[%1]").arg(i - DevConfig::ClearedByNewFrom + 1),
                    i, QStringLiteral("Байт %1").arg(i), FieldFormat::Hex);
}

void ModbusRows(QList<FieldRow>& rows)
{
    FieldRow address =
        Row("modbus.address", MBusSettings::NetAddress, "Сетевой адрес", FieldFormat::Number);
    address.Min = 1;
    rows << address;
    QList<FieldValueName> rates;
    for (const BaudRateRow& r : BaudRateTable)
        rates << FieldValueName{r.Divisor, QString::number(r.BitsPerSecond),
                                QStringLiteral("%1 бод").arg(r.BitsPerSecond)};
    FieldRow baud = Named("modbus.baud", MBusSettings::BaudDivisor, 0xFF, "Скорость", rates);
    baud.Format = FieldFormat::NamedNumber;
    rows << baud
         << Named("modbus.stop_bits", MBusSettings::LineFlags, MBusSettings::TwoStopBits,
                  "Стоп-биты", {{0, "one", "один"}, {1, "two", "два"}})
         << Named("modbus.parity", MBusSettings::LineFlags, MBusSettings::ParityMask, "Паритет",
                  {{0, "none", "отсутствует"}, {2, "even", "четный"}, {3, "odd", "нечетный"}})
         << Row("modbus.other_flags", MBusSettings::LineFlags, "Флаги линии, прочие биты",
                FieldFormat::Hex, uint8_t(~(MBusSettings::TwoStopBits | MBusSettings::ParityMask)))
         << Row("modbus.rate_byte_2", MBusSettings::RateByte2, "Байт скорости 2", FieldFormat::Hex)
         << Row("modbus.rate_byte_3", MBusSettings::RateByte3, "Байт скорости 3", FieldFormat::Hex)
         << Row("modbus.reserved[1]", MBusSettings::Reserved5, "Байт 5", FieldFormat::Hex)
         << Row("modbus.reserved[2]", MBusSettings::Reserved6, "Байт 6", FieldFormat::Hex);
}

void InputRows(QList<FieldRow>& rows)
{
    const QList<FieldValueName> contacts{
        {0, "open", QString::fromUtf8(ContactTypeName(ContactType::NormallyOpen))},
        {1, "closed", QString::fromUtf8(ContactTypeName(ContactType::NormallyClosed))}};
    for (int n = 1; n <= InputType::InputCount; ++n) {
        const QString path = QStringLiteral("inputs[%1].").arg(n);
        const QString label = QStringLiteral("Вход %1: ").arg(n);
        rows << Named(path + "contact", InputType::Offset + (n - 1) / 8,
                      uint8_t(1 << ((n - 1) % 8)), label + "тип контакта", contacts)
             << Row(path + "assignment", InputAssignment::Offset + n - 1, label + "назначение",
                    FieldFormat::Assignment);
        for (int r = 1; r <= OutputActivation::RelayCount; ++r)
            rows << Flag(path + QStringLiteral("relays[%1]").arg(r),
                         OutputActivation::Offset + n - 1, uint8_t(1 << (r - 1)),
                         label + QStringLiteral("активирует реле %1").arg(r));
    }
}

void OutputRows(QList<FieldRow>& rows)
{
    QList<FieldValueName> types;
    for (const OutTypeRow& t : OutTypeList) {
        static const char* const Keys[] = {"light", "control", "sound", "control_blocking"};
        types << FieldValueName{int(t.Type), Keys[int(t.Type)],
                                QString::fromUtf8(t.ListText).trimmed()};
    }
    for (int o = 1; o <= OutDataBase::OutputCount; ++o) {
        const QString path = QStringLiteral("outputs[%1].").arg(o);
        const QString label = QStringLiteral("Выход %1: ").arg(o);
        const int mode = OutModeOffsetOf(o);
        rows << Named(path + "type", mode, OutDataBase::TypeMask, label + "тип", types)
             << Flag(path + "ack_from_panel", mode, OutDataBase::AckFromPanelBit,
                     label + "квитирование: Панель")
             << Flag(path + "ack_by_modbus", mode, OutDataBase::AckByModbusBit,
                     label + "квитирование: ModBus")
             << Row(path + "ack_input", ExternalInputOffsetOf(o, OutAction::Ack),
                    label + "квитирование: внешний вход", FieldFormat::InputNumber)
             << Flag(path + "reset_from_panel", mode, OutDataBase::ResetFromPanelBit,
                     label + "сброс: Панель")
             << Flag(path + "reset_by_modbus", mode, OutDataBase::ResetByModbusBit,
                     label + "сброс: ModBus")
             << Row(path + "reset_input", ExternalInputOffsetOf(o, OutAction::Reset),
                    label + "сброс: внешний вход", FieldFormat::InputNumber)
             << Row(path + "other_bits", mode, label + "биты 6-7", FieldFormat::Hex,
                    OutDataBase::KeptBits);
    }
}

void WindowRows(QList<FieldRow>& rows)
{
    static const char* const Keys[] = {"absent",    "indication",      "warning",
                                       "emergency", "inverse_warning", "inverse_emergency"};
    QList<FieldValueName> types;
    for (int code = 0; code < WindowTypeCount; ++code)
        types << FieldValueName{code, Keys[code], QString::fromUtf8(WindowTypeName(uint8_t(code)))};
    for (int w = 1; w <= WindowTypes::WindowCount; ++w)
        rows << Named(QStringLiteral("windows[%1].type").arg(w), WindowTypes::Offset + w - 1, 0xFF,
                      QStringLiteral("Окно %1: тип").arg(w), types);
}

void NetRows(QList<FieldRow>& rows, NetTable table, const QString& key, const QString& title)
{
    const int base = NetTableOffset(table);
    rows << Row(key + ".count", base, title + ": записей", FieldFormat::Number, 0xFF, 0,
                ExternalNet::MaxRecords);
    for (int k = 1; k <= ExternalNet::MaxRecords; ++k) {
        const QString path = QStringLiteral("%1.records[%2].").arg(key).arg(k);
        const QString label = QStringLiteral("%1: запись %2: ").arg(title).arg(k);
        const int at = base + 1 + (k - 1) * ExternalNet::RecordLength;
        FieldRow address = Row(path + "address", at + 2, label + "адрес");
        address.Width = 2;
        address.Max = 0xFFFF;
        rows << Row(path + "device", at, label + "устройство")
             << Row(path + "function", at + 1, label + "функция") << address
             << Row(path + "count", at + 4, label + "количество");
    }
}

QList<FieldRow> BuildRows()
{
    QList<FieldRow> rows;
    DeviceRows(rows);
    ModbusRows(rows);
    InputRows(rows);
    OutputRows(rows);
    WindowRows(rows);
    NetRows(rows, NetTable::Request, "requests", "Внешняя сеть: запросы");
    NetRows(rows, NetTable::Ack, "acks", "Внешняя сеть: квитирование");
    NetRows(rows, NetTable::Reset, "resets", "Внешняя сеть: сброс");
    return rows;
}

}  // namespace

const QList<FieldRow>& ConfigFields()
{
    static const QList<FieldRow> rows = BuildRows();
    return rows;
}

const FieldRow* FindField(const QString& path)
{
    static const QHash<QString, const FieldRow*> byPath = [] {
        QHash<QString, const FieldRow*> map;
        for (const FieldRow& row : ConfigFields())
            map.insert(row.Path, &row);
        return map;
    }();
    return byPath.value(path);
}

int FieldValue(const FieldRow& row, const ConfigImage& image)
{
    if (row.Width == 2)
        return image[row.Offset] | (image[row.Offset + 1] << 8);
    return (image[row.Offset] & row.Mask) >> std::countr_zero(row.Mask);
}

QString FieldValueKey(const FieldRow& row, int value)
{
    for (const FieldValueName& name : row.Names)
        if (name.Code == value)
            return name.Key;
    return {};
}

int FieldJsonNumber(const FieldRow& row, int value)
{
    if (row.Format == FieldFormat::NamedNumber)
        if (const QString key = FieldValueKey(row, value); !key.isEmpty())
            return key.toInt();
    return value;
}

QString FieldValueText(const FieldRow& row, int value)
{
    switch (row.Format) {
        case FieldFormat::Number: return QString::number(value);
        case FieldFormat::Flag: return value ? QStringLiteral("да") : QStringLiteral("нет");
        case FieldFormat::Hex: return HexByteText(uint8_t(value));
        case FieldFormat::Names:
        case FieldFormat::NamedNumber:
            for (const FieldValueName& name : row.Names)
                if (name.Code == value)
                    return name.Text;
            return QStringLiteral("не из списка: байт %1").arg(HexByteText(uint8_t(value)));
        case FieldFormat::InputNumber:
            if (const auto input = ExternalInputNumber(uint8_t(value)))
                return QStringLiteral("вход %1").arg(*input);
            return value == OutDataBase::NoInput
                       ? QStringLiteral("—")
                       : QStringLiteral("байт %1").arg(HexByteText(uint8_t(value)));
        case FieldFormat::Assignment: {
            const AssignmentKind kind = AssignmentKindOf(uint8_t(value));
            if (kind == AssignmentKind::akNone)
                return value == InputAssignment::NoAssignment
                           ? QStringLiteral("—")
                           : QStringLiteral("— (байт %1)").arg(HexByteText(uint8_t(value)));
            return AssignmentKindText(kind).trimmed() +
                   QStringLiteral(" %1").arg(*AssignmentNumber(uint8_t(value)));
        }
    }
    return QString::number(value);
}

QList<const FieldRow*> FieldsAt(int offset, uint8_t a, uint8_t b)
{
    const uint8_t changed = a == b ? 0xFF : uint8_t(a ^ b);
    QList<const FieldRow*> out;
    for (const FieldRow& row : ConfigFields()) {
        const bool covers = offset >= row.Offset && offset < row.Offset + row.Width;
        if (covers && (row.Width > 1 || (row.Mask & changed)))
            out << &row;
    }
    return out;
}

QList<FieldDifference> DiffFields(const ConfigImage& a, const ConfigImage& b, int firstBlock,
                                  int lastBlock)
{
    QList<FieldDifference> out;
    for (const FieldRow& row : ConfigFields()) {
        if (row.Block < firstBlock || row.Block > lastBlock)
            continue;
        const int va = FieldValue(row, a);
        const int vb = FieldValue(row, b);
        if (va != vb)
            out << FieldDifference{&row, va, vb};
    }
    return out;
}

QString ByteDifferenceText(int offset, uint8_t panel, uint8_t file)
{
    QStringList labels;
    for (const FieldRow* row : FieldsAt(offset, panel, file))
        labels << row->Label;
    const int block = BlockOf(offset);
    return QStringLiteral("блок %1, байт %2 (%3): панель %4, файл %5")
        .arg(block)
        .arg(offset - BlockDirectory[block].Offset)
        .arg(labels.join(QStringLiteral("; ")), HexByteText(panel), HexByteText(file));
}
