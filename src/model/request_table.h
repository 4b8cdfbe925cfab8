#pragma once

#include "model/config_image.h"

#include <QString>

#include <array>
#include <cstdint>
#include <optional>

// Blocks 7, 8 and 9: the external network tables of the panel's Modbus
// master mode. Each is 81 bytes: a count of the records in use, then 16
// records of 5 bytes. `RequestTable` holds the poll requests; `AckTable`
// and `ResetTable` hold, per external device, the write that acknowledges
// or resets it (only their device and address fields are used).
//
// `RequestRecord`: byte 0 the device (its network address, the key that
// links a request to its acknowledge and reset records), byte 1 the Modbus
// function, bytes 2..3 the data address (low byte first), byte 4 the number
// of data items.
namespace ExternalNet {
constexpr int MaxRecords = 16;
constexpr int RecordLength = 5;
constexpr int TableLength = 1 + MaxRecords * RecordLength;
}  // namespace ExternalNet

// The value is the table's block number.
enum class NetTable : uint8_t { Request = 7, Ack = 8, Reset = 9 };

struct RequestRecord {
    uint8_t Device = 0;
    uint8_t Function = 0;
    uint16_t Address = 0;
    uint8_t Count = 0;
    bool operator==(const RequestRecord&) const = default;
};

// The image offset of a table's count byte.
int NetTableOffset(NetTable table);
// The records in use: the count byte, at most 16 (a larger count is only
// found in a damaged image; the table has no room beyond 16).
int RecordsInUse(const ConfigImage& image, NetTable table);
// Record k (0..15) of a table.
RequestRecord NetRecord(const ConfigImage& image, NetTable table, int k);
// The first record in use whose device is `key`, or -1.
int FindDeviceRecord(const ConfigImage& image, uint8_t key, NetTable table);

// The Modbus functions the request-details list names, in list order:
// "1   R.Coil " for function 1 and "2   R.Disc" for function 2.
extern const std::array<const char*, 2> RequestFunctionNames;
// The list position of a function code, or nothing for another code.
std::optional<int> RequestFunctionPosition(uint8_t function);

// "0x" and two or four upper-case hexadecimal digits: 0x03, 0x001F.
QString HexByteText(uint8_t value);
QString HexWordText(uint16_t value);
