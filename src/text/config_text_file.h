#pragma once

#include "files/config_file.h"

#include <QByteArray>
#include <QString>

// The largest text form taken (an export is about 50 KiB).
constexpr qint64 MaxConfigTextSize = 4 * 1024 * 1024;

// Whether `path` names a configuration in its text form (".json").
bool IsTextConfigName(const QString& path);
// The configuration of a text form file, its CRC words stamped; throws
// CommandError naming the file and the first fault.
LoadedConfig LoadTextConfig(const QString& path);
// A ".json" file as its text form, any other as a configuration file (a
// 1.60 file taken as an import); throws CommandError.
LoadedConfig LoadAnyConfigFile(const QString& path);

// The export text of a configuration.
QByteArray ConfigExportText(const ConfigImage& image, int32_t familyCode);
// What a save to `path` writes: the export text for a ".json" name, else
// a 1.70 configuration file (the CRC words stamped here).
QByteArray ConfigFileBytesFor(const QString& path, ConfigImage image, int32_t familyCode);
