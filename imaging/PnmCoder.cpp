#include "imaging/PnmCoder.h"

#include "imaging/ByteCursor.h"
#include "imaging/CRasterFile.h"

#include <cstdio>
#include <cctype>
#include <cstring>

namespace {

int BitsFor(uint32_t maxValue)
{
    int bits = 1;
    while (bits < 32 && (uint64_t(1) << bits) - 1 < maxValue)
        ++bits;
    return bits;
}

// Text samples (P1 to P3): numbers separated by white space; P1's digits may touch.
bool ReadText(ByteCursor& in, JasPicture& picture, bool bitmap)
{
    const size_t count = picture.components.size();
    const size_t pixels = picture.components[0].samples.size();
    for (size_t i = 0; i < pixels; ++i)
        for (size_t c = 0; c < count; ++c) {
            uint32_t v = 0;
            if (bitmap) {
                in.SkipSpace(true);
                char digit;
                if (!in.Accept("01", digit))
                    return false;
                v = digit == '1' ? 0 : 1; // 1 is black
            } else if (!in.Number(v, true)) {
                return false;
            }
            const uint32_t max = picture.components[c].maxValue;
            picture.components[c].samples[i] = int32_t(v > max ? max : v);
        }
    return true;
}

bool ReadBinary(ByteCursor& in, JasPicture& picture, bool bitmap)
{
    const size_t count = picture.components.size();
    const JasComponent& first = picture.components[0];
    if (bitmap) {
        const size_t rowBytes = (size_t(first.width) + 7) / 8;
        if (uint64_t(rowBytes) * first.height > in.Left())
            return false;
        for (uint32_t y = 0; y < first.height; ++y) {
            const uint8_t* row = in.Here() + rowBytes * y;
            for (uint32_t x = 0; x < first.width; ++x)
                picture.components[0].samples[size_t(y) * first.width + x] =
                    (row[x / 8] & (0x80 >> (x % 8))) ? 0 : 1;
        }
        return true;
    }
    const size_t bytes = first.maxValue > 255 ? 2 : 1;
    const uint64_t needed = uint64_t(first.samples.size()) * count * bytes;
    if (needed > in.Left())
        return false;
    const uint8_t* p = in.Here();
    for (size_t i = 0; i < first.samples.size(); ++i)
        for (size_t c = 0; c < count; ++c, p += bytes) {
            const uint32_t v = bytes == 2 ? uint32_t((p[0] << 8) | p[1]) : p[0];
            const uint32_t max = picture.components[c].maxValue;
            picture.components[c].samples[i] = int32_t(v > max ? max : v);
        }
    return true;
}

} // namespace

namespace PnmCoder {

bool Read(ByteCursor& in, JasPicture& picture)
{
    uint8_t p, kind;
    if (!in.Byte(p) || !in.Byte(kind) || p != 'P' || kind < '1' || kind > '6')
        return false;
    const bool bitmap = kind == '1' || kind == '4';
    const bool colour = kind == '3' || kind == '6';
    const bool text = kind <= '3';
    uint32_t width, height, maxValue = 1;
    if (!in.Number(width, true) || !in.Number(height, true)
        || (!bitmap && (!in.Number(maxValue, true) || maxValue == 0 || maxValue > 65535)))
        return false;
    // Exactly one white-space character separates the header from binary samples.
    uint8_t separator;
    if (!text && (!in.Byte(separator) || !isspace(separator)))
        return false;
    // Every sample takes at least one byte (a bitmap's binary row one bit): a header cannot
    // make us size buffers the file cannot fill.
    const uint64_t samples = uint64_t(width) * height * (colour ? 3 : 1);
    const uint64_t minimum = bitmap && !text ? (uint64_t(width) + 7) / 8 * height
                                             : samples * (!text && maxValue > 255 ? 2 : 1);
    if (minimum > in.Left())
        return false;
    picture.components.clear();
    if (!picture.AddComponents(colour ? 3 : 1, width, height, BitsFor(maxValue), maxValue))
        return false;
    return text ? ReadText(in, picture, bitmap) : ReadBinary(in, picture, bitmap);
}

bool Write(CRasterFile& file, const JasPicture& picture)
{
    const size_t count = picture.components.size();
    if (count != 1 && count != 3)
        return false;
    const JasComponent& first = picture.components[0];
    char header[64];
    snprintf(header, sizeof(header), "P%c\n%u %u\n255\n", count == 3 ? '6' : '5', first.width,
             first.height);
    const size_t headerLength = strlen(header);
    if (file.Write(header, 1, headerLength) != headerLength)
        return false;
    std::vector<uint8_t> row(size_t(first.width) * count);
    for (uint32_t y = 0; y < first.height; ++y) {
        for (uint32_t x = 0; x < first.width; ++x)
            for (size_t c = 0; c < count; ++c)
                row[x * count + c] = uint8_t(picture.components[c].At(x, y));
        if (file.Write(row.data(), 1, row.size()) != row.size())
            return false;
    }
    return true;
}

} // namespace PnmCoder
