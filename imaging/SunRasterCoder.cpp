#include "imaging/SunRasterCoder.h"

#include "imaging/ByteCursor.h"
#include "imaging/CRasterFile.h"

#include <vector>

namespace {

enum : uint32_t {
    kTypeOld = 0,
    kTypeStandard = 1,
    kTypeByteEncoded = 2, // run-length: 0x80 n v is n + 1 bytes v, 0x80 0 a single 0x80
    kTypeRgb = 3, // colour bytes in red, green, blue order
    kMapNone = 0,
    kMapRgb = 1,
};

struct Header {
    uint32_t magic, width, height, depth, length, type, mapType, mapLength;
};

// Rows are padded to a whole number of 16-bit words.
uint64_t RowBytes(uint32_t width, uint32_t depth)
{
    return (uint64_t(width) * depth + 15) / 16 * 2;
}

void Put32(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v >> 24);
    p[1] = uint8_t(v >> 16);
    p[2] = uint8_t(v >> 8);
    p[3] = uint8_t(v);
}

// Colour pixels: 24 bits are blue, green, red (red first for the RGB type); 32 bits have a
// padding byte in front.
void ReadColourRow(const uint8_t* row, const Header& h, JasPicture& picture, uint32_t y)
{
    const uint32_t step = h.depth / 8;
    const uint32_t skip = step == 4 ? 1 : 0;
    const bool rgbOrder = h.type == kTypeRgb;
    for (uint32_t x = 0; x < h.width; ++x) {
        const uint8_t* p = row + size_t(x) * step + skip;
        const size_t i = size_t(y) * h.width + x;
        picture.components[0].samples[i] = rgbOrder ? p[0] : p[2];
        picture.components[1].samples[i] = p[1];
        picture.components[2].samples[i] = rgbOrder ? p[2] : p[0];
    }
}

void ReadMappedRow(const uint8_t* row, const Header& h, const uint8_t* map, uint32_t entries,
                   JasPicture& picture, uint32_t y)
{
    for (uint32_t x = 0; x < h.width; ++x) {
        const uint32_t index = row[x];
        const size_t i = size_t(y) * h.width + x;
        for (int c = 0; c < 3; ++c)
            picture.components[c].samples[i] = index < entries ? map[c * entries + index] : 0;
    }
}

void ReadGreyRow(const uint8_t* row, const Header& h, JasPicture& picture, uint32_t y)
{
    for (uint32_t x = 0; x < h.width; ++x) {
        const size_t i = size_t(y) * h.width + x;
        if (h.depth == 1)
            picture.components[0].samples[i] = (row[x / 8] & (0x80 >> (x % 8))) ? 0 : 1; // 1 is black
        else
            picture.components[0].samples[i] = row[x];
    }
}

// A run of 0x80, count, value stands for at most 256 bytes.
constexpr uint64_t kMostBytesPerRunByte = 86;

// The run-length data expanded to size bytes (what it leaves out stays 0); false when the data
// could not fill a picture of that size.
bool ExpandRuns(ByteCursor& in, uint64_t size, std::vector<uint8_t>& out)
{
    if (size > in.Left() * kMostBytesPerRunByte + 256)
        return false;
    out.assign(size_t(size), 0);
    size_t at = 0;
    uint8_t b = 0, count = 0, value = 0;
    while (at < out.size() && in.Byte(b)) {
        if (b != 0x80) {
            out[at++] = b;
            continue;
        }
        if (!in.Byte(count))
            break;
        if (count == 0) {
            out[at++] = 0x80;
            continue;
        }
        if (!in.Byte(value))
            break;
        for (size_t n = 0; n <= count && at < out.size(); ++n)
            out[at++] = value;
    }
    return true;
}

} // namespace

namespace SunRasterCoder {

bool Read(ByteCursor& in, JasPicture& picture)
{
    Header h;
    if (!in.BigEndian32(h.magic) || h.magic != kMagic || !in.BigEndian32(h.width)
        || !in.BigEndian32(h.height) || !in.BigEndian32(h.depth) || !in.BigEndian32(h.length)
        || !in.BigEndian32(h.type) || !in.BigEndian32(h.mapType) || !in.BigEndian32(h.mapLength))
        return false;
    if (h.type != kTypeOld && h.type != kTypeStandard && h.type != kTypeRgb &&
        h.type != kTypeByteEncoded)
        return false;
    if (h.depth != 1 && h.depth != 8 && h.depth != 24 && h.depth != 32)
        return false;
    const uint8_t* map = in.Here();
    if (!in.Skip(h.mapLength))
        return false;
    const uint32_t entries = h.mapType == kMapRgb && h.depth == 8 ? h.mapLength / 3 : 0;
    const uint64_t rowBytes = RowBytes(h.width, h.depth);
    std::vector<uint8_t> expanded;
    if (h.type == kTypeByteEncoded) {
        if (!ExpandRuns(in, rowBytes * h.height, expanded))
            return false;
    } else if (rowBytes * h.height > in.Left()) {
        return false;
    }
    const uint8_t* pixels = h.type == kTypeByteEncoded ? expanded.data() : in.Here();
    const bool colour = h.depth >= 24 || entries > 0;
    picture.components.clear();
    const int precision = h.depth == 1 ? 1 : 8;
    if (!picture.AddComponents(colour ? 3 : 1, h.width, h.height, precision,
                               (1u << precision) - 1))
        return false;
    for (uint32_t y = 0; y < h.height; ++y) {
        const uint8_t* row = pixels + size_t(rowBytes) * y;
        if (h.depth >= 24)
            ReadColourRow(row, h, picture, y);
        else if (entries > 0)
            ReadMappedRow(row, h, map, entries, picture, y);
        else
            ReadGreyRow(row, h, picture, y);
    }
    return true;
}

bool Write(CRasterFile& file, const JasPicture& picture)
{
    const size_t count = picture.components.size();
    if (count != 1 && count != 3)
        return false;
    const JasComponent& first = picture.components[0];
    const uint32_t depth = count == 3 ? 24 : 8;
    const uint64_t rowBytes = RowBytes(first.width, depth);
    if (rowBytes * first.height > UINT32_MAX)
        return false;
    uint8_t header[32];
    const uint32_t fields[8] = {kMagic, first.width, first.height, depth,
                                uint32_t(rowBytes * first.height), kTypeStandard, kMapNone, 0};
    for (int i = 0; i < 8; ++i)
        Put32(header + i * 4, fields[i]);
    if (file.Write(header, 1, sizeof(header)) != sizeof(header))
        return false;
    std::vector<uint8_t> row(size_t(rowBytes), 0);
    for (uint32_t y = 0; y < first.height; ++y) {
        for (uint32_t x = 0; x < first.width; ++x) {
            if (count == 1) {
                row[x] = uint8_t(first.At(x, y));
                continue;
            }
            for (size_t c = 0; c < 3; ++c)
                row[size_t(x) * 3 + 2 - c] = uint8_t(picture.components[c].At(x, y));
        }
        if (file.Write(row.data(), 1, row.size()) != row.size())
            return false;
    }
    return true;
}

} // namespace SunRasterCoder
