// The text form of a configuration: every image comes back byte for byte,
// every export passes the shipped JSON Schema (which is the schema the field
// table makes, field by field), and each fault in a text is refused with its
// path and reason.
#include "model/block_crc.h"
#include "model/dev_config.h"
#include "model/input_assignment.h"
#include "model/input_type.h"
#include "model/mbus_settings.h"
#include "model/new_configuration.h"
#include "model/out_data_base.h"
#include "model/output_activation.h"
#include "model/window_types.h"
#include "text/config_document.h"
#include "text/config_fields.h"
#include "text/config_import.h"
#include "text/config_schema.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {
// The validator comes with Debian's python3-jsonschema, for the system's
// python: another python3 first on the PATH may lack it.
const char* const DebianPython = "/usr/bin/python3";

ConfigImage NewImage()
{
    ConfigImage image = NewConfigurationImage();
    StampBlockCrcs(image);
    return image;
}

// A configuration with settings away from the new one on every page.
ConfigImage RichImage()
{
    ConfigImage image = NewImage();
    SetInputAssignmentCode(image, 40, 103);
    SetWindowType(image, 7, WindowType::InverseEmergency);
    image[DevConfig::LineTimeout] = 5;
    StoreMBusSettings(image, 17, 2, false, Parity::Even);
    SetInputContact(image, 12, ContactType::NormallyClosed);
    SetOutputType(image, 3, OutType::Control);
    image[OutputActivation::Offset + 4] = 0x01;
    image[BlockDirectory[8].Offset] = 3;  // three acknowledgement records
    image[BlockDirectory[8].Offset + 3] = 0x34;
    image[BlockDirectory[8].Offset + 4] = 0x12;
    StampBlockCrcs(image);
    return image;
}

ConfigImage RandomImage(QRandomGenerator& random)
{
    ConfigImage image;
    for (uint8_t& byte : image)
        byte = uint8_t(random.bounded(256));
    StampBlockCrcs(image);
    return image;
}

QByteArray ExportText(const ConfigImage& image, int32_t family)
{
    return QJsonDocument(ConfigExportDocument(image, family)).toJson(QJsonDocument::Indented);
}

// The value at a document path ("configuration.inputs[12].contact") set
// to `value`, or removed when `value` is undefined.
void Edit(QJsonValue& node, QStringList steps, const QJsonValue& value)
{
    static const QRegularExpression Part(QStringLiteral(R"(^([a-z_0-9]+)(?:\[(\d+)\])?$)"));
    const auto m = Part.match(steps.takeFirst());
    QJsonObject object = node.toObject();
    QJsonValue child = object.value(m.captured(1));
    if (!m.captured(2).isEmpty()) {
        QJsonArray array = child.toArray();
        const int at = m.captured(2).toInt() - 1;
        QJsonValue element = array.at(at);
        if (steps.isEmpty())
            element = value;
        else
            Edit(element, steps, value);
        if (element.isUndefined())
            array.removeAt(at);
        else
            array.replace(at, element);
        child = array;
    } else if (steps.isEmpty()) {
        child = value;
    } else {
        Edit(child, steps, value);
    }
    if (child.isUndefined())
        object.remove(m.captured(1));
    else
        object.insert(m.captured(1), child);
    node = object;
}

}  // namespace

