#pragma once

#include "model/block_crc.h"
#include "model/config_image.h"

#include <QByteArray>
#include <QFile>
#include <QTest>
#include <QtEndian>

// The whole content of a file; empty when it cannot be read.
inline QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

inline void WriteAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

// A configuration file of `version` holding `image` with its CRC words
// stamped, for the panel family `family`.
inline QByteArray ConfigFileBytes(ConfigImage image, int version = 170, int family = 0)
{
    StampBlockCrcs(image);
    QByteArray bytes(32, '\0');
    qToLittleEndian<qint32>(version, bytes.data());
    bytes[12] = char(family);
    bytes.append(reinterpret_cast<const char*>(image.data()), ConfigImageSize);
    return bytes;
}

// The image bytes of a configuration file.
inline ConfigImage FileImage(const QByteArray& file)
{
    ConfigImage image{};
    if (file.size() >= 32 + ConfigImageSize)
        std::copy(file.begin() + 32, file.begin() + 32 + ConfigImageSize, image.begin());
    return image;
}
