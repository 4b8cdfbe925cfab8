#pragma once

#include "cli/cli_options.h"
#include "report/config_report.h"

#include <QTextStream>

#include <optional>

// report: the HTML report of a configuration file, to standard output or
// to the file -o names (written whole or not at all). A file the tool
// would not open as it is (1.60, other versions, bad CRC) is refused.
int RunReport(const CliOptions& options, QTextStream& out, QTextStream& err);

// What the report of the file at `path` is made of; nullopt with the
// tool's message (naming the file) in `error` when it is refused.
std::optional<ReportSource> LoadReportSource(const QString& path, QString* error);

// Writes a report to `path` whole or not at all; false with the message.
bool WriteReportFile(const QString& path, const QString& html, QString* error);
