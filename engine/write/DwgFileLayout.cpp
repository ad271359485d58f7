#include "engine/write/DwgFileLayout.h"

#include "engine/db/DwgVersion.h"
#include "engine/dwg/DwgChecksum.h"
#include "engine/write/DwgBitWriter.h"
#include "engine/write/DwgPagedFile.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace RkWrite {

using RkDb::DwgVersion;

namespace {

constexpr std::uint8_t kHeaderStart[16] = {0xCF, 0x7B, 0x1F, 0x23, 0xFD, 0xDE, 0x38, 0xA9,
                                           0x5F, 0x7C, 0x68, 0xB8, 0x4E, 0x6D, 0x33, 0x5F};
constexpr std::uint8_t kHeaderEnd[16] = {0x30, 0x84, 0xE0, 0xDC, 0x02, 0x21, 0xC7, 0x56,
                                         0xA0, 0x83, 0x97, 0x47, 0xB1, 0x92, 0xCC, 0xA0};
constexpr std::uint8_t kClassesStart[16] = {0x8D, 0xA1, 0xC4, 0xB8, 0xC4, 0xA9, 0xF8, 0xC5,
                                            0xC0, 0xDC, 0xF4, 0x5F, 0xE7, 0xCF, 0xB6, 0x8A};
constexpr std::uint8_t kClassesEnd[16] = {0x72, 0x5E, 0x3B, 0x47, 0x3B, 0x56, 0x07, 0x3A,
                                          0x3F, 0x23, 0x0B, 0xA0, 0x18, 0x30, 0x49, 0x75};
constexpr std::uint8_t kFileHeaderEnd[16] = {0x95, 0xA0, 0x4E, 0x28, 0x99, 0x82, 0x1A, 0xE5,
                                             0x5E, 0x41, 0xE0, 0x5F, 0x9D, 0x3A, 0x4D, 0x00};
constexpr std::uint8_t kSecondStart[16] = {0xD4, 0x7B, 0x21, 0xCE, 0x28, 0x93, 0x9F, 0xBF,
                                           0x53, 0x24, 0x40, 0x09, 0x12, 0x3C, 0xAA, 0x01};
constexpr std::uint8_t kSecondEnd[16] = {0x2B, 0x84, 0xDE, 0x31, 0xD7, 0x6C, 0x60, 0x40,
                                         0xAC, 0xDB, 0xBF, 0xF6, 0xED, 0xC3, 0x55, 0xFE};

constexpr std::uint32_t kLocators = 5;
// The file header's CRC is XORed with a constant for its count of five locators.
constexpr std::uint16_t kLocatorMask = 0x3CC4;
constexpr std::size_t kLocatorTable = 0x15;
constexpr std::size_t kObjectsStart = kLocatorTable + 4 + kLocators * 9 + 2 + 16;
// A map page holds at most this many bytes of entries.
constexpr std::size_t kMapPageBytes = 2030;

void PutLong(std::string& out, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out[at + i] = static_cast<char>(value >> (8 * i));
}

void AppendLong(std::string& out, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>(value >> (8 * i)));
}

void AppendBytes(std::string& out, const std::uint8_t* data, std::size_t size)
{
    out.append(reinterpret_cast<const char*>(data), size);
}

std::uint16_t Crc(std::uint16_t seed, const std::string& out, std::size_t from)
{
    return orvo::dwg::Crc16(seed, reinterpret_cast<const std::uint8_t*>(out.data()) + from, out.size() - from);
}

} // namespace

DwgFileLayout::DwgFileLayout(DwgVersion version, std::uint16_t codePageIndex)
    : m_version(version), m_codePageIndex(codePageIndex)
{
}

void DwgFileLayout::AddClass(std::uint16_t number, const std::string& cppName, const std::string& dxfName,
                             bool isEntity)
{
    m_classes.push_back(Class{number, cppName, dxfName, isEntity});
}

