// The real orlix-cli on lines as sites have them: answers paced at the baud
// rate after a turnaround, an adapter that echoes, junk after an answer,
// other Modbus devices on the line, Modbus TCP gateways and raw TCP lines
// with a network's delay, an adapter pulled in the middle of a command.
#include "cli_run.h"
#include "files/config_file.h"
#include "image_compare.h"
#include "link/port_registry.h"
#include "model/block_crc.h"
#include "model/input_type.h"
#include "model/mbus_settings.h"
#include "model/new_configuration.h"
#include "simulated_panel.h"
#include "tcp_bridge.h"
#include "test_files.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

namespace {
QJsonObject Json(const QString& text)
{
    return QJsonDocument::fromJson(text.toUtf8()).object();
}

int BaudRow(int baud)
{
    for (int row = 0; row < int(BaudRateTable.size()); ++row)
        if (BaudRateTable[row].BitsPerSecond == baud)
            return row;
    return 0;
}

bool AnyWrite(const QList<QByteArray>& requests)
{
    for (const QByteArray& f : requests)
        if (f.size() > 4 && uint8_t(f[1]) == 0x46 && f[4] == 0x02)
            return true;
    return false;
}
}  // namespace

class TestCliRealLine : public QObject {
    Q_OBJECT

    QTemporaryDir m_ports;
    QTemporaryDir m_files;
    std::unique_ptr<SimulatedPanel> m_panel;

    CliRun Run(const QStringList& arguments, int timeoutMs = 60000)
    {
        return RunProgram(QStringLiteral(ORLIX_CLI_PATH), arguments, m_ports.path(), timeoutMs);
    }

