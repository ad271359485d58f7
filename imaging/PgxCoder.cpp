#include "imaging/PgxCoder.h"

#include "imaging/ByteCursor.h"
#include "imaging/CRasterFile.h"

#include <cctype>
#include <cstdio>
#include <cstring>

namespace PgxCoder {

bool Read(ByteCursor& in, JasPicture& picture)
{
    uint8_t p, g;
    if (!in.Byte(p) || !in.Byte(g) || p != 'P' || g != 'G')
        return false;
    in.SkipSpace(false);
    char first, second, sign = '+';
    if (!in.Accept("ML", first) || !in.Accept("ML", second) || first == second)
        return false;
    const bool bigEndian = first == 'M';
    in.SkipSpace(false);
    in.Accept("+-", sign);
    uint32_t precision, width, height;
    uint8_t separator;
    if (!in.Number(precision, false) || !in.Number(width, false) || !in.Number(height, false)
        || precision < 1 || precision > 16 || !in.Byte(separator) || !isspace(separator))
        return false;
    const size_t bytes = precision <= 8 ? 1 : 2;
    if (uint64_t(width) * height * bytes > in.Left())
        return false;
    picture.components.clear();
    const uint32_t maxValue = (1u << precision) - 1;
    if (!picture.AddComponents(1, width, height, int(precision), maxValue))
        return false;
    // Signed samples are moved up by half the range, so that all components are unsigned.
    const uint32_t half = 1u << (precision - 1);
    const uint8_t* s = in.Here();
    for (int32_t& sample : picture.components[0].samples) {
        uint32_t v = bytes == 1 ? s[0] : bigEndian ? uint32_t((s[0] << 8) | s[1])
                                                   : uint32_t(s[0] | (s[1] << 8));
        s += bytes;
        v &= maxValue;
        if (sign == '-')
            v = (v ^ half); // two's complement in precision bits, plus half the range
        sample = int32_t(v);
    }
    return true;
}

bool Write(CRasterFile& file, const JasPicture& picture)
{
    if (picture.components.size() != 1)
        return false;
    const JasComponent& c = picture.components[0];
    char header[64];
    snprintf(header, sizeof(header), "PG ML + 8 %u %u\n", c.width, c.height);
    const size_t length = strlen(header);
    if (file.Write(header, 1, length) != length)
        return false;
    std::vector<uint8_t> bytes(c.samples.begin(), c.samples.end());
    return file.Write(bytes.data(), 1, bytes.size()) == bytes.size();
}

} // namespace PgxCoder
