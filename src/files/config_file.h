#pragma once

#include "files/config_file_header.h"
#include "files/config_file_messages.h"
#include "model/config_image.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <cstdint>
#include <functional>

// A configuration as a file brings it: the image, the panel family from the
// header, and whether it came from a version 1.60 file (an import).
struct LoadedConfig {
    ConfigImage Image{};
    int32_t FamilyCode = 0;
    bool IsImport = false;
    double SavedAt = 0.0;  // the header's save time, as DaysSince1899 gives it
};

// The 514 bytes of a file: the header (version 170, `savedAt` as
// DaysSince1899, the low byte of `familyCode`, reserved zeros) followed by
// `image` as given; the caller stamps the block CRC words first.
QByteArray EncodeConfigFile(const ConfigImage& image, int32_t familyCode, const QDateTime& savedAt);

// Refuses the earlier formats that are told by the file's length alone:
// 275 bytes -> the v1.20 message, 470 bytes -> the v1.30 message.
void CheckConfigFileSize(qint64 size);

// Checks the bytes of a file and returns its configuration. The checks run
// in this order and the first that fails throws:
//  1. size: 275 bytes -> the v1.20 message, 470 bytes -> the v1.30 message;
//  2. version: 160 -> `askImport()`, a refusal (or no `askImport`) throws
//     CommandAbort; neither 160 nor 170 -> VersionMismatchMessage;
//  3. CRC: any block whose CRC word does not check -> CorruptFileMessage.
// Bytes after the 514th are ignored. Bytes a shorter file does not supply
// count as missing, never as data: the version is formed from the bytes
// present (zero-filled), and a file with version 160 or 170 but an
// incomplete image is corrupt, refused without asking about the import.
// FamilyCode is header byte 12 as a signed 8-bit number.
LoadedConfig DecodeConfigFile(const QByteArray& bytes, const std::function<bool()>& askImport);

// Opens the file at `path` (without blocking; anything but a regular file
// is refused) and decodes it as DecodeConfigFile does. The size is judged
// from the file's length before its contents are read.
// A file that cannot be opened or read throws CommandError naming the
// file's full path and giving the system's reason.
LoadedConfig LoadConfigFile(const QString& path, const std::function<bool()>& askImport);

// The bytes of the regular file `path` names, opened as LoadConfigFile
// opens one; a file larger than `limit` bytes is refused. Throws
// CommandError naming the file's full path with the reason.
QByteArray ReadSmallFile(const QString& path, qint64 limit);

// Writes `bytes` to the regular file `path` leads to (ResolveSaveTarget:
// never a FIFO, a device or a folder, never through another user's link)
// through a temporary file in the same folder that replaces the target
// only after every byte was written and synced. Where the folder takes no
// new file, an existing file is written in place and put back as it was
// when a write fails. Any failure throws CommandError naming the file's
// full path with the reason, and an existing file stays as it was.
void WriteConfigFile(const QString& path, const QByteArray& bytes);
