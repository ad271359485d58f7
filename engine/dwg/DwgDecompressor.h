// The LZ77 variant that compresses the pages of 2004 and later files (except 2007).
#pragma once

#include <cstddef>
#include <cstdint>

namespace orvo::dwg {

// Decompresses source into exactly the destination's room at most; returns false on a stream
// that reads past its end, refers before the start of the output or overflows the output.
bool Decompress2004(const uint8_t* source, size_t sourceSize, uint8_t* destination, size_t destinationSize,
                    size_t& written);

} // namespace orvo::dwg
