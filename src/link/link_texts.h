#pragma once

#include <QString>

// Status texts of the channel and the protocol requests.
namespace LinkText {
inline QString SendFailed()
{
    return QStringLiteral("Сбой посылки");
}
inline QString ReceiveFailed()
{
    return QStringLiteral("Сбой приема");
}
// An intact answer for another address or function (another panel, a
// repeater, a misconfigured gateway).
inline QString ForeignAnswer(int address, int function)
{
    return QStringLiteral("Чужой ответ: адрес %1, функция %2").arg(address).arg(function);
}
// A run of bytes too short to be a frame (traffic journal).
inline QString FrameTooShort()
{
    return QStringLiteral("слишком короткий кадр");
}
// Bytes that were still arriving before a request, and were dropped.
inline QString DroppedBeforeRequest()
{
    return QStringLiteral("до запроса, отброшено");
}
// The line did not fall silent before a request within the answer wait.
inline QString LineBusy()
{
    return QStringLiteral("Линия занята");
}
// The line's echo of a request differed from what was sent.
inline QString EchoGarbled()
{
    return QStringLiteral("Эхо искажено");
}

// Status texts of the panel commands.
// The system's reason why a port did not open: "Причина: " and its text.
inline QString OpenFailureReason(const QString& systemText)
{
    return QStringLiteral("Причина: ") + systemText;
}
// A panel as a message names it: "Устройство № 3  (ttyUSB0)".
inline QString DeviceOnPort(const QString& addressText, const QString& portName)
{
    return QStringLiteral("Устройство № ") + addressText + QStringLiteral("  (") + portName +
           QLatin1Char(')');
}
}  // namespace LinkText
