// The data-storage section of 2013 and later ("AcDb:AcDsPrototype_1b"): records kept apart from
// the objects, each naming its object by handle. The reader takes the ACIS data (SAB) of
// 3DSOLID, REGION and BODY from it. Layout as found in the files: a "jard" header, a segment
// index, a data index, and "_data_" segments whose record table gives each record's handle and
// the place of its data.
#pragma once

#include "engine/db/Database.h"

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace orvo::dwg {

class DwgMemoryBudget;

class DwgDataStorage
{
public:
    // Reads the section; records whose place does not fit it are left out.
    void Read(const std::vector<uint8_t>& section);
    // The SAB stored for an object, or empty.
    std::string_view AcisData(uint64_t handle) const;
    std::size_t Count() const { return m_acis.size(); }
    // Gives the 3DSOLID, REGION and BODY entities without edges the edges of their stored data;
    // the text and edges are charged to the budget first.
    void ApplyTo(RkDb::Database& db, DwgMemoryBudget& budget) const;

private:
    struct Segment
    {
        uint64_t offset = 0;
        uint64_t size = 0;
        std::string_view name;
    };
    bool ReadSegments(const std::vector<uint8_t>& section);
    void ReadRecords(const std::vector<uint8_t>& section, const Segment& dataIndex);
    std::string_view RecordData(const std::vector<uint8_t>& section, const Segment& data, uint64_t at);
    std::string_view JoinBlob(const std::vector<uint8_t>& section, const Segment& data, uint64_t at);

    std::vector<Segment> m_segments;
    std::unordered_map<uint64_t, std::string_view> m_acis;
    // Records kept in several blob segments, joined (m_acis views them).
    std::deque<std::string> m_joined;
};

} // namespace orvo::dwg
