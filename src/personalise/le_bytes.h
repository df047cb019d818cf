// Little-endian fields of the files the program reads (executables, FIG and
// BMP images), read and written through bytes so that a field at any address
// (even an odd one in a damaged file) is safe.
#pragma once
#include <stdint.h>

inline uint16_t Read16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

inline uint32_t Read32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

inline void Write16(uint8_t* p, uint16_t value)
{
    p[0] = static_cast<uint8_t>(value);
    p[1] = static_cast<uint8_t>(value >> 8);
}

inline void Write32(uint8_t* p, uint32_t value)
{
    p[0] = static_cast<uint8_t>(value);
    p[1] = static_cast<uint8_t>(value >> 8);
    p[2] = static_cast<uint8_t>(value >> 16);
    p[3] = static_cast<uint8_t>(value >> 24);
}

// A size rounded up to a multiple of 8, the spacing of resource data.
inline uint32_t RoundedSize(uint32_t size)
{
    return size + ((0u - size) & 7u);
}
