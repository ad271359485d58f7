#include "engine/write/DwgPagedFile.h"

#include "engine/dwg/DwgChecksum.h"
#include "engine/write/DwgCompressor.h"

#include <array>
#include <cstring>

namespace RkWrite {

namespace {

constexpr std::uint64_t kPageBase = 0x100;
constexpr std::uint32_t kMaxPageData = 0x7400;
constexpr std::uint32_t kPageMapType = 0x41630E3B;
constexpr std::uint32_t kSectionMapType = 0x4163003B;
constexpr std::uint32_t kDataPageType = 0x4163043B;
constexpr std::uint32_t kDataPageMask = 0x4164536B;
constexpr std::size_t kSystemHeaderSize = 0x14;
constexpr std::size_t kDataHeaderSize = 0x20;
constexpr std::size_t kEncryptedAt = 0x80;
constexpr std::size_t kEncryptedSize = 0x6C;
constexpr std::uint32_t kCompressed = 2;

void Put32(std::uint8_t* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

void Put64(std::uint8_t* p, std::uint64_t v)
{
    Put32(p, static_cast<std::uint32_t>(v));
    Put32(p + 4, static_cast<std::uint32_t>(v >> 32));
}

void Append32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    std::uint8_t b[4];
    Put32(b, v);
    out.insert(out.end(), b, b + 4);
}

void Append64(std::vector<std::uint8_t>& out, std::uint64_t v)
{
    Append32(out, static_cast<std::uint32_t>(v));
    Append32(out, static_cast<std::uint32_t>(v >> 32));
}

void AppendBytes(std::string& out, const std::uint8_t* data, std::size_t size)
{
    out.append(reinterpret_cast<const char*>(data), size);
}

// Pages start on 32-byte boundaries.
void Pad(std::string& out)
{
    while (out.size() % 0x20 != 0)
        out.push_back('\0');
}

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size)
{
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) != 0 ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    }
    return ~crc;
}

} // namespace

std::uint32_t DwgPagedFile::SectionId(const std::string& name)
{
    // Readers find the sections by these fixed numbers as well as by name.
    static const char* const kNames[] = {"AcDb:Header",       "AcDb:AuxHeader",   "AcDb:Classes",
                                         "AcDb:Handles",      "AcDb:Template",    "AcDb:ObjFreeSpace",
                                         "AcDb:AcDbObjects",  "AcDb:RevHistory",  "AcDb:SummaryInfo",
                                         "AcDb:Preview",      "AcDb:AppInfo",     "AcDb:AppInfoHistory"};
    for (std::uint32_t i = 0; i < sizeof kNames / sizeof kNames[0]; ++i) {
        if (name == kNames[i])
            return i + 1;
    }
    return 0;
}

void DwgPagedFile::AddSection(const std::string& name, std::vector<std::uint8_t> data)
{
    m_sections.push_back(Section{name, std::move(data)});
}

std::vector<DwgPagedFile::PagePlan> DwgPagedFile::Plan() const
{
    std::vector<PagePlan> plan;
    for (std::size_t s = 0; s < m_sections.size(); ++s) {
        const std::uint64_t size = m_sections[s].data.size();
        const std::size_t first = plan.size();
        for (std::uint64_t start = 0; start < size; start += kMaxPageData) {
            const std::uint64_t rest = size - start;
            plan.push_back(PagePlan{s, start, static_cast<std::uint32_t>(rest < kMaxPageData ? rest : kMaxPageData)});
        }
        // A compressed page holds at least four bytes: a shorter tail takes four from the page
        // before it.
        if (plan.size() - first > 1 && plan.back().size < 4) {
            plan[plan.size() - 2].size -= 4;
            plan.back().start -= 4;
            plan.back().size += 4;
        }
    }
    for (std::size_t i = 0; i < plan.size(); ++i)
        plan[i].number = static_cast<std::uint32_t>(i + 1);
    return plan;
}

