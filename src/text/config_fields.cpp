#include "text/config_fields.h"

#include "model/dev_config.h"
#include "model/input_assignment.h"
#include "model/input_type.h"
#include "model/mbus_settings.h"
#include "model/out_data_base.h"
#include "model/output_activation.h"
#include "model/request_table.h"
#include "model/window_types.h"
#include "text/text_labels.h"

#include <QHash>
#include <QtGlobal>

#include <array>
#include <bit>
#include <memory>

namespace {

FieldRow Row(FieldSection section, const QString& path, int offset, const QString& label,
             FieldFormat format = FieldFormat::Number, uint8_t mask = 0xFF)
{
    FieldRow row;
    row.Path = path;
    row.Block = FieldBlockOf(offset);
    row.Offset = offset;
    row.Mask = mask;
    row.Label = label;
    row.Line = label;
    row.Format = format;
    row.Section = section;
    return row;
}

FieldRow Flag(FieldSection section, const QString& path, int offset, uint8_t mask,
              const QString& label)
{
    return Row(section, path, offset, label, FieldFormat::Flag, mask);
}

FieldRow Named(FieldSection section, const QString& path, int offset, uint8_t mask,
               const QString& label, QList<FieldValueName> names)
{
    FieldRow row = Row(section, path, offset, label, FieldFormat::Names, mask);
    row.Names = std::move(names);
    return row;
}

// A byte (or some bits of one) that no control shows: on the section's
// line of other bytes, named by `part` or else by its number in the block.
FieldRow Other(FieldSection section, const QString& path, int offset, const QString& label,
               uint8_t mask = 0xFF, const QString& part = {})
{
    FieldRow row = Row(section, path, offset, label, FieldFormat::Hex, mask);
    row.Line.clear();
    row.Part = part;
    row.Join = FieldJoin::Bytes;
    return row;
}

// A field of element `item` of a section's table, on the element's line `line`.
FieldRow Of(FieldRow row, int item, const QString& line, FieldJoin join = FieldJoin::Own,
            const QString& part = {})
{
    row.Item = item;
    row.Line = line;
    row.Join = join;
    row.Part = part;
    return row;
}

void DeviceRows(QList<FieldRow>& rows)
{
    constexpr auto S = FieldSection::Device;
    rows << Row(S, "device.input_modules", DevConfig::InputModules, "Модулей БВХ-7")
         << Row(S, "device.relay_modules", DevConfig::RelayModules, "Модулей БРК-54")
         << Row(S, "device.window_count", DevConfig::WindowCount, "Окон")
         << Flag(S, "device.fixed_configuration", DevConfig::DevFlags, DevConfig::FixConfigBit,
                 "Зафиксировать конфигурацию")
         << Row(S, "device.line_timeout", DevConfig::LineTimeout, "Контроль линии связи",
                FieldFormat::Timeout)
         << Flag(S, "device.modbus_master", DevConfig::DevFlags, DevConfig::MBusMasterBit,
                 "Режим Modbus Master")
         << Other(S, "device.other_flags", DevConfig::DevFlags, "Флаги, биты 2-7",
                  uint8_t(~(DevConfig::FixConfigBit | DevConfig::MBusMasterBit)), "флаги 2-7")
         << Other(S, "device.byte_4", 4, "Байт 4");
    for (int i = DevConfig::ClearedByNewFrom; i < DevConfig::Length; ++i)
        rows << Other(
            S, QStringLiteral("device.reserved[%1]").arg(i - DevConfig::ClearedByNewFrom + 1), i,
            QStringLiteral("Байт %1").arg(i));
}

void ModbusRows(QList<FieldRow>& rows)
{
    constexpr auto S = FieldSection::Modbus;
    rows << Row(S, "modbus.address", MBusSettings::NetAddress, "Сетевой адрес",
                FieldFormat::Address);
    QList<FieldValueName> rates;
    for (const BaudRateRow& r : BaudRateTable)
        rates << FieldValueName{r.Divisor, QString::number(r.BitsPerSecond),
                                QStringLiteral("%1 бод").arg(r.BitsPerSecond)};
    FieldRow baud = Named(S, "modbus.baud", MBusSettings::BaudDivisor, 0xFF, "Скорость", rates);
    baud.Format = FieldFormat::NamedNumber;
    rows << baud
         << Named(S, "modbus.stop_bits", MBusSettings::LineFlags, MBusSettings::TwoStopBits,
                  "Стоп-биты", {{0, "one", "один"}, {1, "two", "два"}})
         << Named(S, "modbus.parity", MBusSettings::LineFlags, MBusSettings::ParityMask, "Паритет",
                  {{ParityCode(Parity::None), ParityWord(Parity::None), "отсутствует"},
                   {ParityCode(Parity::Even), ParityWord(Parity::Even), "четный"},
                   {ParityCode(Parity::Odd), ParityWord(Parity::Odd), "нечетный"}})
         << Other(S, "modbus.other_flags", MBusSettings::LineFlags, "Флаги линии, прочие биты",
                  uint8_t(~(MBusSettings::TwoStopBits | MBusSettings::ParityMask)), "флаги")
         << Other(S, "modbus.rate_byte_2", MBusSettings::RateByte2, "Байт скорости 2")
         << Other(S, "modbus.rate_byte_3", MBusSettings::RateByte3, "Байт скорости 3")
         << Other(S, "modbus.reserved[1]", MBusSettings::Reserved5, "Байт 5")
         << Other(S, "modbus.reserved[2]", MBusSettings::Reserved6, "Байт 6");
}

void InputRows(QList<FieldRow>& rows)
{
    const QList<FieldValueName> contacts{
        {0, "open", QString::fromUtf8(ContactTypeName(ContactType::NormallyOpen))},
        {1, "closed", QString::fromUtf8(ContactTypeName(ContactType::NormallyClosed))}};
    for (int n = 1; n <= InputType::InputCount; ++n) {
        const QString path = QStringLiteral("inputs[%1].").arg(n);
        const QString label = QStringLiteral("Вход %1: ").arg(n);
        FieldRow contact =
            Of(Named(FieldSection::Inputs, path + "contact", InputType::Offset + (n - 1) / 8,
                     uint8_t(1 << ((n - 1) % 8)), label + "тип контакта", contacts),
               n, {});
        contact.Column = QStringLiteral("Тип контакта");
        rows << contact
             << Of(Row(FieldSection::Crossbar, path + "assignment", InputAssignment::Offset + n - 1,
                       label + TextLabel::Assignment, FieldFormat::Assignment),
                   n, TextLabel::Assignment);
        for (int r = 1; r <= OutputActivation::RelayCount; ++r) {
            FieldRow relay =
                Of(Flag(FieldSection::Activation, path + QStringLiteral("relays[%1]").arg(r),
                        OutputActivation::Offset + n - 1, uint8_t(1 << (r - 1)),
                        label + QStringLiteral("активирует реле %1").arg(r)),
                   n, "реле", FieldJoin::Set, QString::number(r));
            relay.Column = QStringLiteral("Активирует реле");
            rows << relay;
        }
    }
}

void OutputRows(QList<FieldRow>& rows)
{
    constexpr auto S = FieldSection::Outputs;
    QList<FieldValueName> types;
    for (const OutTypeRow& t : OutTypeList) {
        static const char* const Keys[] = {"light", "control", "sound", "control_blocking"};
        types << FieldValueName{int(t.Type), Keys[int(t.Type)],
                                QString::fromUtf8(t.ListText).trimmed()};
    }
    const QString panel = QString::fromUtf8(OutSourceName(OutSource::Panel));
    const QString modbus = QString::fromUtf8(OutSourceName(OutSource::Modbus));
    const QString ack = QString::fromUtf8(OutActionName(OutAction::Ack)).toLower();
    const QString reset = QString::fromUtf8(OutActionName(OutAction::Reset)).toLower();
    constexpr auto Set = FieldJoin::Set;
    for (int o = 1; o <= OutDataBase::OutputCount; ++o) {
        const QString path = QStringLiteral("outputs[%1].").arg(o);
        const QString label = QStringLiteral("Выход %1: ").arg(o);
        const int mode = OutModeOffsetOf(o);
        FieldRow type = Of(Named(S, path + "type", mode, OutDataBase::TypeMask,
                                 label + TextLabel::OutputType, types),
                           o, TextLabel::OutputType);
        type.Note = FieldNote::Locks;
        FieldRow other = Of(Row(S, path + "other_bits", mode, label + TextLabel::OutputOtherBits,
                                FieldFormat::Hex, OutDataBase::KeptBits),
                            o, TextLabel::OutputOtherBits);
        other.Optional = true;
        rows << type
             << Of(Flag(S, path + "ack_from_panel", mode, OutDataBase::AckFromPanelBit,
                        label + "квитирование: Панель"),
                   o, ack, Set, panel)
             << Of(Flag(S, path + "ack_by_modbus", mode, OutDataBase::AckByModbusBit,
                        label + "квитирование: ModBus"),
                   o, ack, Set, modbus)
             << Of(Row(S, path + "ack_input", ExternalInputOffsetOf(o, OutAction::Ack),
                       label + "квитирование: внешний вход", FieldFormat::InputNumber),
                   o, ack, Set)
             << Of(Flag(S, path + "reset_from_panel", mode, OutDataBase::ResetFromPanelBit,
                        label + "сброс: Панель"),
                   o, reset, Set, panel)
             << Of(Flag(S, path + "reset_by_modbus", mode, OutDataBase::ResetByModbusBit,
                        label + "сброс: ModBus"),
                   o, reset, Set, modbus)
             << Of(Row(S, path + "reset_input", ExternalInputOffsetOf(o, OutAction::Reset),
                       label + "сброс: внешний вход", FieldFormat::InputNumber),
                   o, reset, Set)
             << other;
    }
}

void WindowRows(QList<FieldRow>& rows)
{
    static const char* const Keys[] = {"absent",    "indication",      "warning",
                                       "emergency", "inverse_warning", "inverse_emergency"};
    QList<FieldValueName> types;
    for (int code = 0; code < WindowTypeCount; ++code)
        types << FieldValueName{code, Keys[code], QString::fromUtf8(WindowTypeName(uint8_t(code)))};
    for (int w = 1; w <= WindowTypes::WindowCount; ++w) {
        FieldRow type = Of(
            Named(FieldSection::Windows, QStringLiteral("windows[%1].type").arg(w),
                  WindowTypes::Offset + w - 1, 0xFF, QStringLiteral("Окно %1: тип").arg(w), types),
            w, {});
        type.Column = QStringLiteral("Тип");
        rows << type;
    }
}

void NetRows(QList<FieldRow>& rows, NetTable table, FieldSection section, const QString& key)
{
    const QString title = SectionInfo(section).Title;
    const int base = NetTableOffset(table);
    FieldRow count =
        Row(section, key + ".count", base, title + ": записей", FieldFormat::RecordCount);
    count.Line = QStringLiteral("Записей");
    rows << count;
    // Acknowledge and reset records use only their device and address.
    const bool used = table == NetTable::Request;
    constexpr auto Record = FieldJoin::Record;
    for (int k = 1; k <= ExternalNet::MaxRecords; ++k) {
        const QString path = QStringLiteral("%1.records[%2].").arg(key).arg(k);
        const QString label = QStringLiteral("%1: запись %2: ").arg(title).arg(k);
        const int at = base + 1 + (k - 1) * ExternalNet::RecordLength;
        FieldRow function = Of(Row(section, path + "function", at + 1,
                                   label + TextLabel::RecordFunction, FieldFormat::Hex),
                               k, {}, Record, TextLabel::RecordFunction);
        FieldRow address = Of(Row(section, path + "address", at + 2,
                                  label + TextLabel::RecordAddress, FieldFormat::HexWord),
                              k, {}, Record, TextLabel::RecordAddress);
        address.Width = 2;
        FieldRow number =
            Of(Row(section, path + "count", at + 4, label + "количество"), k, {}, Record, "кол-во");
        number.Column = QStringLiteral("Количество");
        function.Optional = number.Optional = !used;
        rows << Of(Row(section, path + "device", at, label + TextLabel::RecordDevice), k, {},
                   Record, TextLabel::RecordDevice)
             << function << address << number;
    }
}

static_assert(int(NamedField::InputAssignment) == 4, "one name per NamedField");

struct Table {
    QList<FieldRow> Rows;
    QHash<QString, const FieldRow*> ByPath;
    std::array<QList<const FieldRow*>, 5> Named;  // by NamedField, element 1 first
};

const std::array<FieldName, 5>& NamedFieldNames()
{
    static const std::array<FieldName, 5> names{{
        {"device.input_modules", 0},
        {"device.relay_modules", 0},
        {"device.window_count", 0},
        {"windows[%1].type", WindowTypes::WindowCount},
        {"inputs[%1].assignment", InputAssignment::Length},
    }};
    return names;
}

QStringList PathsOf(const FieldName& name)
{
    if (name.Items == 0)
        return {name.Pattern};
    QStringList paths;
    for (int i = 1; i <= name.Items; ++i)
        paths << name.Pattern.arg(i);
    return paths;
}

std::unique_ptr<Table> BuildTable()
{
    auto table = std::make_unique<Table>();
    QList<FieldRow>& rows = table->Rows;
    DeviceRows(rows);
    ModbusRows(rows);
    InputRows(rows);
    OutputRows(rows);
    WindowRows(rows);
    NetRows(rows, NetTable::Request, FieldSection::Requests, "requests");
    NetRows(rows, NetTable::Ack, FieldSection::Acks, "acks");
    NetRows(rows, NetTable::Reset, FieldSection::Resets, "resets");
    for (const FieldRow& row : rows)
        table->ByPath.insert(row.Path, &row);
    for (size_t f = 0; f < NamedFieldNames().size(); ++f)
        for (const QString& path : PathsOf(NamedFieldNames()[f])) {
            const FieldRow* row = table->ByPath.value(path);
            if (!row)
                qFatal("The field table has no row %s", qPrintable(path));
            table->Named[f] << row;
        }
    return table;
}

const Table& TheTable()
{
    static const std::unique_ptr<Table> table = BuildTable();
    return *table;
}

}  // namespace

