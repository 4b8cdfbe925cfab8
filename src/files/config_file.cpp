#include "files/config_file.h"

#include "model/block_crc.h"
#include "model/command_error.h"

#include <algorithm>

namespace {
// Lengths of files of earlier formats, recognised by their length alone.
constexpr qsizetype Version120FileSize = 275;
constexpr qsizetype Version130FileSize = 470;
constexpr int32_t Version120 = 120;
constexpr int32_t Version130 = 130;
}  // namespace

QByteArray EncodeConfigFile(const ConfigImage& image, int32_t familyCode, const QDateTime& savedAt)
{
    ConfigFileHeader header;
    header.Version = FileVersion;
    header.SavedAt = DaysSince1899(savedAt);
    header.FamilyCode = uint8_t(familyCode & 0xFF);
    QByteArray bytes = EncodeConfigFileHeader(header);
    bytes.append(reinterpret_cast<const char*>(image.data()), qsizetype(image.size()));
    return bytes;
}

void CheckConfigFileSize(qint64 size)
{
    if (size == Version120FileSize)
        throw CommandError(VersionMismatchMessage(Version120));
    if (size == Version130FileSize)
        throw CommandError(VersionMismatchMessage(Version130));
}

LoadedConfig DecodeConfigFile(const QByteArray& bytes, const std::function<bool()>& askImport)
{
    CheckConfigFileSize(bytes.size());

    const ConfigFileHeader header = DecodeConfigFileHeader(bytes);
    if (header.Version != FileVersion && header.Version != ImportFileVersion)
        throw CommandError(VersionMismatchMessage(header.Version));
    if (bytes.size() < ConfigFileSize)
        throw CommandError(CorruptFileMessage());

    LoadedConfig loaded;
    if (header.Version == ImportFileVersion) {
        if (!askImport || !askImport())
            throw CommandAbort();
        loaded.IsImport = true;
    }
    std::copy_n(bytes.constData() + ConfigFileHeaderSize, ConfigImageSize, loaded.Image.begin());
    if (!CheckBlockCrcs(loaded.Image))
        throw CommandError(CorruptFileMessage());
    loaded.FamilyCode = int8_t(header.FamilyCode);
    loaded.SavedAt = header.SavedAt;
    return loaded;
}