    // A configuration whose block 1 keeps the line at `baud`, two stop bits.
    QString WriteFile(const QString& name, int baud)
    {
        ConfigImage image = NewConfigurationImage();
        SetInputContact(image, 12, ContactType::NormallyClosed);
        StoreMBusSettings(image, 1, BaudRow(baud), true, Parity::None);
        const QString path = m_files.filePath(name);
        WriteAll(path, ConfigFileBytes(image));
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

    void commands_data()
    {
        QTest::addColumn<int>("baud");
        QTest::addColumn<bool>("echo");
        QTest::addColumn<int>("turnaroundMs");
        QTest::addColumn<bool>("gaps");
        QTest::addColumn<int>("junk");
        QTest::newRow("echo, 9600") << 9600 << true << 5 << false << 0;
        QTest::newRow("echo, 115200") << 115200 << true << 5 << false << 0;
        QTest::newRow("turnaround 20 ms, gaps, 9600") << 9600 << false << 20 << true << 0;
        QTest::newRow("turnaround 20 ms, gaps, 115200") << 115200 << false << 20 << true << 0;
        QTest::newRow("40 junk bytes after block 3") << 9600 << false << 5 << false << 40;
        QTest::newRow("echo, turnaround 20 ms, junk") << 9600 << true << 20 << false << 40;
    }

    // info, read, write --apply (with its read-back), verify and scan do on
    // such a line what they do on a kind one.
    void commands()
    {
        QFETCH(int, baud);
        QFETCH(bool, echo);
        QFETCH(int, turnaroundMs);
        QFETCH(bool, gaps);
        QFETCH(int, junk);
        m_panel->SetLineBehaviour({true, turnaroundMs * 1000, gaps ? 11000000 / baud : 0, echo});
        m_panel->SetLineSettings(baud, true);
        if (junk > 0)
            for (const char* request : {"read-block", "write-block"})
                m_panel->AddFault(*PanelFault::Parse(
                    QStringLiteral("extra,bytes=%1,request=%2,block=3").arg(junk).arg(request)));
        const QStringList line{"--port", "ORL-SIM1", "--baud", QString::number(baud)};

        const CliRun info = Run(QStringList{"info"} + line);
        QCOMPARE(info.exitCode, 0);
        QCOMPARE(info.out,
                 QStringLiteral("№1 (адрес 1): ОРЛ-07, ПО 1.7, ревизия аппаратуры 0x01\n"));

        const QString read = m_files.filePath("read.cfg");
        const CliRun r = Run(QStringList{"read", "-o", read} + line);
        QCOMPARE(r.exitCode, 0);
        const LoadedConfig got = LoadConfigFile(read, [] { return true; });
        QVERIFY(SameBlocks(got.Image, m_panel->Image(), 0, 6));

        const QString file = WriteFile("w.cfg", baud);
        const CliRun w = Run(QStringList{"write", file, "--apply"} + line);
        QCOMPARE(w.exitCode, 0);
        QCOMPARE(w.out, QStringLiteral("№1 (адрес 1): записано и применено, проверено\n"));
        QCOMPARE(m_panel->ApplyCount(), 1);

        const CliRun v = Run(QStringList{"verify", file} + line);
        QCOMPARE(v.exitCode, 0);

        const CliRun s = Run(QStringList{"scan", "--address", "1-3"} + line);
        QCOMPARE(s.exitCode, 0);
        QVERIFY2(s.out.startsWith(QStringLiteral("№1: ОРЛ-07, ПО 1.7")), qPrintable(s.out));
        QCOMPARE(s.out.count('\n'), 1);
    }

    // A line holding panels at 3, 17 and 247, a Modbus device answering the
    // identification with an exception at 1, one with a long
    // identification at 2 and one whose answers are broken at 9: scan
    // lists all six, named; re-addressing a panel onto any of them is
    // refused before anything is written.
    void mixedLine()
    {
        m_panel->SetLineBehaviour({true, 5000, 0, true});
        m_panel->SetAddress(3);
        QVERIFY(m_panel->AddPanel(17));
        QVERIFY(m_panel->AddPanel(247));
        m_panel->SetFamilyAt(247, 1);
        QVERIFY(m_panel->AddModbusDevice(1, true));
        QVERIFY(m_panel->AddModbusDevice(2));
        QVERIFY(m_panel->AddGarbledDevice(9));

        const CliRun s = Run({"scan", "--port", "ORL-SIM1", "--json"});
        QCOMPARE(s.exitCode, 0);
        QStringList listed;
        for (const QJsonValue& p : Json(s.out)["panels"].toArray())
            listed << QStringLiteral("%1 %2 %3")
                          .arg(p["address"].toInt())
                          .arg(p["kind"].toString(), p["device"].toString());
        QCOMPARE(listed, (QStringList{
                             "1 modbus устройство Modbus, не ОРЛ: исключение 01",
                             "2 modbus устройство Modbus, не ОРЛ: идентификатор B4 FF 4C 4D 42 "
                             "33 2E 31 2E 36",
                             "3 panel ОРЛ-07",
                             "9 broken ответ с ошибкой CRC",
                             "17 panel ОРЛ-07",
                             "247 panel ОРЛ-09",
                         }));
        const CliRun text = Run({"scan", "--port", "ORL-SIM1", "--address", "1,2"});
        QCOMPARE(text.out,
                 QStringLiteral("№1: устройство Modbus, не ОРЛ: исключение 01; 9600 бод, "
                                "стоп-битов 2, паритет none\n"
                                "№2: устройство Modbus, не ОРЛ: идентификатор B4 FF 4C 4D 42 33 2E "
                                "31 2E 36; 9600 бод, стоп-битов 2, паритет none\n"));

        const QString file = WriteFile("a.cfg", 9600);
        const QList<std::pair<QString, QString>> taken{
            {"1", "устройство Modbus, не ОРЛ: исключение 01"},
            {"2", "устройство Modbus, не ОРЛ: идентификатор B4 FF"},
            {"9", "ответ с ошибкой CRC"},
            {"17", "ОРЛ-07"}};
        for (const auto& [address, device] : taken) {
            m_panel->ClearRequests();
            const CliRun w = Run({"write", file, "--port", "ORL-SIM1", "--address", "3",
                                  "--net-address", address, "--apply"});
            QCOMPARE(w.exitCode, 1);
            const QString expected =
                QStringLiteral("По адресу %1 уже отвечает %2").arg(address, device);
            QVERIFY2(w.out.contains(expected), qPrintable(w.out));
            QVERIFY(!AnyWrite(m_panel->Requests()));
        }
        QCOMPARE(m_panel->ApplyCountAt(3), 0);
    }

    // A panel found 20 ms after the request, at 9600 and at 115200.
    void scanTurnaround_data()
    {
        QTest::addColumn<int>("baud");
        QTest::newRow("9600") << 9600;
        QTest::newRow("115200") << 115200;
    }
    void scanTurnaround()
    {
        QFETCH(int, baud);
        m_panel->SetLineBehaviour({true, 20000, 0, false});
        m_panel->SetLineSettings(baud, true);
        m_panel->SetAddress(40);
        const CliRun s = Run(
            {"scan", "--port", "ORL-SIM1", "--baud", QString::number(baud), "--address", "38-42"});
        QCOMPARE(s.exitCode, 0);
        QVERIFY2(s.out.startsWith(QStringLiteral("№40: ОРЛ-07")), qPrintable(s.out));
        QCOMPARE(s.out.count('\n'), 1);
    }

    // The echo setting: auto learns it, on drops it, off on an echoing line
    // takes the request for the answer; --trace marks the echo.
    void echoSetting_data()
    {
        QTest::addColumn<bool>("lineEchoes");
        QTest::addColumn<QString>("setting");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("echoing, auto") << true << "auto" << 0;
        QTest::newRow("echoing, on") << true << "on" << 0;
        QTest::newRow("echoing, off") << true << "off" << 1;
        QTest::newRow("quiet, auto") << false << "auto" << 0;
        QTest::newRow("quiet, on") << false << "on" << 1;
    }
    void echoSetting()
    {
        QFETCH(bool, lineEchoes);
        QFETCH(QString, setting);
        QFETCH(int, exitCode);
        m_panel->SetLineBehaviour({true, 5000, 0, lineEchoes});
        const CliRun r = Run({"info", "--port", "ORL-SIM1", "--echo", setting, "--trace"}, 10000);
        QCOMPARE(r.exitCode, exitCode);
        const bool echoDropped = exitCode == 0 && lineEchoes;
        QCOMPARE(r.err.contains(QStringLiteral("<- 01 11 C0 2C  (эхо)")), echoDropped);
    }

    // On an echoing line the echo of a poll is no answer to it: a panel
    // silent to its polls leaves the write unconfirmed.
    void silentPollsOnEchoingLine()
    {
        m_panel->SetLineBehaviour({true, 5000, 0, true});
        m_panel->AddFault(*PanelFault::Parse("no-answer,request=poll"));
        const CliRun w = Run({"write", WriteFile("p.cfg", 9600), "--port", "ORL-SIM1"});
        QCOMPARE(w.exitCode, 3);
        QVERIFY2(w.out.contains(QStringLiteral("не подтверждено")), qPrintable(w.out));
    }

    // The adapter is pulled mid-command: the command ends with its message
    // and the system's reason on the panel's line.
    void adapterPulled()
    {
        m_panel->AddFault(*PanelFault::Parse("vanish,request=read-block,block=2"));
        const CliRun r =
            Run({"read", "-o", m_files.filePath("v.cfg"), "--port", "ORL-SIM1"}, 10000);
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.out.startsWith(QStringLiteral("№1 (адрес 1): ошибка: Ошибка I/O. "
                                                 "Адаптер отключён: ")),
                 qPrintable(r.out));
        QVERIFY(!QFile::exists(m_files.filePath("v.cfg")));
    }

