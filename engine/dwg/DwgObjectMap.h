// The object map: for every object handle, where the object's data starts (a file offset for
// R13 to 2000, an offset into the objects section for 2004 and later).
#pragma once

#include "engine/dwg/DwgVersion.h"

#include <cstdint>
#include <vector>

namespace orvo::dwg {

class DwgObjectMap
{
public:
    struct Entry
    {
        uint64_t handle;
        uint64_t offset;
    };

    // Decodes the map's pages; false when a page is cut short, fails its CRC, names an offset
    // at or beyond objectsSize, or holds more than maxEntries entries (then OverLimit()).
    bool Read(const std::vector<uint8_t>& section, uint64_t objectsSize, uint64_t maxEntries = UINT64_MAX);
    bool OverLimit() const { return m_overLimit; }

    // The entries in the order of the map (ascending handles in files written by CAD programs).
    const std::vector<Entry>& Entries() const { return m_entries; }
    // The offset of an object, or false when the map does not hold the handle.
    bool Find(uint64_t handle, uint64_t& offset) const;

private:
    bool ReadPages(const std::vector<uint8_t>& section, uint64_t objectsSize, uint64_t maxEntries);
    bool ReadPage(const uint8_t* page, size_t size, uint64_t objectsSize, uint64_t maxEntries);

    std::vector<Entry> m_entries;
    std::vector<Entry> m_sorted; // a sorted copy, only of a map stored out of handle order
    bool m_overLimit = false;
};

} // namespace orvo::dwg
