// The checksums DWG files carry: the 16-bit CRC of the R13 to 2000 sections and object map, and
// the Adler-style page checksum of 2004 and later.
#pragma once

#include <cstddef>
#include <cstdint>

namespace orvo::dwg {

// CRC-16 with the reflected polynomial 0xA001, continued from seed.
uint16_t Crc16(uint16_t seed, const uint8_t* data, size_t size);

// The page checksum of 2004 and later: two 16-bit sums modulo 0xFFF1, continued from seed.
uint32_t PageChecksum(uint32_t seed, const uint8_t* data, size_t size);

} // namespace orvo::dwg
