// The real orlix-cli turning files into their text form and back: what is
// written, what is refused, and that a refusal writes nothing.
#include "cli_run.h"
#include "files/config_file.h"
#include "model/block_crc.h"
#include "model/new_configuration.h"
#include "test_files.h"

#include <QDateTime>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

using Result = CliRun;

Result Run(const QStringList& arguments)
{
    return RunProgram(QStringLiteral(ORLIX_CLI_PATH), arguments);
}

}  // namespace

class TestCliText : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    QString Path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void init()
    {
        ConfigImage image = NewConfigurationImage();
        StampBlockCrcs(image);
        WriteAll(Path("new.cfg"), EncodeConfigFile(image, 1, QDateTime::currentDateTime()));
        QVERIFY(QFile::remove(Path("new.json")) || !QFile::exists(Path("new.json")));
        const Result r = Run({"export", Path("new.cfg"), "-o", Path("new.json")});
        QCOMPARE(r.exitCode, 0);
    }

    void exportImportExport()
    {
        QCOMPARE(Run({"import", Path("new.json"), "-o", Path("back.cfg")}).exitCode, 0);
        QCOMPARE(FileImage(ReadAll(Path("back.cfg"))), FileImage(ReadAll(Path("new.cfg"))));
        QCOMPARE(ReadAll(Path("back.cfg")).at(12), char(1));  // the family
        const Result again = Run({"export", Path("back.cfg")});
        QCOMPARE(again.out.toUtf8(), ReadAll(Path("new.json")));
    }

    void badTextWritesNothing_data()
    {
        QTest::addColumn<QString>("pattern");  // its first match replaced
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("error");
        QTest::newRow("wrong type")
            << R"("contact": 0)"
            << R"("contact": "x")"
            << R"(bad.json: inputs[1].contact: ожидается "open" или "closed")";
        QTest::newRow("out of range")
            << R"("line_timeout": \d+)"
            << R"("line_timeout": 1000)"
            << "bad.json: device.line_timeout: 1000 вне диапазона 0 - 255";
        QTest::newRow("unknown key") << R"("modbus": \{)"
                                     << R"("modbus": {"adress": 1,)"
                                     << "bad.json: modbus.adress: неизвестный ключ";
        QTest::newRow("missing field") << R"(,\s*"window_count": \d+)" << QString()
                                       << "bad.json: device.window_count: отсутствует";
        QTest::newRow("not JSON") << R"(^\{)"
                                  << "<"
                                  << "bad.json: не документ JSON: ошибка в символе 1";
    }
    void badTextWritesNothing()
    {
        QFETCH(QString, pattern);
        QFETCH(QString, to);
        QFETCH(QString, error);
        QString text = QString::fromUtf8(ReadAll(Path("new.json")));
        const auto m = QRegularExpression(pattern).match(text);
        QVERIFY(m.hasMatch());
        text.replace(m.capturedStart(), m.capturedLength(), to);
        WriteAll(Path("bad.json"), text.toUtf8());
        const QStringList files = QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden);
        const QByteArray before = ReadAll(Path("new.cfg"));
        // Neither a new file nor over an existing one.
        for (const QString& target : {Path("none.cfg"), Path("new.cfg")}) {
            const Result r = Run({"import", Path("bad.json"), "-o", target});
            QCOMPARE(r.exitCode, 1);
            QVERIFY2(r.err.contains(error), qPrintable(r.err));
        }
        QCOMPARE(ReadAll(Path("new.cfg")), before);
        // No file made, not even a temporary one left behind.
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), files);
    }

    void setChangesTheNamedFields_data()
    {
        QTest::addColumn<QStringList>("assignments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("diff");  // from the unchanged text form
        QTest::newRow("address") << QStringList{"modbus.address=5"} << 1
                                 << "Сетевой адрес: 1 -> 5\n";
        QTest::newRow("baud as a rate")
            << QStringList{"modbus.baud=19200"} << 1 << "Скорость: 9600 бод -> 19200 бод\n";
        QTest::newRow("two fields")
            << QStringList{"outputs[3].ack_by_modbus=false", "inputs[12].contact=closed"} << 1
            << "Вход 12: тип контакта: Н.Р. -> Н.З.\nВыход 3: квитирование: ModBus: да -> нет\n";
        QTest::newRow("one bad, none set")
            << QStringList{"modbus.address=7", "windows[33].type=warning"} << 0 << QString();
    }
    void setChangesTheNamedFields()
    {
        QFETCH(QStringList, assignments);
        QFETCH(int, exitCode);
        QFETCH(QString, diff);
        QFile::remove(Path("set.cfg"));
        QVERIFY(QFile::copy(Path("new.cfg"), Path("set.cfg")));
        const Result set = Run(QStringList{"set", Path("set.cfg")} << assignments);
        QCOMPARE(set.exitCode, exitCode == 1 ? 0 : 1);
        const Result d = Run({"diff", Path("new.json"), Path("set.cfg")});
        QCOMPARE(d.exitCode, exitCode);
        QCOMPARE(d.out, diff);
    }
};

QTEST_GUILESS_MAIN(TestCliText)
#include "tst_cli_text.moc"
