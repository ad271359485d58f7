#include "engine/dwg/DwgBitReader.h"

#include "engine/dwg/DwgMemoryBudget.h"
#include "engine/dwg/DwgModularChar.h"

#include "engine/db/CodePage.h"

#include <cstring>

namespace orvo::dwg {

namespace {

// Eight bytes, the first the most significant.
uint64_t LoadBigEndian(const uint8_t* bytes)
{
    uint64_t word;
    std::memcpy(&word, bytes, sizeof(word));
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    word = __builtin_bswap64(word);
#endif
    return word;
}

} // namespace

void DwgBitReader::SeekBit(uint64_t bit)
{
    if (bit > m_limit) {
        m_failed = true;
        m_bit = m_limit;
        return;
    }
    m_bit = bit;
}

void DwgBitReader::LimitBits(uint64_t limit)
{
    if (limit < m_limit)
        m_limit = limit;
    if (m_bit > m_limit)
        m_bit = m_limit;
}

void DwgBitReader::SkipBytes(uint64_t count)
{
    if (count > BitsLeft() / 8) {
        Need(BitsLeft() + 1);
        return;
    }
    m_bit += count * 8;
}

inline bool DwgBitReader::Need(uint64_t bits)
{
    if (m_failed)
        return false;
    if (bits > BitsLeft()) {
        m_failed = true;
        m_bit = m_limit;
        return false;
    }
    return true;
}

inline uint64_t DwgBitReader::Bits(unsigned count)
{
    if (count == 0 || !Need(count))
        return 0;
    const size_t byte = static_cast<size_t>(m_bit >> 3);
    const unsigned offset = static_cast<unsigned>(m_bit & 7);
    // Fast path: eight bytes in one big-endian word (count is at most 32, plus 7 for the offset).
    // Every field of every object comes through here, so the word is one load and a byte swap;
    // the bits beyond the count, which may lie past the limit, are shifted out.
    if (m_readable - byte >= 8) {
        const uint64_t word = LoadBigEndian(m_data + byte);
        m_bit += count;
        return (word << offset) >> (64 - count);
    }
    uint64_t result = 0;
    while (count > 0) {
        const unsigned at = static_cast<unsigned>(m_bit & 7);
        const unsigned available = 8 - at;
        const unsigned take = available < count ? available : count;
        const unsigned value = m_data[m_bit >> 3];
        result = (result << take) | ((value >> (available - take)) & ((1u << take) - 1));
        m_bit += take;
        count -= take;
    }
    return result;
}

uint8_t DwgBitReader::B() { return static_cast<uint8_t>(Bits(1)); }
uint8_t DwgBitReader::BB() { return static_cast<uint8_t>(Bits(2)); }

uint8_t DwgBitReader::ThreeB()
{
    uint8_t value = 0;
    for (int i = 0; i < 3; ++i) {
        const uint8_t bit = B();
        value = static_cast<uint8_t>((value << 1) | bit);
        if (bit == 0)
            break;
    }
    return value;
}

uint16_t DwgBitReader::BS()
{
    switch (BB()) {
    case 0: return RS();
    case 1: return RC();
    case 2: return 0;
    default: return 256;
    }
}

uint32_t DwgBitReader::BL()
{
    switch (BB()) {
    case 0: return RL();
    case 1: return RC();
    case 2: return 0;
    default: Fail(); return 0;
    }
}

uint64_t DwgBitReader::BLL()
{
    const unsigned length = static_cast<unsigned>(Bits(3));
    uint64_t value = 0;
    for (unsigned i = 0; i < length; ++i)
        value |= static_cast<uint64_t>(RC()) << (8 * i);
    return value;
}

double DwgBitReader::BD()
{
    switch (BB()) {
    case 0: return RD();
    case 1: return 1.0;
    case 2: return 0.0;
    default: Fail(); return 0.0;
    }
}

double DwgBitReader::DD(double defaultValue)
{
    const uint8_t code = BB();
    if (code == 0)
        return defaultValue;
    if (code == 3)
        return RD();
    uint8_t bytes[8];
    std::memcpy(bytes, &defaultValue, sizeof bytes);
    // The stored bytes in one or two reads when they are all there; else byte by byte, as far as
    // they go.
    const uint64_t stored = code == 2 ? 48 : 32;
    if (!m_failed && BitsLeft() >= stored) {
        if (code == 2) {
            const uint16_t middle = RS();
            bytes[4] = static_cast<uint8_t>(middle & 0xFF);
            bytes[5] = static_cast<uint8_t>(middle >> 8);
        }
        const uint32_t low = RL();
        for (int i = 0; i < 4; ++i)
            bytes[i] = static_cast<uint8_t>(low >> (8 * i));
    } else {
        if (code == 2) {
            bytes[4] = RC();
            bytes[5] = RC();
        }
        for (int i = 0; i < 4; ++i)
            bytes[i] = RC();
    }
    double value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

uint8_t DwgBitReader::RC() { return static_cast<uint8_t>(Bits(8)); }

uint16_t DwgBitReader::RS()
{
    const uint64_t bits = Bits(16); // stored little-endian
    return static_cast<uint16_t>(((bits & 0xFF) << 8) | (bits >> 8));
}

uint32_t DwgBitReader::RL()
{
    const uint64_t bits = Bits(32);
    return static_cast<uint32_t>(((bits & 0xFF) << 24) | ((bits & 0xFF00) << 8) | ((bits >> 8) & 0xFF00) |
                                 (bits >> 24));
}

double DwgBitReader::RD()
{
    // The eight bytes in one go when sixteen can be loaded at the current byte; the first byte
    // read is the lowest.
    const size_t at = static_cast<size_t>(m_bit >> 3);
    if (!m_failed && BitsLeft() >= 64 && m_readable - at >= 16) {
        const unsigned offset = static_cast<unsigned>(m_bit & 7);
        uint64_t word = LoadBigEndian(m_data + at);
        if (offset != 0)
            word = (word << offset) | (LoadBigEndian(m_data + at + 8) >> (64 - offset));
        m_bit += 64;
        const uint64_t bits = __builtin_bswap64(word);
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    const uint64_t low = RL();
    const uint64_t bits = low | (static_cast<uint64_t>(RL()) << 32);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// The next byte of a modular number, while the stream has not failed.
auto DwgBitReader::ModularBytes()
{
    return [this](uint8_t& byte) {
        if (m_failed)
            return false;
        byte = RC();
        return true;
    };
}

int32_t DwgBitReader::MC()
{
    int32_t value = 0;
    if (DecodeSignedModularChar(ModularBytes(), value))
        return value;
    Fail();
    return 0;
}

uint64_t DwgBitReader::UMC()
{
    uint64_t value = 0;
    if (DecodeModularChar(ModularBytes(), value))
        return value;
    Fail();
    return 0;
}

uint32_t DwgBitReader::MS()
{
    uint64_t value = 0;
    unsigned shift = 0;
    for (int i = 0; i < 3 && !m_failed; ++i) {
        const uint16_t word = RS();
        value |= static_cast<uint64_t>(word & 0x7FFF) << shift;
        if ((word & 0x8000) == 0)
            return static_cast<uint32_t>(value);
        shift += 15;
    }
    Fail();
    return 0;
}

DwgHandleRef DwgBitReader::H()
{
    DwgHandleRef ref;
    // Most handles take one load: the code byte and up to six bytes of value (56 bits, starting up
    // to 7 bits in) lie in the first 63 bits of eight bytes read at the current byte, when the
    // whole reference lies before the limit.
    const size_t at = static_cast<size_t>(m_bit >> 3);
    if (!m_failed && m_readable - at >= 8 && BitsLeft() >= 8) {
        const uint64_t word = LoadBigEndian(m_data + at) << (m_bit & 7);
        const unsigned counter = static_cast<unsigned>(word >> 56) & 0x0F;
        const uint64_t bits = 8 + 8 * static_cast<uint64_t>(counter);
        if (counter <= 6 && bits <= BitsLeft()) {
            ref.code = static_cast<uint8_t>(word >> 60);
            ref.value = counter == 0 ? 0 : (word << 8) >> (64 - 8 * counter);
            m_bit += bits;
            return ref;
        }
    }
    const uint8_t first = RC();
    ref.code = static_cast<uint8_t>(first >> 4);
    const unsigned counter = first & 0x0F;
    if (counter > 8) {
        Fail();
        return ref;
    }
    // The counter's bytes, most significant first, in at most two reads of 32 bits.
    if (counter > 4) {
        ref.value = Bits(8 * (counter - 4)) << 32;
        ref.value |= Bits(32);
    } else {
        ref.value = Bits(8 * counter);
    }
    return ref;
}

std::string DwgBitReader::TV()
{
    if (AtLeast(DwgVersion::R2007))
        return TU();
    const uint16_t length = BS();
    if (!Need(static_cast<uint64_t>(length) * 8))
        return std::string();
    std::string text(length, '\0');
    ReadBytes(reinterpret_cast<uint8_t*>(text.data()), text.size());
    // Writers store the terminating zero inside the length now and then.
    const size_t end = text.find('\0');
    if (end != std::string::npos)
        text.resize(end);
    return m_decoder != nullptr ? m_decoder->Decode(text) : text;
}

std::string DwgBitReader::TU()
{
    const uint16_t length = BS();
    if (!Need(static_cast<uint64_t>(length) * 16))
        return std::string();
    // Names and short texts, nearly all of them, without a block of memory of their own.
    constexpr uint16_t kShort = 128;
    uint16_t shortUnits[kShort];
    std::vector<uint16_t> longUnits(length > kShort ? length : 0);
    uint16_t* const units = length > kShort ? longUnits.data() : shortUnits;
    for (uint16_t i = 0; i < length; ++i)
        units[i] = RS();
    size_t count = 0;
    while (count < length && units[count] != 0)
        ++count;
    const std::string text = Utf16ToUtf8(units, count);
    return m_decoder != nullptr ? m_decoder->Decode(text) : text;
}

DwgColor DwgBitReader::CMC(DwgBitReader* text)
{
    DwgBitReader& names = text != nullptr ? *text : *this;
    DwgColor color;
    color.index = static_cast<int16_t>(BS());
    if (!AtLeast(DwgVersion::R2004))
        return color;
    const uint32_t rgb = BL();
    const uint8_t flags = RC();
    if ((flags & 1) != 0)
        names.TV();
    if ((flags & 2) != 0)
        names.TV();
    // The colour method byte: 0xC0 by layer, 0xC1 by block, 0xC2 true colour, 0xC3 an index.
    switch (rgb >> 24) {
    case 0xC0: color.index = 256; break;
    case 0xC1: color.index = 0; break;
    case 0xC2:
        color.hasRgb = true;
        color.rgb = rgb & 0xFFFFFF;
        break;
    case 0xC3: color.index = static_cast<int16_t>(rgb & 0xFF); break;
    default: break;
    }
    return color;
}

DwgPoint3 DwgBitReader::BE()
{
    if (AtLeast(DwgVersion::R2000) && B() != 0)
        return DwgPoint3{0.0, 0.0, 1.0};
    return BD3();
}

double DwgBitReader::BT()
{
    if (AtLeast(DwgVersion::R2000) && B() != 0)
        return 0.0;
    return BD();
}

uint16_t DwgBitReader::OT()
{
    if (!AtLeast(DwgVersion::R2010))
        return BS();
    switch (BB()) {
    case 0: return RC();
    case 1: return static_cast<uint16_t>(RC() + 0x1F0);
    default: return RS();
    }
}

DwgPoint3 DwgBitReader::RD2()
{
    DwgPoint3 p;
    p.x = RD();
    p.y = RD();
    return p;
}

DwgPoint3 DwgBitReader::RD3()
{
    DwgPoint3 p = RD2();
    p.z = RD();
    return p;
}

DwgPoint3 DwgBitReader::BD2()
{
    DwgPoint3 p;
    p.x = BD();
    p.y = BD();
    return p;
}

DwgPoint3 DwgBitReader::BD3()
{
    DwgPoint3 p = BD2();
    p.z = BD();
    return p;
}

DwgPoint3 DwgBitReader::DD2(const DwgPoint3& defaults)
{
    DwgPoint3 p;
    p.x = DD(defaults.x);
    p.y = DD(defaults.y);
    return p;
}

DwgPoint3 DwgBitReader::DD3(const DwgPoint3& defaults)
{
    DwgPoint3 p = DD2(defaults);
    p.z = DD(defaults.z);
    return p;
}

std::vector<uint8_t> DwgBitReader::Bytes(uint64_t count)
{
    if (count > BitsLeft() / 8) {
        Fail();
        return {};
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(count));
    ReadBytes(bytes.data(), bytes.size());
    return bytes;
}

void DwgBitReader::ReadBytes(uint8_t* out, size_t count)
{
    if (count == 0)
        return;
    if (m_failed || count > BitsLeft() / 8) {
        for (size_t i = 0; i < count; ++i)
            out[i] = RC();
        return;
    }
    // All there: straight from the buffer, or each byte from two neighbours off the byte grid
    // (the last bit read lies in the buffer, so the neighbour of the last byte does too).
    const size_t at = static_cast<size_t>(m_bit >> 3);
    const unsigned offset = static_cast<unsigned>(m_bit & 7);
    if (offset == 0) {
        std::memcpy(out, m_data + at, count);
    } else {
        for (size_t i = 0; i < count; ++i)
            out[i] = static_cast<uint8_t>((m_data[at + i] << offset) | (m_data[at + i + 1] >> (8 - offset)));
    }
    m_bit += 8 * static_cast<uint64_t>(count);
}

bool DwgBitReader::Claim(uint64_t count, uint64_t bytesEach)
{
    if (!m_budget)
        return true;
    // Past a terabyte the product could overflow; no budget holds that much anyway.
    constexpr uint64_t kHuge = 1ull << 40;
    const uint64_t bytes = bytesEach != 0 && count > kHuge / bytesEach ? kHuge : count * bytesEach;
    if (!m_budget->Charge(bytes))
        return false;
    m_claimed += bytes;
    return true;
}

std::string Utf16ToUtf8(const uint16_t* units, size_t count)
{
    std::string out;
    out.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        uint32_t code = units[i];
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < count && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF) {
            code = 0x10000 + ((code - 0xD800) << 10) + (units[i + 1] - 0xDC00);
            ++i;
        } else if (code >= 0xD800 && code <= 0xDFFF) {
            code = 0xFFFD;
        }
        RkDb::CodePage::AppendCodePoint(code, out);
    }
    return out;
}

} // namespace orvo::dwg
