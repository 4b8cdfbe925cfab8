#pragma once

#include <cstdint>

// Bit n of a byte array: bit n mod 8 of byte n div 8, least significant first.
inline void SetBit(int n, uint8_t* bytes, bool value)
{
    const uint8_t mask = uint8_t(1u << (n % 8));
    if (value)
        bytes[n / 8] |= mask;
    else
        bytes[n / 8] &= uint8_t(~mask);
}

inline bool TestBit(int n, const uint8_t* bytes)
{
    return (bytes[n / 8] >> (n % 8)) & 1u;
}
