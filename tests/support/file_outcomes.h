#pragma once

#include "files/config_file.h"
#include "model/command_error.h"

#include <QByteArray>
#include <QFile>
#include <QString>

// Small file helpers of the tests of saving and loading.

// "ok", or the message with which saving `bytes` to `path` failed.
inline QString WriteOutcome(const QString& path, const QByteArray& bytes)
{
    try {
        WriteConfigFile(path, bytes);
        return QStringLiteral("ok");
    } catch (const CommandError& e) {
        return e.Message();
    }
}

inline bool PutFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// The whole file, empty when it cannot be read.
inline QByteArray FileContents(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
