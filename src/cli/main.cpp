// orlix-cli: the tool's panel commands and file inspection from the command
// line, over the same core as the window (no widgets).
#include "cli/cli_device.h"
#include "cli/cli_files.h"
#include "cli/cli_html_report.h"
#include "cli/cli_options.h"
#include "cli/cli_site.h"
#include "cli/cli_text.h"
#include "names/native_name.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("orlix-cli"));
    app.setApplicationVersion(QStringLiteral("1.70"));
    QTextStream out(stdout);
    QTextStream err(stderr);

    const CliParse parsed = ParseCliArguments(ArgumentsFromNative(argc, argv));
    if (!parsed.Error.isEmpty()) {
        err << "orlix-cli: " << parsed.Error << "\n(orlix-cli --help: справка)\n";
        return CliExit::Usage;
    }
    if (parsed.Help) {
        out << (parsed.HelpCommand.isEmpty() ? CliUsage() : CommandUsage(parsed.HelpCommand));
        return CliExit::Ok;
    }
    if (parsed.Version) {
        out << "orlix-cli 1.70\n";
        return CliExit::Ok;
    }
    const CliOptions& o = parsed.Options;
    if (o.Command == QLatin1String("ports"))
        return RunPorts(o, out, err);
    if (o.Command == QLatin1String("check"))
        return RunCheck(o, out, err);
    if (o.Command == QLatin1String("show"))
        return RunShow(o, out, err);
    if (o.Command == QLatin1String("diff"))
        return RunDiff(o, out, err);
    if (o.Command == QLatin1String("report"))
        return RunReport(o, out, err);
    if (o.Command == QLatin1String("export"))
        return RunExport(o, out, err);
    if (o.Command == QLatin1String("import"))
        return RunImport(o, out, err);
    if (o.Command == QLatin1String("site"))
        return RunSite(o, out, err);
    if (o.Command == QLatin1String("set"))
        return RunSet(o, out, err);
    if (o.Command == QLatin1String("schema"))
        return RunSchema(o, out, err);
    if (o.Command == QLatin1String("scan"))
        return RunScan(o, out, err);
    return RunDeviceCommand(o, out, err);
}
