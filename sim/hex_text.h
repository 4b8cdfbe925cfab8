#pragma once

#include <QByteArray>
#include <QString>

// "01 11 C0 2C": a frame as the panel's log shows it.
inline QString HexText(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}
