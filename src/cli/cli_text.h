#pragma once

#include "cli/cli_options.h"

#include <QTextStream>

// export: a configuration file as its JSON text form, to -o or standard output.
int RunExport(const CliOptions& options, QTextStream& out, QTextStream& err);
// import: a text form file to a 1.70 configuration file (-o); nothing is
// written when the text has a fault.
int RunImport(const CliOptions& options, QTextStream& out, QTextStream& err);
// set: fields of a configuration file changed in place, all or none.
int RunSet(const CliOptions& options, QTextStream& out, QTextStream& err);
// schema: the JSON Schema of the text form ("configuration", the default)
// or of a site file ("site"), as the shipped schema files hold it.
int RunSchema(const CliOptions& options, QTextStream& out, QTextStream& err);
