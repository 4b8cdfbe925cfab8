#include "panel_fault.h"

#include <QStringList>

#include <array>
#include <utility>

namespace {

const std::array<std::pair<PanelRequest, const char*>, 8> RequestNames{{
    {PanelRequest::Any, "any"},
    {PanelRequest::ReportSlaveId, "ident"},
    {PanelRequest::PollStatus, "poll"},
    {PanelRequest::ReadVersion, "version"},
    {PanelRequest::ReadBlock, "read-block"},
    {PanelRequest::WriteBlock, "write-block"},
    {PanelRequest::ApplyConfig, "apply"},
    {PanelRequest::Other, "other"},
}};

bool ParseNumber(const QString& text, int& value)
{
    bool ok = false;
    value = text.startsWith(QLatin1String("0x")) ? text.mid(2).toInt(&ok, 16) : text.toInt(&ok);
    return ok;
}

bool ApplyKind(const QString& kind, PanelFault& fault)
{
    if (kind == QLatin1String("no-answer")) {
        fault.Kind = PanelFault::Action::NoAnswer;
    } else if (kind == QLatin1String("crc")) {
        fault.CorruptCrc = true;
    } else if (kind == QLatin1String("exception")) {
        fault.Kind = PanelFault::Action::Exception;
        fault.ExceptionCode = 0x01;
    } else if (kind == QLatin1String("busy")) {
        fault.Kind = PanelFault::Action::Exception;
        fault.Request = PanelRequest::PollStatus;
        fault.ExceptionCode = 0x06;
    } else if (kind == QLatin1String("apply-not-started")) {
        fault.Kind = PanelFault::Action::ApplyNotStarted;
        fault.Request = PanelRequest::ApplyConfig;
    } else if (kind == QLatin1String("discard")) {
        fault.Kind = PanelFault::Action::Discard;
        fault.Request = PanelRequest::WriteBlock;
    } else if (kind == QLatin1String("delay")) {
        fault.DelayMs = 200;
    } else if (kind == QLatin1String("late")) {
        fault.DelayMs = PanelFault::LateDelayMs;
    } else if (kind == QLatin1String("short")) {
        fault.ShortBy = 1;
    } else if (kind == QLatin1String("extra")) {
        fault.ExtraBytes = 1;
    } else if (kind == QLatin1String("foreign")) {
        // An answer for another request: the as-address and as-function keys say how.
    } else if (kind == QLatin1String("vanish")) {
        fault.Kind = PanelFault::Action::Vanish;
    } else {
        return false;
    }
    return true;
}

}  // namespace

QString PanelRequestName(PanelRequest request)
{
    for (const auto& [value, name] : RequestNames) {
        if (value == request)
            return QLatin1String(name);
    }
    return {};
}

std::optional<PanelRequest> PanelRequestFromName(const QString& name)
{
    for (const auto& [value, text] : RequestNames) {
        if (name == QLatin1String(text))
            return value;
    }
    return std::nullopt;
}

bool PanelFault::Matches(PanelRequest request, int block) const
{
    if (Count == 0)
        return false;
    if (Request != PanelRequest::Any && Request != request)
        return false;
    return Block < 0 || Block == block;
}

std::optional<PanelFault> PanelFault::Parse(const QString& text, QString* error)
{
    auto fail = [error](const QString& why) -> std::optional<PanelFault> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    const QStringList parts = text.split(QLatin1Char(','), Qt::SkipEmptyParts);
    PanelFault fault;
    if (parts.isEmpty() || !ApplyKind(parts.first().trimmed(), fault))
        return fail(QStringLiteral("unknown fault kind in '%1'").arg(text));
    for (int i = 1; i < parts.size(); ++i) {
        if (!parts[i].contains(QLatin1Char('='))) {
            if (!ApplyKind(parts[i].trimmed(), fault))
                return fail(QStringLiteral("unknown fault kind '%1'").arg(parts[i]));
            continue;
        }
        const QString key = parts[i].section(QLatin1Char('='), 0, 0).trimmed();
        const QString value = parts[i].section(QLatin1Char('='), 1).trimmed();
        int number = 0;
        if (key == QLatin1String("request")) {
            const auto request = PanelRequestFromName(value);
            if (!request)
                return fail(QStringLiteral("unknown request '%1'").arg(value));
            fault.Request = *request;
        } else if (!ParseNumber(value, number) || number < -1) {
            return fail(QStringLiteral("'%1' needs a number").arg(parts[i]));
        } else if (key == QLatin1String("block")) {
            fault.Block = number;
        } else if (key == QLatin1String("count")) {
            fault.Count = number;
        } else if (key == QLatin1String("after") && number >= 0) {
            fault.Skip = number;
        } else if (key == QLatin1String("code") && number >= 0 && number <= 255) {
            fault.ExceptionCode = uint8_t(number);
        } else if (key == QLatin1String("delay") && number >= 0) {
            fault.DelayMs = number;
        } else if (key == QLatin1String("by") && number >= 0) {
            fault.ShortBy = number;
        } else if (key == QLatin1String("bytes") && number >= 0) {
            fault.ExtraBytes = number;
        } else if (key == QLatin1String("as-address") && number >= 0 && number <= 255) {
            fault.AnswerAddress = number;
        } else if (key == QLatin1String("as-function") && number >= 0 && number <= 255) {
            fault.AnswerFunction = number;
        } else {
            return fail(QStringLiteral("unknown or invalid setting '%1'").arg(parts[i]));
        }
    }
    return fault;
}

QString PanelFault::Describe() const
{
    QStringList what;
    switch (Kind) {
        case Action::Answer: break;
        case Action::NoAnswer: what << QStringLiteral("no answer"); break;
        case Action::Exception:
            what << QStringLiteral("exception 0x%1").arg(ExceptionCode, 2, 16, QLatin1Char('0'));
            break;
        case Action::ApplyNotStarted: what << QStringLiteral("apply answers 1"); break;
        case Action::Vanish: what << QStringLiteral("the line goes dead"); break;
        case Action::Discard: what << QStringLiteral("block acknowledged, not stored"); break;
    }
    if (CorruptCrc)
        what << QStringLiteral("corrupt CRC");
    if (ShortBy > 0)
        what << QStringLiteral("%1 byte(s) short").arg(ShortBy);
    if (ExtraBytes > 0)
        what << QStringLiteral("%1 extra byte(s)").arg(ExtraBytes);
    if (DelayMs > 0)
        what << QStringLiteral("%1 ms late").arg(DelayMs);
    if (AnswerAddress >= 0)
        what << QStringLiteral("answers as address %1").arg(AnswerAddress);
    if (AnswerFunction >= 0)
        what << QStringLiteral("answers with function %1").arg(AnswerFunction);
    QString target = PanelRequestName(Request);
    if (Block >= 0)
        target += QStringLiteral(" of block %1").arg(Block);
    QString times = Count < 0 ? QStringLiteral("always") : QStringLiteral("%1 time(s)").arg(Count);
    if (Skip > 0)
        times += QStringLiteral(" after %1 passed").arg(Skip);
    return QStringLiteral("%1 to %2, %3").arg(what.join(QStringLiteral(", ")), target, times);
}
