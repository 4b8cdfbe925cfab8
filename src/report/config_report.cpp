#include "report/config_report.h"

#include "model/device_models.h"
#include "model/window_types.h"
#include "report/front_panel.h"
#include "text/config_view.h"

#include <QHash>
#include <QRegularExpression>

#include <algorithm>

namespace {

const char* const Style = R"(
@page { size: A4; margin: 10mm 12mm; }
body { font-family: "DejaVu Sans", Arial, sans-serif; font-size: 9pt; color: #000000; }
h1 { font-size: 15pt; margin: 0 0 6pt 0; }
h2 { font-size: 12pt; margin: 10pt 0 4pt 0; }
h2.new-page { page-break-before: always; break-before: page; }
table { border-collapse: collapse; margin-bottom: 6pt; }
th, td { border: 1px solid #808080; padding: 1pt 4pt; text-align: left; vertical-align: top; }
thead th { background-color: #e8e8e8; }
thead { display: table-header-group; }
tr { page-break-inside: avoid; break-inside: avoid; }
td.swatch { width: 18pt; }
table.input td { font-size: 8pt; padding: 0 4pt; }
)";

QString Escaped(const QString& text)
{
    return text.toHtmlEscaped();
}

QString Cell(const QString& cls, const QString& text)
{
    return QStringLiteral("<td class=\"%1\">%2</td>").arg(cls, Escaped(text));
}

QString HeadRow(const QStringList& titles)
{
    QString row = QStringLiteral("<thead><tr>");
    for (const QString& t : titles)
        row += QStringLiteral("<th>%1</th>").arg(Escaped(t));
    return row + QStringLiteral("</tr></thead>\n");
}

QString TableStart(const QString& cls)
{
    return QStringLiteral("<table class=\"%1\" border=\"1\" cellspacing=\"0\" cellpadding=\"2\">\n")
        .arg(cls);
}

// A "label: value" row with the field's path as its id.
QString FieldLine(const QString& id, const QString& label, const QString& value)
{
    return QStringLiteral("<tr id=\"%1\"><th>%2</th><td>%3</td></tr>\n")
        .arg(id, Escaped(label), Escaped(value));
}

// Lines of single fields as a table of labels and values.
QString FieldTable(const QList<ViewLine>& lines)
{
    if (lines.isEmpty())
        return {};
    QString html = TableStart(QStringLiteral("fields"));
    for (const ViewLine& line : lines)
        html += FieldLine(line.Id, line.Label, TextWithNote(line));
    return html + QStringLiteral("</table>\n");
}

// Where a field's column stands among its element's: the first row of the
// table with its path (indices aside), so columns keep the table's order.
int ColumnRank(const FieldRow& row)
{
    static const QRegularExpression Index(QStringLiteral(R"(\[\d+\])"));
    static const QHash<QString, int> ranks = [] {
        QHash<QString, int> map;
        int rank = 0;
        for (const FieldRow& r : ConfigFields()) {
            const QString pattern = QString(r.Path).remove(Index);
            if (!map.contains(pattern))
                map.insert(pattern, rank);
            ++rank;
        }
        return map;
    }();
    return 2 * ranks.value(QString(row.Path).remove(Index));
}

struct GridColumn {
    QString Key;
    QString Title;
    int Rank;
};

// The cells of one element: key -> text.
using GridRow = QHash<QString, QString>;

// The lines of elements as one table: a row per element, a column per line
// (a network record's fields each in its own), a column for a note; a
// column no element fills is left out.
QString Grid(const FieldSectionInfo& info, const QList<ViewLine>& lines)
{
    QList<GridColumn> columns;
    QList<int> items;
    QHash<int, GridRow> rows;
    const auto add = [&](int item, const QString& key, const QString& title, int rank,
                         const QString& text) {
        if (std::none_of(columns.begin(), columns.end(),
                         [&](const GridColumn& c) { return c.Key == key; }))
            columns << GridColumn{key, title, rank};
        rows[item].insert(key, text);
    };
    for (const ViewLine& line : lines) {
        if (!items.contains(line.Item))
            items << line.Item;
        if (!line.Parts.isEmpty()) {
            for (const ViewPart& part : line.Parts)
                add(line.Item, part.Key, part.Title, ColumnRank(*part.Row), part.Text);
            continue;
        }
        const int rank = ColumnRank(*line.Rows.first());
        add(line.Item, line.Key, line.Column, rank, line.Text);
        if (line.NoteKind != FieldNote::None)
            add(line.Item, NoteKey(line.NoteKind), NoteTitle(line.NoteKind), rank + 1,
                line.Note.isEmpty() ? QStringLiteral("—") : line.Note);
    }
    std::stable_sort(columns.begin(), columns.end(),
                     [](const GridColumn& a, const GridColumn& b) { return a.Rank < b.Rank; });
    QStringList titles{info.ItemName};
    for (const GridColumn& c : columns)
        titles << c.Title;
    QString html = TableStart(info.ItemId) + HeadRow(titles) + QStringLiteral("<tbody>\n");
    for (int item : items) {
        html += QStringLiteral("<tr id=\"%1-%2\">").arg(info.ItemId).arg(item) +
                Cell("number", QString::number(item));
        for (const GridColumn& c : columns)
            html += Cell(c.Key, rows.value(item).value(c.Key, QStringLiteral("—")));
        html += QStringLiteral("</tr>\n");
    }
    return html + QStringLiteral("</tbody></table>\n");
}

// A section's lines: its single fields, its elements' table, then the
// single fields that follow the elements.
QString Lines(const FieldSectionInfo& info, const QList<ViewLine>& lines)
{
    QList<ViewLine> before;
    QList<ViewLine> items;
    QList<ViewLine> after;
    for (const ViewLine& line : lines)
        (line.Item > 0 ? items : items.isEmpty() ? before : after) << line;
    return FieldTable(before) + (items.isEmpty() ? QString() : Grid(info, items)) +
           FieldTable(after);
}

QString SavedAtText(const QDateTime& savedAt)
{
    return savedAt.isValid() ? savedAt.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"))
                             : QStringLiteral("—");
}

QString ModelText(const ReportSource& source)
{
    const ConfigState state{source.Image, source.FamilyCode, {}, false};
    if (const auto row = FindDeviceModel(state))
        return QStringLiteral("%1 (%2)").arg(QString::fromUtf8(DeviceModels[*row].Name),
                                             QString::fromUtf8(DeviceModels[*row].Composition));
    return QStringLiteral("не из списка моделей");
}

QString Heading(const ReportSource& source)
{
    const QString file =
        source.FileName.isEmpty() ? QStringLiteral("(не сохранена в файл)") : source.FileName;
    return QStringLiteral("<h1>Конфигурация панели ОРЛ</h1>\n") +
           TableStart(QStringLiteral("facts")) + FieldLine("file", "Файл", file) +
           FieldLine("saved-at", "Сохранён", SavedAtText(source.SavedAt)) +
           FieldLine("model", "Модель", ModelText(source)) +
           FieldLine("family", "Семейство", FamilyName(source.FamilyCode)) +
           QStringLiteral("</table>\n");
}

QString Legend()
{
    QString html = TableStart(QStringLiteral("legend"));
    for (int code = 0; code < WindowTypeCount; ++code)
        html += QStringLiteral(
                    "<tr><td class=\"swatch\" width=\"24\" style=\"background-color: #%1\">"
                    "&#160;</td><td>%2</td></tr>\n")
                    .arg(WindowTypeColour(uint8_t(code)), 6, 16, QLatin1Char('0'))
                    .arg(Escaped(QString::fromUtf8(WindowTypeName(uint8_t(code)))));
    return html + QStringLiteral("</table>\n");
}

// The front panel: its picture, the legend, a table of the windows on
// it and the fields of the windows the layout leaves out.
QString Panel(const ReportSource& source, PanelDrawing drawing, const FieldSectionInfo& info,
              const QList<ViewLine>& lines)
{
    const PanelPicture picture = FrontPanel(source.Image, source.FamilyCode);
    QString html = QStringLiteral("<div class=\"panel\">");
    if (drawing == PanelDrawing::Svg)
        html += FrontPanelSvg(picture);
    else
        html +=
            QStringLiteral("<img src=\"%1\" width=\"%2\" height=\"%3\" alt=\"Лицевая панель\"/>")
                .arg(QLatin1String(FrontPanelImageName))
                .arg(picture.Width)
                .arg(picture.Height);
    html += QStringLiteral("</div>\n") + Legend() + TableStart(QStringLiteral("windows")) +
            HeadRow({info.ItemName, lines.isEmpty() ? QString() : lines.first().Column, "Входы"}) +
            QStringLiteral("<tbody>\n");
    for (const PanelWindowBox& box : picture.Windows)
        html += QStringLiteral("<tr id=\"%1-%2\">").arg(info.ItemId).arg(box.Window) +
                Cell("number", QString::number(box.Window)) + Cell("type", box.TypeText) +
                Cell("inputs", WindowInputsText(box.Inputs)) + QStringLiteral("</tr>\n");
    html += QStringLiteral("</tbody></table>\n");
    QList<ViewLine> off;
    for (const ViewLine& line : lines)
        if (line.Item == 0 || line.Item > picture.Windows.size())
            off << line;
    if (!off.isEmpty())
        html += QStringLiteral("<h3>Нет на лицевой панели</h3>\n") + FieldTable(off);
    return html;
}

QString Capitalised(QString text)
{
    if (!text.isEmpty())
        text[0] = text[0].toUpper();
    return text;
}

// The sections in the report's order, those under one heading together;
// "A: b" headings make part A with a table headed "B".
QString Body(const ReportSource& source, PanelDrawing drawing)
{
    QList<ViewSection> sections = ConfigView(source.Image);
    std::stable_sort(sections.begin(), sections.end(),
                     [](const ViewSection& a, const ViewSection& b) {
                         return a.Info->ReportRank < b.Info->ReportRank;
                     });
    QString html;
    QString part;
    for (qsizetype i = 0; i < sections.size();) {
        const FieldSectionInfo& info = *sections[i].Info;
        QList<ViewLine> lines;
        for (; i < sections.size() && sections[i].Info->Heading == info.Heading; ++i)
            lines << sections[i].Lines;
        const QString heading = info.Heading.section(QStringLiteral(": "), 0, 0);
        const QString table = info.Heading.section(QStringLiteral(": "), 1);
        if (heading != part) {
            html += QStringLiteral("<h2%1>%2</h2>\n")
                        .arg(info.NewPage ? QStringLiteral(" class=\"new-page\"") : QString(),
                             Escaped(heading));
            part = heading;
        }
        if (!table.isEmpty())
            html += QStringLiteral("<h3>%1</h3>\n").arg(Escaped(Capitalised(table)));
        html += info.Section == FieldSection::Windows ? Panel(source, drawing, info, lines)
                                                      : Lines(info, lines);
    }
    return html;
}

}  // namespace

QString ConfigReportHtml(const ReportSource& source, PanelDrawing drawing)
{
    const QString title = source.FileName.isEmpty()
                              ? QStringLiteral("Конфигурация панели ОРЛ")
                              : QStringLiteral("Конфигурация панели ОРЛ: %1").arg(source.FileName);
    return ReportDocument(title, Heading(source) + Body(source, drawing));
}

QString ReportDocument(const QString& title, const QString& body)
{
    return QStringLiteral(
               "<!DOCTYPE html>\n<html xmlns=\"http://www.w3.org/1999/xhtml\" "
               "lang=\"ru\">\n<head>\n<meta charset=\"utf-8\"/>\n<title>") +
           Escaped(title) + QStringLiteral("</title>\n<style>") + QLatin1String(Style) +
           QStringLiteral("</style>\n</head>\n<body>\n") + body +
           QStringLiteral("</body>\n</html>\n");
}
