#pragma once

#include "cli/cli_options.h"

#include <QTextStream>

// check: size, version and block CRCs of each file, one line each.
int RunCheck(const CliOptions& options, QTextStream& out);