    // A Modbus TCP gateway, and a raw TCP line 20 ms away. The bridge delays
    // the data only, not the connection, so the waits allow 50 ms for it.
    void gateways_data()
    {
        QTest::addColumn<bool>("mbap");
        QTest::addColumn<int>("delayMs");
        QTest::newRow("mbtcp") << true << 0;
        QTest::newRow("mbtcp, 20 ms round trip") << true << 10;
        QTest::newRow("tcp, 20 ms round trip") << false << 10;
    }
    void gateways()
    {
        QFETCH(bool, mbap);
        QFETCH(int, delayMs);
        m_panel->SetLineBehaviour({true, 5000, 0, false});
        m_panel->SetAddress(12);
        TcpBridge bridge;
        QString error;
        QVERIFY2(bridge.Start("127.0.0.1:0", m_panel->DevicePath(), &error, {mbap, delayMs}),
                 qPrintable(error));
        const QString port =
            QStringLiteral("%1://127.0.0.1:%2").arg(mbap ? "mbtcp" : "tcp").arg(bridge.Port());
        const QStringList line{"--port", port, "--address", "12"};
        QCOMPARE(Run(QStringList{"info"} + line).exitCode, 0);
        const QString read = m_files.filePath("g.cfg");
        QCOMPARE(Run(QStringList{"read", "-o", read} + line).exitCode, 0);
        const QString file = WriteFile("gw.cfg", 9600);
        const CliRun w = Run(QStringList{"write", file, "--verify"} + line);
        QCOMPARE(w.exitCode, 0);
        QCOMPARE(Run(QStringList{"verify", file} + line).exitCode, 0);
        const CliRun s = Run({"scan", "--port", port, "--address", "10-13"});
        QCOMPARE(s.exitCode, 0);
        QVERIFY2(s.out.startsWith(QStringLiteral("№12: ОРЛ-07")), qPrintable(s.out));
    }
};

QTEST_MAIN(TestCliRealLine)
#include "tst_cli_real_line.moc"
