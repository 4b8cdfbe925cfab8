#include "files/config_file_header.h"
#include "report/config_report.h"
#include "rich_config.h"

#include <QHash>
#include <QTest>
#include <QXmlStreamReader>

// The report read back with an XML reader: every row that has an id, its
// cells by class ("value" for a cell without one), and the front panel's
// windows with their fill colours.
namespace {
struct ParsedReport {
    QHash<QString, QHash<QString, QString>> Rows;
    QHash<int, QString> PanelFill;  // window -> "#rrggbb"
    QString Error;
};

ParsedReport Parse(const QString& html)
{
    ParsedReport parsed;
    QXmlStreamReader xml(html);
    QString row;
    int window = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const auto name = xml.name();
        const auto attributes = xml.attributes();
        if (name == QLatin1String("tr")) {
            row = attributes.value("id").toString();
        } else if ((name == QLatin1String("td")) && !row.isEmpty()) {
            QString cls = attributes.value("class").toString();
            parsed.Rows[row][cls.isEmpty() ? QStringLiteral("value") : cls] =
                xml.readElementText(QXmlStreamReader::IncludeChildElements);
        } else if (name == QLatin1String("g")) {
            window = attributes.value("id").toString().section('-', 2).toInt();
        } else if (name == QLatin1String("rect") && window > 0) {
            parsed.PanelFill[window] = attributes.value("fill").toString();
            window = 0;
        }
    }
    if (xml.hasError())
        parsed.Error = xml.errorString();
    return parsed;
}

ReportSource RichSource()
{
    ReportSource source;
    source.Image = Rich::Image();
    source.FileName = QStringLiteral("щит <3> & Co.cfg");
    source.SavedAt = QDateTime(QDate(2026, 3, 14), QTime(9, 26, 53, 589));
    return source;
}

const ParsedReport& RichReport()
{
    static const ParsedReport parsed = Parse(ConfigReportHtml(RichSource()));
    return parsed;
}

// What the assignment cell says of a code, by the crossbar's kind texts.
QString AssignmentText(uint8_t code)
{
    if (code < 32)
        return QStringLiteral("Окно сигнализации: %1").arg(code + 1);
    if (code >= 100 && code < 108)
        return QStringLiteral("Квитирование реле: %1").arg(code - 99);
    if (code >= 116 && code < 124)
        return QStringLiteral("Сброс реле: %1").arg(code - 115);
    return QStringLiteral("—");
}

QString NumberList(const QList<int>& numbers, const QString& none = QStringLiteral("—"))
{
    QStringList parts;
    for (int n : numbers)
        parts << QString::number(n);
    return parts.isEmpty() ? none : parts.join(", ");
}

QString SourcesText(bool panel, bool modbus, uint8_t input)
{
    QStringList parts;
    if (panel)
        parts << "Панель";
    if (modbus)
        parts << "ModBus";
    if (input != 255)
        parts << QStringLiteral("вход %1").arg(input + 1);
    return parts.isEmpty() ? QStringLiteral("—") : parts.join(", ");
}
}  // namespace

class TestConfigReport : public QObject {
    Q_OBJECT

private slots:
    void wellFormed()
    {
        QCOMPARE(RichReport().Error, QString());
        QCOMPARE(Parse(ConfigReportHtml(ReportSource{NewConfigurationImage(), 0, {}, {}})).Error,
                 QString());
    }

    void inputs_data()
    {
        QTest::addColumn<int>("input");
        for (int n = 1; n <= 64; ++n)
            QTest::addRow("input %d", n) << n;
    }

    // Every input row says the contact, assignment and relays the image holds.
    void inputs()
    {
        QFETCH(int, input);
        const auto row = RichReport().Rows.value(QStringLiteral("input-%1").arg(input));
        QCOMPARE(row.value("contact"), Rich::Closed(input) ? QString("Н.З.") : QString("Н.Р."));
        QCOMPARE(row.value("assignment"), AssignmentText(Rich::Assignment(input)));
        QList<int> relays;
        for (int r = 1; r <= 8; ++r)
            if (Rich::Relays(input) & (1 << (r - 1)))
                relays << r;
        QCOMPARE(row.value("relays"), NumberList(relays));
    }

    void outputs_data()
    {
        QTest::addColumn<int>("output");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("locks");
        const char* const types[] = {"Световая сигнализация", "Управление", "Звуковая сигнализация",
                                     "Управление с блок."};
        const char* const locks[] = {"—", "квитирование и сброс", "—", "квитирование"};
        for (int o = 1; o <= 8; ++o)
            QTest::addRow("output %d", o)
                << o << QString(types[(o - 1) % 4]) << QString(locks[(o - 1) % 4]);
    }

