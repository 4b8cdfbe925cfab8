#pragma once

#include "cli/cli_options.h"

#include <QTextStream>

// report: the HTML report of a configuration file, to standard output or
// to the file -o names (written whole or not at all). A file the tool
// would not open as it is (1.60, other versions, bad CRC) is refused.
int RunReport(const CliOptions& options, QTextStream& out, QTextStream& err);
