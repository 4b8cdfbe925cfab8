#include "message_guard.h"

#include <QTest>

namespace {
QtMessageHandler g_previous = nullptr;

void Guard(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (g_previous)
        g_previous(type, context, message);
    if (message.contains(QLatin1String("editing failed")))
        QTest::qFail(qPrintable(QStringLiteral("unexpected message: ") + message),
                     context.file ? context.file : "", context.line);
}
}  // namespace

void FailOnEditingFailed()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    g_previous = qInstallMessageHandler(Guard);
}
