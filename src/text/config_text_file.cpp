#include "text/config_text_file.h"

#include "model/block_crc.h"
#include "model/command_error.h"
#include "names/native_name.h"
#include "text/config_document.h"
#include "text/config_import.h"

#include <QDateTime>
#include <QJsonDocument>

bool IsTextConfigName(const QString& path)
{
    return path.endsWith(QLatin1String(".json"), Qt::CaseInsensitive);
}

LoadedConfig LoadTextConfig(const QString& path)
{
    const ConfigTextResult text = ConfigFromText(ReadSmallFile(path, MaxConfigTextSize));
    if (!text.Error.isEmpty())
        throw CommandError(QStringLiteral("%1: %2").arg(PrintableName(path), text.Error));
    LoadedConfig loaded;
    loaded.Image = text.Image;
    StampBlockCrcs(loaded.Image);
    loaded.FamilyCode = text.FamilyCode;
    return loaded;
}

LoadedConfig LoadAnyConfigFile(const QString& path)
{
    if (IsTextConfigName(path))
        return LoadTextConfig(path);
    return LoadConfigFile(path, [] { return true; });
}

QByteArray ConfigExportText(const ConfigImage& image, int32_t familyCode)
{
    return QJsonDocument(ConfigExportDocument(image, familyCode)).toJson(QJsonDocument::Indented);
}

QByteArray ConfigFileBytesFor(const QString& path, ConfigImage image, int32_t familyCode)
{
    StampBlockCrcs(image);
    if (IsTextConfigName(path))
        return ConfigExportText(image, familyCode);
    return EncodeConfigFile(image, familyCode, QDateTime::currentDateTime());
}
