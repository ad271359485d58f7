// LittleEndian: 16- and 32-bit fields of little-endian file formats, read and written in place
// (any alignment).
#pragma once

#include <cstdint>

namespace LittleEndian {

inline uint16_t Get16(const uint8_t* p)
{
    return uint16_t(p[0] | (p[1] << 8));
}

inline uint32_t Get32(const uint8_t* p)
{
    return uint32_t(Get16(p)) | (uint32_t(Get16(p + 2)) << 16);
}

inline void Put16(uint8_t* p, uint16_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

inline void Put32(uint8_t* p, uint32_t v)
{
    Put16(p, uint16_t(v));
    Put16(p + 2, uint16_t(v >> 16));
}

} // namespace LittleEndian
