#include "engine/dwg/DwgObjectMap.h"

#include "engine/dwg/DwgChecksum.h"
#include "engine/dwg/DwgModularChar.h"

#include <algorithm>

namespace orvo::dwg {

namespace {

// A page holds at most 2032 bytes of entries; an entry takes at least two bytes.
constexpr size_t kMaxPageSize = 2048;

bool ByHandle(const DwgObjectMap::Entry& a, const DwgObjectMap::Entry& b) { return a.handle < b.handle; }

// The map's numbers are whole bytes from the start of each page, so they are read straight from
// the bytes.
auto BytesFrom(const uint8_t*& at, const uint8_t* end)
{
    return [&at, end](uint8_t& byte) {
        if (at >= end)
            return false;
        byte = *at++;
        return true;
    };
}

} // namespace

bool DwgObjectMap::Read(const std::vector<uint8_t>& section, uint64_t objectsSize, uint64_t maxEntries)
{
    m_overLimit = false;
    // A map that fails part way keeps nothing: Find searches a map known to be in order.
    if (ReadPages(section, objectsSize, maxEntries))
        return true;
    m_entries.clear();
    m_sorted.clear();
    return false;
}

bool DwgObjectMap::ReadPages(const std::vector<uint8_t>& section, uint64_t objectsSize, uint64_t maxEntries)
{
    m_entries.clear();
    m_sorted.clear();
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
    // Writers store the map in handle order: a check is all most files need, and only a map out
    // of order gets a sorted copy.
    if (!std::is_sorted(m_entries.begin(), m_entries.end(), ByHandle)) {
        m_sorted = m_entries;
        std::stable_sort(m_sorted.begin(), m_sorted.end(), ByHandle);
    }
    return true;
}

bool DwgObjectMap::ReadPage(const uint8_t* page, size_t size, uint64_t objectsSize, uint64_t maxEntries)
{
    // Handles and offsets are deltas that start again from zero on every page.
    uint64_t handle = 0;
    int64_t offset = 0;
    const uint8_t* at = page;
    const uint8_t* const end = page + size;
    while (at < end) {
        uint64_t handleStep = 0;
        int32_t offsetStep = 0;
        if (!DecodeModularChar(BytesFrom(at, end), handleStep) ||
            !DecodeSignedModularChar(BytesFrom(at, end), offsetStep))
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
    const std::vector<Entry>& sorted = m_sorted.empty() ? m_entries : m_sorted;
    const auto it = std::lower_bound(sorted.begin(), sorted.end(), key, ByHandle);
    if (it == sorted.end() || it->handle != handle)
        return false;
    offset = it->offset;
    return true;
}

} // namespace orvo::dwg
