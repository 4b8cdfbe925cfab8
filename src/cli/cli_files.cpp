#include "cli/cli_files.h"

#include "files/config_file.h"
#include "model/command_error.h"

int RunCheck(const CliOptions& options, QTextStream& out)
{
    int failed = 0;
    for (const QString& path : options.Files) {
        try {
            const LoadedConfig loaded = LoadConfigFile(path, [] { return true; });
            out << QStringLiteral("%1: v%2, семейство %3, CRC блоков 0-9 верны\n")
                       .arg(path, loaded.IsImport ? QStringLiteral("1.60") : QStringLiteral("1.70"))
                       .arg(loaded.FamilyCode);
        } catch (const CommandError& e) {
            ++failed;
            out << QStringLiteral("%1: ошибка: %2\n").arg(path, ErrorBoxText(e.Message()));
        }
    }
    return failed == 0 ? CliExit::Ok : CliExit::Failed;
}
