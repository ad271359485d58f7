#include "engine/write/DwgBitWriter.h"

#include <cmath>
#include <cstring>

namespace RkWrite {

namespace {

std::uint64_t BitsOf(double value)
{
    if (!std::isfinite(value))
        value = 0.0;
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

} // namespace

void DwgBitWriter::Bits(std::uint64_t value, unsigned count)
{
    while (count > 0) {
        const unsigned at = static_cast<unsigned>(m_bits & 7);
        if (at == 0)
            m_bytes.push_back(0);
        const unsigned room = 8 - at;
        const unsigned take = room < count ? room : count;
        const unsigned chunk = static_cast<unsigned>((value >> (count - take)) & ((1u << take) - 1));
        m_bytes.back() = static_cast<std::uint8_t>(m_bytes.back() | (chunk << (room - take)));
        m_bits += take;
        count -= take;
    }
}

void DwgBitWriter::B(bool bit) { Bits(bit ? 1 : 0, 1); }
void DwgBitWriter::BB(unsigned code) { Bits(code & 3, 2); }
void DwgBitWriter::RC(std::uint8_t value) { Bits(value, 8); }

void DwgBitWriter::RS(std::uint16_t value)
{
    RC(static_cast<std::uint8_t>(value & 0xFF));
    RC(static_cast<std::uint8_t>(value >> 8));
}

void DwgBitWriter::RL(std::uint32_t value)
{
    RS(static_cast<std::uint16_t>(value & 0xFFFF));
    RS(static_cast<std::uint16_t>(value >> 16));
}

void DwgBitWriter::RD(double value)
{
    const std::uint64_t bits = BitsOf(value);
    RL(static_cast<std::uint32_t>(bits));
    RL(static_cast<std::uint32_t>(bits >> 32));
}

void DwgBitWriter::BS(std::uint16_t value)
{
    if (value == 0) {
        BB(2);
    } else if (value == 256) {
        BB(3);
    } else if (value < 256) {
        BB(1);
        RC(static_cast<std::uint8_t>(value));
    } else {
        BB(0);
        RS(value);
    }
}

void DwgBitWriter::BL(std::uint32_t value)
{
    if (value == 0) {
        BB(2);
    } else if (value < 256) {
        BB(1);
        RC(static_cast<std::uint8_t>(value));
    } else {
        BB(0);
        RL(value);
    }
}

void DwgBitWriter::BD(double value)
{
    if (!std::isfinite(value))
        value = 0.0;
    // Bit patterns, not values: -0.0 must not come back as 0.0.
    if (BitsOf(value) == BitsOf(1.0)) {
        BB(1);
    } else if (BitsOf(value) == BitsOf(0.0)) {
        BB(2);
    } else {
        BB(0);
        RD(value);
    }
}

void DwgBitWriter::DD(double value, double defaultValue)
{
    const std::uint64_t v = BitsOf(value);
    const std::uint64_t d = BitsOf(defaultValue);
    if (v == d) {
        BB(0);
        return;
    }
    // The reader keeps the default's high bytes and replaces the low four (code 1) or six (2).
    if ((v >> 32) == (d >> 32)) {
        BB(1);
        for (int i = 0; i < 4; ++i)
            RC(static_cast<std::uint8_t>(v >> (8 * i)));
        return;
    }
    if ((v >> 48) == (d >> 48)) {
        BB(2);
        RC(static_cast<std::uint8_t>(v >> 32));
        RC(static_cast<std::uint8_t>(v >> 40));
        for (int i = 0; i < 4; ++i)
            RC(static_cast<std::uint8_t>(v >> (8 * i)));
        return;
    }
    BB(3);
    RD(value);
}

void DwgBitWriter::MC(std::int64_t value)
{
    const bool negative = value < 0;
    std::uint64_t magnitude = negative ? static_cast<std::uint64_t>(-value) : static_cast<std::uint64_t>(value);
    // Seven bits a byte with a continuation bit; the last byte holds six and the sign.
    while (magnitude >= 0x40) {
        RC(static_cast<std::uint8_t>(0x80 | (magnitude & 0x7F)));
        magnitude >>= 7;
    }
    RC(static_cast<std::uint8_t>((negative ? 0x40 : 0) | magnitude));
}

void DwgBitWriter::UMC(std::uint64_t value)
{
    while (value >= 0x80) {
        RC(static_cast<std::uint8_t>(0x80 | (value & 0x7F)));
        value >>= 7;
    }
    RC(static_cast<std::uint8_t>(value));
}

void DwgBitWriter::MS(std::uint32_t value)
{
    while (value >= 0x8000) {
        RS(static_cast<std::uint16_t>(0x8000 | (value & 0x7FFF)));
        value >>= 15;
    }
    RS(static_cast<std::uint16_t>(value));
}

void DwgBitWriter::H(unsigned code, std::uint64_t handle)
{
    unsigned counter = 0;
    for (std::uint64_t rest = handle; rest != 0; rest >>= 8)
        ++counter;
    RC(static_cast<std::uint8_t>((code << 4) | counter));
    for (unsigned i = counter; i > 0; --i)
        RC(static_cast<std::uint8_t>(handle >> (8 * (i - 1))));
}

void DwgBitWriter::TV(std::string_view bytes)
{
    // A text's length is a short: longer ones are cut (no drawing text comes near).
    const std::size_t length = bytes.size() < 0x7FFF ? bytes.size() : 0x7FFF;
    BS(static_cast<std::uint16_t>(length));
    Raw(reinterpret_cast<const std::uint8_t*>(bytes.data()), length);
}

void DwgBitWriter::CMC(std::int16_t aci)
{
    BS(static_cast<std::uint16_t>(aci));
    if (!AtLeast(RkDb::DwgVersion::R2004))
        return;
    const int index = aci < 0 ? -aci : aci;
    const std::uint32_t method = index == 256 ? 0xC0000000u : index == 0 ? 0xC1000000u
                                                                          : 0xC3000000u | static_cast<std::uint32_t>(index & 0xFF);
    BL(method);
    RC(0); // no colour or book name
}

void DwgBitWriter::BT(double thickness)
{
    if (AtLeast(RkDb::DwgVersion::R2000)) {
        const bool zero = BitsOf(thickness) == BitsOf(0.0);
        B(zero);
        if (zero)
            return;
    }
    BD(thickness);
}

void DwgBitWriter::BE(double x, double y, double z)
{
    if (AtLeast(RkDb::DwgVersion::R2000)) {
        const bool isZ = BitsOf(x) == BitsOf(0.0) && BitsOf(y) == BitsOf(0.0) && BitsOf(z) == BitsOf(1.0);
        B(isZ);
        if (isZ)
            return;
    }
    BD3(x, y, z);
}

void DwgBitWriter::RD2(double x, double y)
{
    RD(x);
    RD(y);
}

void DwgBitWriter::BD2(double x, double y)
{
    BD(x);
    BD(y);
}

void DwgBitWriter::BD3(double x, double y, double z)
{
    BD(x);
    BD(y);
    BD(z);
}

void DwgBitWriter::Raw(const std::uint8_t* data, std::size_t size)
{
    if ((m_bits & 7) == 0) {
        m_bytes.insert(m_bytes.end(), data, data + size);
        m_bits += static_cast<std::uint64_t>(size) * 8;
        return;
    }
    for (std::size_t i = 0; i < size; ++i)
        RC(data[i]);
}

void DwgBitWriter::Append(const DwgBitWriter& other)
{
    const std::uint64_t whole = other.m_bits / 8;
    Raw(other.m_bytes.data(), static_cast<std::size_t>(whole));
    const unsigned rest = static_cast<unsigned>(other.m_bits & 7);
    if (rest != 0)
        Bits(static_cast<std::uint64_t>(other.m_bytes[whole] >> (8 - rest)), rest);
}

void DwgBitWriter::PatchRL(std::uint64_t at, std::uint32_t value)
{
    // RL is four little-endian bytes, each written most significant bit first.
    for (int byte = 0; byte < 4; ++byte) {
        const std::uint8_t b = static_cast<std::uint8_t>(value >> (8 * byte));
        for (int bit = 0; bit < 8; ++bit) {
            const std::uint64_t pos = at + static_cast<std::uint64_t>(byte * 8 + bit);
            const std::uint8_t mask = static_cast<std::uint8_t>(0x80 >> (pos & 7));
            std::uint8_t& target = m_bytes[static_cast<std::size_t>(pos >> 3)];
            target = static_cast<std::uint8_t>(((b >> (7 - bit)) & 1) != 0 ? target | mask : target & ~mask);
        }
    }
}

} // namespace RkWrite