std::vector<std::uint8_t> DwgFileLayout::Classes() const
{
    DwgBitWriter d(m_version);
    const bool r2004 = m_version >= DwgVersion::R2004;
    if (r2004) {
        std::uint16_t highest = 499;
        for (const Class& c : m_classes)
            highest = std::max(highest, c.number);
        d.BS(highest);
        d.RC(0);
        d.RC(0);
        d.B(true);
    }
    for (const Class& c : m_classes) {
        d.BS(c.number);
        d.BS(0); // proxy flags
        d.TV("ObjectDBX Classes");
        d.TV(c.cppName);
        d.TV(c.dxfName);
        d.B(false);
        d.BS(c.isEntity ? 0x1F2 : 0x1F3);
        if (r2004) {
            d.BL(0);    // instances
            d.BL(25);   // the release and maintenance release that made the class
            d.BL(0);
            d.BL(0);
            d.BL(0);
        }
    }
    return d.Bytes();
}

void DwgFileLayout::Section(const std::uint8_t* start, const std::uint8_t* end, const std::vector<std::uint8_t>& data,
                            std::string& out)
{
    AppendBytes(out, start, 16);
    const std::size_t from = out.size();
    AppendLong(out, static_cast<std::uint32_t>(data.size()));
    AppendBytes(out, data.data(), data.size());
    const std::uint16_t crc = Crc(0xC0C1, out, from);
    out.push_back(static_cast<char>(crc & 0xFF));
    out.push_back(static_cast<char>(crc >> 8));
    AppendBytes(out, end, 16);
}

std::string DwgFileLayout::ObjectMap(const std::vector<std::pair<std::uint64_t, std::uint64_t>>& offsets)
{
    std::string map = ObjectMapPages(offsets);
    // Readers bound the handles a map may hold by its size in bytes (a page that starts past
    // that reads as damage). A drawing that keeps the widely spread handles of its source, with
    // few of its objects left, gets zero bytes after the map's closing page, where every reader
    // stops.
    const std::uint64_t highest = offsets.empty() ? 0 : offsets.back().first;
    constexpr std::uint64_t kMostPadding = std::uint64_t(1) << 24;
    const std::uint64_t wanted = highest + 1;
    if (wanted > map.size() && wanted - map.size() <= kMostPadding)
        map.append(static_cast<std::size_t>(wanted - map.size()), '\0');
    return map;
}

std::string DwgFileLayout::ObjectMapPages(const std::vector<std::pair<std::uint64_t, std::uint64_t>>& offsets)
{
    std::string map;
    std::size_t i = 0;
    // Pages of handle and offset steps, each starting again from zero; an empty page ends.
    while (true) {
        DwgBitWriter page;
        std::uint64_t handle = 0, offset = 0;
        while (i < offsets.size() && page.Bytes().size() < kMapPageBytes) {
            page.UMC(offsets[i].first - handle);
            page.MC(static_cast<std::int64_t>(offsets[i].second) - static_cast<std::int64_t>(offset));
            handle = offsets[i].first;
            offset = offsets[i].second;
            ++i;
        }
        const std::size_t size = page.Bytes().size() + 2;
        const std::size_t from = map.size();
        map.push_back(static_cast<char>(size >> 8));
        map.push_back(static_cast<char>(size & 0xFF));
        AppendBytes(map, page.Bytes().data(), page.Bytes().size());
        const std::uint16_t crc = Crc(0xC0C1, map, from);
        map.push_back(static_cast<char>(crc >> 8));
        map.push_back(static_cast<char>(crc & 0xFF));
        if (size == 2)
            return map;
    }
}

std::vector<std::uint8_t> DwgFileLayout::Framed(const std::uint8_t* start, const std::uint8_t* end,
                                                 const std::vector<std::uint8_t>& data) const
{
    std::string framed;
    Section(start, end, data, framed);
    return std::vector<std::uint8_t>(framed.begin(), framed.end());
}

bool DwgFileLayout::ComposePaged(const std::vector<Object>& objects, std::size_t limit, std::string& out) const
{
    // The objects section starts with a fixed long; the map's offsets count from its start.
    std::vector<std::uint8_t> data{0xCA, 0x0D, 0x00, 0x00};
    std::vector<std::pair<std::uint64_t, std::uint64_t>> offsets;
    offsets.reserve(objects.size());
    for (const Object& object : objects) {
        if (data.size() + object.bytes->size() > limit)
            return false;
        offsets.emplace_back(object.handle, data.size());
        data.insert(data.end(), object.bytes->begin(), object.bytes->end());
    }
    std::sort(offsets.begin(), offsets.end());
    const std::string map = ObjectMap(offsets);
    DwgPagedFile file(m_codePageIndex);
    file.AddSection("AcDb:Header", Framed(kHeaderStart, kHeaderEnd, m_variables));
    file.AddSection("AcDb:AuxHeader", AuxHeader());
    file.AddSection("AcDb:Classes", Framed(kClassesStart, kClassesEnd, Classes()));
    file.AddSection("AcDb:Handles", std::vector<std::uint8_t>(map.begin(), map.end()));
    file.AddSection("AcDb:AcDbObjects", std::move(data));
    const std::array<std::uint8_t, 4> templ = Template();
    file.AddSection("AcDb:Template", std::vector<std::uint8_t>(templ.begin(), templ.end()));
    return file.Compose(limit, out);
}

