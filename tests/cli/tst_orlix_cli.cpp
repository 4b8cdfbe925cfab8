// The real orlix-cli program against the simulated panel on a
// pseudo-terminal, registered as a virtual port in a private ports folder.
#include "files/config_file.h"
#include "image_compare.h"
#include "link/block_crc.h"
#include "link/modbus.h"
#include "link/port_registry.h"
#include "model/dev_config.h"
#include "model/input_assignment.h"
#include "model/input_type.h"
#include "model/mbus_settings.h"
#include "model/out_data_base.h"
#include "model/output_activation.h"
#include "model/request_table.h"
#include "model/window_types.h"
#include "simulated_panel.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {
// The key under which the crossbar lists input 7.
const QString CrossbarKey7 = QStringLiteral("crossbar.7");

struct Result {
    int exitCode = -1;
    QString out;
    QString err;
};

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
}  // namespace

class TestOrlixCli : public QObject {
    Q_OBJECT
    QTemporaryDir m_ports;
    QTemporaryDir m_files;
    std::unique_ptr<SimulatedPanel> m_panel;

    Result Run(const QStringList& arguments, int timeoutMs = 30000,
               const QString& program = QStringLiteral(ORLIX_CLI_PATH))
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("ORLIX_PORTS_DIR", m_ports.path());
        p.setProcessEnvironment(env);
        p.start(program, arguments);
        if (!p.waitForFinished(timeoutMs))
            p.kill();
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
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
        QCOMPARE(r.out, Lines({"№1: ОРЛ-09 считана в " + out}));
        QCOMPARE(r.exitCode, 0);
        const LoadedConfig loaded = LoadConfigFile(out, nullptr);
        QCOMPARE(loaded.FamilyCode, 1);
        QVERIFY(SameBlocks(loaded.Image, held, 0, 6));
        QVERIFY(SameBlocks(loaded.Image, baseImage, 7, 9));

        const Result check = Run({"check", out});
        QCOMPARE(check.exitCode, 0);
        QCOMPARE(check.out, Lines({out + ": v1.70, семейство 1, CRC блоков 0-9 верны"}));

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
        const ConfigImage image = Sample(9);
        const QString file = WriteFile("w.cfg", image);
        const Result r = Run({"write", file, "--port", "ORL-SIM1", "--trace"});
        QCOMPARE(r.out, Lines({"№1: записано"}));
        QCOMPARE(r.exitCode, 0);
        const ConfigImage held = m_panel->Image();
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
                                   << "№1: ошибка: Программирование не запускалось.";
        QTest::newRow("exception 6") << "exception,code=6,request=apply"
                                     << "№1: ошибка: Панель отвергла применение: код 6.";
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
        QCOMPARE(r.out, Lines({"№1: записано", "№2: записано", "№3: записано",
                               "№9: ошибка: Устройство № 9  (ORL-SIM1)  не отвечает на "
                               "запросы."}));
        QCOMPARE(r.exitCode, 1);
        for (uint8_t a : {1, 2, 3})
            QVERIFY(SameBlocks(m_panel->ImageAt(a), image, 0, 6));
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
        QCOMPARE(r.out, Lines({"№1: ОРЛ-07, ПО 1.6, ревизия аппаратуры 0x0A"}));
        QCOMPARE(r.exitCode, 0);
        const Result apply = Run({"apply", "--port", "ORL-SIM1"});
        QCOMPARE(apply.out,
                 Lines({"№1: ошибка: Конфликт версий ПО - требуется программатор v1.60."}));
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