    // Every output row: its type, what the type locks, and the sources of
    // its acknowledge and reset.
    void outputs()
    {
        QFETCH(int, output);
        QFETCH(QString, type);
        QFETCH(QString, locks);
        const auto row = RichReport().Rows.value(QStringLiteral("output-%1").arg(output));
        const uint8_t mode = Rich::OutMode(output);
        QCOMPARE(row.value("type"), type);
        QCOMPARE(row.value("locks"), locks);
        QCOMPARE(row.value("ack"), SourcesText(mode & 0x20, mode & 0x08, Rich::AckInput(output)));
        QCOMPARE(row.value("reset"),
                 SourcesText(mode & 0x10, mode & 0x04, Rich::ResetInput(output)));
    }

    void windows_data()
    {
        QTest::addColumn<int>("window");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("fill");
        const char* const types[] = {"Отсутствует", "Индикация",           "Предупредительная",
                                     "Аварийная",   "Обратная предупред.", "Обратная аварийная"};
        const char* const fills[] = {"#e0e0e0", "#00ff00", "#ffff00",
                                     "#ff0000", "#ffa500", "#ff00ff"};
        for (int w = 1; w <= 31; ++w)
            QTest::addRow("window %d", w) << w << QString(types[w % 6]) << QString(fills[w % 6]);
        QTest::addRow("window 32, a byte no type has") << 32 << "не из списка: байт 0x07"
                                                       << "#808080";
    }

    // The front panel: each window's type and colour, and the inputs that
    // light it (in input order).
    void windows()
    {
        QFETCH(int, window);
        QFETCH(QString, type);
        QFETCH(QString, fill);
        const auto row = RichReport().Rows.value(QStringLiteral("window-%1").arg(window));
        QCOMPARE(row.value("type"), type);
        QCOMPARE(RichReport().PanelFill.value(window), fill);
        QList<int> inputs;
        for (int n = 1; n <= 64; ++n)
            if (Rich::Assignment(n) == window - 1)
                inputs << n;
        QCOMPARE(row.value("inputs"),
                 inputs.isEmpty() ? QString("—") : "вх. " + NumberList(inputs));
    }