const QList<FieldSectionInfo>& FieldSections()
{
    using S = FieldSection;
    namespace L = TextLabel;
    static const QList<FieldSectionInfo> sections{
        {S::Device, L::Configuration, L::Configuration, 0, false, {}, {}},
        {S::Modbus, "ModBus", "Настройки ModBus", 1, false, {}, {}},
        {S::Inputs, L::Inputs, L::Inputs, 2, true, L::Input, "input"},
        {S::Crossbar, "Структура: назначение входов", L::Inputs, 2, true, L::Input, "input"},
        {S::Activation, "Структура: активация выходов", L::Inputs, 2, true, L::Input, "input"},
        {S::Outputs, L::Outputs, L::Outputs, 4, true, "Выход", "output"},
        {S::Windows, "Сигнализация", "Лицевая панель", 3, true, "Окно", "window"},
        {S::Requests, L::Requests, L::Requests, 5, true, L::Record, "requests"},
        {S::Acks, L::Acks, L::Acks, 5, true, L::Record, "acks"},
        {S::Resets, L::Resets, L::Resets, 5, true, L::Record, "resets"},
    };
    return sections;
}

const FieldSectionInfo& SectionInfo(FieldSection section)
{
    return FieldSections()[int(section)];
}

const QList<FieldRow>& ConfigFields()
{
    return TheTable().Rows;
}

