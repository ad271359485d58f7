// libFuzzer target of the record walk made before the system plays a metafile: the first byte of
// an input picks a Windows metafile (even) or an enhanced one (odd), the rest is the file. The
// walk must stay inside the bytes it is given, every refusal must name its fault, and a metafile
// it takes (with the fields it sets) must be taken again unchanged.
#include "imaging/MetafileCheck.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

void Put16(Bytes& b, uint32_t v)
{
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}

void Put32s(Bytes& b, std::initializer_list<uint32_t> values)
{
    for (uint32_t v : values) {
        Put16(b, v & 0xFFFF);
        Put16(b, v >> 16);
    }
}

void Set32(Bytes& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = uint8_t(v >> (8 * i));
}

// An enhanced metafile of a pen, a line, a bitmap with a short colour table, region fills of a
// stock and of a made brush, a clip region, text and a restore.
Bytes EnhancedSeed()
{
    Bytes b;
    Put32s(b, {1, 108, 0, 0, 99, 49, 0, 0, 2646, 1323, 0x464D4520, 0x10000, 0, 0, 3, 0, 0, 0,
               1024, 768, 320, 240, 0, 0, 0, 320000, 240000});
    Put32s(b, {95, 56, 1, 56, 0, 56, 0, 0x10000, 3, 0, 0x808080, 0, 0, 0}); // pen
    Put32s(b, {37, 12, 1});
    Put32s(b, {87, 36, 0, 0, 10, 10, 2, 0, 0x000A000A});                      // line
    Put32s(b, {81, 132, 0, 0, 99, 49, 0, 0, 0, 0, 2, 1, 80, 48, 128, 4, 0, 0x00CC0020, 100, 50,
               40, 2, 1, 1 | (8u << 16), 0, 0, 0, 0, 0, 0, 0xFF0000, 0x0000FF, 0x0100});
    const std::initializer_list<uint32_t> region = {32, 1, 1, 16, 0, 0, 10, 10, 0, 0, 10, 10};
    Put32s(b, {71, 80, 0, 0, 10, 10, 48, 0x80000002});                          // stock brush
    Put32s(b, region);
    Put32s(b, {39, 24, 2, 0, 0x00FF00, 0});                                     // brush
    Put32s(b, {71, 80, 0, 0, 10, 10, 48, 2});
    Put32s(b, region);
    Put32s(b, {75, 64, 48, 5});                                                  // clip
    Put32s(b, region);
    Put32s(b, {84, 88, 0, 0, 10, 10, 1, 0, 0, 0, 0, 2, 76, 0, 0, 0, 0, 0, 80, 0x00620061, 8, 8});
    Put32s(b, {34, 12, 0xFFFFFFFF});                                             // restore
    Put32s(b, {14, 20, 0, 16, 20});
    Set32(b, 48, uint32_t(b.size()));
    Set32(b, 52, 12);
    return b;
}

// A Windows metafile of an old blit, a pattern brush of an old bitmap, a region, a DIB with a
// short colour table, a polygon and a selection.
Bytes WindowsSeed()
{
    const std::vector<std::vector<uint16_t>> records = {
        {0x0922, 0x0020, 0x00CC, 0, 0, 2, 16, 0, 0, 0, 16, 2, 4, 0x0101, 0xFFFF, 0x0F0F},
        {0x0142, 3, 0, 0, 8, 2, 2, 0x0101, 0x00FF, 0xFF00},
        {0x06FF, 0, 6, 0, 0, 34, 1, 4, 0, 0, 10, 10, 2, 0, 10, 0, 10, 2},
        {0x0F43, 0x0020, 0x00CC, 0, 1, 2, 0, 0, 1, 2, 0, 0, 40, 0, 2, 0, 1, 0, 1, 8, 0, 0, 0, 0,
         0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0, 0x0100, 0},
        {0x0324, 3, 0, 0, 10, 0, 0, 10},
        {0x012D, 0},
    };
    Bytes b;
    for (uint32_t v : {1u, 9u, 0x300u, 0u, 0u, 2u, 0u, 0u, 0u})
        Put16(b, v);
    for (const auto& r : records) {
        Put16(b, uint32_t(r.size() + 2));
        Put16(b, 0);
        for (uint16_t w : r)
            Put16(b, w);
    }
    for (uint32_t v : {3u, 0u, 0u})
        Put16(b, v);
    Set32(b, 6, uint32_t(b.size() / 2));
    return b;
}

void WriteSeed(const std::string& folder, const std::string& name, uint8_t selector, const Bytes& bits)
{
    std::ofstream out(folder + "/" + name, std::ios::binary);
    out.put(char(selector));
    out.write(reinterpret_cast<const char*>(bits.data()), std::streamsize(bits.size()));
}

bool Fits(bool enhanced, Bytes& bits, std::string* why)
{
    return enhanced ? MetafileCheck::EnhancedRecordsFit(bits, why) : MetafileCheck::WindowsRecordsFit(bits, why);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    if (const char* folder = std::getenv("ORVO_FUZZ_MAKE_SEEDS")) {
        WriteSeed(folder, "windows.bin", 0, WindowsSeed());
        WriteSeed(folder, "enhanced.bin", 1, EnhancedSeed());
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const bool enhanced = data[0] & 1;
    Bytes bits(data + 1, data + size);
    std::string why;
    if (!Fits(enhanced, bits, &why)) {
        if (why.empty())
            std::abort(); // a refusal names its fault
        return 0;
    }
    const Bytes mended = bits;
    if (!Fits(enhanced, bits, &why) || bits != mended)
        std::abort(); // what was taken is taken again as it stands
    return 0;
}
