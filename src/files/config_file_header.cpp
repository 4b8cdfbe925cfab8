#include "files/config_file_header.h"

#include <QtEndian>

#include <algorithm>
#include <bit>
#include <cmath>
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

QDateTime DateTimeFrom1899(double days)
{
    // 1899-12-30 lies 693594 days after 0001-01-01 and 2958465 before 9999-12-31.
    if (!std::isfinite(days) || days < -693593.0 || days >= 2958466.0)
        return {};
    const double whole = std::trunc(days);
    const qint64 msecs = std::min(qint64(std::llround(std::fabs(days - whole) * MsecsPerDay)),
                                  qint64(MsecsPerDay) - 1);
    const QDate date = QDate(1899, 12, 30).addDays(qint64(whole));
    return QDateTime(date, QTime::fromMSecsSinceStartOfDay(int(msecs)));
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