    // The JSON form parses back and agrees with the image, byte for byte.
    void showJson()
    {
        const ConfigImage image = PageImage();
        const Result r = Run({"show", "--json", WriteFile("j.cfg", image)});
        QCOMPARE(r.exitCode, 0);
        QJsonParseError error;
        const QJsonObject root = QJsonDocument::fromJson(r.out.toUtf8(), &error).object();
        QCOMPARE(error.error, QJsonParseError::NoError);
        for (int b = 0; b < ConfigBlockCount; ++b) {
            const auto payload = BlockPayload(image, b);
            const QByteArray hex =
                QByteArray(reinterpret_cast<const char*>(payload.data()), payload.size()).toHex();
            QCOMPARE(root["blocks"][QString::number(b)].toString().toLatin1(), hex);
        }
        QCOMPARE(root["modbus"]["address"].toInt(), 17);
        QCOMPARE(root["modbus"]["baud"].toInt(), 19200);
        QCOMPARE(root["modbus"]["parity"].toString(), QStringLiteral("even"));
        QCOMPARE(root["device"]["line_control"].toInt(), 5);
        for (int n = 1; n <= 64; ++n)
            QCOMPARE(root["inputs"][QString::number(n)].toString(),
                     n == 12 ? QStringLiteral("closed") : QStringLiteral("open"));
        QCOMPARE(root["outputs"]["3.type"]["code"].toInt(), 1);
        QCOMPARE(root["outputs"]["3.type"]["ack_locked"].toBool(), true);
        QCOMPARE(root["version"].toString(), QStringLiteral("1.70"));
        QCOMPARE(root["crossbar"]["1"]["kind"].toString(), QStringLiteral("window"));
        QCOMPARE(root["crossbar"]["32"]["number"].toInt(), 32);
        QCOMPARE(root["crossbar"]["40"]["kind"].toString(), QStringLiteral("relay_ack"));
        QCOMPARE(root["crossbar"]["40"]["number"].toInt(), 4);
        QCOMPARE(root["crossbar"]["64"]["kind"].toString(), QStringLiteral("none"));
        QCOMPARE(root["activation"]["3"].toArray(), QJsonArray{3});
        QCOMPARE(root["activation"]["9"].toArray(), QJsonArray());
        QCOMPARE(root["windows"]["7"].toInt(), 5);
        QCOMPARE(root["requests"]["count"].toInt(), int(image[NetTableOffset(NetTable::Request)]));
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
        QVERIFY2(r.out.contains("Вход 5: Н.З. -> Н.Р.\n"), qPrintable(r.out));
        QVERIFY(r.out.contains(
            "Выход 2: тип: Управление с блок. (квитирование заблокировано) -> Звуковая "
            "сигнализация\n"));
        const Result j = Run({"diff", "--json", fa, fb});
        QCOMPARE(j.exitCode, 1);
        const QJsonObject root = QJsonDocument::fromJson(j.out.toUtf8()).object();
        QCOMPARE(root["equal"].toBool(), false);
        QStringList keys;
        for (const QJsonValue& d : root["differences"].toArray())
            keys << d["key"].toString();
        QCOMPARE(keys, (QStringList{"inputs.5", CrossbarKey7, "outputs.2.type"}));
        const Result bad = Run({"diff", fa, "/nonexistent.cfg"});
        QCOMPARE(bad.exitCode, 2);
    }

    // Bad input: a clear message, a non-zero status, no crash, nothing sent.
    void badInput_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");  // in standard output or error
        QTest::newRow("no command") << QStringList{} << 2 << "Не указана команда";
        QTest::newRow("unknown command") << QStringList{"erase"} << 2 << "Неизвестная команда";
        QTest::newRow("unknown option")
            << QStringList{"info", "--port", "ORL-SIM1", "--speed=1"} << 2 << "speed";
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
                                << 2 << "--parity";
        QTest::newRow("option of another command")
            << QStringList{"apply", "--port", "ORL-SIM1", "--json"} << 2 << "--json";
        QTest::newRow("missing port") << QStringList{"apply", "--port", "ttyNOPE9"} << 1
                                      << "№1: ошибка: Невозможно открыть порт ttyNOPE9.";
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
        QTest::newRow("port ../../../etc/passwd")
            << "port-file" << 1 << "не последовательный порт (не символьное устройство)";
        QTest::newRow("port name with new line and escape")
            << "ports-escaped" << 0 << "EVIL\\n\\x1b[31mORL-SIM9";
        QTest::newRow("ports folder open to all")
            << "ports-open" << 0 << "к ней есть доступ у группы или у всех (права 777)";
        QTest::newRow("check file name with new line")
            << "check-newline" << 0 << "a\\nb.cfg: v1.70";
        QTest::newRow("check file name not UTF-8") << "check-bytes" << 0 << "a\\xff.cfg: v1.70";
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
            arguments = {"info", "--port", "../../../etc/passwd"};
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
                                   << "№1: ошибка: Невозможно открыть порт ORL-SIM1.";
        QTest::newRow("no answer") << "silent"
                                   << "№1: ошибка: Устройство № 1  (ORL-SIM1)  не отвечает на "
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
        const Result check = Run({"check", file});
        QCOMPARE(check.exitCode, kind == "v150" || kind == "corrupt" ? 1 : 0);
    }
};

QTEST_GUILESS_MAIN(TestOrlixCli)
#include "tst_orlix_cli.moc"
