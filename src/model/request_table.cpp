#include "model/request_table.h"

#include <algorithm>

using namespace ExternalNet;

int NetTableOffset(NetTable table)
{
    return BlockDirectory[int(table)].Offset;
}

int RecordsInUse(const ConfigImage& image, NetTable table)
{
    return std::min<int>(image[NetTableOffset(table)], MaxRecords);
}

RequestRecord NetRecord(const ConfigImage& image, NetTable table, int k)
{
    const int at = NetTableOffset(table) + 1 + RecordLength * k;
    RequestRecord record;
    record.Device = image[at];
    record.Function = image[at + 1];
    record.Address = uint16_t(image[at + 2] | image[at + 3] << 8);
    record.Count = image[at + 4];
    return record;
}

int FindDeviceRecord(const ConfigImage& image, uint8_t key, NetTable table)
{
    const int count = RecordsInUse(image, table);
    for (int k = 0; k < count; ++k)
        if (NetRecord(image, table, k).Device == key)
            return k;
    return -1;
}

const std::array<const char*, 2> RequestFunctionNames{"1   R.Coil ", "2   R.Disc"};

std::optional<int> RequestFunctionPosition(uint8_t function)
{
    if (function < 1 || function > int(RequestFunctionNames.size()))
        return std::nullopt;
    return function - 1;
}

namespace {
QString Hex(unsigned value, int digits)
{
    return QStringLiteral("0x") + QString::number(value, 16).rightJustified(digits, u'0').toUpper();
}
}  // namespace

QString HexByteText(uint8_t value)
{
    return Hex(value, 2);
}

QString HexWordText(uint16_t value)
{
    return Hex(value, 4);
}
