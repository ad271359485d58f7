#include "engine/dwg/DwgSectionsR2004.h"

#include "engine/dwg/DwgDecompressor.h"
#include "engine/dwg/DwgLittleEndian.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <unordered_map>

namespace orvo::dwg {

namespace {

constexpr size_t kHeaderOffset = 0x80;
constexpr size_t kHeaderSize = 0x6C;
constexpr uint64_t kPageBase = 0x100;
constexpr uint32_t kPageMapType = 0x41630E3B;
constexpr uint32_t kSectionMapType = 0x4163003B;
constexpr uint32_t kDataPageType = 0x4163043B;
constexpr uint32_t kDataPageMask = 0x4164536B;
constexpr size_t kSystemHeaderSize = 0x14;
constexpr size_t kDataHeaderSize = 0x20;
// Limits that no real drawing comes near; they keep a forged map from costing time or memory.
constexpr uint32_t kMaxPages = 0x100000;
constexpr uint32_t kMaxSections = 1024;
constexpr uint64_t kMaxSectionSize = 256u * 1024 * 1024;
constexpr uint32_t kMaxPageSize = 0x100000;

struct FileHeader
{
    uint32_t pageMapId = 0;
    uint64_t pageMapAddress = 0;
    uint32_t sectionMapId = 0;
};

bool DecryptHeader(const std::vector<uint8_t>& file, FileHeader& header)
{
    if (file.size() < kHeaderOffset + kHeaderSize)
        return false;
    uint8_t plain[kHeaderSize];
    uint32_t seed = 1;
    for (size_t i = 0; i < kHeaderSize; ++i) {
        seed = seed * 0x343FD + 0x269EC3;
        plain[i] = static_cast<uint8_t>(file[kHeaderOffset + i] ^ (seed >> 16));
    }
    if (std::memcmp(plain, "AcFssFcAJMB", 12) != 0)
        return false;
    header.pageMapId = Le32(plain + 0x50);
    header.pageMapAddress = Le64(plain + 0x54) + kPageBase;
    header.sectionMapId = Le32(plain + 0x5C);
    return true;
}

// A system page (page map, section map): a plain header, then data compressed as one stream.
bool ReadSystemPage(const std::vector<uint8_t>& file, uint64_t address, uint32_t type, std::vector<uint8_t>& out)
{
    if (address > file.size() || file.size() - address < kSystemHeaderSize)
        return false;
    const uint8_t* header = file.data() + address;
    if (Le32(header) != type)
        return false;
    const uint32_t decompressedSize = Le32(header + 4);
    const uint32_t compressedSize = Le32(header + 8);
    const uint32_t compression = Le32(header + 12);
    const uint64_t dataStart = address + kSystemHeaderSize;
    if (decompressedSize > kMaxPageSize * 16 || compressedSize > file.size() - dataStart)
        return false;
    if (compression != 2) {
        if (compressedSize < decompressedSize)
            return false;
        out.assign(file.begin() + static_cast<std::ptrdiff_t>(dataStart),
                   file.begin() + static_cast<std::ptrdiff_t>(dataStart + decompressedSize));
        return true;
    }
    out.assign(decompressedSize, 0);
    size_t written = 0;
    const bool ok = Decompress2004(file.data() + dataStart, compressedSize, out.data(), out.size(), written);
    return ok || written == out.size();
}

using PageMap = std::unordered_map<uint32_t, uint64_t>; // page number -> file address

bool ReadPageMap(const std::vector<uint8_t>& file, const FileHeader& header, PageMap& pages)
{
    std::vector<uint8_t> map;
    if (!ReadSystemPage(file, header.pageMapAddress, kPageMapType, map))
        return false;
    uint64_t address = kPageBase;
    size_t position = 0;
    while (position + 8 <= map.size() && pages.size() < kMaxPages) {
        const int32_t number = static_cast<int32_t>(Le32(&map[position]));
        const uint32_t size = Le32(&map[position + 4]);
        position += 8;
        if (number >= 0)
            pages[static_cast<uint32_t>(number)] = address;
        else
            position += 16; // a free page: parent, left, right, zero
        address += size;
    }
    return true;
}

struct SectionPage
{
    uint32_t number;
    uint32_t dataSize;
    uint64_t offset;
};

struct SectionInfo
{
    std::string name;
    uint64_t size = 0;
    uint32_t maxPageSize = 0;
    uint32_t compression = 2;
    uint32_t encrypted = 0;
    std::vector<SectionPage> pages;
};

bool ReadSectionMap(const std::vector<uint8_t>& file, uint64_t address, std::vector<SectionInfo>& sections)
{
    std::vector<uint8_t> map;
    if (!ReadSystemPage(file, address, kSectionMapType, map) || map.size() < 20)
        return false;
    const uint32_t count = Le32(&map[0]);
    if (count > kMaxSections)
        return false;
    size_t position = 20;
    for (uint32_t i = 0; i < count; ++i) {
        if (map.size() - position < 32 + 64)
            return false;
        SectionInfo info;
        info.size = Le64(&map[position]);
        const uint32_t pageCount = Le32(&map[position + 8]);
        info.maxPageSize = Le32(&map[position + 12]);
        info.compression = Le32(&map[position + 20]);
        info.encrypted = Le32(&map[position + 28]);
        const char* name = reinterpret_cast<const char*>(&map[position + 32]);
        info.name.assign(name, strnlen(name, 64));
        position += 32 + 64;
        if (pageCount > (map.size() - position) / 16)
            return false;
        for (uint32_t p = 0; p < pageCount; ++p, position += 16)
            info.pages.push_back(SectionPage{Le32(&map[position]), Le32(&map[position + 4]), Le64(&map[position + 8])});
        sections.push_back(std::move(info));
    }
    return true;
}

// A data page: a header masked with its own address, then compressed data.
bool ReadDataPage(const std::vector<uint8_t>& file, uint64_t address, const SectionInfo& info,
                  std::vector<uint8_t>& section)
{
    if (address > file.size() || file.size() - address < kDataHeaderSize)
        return false;
    uint32_t fields[8];
    const uint32_t mask = kDataPageMask ^ static_cast<uint32_t>(address);
    for (int i = 0; i < 8; ++i)
        fields[i] = Le32(file.data() + address + 4 * i) ^ mask;
    if (fields[0] != kDataPageType)
        return false;
    const uint32_t compressedSize = fields[2];
    const uint64_t start = fields[4];
    const uint64_t dataStart = address + kDataHeaderSize;
    if (compressedSize > file.size() - dataStart || start > section.size())
        return false;
    const size_t room = static_cast<size_t>(std::min<uint64_t>(section.size() - start, info.maxPageSize));
    if (info.compression != 2) {
        const size_t count = std::min<size_t>(room, compressedSize);
        std::memcpy(section.data() + start, file.data() + dataStart, count);
        return true;
    }
    size_t written = 0;
    Decompress2004(file.data() + dataStart, compressedSize, section.data() + start, room, written);
    return written > 0;
}

bool ReadSection(const std::vector<uint8_t>& file, const PageMap& pages, const SectionInfo& info,
                 std::vector<uint8_t>& out)
{
    // Pages compress at most about 1:30 in practice; a section claiming far more than its file
    // could hold is forged and would only cost memory.
    const uint64_t plausible = static_cast<uint64_t>(file.size()) * 64 + kMaxPageSize;
    // Pages decompress to their full size; the section's own size cuts the last one short.
    const uint64_t room = static_cast<uint64_t>(info.pages.size()) * info.maxPageSize;
    if (info.maxPageSize > kMaxPageSize || room > kMaxSectionSize || room > plausible || info.size > room)
        return false;
    out.assign(static_cast<size_t>(room), 0);
    for (const SectionPage& page : info.pages) {
        const auto found = pages.find(page.number);
        if (found == pages.end() || !ReadDataPage(file, found->second, info, out))
            return false;
    }
    out.resize(static_cast<size_t>(info.size));
    return true;
}

} // namespace

DwgReadResult ReadSectionsR2004(const std::vector<uint8_t>& file, DwgSectionSet& out)
{
    FileHeader header;
    if (!DecryptHeader(file, header))
        return DwgReadResult::Corrupt;
    const DwgReadResult facts = ReadPlainHeaderFacts(file, out);
    if (facts != DwgReadResult::Ok)
        return facts;
    PageMap pages;
    if (!ReadPageMap(file, header, pages))
        return DwgReadResult::Corrupt;
    const auto sectionMap = pages.find(header.sectionMapId);
    std::vector<SectionInfo> sections;
    if (sectionMap == pages.end() || !ReadSectionMap(file, sectionMap->second, sections))
        return DwgReadResult::Corrupt;
    const auto roomOf = [](const SectionInfo& info) {
        // A section takes its pages' full size while it is decompressed.
        return static_cast<uint64_t>(info.pages.size()) * info.maxPageSize;
    };
    const auto readOne = [&file, &pages](const SectionInfo& info, std::vector<uint8_t>& bytes) {
        return ReadSection(file, pages, info, bytes);
    };
    return CollectSections(sections, roomOf, readOne, out);
}

} // namespace orvo::dwg
