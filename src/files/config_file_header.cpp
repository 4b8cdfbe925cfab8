#include "files/config_file_header.h"

#include <QtEndian>

#include <bit>
#include <cstring>

namespace {
constexpr int VersionOffset = 0;
constexpr int SavedAtOffset = 4;
constexpr int FamilyCodeOffset = 12;
constexpr double MsecsPerDay = 86400000.0;
}  // namespace

double DaysSince1899(const QDateTime& local)
{
    if (!local.isValid())
        return 0.0;
    const QDateTime dt = local.toLocalTime();
    const qint64 days = QDate(1899, 12, 30).daysTo(dt.date());
    const double fraction = dt.time().msecsSinceStartOfDay() / MsecsPerDay;
    return days >= 0 ? double(days) + fraction : double(days) - fraction;
}

QByteArray EncodeConfigFileHeader(const ConfigFileHeader& header)
{
    QByteArray bytes(ConfigFileHeaderSize, '\0');
    uchar* p = reinterpret_cast<uchar*>(bytes.data());
    qToLittleEndian<qint32>(header.Version, p + VersionOffset);
    qToLittleEndian<quint64>(std::bit_cast<quint64>(header.SavedAt), p + SavedAtOffset);
    p[FamilyCodeOffset] = header.FamilyCode;
    return bytes;
}

ConfigFileHeader DecodeConfigFileHeader(const QByteArray& bytes)
{
    uchar raw[ConfigFileHeaderSize] = {};
    std::memcpy(raw, bytes.constData(),
                size_t(qMin<qsizetype>(bytes.size(), ConfigFileHeaderSize)));
    ConfigFileHeader header;
    header.Version = qFromLittleEndian<qint32>(raw + VersionOffset);
    header.SavedAt = std::bit_cast<double>(qFromLittleEndian<quint64>(raw + SavedAtOffset));
    header.FamilyCode = raw[FamilyCodeOffset];
    return header;
}
