#include "engine/db/OleObjectData.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace RkDb {

namespace {

constexpr std::size_t kCornersAt = 2;
constexpr std::uint32_t kEnd = 0xFFFFFFFA;            // chain ends and free sectors are above
constexpr unsigned char kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
constexpr std::uint32_t kFormatMetafile = 3, kFormatDib = 8, kFormatEnhanced = 14;

std::uint32_t U32(std::string_view d, std::size_t at)
{
    if (at > d.size() || d.size() - at < 4)
        return 0;
    const auto* p = reinterpret_cast<const unsigned char*>(d.data() + at);
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::uint16_t U16(std::string_view d, std::size_t at)
{
    return static_cast<std::uint16_t>(U32(d, at) & 0xFFFF);
}

double F64(std::string_view d, std::size_t at)
{
    double v = 0.0;
    std::memcpy(&v, d.data() + at, sizeof v);
    return v;
}

// A compound file ("structured storage") read just far enough to give a stream by name.
class CompoundFile
{
public:
    explicit CompoundFile(std::string_view file) : m_file(file) {}
    bool Open();
    // The named stream of the root storage, or "" (at most maxBytes).
    std::string Stream(std::u16string_view name, std::size_t maxBytes) const;

private:
    std::string_view Sector(std::uint32_t index) const;
    std::string Chain(std::uint32_t first, std::size_t size) const;
    std::string MiniChain(std::uint32_t first, std::size_t size) const;

    std::string_view m_file;
    std::size_t m_sector = 512;
    std::uint32_t m_cutoff = 4096;
    std::vector<std::uint32_t> m_fat, m_miniFat;
    std::string m_directory, m_miniStream;
};

bool CompoundFile::Open()
{
    if (m_file.size() < 512 || std::memcmp(m_file.data(), kSignature, 8) != 0)
        return false;
    const std::uint16_t shift = U16(m_file, 30);
    if (shift != 9 && shift != 12)
        return false;
    m_sector = std::size_t{1} << shift;
    m_cutoff = U32(m_file, 56);
    const std::uint32_t fatSectors = U32(m_file, 44);
    if (fatSectors > 109 || fatSectors > m_file.size() / m_sector)
        return false;     // a file that needs more than the header's list is larger than any frame's
    for (std::uint32_t i = 0; i < fatSectors; ++i) {
        const std::string_view sector = Sector(U32(m_file, 76 + 4 * i));
        if (sector.empty())
            return false;
        for (std::size_t k = 0; k + 4 <= sector.size(); k += 4)
            m_fat.push_back(U32(sector, k));
    }
    m_directory = Chain(U32(m_file, 48), m_file.size());
    if (m_directory.size() < 128)
        return false;
    const std::string miniFat = Chain(U32(m_file, 60), m_file.size());
    for (std::size_t k = 0; k + 4 <= miniFat.size(); k += 4)
        m_miniFat.push_back(U32(miniFat, k));
    // The root entry's stream is the mini stream.
    m_miniStream = Chain(U32(m_directory, 116), U32(m_directory, 120));
    return true;
}

std::string_view CompoundFile::Sector(std::uint32_t index) const
{
    const std::size_t at = (static_cast<std::size_t>(index) + 1) * m_sector;
    if (index >= kEnd || at > m_file.size() || m_file.size() - at < m_sector)
        return {};
    return m_file.substr(at, m_sector);
}

// Each sector at most once: a chain that loops ends there.
std::string CompoundFile::Chain(std::uint32_t first, std::size_t size) const
{
    std::string out;
    std::vector<bool> seen(m_fat.size(), false);
    for (std::uint32_t s = first; s < m_fat.size() && !seen[s] && out.size() < size; s = m_fat[s]) {
        seen[s] = true;
        const std::string_view sector = Sector(s);
        if (sector.empty())
            break;
        out.append(sector);
    }
    if (out.size() > size)
        out.resize(size);
    return out;
}

std::string CompoundFile::MiniChain(std::uint32_t first, std::size_t size) const
{
    constexpr std::size_t kMini = 64;
    std::string out;
    std::vector<bool> seen(m_miniFat.size(), false);
    for (std::uint32_t s = first; s < m_miniFat.size() && !seen[s] && out.size() < size; s = m_miniFat[s]) {
        seen[s] = true;
        const std::size_t at = static_cast<std::size_t>(s) * kMini;
        if (at + kMini > m_miniStream.size())
            break;
        out.append(m_miniStream, at, kMini);
    }
    if (out.size() > size)
        out.resize(size);
    return out;
}

std::string CompoundFile::Stream(std::u16string_view name, std::size_t maxBytes) const
{
    for (std::size_t at = 0; at + 128 <= m_directory.size(); at += 128) {
        const std::string_view entry(m_directory.data() + at, 128);
        const std::uint16_t length = U16(entry, 64);
        if (entry[66] != 2 || length < 2 || length > 64 || static_cast<std::size_t>(length - 2) / 2 != name.size())
            continue;
        bool same = true;
        for (std::size_t i = 0; i < name.size() && same; ++i)
            same = U16(entry, 2 * i) == name[i];
        if (!same)
            continue;
        const std::size_t size = U32(entry, 120);
        if (size > maxBytes || size > m_file.size())
            return {};
        return size < m_cutoff ? MiniChain(U32(entry, 116), size) : Chain(U32(entry, 116), size);
    }
    return {};
}

bool IsEnhancedMetafile(std::string_view d)
{
    return U32(d, 0) == 1 && d.size() > 44 && d.substr(40, 4) == " EMF";
}

// A packed DIB (header, colours, bits) as a BMP file.
std::string BmpOfDib(std::string_view dib)
{
    const std::uint32_t header = U32(dib, 0);
    if (header != 40 && header != 108 && header != 124)
        return {};
    const std::uint16_t bits = U16(dib, 14);
    std::uint32_t colours = U32(dib, 32);
    if (colours == 0 && bits <= 8)
        colours = 1u << bits;
    const std::uint32_t masks = U32(dib, 16) == 3 && header == 40 ? 12 : 0;     // BI_BITFIELDS
    const std::size_t offset = 14 + header + masks + 4 * static_cast<std::size_t>(colours);
    if (offset > 14 + dib.size())
        return {};
    std::string bmp(14, '\0');
    const std::size_t total = 14 + dib.size();
    bmp[0] = 'B';
    bmp[1] = 'M';
    for (int i = 0; i < 4; ++i) {
        bmp[2 + i] = static_cast<char>((total >> (8 * i)) & 0xFF);
        bmp[10 + i] = static_cast<char>((offset >> (8 * i)) & 0xFF);
    }
    bmp.append(dib);
    return bmp;
}

// A Windows metafile (its header and records) as a placeable metafile file: its bounds from its
// first window origin and extent records (else the presentation's size), at a resolution that
// makes about a thousand pixels of its longer side.
std::string PlaceableOfMetafile(std::string_view wmf, std::uint32_t width, std::uint32_t height)
{
    constexpr std::size_t kHeader = 18;
    if (wmf.size() < kHeader || (U16(wmf, 0) != 1 && U16(wmf, 0) != 2))
        return {};
    long left = 0, top = 0, wide = static_cast<long>(width), high = static_cast<long>(height);
    bool origin = false, extent = false;
    for (std::size_t at = kHeader; at + 6 <= wmf.size() && !(origin && extent);) {
        const std::uint64_t words = U32(wmf, at);
        const std::uint16_t function = U16(wmf, at + 4);
        if (words < 3 || words * 2 > wmf.size() - at || function == 0)
            break;
        const auto param = [&](int i) { return static_cast<long>(static_cast<std::int16_t>(U16(wmf, at + 6 + 2 * i))); };
        if (function == 0x020B && words >= 5 && !origin) {
            top = param(0);
            left = param(1);
            origin = true;
        } else if (function == 0x020C && words >= 5 && !extent) {
            high = param(0);
            wide = param(1);
            extent = true;
        }
        at += static_cast<std::size_t>(words) * 2;
    }
    const long right = left + wide, bottom = top + high;
    const auto fits = [](long v) { return v >= -32768 && v <= 32767; };
    if (wide == 0 || high == 0 || !fits(left) || !fits(top) || !fits(right) || !fits(bottom))
        return {};
    const long longer = std::max(std::labs(wide), std::labs(high));
    const long inch = std::clamp(longer * 96 / 1024, 1L, 2540L);
    std::string header(22, '\0');
    const auto put16 = [&header](std::size_t at, long v) {
        header[at] = static_cast<char>(v & 0xFF);
        header[at + 1] = static_cast<char>((v >> 8) & 0xFF);
    };
    put16(0, 0xCDD7);
    put16(2, 0x9AC6);
    put16(6, std::min(left, right));
    put16(8, std::min(top, bottom));
    put16(10, std::max(left, right));
    put16(12, std::max(top, bottom));
    put16(14, inch);
    std::uint16_t sum = 0;
    for (std::size_t i = 0; i < 20; i += 2)
        sum ^= U16(header, i);
    put16(20, sum);
    return header + std::string(wmf);
}

} // namespace

bool OleObjectData::Corners(std::string_view data, Vec3 (&corners)[4])
{
    if (data.size() < kCornersAt + 4 * 3 * sizeof(double))
        return false;
    for (int i = 0; i < 4; ++i) {
        const std::size_t at = kCornersAt + static_cast<std::size_t>(i) * 24;
        corners[i] = {F64(data, at), F64(data, at + 8), F64(data, at + 16)};
        if (!std::isfinite(corners[i].x) || !std::isfinite(corners[i].y) || !std::isfinite(corners[i].z))
            return false;
    }
    return true;
}

std::string OleObjectData::Picture(std::string_view data, std::size_t maxBytes)
{
    // The compound file follows its header within the first few hundred bytes.
    const std::size_t head = std::min<std::size_t>(data.size(), 1024);
    const std::string_view signature(reinterpret_cast<const char*>(kSignature), 8);
    const std::size_t at = data.substr(0, head).find(signature);
    if (at == std::string_view::npos)
        return {};
    CompoundFile file(data.substr(at));
    if (!file.Open())
        return {};
    std::string picture = PictureOfStream(file.Stream(u"CONTENTS", maxBytes), false);
    if (picture.empty())
        picture = PictureOfStream(file.Stream(u"\u0002OlePres000", maxBytes), true);
    return picture;
}

// A static picture's contents (a BMP file, an enhanced metafile after its header's size, or a
// packed DIB), or a presentation: its clipboard format, target device, aspect, index, advice,
// reserved, width, height and size, then the data.
std::string OleObjectData::PictureOfStream(std::string_view stream, bool presentation)
{
    if (stream.size() < 8)
        return {};
    if (!presentation) {
        if (stream.substr(0, 2) == "BM")
            return std::string(stream);
        if (IsEnhancedMetafile(stream))
            return std::string(stream);
        if (IsEnhancedMetafile(stream.substr(4)))
            return std::string(stream.substr(4));
        return BmpOfDib(stream);
    }
    const std::uint32_t marker = U32(stream, 0);
    if (marker != 0xFFFFFFFF && marker != 0xFFFFFFFE)
        return {};     // a named clipboard format: not a picture the program knows
    const std::uint32_t format = U32(stream, 4);
    const std::uint32_t device = U32(stream, 8);
    if (device < 4 || device > stream.size())
        return {};
    const std::size_t header = 8 + device + 7 * 4;
    if (header > stream.size())
        return {};
    const std::uint32_t size = U32(stream, header - 4);
    if (size > stream.size() - header)
        return {};
    const std::string_view body = stream.substr(header, size);
    if (format == kFormatDib)
        return BmpOfDib(body);
    if (format == kFormatMetafile)
        return PlaceableOfMetafile(body, U32(stream, header - 12), U32(stream, header - 8));
    if (format == kFormatEnhanced && IsEnhancedMetafile(body))
        return std::string(body);
    return {};
}

} // namespace RkDb
