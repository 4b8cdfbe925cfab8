// The table of the configuration's fields: every bit of blocks 0..9 in
// exactly one field, values as the model's rules read them and as the pages
// word them, differences named by their field, the fields code names found.
#include "model/input_assignment.h"
#include "model/input_type.h"
#include "model/mbus_settings.h"
#include "model/out_data_base.h"
#include "model/output_activation.h"
#include "model/request_table.h"
#include "model/window_types.h"
#include "text/config_fields.h"

#include <QRandomGenerator>
#include <QTest>

namespace {
const FieldRow& RowOf(const QString& path)
{
    const FieldRow* row = FindField(path);
    if (!row)
        qFatal("no field %s", qPrintable(path));
    return *row;
}

int Value(const QString& path, const ConfigImage& image)
{
    return FieldValue(RowOf(path), image);
}

ConfigImage RandomImage(quint32 seed)
{
    QRandomGenerator random(seed);
    ConfigImage image;
    for (uint8_t& b : image)
        b = uint8_t(random.bounded(256));
    return image;
}
}  // namespace

class TestConfigFields : public QObject {
    Q_OBJECT
private slots:
    void everyBitInOneField_data()
    {
        QTest::addColumn<int>("block");
        for (int b = 0; b < ConfigBlockCount; ++b)
            QTest::newRow(qPrintable(QStringLiteral("block %1").arg(b))) << b;
    }
    void everyBitInOneField()
    {
        QFETCH(int, block);
        const ConfigBlock& b = BlockDirectory[block];
        for (int offset = b.Offset; offset < b.CrcOffset(); ++offset) {
            for (int bit = 0; bit < 8; ++bit) {
                QStringList owners;
                for (const FieldRow& row : ConfigFields()) {
                    const bool covers = offset >= row.Offset && offset < row.Offset + row.Width &&
                                        (row.Width > 1 || (row.Mask & (1 << bit)));
                    if (covers) {
                        owners << row.Path;
                        QCOMPARE(row.Block, block);
                    }
                }
                QVERIFY2(owners.size() == 1, qPrintable(QStringLiteral("offset %1 bit %2: %3")
                                                            .arg(offset)
                                                            .arg(bit)
                                                            .arg(owners.join(", "))));
            }
        }
    }

    // The table reads each field as the model's own rules do.
    void valuesAsTheModelReadsThem_data()
    {
        QTest::addColumn<QString>("family");
        for (const char* f :
             {"contacts", "assignments", "relays", "outputs", "windows", "modbus", "net records"})
            QTest::newRow(f) << QString::fromLatin1(f);
    }
    void valuesAsTheModelReadsThem()
    {
        QFETCH(QString, family);
        for (quint32 seed : {1u, 2u, 3u}) {
            const ConfigImage image = RandomImage(seed);
            if (family == "contacts") {
                for (int n = 1; n <= 64; ++n)
                    QCOMPARE(Value(QStringLiteral("inputs[%1].contact").arg(n), image),
                             InputContact(image, n) == ContactType::NormallyClosed ? 1 : 0);
            } else if (family == "assignments") {
                for (int n = 1; n <= 64; ++n)
                    QCOMPARE(Value(QStringLiteral("inputs[%1].assignment").arg(n), image),
                             int(InputAssignmentCode(image, n)));
            } else if (family == "relays") {
                for (int n = 1; n <= 64; ++n)
                    for (int r = 1; r <= 8; ++r)
                        QCOMPARE(
                            Value(QStringLiteral("inputs[%1].relays[%2]").arg(n).arg(r), image),
                            int(InputActivatesRelay(image, n, r)));
            } else if (family == "outputs") {
                for (int o = 1; o <= 8; ++o) {
                    const QString p = QStringLiteral("outputs[%1].").arg(o);
                    QCOMPARE(Value(p + "type", image), int(OutputType(image, o)));
                    QCOMPARE(Value(p + "ack_from_panel", image),
                             int(OutputSource(image, o, OutAction::Ack, OutSource::Panel)));
                    QCOMPARE(Value(p + "reset_by_modbus", image),
                             int(OutputSource(image, o, OutAction::Reset, OutSource::Modbus)));
                    QCOMPARE(Value(p + "reset_input", image),
                             int(image[ExternalInputOffsetOf(o, OutAction::Reset)]));
                }
            } else if (family == "windows") {
                for (int w = 1; w <= 32; ++w)
                    QCOMPARE(Value(QStringLiteral("windows[%1].type").arg(w), image),
                             int(WindowTypeCode(image, w)));
            } else if (family == "modbus") {
                ConfigImage m = image;
                StoreMBusSettings(m, 17, 2, false, Parity::Odd);
                QCOMPARE(Value("modbus.address", m), 17);
                QCOMPARE(Value("modbus.baud", m), int(BaudRateTable[2].Divisor));
                QCOMPARE(Value("modbus.stop_bits", m), 0);
                QCOMPARE(FieldValueKey(*FindField("modbus.parity"), Value("modbus.parity", m)),
                         QStringLiteral("odd"));
            } else {
                for (NetTable t : {NetTable::Request, NetTable::Ack, NetTable::Reset}) {
                    const QString key = t == NetTable::Request ? "requests"
                                        : t == NetTable::Ack   ? "acks"
                                                               : "resets";
                    for (int k = 0; k < 16; ++k) {
                        const RequestRecord r = NetRecord(image, t, k);
                        const QString p = QStringLiteral("%1.records[%2].").arg(key).arg(k + 1);
                        QCOMPARE(Value(p + "device", image), int(r.Device));
                        QCOMPARE(Value(p + "function", image), int(r.Function));
                        QCOMPARE(Value(p + "address", image), int(r.Address));
                        QCOMPARE(Value(p + "count", image), int(r.Count));
                    }
                }
            }
        }
    }

