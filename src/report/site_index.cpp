#include "report/site_index.h"

#include "report/config_report.h"

#include <QUrl>

namespace {

QString Cell(const char* cls, const QString& html)
{
    return QStringLiteral("<td class=\"%1\">%2</td>").arg(QLatin1String(cls), html);
}

}  // namespace

QString SiteIndexHtml(const QString& siteName, const QList<SiteIndexRow>& rows)
{
    const QString title = QStringLiteral("Объект: %1").arg(siteName);
    QString body = QStringLiteral("<h1>%1</h1>\n").arg(title.toHtmlEscaped()) +
                   QStringLiteral(
                       "<table class=\"panels\" border=\"1\" cellspacing=\"0\" "
                       "cellpadding=\"2\">\n<thead><tr><th>Панель</th><th>Линия</th>"
                       "<th>Адрес</th><th>Файл</th><th>Отчёт</th></tr></thead>\n"
                       "<tbody>\n");
    for (const SiteIndexRow& r : rows) {
        const QString report =
            r.Report.isEmpty()
                ? r.Error.toHtmlEscaped()
                : QStringLiteral("<a href=\"%1\">%2</a>")
                      .arg(QString::fromUtf8(QUrl::toPercentEncoding(r.Report, "-._~")),
                           r.Report.toHtmlEscaped());
        body += QStringLiteral("<tr>") +
                Cell("name", r.Name.isEmpty() ? QStringLiteral("-") : r.Name.toHtmlEscaped()) +
                Cell("line", QStringLiteral("%1 %2").arg(r.Line).arg(r.Port.toHtmlEscaped())) +
                Cell("address", QString::number(r.Address)) + Cell("file", r.File.toHtmlEscaped()) +
                Cell(r.Report.isEmpty() ? "error" : "report", report) + QStringLiteral("</tr>\n");
    }
    return ReportDocument(title, body + QStringLiteral("</tbody></table>\n"));
}
