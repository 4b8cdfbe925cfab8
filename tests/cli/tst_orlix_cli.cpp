// The real orlix-cli program against the simulated panel on a
// pseudo-terminal, registered as a virtual port in a private ports folder.
#include "cli_run.h"
#include "files/config_file.h"
#include "image_compare.h"
#include "link/modbus.h"
#include "link/port_registry.h"
#include "model/block_crc.h"
#include "model/dev_config.h"
#include "model/input_assignment.h"
#include "model/input_type.h"
#include "model/mbus_settings.h"
#include "model/new_configuration.h"
#include "model/out_data_base.h"
#include "model/output_activation.h"
#include "model/request_table.h"
#include "model/window_types.h"
#include "simulated_panel.h"
#include "test_files.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {
// The key under which the crossbar lists input 7.
const QString CrossbarKey7 = QStringLiteral("inputs[7].assignment");

using Result = CliRun;

ConfigImage Sample(uint8_t seed)
{
    ConfigImage image{};
    for (int i = 0; i < ConfigImageSize; ++i)
        image[i] = uint8_t(seed + i * 5);
    image[0] = 2;
    image[1] = 1;
    image[2] = 32;
    return image;
}

// A configuration as the pages would make it, with a few settings away
// from the new configuration.
ConfigImage PageImage()
{
    ConfigState state;
    DefaultDevConfigBytes(state);
    DefaultMBSettingsBytes(state.Image);
    DefaultInputTypeBytes(state.Image);
    DefaultOutDataBaseBytes(state.Image);
    DefaultInputAssignmentBytes(state.Image);
    DefaultOutputActivationBytes(state.Image);
    DefaultWindowTypes(state.Image);
    SetInputAssignmentCode(state.Image, 40, 103);  // acknowledges relay 4
    SetWindowType(state.Image, 7, WindowType::InverseEmergency);
    state.Image[DevConfig::LineTimeout] = 5;
    StoreMBusSettings(state.Image, 17, 2, false, Parity::Even);
    SetInputContact(state.Image, 12, ContactType::NormallyClosed);
    SetOutputType(state.Image, 3, OutType::Control);
    return state.Image;
}

QString Lines(const QStringList& lines)
{
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QJsonObject Json(const QString& text)
{
    QJsonParseError error;
    const QJsonObject root = QJsonDocument::fromJson(text.toUtf8(), &error).object();
    if (error.error != QJsonParseError::NoError)
        qWarning("not JSON: %s", qPrintable(text));
    return root;
}
}  // namespace

class TestOrlixCli : public QObject {
    Q_OBJECT
    QTemporaryDir m_ports;
    QTemporaryDir m_files;
    std::unique_ptr<SimulatedPanel> m_panel;

    Result Run(const QStringList& arguments, int timeoutMs = 30000,
               const QString& program = QStringLiteral(ORLIX_CLI_PATH))
    {
        return RunProgram(program, arguments, m_ports.path(), timeoutMs);
    }

    QString WriteFile(const QString& name, const ConfigImage& image, int family = 0,
                      int version = 170)
    {
        ConfigImage stamped = image;
        StampBlockCrcs(stamped);
        QByteArray bytes = EncodeConfigFile(stamped, family, QDateTime::currentDateTime());
        qToLittleEndian<qint32>(version, bytes.data());
        const QString path = m_files.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

private slots:
    void init()
    {
        m_panel = std::make_unique<SimulatedPanel>();
        QString error;
        QVERIFY2(m_panel->Start(&error), qPrintable(error));
        QVERIFY2(PortRegistry::RegisterVirtualPort(m_ports.path(), "ORL-SIM1",
                                                   m_panel->DevicePath(), &error),
                 qPrintable(error));
    }
    void cleanup()
    {
        PortRegistry::UnregisterVirtualPort(m_ports.path(), "ORL-SIM1");
        m_panel.reset();
    }

    void portsListsTheVirtualPort()
    {
        const Result r = Run({"ports"});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.split('\n').contains("ORL-SIM1"), qPrintable(r.out));
    }

    // A read makes a 1.70 file that check passes, with blocks 0..6 of the
    // panel, its family, and blocks 7..9 of the base file.
    void readThenCheck()
    {
        m_panel->SetFamily(1);
        const ConfigImage held = Sample(3);
        m_panel->SetImage(held);
        const ConfigImage baseImage = Sample(77);
        const QString base = WriteFile("base.cfg", baseImage);
        const QString out = m_files.filePath("read.cfg");
        const Result r = Run({"read", "--port", "ORL-SIM1", "-o", out, "--base", base});
        QCOMPARE(r.out, Lines({"№1 (адрес 1): ОРЛ-09 считана в " + out}));
        QCOMPARE(r.exitCode, 0);
        const LoadedConfig loaded = LoadConfigFile(out, nullptr);
        QCOMPARE(loaded.FamilyCode, 1);
        QVERIFY(SameBlocks(loaded.Image, held, 0, 6));
        QVERIFY(SameBlocks(loaded.Image, baseImage, 7, 9));

        const Result check = Run({"check", out});
        QCOMPARE(check.exitCode, 0);
        QCOMPARE(check.out, Lines({out + ": 514 байт, v1.70, семейство 1, CRC блоков 0-9 верны"}));

        const Result show = Run({"show", out});
        QCOMPARE(show.exitCode, 0);
        QVERIFY2(show.out.contains("\nСемейство: ОРЛ-09\n"), qPrintable(show.out));
    }

