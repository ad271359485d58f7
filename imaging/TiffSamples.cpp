#include "imaging/TiffSamples.h"

#include <tiffio.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// A half-precision number.
float HalfToFloat(uint16_t h)
{
    const int exponent = (h >> 10) & 0x1F;
    const float mantissa = float(h & 0x3FF);
    const float magnitude = exponent == 0    ? std::ldexp(mantissa, -24)
                            : exponent == 31 ? (mantissa == 0 ? INFINITY : NAN)
                                             : std::ldexp(mantissa + 1024.0f, exponent - 25);
    return (h & 0x8000) ? -magnitude : magnitude;
}

uint8_t FromUnit(double v)
{
    if (!(v > 0)) // also NaN
        return 0;
    return v >= 1 ? 255 : uint8_t(v * 255 + 0.5);
}

} // namespace

TiffSamples::TiffSamples(uint16_t bits, uint16_t sampleFormat) : m_bits(bits), m_format(sampleFormat)
{
}

bool TiffSamples::Readable(uint16_t bits, uint16_t sampleFormat)
{
    if (sampleFormat == SAMPLEFORMAT_IEEEFP)
        return bits == 16 || bits == 32 || bits == 64;
    const bool integer = sampleFormat == SAMPLEFORMAT_UINT || sampleFormat == SAMPLEFORMAT_INT ||
                         sampleFormat == SAMPLEFORMAT_VOID;
    return integer && bits >= 1 && bits <= 32;
}

uint32_t TiffSamples::Integer(const uint8_t* row, uint64_t index) const
{
    if (m_bits % 8 == 0 && m_bits >= 16) {
        // Whole bytes in the machine's (little-endian) order.
        const uint8_t* p = row + index * (m_bits / 8);
        uint32_t v = 0;
        for (int k = m_bits / 8; k-- > 0;)
            v = (v << 8) | p[k];
        return v;
    }
    uint64_t bit = index * m_bits;
    uint32_t v = 0;
    for (unsigned k = 0; k < m_bits; ++k, ++bit)
        v = (v << 1) | ((row[bit / 8] >> (7 - bit % 8)) & 1u);
    return v;
}

uint8_t TiffSamples::At(const uint8_t* row, uint64_t index) const
{
    if (m_format == SAMPLEFORMAT_IEEEFP) {
        if (m_bits == 16)
            return FromUnit(HalfToFloat(uint16_t(Integer(row, index))));
        if (m_bits == 32) {
            float f;
            std::memcpy(&f, row + index * 4, 4);
            return FromUnit(f);
        }
        double d;
        std::memcpy(&d, row + index * 8, 8);
        return FromUnit(d);
    }
    uint64_t v = Integer(row, index);
    const uint64_t top = m_bits >= 32 ? 0xFFFFFFFFull : (1ull << m_bits) - 1;
    if (m_format == SAMPLEFORMAT_INT)
        v ^= (top + 1) >> 1; // two's complement to offset: the most negative becomes 0
    return uint8_t((v * 255 + top / 2) / top);
}
