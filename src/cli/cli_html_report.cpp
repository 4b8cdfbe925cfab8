#include "cli/cli_html_report.h"

#include "cli/cli_files.h"
#include "files/config_file.h"
#include "model/command_error.h"
#include "names/native_name.h"
#include "report/config_report.h"
#include "text/config_text_file.h"

#include <QFileInfo>

std::optional<ReportSource> LoadReportSource(const QString& path, QString* error)
{
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
        *error = FileErrorText(path, VersionMismatchMessage(ImportFileVersion)) +
                 QStringLiteral(" (откройте файл в программе и сохраните его в v1.70)");
        return std::nullopt;
    } catch (const CommandError& e) {
        *error = FileErrorText(path, e.Message());
        return std::nullopt;
    }
    source.FileName = PrintableName(QFileInfo(path).fileName());
    return source;
}

bool WriteReportFile(const QString& path, const QString& html, QString* error)
{
    try {
        WriteConfigFile(path, html.toUtf8());
    } catch (const CommandError& e) {
        *error = FileErrorText(path, e.Message());
        return false;
    }
    return true;
}

int RunReport(const CliOptions& options, QTextStream& out, QTextStream& err)
{
    QString error;
    const std::optional<ReportSource> source = LoadReportSource(options.Files.first(), &error);
    if (!source) {
        err << "orlix-cli: " << error << '\n';
        return CliExit::Failed;
    }
    const QString html = ConfigReportHtml(*source);
    if (options.Output.isEmpty()) {
        out << html;
        return CliExit::Ok;
    }
    if (!WriteReportFile(options.Output, html, &error)) {
        err << "orlix-cli: " << error << '\n';
        return CliExit::Failed;
    }
    return CliExit::Ok;
}
