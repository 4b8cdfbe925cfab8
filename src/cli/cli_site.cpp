#include "cli/cli_site.h"

#include "cli/cli_files.h"
#include "cli/cli_report.h"
#include "cli/cli_site_report.h"
#include "files/config_file.h"
#include "model/command_error.h"
#include "names/native_name.h"
#include "site/site_run.h"
#include "text/panel_check.h"

#include <QFileInfo>
#include <QHash>

#include <algorithm>

namespace {

using Status = CliReport::Status;

}  // namespace

int RunSite(const CliOptions& options, QTextStream& out, QTextStream& err)
{
    const QString& path = options.Files[0];
    static const QHash<QString, SiteCommand> Actions{{"write", SiteCommand::Write},
                                                     {"verify", SiteCommand::Verify},
                                                     {"read", SiteCommand::Read},
                                                     {"scan", SiteCommand::Scan}};
    const QString action = options.Files[1];
    const bool wantsReport = action == QLatin1String("report");
    if (!Actions.contains(action) && !wantsReport) {
        err << "orlix-cli: site: ожидается write, verify, read, scan или report, не '" << action
            << "'\n";
        return CliExit::Usage;
    }
    if (wantsReport == options.Output.isEmpty()) {
        err << (wantsReport ? "orlix-cli: site: не указана папка для report (-o DIR)\n"
                            : "orlix-cli: site: -o только с report\n");
        return CliExit::Usage;
    }
    if (wantsReport && options.Json) {
        err << "orlix-cli: site: --json не для report\n";
        return CliExit::Usage;
    }
    if (options.Apply && action != QLatin1String("write")) {
        err << "orlix-cli: site: --apply только с write\n";
        return CliExit::Usage;
    }
    SiteParse site;
    try {
        site = ParseSite(ReadSmallFile(path, 1024 * 1024), QFileInfo(path).absolutePath());
    } catch (const CommandError& e) {
        err << "orlix-cli: " << FileErrorText(path, e.Message()) << '\n';
        return CliExit::Failed;
    }
    if (!site.Error.isEmpty()) {
        err << "orlix-cli: " << PrintableName(path) << ": " << site.Error << '\n';
        return CliExit::Failed;
    }
    if (wantsReport)
        return RunSiteReport(site.Value, path, options.Output, err);
    const QList<SitePanelResult> results = RunSite(
        site.Value, Actions.value(action), options.Apply, [&](int line, const QString& text) {
            err << QStringLiteral("[линия %1, %2] %3\n")
                       .arg(line)
                       .arg(PrintableName(site.Value.Lines[line - 1].Port), text);
            err.flush();
        });
    CliReport report(options, out, err);
    int nameWidth = 20;
    int lineWidth = 16;
    for (const SitePanelResult& r : results) {
        nameWidth = std::max(nameWidth, int(PrintableName(r.Name).size()) + 1);
        lineWidth = std::max(lineWidth, int(PrintableName(r.Port).size()) + 4);
    }
    if (!options.Json)
        out << QStringLiteral("%1 %2 %3 %4\n")
                   .arg(QStringLiteral("Панель"), -nameWidth)
                   .arg(QStringLiteral("Линия"), -lineWidth)
                   .arg(QStringLiteral("Адрес"), -5)
                   .arg(QStringLiteral("Результат"));
    for (const SitePanelResult& r : results) {
        const Status status = CliReport::StatusOf(r.Outcome);
        const QString message = CliReport::MessageOf(status, r.Message);
        const QString name = r.Name.isEmpty() ? QStringLiteral("-") : PrintableName(r.Name);
        const QString line =
            QStringLiteral("%1 %2 %3 %4")
                .arg(name, -nameWidth)
                .arg(QStringLiteral("%1 %2").arg(r.Line).arg(PrintableName(r.Port)), -16)
                .arg(r.Address, -5)
                .arg(message);
        QJsonObject json{{"name", r.Name.isEmpty() ? QJsonValue() : QJsonValue(r.Name)},
                         {"line", r.Line},
                         {"port", r.Port},
                         {"address", r.Address}};
        QStringList lines{line};
        if (r.Compared) {
            // Each field the panel holds otherwise than its file, under its row.
            InsertReadBackJson(r.ReadBack, json);
            lines << ReadBackLines(r.ReadBack);
        }
        report.Add(status, lines.join(QLatin1Char('\n')), message, json);
    }
    return report.Finish("panels", QJsonObject{{"site", path}, {"action", action}});
}
