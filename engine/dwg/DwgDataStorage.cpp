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
constexpr uint32_t kBlobReference = 0xBB106BB1;  // a record kept in blob segments
constexpr uint64_t kBlobPartHeader = 32;      // total (8), place (8), number, count, size (8)
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
    m_joined.clear();
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
        const uint8_t* record = section.data() + data.offset + kSegmentHeader + tableOffset;
        const uint64_t handle = Le64(record + 8);
        const uint64_t offset = Le32(record + 16);
        // The data follow the table from the next multiple of 8; files whose tables end there
        // anyway do not tell the two apart, so the unaligned place is tried too.
        const uint64_t tableEnd = kSegmentHeader + tableSize;
        for (const uint64_t start : {(tableEnd + 7) & ~uint64_t{7}, tableEnd}) {
            const std::string_view bytes = RecordData(section, data, start + offset);
            if (!bytes.empty()) {
                m_acis[handle] = bytes;
                break;
            }
        }
    }
}

// At `at` in the segment: a 32-bit size and the SAB, or a reference to blob segments.
std::string_view DwgDataStorage::RecordData(const std::vector<uint8_t>& section, const Segment& data,
                                            uint64_t at)
{
    if (at > data.size || data.size - at < 8)
        return {};
    const uint8_t* p = section.data() + data.offset + at;
    if (Le32(p) == kBlobReference)
        return JoinBlob(section, data, at);
    const uint64_t size = Le32(p);
    if (size > data.size - at - 4)
        return {};
    const std::string_view bytes(reinterpret_cast<const char*>(p + 4), static_cast<std::size_t>(size));
    return IsSab(bytes) ? bytes : std::string_view();
}

// A large record lies in "blob01" segments: the reference gives its total size, the number of
// parts and, last, each part's segment and size; each part's segment repeats the total, the
// part's place in the whole, its number, the count and its size before its bytes.
std::string_view DwgDataStorage::JoinBlob(const std::vector<uint8_t>& section, const Segment& data,
                                          uint64_t at)
{
    if (data.size - at < 20)
        return {};
    const uint8_t* ref = section.data() + data.offset + at;
    const uint64_t total = Le64(ref + 4);
    const uint32_t parts = Le32(ref + 12);
    const uint32_t length = Le32(ref + 16);
    if (parts == 0 || parts > m_segments.size() || length > data.size - at - 4 ||
        static_cast<uint64_t>(parts) * 8 > length - 16 || total > section.size())
        return {};
    std::string joined;
    joined.reserve(static_cast<std::size_t>(total));
    const uint8_t* pairs = ref + 4 + length - static_cast<uint64_t>(parts) * 8;
    for (uint32_t i = 0; i < parts; ++i) {
        const uint32_t index = Le32(pairs + 8 * i);
        if (index >= m_segments.size() || m_segments[index].name != "blob01")
            return {};
        const Segment& blob = m_segments[index];
        if (blob.size < kSegmentHeader + kBlobPartHeader)
            return {};
        const uint8_t* part = section.data() + blob.offset + kSegmentHeader;
        const uint64_t place = Le64(part + 8);
        const uint64_t size = Le64(part + 24);
        if (Le64(part) != total || Le32(part + 16) != i || Le32(part + 20) != parts || place != joined.size() ||
            size > blob.size - kSegmentHeader - kBlobPartHeader || size > total - joined.size())
            return {};
        joined.append(reinterpret_cast<const char*>(part + kBlobPartHeader), static_cast<std::size_t>(size));
    }
    if (joined.size() != total || !IsSab(joined))
        return {};
    m_joined.push_back(std::move(joined));
    return m_joined.back();
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
