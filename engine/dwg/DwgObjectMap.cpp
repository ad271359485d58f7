#include "engine/dwg/DwgObjectMap.h"

#include "engine/dwg/DwgBitReader.h"
#include "engine/dwg/DwgChecksum.h"

#include <algorithm>

namespace orvo::dwg {

namespace {

// A page holds at most 2032 bytes of entries; an entry takes at least two bytes.
constexpr size_t kMaxPageSize = 2048;

bool ByHandle(const DwgObjectMap::Entry& a, const DwgObjectMap::Entry& b) { return a.handle < b.handle; }

} // namespace

bool DwgObjectMap::Read(const std::vector<uint8_t>& section, uint64_t objectsSize, uint64_t maxEntries)
{
    m_entries.clear();
    m_sorted.clear();
    m_overLimit = false;
    size_t position = 0;
    // Each page: big-endian size (counting itself), entries, big-endian CRC; a page of size 2 ends.
    while (true) {
        if (position + 2 > section.size())
            return false;
        const size_t size = (static_cast<size_t>(section[position]) << 8) | section[position + 1];
        if (size < 2 || size > kMaxPageSize || position + size + 2 > section.size())
            return false;
        const uint16_t stored = static_cast<uint16_t>((section[position + size] << 8) | section[position + size + 1]);
        if (Crc16(0xC0C1, &section[position], size) != stored)
            return false;
        if (size == 2)
            break;
        if (!ReadPage(&section[position + 2], size - 2, objectsSize, maxEntries))
            return false;
        position += size + 2;
    }
    m_sorted = m_entries;
    // Writers store the map in handle order: a check is all most files need.
    if (!std::is_sorted(m_sorted.begin(), m_sorted.end(), ByHandle))
        std::stable_sort(m_sorted.begin(), m_sorted.end(), ByHandle);
    return true;
}

bool DwgObjectMap::ReadPage(const uint8_t* page, size_t size, uint64_t objectsSize, uint64_t maxEntries)
{
    // Handles and offsets are deltas that start again from zero on every page.
    uint64_t handle = 0;
    int64_t offset = 0;
    DwgBitReader reader(page, size, DwgVersion::R13);
    while (reader.BitsLeft() > 0) {
        const uint64_t handleStep = reader.UMC();
        const int32_t offsetStep = reader.MC();
        if (reader.Failed())
            return false;
        handle += handleStep;
        offset += offsetStep;
        if (offset < 0 || static_cast<uint64_t>(offset) >= objectsSize)
            return false;
        if (m_entries.size() >= maxEntries) {
            m_overLimit = true;
            return false;
        }
        m_entries.push_back(Entry{handle, static_cast<uint64_t>(offset)});
    }
    return true;
}

bool DwgObjectMap::Find(uint64_t handle, uint64_t& offset) const
{
    const Entry key{handle, 0};
    const auto it = std::lower_bound(m_sorted.begin(), m_sorted.end(), key, ByHandle);
    if (it == m_sorted.end() || it->handle != handle)
        return false;
    offset = it->offset;
    return true;
}

} // namespace orvo::dwg