std::vector<std::uint8_t> DwgFileLayout::AuxHeader() const
{
    // Raw values: the release that wrote the file, save counts, dates (none kept), the seed.
    std::vector<std::uint8_t> a{0xFF, 0x88, 0x01};
    const auto rs = [&a](std::uint16_t v) {
        a.push_back(static_cast<std::uint8_t>(v & 0xFF));
        a.push_back(static_cast<std::uint8_t>(v >> 8));
    };
    const auto rl = [&rs](std::uint32_t v) {
        rs(static_cast<std::uint16_t>(v & 0xFFFF));
        rs(static_cast<std::uint16_t>(v >> 16));
    };
    constexpr std::uint16_t kRelease = 0x19;
    rs(kRelease);
    rs(0);
    rl(1);          // saves
    rl(0xFFFFFFFF);
    rs(1);
    rs(0);
    rl(0);
    for (int i = 0; i < 2; ++i) {
        rs(kRelease);
        rs(0);
    }
    for (const std::uint16_t v : {5, 0x893, 5, 0x893, 0, 1})
        rs(v);
    for (int i = 0; i < 5 + 4; ++i)
        rl(0);      // five unknown longs, the creation and update dates
    rl(static_cast<std::uint32_t>(m_roots[0] < 0x7FFFFFFF ? m_roots[0] : 0xFFFFFFFF));
    rl(0);          // educational plot stamp
    rs(0);
    rs(0);
    for (int i = 0; i < 3; ++i)
        rl(0);
    rl(1);          // saves
    for (int i = 0; i < 4; ++i)
        rl(0);
    return a;
}

std::array<std::uint8_t, 4> DwgFileLayout::Template() const
{
    return {0, 0, static_cast<std::uint8_t>(m_measurement != 0 ? 1 : 0), 0};
}

void DwgFileLayout::SecondHeader(const std::uint32_t* seekers, const std::uint32_t* sizes, std::string& out) const
{
    // The second header repeats the locators and the root handles for recovery programs: a size,
    // then bit-coded fields, padded to a byte and closed by a CRC and eight spare bytes.
    const std::size_t second = out.size();
    AppendBytes(out, kSecondStart, 16);
    const std::size_t from = out.size();
    AppendLong(out, 0);
    DwgBitWriter d(m_version);
    d.BL(static_cast<std::uint32_t>(second));
    std::uint8_t version[11] = {};
    std::memcpy(version, out.data(), 6);
    d.Raw(version, sizeof version);
    d.RC(0);  // maintenance release
    d.RC(1);
    d.BS(0);  // the releases that wrote the file
    d.RS(m_codePageIndex);
    d.BS(static_cast<std::uint16_t>(kLocators));
    for (std::uint32_t i = 0; i < kLocators; ++i) {
        d.RC(static_cast<std::uint8_t>(i));
        d.BL(seekers[i]);
        d.BL(sizes[i]);
    }
    d.BS(static_cast<std::uint16_t>(m_roots.size()));
    for (std::size_t i = 0; i < m_roots.size(); ++i) {
        std::uint8_t bytes[8];
        unsigned count = 0;
        for (std::uint64_t v = m_roots[i]; v != 0 || count == 0; v >>= 8)
            bytes[count++] = static_cast<std::uint8_t>(v & 0xFF);
        d.RC(static_cast<std::uint8_t>(count));
        d.RC(static_cast<std::uint8_t>(i));
        while (count > 0)
            d.RC(bytes[--count]);
    }
    AppendBytes(out, d.Bytes().data(), d.Bytes().size());
    constexpr std::size_t kSpare = 8;
    // The size counts from itself to the closing sentinel, and the CRC covers it.
    PutLong(out, from, static_cast<std::uint32_t>(out.size() - from + 2 + kSpare));
    const std::uint16_t crc = Crc(0xC0C1, out, from);
    out.push_back(static_cast<char>(crc & 0xFF));
    out.push_back(static_cast<char>(crc >> 8));
    out.append(kSpare, '\0');
    AppendBytes(out, kSecondEnd, 16);
}

