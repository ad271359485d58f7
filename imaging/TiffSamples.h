// TiffSamples: the samples of a decoded TIFF row of any width the format allows (1 to 32-bit
// integers, signed or not, and 16, 32 and 64-bit floating point), each brought to 8 bits. libtiff
// hands multi-byte samples over in the machine's byte order and narrower ones packed from the high
// bit.
#pragma once

#include <cstdint>

class TiffSamples
{
public:
    TiffSamples(uint16_t bits, uint16_t sampleFormat);

    // Whether samples of that width and format can be read.
    static bool Readable(uint16_t bits, uint16_t sampleFormat);
    // Sample `index` of the row (counted over every channel), 0 to 255: integers scaled from
    // their full range, floating point from 0 to 1.
    uint8_t At(const uint8_t* row, uint64_t index) const;
    // The sample as the integer it holds (a palette index).
    uint32_t Integer(const uint8_t* row, uint64_t index) const;

private:
    uint16_t m_bits;
    uint16_t m_format;
};
