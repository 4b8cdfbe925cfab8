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
}  // namespace LinkText