const FieldRow* FindField(const QString& path)
{
    return TheTable().ByPath.value(path);
}

const FieldRow& Field(NamedField field, int item)
{
    const QList<const FieldRow*>& rows = TheTable().Named[size_t(field)];
    const int at = NamedFieldNames()[size_t(field)].Items == 0 ? 0 : item - 1;
    if (at < 0 || at >= rows.size())
        qFatal("Field %s has no element %d", qPrintable(NamedFieldNames()[size_t(field)].Pattern),
               item);
    return *rows[at];
}

QStringList MissingFields(const QList<FieldName>& names)
{
    QStringList missing;
    for (const FieldName& name : names)
        for (const QString& path : PathsOf(name))
            if (!FindField(path))
                missing << path;
    return missing;
}

int FieldBlockOf(int offset)
{
    for (int b = 0; b < ConfigBlockCount; ++b)
        if (offset >= BlockDirectory[b].Offset && offset < BlockDirectory[b].CrcOffset())
            return b;
    return -1;
}

int FieldValue(const FieldRow& row, const ConfigImage& image)
{
    if (row.Width == 2)
        return image[row.Offset] | (image[row.Offset + 1] << 8);
    return (image[row.Offset] & row.Mask) >> std::countr_zero(row.Mask);
}

int FieldMaxValue(const FieldRow& row)
{
    return row.Width == 2 ? 0xFFFF : int(row.Mask >> std::countr_zero(row.Mask));
}

