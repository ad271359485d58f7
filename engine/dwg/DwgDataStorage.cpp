#include "engine/dwg/DwgDataStorage.h"

#include "engine/acis/SatReader.h"
#include "engine/db/Database.h"
#include "engine/dwg/DwgLittleEndian.h"
#include "engine/dwg/DwgMemoryBudget.h"

#include <algorithm>

namespace orvo::dwg {

namespace {

constexpr uint64_t kSegmentHeader = 0x30;     // signature, name, index, size, ... up to the padding
constexpr uint64_t kIndexEntry = 12;          // segment index: offset (8), size (4)
constexpr uint64_t kDataIndexEntry = 12;      // data index: segment, offset in its table, schema
constexpr uint64_t kRecordEntry = 20;         // record table: entry size, ?, handle (8), data offset
// Edges read from one body, and the text an edge takes at least with its coedges, curve and
// points (so a forged text cannot build more edges than its room was charged for).
constexpr std::size_t kMaxEdges = 1u << 20;
constexpr std::size_t kTextPerEdge = 64;

bool Inside(const std::vector<uint8_t>& bytes, uint64_t offset, uint64_t size)
{
    return offset <= bytes.size() && size <= bytes.size() - offset;
}

bool IsSab(std::string_view data)
{
    const std::string_view magic = data.substr(0, 15);
    return magic == "ASM BinaryFile4" || magic == "ACIS BinaryFile";
}

} // namespace

void DwgDataStorage::Read(const std::vector<uint8_t>& section)
{
    m_segments.clear();
    m_acis.clear();
    if (!ReadSegments(section))
        return;
    for (const Segment& segment : m_segments) {
        if (segment.name == "datidx")
            ReadRecords(section, segment);
    }
}

bool DwgDataStorage::ReadSegments(const std::vector<uint8_t>& section)
{
    if (!Inside(section, 0, 0x28) || section[0] != 'j' || section[1] != 'a' || section[2] != 'r' ||
        section[3] != 'd')
        return false;
    const uint64_t indexOffset = Le64(section.data() + 0x18);
    const uint64_t count = Le32(section.data() + 0x20);
    if (!Inside(section, indexOffset, kSegmentHeader) ||
        count > (section.size() - indexOffset - kSegmentHeader) / kIndexEntry)
        return false;
    const uint8_t* entry = section.data() + indexOffset + kSegmentHeader;
    for (uint64_t i = 0; i < count; ++i, entry += kIndexEntry) {
        Segment segment;
        segment.offset = Le64(entry);
        segment.size = Le32(entry + 8);
        // A segment starts with the signature AC D5 and its six-character name.
        if (segment.size >= kSegmentHeader && Inside(section, segment.offset, segment.size) &&
            section[segment.offset] == 0xAC && section[segment.offset + 1] == 0xD5)
            segment.name = std::string_view(reinterpret_cast<const char*>(section.data() + segment.offset + 2), 6);
        m_segments.push_back(segment);
    }
    return true;
}

void DwgDataStorage::ReadRecords(const std::vector<uint8_t>& section, const Segment& dataIndex)
{
    if (dataIndex.size < kSegmentHeader + 8)
        return;
    const uint8_t* base = section.data() + dataIndex.offset;
    const uint64_t count = Le32(base + kSegmentHeader);
    if (count > (dataIndex.size - kSegmentHeader - 8) / kDataIndexEntry)
        return;
    // A record's data follows its segment's record table, whose length is the number of records
    // the data index places in that segment.
    std::vector<uint64_t> perSegment(m_segments.size(), 0);
    const uint8_t* entries = base + kSegmentHeader + 8;
    for (uint64_t i = 0; i < count; ++i) {
        const uint32_t segment = Le32(entries + i * kDataIndexEntry);
        if (segment < perSegment.size())
            ++perSegment[segment];
    }
    for (uint64_t i = 0; i < count; ++i) {
        const uint32_t index = Le32(entries + i * kDataIndexEntry);
        const uint64_t tableOffset = Le32(entries + i * kDataIndexEntry + 4);
        if (index >= m_segments.size() || m_segments[index].name != "_data_")
            continue;
        const Segment& data = m_segments[index];
        const uint64_t tableSize = perSegment[index] * kRecordEntry;
        if (tableSize > data.size - kSegmentHeader || tableOffset % kRecordEntry != 0 ||
            tableOffset + kRecordEntry > tableSize)
            continue;
        const uint64_t tableEnd = kSegmentHeader + tableSize;
        const uint8_t* record = section.data() + data.offset + kSegmentHeader + tableOffset;
        const uint64_t handle = Le64(record + 8);
        const uint64_t at = tableEnd + Le32(record + 16);
        if (at > data.size || data.size - at < 4)
            continue;
        const uint64_t size = Le32(section.data() + data.offset + at);
        if (size > data.size - at - 4)
            continue;
        const std::string_view bytes(reinterpret_cast<const char*>(section.data() + data.offset + at + 4),
                                     static_cast<std::size_t>(size));
        if (IsSab(bytes))
            m_acis[handle] = bytes;
    }
}

void DwgDataStorage::ApplyTo(RkDb::Database& db, DwgMemoryBudget& budget) const
{
    if (m_acis.empty())
        return;
    for (RkDb::Block& block : db.Blocks()) {
        for (RkDb::EntityPtr& entity : block.entities) {
            auto* solid = RkDb::As<RkDb::AcisSolid>(*entity);
            if (!solid || !solid->edges.empty())
                continue;
            const std::string_view sab = AcisData(solid->handle);
            // The text form takes a few times the room of the binary.
            const std::size_t maxText = 8 * sab.size() + 1024;
            const std::size_t maxEdges = std::min(kMaxEdges, maxText / kTextPerEdge + 1);
            std::string sat;
            if (sab.empty() || !budget.Charge(maxText + maxEdges * sizeof(RkDb::AcisEdge)) ||
                !RkAcis::SatReader::SabToSat(sab, sat, maxText) ||
                !RkAcis::SatReader::ReadEdges(sat, solid->edges, maxEdges))
                solid->edges.clear();
        }
    }
}

std::string_view DwgDataStorage::AcisData(uint64_t handle) const
{
    const auto found = m_acis.find(handle);
    return found == m_acis.end() ? std::string_view() : found->second;
}

} // namespace orvo::dwg
