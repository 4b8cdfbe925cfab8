#include "cli/cli_html_report.h"

#include "cli/cli_files.h"
#include "files/config_file.h"
#include "files/native_name.h"
#include "model/command_error.h"
#include "report/config_report.h"
#include "text/config_text_file.h"

#include <QFileInfo>

int RunReport(const CliOptions& options, QTextStream& out, QTextStream& err)
{
    const QString& path = options.Files.first();
    ReportSource source;
    try {
        if (IsTextConfigName(path)) {
            // The text form keeps no save time.
            const LoadedConfig loaded = LoadTextConfig(path);
            source.Image = loaded.Image;
            source.FamilyCode = loaded.FamilyCode;
        } else {
            // The report vouches for a file as it is: a 1.60 file is one to
            // import and save again first, so it is refused as another version.
            const LoadedConfig loaded = LoadConfigFile(path, [] { return false; });
            source.Image = loaded.Image;
            source.FamilyCode = loaded.FamilyCode;
            source.SavedAt = DateTimeFrom1899(loaded.SavedAt);
        }
    } catch (const CommandAbort&) {
        err << "orlix-cli: " << FileErrorText(path, VersionMismatchMessage(ImportFileVersion))
            << " (откройте файл в программе и сохраните его в v1.70)\n";
        return CliExit::Failed;
    } catch (const CommandError& e) {
        err << "orlix-cli: " << FileErrorText(path, e.Message()) << '\n';
        return CliExit::Failed;
    }
    source.FileName = PrintableName(QFileInfo(path).fileName());
    const QString html = ConfigReportHtml(source);
    if (options.Output.isEmpty()) {
        out << html;
        return CliExit::Ok;
    }
    try {
        WriteConfigFile(options.Output, html.toUtf8());
    } catch (const CommandError& e) {
        err << "orlix-cli: " << FileErrorText(options.Output, e.Message()) << '\n';
        return CliExit::Failed;
    }
    return CliExit::Ok;
}