bool FieldHolds(const FieldRow& row, int value)
{
    if (value < 0 || value > FieldMaxValue(row))
        return false;
    return row.Width == 2 || ((value << std::countr_zero(row.Mask)) & ~row.Mask) == 0;
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
        case FieldFormat::Flag: return value ? TextLabel::Yes : TextLabel::No;
        case FieldFormat::Hex:
            return HexByteText(uint8_t(value << (row.Width == 1 ? std::countr_zero(row.Mask) : 0)));
        case FieldFormat::HexWord: return HexWordText(uint16_t(value));
        case FieldFormat::Names:
        case FieldFormat::NamedNumber:
            for (const FieldValueName& name : row.Names)
                if (name.Code == value)
                    return name.Text;
            return QStringLiteral("не из списка: байт %1").arg(HexByteText(uint8_t(value)));
        case FieldFormat::InputNumber:
            if (const auto input = ExternalInputNumber(uint8_t(value)))
                return QStringLiteral("вход %1").arg(*input);
            return value == OutDataBase::NoInput ? QStringLiteral("—")
                                                 : QStringLiteral("вход не показывается: байт %1")
                                                       .arg(HexByteText(uint8_t(value)));
        case FieldFormat::Assignment: {
            const AssignmentKind kind = AssignmentKindOf(uint8_t(value));
            if (kind == AssignmentKind::akNone)
                return value == InputAssignment::NoAssignment
                           ? QStringLiteral("—")
                           : QStringLiteral("— (байт %1)").arg(HexByteText(uint8_t(value)));
            return AssignmentKindText(kind).trimmed() +
                   QStringLiteral(" %1").arg(*AssignmentNumber(uint8_t(value)));
        }
        case FieldFormat::Address:
            return value == 0 ? QStringLiteral("0 (не показывается)") : QString::number(value);
        case FieldFormat::Timeout:
            if (value == 0)
                return TextLabel::No;
            if (TimeoutIndexFor(uint8_t(value)))
                return QStringLiteral("да, таймаут %1 с").arg(value);
            return QStringLiteral("таймаут не из списка: байт %1").arg(HexByteText(uint8_t(value)));
        case FieldFormat::RecordCount:
            if (value > ExternalNet::MaxRecords)
                return QStringLiteral("%1 (байт %2, в таблице %1 мест)")
                    .arg(ExternalNet::MaxRecords)
                    .arg(value);
            return QString::number(value);
    }
    return QString::number(value);
}

