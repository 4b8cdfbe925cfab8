#include "link/trace_text.h"

#include "link/hex_text.h"
#include "link/link_texts.h"

QString TraceLine(qint64 elapsedMs, TraceKind kind, const uint8_t* data, int count)
{
    const QString note = kind == TraceKind::Echo ? QStringLiteral("  (эхо)")
                         : kind == TraceKind::Discarded
                             ? QStringLiteral("  (%1)").arg(LinkText::DroppedBeforeRequest())
                             : QString();
    return QStringLiteral("%1 ms %2 %3%4")
        .arg(elapsedMs, 6)
        .arg(kind == TraceKind::Sent ? QStringLiteral("->") : QStringLiteral("<-"),
             HexText(data, count), note);
}
