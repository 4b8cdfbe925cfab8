// Show's listing, the report and the JSON document, all made from the field
// table: every field is on exactly one line and a change of any field
// changes what each of them says; the lines that join fields read as the
// pages do.
#include "model/new_configuration.h"
#include "model/request_table.h"
#include "model/window_types.h"
#include "report/config_report.h"
#include "text/config_document.h"
#include "text/config_listing.h"
#include "text/config_view.h"

#include <QJsonArray>
#include <QPair>
#include <QRegularExpression>
#include <QTest>

#include <bit>

namespace {

void SetValue(const FieldRow& row, ConfigImage& image, int value)
{
    if (row.Width == 2) {
        image[row.Offset] = uint8_t(value);
        image[row.Offset + 1] = uint8_t(value >> 8);
        return;
    }
    const int shift = std::countr_zero(row.Mask);
    image[row.Offset] = uint8_t((image[row.Offset] & ~row.Mask) | ((value << shift) & row.Mask));
}

// Another value the field's bits hold.
int OtherValue(const FieldRow& row, int value)
{
    for (int v = value + 1;; ++v) {
        const int next = v % (FieldMaxValue(row) + 1);
        if (FieldHolds(row, next))
            return next;
    }
}

// The images every field is changed in: a new configuration (empty
// network tables, so their records are unused bytes; 32 windows on the
// front panel) and one whose tables are full and whose front panel has 16
// windows (the others only in the report's list).
QList<ConfigImage> Bases()
{
    ConfigImage full = NewConfigurationImage();
    full[Field(NamedField::WindowCount).Offset] = WindowTypes::WideWindowCount;
    for (NetTable t : {NetTable::Request, NetTable::Ack, NetTable::Reset})
        full[NetTableOffset(t)] = ExternalNet::MaxRecords;
    return {NewConfigurationImage(), full};
}

// The lines of a listing as "label: text", with the fields each shows.
QList<QPair<QString, QList<const FieldRow*>>> Lines(const Listing& listing)
{
    QList<QPair<QString, QList<const FieldRow*>>> lines;
    for (const ListingSection& s : listing)
        for (const ListingField& f : s.Fields)
            lines << qMakePair(f.Label + ": " + f.Text, f.Rows);
    return lines;
}

QJsonValue At(const QJsonObject& document, const QString& path)
{
    static const QRegularExpression Step(QStringLiteral(R"(^([a-z_0-9]+)(?:\[(\d+)\])?$)"));
    QJsonValue node = document;
    for (const QString& part : path.split('.')) {
        const auto m = Step.match(part);
        node = node.toObject().value(m.captured(1));
        if (!m.captured(2).isEmpty())
            node = node.toArray().at(m.captured(2).toInt() - 1);
    }
    return node;
}

}  // namespace

class TestConfigView : public QObject {
    Q_OBJECT

private slots:
    // Where no line is left out (every byte 0xFF: full tables, every
    // optional bit set), each field is on exactly one line of show.
    void everyFieldOnOneLine()
    {
        ConfigImage image;
        image.fill(0xFF);
        QHash<const FieldRow*, int> seen;
        for (const ListingSection& s : ListConfiguration(image, 0))
            for (const ListingField& f : s.Fields)
                for (const FieldRow* row : f.Rows)
                    ++seen[row];
        for (const FieldRow& row : ConfigFields())
            QVERIFY2(seen.value(&row) == 1,
                     qPrintable(QStringLiteral("%1: %2").arg(row.Path).arg(seen.value(&row))));
    }

    void everyFieldShown_data()
    {
        QTest::addColumn<int>("section");
        for (const FieldSectionInfo& s : FieldSections())
            QTest::newRow(qPrintable(s.Title)) << int(s.Section);
    }

    // A change of any field changes its own line of show, the report and
    // its value in the JSON document.
    void everyFieldShown()
    {
        QFETCH(int, section);
        for (const ConfigImage& base : Bases()) {
            const auto baseLines = Lines(ListConfiguration(base, 0));
            const QString baseReport = ConfigReportHtml(ReportSource{base, 0, {}, {}});
            for (const FieldRow& row : ConfigFields()) {
                if (int(row.Section) != section)
                    continue;
                ConfigImage changed = base;
                const int value = OtherValue(row, FieldValue(row, base));
                SetValue(row, changed, value);
                // show: a line that holds the field reads otherwise.
                bool shown = false;
                for (const auto& line : Lines(ListConfiguration(changed, 0)))
                    shown = shown || (line.second.contains(&row) && !baseLines.contains(line));
                QVERIFY2(shown, qPrintable("show: " + row.Path));
                QVERIFY2(ConfigReportHtml(ReportSource{changed, 0, {}, {}}) != baseReport,
                         qPrintable("report: " + row.Path));
                const QJsonValue json = At(ConfigDocument(changed, 0), row.Path);
                QCOMPARE(json, row.Format == FieldFormat::Flag
                                   ? QJsonValue(value != 0)
                                   : QJsonValue(FieldJsonNumber(row, value)));
            }
        }
    }