std::vector<std::uint8_t> DwgPagedFile::SectionMap(const std::vector<PagePlan>& plan) const
{
    std::vector<std::uint8_t> map;
    // The list opens with an empty description, as CAD programs write it.
    const std::uint32_t count = static_cast<std::uint32_t>(m_sections.size() + 1);
    Append32(map, count);
    Append32(map, 2);
    Append32(map, kMaxPageData);
    Append32(map, 0);
    Append32(map, count);
    Append64(map, 0);
    Append32(map, 0);
    Append32(map, kMaxPageData);
    Append32(map, 1);
    Append32(map, kCompressed);
    Append32(map, 0);
    Append32(map, 0);
    map.insert(map.end(), 64, 0);
    for (std::size_t s = 0; s < m_sections.size(); ++s) {
        std::uint32_t pages = 0;
        for (const PagePlan& page : plan)
            pages += page.section == s ? 1 : 0;
        Append64(map, m_sections[s].data.size());
        Append32(map, pages);
        Append32(map, kMaxPageData);
        Append32(map, 1);
        Append32(map, kCompressed);
        Append32(map, SectionId(m_sections[s].name));
        Append32(map, 0);                                 // not encrypted
        std::uint8_t name[64] = {};
        std::memcpy(name, m_sections[s].name.data(), m_sections[s].name.size() < 63 ? m_sections[s].name.size() : 63);
        map.insert(map.end(), name, name + sizeof name);
        for (const PagePlan& page : plan) {
            if (page.section != s)
                continue;
            Append32(map, page.number);
            Append32(map, page.compressedSize);
            Append64(map, page.start);
        }
    }
    return map;
}

void DwgPagedFile::SystemPage(std::uint32_t type, const std::vector<std::uint8_t>& data, std::string& out)
{
    const std::vector<std::uint8_t> packed = Compress2004(data.data(), data.size());
    std::uint8_t header[kSystemHeaderSize] = {};
    Put32(header, type);
    Put32(header + 4, static_cast<std::uint32_t>(data.size()));
    Put32(header + 8, static_cast<std::uint32_t>(packed.size()));
    Put32(header + 12, kCompressed);
    // The header (its checksum zero) is summed first, then the data.
    const std::uint32_t headerSum = orvo::dwg::PageChecksum(0, header, sizeof header);
    Put32(header + 16, orvo::dwg::PageChecksum(headerSum, packed.data(), packed.size()));
    AppendBytes(out, header, sizeof header);
    AppendBytes(out, packed.data(), packed.size());
    Pad(out);
}

void DwgPagedFile::FileHeader(std::string& out, std::uint32_t lastPage, std::uint32_t pageCount,
                              std::uint32_t pageMapId, std::uint64_t pageMapAddress, std::uint32_t sectionMapId,
                              std::uint64_t secondHeader) const
{
    std::uint8_t* plain = reinterpret_cast<std::uint8_t*>(&out[0]);
    std::memcpy(plain, "AC1018", 6);
    plain[0x0C] = 3;
    plain[0x11] = 0x19; // the writing application's release
    plain[0x13] = static_cast<std::uint8_t>(m_codePageIndex & 0xFF);
    plain[0x14] = static_cast<std::uint8_t>(m_codePageIndex >> 8);
    Put32(plain + 0x28, 0x80);

    std::uint8_t h[kEncryptedSize] = {};
    std::memcpy(h, "AcFssFcAJMB", 12);
    Put32(h + 0x10, static_cast<std::uint32_t>(kEncryptedSize));
    Put32(h + 0x14, 4);
    Put32(h + 0x24, 1);
    Put32(h + 0x28, lastPage);
    Put64(h + 0x2C, secondHeader - kPageBase); // the end of the last page
    Put64(h + 0x34, secondHeader);
    Put32(h + 0x40, pageCount);
    Put32(h + 0x44, 0x20);
    Put32(h + 0x48, 0x80);
    Put32(h + 0x4C, 0x40);
    Put32(h + 0x50, pageMapId);
    Put64(h + 0x54, pageMapAddress - kPageBase);
    Put32(h + 0x5C, sectionMapId);
    Put32(h + 0x60, pageCount);
    Put32(h + 0x68, Crc32(h, sizeof h));
    // Stored enciphered with the bytes of a fixed pseudo-random sequence.
    std::uint32_t seed = 1;
    for (std::size_t i = 0; i < kEncryptedSize; ++i) {
        seed = seed * 0x343FD + 0x269EC3;
        plain[kEncryptedAt + i] = static_cast<std::uint8_t>(h[i] ^ (seed >> 16));
    }
}

