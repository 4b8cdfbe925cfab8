// The table of the configuration's fields: every bit of blocks 0..9 in
// exactly one field, values as the model's rules read them, differences
// named by their field.
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
int Value(const QString& path, const ConfigImage& image)
{
    const FieldRow* row = FindField(path);
    if (!row)
        qFatal("no field %s", qPrintable(path));
    return FieldValue(*row, image);
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
};

QTEST_GUILESS_MAIN(TestConfigFields)
#include "tst_config_fields.moc"
