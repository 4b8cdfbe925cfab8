#include "cli/cli_text.h"

#include "cli/cli_files.h"
#include "cli/cli_texts.h"
#include "files/config_file.h"
#include "model/block_crc.h"
#include "model/command_error.h"
#include "names/native_name.h"
#include "site/site_schema.h"
#include "text/config_document.h"
#include "text/config_import.h"
#include "text/config_schema.h"
#include "text/config_text_file.h"

#include <QDateTime>
#include <QFileInfo>
#include <QJsonDocument>

namespace {

// Writes `bytes` to `path` atomically; false, with the message on `err`.
bool Save(const QString& path, const QByteArray& bytes, QTextStream& err)
{
    try {
        if (QFileInfo(path).isDir())
            throw CommandError(CliText::FolderNotFile.arg(path));
        WriteConfigFile(path, bytes);
        return true;
    } catch (const CommandError& e) {
        err << "orlix-cli: " << FileErrorText(path, e.Message()) << '\n';
        return false;
    }
}

}  // namespace

int RunExport(const CliOptions& options, QTextStream& out, QTextStream& err)
{
    const auto loaded = LoadCliFile(options.Files.first(), err);
    if (!loaded)
        return CliExit::Failed;
    const QByteArray text = QJsonDocument(ConfigExportDocument(loaded->Image, loaded->FamilyCode))
                                .toJson(QJsonDocument::Indented);
    if (options.Output.isEmpty()) {
        out << QString::fromUtf8(text);
        return CliExit::Ok;
    }
    return Save(options.Output, text, err) ? CliExit::Ok : CliExit::Failed;
}

int RunImport(const CliOptions& options, QTextStream&, QTextStream& err)
{
    const QString& path = options.Files.first();
    try {
        const LoadedConfig loaded = LoadTextConfig(path);
        return Save(options.Output,
                    ConfigFileBytesFor(options.Output, loaded.Image, loaded.FamilyCode), err)
                   ? CliExit::Ok
                   : CliExit::Failed;
    } catch (const CommandError& e) {
        err << "orlix-cli: " << FileErrorText(path, e.Message()) << '\n';
        return CliExit::Failed;
    }
}

int RunSet(const CliOptions& options, QTextStream&, QTextStream& err)
{
    const QString& path = options.Files.first();
    if (IsTextConfigName(path)) {
        err << "orlix-cli: " << PrintableName(path)
            << ": set меняет файл конфигурации (.cfg); текст JSON правится в редакторе\n";
        return CliExit::Failed;
    }
    const auto loaded = LoadCliFile(path, err);
    if (!loaded)
        return CliExit::Failed;
    ConfigImage image = loaded->Image;
    int32_t family = loaded->FamilyCode;
    for (qsizetype i = 1; i < options.Files.size(); ++i) {
        const QString error = SetConfigField(image, family, options.Files[i]);
        if (!error.isEmpty()) {
            err << "orlix-cli: " << error << " (файл не изменен)\n";
            return CliExit::Failed;
        }
    }
    return Save(path, ConfigFileBytesFor(path, image, family), err) ? CliExit::Ok : CliExit::Failed;
}

int RunSchema(const CliOptions& options, QTextStream& out, QTextStream& err)
{
    const QString which =
        options.Files.isEmpty() ? QStringLiteral("configuration") : options.Files.first();
    if (which == QLatin1String("configuration")) {
        out << QString::fromUtf8(SchemaText(ConfigSchema()));
        return CliExit::Ok;
    }
    if (which == QLatin1String("site")) {
        out << QString::fromUtf8(SchemaText(SiteSchema()));
        return CliExit::Ok;
    }
    err << "orlix-cli: schema: ожидается configuration или site, не '" << which << "'\n";
    return CliExit::Usage;
}
