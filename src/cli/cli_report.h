#pragma once

#include "cli/cli_options.h"
#include "link/panel_programming.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QTextStream>

// The results of a command, one per panel or file: a line of text each as
// they come (or one JSON document at the end with --json), progress on
// standard error, and the exit status they add up to.
class CliReport {
public:
    enum class Status { Ok, NotConfirmed, Differs, Failed };

    CliReport(const CliOptions& options, QTextStream& out, QTextStream& err);

    // "[3/12] №5" on standard error for runs over several panels: a line
    // that is rewritten in place when standard error is a terminal.
    void Progress(int done, int total, uint8_t address);
    // One result: `line` for the text form; `fields` (with "status" and
    // "message" added here) for the JSON form's list `listKey`.
    void Add(Status status, const QString& line, const QString& message, QJsonObject fields);
    // Prints the JSON document when asked for (with `extra` at its top),
    // and returns the exit status: 1 when anything failed or differs, 3
    // when something is not confirmed, else 0.
    int Finish(const QString& listKey, QJsonObject extra = {});

    static QString StatusWord(Status status);
    // The status a panel's outcome reads as.
    static Status StatusOf(PanelOutcome outcome);
    // A result's message as its line gives it: "не подтверждено: " before
    // the message of an unconfirmed result that does not say so itself.
    static QString MessageOf(Status status, const QString& message);
    // True when standard error is a terminal (progress rewrites one line).
    bool LiveLine() const { return m_liveLine; }

private:
    void EndProgressLine();

    const CliOptions& m_options;
    QTextStream& m_out;
    QTextStream& m_err;
    QJsonArray m_items;
    bool m_failed = false;
    bool m_unconfirmed = false;
    bool m_liveLine = false;
    bool m_lineOpen = false;
};
