#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// Modbus CRC-16 (reflected polynomial 0xA001, register preset 0xFFFF): the
// check of every frame on the line and of every block of the image.

namespace crc16_detail {
constexpr std::array<uint16_t, 256> MakeTable()
{
    std::array<uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        uint16_t r = uint16_t(i);
        for (int k = 0; k < 8; ++k)
            r = (r & 1u) ? uint16_t((r >> 1) ^ 0xA001u) : uint16_t(r >> 1);
        table[i] = r;
    }
    return table;
}
}  // namespace crc16_detail

inline constexpr std::array<uint16_t, 256> Crc16Table = crc16_detail::MakeTable();

// The CRC of `count` bytes with the register's two bytes exchanged: read
// most significant byte first, the result is the two CRC bytes in wire order.
uint16_t Crc16(const uint8_t* data, size_t count);
