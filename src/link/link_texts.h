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
}  // namespace LinkText
