#include "engine/preview/StoredPreview.h"

#include <cstring>

namespace RkPreview {
namespace {

const std::uint8_t kSentinel[16] = {0x1F, 0x25, 0x6D, 0x07, 0xD4, 0x36, 0x28, 0x28,
                                    0x9D, 0x57, 0xCA, 0x3F, 0x9D, 0x44, 0x10, 0x2B};

std::uint32_t U32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

void Put32(std::string& s, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        s += static_cast<char>((v >> (8 * i)) & 0xFF);
}

} // namespace

StoredPreview::Kind StoredPreview::Find(const std::uint8_t* data, std::size_t size,
                                        std::size_t& offset, std::size_t& length)
{
    if (size < 0x11 || std::memcmp(data, "AC10", 4) != 0)
        return Kind::None;
    const std::uint64_t start = U32(data + 0x0D);
    // Sentinel, overall size (4), entry count (1).
    if (start + 21 > size || std::memcmp(data + start, kSentinel, 16) != 0)
        return Kind::None;
    const unsigned count = data[start + 20];
    std::uint64_t pos = start + 21;
    Kind found = Kind::None;
    for (unsigned i = 0; i < count; ++i, pos += 9) {
        if (pos + 9 > size)
            return Kind::None;
        const std::uint8_t code = data[pos];
        const std::uint64_t at = U32(data + pos + 1);
        const std::uint64_t len = U32(data + pos + 5);
        if (len == 0 || at + len > size)
            continue;
        // A PNG (2013 and later) is preferred over a BMP when a file has both.
        if (code == 6 || (code == 2 && found != Kind::Png)) {
            found = code == 6 ? Kind::Png : Kind::Dib;
            offset = static_cast<std::size_t>(at);
            length = static_cast<std::size_t>(len);
        }
    }
    return found;
}

std::uint64_t StoredPreview::BytesNeeded(const std::uint8_t* data, std::size_t size, std::uint64_t fileSize)
{
    if (size >= fileSize)
        return fileSize;
    if (size < 0x11)
        return fileSize;
    if (std::memcmp(data, "AC10", 4) != 0)
        return size;
    const std::uint64_t start = U32(data + 0x0D);
    if (start + 21 > size)
        return fileSize;
    if (std::memcmp(data + start, kSentinel, 16) != 0)
        return size;
    const std::uint64_t tableEnd = start + 21 + 9ull * data[start + 20];
    if (tableEnd > size)
        return fileSize;
    // Every entry Find would take on the whole file must lie within what is read.
    std::uint64_t needed = tableEnd;
    for (std::uint64_t pos = start + 21; pos < tableEnd; pos += 9) {
        const std::uint64_t at = U32(data + pos + 1);
        const std::uint64_t len = U32(data + pos + 5);
        if (len != 0 && at + len <= fileSize && at + len > needed)
            needed = at + len;
    }
    return needed;
}

std::string StoredPreview::DibToBmpFile(const std::uint8_t* dib, std::size_t size)
{
    if (size < 40)
        return {};
    const std::uint32_t headerSize = U32(dib);
    if (headerSize < 40 || headerSize > size)
        return {};
    const std::uint16_t bits = static_cast<std::uint16_t>(dib[14] | (dib[15] << 8));
    const std::uint32_t compression = U32(dib + 16);
    std::uint64_t colours = U32(dib + 32);
    if (colours == 0 && bits <= 8)
        colours = 1ull << bits;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return {};
    std::uint64_t masks = (compression == 3 && headerSize == 40) ? 12 : 0;
    const std::uint64_t offBits = 14 + headerSize + masks + colours * 4;
    if (offBits - 14 > size)
        return {};
    std::string bmp("BM");
    Put32(bmp, static_cast<std::uint32_t>(14 + size));
    Put32(bmp, 0);
    Put32(bmp, static_cast<std::uint32_t>(offBits));
    bmp.append(reinterpret_cast<const char*>(dib), size);
    return bmp;
}

} // namespace RkPreview
