// One object of the objects section, split into its streams: the data (fields), the strings
// (a stream of its own from 2007 on) and the handle references; with its type and handle, and
// the common entity or object fields that precede the type's own data.
#pragma once

#include "engine/dwg/DwgBitReader.h"

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

namespace orvo::dwg {

// The entity fields every drawing entity starts with.
struct DwgEntityCommon
{
    uint8_t entMode = 2;       // 0 owned by the block in the owner handle, 1 paper space, 2 model space
    uint32_t reactorCount = 0;
    bool xdicMissing = false;
    bool noLinks = true;
    bool byLayerLineType = true;  // R13, R14
    uint8_t lineTypeFlags = 0;    // 2000+: 0 by layer, 1 by block, 2 continuous, 3 a handle follows
    uint8_t plotStyleFlags = 0;
    uint8_t materialFlags = 0;
    bool colorHasBook = false;
    bool fullVisualStyle = false, faceVisualStyle = false, edgeVisualStyle = false;
    DwgColor color;
    double lineTypeScale = 1.0;
    uint16_t invisibility = 0;
    int16_t lineWeight = -1;      // 1/100 mm, or -1 by layer, -2 by block, -3 default
    // The proxy graphics the entity keeps for programs that do not know its class: where they
    // start in the data stream and their size in bytes (0: none).
    uint64_t graphicsBit = 0;
    uint64_t graphicsSize = 0;

    // Read from the handle stream after the data:
    uint64_t owner = 0;
    uint64_t layer = 0;
    uint64_t lineType = 0;        // 0 unless a line type handle was stored
    uint64_t next = 0;            // R13 to 2000: the next entity of the same owner
};

// A stored line weight index as 1/100 mm, or -1 by layer, -2 by block, -3 default.
int16_t LineWeightFromIndex(uint8_t index);

class DwgObjectRecord
{
public:
    // Opens the object whose data begins at offset in the objects section. False when its size,
    // type or handle cannot be read or its streams do not fit the section.
    bool Open(const std::vector<uint8_t>& objects, uint64_t offset, DwgVersion version,
              const RkDxf::DxfTextDecoder* decoder = nullptr);

    uint16_t Type() const { return m_type; }
    uint64_t Handle() const { return m_handle; }
    DwgVersion Version() const { return m_data.Version(); }

    DwgBitReader& Data() { return m_data; }
    DwgBitReader& Text() { return m_hasText ? m_text : m_data; }
    DwgBitReader& Handles() { return m_handles; }

    // Reads the common entity fields from the data stream; the handle part is read by
    // ReadEntityHandles once the type's own data has been read.
    bool ReadEntityCommon(DwgEntityCommon& common);
    void ReadEntityHandles(DwgEntityCommon& common);
    // The common object fields (reactor count, dictionary flag); ReadObjectHandles then reads the
    // owner, reactors and extension dictionary and returns the owner.
    bool ReadObjectCommon();
    uint64_t ReadObjectHandles();

    // The next handle reference from the handle stream, made absolute.
    uint64_t Ref();
    // Of the first few extended data blocks whose first item is a long (1071): the block's
    // application (APPID) handle and that long, as (handle, value) pairs.
    std::vector<std::pair<uint64_t, uint32_t>> ExtendedLongs() const
    {
        return {m_extendedLongs.begin(), m_extendedLongs.begin() + m_extendedLongCount};
    }
    bool Failed() const { return m_data.Failed() || m_handles.Failed() || (m_hasText && m_text.Failed()); }

private:
    bool SkipExtendedData();
    bool PlaceHandleStream(uint64_t bitSize);
    bool ReadR13BitSize();

    DwgBitReader m_data;
    DwgBitReader m_text;
    DwgBitReader m_handles;
    bool m_hasText = false;
    uint16_t m_type = 0;
    uint64_t m_handle = 0;
    uint64_t m_objectBits = 0;     // data and handles, from the start of the record's bits
    uint64_t m_handleStreamBits = 0;
    uint32_t m_reactorCount = 0;
    bool m_xdicMissing = false;
    static constexpr std::size_t kKeptExtendedLongs = 4;
    std::array<std::pair<uint64_t, uint32_t>, kKeptExtendedLongs> m_extendedLongs{};
    std::size_t m_extendedLongCount = 0;
};

} // namespace orvo::dwg
