#pragma once

#include <QString>

// The command line's texts that more than one place gives.
namespace CliText {
// A file named on the command line that is a folder: "%1" the name.
inline const QString FolderNotFile = QStringLiteral("%1: это папка, а не файл");
// The line of a file that failed: "%1" its name, "%2" the reason.
inline const QString FileFailed = QStringLiteral("%1: ошибка: %2");
// The help option's line in every usage text.
inline constexpr const char* HelpOption = "эта справка";
}  // namespace CliText
