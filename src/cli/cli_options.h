#pragma once

#include "model/serial_settings.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>

// What orlix-cli was asked to do.
struct CliOptions {
    QString Command;  // ports, info, read, write, apply, verify, scan, show, diff, check,
                      // export, import, set, site, report, schema
    QStringList Files;
    // The line, as the port settings panel sets it.
    QString Port;
    QList<uint8_t> Addresses{1};
    SerialSettings Line;
    bool Trace = false;
    bool StopOnError = false;
    // read, report
    QString Output;
    QString Base;
    // write
    bool Apply = false;
    bool Force = false;
    bool Verify = false;  // --verify, or --apply without --no-verify
    QString NetAddress;   // empty: each panel keeps its own; "file"; or a number
    int WaitSeconds = 5;
    // scan
    int TimeoutMs = 0;  // the turnaround allowance; 0: the default
    bool AllSettings = false;
    // every command
    bool Json = false;
};

// The exit statuses of orlix-cli.
namespace CliExit {
constexpr int Ok = 0;
constexpr int Failed = 1;        // a panel or a file failed, differs, or diff found differences
constexpr int Usage = 2;         // the command line is not understood
constexpr int NotConfirmed = 3;  // a panel did not confirm a step (no answer)
}  // namespace CliExit

struct CliParse {
    CliOptions Options;
    bool Help = false;
    QString HelpCommand;  // the command whose help was asked for, or empty
    bool Version = false;
    QString Error;  // set when the command line is not understood
};

CliParse ParseCliArguments(const QStringList& arguments);
QString CliUsage();
// The help of one command: its synopsis, what it does and its options.
QString CommandUsage(const QString& command);
