#include "report/config_report.h"

#include "link/panel_link.h"
#include "model/device_models.h"
#include "model/input_type.h"
#include "model/out_data_base.h"
#include "model/output_activation.h"
#include "model/request_table.h"
#include "model/window_types.h"
#include "report/front_panel.h"
#include "text/config_fields.h"

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
table.inputs td { font-size: 8pt; padding: 0 4pt; }
)";

QString Escaped(const QString& text)
{
    return text.toHtmlEscaped();
}

QString Cell(const QString& cls, const QString& text)
{
    return QStringLiteral("<td class=\"%1\">%2</td>").arg(cls, Escaped(text));
}

const FieldRow& Field(const QString& path)
{
    return *FindField(path);
}

int Value(const QString& path, const ConfigImage& image)
{
    return FieldValue(Field(path), image);
}

QString Text(const QString& path, const ConfigImage& image)
{
    const FieldRow& row = Field(path);
    return FieldValueText(row, FieldValue(row, image));
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

QString FieldTable(const ConfigImage& image, const QStringList& paths, QString extra = {})
{
    QString html = TableStart(QStringLiteral("fields")) + extra;
    for (const QString& path : paths)
        html += FieldLine(path, Field(path).Label, Text(path, image));
    return html + QStringLiteral("</table>\n");
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
           FieldLine("family", "Семейство", PanelText::FamilyName(source.FamilyCode)) +
           QStringLiteral("</table>\n");
}

QString Settings(const ConfigImage& image)
{
    return QStringLiteral("<h2>Конфигурация</h2>\n") +
           FieldTable(image, {"device.input_modules", "device.relay_modules", "device.window_count",
                              "device.fixed_configuration", "device.modbus_master",
                              "device.line_timeout"}) +
           QStringLiteral("<h2>Настройки ModBus</h2>\n") +
           FieldTable(image,
                      {"modbus.address", "modbus.baud", "modbus.stop_bits", "modbus.parity"});
}

QString RelaysText(const ConfigImage& image, int input)
{
    QStringList relays;
    for (int r = 1; r <= OutputActivation::RelayCount; ++r)
        if (Value(QStringLiteral("inputs[%1].relays[%2]").arg(input).arg(r), image))
            relays << QString::number(r);
    return relays.isEmpty() ? QStringLiteral("—") : relays.join(QStringLiteral(", "));
}

QString Inputs(const ConfigImage& image)
{
    QString html = QStringLiteral("<h2 class=\"new-page\">Входы</h2>\n") +
                   TableStart(QStringLiteral("inputs")) +
                   HeadRow({"Вход", "Тип контакта", "Назначение", "Активирует реле"}) +
                   QStringLiteral("<tbody>\n");
    for (int n = 1; n <= InputType::InputCount; ++n) {
        const QString path = QStringLiteral("inputs[%1].").arg(n);
        html += QStringLiteral("<tr id=\"input-%1\">").arg(n) + Cell("number", QString::number(n)) +
                Cell("contact", Text(path + "contact", image)) +
                Cell("assignment", Text(path + "assignment", image)) +
                Cell("relays", RelaysText(image, n)) + QStringLiteral("</tr>\n");
    }
    return html + QStringLiteral("</tbody></table>\n");
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

QString Panel(const ReportSource& source, PanelDrawing drawing)
{
    const PanelPicture picture = FrontPanel(source.Image, source.FamilyCode);
    QString html =
        QStringLiteral("<h2 class=\"new-page\">Лицевая панель</h2>\n<div class=\"panel\">");
    if (drawing == PanelDrawing::Svg)
        html += FrontPanelSvg(picture);
    else
        html +=
            QStringLiteral("<img src=\"%1\" width=\"%2\" height=\"%3\" alt=\"Лицевая панель\"/>")
                .arg(QLatin1String(FrontPanelImageName))
                .arg(picture.Width)
                .arg(picture.Height);
    html += QStringLiteral("</div>\n") + Legend() + TableStart(QStringLiteral("windows")) +
            HeadRow({"Окно", "Тип", "Входы"}) + QStringLiteral("<tbody>\n");
    for (const PanelWindowBox& box : picture.Windows)
        html += QStringLiteral("<tr id=\"window-%1\">").arg(box.Window) +
                Cell("number", QString::number(box.Window)) + Cell("type", box.TypeText) +
                Cell("inputs", WindowInputsText(box.Inputs)) + QStringLiteral("</tr>\n");
    return html + QStringLiteral("</tbody></table>\n");
}

// The sources of an output's acknowledge or reset: "Панель, ModBus, вход 5".
QString SourcesText(const ConfigImage& image, const QString& path, const QString& action)
{
    QStringList parts;
    if (Value(path + action + "_from_panel", image))
        parts << QString::fromUtf8(OutSourceName(OutSource::Panel));
    if (Value(path + action + "_by_modbus", image))
        parts << QString::fromUtf8(OutSourceName(OutSource::Modbus));
    const QString input = path + action + "_input";
    if (Value(input, image) != OutDataBase::NoInput)
        parts << Text(input, image);
    return parts.isEmpty() ? QStringLiteral("—") : parts.join(QStringLiteral(", "));
}

QString LocksText(OutType type)
{
    const bool ack = !OutActionAllowed(type, OutAction::Ack);
    const bool reset = !OutActionAllowed(type, OutAction::Reset);
    if (ack && reset)
        return QStringLiteral("квитирование и сброс");
    if (ack)
        return QStringLiteral("квитирование");
    if (reset)
        return QStringLiteral("сброс");
    return QStringLiteral("—");
}

QString Outputs(const ConfigImage& image)
{
    QString html = QStringLiteral("<h2 class=\"new-page\">Выходы</h2>\n") +
                   TableStart(QStringLiteral("outputs")) +
                   HeadRow({"Выход", "Тип", "Заблокировано", "Квитирование", "Сброс"}) +
                   QStringLiteral("<tbody>\n");
    for (int o = 1; o <= OutDataBase::OutputCount; ++o) {
        const QString path = QStringLiteral("outputs[%1].").arg(o);
        html += QStringLiteral("<tr id=\"output-%1\">").arg(o) +
                Cell("number", QString::number(o)) + Cell("type", Text(path + "type", image)) +
                Cell("locks", LocksText(OutputType(image, o))) +
                Cell("ack", SourcesText(image, path, "ack")) +
                Cell("reset", SourcesText(image, path, "reset")) + QStringLiteral("</tr>\n");
    }
    return html + QStringLiteral("</tbody></table>\n");
}

QString NetTableHtml(const ConfigImage& image, NetTable table, const QString& key)
{
    const FieldRow& count = Field(key + ".count");
    const bool requests = table == NetTable::Request;
    QString name = count.Label.section(QStringLiteral(": "), 1, 1);
    name[0] = name[0].toUpper();
    QString html =
        QStringLiteral("<h3>%1</h3>\n").arg(Escaped(name)) + FieldTable(image, {key + ".count"});
    const int used = RecordsInUse(image, table);
    if (used == 0)
        return html;
    html += TableStart(QStringLiteral("net"));
    html += requests ? HeadRow({"Запись", "Устройство", "Функция", "Адрес", "Количество"})
                     : HeadRow({"Запись", "Устройство", "Адрес"});
    html += QStringLiteral("<tbody>\n");
    for (int k = 1; k <= used; ++k) {
        const QString path = QStringLiteral("%1.records[%2].").arg(key).arg(k);
        html += QStringLiteral("<tr id=\"%1-%2\">").arg(key).arg(k) +
                Cell("number", QString::number(k)) + Cell("device", Text(path + "device", image));
        if (requests)
            html += Cell("function", HexByteText(uint8_t(Value(path + "function", image))));
        html += Cell("address", HexWordText(uint16_t(Value(path + "address", image))));
        if (requests)
            html += Cell("count", Text(path + "count", image));
        html += QStringLiteral("</tr>\n");
    }
    return html + QStringLiteral("</tbody></table>\n");
}

}  // namespace

QString ConfigReportHtml(const ReportSource& source, PanelDrawing drawing)
{
    const QString title = source.FileName.isEmpty()
                              ? QStringLiteral("Конфигурация панели ОРЛ")
                              : QStringLiteral("Конфигурация панели ОРЛ: %1").arg(source.FileName);
    return ReportDocument(title, Heading(source) + Settings(source.Image) + Inputs(source.Image) +
                                     Panel(source, drawing) + Outputs(source.Image) +
                                     QStringLiteral("<h2 class=\"new-page\">Внешняя сеть</h2>\n") +
                                     NetTableHtml(source.Image, NetTable::Request, "requests") +
                                     NetTableHtml(source.Image, NetTable::Ack, "acks") +
                                     NetTableHtml(source.Image, NetTable::Reset, "resets"));
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
