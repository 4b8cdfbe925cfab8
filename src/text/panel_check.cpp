#include "text/panel_check.h"

#include <QJsonArray>

ReadBackReport NameReadBack(const PanelResult& result)
{
    ReadBackReport report;
    report.Verified = result.Verified;
    if (!result.Verified)
        return report;
    report.FirstOffset = result.FirstDifference;
    if (report.FirstOffset) {
        report.PanelByte = result.Held[*report.FirstOffset];
        report.FileByte = result.Expected[*report.FirstOffset];
    }
    report.Differences = DiffFields(result.Held, result.Expected, 0, DeviceBlockCount - 1);
    return report;
}

PanelCheck VerifyPanelFields(PanelLink& link, const LinkSettings& settings,
                             const ConfigImage& image, int family)
{
    PanelCheck check;
    check.Result = VerifyPanel(link, settings, image, family);
    check.ReadBack = NameReadBack(check.Result);
    return check;
}

QJsonObject FieldDifferenceJson(const FieldDifference& d, const QString& a, const QString& b)
{
    return {{"path", d.Row->Path},
            {"label", d.Row->Label},
            {"block", d.Row->Block},
            {"offset", d.Row->Offset - BlockDirectory[d.Row->Block].Offset},
            {a, FieldJsonNumber(*d.Row, d.A)},
            {b, FieldJsonNumber(*d.Row, d.B)},
            {a + QStringLiteral("_text"), FieldValueText(*d.Row, d.A)},
            {b + QStringLiteral("_text"), FieldValueText(*d.Row, d.B)}};
}

void InsertReadBackJson(const ReadBackReport& report, QJsonObject& json)
{
    json.insert("verified", report.Verified);
    if (!report.FirstOffset) {
        json.insert("first_difference", QJsonValue::Null);
        if (!report.Verified)
            return;
    } else {
        const int at = *report.FirstOffset;
        const int block = FieldBlockOf(at);
        json.insert("first_difference", QJsonObject{{"block", block},
                                                    {"offset", at - BlockDirectory[block].Offset},
                                                    {"panel", report.PanelByte},
                                                    {"file", report.FileByte},
                                                    {"text", FirstDifferenceText(report)}});
    }
    QJsonArray list;
    for (const FieldDifference& d : report.Differences)
        list << FieldDifferenceJson(d, QStringLiteral("panel"), QStringLiteral("file"));
    json.insert("differences", list);
}

QString FirstDifferenceText(const ReadBackReport& report)
{
    if (!report.FirstOffset)
        return {};
    return ByteDifferenceText(*report.FirstOffset, report.PanelByte, report.FileByte);
}

QStringList ReadBackLines(const ReadBackReport& report)
{
    QStringList lines;
    for (const FieldDifference& d : report.Differences)
        lines << QStringLiteral("  %1: панель %2, файл %3")
                     .arg(d.Row->Label, FieldValueText(*d.Row, d.A), FieldValueText(*d.Row, d.B));
    return lines;
}
