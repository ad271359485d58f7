#include "engine/dwg/DwgSectionsR13.h"

#include "engine/dwg/DwgChecksum.h"

#include <cstring>

namespace orvo::dwg {

namespace {

constexpr size_t kLocatorCountOffset = 0x15;
constexpr size_t kLocatorSize = 9;
// Writers store 3 to 6 records; more than a handful means the count is garbage.
constexpr uint32_t kMaxLocators = 16;

constexpr uint8_t kEndSentinel[16] = {0x95, 0xA0, 0x4E, 0x28, 0x99, 0x82, 0x1A, 0xE5,
                                      0x5E, 0x41, 0xE0, 0x5F, 0x9D, 0x3A, 0x4D, 0x00};

uint32_t ReadLong(const std::vector<uint8_t>& file, size_t offset)
{
    return static_cast<uint32_t>(file[offset]) | (static_cast<uint32_t>(file[offset + 1]) << 8) |
           (static_cast<uint32_t>(file[offset + 2]) << 16) |
           (static_cast<uint32_t>(file[offset + 3]) << 24);
}

// The header's CRC is XORed with a constant that depends on the record count.
uint16_t LocatorCrcMask(uint32_t count)
{
    switch (count) {
    case 3: return 0xA598;
    case 4: return 0x8101;
    case 5: return 0x3CC4;
    case 6: return 0x8461;
    default: return 0;
    }
}

bool CopySection(const std::vector<uint8_t>& file, uint64_t seeker, uint64_t size, std::vector<uint8_t>& out)
{
    if (seeker > file.size() || size > file.size() - seeker)
        return false;
    out.assign(file.begin() + static_cast<std::ptrdiff_t>(seeker),
               file.begin() + static_cast<std::ptrdiff_t>(seeker + size));
    return true;
}

} // namespace

DwgReadResult ReadSectionsR13(std::vector<uint8_t> file, DwgSectionSet& out)
{
    if (file.size() < kLocatorCountOffset + 4)
        return DwgReadResult::Corrupt;
    out.maintenanceVersion = file[0x0B];
    out.codePage = static_cast<uint16_t>(file[0x13] | (file[0x14] << 8));
    const uint32_t count = ReadLong(file, kLocatorCountOffset);
    if (count < 3 || count > kMaxLocators)
        return DwgReadResult::Corrupt;
    const size_t recordsEnd = kLocatorCountOffset + 4 + count * kLocatorSize;
    if (recordsEnd + 2 + sizeof kEndSentinel > file.size())
        return DwgReadResult::Corrupt;
    const uint16_t stored = static_cast<uint16_t>(file[recordsEnd] | (file[recordsEnd + 1] << 8));
    const uint16_t computed = Crc16(0, file.data(), recordsEnd) ^ LocatorCrcMask(count);
    if (stored != computed || std::memcmp(&file[recordsEnd + 2], kEndSentinel, sizeof kEndSentinel) != 0)
        return DwgReadResult::Corrupt;

    bool found[3] = {false, false, false};
    for (uint32_t i = 0; i < count; ++i) {
        const size_t record = kLocatorCountOffset + 4 + i * kLocatorSize;
        const uint8_t number = file[record];
        const uint32_t seeker = ReadLong(file, record + 1);
        const uint32_t size = ReadLong(file, record + 5);
        static constexpr DwgSectionKind kKinds[3] = {DwgSectionKind::Header, DwgSectionKind::Classes,
                                                     DwgSectionKind::Handles};
        if (number == 4) {
            // Optional: a damaged locator only costs the MEASUREMENT variable.
            CopySection(file, seeker, size, out[DwgSectionKind::Template]);
            continue;
        }
        if (number > 2)
            continue;
        if (!CopySection(file, seeker, size, out[kKinds[number]]))
            return DwgReadResult::Corrupt;
        found[number] = true;
    }
    if (!found[0] || !found[1] || !found[2])
        return DwgReadResult::Corrupt;
    out[DwgSectionKind::Objects] = std::move(file);
    return DwgReadResult::Ok;
}

} // namespace orvo::dwg
