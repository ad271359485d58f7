// Little-endian integers at a byte pointer, for the fixed-layout headers and maps of 2004 and
// later files. The caller has checked that the bytes are there.
#pragma once

#include <cstdint>

namespace orvo::dwg {

inline uint32_t Le32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

inline uint64_t Le64(const uint8_t* p) { return Le32(p) | (static_cast<uint64_t>(Le32(p + 4)) << 32); }

} // namespace orvo::dwg
