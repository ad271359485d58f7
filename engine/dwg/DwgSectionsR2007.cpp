#include "engine/dwg/DwgSectionsR2007.h"

#include "engine/dwg/DwgDecompressorR2007.h"
#include "engine/dwg/DwgLittleEndian.h"
#include "engine/dwg/DwgReedSolomon.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <unordered_map>

namespace orvo::dwg {

namespace {

// The file header: three interleaved Reed-Solomon blocks of 239 data bytes each at 0x80.
constexpr size_t kHeaderOffset = 0x80;
constexpr size_t kHeaderBlocks = 3;
constexpr size_t kCodeword = 255;
constexpr size_t kSystemDataBytes = 239; // per block of the header and the system pages
constexpr size_t kPageDataBytes = 251;   // per block of a coded data page
constexpr unsigned kSystemField = 0x169; // the field polynomials of the two codes
constexpr unsigned kPageField = 0x11D;
constexpr size_t kHeaderPrefix = 32;     // CRC, key, data CRC, compressed and second length
constexpr size_t kHeaderDataSize = 0x110;
constexpr uint64_t kPageBase = 0x480;
constexpr uint64_t kCodedEncoding = 4;
// Limits that no real drawing comes near; they keep a forged map from costing time or memory.
constexpr uint64_t kMaxCorrection = 64;
constexpr uint64_t kMaxSystemSize = 16u * 1024 * 1024;
constexpr uint64_t kMaxSectionSize = 256u * 1024 * 1024;
constexpr uint64_t kMaxNameBytes = 512;
constexpr size_t kMaxPages = 0x100000;
constexpr size_t kMaxSections = 1024;
constexpr size_t kSectionFields = 64; // eight 64-bit fields before the name
constexpr size_t kPageFields = 56;    // seven 64-bit fields per page

struct FileHeader
{
    uint64_t pageMapCorrection = 0;
    uint64_t pageMapOffset = 0;
    uint64_t pageMapCompressed = 0;
    uint64_t pageMapSize = 0;
    uint64_t sectionMapCompressed = 0;
    uint64_t sectionMapId = 0;
    uint64_t sectionMapSize = 0;
    uint64_t sectionMapCorrection = 0;
};

// Takes the first size data bytes of blocks interleaved code words at address: byte j of block i
// lies at i + j * blocks. Each code word is corrected first; one with more errors than its code
// corrects keeps its bytes, and the checks of what it holds bound the damage.
bool Decode(const std::vector<uint8_t>& file, uint64_t address, uint64_t blocks, const DwgReedSolomon& code,
            size_t dataBytes, uint64_t size, std::vector<uint8_t>& out)
{
    if (blocks == 0 || size > blocks * dataBytes || address > file.size() ||
        blocks * kCodeword > file.size() - address)
        return false;
    out.resize(static_cast<size_t>(size));
    const uint64_t needed = (size + dataBytes - 1) / dataBytes;
    uint8_t codeword[kCodeword];
    for (uint64_t block = 0; block < needed; block += DwgReedSolomon::kLanes) {
        const size_t lanes = static_cast<size_t>(std::min<uint64_t>(DwgReedSolomon::kLanes, needed - block));
        const uint8_t* first = file.data() + address + block;
        bool whole[DwgReedSolomon::kLanes];
        code.Whole(first, static_cast<size_t>(blocks), lanes, whole);
        for (size_t l = 0; l < lanes; ++l) {
            const uint64_t at = (block + l) * dataBytes;
            const size_t count = static_cast<size_t>(std::min<uint64_t>(dataBytes, size - at));
            uint8_t* target = out.data() + at;
            if (whole[l]) {
                for (size_t j = 0; j < count; ++j)
                    target[j] = first[l + j * blocks];
                continue;
            }
            for (size_t j = 0; j < kCodeword; ++j)
                codeword[j] = first[l + j * blocks];
            code.Correct(codeword);
            std::copy(codeword, codeword + count, target);
        }
    }
    return true;
}

// Stored data: compressed when shorter than its decompressed size, else the bytes themselves.
bool Expand(const uint8_t* data, size_t size, uint8_t* out, size_t outSize)
{
    if (outSize == 0)
        return true;
    if (size >= outSize) {
        std::memcpy(out, data, outSize);
        return true;
    }
    size_t written = 0;
    const bool ok = Decompress2007(data, size, out, outSize, written);
    return ok || written == outSize;
}

// The code of the file header and the system pages, made once.
const DwgReedSolomon& SystemCode()
{
    static const DwgReedSolomon code(kSystemField, kCodeword - kSystemDataBytes);
    return code;
}

bool ReadFileHeader(const std::vector<uint8_t>& file, FileHeader& header)
{
    std::vector<uint8_t> coded;
    if (file.size() < kHeaderOffset + kHeaderBlocks * kCodeword)
        return false;
    if (!Decode(file, kHeaderOffset, kHeaderBlocks, SystemCode(), kSystemDataBytes, kHeaderBlocks * kSystemDataBytes, coded))
        return false;
    // A negative length stores the data uncompressed.
    const int32_t stored = static_cast<int32_t>(Le32(&coded[24]));
    const uint64_t length = stored < 0 ? 0 - static_cast<int64_t>(stored) : static_cast<uint64_t>(stored);
    if (length == 0 || length > coded.size() - kHeaderPrefix || (stored < 0 && length < kHeaderDataSize))
        return false;
    uint8_t data[kHeaderDataSize];
    if (!Expand(&coded[kHeaderPrefix], static_cast<size_t>(length), data, kHeaderDataSize))
        return false;
    header.pageMapCorrection = Le64(data + 0x18);
    header.pageMapOffset = Le64(data + 0x38);
    header.pageMapCompressed = Le64(data + 0x50);
    header.pageMapSize = Le64(data + 0x58);
    header.sectionMapCompressed = Le64(data + 0xB0);
    header.sectionMapId = Le64(data + 0xC0);
    header.sectionMapSize = Le64(data + 0xC8);
    header.sectionMapCorrection = Le64(data + 0xD8);
    return true;
}

// A system page (page map, section map): its compressed data, padded to eight bytes, repeated
// correction times and coded in interleaved blocks of 239 data bytes.
bool ReadSystemPage(const std::vector<uint8_t>& file, uint64_t address, uint64_t compressed, uint64_t size,
                    uint64_t correction, std::vector<uint8_t>& out)
{
    if (compressed == 0 || compressed > file.size() || size > kMaxSystemSize || correction == 0 ||
        correction > kMaxCorrection)
        return false;
    const uint64_t coded = ((compressed + 7) & ~uint64_t(7)) * correction;
    const uint64_t blocks = (coded + kSystemDataBytes - 1) / kSystemDataBytes;
    std::vector<uint8_t> data;
    if (!Decode(file, address, blocks, SystemCode(), kSystemDataBytes, compressed, data))
        return false;
    out.assign(static_cast<size_t>(size), 0);
    return Expand(data.data(), data.size(), out.data(), out.size());
}

using PageMap = std::unordered_map<uint64_t, uint64_t>; // page id -> file address

// Pairs of page size and page id; the pages lie one after the other from 0x480.
bool ReadPageMap(const std::vector<uint8_t>& file, const FileHeader& header, PageMap& pages)
{
    std::vector<uint8_t> map;
    if (header.pageMapOffset > file.size() ||
        !ReadSystemPage(file, kPageBase + header.pageMapOffset, header.pageMapCompressed, header.pageMapSize,
                        header.pageMapCorrection, map))
        return false;
    uint64_t address = kPageBase;
    for (size_t position = 0; position + 16 <= map.size() && pages.size() < kMaxPages; position += 16) {
        const uint64_t size = Le64(&map[position]);
        const int64_t id = static_cast<int64_t>(Le64(&map[position + 8]));
        if (size > file.size())
            return false;
        if (id >= 0)
            pages[static_cast<uint64_t>(id)] = address;
        address += size;
    }
    return true;
}

struct SectionPage
{
    uint64_t offset;       // in the section's data
    uint64_t id;
    uint64_t size;         // decompressed
    uint64_t compressed;
};

struct SectionInfo
{
    std::string name;
    uint64_t size = 0;
    uint64_t encrypted = 0;
    uint64_t encoding = 0;
    std::vector<SectionPage> pages;
};

std::string NarrowName(const uint8_t* text, size_t bytes)
{
    // Section names are plain ASCII in UTF-16.
    std::string name;
    for (size_t i = 0; i + 1 < bytes && text[i] != 0; i += 2)
        name += static_cast<char>(text[i]);
    return name;
}

bool ReadSectionEntry(const std::vector<uint8_t>& map, size_t& position, SectionInfo& info)
{
    const uint8_t* fields = &map[position];
    info.size = Le64(fields);
    info.encrypted = Le64(fields + 16);
    const uint64_t nameBytes = Le64(fields + 32);
    info.encoding = Le64(fields + 48);
    const uint64_t pageCount = Le64(fields + 56);
    position += kSectionFields;
    if (nameBytes > kMaxNameBytes || nameBytes > map.size() - position)
        return false;
    info.name = NarrowName(&map[position], static_cast<size_t>(nameBytes));
    position += static_cast<size_t>(nameBytes);
    if (pageCount > (map.size() - position) / kPageFields)
        return false;
    info.pages.reserve(static_cast<size_t>(pageCount));
    for (uint64_t p = 0; p < pageCount; ++p, position += kPageFields) {
        const uint8_t* page = &map[position];
        info.pages.push_back(SectionPage{Le64(page), Le64(page + 16), Le64(page + 24), Le64(page + 32)});
    }
    return true;
}

bool ReadSectionMap(const std::vector<uint8_t>& file, const FileHeader& header, const PageMap& pages,
                    std::vector<SectionInfo>& sections)
{
    const auto found = pages.find(header.sectionMapId);
    std::vector<uint8_t> map;
    if (found == pages.end() ||
        !ReadSystemPage(file, found->second, header.sectionMapCompressed, header.sectionMapSize,
                        header.sectionMapCorrection, map))
        return false;
    size_t position = 0;
    while (map.size() - position >= kSectionFields && sections.size() < kMaxSections) {
        SectionInfo info;
        if (!ReadSectionEntry(map, position, info))
            return false;
        sections.push_back(std::move(info));
    }
    return true;
}

// A data page: coded in interleaved blocks of 251 data bytes (encoding 4) or stored as it is.
// data: room for the page's stored bytes, kept from page to page (each page writes all it uses).
bool ReadDataPage(const std::vector<uint8_t>& file, uint64_t address, const SectionInfo& info,
                  const SectionPage& page, std::vector<uint8_t>& section, std::vector<uint8_t>& data)
{
    if (page.offset > section.size() || page.size > section.size() - page.offset || page.compressed == 0 ||
        page.compressed > file.size())
        return false;
    if (info.encoding == kCodedEncoding) {
        const uint64_t blocks = (((page.compressed + 7) & ~uint64_t(7)) + kPageDataBytes - 1) / kPageDataBytes;
        // One code for every page of every file: its tables are made once.
        static const DwgReedSolomon code(kPageField, kCodeword - kPageDataBytes);
        if (!Decode(file, address, blocks, code, kPageDataBytes, page.compressed, data))
            return false;
    } else {
        if (address > file.size() || page.compressed > file.size() - address)
            return false;
        data.assign(file.begin() + static_cast<std::ptrdiff_t>(address),
                    file.begin() + static_cast<std::ptrdiff_t>(address + page.compressed));
    }
    return Expand(data.data(), data.size(), section.data() + page.offset, static_cast<size_t>(page.size));
}

bool ReadSection(const std::vector<uint8_t>& file, const PageMap& pages, const SectionInfo& info,
                 std::vector<uint8_t>& out)
{
    // Pages compress at most about 1:30 in practice; a section claiming far more than its file
    // could hold is forged and would only cost memory.
    const uint64_t plausible = static_cast<uint64_t>(file.size()) * 64;
    if (info.size > kMaxSectionSize || info.size > plausible)
        return false;
    // The pages of a sound section tile it once and lie in the file once; a forged map that
    // repeats pages would only multiply the work.
    uint64_t decompressed = 0, stored = 0;
    for (const SectionPage& page : info.pages) {
        decompressed += std::min<uint64_t>(page.size, kMaxSectionSize);
        stored += std::min<uint64_t>(page.compressed, file.size() + 1);
        if (decompressed > info.size || stored > file.size())
            return false;
    }
    out.assign(static_cast<size_t>(info.size), 0);
    std::vector<uint8_t> data;
    for (const SectionPage& page : info.pages) {
        const auto found = pages.find(page.id);
        if (found == pages.end() || !ReadDataPage(file, found->second, info, page, out, data))
            return false;
    }
    return true;
}

} // namespace

DwgReadResult ReadSectionsR2007(const std::vector<uint8_t>& file, DwgSectionSet& out)
{
    FileHeader header;
    if (!ReadFileHeader(file, header))
        return DwgReadResult::Corrupt;
    const DwgReadResult facts = ReadPlainHeaderFacts(file, out);
    if (facts != DwgReadResult::Ok)
        return facts;
    PageMap pages;
    std::vector<SectionInfo> sections;
    if (!ReadPageMap(file, header, pages) || !ReadSectionMap(file, header, pages, sections))
        return DwgReadResult::Corrupt;
    const auto roomOf = [](const SectionInfo& info) { return info.size; };
    const auto readOne = [&file, &pages](const SectionInfo& info, std::vector<uint8_t>& bytes) {
        return ReadSection(file, pages, info, bytes);
    };
    return CollectSections(sections, roomOf, readOne, out);
}

} // namespace orvo::dwg
