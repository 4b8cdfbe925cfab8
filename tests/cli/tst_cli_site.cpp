// orlix-cli site against two simulated lines: one on a pseudo-terminal, one
// reached over TCP on the loopback address, as through a device server.
#include "cli_run.h"
#include "files/config_file.h"
#include "link/port_registry.h"
#include "model/block_crc.h"
#include "model/dev_config.h"
#include "model/mbus_settings.h"
#include "model/new_configuration.h"
#include "simulated_panel.h"
#include "tcp_bridge.h"
#include "test_files.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {
// The validator comes with Debian's python3-jsonschema, for the system's
// python: another python3 first on the PATH may lack it.
const char* const DebianPython = "/usr/bin/python3";

using Result = CliRun;

// Whether the shipped site schema takes the file at `path`.
bool SiteSchemaTakes(const QString& path)
{
    const CliRun r = RunProgram(
        DebianPython, {"-c",
                       "import json, sys, jsonschema\n"
                       "v = jsonschema.Draft202012Validator(json.load(open(sys.argv[1])))\n"
                       "sys.exit(0 if v.is_valid(json.load(open(sys.argv[2]))) else 1)\n",
                       ORLIX_SITE_SCHEMA, path});
    if (r.exitCode != 0 && r.exitCode != 1)
        qWarning("jsonschema: %s", qPrintable(r.err));
    return r.exitCode == 0;
}

// The panels' expected result words in site order: line 1 at 1 and 2,
// line 2 at 3 and 4.
QStringList Statuses(const QString& json)
{
    QStringList words;
    const QJsonArray panels = QJsonDocument::fromJson(json.toUtf8()).object()["panels"].toArray();
    for (const QJsonValue& p : panels)
        words << QStringLiteral("%1/%2:%3")
                     .arg(p["line"].toInt())
                     .arg(p["address"].toInt())
                     .arg(p["status"].toString());
    return words;
}

// The rows of a site index page: its cells joined by "|", a report cell
// as its link's target.
QStringList IndexRows(const QString& html)
{
    QStringList rows;
    static const QRegularExpression row("<tr>(.*?)</tr>");
    static const QRegularExpression cell("<td class=\"(\\w+)\">(.*?)</td>");
    static const QRegularExpression link("^<a href=\"([^\"]+)\">");
    for (auto r = row.globalMatch(html); r.hasNext();) {
        QStringList cells;
        for (auto c = cell.globalMatch(r.next().captured(1)); c.hasNext();) {
            const auto m = c.next();
            const auto target = link.match(m.captured(2));
            cells << (target.hasMatch() ? "-> " + target.captured(1) : m.captured(2));
        }
        if (!cells.isEmpty())  // not the head row
            rows << cells.join('|');
    }
    return rows;
}

}  // namespace

class TestCliSite : public QObject {
    Q_OBJECT
    QTemporaryDir m_ports;
    QTemporaryDir m_dir;
    SimulatedPanel m_serial;  // line 1: addresses 1, 2
    SimulatedPanel m_remote;  // line 2: addresses 3, 4, over TCP
    TcpBridge m_bridge;

    Result Run(const QStringList& arguments)
    {
        return RunProgram(QStringLiteral(ORLIX_CLI_PATH), arguments, m_ports.path());
    }

    // A configuration for the panel at `address`, told apart by its byte.
    static ConfigImage FileImage(uint8_t address)
    {
        ConfigImage image = NewConfigurationImage();
        image[DevConfig::LineTimeout] = address;
        image[MBusSettings::NetAddress] = 200;      // never written: each keeps its own
        image[BlockDirectory[7].Offset] = address;  // block 7 lives only in files
        StampBlockCrcs(image);
        return image;
    }

private slots:
    void initTestCase()
    {
        QString error;
        m_serial.SetAddress(1);
        QVERIFY(m_serial.AddPanel(2));
        QVERIFY2(m_serial.Start(&error), qPrintable(error));
        QVERIFY(PortRegistry::RegisterVirtualPort(m_ports.path(), "LINE1", m_serial.DevicePath(),
                                                  &error));
        m_remote.SetAddress(3);
        QVERIFY2(m_remote.Start(&error), qPrintable(error));
        QVERIFY2(m_bridge.Start("127.0.0.1:0", m_remote.DevicePath(), &error), qPrintable(error));
        for (uint8_t a : {1, 2, 3, 4})
            WriteAll(m_dir.filePath(QStringLiteral("p%1.cfg").arg(a)),
                     EncodeConfigFile(FileImage(a), 0, QDateTime::currentDateTime()));
        // Panel 4 is named on the site but nothing answers there.
        const QString site =
            QStringLiteral(
                "{'lines': [{'port': 'LINE1', 'baud': 9600, 'stop_bits': 2,"
                "'parity': 'none', 'panels': [{'address': 1, 'file': 'p1.cfg', 'name': 'Зал А'},"
                "{'address': 2, 'file': 'p2.cfg'}]},"
                "{'port': 'tcp://127.0.0.1:%1',"
                "'panels': [{'address': 3, 'file': 'p3.cfg', 'name': 'Насосная'},"
                "{'address': 4, 'file': 'p4.cfg', 'name': 'Тихая'}]}]}")
                .arg(m_bridge.Port())
                .replace('\'', '"');
        WriteAll(m_dir.filePath("site.json"), site.toUtf8());
        QVERIFY(SiteSchemaTakes(m_dir.filePath("site.json")));
    }

