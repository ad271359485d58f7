// Crafts R2000 drawings for the tests from a sample: the object map's pages (handle and offset
// deltas, big-endian page size, CRC), the section locators and their CRC, so that a test can
// append objects or replace the map of a real drawing. No Windows header.
#pragma once

#include "engine/dwg/DwgChecksum.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace orvo::test {

constexpr size_t kLocatorCount = 0x15;
constexpr size_t kLocatorSize = 9;

inline uint32_t Le32(const std::vector<uint8_t>& bytes, size_t at)
{
    return bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) | (static_cast<uint32_t>(bytes[at + 3]) << 24);
}

inline void PutLe32(std::vector<uint8_t>& bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

inline void PutUmc(std::vector<uint8_t>& out, uint64_t value)
{
    do {
        const uint8_t low = value & 0x7F;
        value >>= 7;
        out.push_back(static_cast<uint8_t>(low | (value != 0 ? 0x80 : 0)));
    } while (value != 0);
}

// 7 bits a byte, the last byte 6 bits and the sign bit.
inline void PutMc(std::vector<uint8_t>& out, int64_t signedValue)
{
    const bool negative = signedValue < 0;
    uint64_t value = negative ? static_cast<uint64_t>(-signedValue) : static_cast<uint64_t>(signedValue);
    while (value >= 0x40) {
        out.push_back(static_cast<uint8_t>((value & 0x7F) | 0x80));
        value >>= 7;
    }
    out.push_back(static_cast<uint8_t>(value | (negative ? 0x40 : 0)));
}

inline void ClosePage(std::vector<uint8_t>& section, const std::vector<uint8_t>& entries)
{
    std::vector<uint8_t> page{static_cast<uint8_t>((entries.size() + 2) >> 8), static_cast<uint8_t>(entries.size() + 2)};
    page.insert(page.end(), entries.begin(), entries.end());
    const uint16_t crc = orvo::dwg::Crc16(0xC0C1, page.data(), page.size());
    page.push_back(static_cast<uint8_t>(crc >> 8));
    page.push_back(static_cast<uint8_t>(crc));
    section.insert(section.end(), page.begin(), page.end());
}

// An object map of (handle, offset) pairs in that order.
inline std::vector<uint8_t> MapOf(const std::vector<std::pair<uint64_t, uint64_t>>& objects)
{
    std::vector<uint8_t> section, entries;
    uint64_t handle = 0, offset = 0;
    for (const auto& [h, o] : objects) {
        PutUmc(entries, h - handle); // each page starts again from zero
        PutMc(entries, static_cast<int64_t>(o) - static_cast<int64_t>(offset));
        handle = h;
        offset = o;
        if (entries.size() >= 2000) {
            ClosePage(section, entries);
            entries.clear();
            handle = offset = 0;
        }
    }
    if (!entries.empty())
        ClosePage(section, entries);
    ClosePage(section, {});
    return section;
}

// The offset of the object map among the section locators; 0 when there is none.
inline size_t MapOffset(const std::vector<uint8_t>& file)
{
    const uint32_t count = Le32(file, kLocatorCount);
    for (uint32_t i = 0; i < count; ++i) {
        const size_t record = kLocatorCount + 4 + i * kLocatorSize;
        if (file[record] == 2)
            return Le32(file, record + 1);
    }
    return 0;
}

// The (handle, offset) pairs of the drawing's own object map.
inline std::vector<std::pair<uint64_t, uint64_t>> ReadMap(const std::vector<uint8_t>& file)
{
    std::vector<std::pair<uint64_t, uint64_t>> objects;
    size_t at = MapOffset(file);
    while (at != 0 && at + 2 <= file.size()) {
        const size_t size = (file[at] << 8) | file[at + 1];
        if (size <= 2)
            break;
        uint64_t handle = 0;
        int64_t offset = 0;
        for (size_t p = at + 2; p < at + size;) {
            uint64_t delta = 0;
            for (unsigned shift = 0;; shift += 7) {
                const uint8_t byte = file[p++];
                delta |= static_cast<uint64_t>(byte & 0x7F) << shift;
                if (!(byte & 0x80))
                    break;
            }
            int64_t move = 0;
            for (unsigned shift = 0;; shift += 7) {
                const uint8_t byte = file[p++];
                if (byte & 0x80) {
                    move |= static_cast<int64_t>(byte & 0x7F) << shift;
                    continue;
                }
                move |= static_cast<int64_t>(byte & 0x3F) << shift;
                if (byte & 0x40)
                    move = -move;
                break;
            }
            handle += delta;
            offset += move;
            objects.emplace_back(handle, static_cast<uint64_t>(offset));
        }
        at += size + 2;
    }
    return objects;
}

// The drawing with its object map replaced by one appended at its end.
inline std::vector<uint8_t> WithMap(std::vector<uint8_t> file, const std::vector<uint8_t>& map)
{
    const uint32_t count = Le32(file, kLocatorCount);
    for (uint32_t i = 0; i < count; ++i) {
        const size_t record = kLocatorCount + 4 + i * kLocatorSize;
        if (file[record] != 2)
            continue;
        PutLe32(file, record + 1, static_cast<uint32_t>(file.size()));
        PutLe32(file, record + 5, static_cast<uint32_t>(map.size()));
    }
    static const uint16_t kMasks[] = {0, 0, 0, 0xA598, 0x8101, 0x3CC4, 0x8461};
    const size_t end = kLocatorCount + 4 + count * kLocatorSize;
    const uint16_t crc = orvo::dwg::Crc16(0, file.data(), end) ^ (count < 7 ? kMasks[count] : 0);
    file[end] = static_cast<uint8_t>(crc);
    file[end + 1] = static_cast<uint8_t>(crc >> 8);
    file.insert(file.end(), map.begin(), map.end());
    return file;
}

} // namespace orvo::test
