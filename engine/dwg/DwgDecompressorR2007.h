// The LZ77 variant that compresses the pages of 2007 files: its own opcodes, and literal runs
// whose bytes are stored in a shuffled order.
#pragma once

#include <cstddef>
#include <cstdint>

namespace orvo::dwg {

// Decompresses source into at most the destination's room; returns false on a stream that reads
// past its end, refers before the start of the output or overflows the output. written tells how
// far the output got either way.
bool Decompress2007(const uint8_t* source, size_t sourceSize, uint8_t* destination, size_t destinationSize,
                    size_t& written);

} // namespace orvo::dwg
