#include "cli/cli_files.h"

#include "cli/config_listing.h"
#include "files/config_file.h"
#include "files/native_name.h"
#include "model/command_error.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <optional>

namespace {
QString VersionOf(const LoadedConfig& c)
{
    return c.IsImport ? QStringLiteral("1.60") : QStringLiteral("1.70");
}
}  // namespace

std::optional<LoadedConfig> LoadCliFile(const QString& path, QTextStream& err)
{
    try {
        return LoadConfigFile(path, [] { return true; });
    } catch (const CommandError& e) {
        err << ErrorBoxText(e.Message()) << '\n';
        return std::nullopt;
    }
}

int RunCheck(const CliOptions& options, QTextStream& out)
{
    int failed = 0;
    for (const QString& path : options.Files) {
        try {
            const LoadedConfig loaded = LoadConfigFile(path, [] { return true; });
            out << QStringLiteral("%1: v%2, семейство %3, CRC блоков 0-9 верны\n")
                       .arg(PrintableName(path), VersionOf(loaded))
                       .arg(loaded.FamilyCode);
        } catch (const CommandError& e) {
            ++failed;
            out << QStringLiteral("%1: ошибка: %2\n")
                       .arg(PrintableName(path), ErrorBoxText(e.Message()));
        }
    }
    return failed == 0 ? CliExit::Ok : CliExit::Failed;
}

int RunShow(const CliOptions& options, QTextStream& out, QTextStream& err)
{
    const QString& path = options.Files.first();
    const auto loaded = LoadCliFile(path, err);
    if (!loaded)
        return CliExit::Failed;
    const Listing listing = ListConfiguration(loaded->Image, loaded->FamilyCode);
    if (options.Json) {
        QJsonObject root = ListingJson(listing, loaded->Image);
        root.insert("file", path);
        root.insert("version", VersionOf(*loaded));
        out << QJsonDocument(root).toJson(QJsonDocument::Indented);
    } else {
        out << QStringLiteral("Файл: %1 (v%2)\n").arg(PrintableName(path), VersionOf(*loaded))
            << ListingText(listing);
    }
    return CliExit::Ok;
}

int RunDiff(const CliOptions& options, QTextStream& out, QTextStream& err)
{
    const auto a = LoadCliFile(options.Files[0], err);
    const auto b = LoadCliFile(options.Files[1], err);
    if (!a || !b)
        return CliExit::Usage;
    const QList<ListingDifference> differences = DiffListings(
        ListConfiguration(a->Image, a->FamilyCode), ListConfiguration(b->Image, b->FamilyCode));
    if (options.Json) {
        QJsonArray list;
        for (const ListingDifference& d : differences)
            list << QJsonObject{{"key", d.Key}, {"label", d.Label}, {"a", d.A}, {"b", d.B}};
        const QJsonObject root{{"a", options.Files[0]},
                               {"b", options.Files[1]},
                               {"equal", differences.isEmpty()},
                               {"differences", list}};
        out << QJsonDocument(root).toJson(QJsonDocument::Indented);
    } else {
        for (const ListingDifference& d : differences)
            out << QStringLiteral("%1: %2 -> %3\n").arg(d.Label, d.A, d.B);
    }
    return differences.isEmpty() ? CliExit::Ok : CliExit::Failed;
}
