#pragma once

#include "cli/cli_options.h"

#include <QTextStream>

// The panel commands of orlix-cli (info, read, write, apply, verify), run
// for each address in turn over the exchange steps the window uses too,
// and scan. One summary line per panel goes to `out` (or one JSON
// document); messages, progress and the frame trace go to `err`. Returns
// the exit status.
int RunDeviceCommand(const CliOptions& options, QTextStream& out, QTextStream& err);
int RunScan(const CliOptions& options, QTextStream& out, QTextStream& err);

// ports: the names the port settings panel lists, one a line.
int RunPorts(const CliOptions& options, QTextStream& out, QTextStream& err);

// The file a read of `address` goes to: `output` itself for a single
// panel, else with "-<address>" before its suffix (panel.cfg -> panel-3.cfg).
QString ReadOutputName(const QString& output, uint8_t address, bool several);
