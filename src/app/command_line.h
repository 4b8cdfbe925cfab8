#pragma once

#include <QString>
#include <QStringList>

// What orlix-config is told on its command line: at most one configuration
// file to open at start, or a request for help or the version.
struct CommandLine {
    QString File;
    bool Help = false;
    bool Version = false;
    QString Error;     // an unknown option or a second file
    QString HelpText;  // the usage text, for --help and errors
};

CommandLine ParseCommandLine(const QStringList& arguments);