    void writeVerifyRead()
    {
        const QString site = m_dir.filePath("site.json");
        const QStringList expected{"1/1:ok", "1/2:ok", "2/3:ok", "2/4:failed"};
        const Result write = Run({"site", site, "write", "--json"});
        QCOMPARE(write.exitCode, 1);
        QCOMPARE(Statuses(write.out), expected);
        QVERIFY2(write.err.contains("[линия 2, tcp://127.0.0.1:"), qPrintable(write.err));
        // Each panel holds its file's blocks 0..6 with its own address.
        for (uint8_t a : {1, 2}) {
            ConfigImage held = m_serial.ImageAt(a);
            QCOMPARE(int(held[DevConfig::LineTimeout]), int(a));
            QCOMPARE(int(held[MBusSettings::NetAddress]), int(a));
        }
        QCOMPARE(int(m_remote.ImageAt(3)[DevConfig::LineTimeout]), 3);

        const Result verify = Run({"site", site, "verify", "--json"});
        QCOMPARE(verify.exitCode, 1);
        QCOMPARE(Statuses(verify.out), expected);

        const QByteArray silentBefore = ReadAll(m_dir.filePath("p4.cfg"));
        for (uint8_t a : {1, 2, 3})
            QVERIFY(QFile::remove(m_dir.filePath(QStringLiteral("p%1.cfg").arg(a))));
        const Result read = Run({"site", site, "read"});
        QCOMPARE(read.exitCode, 1);
        QVERIFY2(read.out.contains(QRegularExpression("Тихая +2 tcp://127.0.0.1:\\d+ +4 +ошибка")),
                 qPrintable(read.out));
        for (uint8_t a : {1, 2, 3}) {
            const LoadedConfig back =
                LoadConfigFile(m_dir.filePath(QStringLiteral("p%1.cfg").arg(a)), {});
            QCOMPARE(int(back.Image[DevConfig::LineTimeout]), int(a));
            QCOMPARE(int(back.Image[MBusSettings::NetAddress]), int(a));
        }
        // Never over the file of a panel it could not read.
        QCOMPARE(ReadAll(m_dir.filePath("p4.cfg")), silentBefore);
    }

    // A panel that holds something else than its file: site verify names
    // each differing field under the panel's row and in its JSON.
    void verifyNamesFields()
    {
        const QString site = m_dir.filePath("site.json");
        QVERIFY(Run({"site", site, "write"}).exitCode == 1);  // panel 4 never answers
        ConfigImage held = m_serial.ImageAt(2);
        held[BlockDirectory[2].Offset + 1] ^= 0x08;  // input 12's contact
        held[DevConfig::LineTimeout] = 61;
        m_serial.SetImageAt(2, held);

        const Result text = Run({"site", site, "verify"});
        QCOMPARE(text.exitCode, 1);
        const QStringList lines = text.out.split('\n');
        const qsizetype row =
            lines.indexOf(QRegularExpression("^- +1 LINE1 +2 +отличается от файла$"));
        QVERIFY2(row > 0, qPrintable(text.out));
        QCOMPARE(lines.mid(row + 1, 3),
                 QStringList({"  Контроль линии связи: панель таймаут не из списка: байт 0x3D, "
                              "файл да, таймаут 2 с",
                              "  Вход 12: тип контакта: панель Н.З., файл Н.Р.",
                              "Насосная             2 tcp://127.0.0.1:" +
                                  QString::number(m_bridge.Port()) + " 3     совпадает с файлом"}));

        const Result json = Run({"site", site, "verify", "--json"});
        QCOMPARE(Statuses(json.out),
                 QStringList({"1/1:ok", "1/2:differs", "2/3:ok", "2/4:failed"}));
        const QJsonArray panels =
            QJsonDocument::fromJson(json.out.toUtf8()).object()["panels"].toArray();
        const QJsonObject differs = panels[1].toObject();
        QCOMPARE(differs["verified"].toBool(), true);
        QCOMPARE(differs["first_difference"]["text"].toString(),
                 QStringLiteral("блок 0, байт 5 (Контроль линии связи): панель 0x3D, файл 0x02"));
        const QJsonArray differences = differs["differences"].toArray();
        QCOMPARE(differences.size(), 2);
        QCOMPARE(differences[1].toObject(), QJsonObject({{"path", "inputs[12].contact"},
                                                         {"label", "Вход 12: тип контакта"},
                                                         {"block", 2},
                                                         {"offset", 1},
                                                         {"panel", 1},
                                                         {"file", 0},
                                                         {"panel_text", "Н.З."},
                                                         {"file_text", "Н.Р."}}));
        QCOMPARE(panels[0]["differences"].toArray().size(), 0);
        QCOMPARE(panels[0]["first_difference"], QJsonValue(QJsonValue::Null));
        // A panel that never answered was compared with nothing.
        QVERIFY(!panels[3].toObject().contains("differences"));
    }