bool DwgFileLayout::Compose(std::vector<Object> objects, std::size_t limit, std::string& out) const
{
    // Objects in the order of their handles, as the map lists them: readers that walk the map
    // expect each object to follow the one before.
    std::sort(objects.begin(), objects.end(),
              [](const Object& a, const Object& b) { return a.handle < b.handle; });
    if (m_version >= DwgVersion::R2004)
        return ComposePaged(objects, limit, out);
    out.assign(kObjectsStart, '\0');
    std::memcpy(&out[0], m_version >= DwgVersion::R2000 ? "AC1015" : "AC1014", 6);
    out[0x0C] = 1;
    out[0x13] = static_cast<char>(m_codePageIndex & 0xFF);
    out[0x14] = static_cast<char>(m_codePageIndex >> 8);
    PutLong(out, kLocatorTable, kLocators);

    std::uint32_t seekers[kLocators] = {}, sizes[kLocators] = {};
    seekers[0] = static_cast<std::uint32_t>(out.size());
    Section(kHeaderStart, kHeaderEnd, m_variables, out);
    sizes[0] = static_cast<std::uint32_t>(out.size() - seekers[0]);
    seekers[1] = static_cast<std::uint32_t>(out.size());
    Section(kClassesStart, kClassesEnd, Classes(), out);
    sizes[1] = static_cast<std::uint32_t>(out.size() - seekers[1]);

    const std::size_t objectsAt = out.size();
    std::vector<std::pair<std::uint64_t, std::uint64_t>> offsets;
    offsets.reserve(objects.size());
    for (const Object& object : objects) {
        if (out.size() + object.bytes->size() > limit)
            return false;
        offsets.emplace_back(object.handle, out.size());
        AppendBytes(out, object.bytes->data(), object.bytes->size());
    }
    std::sort(offsets.begin(), offsets.end());

    seekers[2] = static_cast<std::uint32_t>(out.size());
    out += ObjectMap(offsets);
    sizes[2] = static_cast<std::uint32_t>(out.size() - seekers[2]);

    // Free space: the object count, the objects' place and the fixed table of four pairs.
    seekers[3] = static_cast<std::uint32_t>(out.size());
    AppendLong(out, 0);
    AppendLong(out, static_cast<std::uint32_t>(objects.size()));
    AppendLong(out, 0);
    AppendLong(out, 0);
    AppendLong(out, static_cast<std::uint32_t>(objectsAt));
    out.push_back(4);
    for (const std::uint32_t value : {0x32u, 0x64u, 0x200u, 0xFFFFFFFFu}) {
        AppendLong(out, value);
        AppendLong(out, 0);
    }
    sizes[3] = static_cast<std::uint32_t>(out.size() - seekers[3]);
    // The template: an empty description, then MEASUREMENT.
    seekers[4] = static_cast<std::uint32_t>(out.size());
    AppendBytes(out, Template().data(), 4);
    sizes[4] = 4;

    for (std::uint32_t i = 0; i < kLocators; ++i) {
        const std::size_t at = kLocatorTable + 4 + i * 9;
        out[at] = static_cast<char>(i);
        PutLong(out, at + 1, seekers[i]);
        PutLong(out, at + 5, sizes[i]);
    }
    const std::size_t crcAt = kLocatorTable + 4 + kLocators * 9;
    const std::uint16_t crc =
        orvo::dwg::Crc16(0, reinterpret_cast<const std::uint8_t*>(out.data()), crcAt) ^ kLocatorMask;
    out[crcAt] = static_cast<char>(crc & 0xFF);
    out[crcAt + 1] = static_cast<char>(crc >> 8);
    std::memcpy(&out[crcAt + 2], kFileHeaderEnd, sizeof kFileHeaderEnd);

    SecondHeader(seekers, sizes, out);
    return out.size() <= limit;
}

} // namespace RkWrite
