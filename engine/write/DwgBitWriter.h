// Writes the bit-coded values of a DWG stream (most significant bit first within each byte), the
// mirror of the reader's DwgBitReader: the compact codes (BB, BS, BL, BD, DD), raw values in
// little-endian order, handle references and the drawing's code-page texts.
#pragma once

#include "engine/db/DwgVersion.h"
#include "engine/db/Geometry.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace RkWrite {

class DwgBitWriter
{
public:
    explicit DwgBitWriter(RkDb::DwgVersion version = RkDb::DwgVersion::R2000) : m_version(version) {}

    RkDb::DwgVersion Version() const { return m_version; }
    bool AtLeast(RkDb::DwgVersion v) const { return m_version >= v; }
    std::uint64_t BitSize() const { return m_bits; }
    // The bytes written so far; the last byte is padded with zero bits.
    const std::vector<std::uint8_t>& Bytes() const { return m_bytes; }

    void B(bool bit);
    void BB(unsigned code);
    void BS(std::uint16_t value);
    void BL(std::uint32_t value);
    void BD(double value);
    // A double stored as a change against a default the reader already knows.
    void DD(double value, double defaultValue);
    void RC(std::uint8_t value);
    void RS(std::uint16_t value);
    void RL(std::uint32_t value);
    void RD(double value);
    void MC(std::int64_t value);
    void UMC(std::uint64_t value);
    void MS(std::uint32_t value);
    // A handle reference: its code (2 soft owner, 3 hard owner, 4 soft pointer, 5 hard pointer,
    // 0 an object's own handle) and the absolute handle.
    void H(unsigned code, std::uint64_t handle);
    // A text already in the drawing's code page.
    void TV(std::string_view bytes);
    // A colour index (256 by layer, 0 by block; negative: an off layer's); from 2004 on with its
    // colour method.
    void CMC(std::int16_t aci);
    void BT(double thickness);
    void BE(double x, double y, double z);
    void RD2(double x, double y);
    void BD2(double x, double y);
    void BD3(double x, double y, double z);
    void BD3(const RkDb::Vec3& p) { BD3(p.x, p.y, p.z); }
    void Raw(const std::uint8_t* data, std::size_t size);
    // Appends another stream's bits.
    void Append(const DwgBitWriter& other);
    // Overwrites 32 bits stored with RL at bit position at.
    void PatchRL(std::uint64_t at, std::uint32_t value);

private:
    void Bits(std::uint64_t value, unsigned count);

    RkDb::DwgVersion m_version;
    std::vector<std::uint8_t> m_bytes;
    std::uint64_t m_bits = 0;
};

} // namespace RkWrite