    // The shipped schemas are what orlix-cli schema prints.
    void shippedSchemasAreMade_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("file");
        QTest::newRow("configuration, the default")
            << QStringList{"schema"} << "orlix-configuration.schema.json";
        QTest::newRow("configuration")
            << QStringList{"schema", "configuration"} << "orlix-configuration.schema.json";
        QTest::newRow("site") << QStringList{"schema", "site"} << "orlix-site.schema.json";
    }
    void shippedSchemasAreMade()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, file);
        const Result r = Run(arguments);
        QCOMPARE(r.exitCode, 0);
        const QString shipped = QFileInfo(ORLIX_SITE_SCHEMA).dir().filePath(file);
        QVERIFY2(r.out.toUtf8() == ReadAll(shipped),
                 qPrintable(shipped + " differs from orlix-cli " + arguments.join(' ')));
    }

    void schemaOfNothingRefused()
    {
        const Result r = Run({"schema", "sites"});
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.contains("ожидается configuration или site"), qPrintable(r.err));
        QCOMPARE(r.out, QString());
    }

    void serverGone()
    {
        m_bridge.Stop();
        const Result r = Run({"site", m_dir.filePath("site.json"), "scan"});
        QCOMPARE(r.exitCode, 1);
        const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 5);
        QVERIFY2(lines[1].contains("ОРЛ-07, ПО 1.7") && lines[2].contains("ОРЛ-07, ПО 1.7"),
                 qPrintable(r.out));
        for (int i : {3, 4})
            QVERIFY2(lines[i].contains("Невозможно открыть порт tcp://127.0.0.1:") &&
                         lines[i].contains("Connection refused"),
                     qPrintable(r.out));
    }

    void badSiteRefused_data()
    {
        QTest::addColumn<QString>("site");
        QTest::addColumn<QString>("error");
        QTest::addColumn<bool>("schemaTakes");  // rules across panels are not the schema's
        QTest::newRow("unknown key") << "{'lines': [{'port': 'A', 'panel': []}]}"
                                     << "lines[1].panel: неизвестный ключ" << false;
        QTest::newRow("address out of range")
            << "{'lines': [{'port': 'A', 'panels': [{'address': 248, 'file': 'a.cfg'}]}]}"
            << "lines[1].panels[1].address: 248 вне диапазона 1 - 247" << false;
        QTest::newRow("address twice on a line")
            << "{'lines': [{'port': 'A', 'panels': [{'address': 1, 'file': 'a.cfg'},"
               "{'address': 1, 'file': 'b.cfg'}]}]}"
            << "lines[1].panels[2].address: адрес 1 уже указан на этой линии" << true;
        QTest::newRow("one file, two panels")
            << "{'lines': [{'port': 'A', 'panels': [{'address': 1, 'file': 'a.cfg'}]},"
               "{'port': 'B', 'panels': [{'address': 1, 'file': './a.cfg'}]}]}"
            << "lines[2].panels[1].file: файл уже указан для другой панели" << true;
        QTest::newRow("baud not offered")
            << "{'lines': [{'port': 'A', 'baud': 4800, 'panels': []}]}"
            << "lines[1].baud: ожидается одна из скоростей" << false;
        QTest::newRow("three stop bits")
            << "{'lines': [{'port': 'A', 'stop_bits': 3, 'panels': []}]}"
            << "lines[1].stop_bits: 3 вне диапазона 1 - 2" << false;
        QTest::newRow("parity mark")
            << "{'lines': [{'port': 'A', 'parity': 'mark', 'panels': []}]}"
            << "lines[1].parity: ожидается \"none\", \"even\" или \"odd\"" << false;
        QTest::newRow("not JSON") << "lines:"
                                  << "не документ JSON" << false;
    }
    void badSiteRefused()
    {
        QFETCH(QString, site);
        QFETCH(QString, error);
        QFETCH(bool, schemaTakes);
        // The sites are written with ' for " to keep them readable here.
        WriteAll(m_dir.filePath("bad-site.json"), site.replace('\'', '"').toUtf8());
        if (site != QLatin1String("lines:"))
            QCOMPARE(SiteSchemaTakes(m_dir.filePath("bad-site.json")), schemaTakes);
        const int before = int(m_serial.Requests().size());
        const Result r = Run({"site", m_dir.filePath("bad-site.json"), "write"});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains(error), qPrintable(r.err));
        QCOMPARE(int(m_serial.Requests().size()), before);
    }

    // site report: files only, so the site's ports need not exist.
    void siteReport_data()
    {
        QTest::addColumn<QString>("b");    // the second panel's file: good, missing or corrupt
        QTest::addColumn<bool>("toFile");  // -o names a regular file
        QTest::addColumn<int>("exitCode");
        QTest::newRow("all written") << "b.json" << false << 0;
        QTest::newRow("missing file") << "gone.cfg" << false << 1;
        QTest::newRow("corrupt file") << "bad.cfg" << false << 1;
        QTest::newRow("onto a file") << "b.json" << true << 1;
    }
    void siteReport()
    {
        QFETCH(QString, b);
        QFETCH(bool, toFile);
        QFETCH(int, exitCode);
        QTemporaryDir dir;
        const auto at = [&](const QString& name) { return dir.filePath(name); };
        WriteAll(at("a.cfg"), EncodeConfigFile(FileImage(1), 0, QDateTime::currentDateTime()));
        WriteAll(at("c.cfg"), EncodeConfigFile(FileImage(3), 0, QDateTime::currentDateTime()));
        QCOMPARE(Run({"export", at("c.cfg"), "-o", at("b.json")}).exitCode, 0);
        QByteArray bad = EncodeConfigFile(FileImage(2), 0, QDateTime::currentDateTime());
        bad[40] = char(bad[40] ^ 0x5a);
        WriteAll(at("bad.cfg"), bad);
        WriteAll(at("site.json"),
                 QStringLiteral("{'lines': [{'port': 'NOWHERE', 'panels': [{'address': 1, "
                                "'file': 'a.cfg', 'name': 'Зал <А>'}, {'address': 2, 'file': "
                                "'%1'}]}, {'port': 'tcp://127.0.0.1:1', 'panels': "
                                "[{'address': 7, 'file': 'c.cfg', 'name': 'Насосная'}]}]}")
                     .arg(b)
                     .replace('\'', '"')
                     .toUtf8());
        const QString out = at("out/site");
        if (toFile) {
            QVERIFY(QDir().mkpath(at("out")));
            WriteAll(out, "kept");
        }
        const Result r = Run({"site", at("site.json"), "report", "-o", out});
        QCOMPARE(r.exitCode, exitCode);
        if (toFile) {
            QVERIFY2(r.err.contains("это не папка"), qPrintable(r.err));
            QCOMPARE(ReadAll(out), QByteArray("kept"));
            return;
        }
        // A refused file's row holds what report says of it.
        const Result single = Run({"report", at(b)});
        const QString bCell = single.exitCode == 0
                                  ? "-> " + QFileInfo(b).completeBaseName() + ".html"
                                  : single.err.trimmed().remove(0, 11).toHtmlEscaped();
        QCOMPARE(single.exitCode != 0, exitCode != 0);
        QCOMPARE(IndexRows(QString::fromUtf8(ReadAll(out + "/index.html"))),
                 QStringList({"Зал &lt;А&gt;|1 NOWHERE|1|a.cfg|-> a.html",
                              "-|1 NOWHERE|2|" + b + "|" + bCell,
                              "Насосная|2 tcp://127.0.0.1:1|7|c.cfg|-> c.html"}));
        if (exitCode != 0)
            QVERIFY2(r.err.contains(single.err.trimmed()), qPrintable(r.err));
        for (const QString& file : {QString("a.cfg"), b, QString("c.cfg")}) {
            const QString report = out + "/" + QFileInfo(file).completeBaseName() + ".html";
            const Result expected = Run({"report", at(file)});
            QCOMPARE(QFileInfo::exists(report), expected.exitCode == 0);
            if (expected.exitCode == 0)
                QCOMPARE(QString::fromUtf8(ReadAll(report)), expected.out);
        }
    }
};

QTEST_GUILESS_MAIN(TestCliSite)
#include "tst_cli_site.moc"