class TestConfigText : public QObject {
    Q_OBJECT

private slots:
    void roundTripIsExact_data()
    {
        QTest::addColumn<QByteArray>("image");
        QTest::addColumn<int>("family");
        auto add = [](const char* name, const ConfigImage& image, int family) {
            QTest::newRow(name) << QByteArray(reinterpret_cast<const char*>(image.data()),
                                              ConfigImageSize)
                                << family;
        };
        add("new", NewImage(), 0);
        add("rich, ОРЛ-09", RichImage(), 1);
        QRandomGenerator random(23);
        for (int i = 0; i < 300; ++i)
            add(qPrintable(QStringLiteral("random %1").arg(i)), RandomImage(random),
                int(random.bounded(256)) - 128);
    }
    void roundTripIsExact()
    {
        QFETCH(QByteArray, image);
        QFETCH(int, family);
        ConfigImage original;
        std::copy(image.begin(), image.end(), original.begin());
        const QByteArray text = ExportText(original, family);
        // cfg -> json -> cfg: the same image (CRC words stamped again) and family.
        ConfigTextResult back = ConfigFromText(text);
        QVERIFY2(back.Error.isEmpty(), qPrintable(back.Error));
        StampBlockCrcs(back.Image);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(back.Image.data()), ConfigImageSize),
                 image);
        QCOMPARE(back.FamilyCode, family);
        // json -> cfg -> json: the same text.
        QCOMPARE(ExportText(back.Image, back.FamilyCode), text);
        // The document show --json writes (with "blocks") is taken too.
        const QJsonObject shown{{"schema_version", JsonSchemaVersion},
                                {"command", "show"},
                                {"configuration", ConfigDocument(original, family)}};
        const ConfigTextResult fromShow = ConfigFromText(QJsonDocument(shown).toJson());
        QVERIFY2(fromShow.Error.isEmpty(), qPrintable(fromShow.Error));
        QCOMPARE(ExportText(fromShow.Image, fromShow.FamilyCode), text);
    }

    void exportsPassTheSchema()
    {
        QTemporaryDir dir;
        QStringList files;
        QRandomGenerator random(7);
        QList<ConfigImage> images{NewImage(), RichImage()};
        for (int i = 0; i < 200; ++i)
            images << RandomImage(random);
        for (qsizetype i = 0; i < images.size(); ++i) {
            const QString path = dir.filePath(QStringLiteral("%1.json").arg(i));
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(ExportText(images[i], int(i % 256) - 128));
            files << path;
        }
        // Documents with a fault must fail the same check, or it proves nothing.
        const QList<QPair<QString, QJsonValue>> faults{
            {"configuration.inputs[5].contact", 2},
            {"configuration.inputs[5].contact_name", "shut"},
            {"configuration.modbus.other_flags", 8},  // a bit of the stop bits
            {"configuration.outputs[2].other_bits", 4},
            {"configuration.windows[3].number", 33},
            {"configuration.requests.records[2].address", 65536},
            {"configuration.blocks", QJsonArray{"00"}},
        };
        // They are show's document (with "blocks"), which passes unchanged.
        const QJsonObject shown{{"schema_version", JsonSchemaVersion},
                                {"command", "show"},
                                {"configuration", ConfigDocument(NewImage(), 0)}};
        files << dir.filePath("shown.json");
        QFile good(files.last());
        QVERIFY(good.open(QIODevice::WriteOnly));
        good.write(QJsonDocument(shown).toJson());
        good.close();
        QStringList bad;
        for (qsizetype i = 0; i < faults.size(); ++i) {
            QJsonValue root = shown;
            Edit(root, faults[i].first.split('.'), faults[i].second);
            bad << dir.filePath(QStringLiteral("bad-%1.json").arg(i));
            QFile f(bad.last());
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QJsonDocument(root.toObject()).toJson());
        }
        const QString script = QStringLiteral(
            "import json, sys, jsonschema\n"
            "schema = json.load(open(sys.argv[1]))\n"
            "v = jsonschema.Draft202012Validator(schema)\n"
            "v.check_schema(schema)\n"
            "bad = [p for p in sys.argv[2:] if not v.is_valid(json.load(open(p)))]\n"
            "print(' '.join(bad))\n");
        QProcess python;
        python.start(DebianPython, QStringList{"-c", script, ORLIX_CONFIG_SCHEMA} << files << bad);
        QVERIFY(python.waitForFinished(120000));
        QVERIFY2(python.exitCode() == 0, python.readAllStandardError().constData());
        QCOMPARE(QString::fromUtf8(python.readAllStandardOutput()).trimmed(), bad.join(' '));
    }

    // The shipped schema is the one the field table makes, to the byte.
    void shippedSchemaIsMade()
    {
        QFile shipped(QStringLiteral(ORLIX_CONFIG_SCHEMA));
        QVERIFY(shipped.open(QIODevice::ReadOnly));
        QVERIFY2(shipped.readAll() == SchemaText(ConfigSchema()),
                 "schemas/orlix-configuration.schema.json differs from orlix-cli schema");
    }

    void everyFieldInTheSchema_data()
    {
        QTest::addColumn<QString>("path");
        for (const FieldRow& row : ConfigFields())
            QTest::newRow(qPrintable(row.Path)) << row.Path;
    }

    // Each field has its own value schema where the document puts it, and
    // a field with names its "_name" and "_text".
    void everyFieldInTheSchema()
    {
        QFETCH(QString, path);
        static const QJsonObject schema = ConfigSchema();
        static const QRegularExpression Step(QStringLiteral(R"(^([a-z_0-9]+)(?:\[(\d+)\])?$)"));
        const FieldRow& row = *FindField(path);
        QJsonObject object = schema["properties"]["configuration"].toObject();
        QJsonObject node;
        const QStringList steps = path.split('.');
        for (qsizetype i = 0; i < steps.size(); ++i) {
            const auto m = Step.match(steps[i]);
            QVERIFY2(object["required"].toArray().contains(m.captured(1)), qPrintable(steps[i]));
            node = object["properties"][m.captured(1)].toObject();
            if (!m.captured(2).isEmpty()) {
                QCOMPARE(node["type"].toString(), QStringLiteral("array"));
                QVERIFY(m.captured(2).toInt() <= node["maxItems"].toInt());
                node = node["items"].toObject();
            }
            if (i + 1 < steps.size())
                object = node;
        }
        QCOMPARE(node, FieldValueSchema(row));
        const QString key =
            QRegularExpression(QStringLiteral(R"(\[\d+\]$)")).match(steps.last()).hasMatch()
                ? QString()
                : steps.last();
        if (!key.isEmpty()) {
            const QJsonObject properties = object["properties"].toObject();
            QCOMPARE(properties.contains(key + "_name"), row.Format == FieldFormat::Names);
            QCOMPARE(properties.contains(key + "_text"),
                     row.Format == FieldFormat::Names || row.Format == FieldFormat::NamedNumber);
        }
    }

    void badTextRefused_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QJsonValue>("value");  // undefined: the key removed
        QTest::addColumn<QString>("error");
        const QJsonValue gone(QJsonValue::Undefined);
        QTest::newRow("name not listed") << "configuration.inputs[12].contact" << QJsonValue("shut")
                                         << R"(inputs[12].contact: ожидается "open" или "closed")";
        QTest::newRow("flag as a number")
            << "configuration.outputs[3].ack_by_modbus" << QJsonValue(1)
            << "outputs[3].ack_by_modbus: ожидается true или false";
        QTest::newRow("number as a string") << "configuration.modbus.address" << QJsonValue("5")
                                            << "modbus.address: ожидается целое число";
        QTest::newRow("fraction") << "configuration.modbus.address" << QJsonValue(5.5)
                                  << "modbus.address: ожидается целое число";
        QTest::newRow("byte out of range")
            << "configuration.inputs[3].assignment" << QJsonValue(256)
            << "inputs[3].assignment: 256 вне диапазона 0 - 255";
        QTest::newRow("word below range")
            << "configuration.requests.records[2].address" << QJsonValue(-1)
            << "requests.records[2].address: -1 вне диапазона 0 - 65535";
        QTest::newRow("bits of another field")
            << "configuration.modbus.other_flags" << QJsonValue(8)
            << "modbus.other_flags: 8: биты вне поля (маска байта 0xC7)";
        QTest::newRow("family out of range")
            << "configuration.family" << QJsonValue(128) << "family: 128 вне диапазона -128 - 127";
        QTest::newRow("unknown key") << "configuration.inputs[12].contakt" << QJsonValue(0)
                                     << "inputs[12].contakt: неизвестный ключ";
        QTest::newRow("unknown top key")
            << "comment" << QJsonValue("x") << "comment: неизвестный ключ";
        QTest::newRow("missing field")
            << "configuration.windows[5].type" << gone << "windows[5].type: отсутствует";
        QTest::newRow("missing table") << "configuration.outputs" << gone << "outputs: отсутствует";
        QTest::newRow("short table")
            << "configuration.inputs[64]" << gone << "inputs: ожидается массив из 64 элементов";
        QTest::newRow("row numbered wrongly") << "configuration.outputs[2].number" << QJsonValue(5)
                                              << "outputs[2].number: ожидается 2";
        QTest::newRow("name disagrees")
            << "configuration.inputs[1].contact_name" << QJsonValue("closed")
            << R"(inputs[1].contact_name: не совпадает со значением поля ("open"))";
        QTest::newRow("blocks disagree") << "configuration.blocks" << QJsonValue(QJsonArray{"00"})
                                         << "blocks: ожидается массив из 10 элементов";
        QTest::newRow("other schema")
            << "schema_version" << QJsonValue(2) << "schema_version: ожидается 1";
        QTest::newRow("no configuration")
            << "configuration" << gone << "configuration: отсутствует";
    }
    void badTextRefused()
    {
        QFETCH(QString, path);
        QFETCH(QJsonValue, value);
        QFETCH(QString, error);
        QJsonValue root = ConfigExportDocument(RichImage(), 0);
        Edit(root, path.split(QLatin1Char('.')), value);
        const ConfigTextResult result = ConfigFromText(QJsonDocument(root.toObject()).toJson());
        QCOMPARE(result.Error, error);
    }

    // The speed reads as the rate in bits per second where the byte is a
    // listed divisor code, as the raw byte where it is not.
    void baudReadsAsRate_data()
    {
        QTest::addColumn<int>("byte");  // -1: the value is refused
        QTest::addColumn<int>("json");
        QTest::addColumn<QString>("error");
        QTest::newRow("rate") << 23 << 19200 << QString();
        QTest::newRow("fastest rate") << int(BaudRateTable.back().Divisor)
                                      << int(BaudRateTable.back().BitsPerSecond) << QString();
        QTest::newRow("raw byte") << 5 << 5 << QString();
        QTest::newRow("not a rate")
            << -1 << 1234
            << "modbus.baud: 1234 не из списка 9600, 14400, 19200, 28800, 38400, 57600, 115200 "
               "и вне диапазона байта 0 - 255";
    }
    void baudReadsAsRate()
    {
        QFETCH(int, byte);
        QFETCH(int, json);
        QFETCH(QString, error);
        ConfigImage image = NewImage();
        if (byte >= 0) {
            image[MBusSettings::BaudDivisor] = uint8_t(byte);
            StampBlockCrcs(image);
            const QJsonObject modbus = ConfigDocument(image, 0).value("modbus").toObject();
            QCOMPARE(modbus.value("baud"), QJsonValue(json));
            QVERIFY(!modbus.contains("baud_name"));
        }
        QJsonValue root = ConfigExportDocument(NewImage(), 0);
        Edit(root, QStringList{"configuration", "modbus", "baud"}, QJsonValue(json));
        Edit(root, QStringList{"configuration", "modbus", "baud_text"}, QJsonValue::Undefined);
        const ConfigTextResult result = ConfigFromText(QJsonDocument(root.toObject()).toJson());
        QCOMPARE(result.Error, error);
        if (byte >= 0)
            QCOMPARE(int(result.Image[MBusSettings::BaudDivisor]), byte);
    }

    void notJsonRefused_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("error");
        QTest::newRow("cut short")
            << QByteArray("{\"schema_version\": 1,") << "не документ JSON: ошибка в символе 21";
        QTest::newRow("binary") << QByteArray("\x01\x02\xAA", 3)
                                << "не документ JSON: ошибка в символе 1";
        QTest::newRow("an array") << QByteArray("[1, 2]") << "не документ JSON: ожидается объект";
    }
    void notJsonRefused()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, error);
        QCOMPARE(ConfigFromText(text).Error, error);
    }

    void setChangesOneField_data()
    {
        QTest::addColumn<QString>("assignment");
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("byte");  // -1: refused, nothing changed
        QTest::newRow("address") << "modbus.address=5" << int(MBusSettings::NetAddress) << 5;
        QTest::newRow("contact by name")
            << "inputs[2].contact=closed" << int(InputType::Offset) << 0x02;
        QTest::newRow("relay flag")
            << "inputs[5].relays[8]=true" << int(OutputActivation::Offset + 4) << 0x81;
        QTest::newRow("two-byte word")
            << "acks.records[1].address=4609" << BlockDirectory[8].Offset + 3 << 0x01;
        QTest::newRow("baud by rate") << "modbus.baud=9600" << int(MBusSettings::BaudDivisor) << 47;
        QTest::newRow("baud raw byte") << "modbus.baud=5" << int(MBusSettings::BaudDivisor) << 5;
        QTest::newRow("baud not a rate") << "modbus.baud=1234" << 0 << -1;
        QTest::newRow("name refused") << "modbus.parity=mark" << int(MBusSettings::LineFlags) << -1;
        QTest::newRow("unknown path") << "modbus.adress=5" << 0 << -1;
        QTest::newRow("no value") << "modbus.address" << 0 << -1;
    }
    void setChangesOneField()
    {
        QFETCH(QString, assignment);
        QFETCH(int, offset);
        QFETCH(int, byte);
        const ConfigImage before = RichImage();
        ConfigImage image = before;
        int32_t family = 0;
        const QString error = SetConfigField(image, family, assignment);
        QCOMPARE(error.isEmpty(), byte >= 0);
        for (int i = 0; i < ConfigImageSize; ++i)
            QCOMPARE(int(image[i]), i == offset && byte >= 0 ? byte : int(before[i]));
    }
};

QTEST_GUILESS_MAIN(TestConfigText)
#include "tst_config_text.moc"