    // A write leaves the panel holding exactly blocks 0..6 of the file.
    void writeFile()
    {
        ConfigImage before{};
        before.fill(0xEE);
        m_panel->SetImage(before);
        ConfigImage image = Sample(9);
        const QString file = WriteFile("w.cfg", image);
        const Result r = Run({"write", file, "--port", "ORL-SIM1", "--trace"});
        QCOMPARE(r.out, Lines({"№1 (адрес 1): записано"}));
        QCOMPARE(r.exitCode, 0);
        const ConfigImage held = m_panel->Image();
        // Block 1 carries the address the panel was reached at, not the file's.
        QCOMPARE(held[MBusSettings::NetAddress], uint8_t(1));
        image[MBusSettings::NetAddress] = 1;
        QVERIFY(SameBlocks(held, image, 0, 6));
        QVERIFY(SameBlocks(held, before, 7, 9));
        QCOMPARE(m_panel->ApplyCount(), 0);
        // The trace shows every frame both ways with a time stamp.
        QVERIFY2(r.err.contains(QRegularExpression(R"(\d+ ms -> 01 11 C0 2C)")), qPrintable(r.err));
        QVERIFY(r.err.contains(QRegularExpression(R"(\d+ ms <- 01 11 03 20 07 32)")));
        QCOMPARE(int(r.err.count(" -> 01 46 00 16 02 00")), 1);  // block 0, written once
    }