bool DwgPagedFile::Compose(std::size_t limit, std::string& out) const
{
    std::vector<PagePlan> plan = Plan();
    out.assign(kPageBase, '\0');
    std::vector<Page> pages;
    for (PagePlan& page : plan) {
        const std::uint8_t* data = m_sections[page.section].data.data() + page.start;
        const std::vector<std::uint8_t> packed = Compress2004(data, page.size);
        if (out.size() + packed.size() + kDataHeaderSize > limit)
            return false;
        page.compressedSize = static_cast<std::uint32_t>(packed.size());
        const std::uint64_t address = out.size();
        // Type, section, compressed size, the page's size in the file, its place in the section
        // (64 bits), the header's checksum (taken with it zero and the data's as seed), the
        // data's checksum.
        const std::size_t onDisk = (kDataHeaderSize + packed.size() + 0x1F) & ~std::size_t(0x1F);
        std::uint32_t fields[8] = {kDataPageType,
                                   SectionId(m_sections[page.section].name),
                                   page.compressedSize,
                                   static_cast<std::uint32_t>(onDisk),
                                   static_cast<std::uint32_t>(page.start),
                                   static_cast<std::uint32_t>(page.start >> 32),
                                   0,
                                   orvo::dwg::PageChecksum(0, packed.data(), packed.size())};
        std::uint8_t header[kDataHeaderSize];
        for (int i = 0; i < 8; ++i)
            Put32(header + 4 * i, fields[i]);
        fields[6] = orvo::dwg::PageChecksum(fields[7], header, sizeof header);
        // The header is masked with its own address.
        const std::uint32_t mask = kDataPageMask ^ static_cast<std::uint32_t>(address);
        for (int i = 0; i < 8; ++i)
            Put32(header + 4 * i, fields[i] ^ mask);
        AppendBytes(out, header, sizeof header);
        AppendBytes(out, packed.data(), packed.size());
        Pad(out);
        pages.push_back(Page{page.number, address, static_cast<std::uint32_t>(out.size() - address)});
    }
    const std::uint32_t sectionMapId = static_cast<std::uint32_t>(plan.size() + 1);
    const std::uint32_t pageMapId = sectionMapId + 1;
    const std::uint64_t sectionMapAt = out.size();
    SystemPage(kSectionMapType, SectionMap(plan), out);
    pages.push_back(Page{sectionMapId, sectionMapAt, static_cast<std::uint32_t>(out.size() - sectionMapAt)});

    // The page map lists itself: its size is known once its entries are (their values do not
    // change the size of a literal run).
    const std::uint64_t pageMapAt = out.size();
    pages.push_back(Page{pageMapId, pageMapAt, 0});
    std::vector<std::uint8_t> entries;
    for (int pass = 0; pass < 2; ++pass) {
        entries.clear();
        for (const Page& page : pages) {
            Append32(entries, page.number);
            Append32(entries, page.size);
        }
        std::string probe;
        SystemPage(kPageMapType, entries, probe);
        pages.back().size = static_cast<std::uint32_t>(probe.size());
    }
    SystemPage(kPageMapType, entries, out);
    const std::uint64_t secondHeader = out.size();
    out.append(kPageBase - kEncryptedAt, '\0');
    FileHeader(out, pageMapId, static_cast<std::uint32_t>(pages.size()), pageMapId, pageMapAt, sectionMapId,
               secondHeader);
    std::memcpy(&out[secondHeader], &out[kEncryptedAt], kPageBase - kEncryptedAt);
    return out.size() <= limit;
}

} // namespace RkWrite
