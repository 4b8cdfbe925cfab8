#include "cli/cli_site_report.h"

#include "cli/cli_files.h"
#include "cli/cli_html_report.h"
#include "cli/cli_options.h"
#include "names/native_name.h"
#include "report/config_report.h"
#include "report/site_index.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace {

// A report name from the panel file's name, not yet taken in `taken`
// (compared without case, for folders on case-blind file systems).
QString ReportName(const QString& file, QSet<QString>& taken)
{
    const QString base = QFileInfo(file).completeBaseName();
    QString name = base + QStringLiteral(".html");
    for (int n = 2; taken.contains(name.toLower()); ++n)
        name = QStringLiteral("%1-%2.html").arg(base).arg(n);
    taken.insert(name.toLower());
    return name;
}

}  // namespace

int RunSiteReport(const Site& site, const QString& sitePath, const QString& dir, QTextStream& err)
{
    const QFileInfo target(dir);
    if (target.exists() && !target.isDir()) {
        err << "orlix-cli: " << FileErrorText(dir, QStringLiteral("это не папка")) << '\n';
        return CliExit::Failed;
    }
    if (!target.exists() && !QDir().mkpath(dir)) {
        err << "orlix-cli: " << FileErrorText(dir, QStringLiteral("не удалось создать папку"))
            << '\n';
        return CliExit::Failed;
    }
    const QDir folder(dir);
    QSet<QString> taken{QStringLiteral("index.html")};
    QList<SiteIndexRow> rows;
    bool failed = false;
    for (int l = 0; l < site.Lines.size(); ++l) {
        const SiteLine& line = site.Lines[l];
        for (const SitePanel& panel : line.Panels) {
            SiteIndexRow row{PrintableName(panel.Name),
                             l + 1,
                             PrintableName(line.Port),
                             panel.Address,
                             PrintableName(QFileInfo(panel.File).fileName()),
                             {},
                             {}};
            const std::optional<ReportSource> source = LoadReportSource(panel.File, &row.Error);
            const QString name = ReportName(panel.File, taken);
            if (source &&
                WriteReportFile(folder.filePath(name), ConfigReportHtml(*source), &row.Error))
                row.Report = name;
            if (row.Report.isEmpty()) {
                err << "orlix-cli: " << row.Error << '\n';
                failed = true;
            }
            rows << row;
        }
    }
    QString error;
    if (!WriteReportFile(folder.filePath(QStringLiteral("index.html")),
                         SiteIndexHtml(PrintableName(QFileInfo(sitePath).fileName()), rows),
                         &error)) {
        err << "orlix-cli: " << error << '\n';
        return CliExit::Failed;
    }
    return failed ? CliExit::Failed : CliExit::Ok;
}
