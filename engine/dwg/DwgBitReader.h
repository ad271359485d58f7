// Reads the bit-coded values of a DWG stream (most significant bit first within each byte).
// Reading past the end never touches memory outside the buffer: it sets a sticky failure flag
// and yields zeros, so a decoder can read a whole record and check Failed() once at the end.
#pragma once

#include "engine/dwg/DwgTypes.h"
#include "engine/dwg/DwgVersion.h"
#include "engine/dxf/DxfTextDecoder.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace orvo::dwg {

class DwgMemoryBudget;

class DwgBitReader
{
public:
    DwgBitReader() : DwgBitReader(nullptr, 0, DwgVersion::Unknown) {}
    DwgBitReader(const uint8_t* data, size_t size, DwgVersion version) : DwgBitReader(data, size, version, size) {}
    // The same over size bytes that lie inside a larger buffer of readable bytes from data (an
    // object inside its section): the values are still those of the size bytes alone, but the
    // reads near their end may load whole words that reach past them instead of byte by byte.
    DwgBitReader(const uint8_t* data, size_t size, DwgVersion version, size_t readable)
        : m_data(data), m_size(data != nullptr ? size : 0),
          m_readable(data != nullptr && readable > size ? readable : m_size),
          m_limit(static_cast<uint64_t>(m_size) * 8), m_version(version)
    {
    }

    DwgVersion Version() const { return m_version; }
    // Texts go through the decoder (code page, \U+ escapes) when one is set; it must outlive
    // the reader and its copies.
    void SetTextDecoder(const RkDxf::DxfTextDecoder* decoder) { m_decoder = decoder; }
    const RkDxf::DxfTextDecoder* TextDecoder() const { return m_decoder; }
    bool AtLeast(DwgVersion version) const { return m_version >= version; }

    bool Failed() const { return m_failed; }
    void Fail() { m_failed = true; }

    // A list a decoder is about to build count elements long is claimed from the memory budget
    // first, when one is set: an element can cost a few bits in the record and tens of bytes in
    // memory, so without the claim one forged record could take gigabytes before its entity is
    // counted. Claimed() tells the decoder's caller how much is counted already.
    void SetBudget(DwgMemoryBudget* budget)
    {
        m_budget = budget;
        m_claimed = 0;
    }
    bool Claim(uint64_t count, uint64_t bytesEach);
    uint64_t Claimed() const { return m_claimed; }
    uint64_t BitPosition() const { return m_bit; }
    uint64_t BitLimit() const { return m_limit; }
    uint64_t BitsLeft() const { return m_bit < m_limit ? m_limit - m_bit : 0; }
    // Moves to a bit position; a position beyond the limit fails the reader.
    void SeekBit(uint64_t bit);
    // Lowers the end of readable data (never raises it past the buffer).
    void LimitBits(uint64_t limit);
    // Skips whole bytes at the current bit position.
    void SkipBytes(uint64_t count);

    uint8_t B();
    uint8_t BB();
    uint8_t ThreeB();
    uint16_t BS();
    uint32_t BL();
    uint64_t BLL();
    double BD();
    double DD(double defaultValue);
    uint8_t RC();
    uint16_t RS();
    uint32_t RL();
    double RD();
    int32_t MC();
    uint64_t UMC();
    uint32_t MS();
    DwgHandleRef H();
    // Text in the drawing's code page (R13 to 2004) or UTF-16 converted to UTF-8 (2007 and later).
    std::string TV();
    std::string TU();
    // Colour names (2004 and later) come from text, the string stream, when given.
    DwgColor CMC(DwgBitReader* text = nullptr);
    DwgPoint3 BE();
    double BT();
    uint16_t OT();
    DwgPoint3 RD2();
    DwgPoint3 RD3();
    DwgPoint3 BD2();
    DwgPoint3 BD3();
    DwgPoint3 DD2(const DwgPoint3& defaults);
    DwgPoint3 DD3(const DwgPoint3& defaults);
    // Reads count raw bytes; fails (and returns nothing) when fewer are left.
    std::vector<uint8_t> Bytes(uint64_t count);
    // Reads count raw bytes into out as count RC() would: past the end they are zeros.
    void ReadBytes(uint8_t* out, size_t count);

private:
    // The byte source of MC and UMC (defined beside them).
    auto ModularBytes();
    // At most 32 bits.
    uint64_t Bits(unsigned count);
    bool Need(uint64_t bits);

    const uint8_t* m_data;
    size_t m_size;
    size_t m_readable; // bytes that may be loaded from m_data, at least m_size
    uint64_t m_limit;
    uint64_t m_bit = 0;
    DwgVersion m_version;
    const RkDxf::DxfTextDecoder* m_decoder = nullptr;
    bool m_failed = false;
    DwgMemoryBudget* m_budget = nullptr;
    uint64_t m_claimed = 0;
};

// UTF-16LE code units to UTF-8; unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(const uint16_t* units, size_t count);

} // namespace orvo::dwg
