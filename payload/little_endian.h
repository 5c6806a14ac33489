// Little-endian words of the resource formats, read and written byte by byte so
// that no alignment or host byte order is assumed.
#pragma once

#include <stdint.h>

inline uint32_t ReadWord32(const unsigned char* p)
{
    return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}

inline void WriteWord32(unsigned char* p, uint32_t value)
{
    p[0] = (unsigned char)value;
    p[1] = (unsigned char)(value >> 8);
    p[2] = (unsigned char)(value >> 16);
    p[3] = (unsigned char)(value >> 24);
}