bool FieldIsSet(const FieldRow& row, int value)
{
    if (row.Format == FieldFormat::InputNumber)
        return value != OutDataBase::NoInput;
    return value != 0;
}

namespace {
QList<OutAction> LockedActions(const FieldRow& row, int value)
{
    QList<OutAction> locked;
    if (row.Note != FieldNote::Locks)
        return locked;
    const auto type = OutType(value & OutDataBase::TypeMask);
    for (OutAction action : {OutAction::Ack, OutAction::Reset})
        if (!OutActionAllowed(type, action))
            locked << action;
    return locked;
}
}  // namespace

QString FieldNoteText(const FieldRow& row, int value)
{
    QStringList names;
    for (OutAction action : LockedActions(row, value))
        names << QString::fromUtf8(OutActionName(action)).toLower();
    return names.join(QStringLiteral(" и "));
}

QString FieldNoteSentence(const FieldRow& row, int value)
{
    const QList<OutAction> locked = LockedActions(row, value);
    if (locked.isEmpty())
        return {};
    if (locked.size() > 1)
        return FieldNoteText(row, value) + QStringLiteral(" заблокированы");
    return FieldNoteText(row, value) + (locked.first() == OutAction::Ack
                                            ? QStringLiteral(" заблокировано")
                                            : QStringLiteral(" заблокирован"));
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
    const int block = FieldBlockOf(offset);
    return QStringLiteral("блок %1, байт %2 (%3): панель %4, файл %5")
        .arg(block)
        .arg(offset - BlockDirectory[block].Offset)
        .arg(labels.join(QStringLiteral("; ")), HexByteText(panel), HexByteText(file));
}
