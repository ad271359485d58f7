// Modular numbers as DWG files store them: seven bits a byte, the high bit saying another byte
// follows; the signed form's last byte keeps six bits and the sign. One decoder for the bit
// streams and for the object map, which reads them straight from its bytes.
#pragma once

#include <cstdint>

namespace orvo::dwg {

// next(byte) gives the following byte, false when none is left. False when the number does not
// end within its longest form.
template <class Next>
bool DecodeModularChar(Next next, uint64_t& value)
{
    // Handles are 64-bit: some writers give objects handles far past 32 bits (random-looking
    // ones), and the object map steps to them in one number of up to ten bytes.
    value = 0;
    unsigned shift = 0;
    uint8_t byte = 0;
    for (int i = 0; i < 10 && next(byte); ++i, shift += 7) {
        value |= static_cast<uint64_t>(byte & 0x7F) << shift;
        if ((byte & 0x80) == 0)
            return true;
    }
    return false;
}

template <class Next>
bool DecodeSignedModularChar(Next next, int32_t& value)
{
    uint64_t bits = 0;
    unsigned shift = 0;
    uint8_t byte = 0;
    for (int i = 0; i < 5 && next(byte); ++i, shift += 7) {
        if ((byte & 0x80) != 0) {
            bits |= static_cast<uint64_t>(byte & 0x7F) << shift;
            continue;
        }
        bits |= static_cast<uint64_t>(byte & 0x3F) << shift;
        const int64_t magnitude = static_cast<int64_t>(bits & 0x7FFFFFFF);
        value = static_cast<int32_t>((byte & 0x40) != 0 ? -magnitude : magnitude);
        return true;
    }
    return false;
}

} // namespace orvo::dwg