    // One changed bit is one difference, named by its field.
    void differenceNamesItsField_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("bit");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("text");
        QTest::newRow("input 12 contact")
            << InputType::Offset + 1 << 3 << "inputs[12].contact"
            << "блок 2, байт 1 (Вход 12: тип контакта): панель 0x08, файл 0x00";
        QTest::newRow("input 3 relay 5")
            << OutputActivation::Offset + 2 << 4 << "inputs[3].relays[5]"
            << "блок 6, байт 2 (Вход 3: активирует реле 5): панель 0x10, файл 0x00";
        QTest::newRow("output 2 ack by modbus")
            << OutDataBase::Offset + 1 << 3 << "outputs[2].ack_by_modbus"
            << "блок 5, байт 1 (Выход 2: квитирование: ModBus): панель 0x08, файл 0x00";
        QTest::newRow("slave address") << int(MBusSettings::NetAddress) << 0 << "modbus.address"
                                       << "блок 1, байт 0 (Сетевой адрес): панель 0x01, файл 0x00";
        QTest::newRow("window 32") << WindowTypes::Offset + 31 << 1 << "windows[32].type"
                                   << "блок 4, байт 31 (Окно 32: тип): панель 0x02, файл 0x00";
    }
    void differenceNamesItsField()
    {
        QFETCH(int, offset);
        QFETCH(int, bit);
        QFETCH(QString, path);
        QFETCH(QString, text);
        const ConfigImage file{};
        ConfigImage panel{};
        panel[offset] = uint8_t(1 << bit);
        const QList<FieldDifference> d = DiffFields(panel, file);
        QCOMPARE(d.size(), 1);
        QCOMPARE(d[0].Row->Path, path);
        QCOMPARE(ByteDifferenceText(offset, panel[offset], file[offset]), text);
    }

    // Each format words a value as the page would.
    void valueText_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("line control off") << "device.line_timeout" << 0 << "нет";
        QTest::newRow("time-out listed") << "device.line_timeout" << 60 << "да, таймаут 60 с";
        QTest::newRow("time-out not listed")
            << "device.line_timeout" << 61 << "таймаут не из списка: байт 0x3D";
        QTest::newRow("address 0") << "modbus.address" << 0 << "0 (не показывается)";
        QTest::newRow("address") << "modbus.address" << 247 << "247";
        QTest::newRow("count of 16") << "acks.count" << 16 << "16";
        QTest::newRow("count past the table")
            << "acks.count" << 200 << "16 (байт 200, в таблице 16 мест)";
        QTest::newRow("bits in their places") << "outputs[4].other_bits" << 2 << "0x80";
        QTest::newRow("flags 2-7 in their places") << "device.other_flags" << 0x3F << "0xFC";
        QTest::newRow("function") << "requests.records[2].function" << 3 << "0x03";
        QTest::newRow("word") << "resets.records[16].address" << 0x1234 << "0x1234";
        QTest::newRow("input") << "outputs[1].ack_input" << 63 << "вход 64";
        QTest::newRow("no input") << "outputs[1].ack_input" << 255 << "—";
        QTest::newRow("input no page shows")
            << "outputs[1].reset_input" << 64 << "вход не показывается: байт 0x40";
        QTest::newRow("rate") << "modbus.baud" << 23 << "19200 бод";
        QTest::newRow("window type not listed")
            << "windows[3].type" << 6 << "не из списка: байт 0x06";
    }
    void valueText()
    {
        QFETCH(QString, path);
        QFETCH(int, value);
        QFETCH(QString, text);
        QCOMPARE(FieldValueText(RowOf(path), value), text);
    }

    // An output's type tells what it locks.
    void typeLocks_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("note");
        QTest::addColumn<QString>("sentence");
        QTest::newRow("light") << int(OutType::LightSignalling) << QString() << QString();
        QTest::newRow("control") << int(OutType::Control) << "квитирование и сброс"
                                 << "квитирование и сброс заблокированы";
        QTest::newRow("sound") << int(OutType::SoundSignalling) << QString() << QString();
        QTest::newRow("control with blocking")
            << int(OutType::ControlWithBlocking) << "квитирование"
            << "квитирование заблокировано";
    }
    void typeLocks()
    {
        QFETCH(int, type);
        QFETCH(QString, note);
        QFETCH(QString, sentence);
        for (int o = 1; o <= OutDataBase::OutputCount; ++o) {
            const FieldRow& row = RowOf(QStringLiteral("outputs[%1].type").arg(o));
            QCOMPARE(FieldNoteText(row, type), note);
            QCOMPARE(FieldNoteSentence(row, type), sentence);
        }
        QCOMPARE(FieldNoteText(RowOf("outputs[1].ack_input"), type), QString());
    }

    // The fields code names lead to their rows, element by element.
    void namedFields_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<int>("item");
        QTest::addColumn<QString>("path");
        QTest::newRow("input modules")
            << int(NamedField::InputModules) << 0 << "device.input_modules";
        QTest::newRow("relay modules")
            << int(NamedField::RelayModules) << 0 << "device.relay_modules";
        QTest::newRow("window count") << int(NamedField::WindowCount) << 0 << "device.window_count";
        QTest::newRow("first window") << int(NamedField::WindowType) << 1 << "windows[1].type";
        QTest::newRow("last window") << int(NamedField::WindowType) << 32 << "windows[32].type";
        QTest::newRow("last input")
            << int(NamedField::InputAssignment) << 64 << "inputs[64].assignment";
    }
    void namedFields()
    {
        QFETCH(int, field);
        QFETCH(int, item);
        QFETCH(QString, path);
        QCOMPARE(Field(NamedField(field), item).Path, path);
    }

    // A path that is no field's is found out for each element it names.
    void misspeltPathFound_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<int>("items");
        QTest::addColumn<QStringList>("missing");
        QTest::newRow("field") << "device.window_count" << 0 << QStringList();
        QTest::newRow("misspelt field")
            << "device.windows_count" << 0 << QStringList{"device.windows_count"};
        QTest::newRow("table") << "windows[%1].type" << 32 << QStringList();
        QTest::newRow("misspelt key")
            << "windows[%1].tipe" << 2 << QStringList{"windows[1].tipe", "windows[2].tipe"};
        QTest::newRow("past the table")
            << "inputs[%1].assignment" << 65 << QStringList{"inputs[65].assignment"};
    }
    void misspeltPathFound()
    {
        QFETCH(QString, pattern);
        QFETCH(int, items);
        QFETCH(QStringList, missing);
        QCOMPARE(MissingFields({FieldName{pattern, items}}), missing);
    }
};

QTEST_GUILESS_MAIN(TestConfigFields)
#include "tst_config_fields.moc"
