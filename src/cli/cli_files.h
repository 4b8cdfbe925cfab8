#pragma once

#include "cli/cli_options.h"
#include "files/config_file.h"

#include <QTextStream>

#include <optional>

// A configuration file for a command: a ".json" file read as its text
// form, any other with the tool's checks, a 1.60 file taken as an import;
// nothing, with the message (naming the file) on `err`, when
// it fails them.
std::optional<LoadedConfig> LoadCliFile(const QString& path, QTextStream& err);
// The message of a failed load, naming the file when the tool's own
// message does not.
QString FileErrorText(const QString& path, const QString& message);

// check: size, version and block CRCs of each file, one line each; a file
// that is not exactly 514 bytes fails.
int RunCheck(const CliOptions& options, QTextStream& out, QTextStream& err);
// show: a file in the terms of the pages, as text or JSON.
int RunShow(const CliOptions& options, QTextStream& out, QTextStream& err);
// diff: the fields in which two files differ; 0 equal, 1 different, 2 a
// file could not be taken.
int RunDiff(const CliOptions& options, QTextStream& out, QTextStream& err);
