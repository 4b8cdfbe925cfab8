#include "files/config_file_messages.h"

#include "names/native_name.h"

QString VersionMismatchMessage(int32_t version)
{
    const qint64 v = version;  // wide enough for the magnitude of any int32_t
    const qint64 magnitude = v < 0 ? -v : v;
    return QStringLiteral("Несоответствие версии файла и программатора, файл v%1%2.%3")
        .arg(v < 0 ? QStringLiteral("-") : QString())
        .arg(magnitude / 100)
        .arg(magnitude % 100);
}

QString CorruptFileMessage()
{
    return QStringLiteral("Файл конфигурации поврежден");
}

QString OpenFailedMessage(const QString& path, const QString& reason)
{
    return QStringLiteral("Не удается открыть файл %1: %2").arg(PrintableName(path), reason);
}

QString ReadFailedMessage(const QString& path, const QString& reason)
{
    return QStringLiteral("Не удается прочитать файл %1: %2").arg(PrintableName(path), reason);
}

QString WriteFailedMessage(const QString& path, const QString& reason)
{
    return QStringLiteral("Не удается записать файл %1: %2").arg(PrintableName(path), reason);
}
