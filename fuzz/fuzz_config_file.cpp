// The configuration file reader on arbitrary bytes of any length: it either
// accepts the file (a 1.60 or 1.70 file whose block CRC words check) or
// refuses it with one of the file messages; it never reads outside the data
// and never aborts.
#include "files/config_file.h"
#include "model/block_crc.h"
#include "model/command_error.h"

#include <QByteArray>
#include <QtEndian>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // A copy of exactly the input's length: any read past it is caught.
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const bool acceptImport = size % 2 == 0;
    try {
        const LoadedConfig loaded =
            DecodeConfigFile(bytes, [acceptImport] { return acceptImport; });
        if (size < size_t(ConfigFileSize))
            std::abort();  // a short file is never taken
        const qint32 version = qFromLittleEndian<qint32>(data);
        if (version != 170 && !(version == 160 && loaded.IsImport))
            std::abort();
        if (!CheckBlockCrcs(loaded.Image))
            std::abort();
        if (loaded.FamilyCode != qint32(int8_t(data[12])))
            std::abort();
    } catch (const CommandAbort&) {
        if (acceptImport)
            std::abort();  // only a declined import ends silently
    } catch (const CommandError& e) {
        const QString& m = e.Message();
        if (!m.startsWith(QStringLiteral("Несоответствие версии файла и программатора, файл v")) &&
            m != CorruptFileMessage())
            std::abort();
    }
    return 0;
}