    // The lines that join fields, as show prints them.
    void joinedLines_data()
    {
        QTest::addColumn<QList<int>>("bytes");  // offset, value pairs over a new configuration
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("present");
        const int requests = NetTableOffset(NetTable::Request);
        const int acks = NetTableOffset(NetTable::Ack);
        QTest::newRow("device's other bytes")
            << QList<int>{3, 0x81, 4, 0x22, 19, 0x33}
            << "Прочие байты (флаги 2-7, 4, 6-19): 80 22 00 00 00 00 00 00 00 00 00 00 00 00 00 33"
            << true;
        QTest::newRow("modbus's other bytes")
            << QList<int>{24, 0xC8, 25, 0, 26, 0, 28, 0x07}
            << "Прочие байты (флаги, 3-6): C0 00 00 00 07" << true;
        QTest::newRow("relays") << QList<int>{167 + 2, 0x85} << "Вход 3: реле: 1, 3, 8" << true;
        QTest::newRow("no relay") << QList<int>{167 + 2, 0x00} << "Вход 3: реле: —" << true;
        QTest::newRow("acknowledge sources")
            << QList<int>{141, 0x2A, 149, 4} << "Выход 1: квитирование: Панель, ModBus, вход 5"
            << true;
        QTest::newRow("input no page shows")
            << QList<int>{141, 0x02, 149, 64}
            << "Выход 1: квитирование: вход не показывается: байт 0x40" << true;
        QTest::newRow("locked type")
            << QList<int>{141, 0x01}
            << "Выход 1: тип: Управление (квитирование и сброс заблокированы)" << true;
        QTest::newRow("bits 6-7 set") << QList<int>{141, 0x42} << "Выход 1: биты 6-7: 0x40" << true;
        QTest::newRow("bits 6-7 clear")
            << QList<int>{141, 0x02} << "Выход 1: биты 6-7: 0x00" << false;
        QTest::newRow("request record")
            << QList<int>{requests,     1,    requests + 1, 7,    requests + 2, 3,
                          requests + 3, 0x10, requests + 4, 0x00, requests + 5, 2}
            << "Запись 1: устройство 7, функция 0x03, адрес 0x0010, кол-во 2" << true;
        QTest::newRow("acknowledge record") << QList<int>{acks, 1, acks + 1, 7, acks + 3, 0x10}
                                            << "Запись 1: устройство 7, адрес 0x0010" << true;
        QTest::newRow("acknowledge record with a function")
            << QList<int>{acks, 1, acks + 1, 7, acks + 2, 5}
            << "Запись 1: устройство 7, функция 0x05, адрес 0x0000" << true;
        QTest::newRow("records past the count")
            << QList<int>{acks, 1, acks + 6, 9, acks + 80, 0xAB}
            << "Неиспользуемые записи: 09" + QString(" 00").repeated(73) + " AB" << true;
        QTest::newRow("count past the table")
            << QList<int>{acks, 17} << "Записей: 16 (байт 17, в таблице 16 мест)" << true;
    }
    void joinedLines()
    {
        QFETCH(QList<int>, bytes);
        QFETCH(QString, line);
        QFETCH(bool, present);
        ConfigImage image = NewConfigurationImage();
        for (qsizetype i = 0; i + 1 < bytes.size(); i += 2)
            image[bytes[i]] = uint8_t(bytes[i + 1]);
        const QStringList lines = ListingText(ListConfiguration(image, 0)).split('\n');
        QVERIFY2(lines.contains(line) == present, qPrintable(lines.join('\n')));
    }

    // With empty tables nothing is said of the unused records.
    void emptyTablesSayNoMore()
    {
        const QString text = ListingText(ListConfiguration(NewConfigurationImage(), 0));
        QVERIFY(!text.contains("Неиспользуемые записи"));
        QVERIFY(!text.contains("Запись "));
        QCOMPARE(text.count("\nЗаписей: 0\n"), 3);
    }

    // One name for a family in show, the JSON document and the report.
    void familyNamedAlike_data()
    {
        QTest::addColumn<int>("family");
        QTest::addColumn<QString>("name");
        QTest::newRow("0") << 0 << "ОРЛ-07";
        QTest::newRow("1") << 1 << "ОРЛ-09";
        QTest::newRow("5") << 5 << "ОРЛ (код семейства 5)";
        QTest::newRow("-128") << -128 << "ОРЛ (код семейства -128)";
    }
    void familyNamedAlike()
    {
        QFETCH(int, family);
        QFETCH(QString, name);
        const ConfigImage image = NewConfigurationImage();
        QVERIFY(
            ListingText(ListConfiguration(image, family)).contains("\nСемейство: " + name + "\n"));
        QCOMPARE(ConfigDocument(image, family).value("family_text").toString(), name);
        QVERIFY(ConfigReportHtml(ReportSource{image, family, {}, {}})
                    .contains("<tr id=\"family\"><th>Семейство</th><td>" + name + "</td></tr>"));
    }
};

QTEST_GUILESS_MAIN(TestConfigView)
#include "tst_config_view.moc"
