#include "cli/cli_files.h"

#include "cli/cli_report.h"
#include "cli/cli_texts.h"
#include "files/config_file.h"
#include "files/config_file_header.h"
#include "model/command_error.h"
#include "model/device_models.h"
#include "names/native_name.h"
#include "text/config_document.h"
#include "text/config_fields.h"
#include "text/config_listing.h"
#include "text/config_text_file.h"
#include "text/panel_check.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>

#include <optional>

#include <sys/stat.h>

namespace {
using Status = CliReport::Status;

QString VersionOf(const LoadedConfig& c)
{
    return c.IsImport ? QStringLiteral("1.60") : QStringLiteral("1.70");
}

// The size of the regular file `path` names, -1 for anything else.
qint64 RegularFileSize(const QString& path)
{
    struct stat st {};
    if (::stat(NativeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return -1;
    return qint64(st.st_size);
}

void PrintJson(QTextStream& out, const QString& command, QJsonObject root)
{
    root.insert("schema_version", JsonSchemaVersion);
    root.insert("command", command);
    out << QJsonDocument(root).toJson(QJsonDocument::Indented);
}
}  // namespace

QString FileErrorText(const QString& path, const QString& message)
{
    const QString text = ErrorBoxText(message);
    const QString shown = PrintableName(path);
    if (text.contains(shown) || text.contains(PrintableName(QFileInfo(path).absoluteFilePath())))
        return text;
    return shown + QStringLiteral(": ") + text;
}

std::optional<LoadedConfig> LoadCliFile(const QString& path, QTextStream& err)
{
    try {
        return LoadAnyConfigFile(path);
    } catch (const CommandError& e) {
        err << "orlix-cli: " << FileErrorText(path, e.Message()) << '\n';
        return std::nullopt;
    }
}

int RunCheck(const CliOptions& options, QTextStream& out, QTextStream& err)
{
    CliReport report(options, out, err);
    for (const QString& path : options.Files) {
        const qint64 size = RegularFileSize(path);
        QJsonObject json{{"file", path}, {"size", size >= 0 ? QJsonValue(size) : QJsonValue()}};
        const QString sizeText = size >= 0 ? QStringLiteral("%1 байт").arg(size) : QString();
        try {
            const LoadedConfig loaded = LoadConfigFile(path, [] { return true; });
            json.insert("version", VersionOf(loaded));
            json.insert("family", loaded.FamilyCode);
            if (size != ConfigFileSize) {
                const QString message =
                    QStringLiteral("размер %1 байт, а файл конфигурации - %2 байт")
                        .arg(size)
                        .arg(ConfigFileSize);
                report.Add(Status::Failed, CliText::FileFailed.arg(PrintableName(path), message),
                           message, json);
                continue;
            }
            const QString message = QStringLiteral("%1, v%2, семейство %3, CRC блоков 0-9 верны")
                                        .arg(sizeText, VersionOf(loaded))
                                        .arg(loaded.FamilyCode);
            report.Add(Status::Ok, QStringLiteral("%1: %2").arg(PrintableName(path), message),
                       message, json);
        } catch (const CommandError& e) {
            QString message = ErrorBoxText(e.Message());
            if (!sizeText.isEmpty())
                message = sizeText + QStringLiteral(", ") + message;
            report.Add(Status::Failed, CliText::FileFailed.arg(PrintableName(path), message),
                       message, json);
        }
    }
    return report.Finish("files");
}

int RunShow(const CliOptions& options, QTextStream& out, QTextStream& err)
{
    const QString& path = options.Files.first();
    const auto loaded = LoadCliFile(path, err);
    if (!loaded)
        return CliExit::Failed;
    if (options.Json) {
        PrintJson(out, options.Command,
                  {{"file", path},
                   {"file_version", VersionOf(*loaded)},
                   {"configuration", ConfigDocument(loaded->Image, loaded->FamilyCode)}});
    } else {
        out << QStringLiteral("Файл: %1 (v%2)\n").arg(PrintableName(path), VersionOf(*loaded))
            << ListingText(ListConfiguration(loaded->Image, loaded->FamilyCode));
    }
    return CliExit::Ok;
}

int RunDiff(const CliOptions& options, QTextStream& out, QTextStream& err)
{
    const auto a = LoadCliFile(options.Files[0], err);
    const auto b = LoadCliFile(options.Files[1], err);
    if (!a || !b)
        return CliExit::Usage;
    QJsonArray list;
    QStringList lines;
    if (a->FamilyCode != b->FamilyCode) {
        list << QJsonObject{{"path", "family"},
                            {"label", "Семейство"},
                            {"a", a->FamilyCode},
                            {"b", b->FamilyCode},
                            {"a_text", FamilyName(a->FamilyCode)},
                            {"b_text", FamilyName(b->FamilyCode)}};
        lines << QStringLiteral("Семейство: %1 -> %2")
                     .arg(FamilyName(a->FamilyCode), FamilyName(b->FamilyCode));
    }
    for (const FieldDifference& d : DiffFields(a->Image, b->Image)) {
        list << FieldDifferenceJson(d, QStringLiteral("a"), QStringLiteral("b"));
        lines << QStringLiteral("%1: %2 -> %3")
                     .arg(d.Row->Label, FieldValueText(*d.Row, d.A), FieldValueText(*d.Row, d.B));
    }
    if (options.Json)
        PrintJson(out, options.Command,
                  {{"a", options.Files[0]},
                   {"b", options.Files[1]},
                   {"equal", list.isEmpty()},
                   {"differences", list}});
    else
        for (const QString& line : lines)
            out << line << '\n';
    return list.isEmpty() ? CliExit::Ok : CliExit::Failed;
}
