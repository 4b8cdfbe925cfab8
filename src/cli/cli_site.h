#pragma once

#include "cli/cli_options.h"

#include <QTextStream>

// site SITE.json write|verify|read|scan: every panel of a site, its lines
// at once; progress per line on `err`, a summary table (or JSON) on `out`.
int RunSite(const CliOptions& options, QTextStream& out, QTextStream& err);
