// Writes DWG bit streams for tests: raw values most significant bit first, as DWG streams hold
// them, and the bit-coded forms the decoders read.
#pragma once

#include "engine/dwg/DwgBitReader.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace orvo::test {

class DwgBitWriter
{
public:
    DwgBitWriter& Bits(uint64_t value, unsigned count)
    {
        for (unsigned i = count; i-- > 0;)
            Bit(static_cast<unsigned>((value >> i) & 1));
        return *this;
    }
    DwgBitWriter& Bit(unsigned bit)
    {
        if (m_bits % 8 == 0)
            m_bytes.push_back(0);
        if (bit != 0)
            m_bytes.back() = static_cast<uint8_t>(m_bytes.back() | (0x80 >> (m_bits % 8)));
        ++m_bits;
        return *this;
    }
    DwgBitWriter& Byte(uint8_t byte) { return Bits(byte, 8); }
    DwgBitWriter& Short(uint16_t value) { return Byte(value & 0xFF).Byte(static_cast<uint8_t>(value >> 8)); }
    DwgBitWriter& Long(uint32_t value) { return Short(value & 0xFFFF).Short(static_cast<uint16_t>(value >> 16)); }
    DwgBitWriter& Double(double value)
    {
        uint64_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        return Long(static_cast<uint32_t>(bits)).Long(static_cast<uint32_t>(bits >> 32));
    }
    // Bit-coded forms in their longest spelling (a code, then the raw value).
    DwgBitWriter& BS(uint16_t value) { return Bits(0, 2).Short(value); }
    DwgBitWriter& BL(uint32_t value) { return Bits(0, 2).Long(value); }
    DwgBitWriter& BD(double value) { return Bits(0, 2).Double(value); }
    DwgBitWriter& BD3(double x, double y, double z) { return BD(x).BD(y).BD(z); }
    // A handle reference: code, then the value's bytes, most significant first.
    DwgBitWriter& H(uint8_t code, uint64_t value)
    {
        uint8_t bytes[8];
        unsigned count = 0;
        for (uint64_t rest = value; rest != 0; rest >>= 8)
            bytes[count++] = static_cast<uint8_t>(rest);
        Byte(static_cast<uint8_t>((code << 4) | count));
        while (count > 0)
            Byte(bytes[--count]);
        return *this;
    }

    size_t BitCount() const { return m_bits; }
    const std::vector<uint8_t>& Bytes() const { return m_bytes; }
    orvo::dwg::DwgBitReader Reader(orvo::dwg::DwgVersion version = orvo::dwg::DwgVersion::R2000) const
    {
        return orvo::dwg::DwgBitReader(m_bytes.data(), m_bytes.size(), version);
    }

private:
    std::vector<uint8_t> m_bytes;
    size_t m_bits = 0;
};

} // namespace orvo::test
