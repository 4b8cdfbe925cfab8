#pragma once

#include <QString>

#include <cstdint>

// The texts with which loading and saving a configuration file fail.

// "Несоответствие версии файла и программатора, файл v<major>.<minor>" for a
// version written as major * 100 + minor (150 -> v1.50, 200 -> v2.0). A
// negative version keeps its sign in front: -150 -> v-1.50.
QString VersionMismatchMessage(int32_t version);

// "Файл конфигурации поврежден".
QString CorruptFileMessage();

// "Не удается открыть файл <path>: <reason>" and its like for reading and
// writing; `path` as given (PrintableName: a line feed or an escape in it
// is shown escaped), `reason` the system's.
QString OpenFailedMessage(const QString& path, const QString& reason);
QString ReadFailedMessage(const QString& path, const QString& reason);
QString WriteFailedMessage(const QString& path, const QString& reason);
