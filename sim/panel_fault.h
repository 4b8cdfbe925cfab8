#pragma once

#include <QString>

#include <cstdint>
#include <optional>

// The kinds of request a panel tells apart.
enum class PanelRequest {
    Any,  // in a fault: every request
    ReportSlaveId,
    PollStatus,
    ReadVersion,
    ReadBlock,
    WriteBlock,
    ApplyConfig,
    Other,  // an unknown function or sub-command
};

QString PanelRequestName(PanelRequest request);
std::optional<PanelRequest> PanelRequestFromName(const QString& name);

// A scripted misbehaviour of the simulated panel. It affects the requests
// of one kind (optionally of one block) `Count` times, or forever.
struct PanelFault {
    enum class Action {
        Answer,           // the normal answer, possibly mangled below
        NoAnswer,         // stay silent
        Exception,        // function | 0x80, ExceptionCode
        ApplyNotStarted,  // apply answers 1 at position 2
        Vanish,           // the line goes dead: the panel closes its end for good
        Discard,          // a block write is acknowledged but not stored
    };

    Action Kind = Action::Answer;
    PanelRequest Request = PanelRequest::Any;
    int Block = -1;                // -1: any block
    int Count = -1;                // -1: forever
    int Skip = 0;                  // matching requests let pass before it applies
    uint8_t ExceptionCode = 0x06;  // slave device busy
    bool CorruptCrc = false;
    int ShortBy = 0;     // bytes left off the end of the answer
    int ExtraBytes = 0;  // junk bytes appended to the answer
    int DelayMs = 0;     // the answer leaves this much later
    // An intact answer as another request's: this address or function
    // byte in place of the request's (-1: the request's own).
    int AnswerAddress = -1;
    int AnswerFunction = -1;

    // An answer this late misses the tool's 1000 ms wait.
    static constexpr int LateDelayMs = 1500;

    bool Matches(PanelRequest request, int block) const;

    // "kind[,kind...][,key=value...]": kinds no-answer, crc, exception, busy (an
    // exception to polls), apply-not-started, delay, late, short, extra,
    // vanish, discard, foreign (with as-address or as-function); keys request (any, ident, poll,
    // version, read-block, write-block, apply), block, count, after (matching requests let pass
    // first), code, delay, by (short), bytes (extra), as-address and as-function (an answer for
    // another request).
    static std::optional<PanelFault> Parse(const QString& text, QString* error = nullptr);
    QString Describe() const;
};