    void writeAndApplyRefused_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("summary");
        QTest::newRow("answers 1") << "apply-not-started"
                                   << "№1 (адрес 1): ошибка: Программирование не запускалось.";
        QTest::newRow("exception 6") << "exception,code=6,request=apply"
                                     << "№1 (адрес 1): ошибка: Панель отвергла применение: код 6.";
    }
    void writeAndApplyRefused()
    {
        QFETCH(QString, fault);
        QFETCH(QString, summary);
        m_panel->AddFault(*PanelFault::Parse(fault));
        const Result r =
            Run({"write", WriteFile("a.cfg", Sample(1)), "--apply", "--port", "ORL-SIM1"});
        QCOMPARE(r.out, Lines({summary}));
        QCOMPARE(r.exitCode, 1);
        const QByteArray last = m_panel->Requests().last();
        QCOMPARE(last.toHex(' ').toUpper(), QByteArray("01 46 00 01 03 4D 19"));
    }

    // Three panels share the line; nobody answers at 9. Each gets its own
    // summary, the failing one does not stop the others, and the status
    // tells that one failed.
    void batchOverAddresses()
    {
        for (uint8_t a : {2, 3})
            QVERIFY(m_panel->AddPanel(a));
        const ConfigImage image = Sample(21);
        const Result r =
            Run({"write", WriteFile("b.cfg", image), "--port", "ORL-SIM1", "--address", "1-3,9"});
        QCOMPARE(r.out, Lines({"№1 (адрес 1): записано", "№2 (адрес 2): записано",
                               "№3 (адрес 3): записано",
                               "№9 (адрес 9): ошибка: Устройство № 9  (ORL-SIM1)  не отвечает на "
                               "запросы."}));
        QCOMPARE(r.exitCode, 1);
        for (uint8_t a : {1, 2, 3}) {
            ConfigImage expected = image;
            expected[MBusSettings::NetAddress] = a;
            QVERIFY(SameBlocks(m_panel->ImageAt(a), expected, 0, 6));
        }
        QVERIFY(r.err.contains("[4/4] №9"));

        // With --stop-on-error nothing after the failing panel runs.
        const Result stop =
            Run({"apply", "--port", "ORL-SIM1", "--address", "9,1", "--stop-on-error"});
        QCOMPARE(stop.exitCode, 1);
        QCOMPARE(stop.out.count('\n'), 1);
        QCOMPARE(m_panel->ApplyCountAt(1), 0);
    }

    void info()
    {
        m_panel->SetFirmware(1, 6);  // read, write and apply would refuse it
        m_panel->SetHardwareRevision(0x0A);
        const Result r = Run({"info", "--port", "ORL-SIM1"});
        QCOMPARE(r.out, Lines({"№1 (адрес 1): ОРЛ-07, ПО 1.6, ревизия аппаратуры 0x0A"}));
        QCOMPARE(r.exitCode, 0);
        const Result apply = Run({"apply", "--port", "ORL-SIM1"});
        QCOMPARE(apply.out,
                 Lines({"№1 (адрес 1): ошибка: Конфликт версий ПО - требуется программатор "
                        "v1.60."}));
    }

    void showText()
    {
        const Result r = Run({"show", WriteFile("s.cfg", PageImage())});
        QCOMPARE(r.exitCode, 0);
        const QStringList lines = r.out.split('\n');
        for (const char* expected :
             {"[Конфигурация]", "Семейство: ОРЛ-07", "Зафиксировать конфигурацию: да",
              "Контроль линии связи: да, таймаут 5 с", "Сетевой адрес: 17", "Скорость: 19200 бод",
              "Стоп-биты: один", "Паритет: четный", "Вход 12: Н.З.", "Вход 13: Н.Р.",
              "Выход 3: тип: Управление (квитирование и сброс заблокированы)",
              "Выход 1: тип: Звуковая сигнализация", "Выход 1: квитирование: Панель, ModBus",
              "Вход 40: назначение: Квитирование реле: 4", "Вход 3: реле: 3", "Вход 9: реле: —",
              "Окно 7: Обратная аварийная", "Окно 8: Индикация"})
            QVERIFY2(lines.contains(QString::fromUtf8(expected)), expected);
        QVERIFY(lines.first().startsWith("Файл: "));
        QVERIFY(r.out.contains(QRegularExpression("\nМодель: ОРЛ-07 \\(")));
    }

    // The JSON form parses back and agrees with the image, field by field
    // and byte for byte.
    void showJson()
    {
        const ConfigImage image = PageImage();
        const Result r = Run({"show", "--json", WriteFile("j.cfg", image)});
        QCOMPARE(r.exitCode, 0);
        const QJsonObject root = Json(r.out);
        QCOMPARE(root["schema_version"].toInt(), 1);
        QCOMPARE(root["command"].toString(), QStringLiteral("show"));
        QCOMPARE(root["file_version"].toString(), QStringLiteral("1.70"));
        const QJsonObject c = root["configuration"].toObject();
        for (int b = 0; b < ConfigBlockCount; ++b) {
            const auto payload = BlockPayload(image, b);
            const QByteArray hex =
                QByteArray(reinterpret_cast<const char*>(payload.data()), payload.size()).toHex();
            QCOMPARE(c["blocks"][b].toString().toLatin1(), hex);
        }
        QCOMPARE(c["model"].toString(), QStringLiteral("ОРЛ-07"));
        QCOMPARE(c["modbus"]["address"].toInt(), 17);
        QCOMPARE(c["modbus"]["baud"].toInt(), 19200);
        QCOMPARE(c["modbus"]["parity_name"].toString(), QStringLiteral("even"));
        QCOMPARE(c["modbus"]["stop_bits_name"].toString(), QStringLiteral("one"));
        QCOMPARE(c["device"]["line_timeout"].toInt(), 5);
        QCOMPARE(c["device"]["fixed_configuration"].toBool(), true);
        const QJsonArray inputs = c["inputs"].toArray();
        QCOMPARE(inputs.size(), 64);
        for (int n = 1; n <= 64; ++n) {
            const QJsonObject in = inputs[n - 1].toObject();
            QCOMPARE(in["number"].toInt(), n);
            const bool closed = InputContact(image, n) == ContactType::NormallyClosed;
            QCOMPARE(in["contact"].toInt(), closed ? 1 : 0);
            QCOMPARE(in["contact_name"].toString(), closed ? "closed" : "open");
            QCOMPARE(in["assignment"].toInt(), int(InputAssignmentCode(image, n)));
            const QJsonArray relays = in["relays"].toArray();
            QCOMPARE(relays.size(), 8);
            for (int r = 1; r <= 8; ++r)
                QCOMPARE(relays[r - 1].toBool(), InputActivatesRelay(image, n, r));
        }
        QCOMPARE(inputs[11]["contact_text"].toString(), QStringLiteral("Н.З."));
        QCOMPARE(c["outputs"][2]["type"].toInt(), int(OutType::Control));
        QCOMPARE(c["outputs"][2]["type_name"].toString(), QStringLiteral("control"));
        QCOMPARE(c["windows"][6]["type"].toInt(), 5);
        QCOMPARE(c["requests"]["count"].toInt(), int(image[NetTableOffset(NetTable::Request)]));
        QCOMPARE(c["requests"]["records"].toArray().size(), 16);
    }

    // diff names exactly the fields that differ.
    void diffFiles()
    {
        const ConfigImage a = PageImage();
        ConfigImage b = a;
        SetInputContact(b, 5, ContactType::NormallyClosed);
        SetOutputType(b, 2, OutType::ControlWithBlocking);
        b[BlockDirectory[3].Offset + 6] = 40;  // input 7's assignment
        const QString fa = WriteFile("a.cfg", a);
        const QString fb = WriteFile("b.cfg", b);
        const Result same = Run({"diff", fa, fa});
        QCOMPARE(same.exitCode, 0);
        QCOMPARE(same.out, QString());
        const Result r = Run({"diff", fb, fa});
        QCOMPARE(r.exitCode, 1);
        const QString expected =
            Lines({"Вход 5: тип контакта: Н.З. -> Н.Р.",
                   "Вход 7: назначение: — (байт 0x28) -> Окно сигнализации: 7",
                   "Выход 2: тип: Управление с блок. -> Звуковая сигнализация"});
        QVERIFY2(r.out == expected, qPrintable(r.out));
        const Result j = Run({"diff", "--json", fa, fb});
        QCOMPARE(j.exitCode, 1);
        const QJsonObject root = Json(j.out);
        QCOMPARE(root["equal"].toBool(), false);
        QStringList keys;
        for (const QJsonValue& d : root["differences"].toArray())
            keys << d["path"].toString();
        QCOMPARE(keys, (QStringList{"inputs[5].contact", CrossbarKey7, "outputs[2].type"}));
        QCOMPARE(root["differences"][1]["b"].toInt(), 40);
        const Result bad = Run({"diff", fa, "/nonexistent.cfg"});
        QCOMPARE(bad.exitCode, 2);
    }

    // A template written with --apply to three panels: each keeps the
    // address it was reached at and takes the template's other bytes.
    void templateKeepsEachAddress()
    {
        m_panel->SetAddress(2);
        for (uint8_t a : {3, 4})
            QVERIFY(m_panel->AddPanel(a));
        ConfigImage image = PageImage();  // its own address is 17
        const Result r = Run({"write", WriteFile("t.cfg", image), "--port", "ORL-SIM1", "--address",
                              "2-4", "--apply"});
        QCOMPARE(r.out, Lines({"№2 (адрес 2): записано и применено, проверено",
                               "№3 (адрес 3): записано и применено, проверено",
                               "№4 (адрес 4): записано и применено, проверено"}));
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(m_panel->Addresses(), (QList<uint8_t>{2, 3, 4}));
        for (uint8_t a : {2, 3, 4}) {
            image[MBusSettings::NetAddress] = a;
            QVERIFY2(SameBlocks(m_panel->ImageAt(a), image, 0, 6), qPrintable(QString::number(a)));
            QCOMPARE(m_panel->ApplyCountAt(a), 1);
        }
    }

    // Refused before anything is written: the panels keep what they hold.
    void refusedBeforeWriting_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("fileFamily");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("written");
        QTest::newRow("net address, several targets")
            << QStringList{"--address", "1,3", "--net-address", "5"} << 0 << 2
            << "--net-address только для одной панели, а адресов: 2" << false;
        QTest::newRow("file's address, several targets")
            << QStringList{"--address", "1,3", "--net-address", "file"} << 0 << 2
            << "--net-address только для одной панели" << false;
        QTest::newRow("net address taken")
            << QStringList{"--net-address", "3"} << 0 << 1
            << "№1 (адрес 1): ошибка: По адресу 3 уже отвечает ОРЛ-07." << false;
        QTest::newRow("other family")
            << QStringList{} << 1 << 1
            << "№1 (адрес 1): ошибка: Файл для ОРЛ-09, а панель - ОРЛ-07." << false;
        QTest::newRow("other family, forced")
            << QStringList{"--force"} << 1 << 0 << "№1 (адрес 1): записано" << true;
        QTest::newRow("free net address")
            << QStringList{"--net-address", "8"} << 0 << 0 << "№1 (адрес 1): записано" << true;
    }
    void refusedBeforeWriting()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, fileFamily);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        QFETCH(bool, written);
        QVERIFY(m_panel->AddPanel(3));
        const ConfigImage before = m_panel->Image();
        const ConfigImage image = PageImage();
        const Result r =
            Run(QStringList{"write", WriteFile("r.cfg", image, fileFamily), "--port", "ORL-SIM1"} +
                arguments);
        QCOMPARE(r.exitCode, exitCode);
        QVERIFY2((r.out + r.err).contains(message), qPrintable(r.out + r.err));
        bool anyWrite = false;
        for (const QByteArray& f : m_panel->Requests())
            anyWrite = anyWrite || (f.size() > 4 && f[1] == 0x46 && f[4] == 0x02);
        QCOMPARE(anyWrite, written);
        QCOMPARE(SameBlocks(m_panel->Image(), before, 0, 6), !written);
        if (written && arguments.contains("8"))
            QCOMPARE(m_panel->Image()[MBusSettings::NetAddress], uint8_t(8));
    }

    // verify compares blocks 0..6 with the file, the address with the one
    // the panel was reached at, and names what differs.
    void verify_data()
    {
        QTest::addColumn<int>("changedOffset");  // -1: none
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("line");
        QTest::newRow("equal") << -1 << 0 << QString() << "№1 (адрес 1): совпадает с файлом";
        QTest::newRow("input 12's contact") << InputType::Offset + 1 << 1 << "inputs[12].contact"
                                            << "  Вход 12: тип контакта: панель Н.Р., файл Н.З.";
        QTest::newRow("slave address") << int(MBusSettings::NetAddress) << 1 << "modbus.address"
                                       << "  Сетевой адрес: панель 9, файл 1";
        QTest::newRow("block 7 never compared")
            << BlockDirectory[7].Offset << 0 << QString() << "№1 (адрес 1): совпадает с файлом";
    }
    void verify()
    {
        QFETCH(int, changedOffset);
        QFETCH(int, exitCode);
        QFETCH(QString, path);
        QFETCH(QString, line);
        ConfigImage image = PageImage();
        const QString file = WriteFile("v.cfg", image);
        image[MBusSettings::NetAddress] = 1;  // the panel's own
        if (changedOffset == MBusSettings::NetAddress)
            image[changedOffset] = 9;
        else if (changedOffset >= 0)
            image[changedOffset] ^= 0x08;  // input 12 is bit 3 of the second byte
        m_panel->SetImage(image);
        const Result r = Run({"verify", file, "--port", "ORL-SIM1"});
        QCOMPARE(r.exitCode, exitCode);
        QVERIFY2(r.out.split('\n').contains(line), qPrintable(r.out));
        const QJsonObject j = Json(Run({"verify", file, "--port", "ORL-SIM1", "--json"}).out);
        const QJsonObject panel = j["panels"][0].toObject();
        QCOMPARE(panel["status"].toString(), exitCode ? "differs" : "ok");
        QCOMPARE(panel["differences"].toArray().size(), path.isEmpty() ? 0 : 1);
        if (!path.isEmpty())
            QCOMPARE(panel["differences"][0]["path"].toString(), path);
    }

    // write --apply verifies at the address and line settings of block 1.
    void applyVerifiesAcrossAddressChange()
    {
        ConfigImage image = PageImage();  // 19200 baud, one stop bit, even parity
        const Result r = Run({"write", WriteFile("n.cfg", image), "--port", "ORL-SIM1",
                              "--net-address", "6", "--apply", "--json"});
        QCOMPARE(r.exitCode, 0);
        const QJsonObject panel = Json(r.out)["panels"][0].toObject();
        QCOMPARE(panel["status"].toString(), QStringLiteral("ok"));
        QCOMPARE(panel["address_after"].toInt(), 6);
        QCOMPARE(panel["verified"].toBool(), true);
        QCOMPARE(m_panel->Addresses(), QList<uint8_t>{6});
        QCOMPARE(m_panel->Identity().BaudRate, 19200);
        image[MBusSettings::NetAddress] = 6;
        QVERIFY(SameBlocks(m_panel->Image(), image, 0, 6));
        // The read-back after the apply went to address 6.
        QCOMPARE(m_panel->Requests().last().at(0), char(6));
    }

    // A block the panel acknowledged but did not keep passes the write; the
    // read-back finds it and names the first byte that differs.
    void writeVerifyNamesFirstDifference()
    {
        m_panel->AddFault(*PanelFault::Parse("discard,block=2,count=1"));
        ConfigImage image = NewConfigurationImage();
        SetInputContact(image, 12, ContactType::NormallyClosed);
        QCOMPARE(m_panel->Image()[InputType::Offset + 1], uint8_t(0));
        const Result r =
            Run({"write", WriteFile("d.cfg", image), "--port", "ORL-SIM1", "--verify"});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.out, Lines({"№1 (адрес 1): ошибка: при проверке блок 2, байт 1 (Вход 12: тип "
                               "контакта): панель 0x00, файл 0x08"}));
    }

    // A step without an answer is not confirmed (status 3), not success.
    void notConfirmed_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("status");
        QTest::newRow("apply unanswered")
            << "no-answer,request=apply" << QStringList{"apply"} << 3 << "not_confirmed";
        QTest::newRow("write --apply, apply unanswered, read-back matches")
            << "no-answer,request=apply" << QStringList{"write", "--apply"} << 3 << "not_confirmed";
        QTest::newRow("polls unanswered")
            << "no-answer,request=poll" << QStringList{"write"} << 3 << "not_confirmed";
        QTest::newRow("polls unanswered, read-back matches")
            << "no-answer,request=poll" << QStringList{"write", "--verify"} << 0 << "ok";
        QTest::newRow("all answered") << "" << QStringList{"write", "--apply"} << 0 << "ok";
    }
    void notConfirmed()
    {
        QFETCH(QString, fault);
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, status);
        if (!fault.isEmpty())
            m_panel->AddFault(*PanelFault::Parse(fault));
        ConfigImage image = NewConfigurationImage();
        SetInputContact(image, 3, ContactType::NormallyClosed);
        QStringList args{arguments.first()};
        if (args.first() == "write")
            args << WriteFile("u.cfg", image);
        args << arguments.mid(1) << "--port"
             << "ORL-SIM1";
        const Result r = Run(args);
        QCOMPARE(r.exitCode, exitCode);
        QVERIFY2(r.out.contains("не подтверждено") == (exitCode == 3), qPrintable(r.out));
        const Result j = Run(args + QStringList{"--json"});
        QCOMPARE(j.exitCode, exitCode);
        QCOMPARE(Json(j.out)["panels"][0]["status"].toString(), status);
    }

    // scan finds exactly the panels on the line, with what they report.
    void scanFindsThePanels()
    {
        m_panel->SetAddress(3);
        m_panel->SetHardwareRevision(0x0B);
        for (uint8_t a : {17, 247})
            QVERIFY(m_panel->AddPanel(a));
        const Result r = Run({"scan", "--port", "ORL-SIM1", "--json"});
        QCOMPARE(r.exitCode, 0);
        const QJsonObject root = Json(r.out);
        QList<int> found;
        for (const QJsonValue& p : root["panels"].toArray()) {
            found << p["address"].toInt();
            QCOMPARE(p["device"].toString(), QStringLiteral("ОРЛ-07"));
            QCOMPARE(p["firmware"]["minor"].toInt(), 7);
            QCOMPARE(p["firmware"]["hardware_revision"].toInt(), 11);
        }
        QCOMPARE(found, (QList<int>{3, 17, 247}));
        QVERIFY(root["elapsed_ms"].isDouble());  // its time: scripts/bench.sh
    }

    // --all-settings finds a panel whose line settings nobody remembers.
    void scanAllSettings()
    {
        m_panel->SetAddress(5);
        m_panel->SetLineSettings(19200, false);
        const Result plain = Run({"scan", "--port", "ORL-SIM1", "--address", "4-6"});
        QCOMPARE(plain.out, QString());
        const Result r = Run({"scan", "--port", "ORL-SIM1", "--address", "4-6", "--all-settings"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, Lines({"№5: ОРЛ-07, ПО 1.7, ревизия аппаратуры 0x01; 19200 бод, "
                               "стоп-битов 1, паритет none"}));
    }

    // Two panels at one address answer together: nothing intact gets through.
    void collidingPanels()
    {
        QVERIFY(m_panel->AddPanelAlike(1));
        const Result r = Run({"info", "--port", "ORL-SIM1"});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.out.contains("ошибка"), qPrintable(r.out));
    }

    // Every command's JSON parses, carries the schema version and agrees
    // with the panel or the file.
    void jsonOfEveryCommand_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("key");  // the list of results
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("expected");
        QTest::newRow("ports") << QStringList{"ports"} << "ports"
                               << "name" << QVariant("ORL-SIM1");
        QTest::newRow("info") << QStringList{"info", "--port", "ORL-SIM1"} << "panels"
                              << "firmware" << QVariant(9);
        QTest::newRow("read") << QStringList{"read", "--port", "ORL-SIM1", "-o", "@out"} << "panels"
                              << "family" << QVariant(0);
        QTest::newRow("write") << QStringList{"write", "@file", "--port", "ORL-SIM1"} << "panels"
                               << "address_after" << QVariant(1);
        QTest::newRow("apply") << QStringList{"apply", "--port", "ORL-SIM1"} << "panels"
                               << "status" << QVariant("ok");
        QTest::newRow("verify") << QStringList{"verify", "@file", "--port", "ORL-SIM1"} << "panels"
                                << "status" << QVariant("differs");
        QTest::newRow("scan") << QStringList{"scan", "--port", "ORL-SIM1", "--address", "1-2"}
                              << "panels"
                              << "baud_rate" << QVariant(9600);
        QTest::newRow("check") << QStringList{"check", "@file"} << "files"
                               << "size" << QVariant(514);
    }
    void jsonOfEveryCommand()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, key);
        QFETCH(QString, field);
        QFETCH(QVariant, expected);
        m_panel->SetFirmware(1, 7);
        m_panel->SetHardwareRevision(9);
        const QString file = WriteFile("e.cfg", PageImage());
        for (QString& a : arguments)
            a = a == "@file" ? file : a == "@out" ? m_files.filePath("o.cfg") : a;
        const Result r = Run(arguments + QStringList{"--json"});
        const QJsonObject root = Json(r.out);
        QCOMPARE(root["schema_version"].toInt(), 1);
        QCOMPARE(root["command"].toString(), arguments.first());
        const QJsonArray list = root[key].toArray();
        QJsonObject item = list.isEmpty() ? QJsonObject() : list[0].toObject();
        if (key == "ports") {  // the machine's own ports are listed too
            for (const QJsonValue& p : list)
                if (p["name"] == expected.toString())
                    item = p.toObject();
        } else {
            QCOMPARE(list.size(), 1);
        }
        QVERIFY(item.contains("status") && item.contains("message"));
        if (key == "panels")
            QCOMPARE(item["address"].toInt(), 1);
        QJsonValue value = item[field];
        if (field == "firmware")
            value = value["hardware_revision"];
        QCOMPARE(value.toVariant(), expected);
    }

    // Bad input: a clear message, a non-zero status, no crash, nothing sent.
    void badInput_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");  // in standard output or error
        QTest::newRow("no command") << QStringList{} << 2 << "Не указана команда";
        QTest::newRow("unknown command") << QStringList{"erase"} << 2 << "Неизвестная команда";
        QTest::newRow("unknown option") << QStringList{"info", "--port", "ORL-SIM1", "--speed=1"}
                                        << 2 << "Неизвестный параметр '--speed'";
        QTest::newRow("missing value")
            << QStringList{"info", "--port"} << 2 << "Не указано значение параметра --port";
        QTest::newRow("repeated option")
            << QStringList{"info", "--port", "ORL-SIM1", "--address", "1", "--address", "2"} << 2
            << "Параметр --address указан более одного раза";
        QTest::newRow("-o a folder") << QStringList{"read", "--port", "ORL-SIM1", "-o", "@dir"} << 1
                                     << ": это папка, а не файл";
        QTest::newRow("verify without a file")
            << QStringList{"verify", "--port", "ORL-SIM1"} << 2 << "Неверное число файлов";
        QTest::newRow("--no-verify without --apply")
            << QStringList{"write", "x.cfg", "--port", "ORL-SIM1", "--no-verify"} << 2
            << "--no-verify только с --apply";
        QTest::newRow("--wait without --apply")
            << QStringList{"write", "x.cfg", "--port", "ORL-SIM1", "--wait", "3"} << 2
            << "--wait только с --apply";
        QTest::newRow("scan timeout 0")
            << QStringList{"scan", "--port", "ORL-SIM1", "--timeout", "0"} << 2 << "--timeout";
        QTest::newRow("address 0") << QStringList{"info", "--port", "ORL-SIM1", "--address", "0"}
                                   << 2 << "Неверный адрес '0'";
        QTest::newRow("address 256")
            << QStringList{"info", "--port", "ORL-SIM1", "--address", "1,256"} << 2
            << "Неверный адрес '256'";
        QTest::newRow("address range backwards")
            << QStringList{"info", "--port", "ORL-SIM1", "--address", "9-5"} << 2
            << "Неверный адрес '9-5'";
        QTest::newRow("no port") << QStringList{"apply"} << 2 << "Не указан порт";
        QTest::newRow("baud") << QStringList{"info", "--port", "ORL-SIM1", "--baud", "1234"} << 2
                              << "Неверная скорость '1234'";
        QTest::newRow("parity") << QStringList{"info", "--port", "ORL-SIM1", "--parity", "mark"}
                                << 2 << "--parity: none, even или odd, не 'mark'";
        QTest::newRow("baud not a number")
            << QStringList{"info", "--port", "ORL-SIM1", "--baud", "96OO"} << 2
            << "Неверная скорость '96OO'";
        QTest::newRow("stop bits 1.5")
            << QStringList{"info", "--port", "ORL-SIM1", "--stop-bits", "1.5"} << 2
            << "--stop-bits: 1 или 2, не '1.5'";
        QTest::newRow("echo yes") << QStringList{"info", "--port", "ORL-SIM1", "--echo", "yes"} << 2
                                  << "--echo: auto, on или off, не 'yes'";
        QTest::newRow("option of another command")
            << QStringList{"scan", "--port", "ORL-SIM1", "--apply"} << 2
            << "Параметр --apply не относится к команде scan";
        QTest::newRow("missing port") << QStringList{"apply", "--port", "ttyNOPE9"} << 1
                                      << "№1 (адрес 1): ошибка: Невозможно открыть порт ttyNOPE9.";
        QTest::newRow("missing file")
            << QStringList{"write", "/nonexistent/x.cfg", "--port", "ORL-SIM1"} << 1
            << "/nonexistent/x.cfg";
        QTest::newRow("read without -o")
            << QStringList{"read", "--port", "ORL-SIM1"} << 2 << "-o FILE.cfg";
    }
    void badInput()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        arguments.replaceInStrings("@dir", m_files.path());
        const Result r = Run(arguments);
        QCOMPARE(r.exitCode, exitCode);
        QVERIFY2((r.out + r.err).contains(message), qPrintable(r.out + r.err));
        QVERIFY(m_panel->Requests().isEmpty());
    }

    // Special files, strange names and ports that are no ports: refused at
    // once with the reason, names printed escaped, nothing replaced.
    void hostileInput_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");  // in standard output or error
        QTest::newRow("check FIFO") << "check-fifo" << 1 << "именованный канал (FIFO)";
        QTest::newRow("show FIFO") << "show-fifo" << 1 << "именованный канал (FIFO)";
        QTest::newRow("read -o FIFO") << "read-fifo" << 1 << "именованный канал (FIFO)";
        QTest::newRow("read -o device node")
            << "read-device" << 1 << "это не обычный файл, а символьное устройство";
        // A path with a slash is opened as given (not below /dev/): a regular
        // file there is no serial port.
        QTest::newRow("port /etc/passwd")
            << "port-file" << 1 << "не последовательный порт (не символьное устройство)";
        QTest::newRow("port name with new line and escape")
            << "ports-escaped" << 0 << "EVIL\\n\\x1b[31mORL-SIM9";
        QTest::newRow("ports folder open to all")
            << "ports-open" << 0 << "к ней есть доступ у группы или у всех (права 777)";
        QTest::newRow("check file name with new line")
            << "check-newline" << 0 << "a\\nb.cfg: 514 байт, v1.70";
        QTest::newRow("check file name not UTF-8")
            << "check-bytes" << 0 << "a\\xff.cfg: 514 байт, v1.70";
    }
    void hostileInput()
    {
        QFETCH(QString, kind);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        const QString special = m_files.filePath(kind + ".cfg");
        const QByteArray special8 = QFile::encodeName(special);
        if (kind.endsWith("fifo"))
            QCOMPARE(::mkfifo(special8.constData(), 0600), 0);
        if (kind == "read-device" && ::mknod(special8.constData(), S_IFCHR | 0600, makedev(1, 3)))
            QSKIP("cannot make a device node here (not root)");
        QStringList arguments;
        QString program = QStringLiteral(ORLIX_CLI_PATH);
        if (kind == "check-fifo") {
            arguments = {"check", special};
        } else if (kind == "show-fifo") {
            arguments = {"show", special};
        } else if (kind.startsWith("read-")) {
            arguments = {"read", "--port", "ORL-SIM1", "-o", special};
        } else if (kind == "port-file") {
            arguments = {"info", "--port", "/etc/passwd"};
        } else if (kind == "ports-escaped") {
            QVERIFY(QFile::link(m_panel->DevicePath(), m_ports.filePath("EVIL\n\x1b[31mORL-SIM9")));
            arguments = {"ports"};
        } else if (kind == "ports-open") {
            QVERIFY(QFile::setPermissions(m_ports.path(), QFileDevice::Permissions(0x7777)));
            arguments = {"ports"};
        } else if (kind == "check-newline") {
            arguments = {"check", WriteFile("a\nb.cfg", Sample(2))};
        } else if (kind == "check-bytes") {
            const QString good = WriteFile("good.cfg", Sample(3));
            // The name reaches the program as bytes that are not UTF-8.
            program = QStringLiteral("/bin/sh");
            arguments = {"-c",
                         "f=\"$(printf '%s/a\\377.cfg' \"$1\")\"; cp \"$2\" \"$f\" && "
                         "\"$0\" check \"$f\"; s=$?; rm -f \"$f\"; exit $s",
                         QStringLiteral(ORLIX_CLI_PATH), m_files.path(), good};
        }
        QElapsedTimer clock;
        clock.start();
        const Result r = Run(arguments, 10000, program);
        QVERIFY(QFile::setPermissions(m_ports.path(), QFileDevice::Permissions(0x7700)));
        QFile::remove(m_ports.filePath("EVIL\n\x1b[31mORL-SIM9"));
        if (kind == "ports-open")  // nothing of the folder listed
            QVERIFY2(!r.out.contains("ORL-SIM1"), qPrintable(r.out));
        QVERIFY2(clock.elapsed() < 8000, "the program waited on a special file");
        QCOMPARE(r.exitCode, exitCode);
        QVERIFY2((r.out + r.err).contains(message), qPrintable(r.out + r.err));
        QVERIFY(!(r.out + r.err).contains(QChar(0x1b)));
        if (kind.endsWith("fifo")) {
            struct stat st {};
            QCOMPARE(::lstat(special8.constData(), &st), 0);
            QVERIFY(S_ISFIFO(st.st_mode));  // not replaced by a file
        }
        if (kind == "read-device") {
            struct stat st {};
            QCOMPARE(::lstat(special8.constData(), &st), 0);
            QVERIFY(S_ISCHR(st.st_mode));
        }
    }

    // Failures of the line and of the files, in the tool's words.
    void failures_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("expected");
        QTest::newRow("port held") << "held"
                                   << "№1 (адрес 1): ошибка: Невозможно открыть порт ORL-SIM1.";
        QTest::newRow("no answer") << "silent"
                                   << "№1 (адрес 1): ошибка: Устройство № 1  (ORL-SIM1)  не "
                                      "отвечает на "
                                      "запросы.";
        QTest::newRow("file of version 1.50")
            << "v150"
            << "Несоответствие версии файла и программатора, файл v1.50.";
        QTest::newRow("corrupt file") << "corrupt"
                                      << "Файл конфигурации поврежден.";
    }
    void failures()
    {
        QFETCH(QString, kind);
        QFETCH(QString, expected);
        TModbus holder;
        QString file = WriteFile("f.cfg", Sample(4));
        if (kind == "held")
            QVERIFY(holder.OpenPort(m_panel->DevicePath(), 9600, 2, 0, true, 256) >= 0);
        else if (kind == "silent")
            m_panel->SetAddress(7);
        else if (kind == "v150")
            file = WriteFile("f.cfg", Sample(4), 0, 150);
        else if (kind == "corrupt") {
            QFile f(file);
            QVERIFY(f.open(QIODevice::ReadWrite));
            f.seek(200);
            f.write("\x55", 1);
        }
        const Result r = Run({"write", file, "--port", "ORL-SIM1"});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2((r.out + r.err).contains(expected), qPrintable(r.out + r.err));
        // A file's error names the file.
        if (kind == "v150" || kind == "corrupt")
            QVERIFY2(r.err.contains(file + ": " + expected), qPrintable(r.err));
        const Result check = Run({"check", file});
        QCOMPARE(check.exitCode, kind == "v150" || kind == "corrupt" ? 1 : 0);
    }

    // report: the HTML to standard output or to -o, the same text each time;
    // a file the tool would not open as it is is refused in the tool's
    // words, and an -o file already there stays as it was.
    void report_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        QTest::newRow("to standard output") << "stdout" << 0 << QString();
        QTest::newRow("to a file") << "file" << 0 << QString();
        QTest::newRow("file of version 1.60")
            << "v160" << 1
            << "r.cfg: Несоответствие версии файла и программатора, файл v1.60. (откройте файл в "
               "программе и сохраните его в v1.70)";
        QTest::newRow("file of version 1.50")
            << "v150" << 1 << "r.cfg: Несоответствие версии файла и программатора, файл v1.50.";
        QTest::newRow("corrupt file") << "corrupt" << 1 << "r.cfg: Файл конфигурации поврежден.";
        QTest::newRow("-o a folder") << "folder" << 1 << ": это не обычный файл, а папка.";
        QTest::newRow("--json") << "json" << 2 << "Параметр --json не относится к команде report";
    }
    void report()
    {
        QFETCH(QString, kind);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        ConfigImage image = PageImage();
        StampBlockCrcs(image);
        QByteArray bytes =
            EncodeConfigFile(image, 0, QDateTime(QDate(2026, 5, 4), QTime(17, 30, 12)));
        if (kind == "v160" || kind == "v150")
            qToLittleEndian<qint32>(kind == "v160" ? 160 : 150, bytes.data());
        if (kind == "corrupt")
            bytes[300] = char(bytes[300] ^ 0x01);
        const QString file = m_files.filePath("r.cfg");
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
        f.close();
        const QString target = kind == "folder" ? m_files.path() : m_files.filePath("r.html");
        QFile old(m_files.filePath("r.html"));
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
        old.close();
        QStringList arguments{"report", file};
        if (kind != "stdout")
            arguments << "-o" << target;
        if (kind == "json")
            arguments << "--json";
        const Result r = Run(arguments);
        QCOMPARE(r.exitCode, exitCode);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        const QByteArray written = ReadAll(m_files.filePath("r.html"));
        if (exitCode != 0) {
            QCOMPARE(written, QByteArray("old"));
            QVERIFY(r.out.isEmpty());
            return;
        }
        const QString html = kind == "stdout" ? r.out : QString::fromUtf8(written);
        QCOMPARE(kind == "stdout" ? written : QByteArray("old"), QByteArray("old"));
        QVERIFY(html.startsWith("<!DOCTYPE html>"));
        QVERIFY(html.contains("<tr id=\"file\"><th>Файл</th><td>r.cfg</td></tr>"));
        QVERIFY(html.contains("<tr id=\"saved-at\"><th>Сохранён</th><td>04.05.2026 17:30:12</td>"));
        QVERIFY(html.contains("<tr id=\"modbus.address\"><th>Сетевой адрес</th><td>17</td>"));
        // Made again later, the report is the same text.
        const Result again = Run({"report", file});
        QCOMPARE(again.out, html);
    }

    // The report of a configuration's text form is the report of the file it
    // came from, but for the file's name (in the title too) and the save
    // time the text lacks.
    void reportOfTextForm()
    {
        ConfigImage image = PageImage();
        StampBlockCrcs(image);
        const QString cfg = m_files.filePath("t.cfg");
        const QString json = m_files.filePath("t.json");
        QFile f(cfg);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(EncodeConfigFile(image, 0, QDateTime(QDate(2026, 5, 4), QTime(17, 30, 12))));
        f.close();
        QCOMPARE(Run({"export", cfg, "-o", json}).exitCode, 0);
        const Result fromCfg = Run({"report", cfg});
        const Result fromJson = Run({"report", json});
        QCOMPARE(fromJson.exitCode, 0);
        QVERIFY(fromJson.out.contains("<tr id=\"file\"><th>Файл</th><td>t.json</td></tr>"));
        const QRegularExpression ownRows(
            QStringLiteral("<tr id=\"(file|saved-at)\">.*?</tr>|<title>.*?</title>"));
        QString a = fromCfg.out, b = fromJson.out;
        QVERIFY(a.contains(QStringLiteral("17:30:12")) && !b.contains(QStringLiteral("17:30:12")));
        QCOMPARE(b.replace(ownRows, QString()), a.replace(ownRows, QString()));
    }

    // check gives each file's size and fails any that is not 514 bytes.
    void checkSizes_data()
    {
        QTest::addColumn<int>("extra");  // bytes added (or, negative, cut) to a good file
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("line");
        QTest::newRow("514") << 0 << 0 << ": 514 байт, v1.70, семейство 0, CRC блоков 0-9 верны";
        QTest::newRow("1028") << 514 << 1
                              << ": ошибка: размер 1028 байт, а файл конфигурации - "
                                 "514 байт";
        QTest::newRow("515") << 1 << 1 << ": ошибка: размер 515 байт";
        QTest::newRow("275") << -239 << 1
                             << ": ошибка: 275 байт, Несоответствие версии файла и "
                                "программатора, файл v1.20.";
    }
    void checkSizes()
    {
        QFETCH(int, extra);
        QFETCH(int, exitCode);
        QFETCH(QString, line);
        const QString path = WriteFile("c.cfg", PageImage());
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadWrite));
        if (extra >= 0) {
            f.seek(f.size());
            f.write(QByteArray(extra, '\0'));
        } else {
            f.resize(f.size() + extra);
        }
        f.close();
        const Result r = Run({"check", path});
        QCOMPARE(r.exitCode, exitCode);
        QVERIFY2(r.out.startsWith(path + line), qPrintable(r.out));
    }

    // Each command has its own help, with its own options only.
    void helpPerCommand_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("present");
        QTest::addColumn<QString>("absent");
        QTest::newRow("write") << "write"
                               << "--net-address N|file"
                               << "--all-settings";
        QTest::newRow("scan") << "scan"
                              << "--all-settings"
                              << "--net-address";
        QTest::newRow("verify") << "verify"
                                << "orlix-cli verify FILE.cfg"
                                << "--apply";
        QTest::newRow("check") << "check"
                               << "--json"
                               << "--port";
    }
    void helpPerCommand()
    {
        QFETCH(QString, command);
        QFETCH(QString, present);
        QFETCH(QString, absent);
        const Result r = Run({command, "--help"});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.contains(present), qPrintable(r.out));
        QVERIFY2(!r.out.contains(absent), qPrintable(r.out));
        QVERIFY(r.out.contains("3 - не подтверждено"));
    }

    // --port takes a device path (anything with a slash) as given.
    void portByPath()
    {
        const Result r = Run({"info", "--port", m_panel->DevicePath()});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, Lines({"№1 (адрес 1): ОРЛ-07, ПО 1.7, ревизия аппаратуры 0x01"}));
    }
};

QTEST_GUILESS_MAIN(TestOrlixCli)
#include "tst_orlix_cli.moc"