    void settings_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("text");
        QTest::newRow("file, escaped") << "file"
                                       << "щит <3> & Co.cfg";
        QTest::newRow("saved at") << "saved-at"
                                  << "14.03.2026 09:26:53";
        QTest::newRow("model") << "model"
                               << "ОРЛ-07 (2 * БВХ-7 + БРК-54)";
        QTest::newRow("family") << "family"
                                << "ОРЛ-07";
        QTest::newRow("input modules") << "device.input_modules"
                                       << "2";
        QTest::newRow("window count") << "device.window_count"
                                      << "32";
        QTest::newRow("line timeout") << "device.line_timeout"
                                      << "да, таймаут 5 с";
        QTest::newRow("modbus master") << "device.modbus_master"
                                       << "нет";
        QTest::newRow("address") << "modbus.address"
                                 << "17";
        QTest::newRow("baud") << "modbus.baud"
                              << "19200 бод";
        QTest::newRow("stop bits") << "modbus.stop_bits"
                                   << "один";
        QTest::newRow("parity") << "modbus.parity"
                                << "четный";
        QTest::newRow("requests") << "requests.count"
                                  << "5";
        QTest::newRow("acks") << "acks.count"
                              << "2";
        QTest::newRow("resets") << "resets.count"
                                << "1";
    }

    void settings()
    {
        QFETCH(QString, id);
        QFETCH(QString, text);
        QCOMPARE(RichReport().Rows.value(id).value("value"), text);
    }

    void netRecords_data()
    {
        QTest::addColumn<int>("table");
        QTest::addColumn<QString>("key");
        for (NetTable t : {NetTable::Request, NetTable::Ack, NetTable::Reset})
            for (int k = 1; k <= 6; ++k)
                QTest::addRow("table %d, record %d", int(t), k)
                    << int(t)
                    << (t == NetTable::Request ? "requests"
                        : t == NetTable::Ack   ? "acks"
                                               : "resets");
    }

    // The records in use, and none past the count.
    void netRecords()
    {
        QFETCH(int, table);
        QFETCH(QString, key);
        const auto t = NetTable(table);
        const int k = QTest::currentDataTag()[std::strlen(QTest::currentDataTag()) - 1] - '0';
        const auto row = RichReport().Rows.value(QStringLiteral("%1-%2").arg(key).arg(k));
        if (k > Rich::Records(t)) {
            QVERIFY(row.isEmpty());
            return;
        }
        const RequestRecord r = Rich::Record(t, k);
        QCOMPARE(row.value("device"), QString::number(r.Device));
        QCOMPARE(row.value("address"), QString::asprintf("0x%04X", r.Address));
        // The rich records' function and count are not zero, so the
        // acknowledge and reset tables show them too.
        QCOMPARE(row.value("function"), QString::asprintf("0x%02X", r.Function));
        QCOMPARE(row.value("count"), QString::number(r.Count));
    }

    void newConfiguration_data()
    {
        QTest::addColumn<int>("family");
        QTest::addColumn<int>("windowCount");
        QTest::addColumn<int>("shown");
        QTest::newRow("ОРЛ-07, 32 windows") << 0 << 32 << 32;
        QTest::newRow("ОРЛ-07, 16 windows") << 0 << 16 << 16;
        QTest::newRow("ОРЛ-09") << 1 << 12 << 12;
        QTest::newRow("ОРЛ-09 with a count of 32") << 1 << 32 << 12;
    }

    // The report of New in each layout: the windows the page shows, every
    // input and output, empty network tables.
    void newConfiguration()
    {
        QFETCH(int, family);
        QFETCH(int, windowCount);
        QFETCH(int, shown);
        ReportSource source{NewConfigurationImage(), family, {}, {}};
        source.Image[DevConfig::WindowCount] = uint8_t(windowCount);
        const ParsedReport parsed = Parse(ConfigReportHtml(source));
        QCOMPARE(parsed.Error, QString());
        QCOMPARE(parsed.PanelFill.size(), shown);
        for (int w = 1; w <= 32; ++w) {
            QCOMPARE(parsed.Rows.contains(QStringLiteral("window-%1").arg(w)), w <= shown);
            if (w <= shown)
                QCOMPARE(parsed.PanelFill.value(w), QString("#00ff00"));  // indication
        }
        for (int n = 1; n <= 64; ++n)
            QVERIFY(parsed.Rows.contains(QStringLiteral("input-%1").arg(n)));
        for (int o = 1; o <= 8; ++o)
            QVERIFY(parsed.Rows.contains(QStringLiteral("output-%1").arg(o)));
        QCOMPARE(parsed.Rows.value("saved-at").value("value"), QString("—"));
        QCOMPARE(parsed.Rows.value("file").value("value"), QString("(не сохранена в файл)"));
        QCOMPARE(parsed.Rows.value("requests.count").value("value"), QString("0"));
        QVERIFY(!parsed.Rows.contains("requests-1"));
    }

    // The same source gives the same text, whenever it is made; only the
    // file's own save time shows.
    void sameText()
    {
        const QString first = ConfigReportHtml(RichSource());
        QTest::qWait(1100);
        QCOMPARE(ConfigReportHtml(RichSource()), first);
        QVERIFY(!first.contains(QDate::currentDate().toString("dd.MM.yyyy")));
        ReportSource later = RichSource();
        later.SavedAt = later.SavedAt.addDays(1);
        QVERIFY(ConfigReportHtml(later) != first);
    }

    void savedAtFromHeader_data()
    {
        QTest::addColumn<QDateTime>("time");
        QTest::newRow("afternoon") << QDateTime(QDate(2026, 12, 10), QTime(13, 5, 7, 250));
        QTest::newRow("midnight") << QDateTime(QDate(2000, 1, 1), QTime(0, 0));
        QTest::newRow("just before midnight")
            << QDateTime(QDate(2024, 2, 29), QTime(23, 59, 59, 999));
        QTest::newRow("before 1899-12-30") << QDateTime(QDate(1899, 12, 29), QTime(6, 0));
    }

    // The save time read back from the header is the time written.
    void savedAtFromHeader()
    {
        QFETCH(QDateTime, time);
        QCOMPARE(DateTimeFrom1899(DaysSince1899(time)), time);
    }

    void savedAtNoDate_data()
    {
        QTest::addColumn<double>("days");
        QTest::newRow("not a number") << std::nan("");
        QTest::newRow("infinite") << HUGE_VAL;
        QTest::newRow("after 9999") << 3.0e6;
        QTest::newRow("before year 1") << -7.0e5;
    }

    // A header whose save time is no date gives none (shown as "—").
    void savedAtNoDate()
    {
        QFETCH(double, days);
        QVERIFY(!DateTimeFrom1899(days).isValid());
    }
};

QTEST_GUILESS_MAIN(TestConfigReport)
#include "tst_config_report.moc"
