#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

// "01 11 C0 2C": bytes as the frame logs and traces show them.
inline QString HexText(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

inline QString HexText(const uint8_t* data, qsizetype count)
{
    return HexText(QByteArray(reinterpret_cast<const char*>(data), count));
}
