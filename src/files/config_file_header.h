#pragma once

#include <QByteArray>
#include <QDateTime>

#include <cstdint>

// A configuration file: a 32-byte header followed by the 482-byte image.
constexpr int ConfigFileSize = 514;
constexpr int ConfigFileHeaderSize = 32;
constexpr int32_t FileVersion = 170;        // the version the tool writes (1.70)
constexpr int32_t ImportFileVersion = 160;  // the version it offers to import (1.60)

// The header at the start of a file; multi-byte numbers are little-endian.
//   0  4  Version     major * 100 + minor
//   4  8  SavedAt     days since 1899-12-30 00:00, time of day as the fraction
//  12  1  FamilyCode  low byte of the panel family
//  13 19  reserved    zero
struct ConfigFileHeader {
    int32_t Version = FileVersion;
    double SavedAt = 0.0;
    uint8_t FamilyCode = 0;
};

// Local date and time as days since 1899-12-30 00:00 local time, the time
// of day (milliseconds included) as the fraction. Before that day the whole
// part counts the days back and the fraction still gives the time of day
// (1899-12-29 06:00 is -1.25). An invalid date and time gives 0.
double DaysSince1899(const QDateTime& local);

// The local date and time that DaysSince1899 gave `days`, to the
// millisecond; an invalid QDateTime for a value no date has (not a number,
// infinite, or beyond the years 1..9999).
QDateTime DateTimeFrom1899(double days);

// The 32 header bytes, the reserved ones zero.
QByteArray EncodeConfigFileHeader(const ConfigFileHeader& header);

// The header from the first 32 bytes of `bytes`; bytes that are not there
// read as zero.
ConfigFileHeader DecodeConfigFileHeader(const QByteArray& bytes);
