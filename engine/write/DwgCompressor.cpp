#include "engine/write/DwgCompressor.h"

namespace RkWrite {

namespace {

// A long count: a zero byte for each 0xFF, then the rest (1..0xFF).
void LongCount(std::vector<std::uint8_t>& out, std::size_t value)
{
    while (value > 0xFF) {
        out.push_back(0);
        value -= 0xFF;
    }
    out.push_back(static_cast<std::uint8_t>(value));
}

} // namespace

std::vector<std::uint8_t> Compress2004(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::uint8_t> out;
    out.reserve(size + size / 200 + 8);
    // The whole input as one literal run: 4 to 18 bytes in the code itself, longer ones in a long
    // count after a zero code.
    if (size >= 4 && size <= 0x12) {
        out.push_back(static_cast<std::uint8_t>(size - 3));
    } else if (size > 0x12) {
        out.push_back(0);
        LongCount(out, size - 0x12);
    }
    out.insert(out.end(), data, data + size);
    out.push_back(0x11);
    return out;
}

} // namespace RkWrite
