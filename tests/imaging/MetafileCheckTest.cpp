// The record walk made before GDI plays a metafile: valid records it used to refuse (small and
// poly text outputs, bit fields in long bitmap headers, chains without their end record) and the
// damage it must still refuse.
#include "imaging/MetafileCheck.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>

#include <windows.h>

#include <cstdint>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// The checks on a copy: they may set fields of the records they take.
bool EnhancedFits(Bytes bits, std::string* why = nullptr)
{
    return MetafileCheck::EnhancedRecordsFit(bits, why);
}

bool WindowsFits(Bytes bits, std::string* why = nullptr)
{
    return MetafileCheck::WindowsRecordsFit(bits, why);
}

void Put32(Bytes& b, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.push_back(uint8_t(v >> (8 * i)));
}

// An EMF made by GDI (one rectangle), its records before the end record, and the end record.
struct Emf
{
    Bytes head, tail;

    Emf()
    {
        HDC dc = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
        Rectangle(dc, 0, 0, 10, 10);
        HENHMETAFILE metafile = CloseEnhMetaFile(dc);
        Bytes bits(GetEnhMetaFileBits(metafile, 0, nullptr));
        GetEnhMetaFileBits(metafile, UINT(bits.size()), bits.data());
        DeleteEnhMetaFile(metafile);
        // The end record is the last one: find it by walking the chain.
        size_t at = 0;
        while (at + 8 <= bits.size()) {
            const uint32_t type = bits[at] | (bits[at + 1] << 8);
            const uint32_t size = bits[at + 4] | (bits[at + 5] << 8) | (bits[at + 6] << 16);
            if (type == EMR_EOF)
                break;
            at += size;
        }
        head.assign(bits.begin(), bits.begin() + long(at));
        tail.assign(bits.begin() + long(at), bits.end());
    }
    Bytes With(const Bytes& record, bool end = true, uint16_t handles = 0) const
    {
        Bytes b = head;
        if (handles) {
            b[56] = uint8_t(handles); // nHandles
            b[57] = uint8_t(handles >> 8);
        }
        b.insert(b.end(), record.begin(), record.end());
        if (end)
            b.insert(b.end(), tail.begin(), tail.end());
        return b;
    }
};

// A record of the type with its fields after type and size, padded to whole words.
Bytes Record(uint32_t type, Bytes fields)
{
    while (fields.size() % 4)
        fields.push_back(0);
    Bytes b;
    Put32(b, type);
    Put32(b, uint32_t(8 + fields.size()));
    b.insert(b.end(), fields.begin(), fields.end());
    return b;
}

Bytes SmallTextOut(uint32_t chars, uint32_t options, size_t textBytes)
{
    Bytes f;
    Put32(f, 5);        // x
    Put32(f, 5);        // y
    Put32(f, chars);
    Put32(f, options);
    Put32(f, GM_COMPATIBLE);
    Put32(f, 0);        // scales
    Put32(f, 0);
    if (!(options & 0x100))
        f.insert(f.end(), 16, 0);
    f.insert(f.end(), textBytes, 'a');
    return Record(108, f);
}

Bytes PolyTextOutW(uint32_t chars, uint32_t offString)
{
    Bytes f(28, 0);     // bounds, graphics mode, scales
    Put32(f, 1);        // one string
    Put32(f, 0);        // reference point
    Put32(f, 0);
    Put32(f, chars);
    Put32(f, offString);
    Put32(f, 0);        // options
    f.insert(f.end(), 16, 0);
    Put32(f, 0);        // no spacing array
    f.insert(f.end(), 2 * chars, 0);
    return Record(EMR_POLYTEXTOUTW, f);
}

// EMR_STRETCHDIBITS of one 32-bit pixel with a 124-byte header and bit fields in it.
Bytes StretchDibV5()
{
    Bytes f;
    f.insert(f.end(), 16, 0);       // bounds
    f.insert(f.end(), 24, 0);       // destination and source positions
    Put32(f, 80);                   // offBmi
    Put32(f, 124);                  // cbBmi
    Put32(f, 80 + 124);             // offBits
    Put32(f, 4);                    // cbBits
    Put32(f, DIB_RGB_COLORS);
    Put32(f, SRCCOPY);
    Put32(f, 1);                    // destination size
    Put32(f, 1);
    Bytes header(124, 0);
    header[0] = 124;
    header[4] = 1;                  // width
    header[8] = 1;                  // height
    header[12] = 1;                 // planes
    header[14] = 32;                // bits
    header[16] = BI_BITFIELDS;
    f.insert(f.end(), header.begin(), header.end());
    f.insert(f.end(), 4, 0x80);
    return Record(EMR_STRETCHDIBITS, f);
}

uint32_t Get32(const Bytes& b, size_t at)
{
    return uint32_t(b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t(b[at + 3]) << 24));
}

// EMR_EXTCREATEPEN of object 1 with the brush style, the bitmap fields (offBmi, cbBmi, offBits,
// cbBits) and the count of style entries it claims; it holds one entry.
Bytes ExtCreatePen(uint32_t brushStyle, uint32_t offBmi, uint32_t cbBmi, uint32_t styleEntries)
{
    Bytes f;
    for (uint32_t v : {1u, offBmi, cbBmi, offBmi, 0u, uint32_t(PS_GEOMETRIC), 3u, brushStyle, 0u, 0u,
                       styleEntries, 0u})
        Put32(f, v);
    return Record(EMR_EXTCREATEPEN, f);
}

// EMR_STRETCHDIBITS of a 2 x 1 8-bit picture whose header counts 0 colours (all 256) but whose
// block holds `entries` of them.
Bytes StretchDibShortTable(uint32_t entries)
{
    const uint32_t cbBmi = 40 + 4 * entries;
    Bytes f(40, 0); // bounds, destination and source positions
    for (uint32_t v : {80u, cbBmi, 80u + cbBmi, 4u, uint32_t(DIB_RGB_COLORS), uint32_t(SRCCOPY), 2u, 1u})
        Put32(f, v);
    for (uint32_t v : {40u, 2u, 1u, 1u | (8u << 16), uint32_t(BI_RGB), 0u, 0u, 0u, 0u, 0u})
        Put32(f, v);
    for (uint32_t i = 0; i < entries; ++i)
        Put32(f, i ? 0x0000FF : 0xFF0000);
    f.insert(f.end(), {0, 1, 0, 0});
    return Record(EMR_STRETCHDIBITS, f);
}

// EMR_STRETCHDIBITS carrying a PNG picture (bit count 0) of `picture` bytes in `stored` bytes.
Bytes StretchDibPng(uint32_t picture, uint32_t stored)
{
    Bytes f(40, 0);
    for (uint32_t v : {80u, 40u, 120u, stored, uint32_t(DIB_RGB_COLORS), uint32_t(SRCCOPY), 2u, 1u})
        Put32(f, v);
    for (uint32_t v : {40u, 2u, 1u, 1u, uint32_t(BI_PNG), picture, 0u, 0u, 0u, 0u})
        Put32(f, v);
    f.insert(f.end(), stored, 0x89);
    return Record(EMR_STRETCHDIBITS, f);
}

// EMR_FILLRGN with the brush, its region data claiming `rectangles` and holding one.
Bytes FillRegion(uint32_t brush, uint32_t rectangles = 1)
{
    Bytes f(16, 0); // bounds
    Put32(f, 48);   // region data: its header and one rectangle
    Put32(f, brush);
    for (uint32_t v : {32u, uint32_t(RDH_RECTANGLES), rectangles, 16u, 0u, 0u, 10u, 10u, 0u, 0u, 10u, 10u})
        Put32(f, v);
    return Record(EMR_FILLRGN, f);
}

TEST(MetafileCheck, ValidEnhancedRecordsAreTaken)
{
    const Emf emf;
    ASSERT_TRUE(EnhancedFits(emf.With({})));
    struct Case
    {
        const char* name;
        Bytes record;
        bool end;
    };
    const Case cases[] = {
        {"small text, 16-bit characters", SmallTextOut(3, 0, 6), true},
        {"small text, 8-bit characters without a clip", SmallTextOut(3, 0x300, 3), true},
        {"poly text", PolyTextOutW(4, 80), true},
        {"bit fields in a 124-byte header", StretchDibV5(), true},
        {"no end record", Bytes(), false},
    };
    for (const Case& c : cases)
        EXPECT_TRUE(EnhancedFits(emf.With(c.record, c.end))) << c.name;
}

// Records of the public EMF writers that the system plays: pens whose bitmap fields point anywhere
// with no size, colour tables of only the colours used, JPEG and PNG pictures inside bitmaps, and
// region fills naming a stock brush (left out). Where a field would make the system read past
// what the record holds, it is set to what the record holds.
TEST(MetafileCheck, WritersRecordsAreTakenAndMended)
{
    const Emf emf;
    struct Case
    {
        const char* name;
        Bytes record;
    };
    const Case taken[] = {
        {"solid pen, bitmap fields at its end", ExtCreatePen(BS_SOLID, 56, 0, 0)},
        {"solid pen, bitmap fields inside it", ExtCreatePen(BS_SOLID, 44, 0, 0)},
        {"pen of one style entry", ExtCreatePen(BS_SOLID, 0, 0, 1)},
        {"two colours of 256", StretchDibShortTable(2)},
        {"PNG picture", StretchDibPng(20, 20)},
        {"region of a brush", FillRegion(1)},
        {"region of a stock brush", FillRegion(0x80000000u | GRAY_BRUSH)},
    };
    for (const Case& c : taken) {
        std::string why;
        Bytes bits = emf.With(c.record, true, 2);
        EXPECT_TRUE(MetafileCheck::EnhancedRecordsFit(bits, &why)) << c.name << ": " << why;
    }

    Bytes shortTable = emf.With(StretchDibShortTable(2));
    ASSERT_TRUE(MetafileCheck::EnhancedRecordsFit(shortTable));
    EXPECT_EQ(Get32(shortTable, emf.head.size() + 80 + 32), 2u); // the header counts what is there
    Bytes stock = emf.With(FillRegion(0x80000000u | GRAY_BRUSH), true, 2);
    ASSERT_TRUE(MetafileCheck::EnhancedRecordsFit(stock));
    EXPECT_EQ(Get32(stock, emf.head.size()), uint32_t(EMR_GDICOMMENT));
    EXPECT_EQ(Get32(stock, emf.head.size() + 8), Get32(stock, emf.head.size() + 4) - 12); // the rest is its text

    const Case refused[] = {
        {"pattern pen without its bitmap", ExtCreatePen(BS_DIBPATTERNPT, 0, 0, 0)},
        {"pattern pen, bitmap without a size", ExtCreatePen(BS_DIBPATTERNPT, 56, 0, 0)},
        {"pen of more style entries than it holds", ExtCreatePen(BS_SOLID, 0, 0, 1000)},
        {"PNG picture longer than its block", StretchDibPng(4000, 20)},
        {"colour table without one whole entry", StretchDibShortTable(0)},
        {"region of a brush past the count", FillRegion(9)},
        {"region of more rectangles than it holds", FillRegion(1, 500)},
    };
    for (const Case& c : refused) {
        std::string why;
        Bytes bits = emf.With(c.record, true, 2);
        EXPECT_FALSE(MetafileCheck::EnhancedRecordsFit(bits, &why)) << c.name;
        EXPECT_EQ(why.rfind("EMF record ", 0), 0u) << c.name << ": " << why;
    }
}

TEST(MetafileCheck, DamagedEnhancedRecordsAreRefused)
{
    const Emf emf;
    Bytes cut = emf.With({});
    cut.resize(cut.size() - 4); // the end record runs past the data
    const Bytes cases[] = {
        SmallTextOut(1000, 0, 6),   // more characters than the record holds
        PolyTextOutW(4, 4000),      // text outside the record
        cut,
    };
    EXPECT_FALSE(EnhancedFits(emf.With(cases[0])));
    EXPECT_FALSE(EnhancedFits(emf.With(cases[1])));
    EXPECT_FALSE(EnhancedFits(cases[2]));
}

TEST(MetafileCheck, WindowsChainWithoutItsEndRecord)
{
    HDC dc = CreateMetaFileA(nullptr);
    Rectangle(dc, 0, 0, 10, 10);
    HMETAFILE metafile = CloseMetaFile(dc);
    Bytes bits(GetMetaFileBitsEx(metafile, 0, nullptr));
    GetMetaFileBitsEx(metafile, UINT(bits.size()), bits.data());
    DeleteMetaFile(metafile);
    ASSERT_TRUE(WindowsFits(bits));
    Bytes open(bits.begin(), bits.end() - 6); // the 3-word end record dropped
    EXPECT_TRUE(WindowsFits(open));
    Bytes cut(bits.begin(), bits.end() - 8); // a record cut in the middle
    EXPECT_FALSE(WindowsFits(cut));
}

// A Windows metafile of the given records (each its function and parameter words), the header
// counting `objects`.
Bytes WindowsMetafile(const std::vector<std::pair<uint16_t, std::vector<uint16_t>>>& records, uint16_t objects = 0)
{
    std::vector<uint16_t> words = {1, 9, 0x0300, 0, 0, objects, 0, 0, 0};
    uint32_t largest = 3;
    for (const auto& r : records) {
        const uint32_t size = uint32_t(3 + r.second.size());
        largest = std::max(largest, size);
        words.insert(words.end(), {uint16_t(size), uint16_t(size >> 16), r.first});
        words.insert(words.end(), r.second.begin(), r.second.end());
    }
    words.insert(words.end(), {3, 0, 0});
    words[3] = uint16_t(words.size());
    words[4] = uint16_t(words.size() >> 16);
    words[7] = uint16_t(largest);
    words[8] = uint16_t(largest >> 16);
    Bytes bits;
    for (uint16_t w : words)
        bits.insert(bits.end(), {uint8_t(w), uint8_t(w >> 8)});
    return bits;
}

// The blits of old metafiles carry a device-dependent bitmap, and regions their scans: both are
// played when they fit their records, and a refusal names the record and its fault.
TEST(MetafileCheck, DeviceBitmapsRegionsAndReasons)
{
    // BitBlt: raster operation (2 words), source y, x, height, width, destination y, x, then the
    // bitmap: type, width 16, height 2, 2 bytes a row, one plane of one bit, the rows.
    const std::vector<uint16_t> blit = {0x0020, 0x00CC, 0, 0, 2, 16, 0, 0, 0, 16, 2, 2, 0x0101, 0xFFFF, 0x0F0F};
    std::string why;
    EXPECT_TRUE(WindowsFits(WindowsMetafile({{0x0922, blit}}), &why)) << why;
    std::vector<uint16_t> tall = blit;
    tall[10] = 40; // 40 rows in a record of 2
    EXPECT_FALSE(WindowsFits(WindowsMetafile({{0x0922, tall}}), &why));
    EXPECT_EQ(why, "WMF record 0 (type 0x0922): its bitmap does not fit the record");
    // Without a bitmap: nine words.
    EXPECT_TRUE(WindowsFits(WindowsMetafile({{0x0922, {0x0042, 0x00FF, 0, 0, 0, 4, 4, 0, 0}}})));

    // A region of one scan with one span.
    const std::vector<uint16_t> region = {0, 6, 0, 0, 34, 1, 4, 0, 0, 10, 10, 2, 0, 10, 0, 10, 2};
    EXPECT_TRUE(WindowsFits(WindowsMetafile({{0x06FF, region}}), &why)) << why;
    std::vector<uint16_t> scans = region;
    scans[5] = 900; // scans past the record
    EXPECT_FALSE(WindowsFits(WindowsMetafile({{0x06FF, scans}}), &why));
    EXPECT_EQ(why, "WMF record 0 (type 0x06FF): its region does not fit the record");

    EXPECT_FALSE(WindowsFits(WindowsMetafile({{0x012D, {5}}}, 2), &why));
    EXPECT_EQ(why, "WMF record 0 (type 0x012D): it names an object past the metafile's count");
}

uint16_t Word(const Bytes& b, size_t word)
{
    return uint16_t(b[word * 2] | (b[word * 2 + 1] << 8));
}

// Old bitmaps whose bytes a row give a DIB's 32-bit padding while their rows have the 16-bit one,
// pattern brushes of a device-dependent bitmap, and DIBs that store only the colours they use:
// taken, with the fields set to what the records hold.
TEST(MetafileCheck, WindowsWritersBitmapsAreTakenAndMended)
{
    // BitBlt of a 16 x 2 one-bit bitmap: 2 bytes a row held, 4 claimed.
    const std::vector<uint16_t> blit = {0x0020, 0x00CC, 0, 0, 2, 16, 0, 0, 0, 16, 2, 4, 0x0101, 0xFFFF, 0x0F0F};
    Bytes bits = WindowsMetafile({{0x0922, blit}});
    std::string why;
    ASSERT_TRUE(MetafileCheck::WindowsRecordsFit(bits, &why)) << why;
    EXPECT_EQ(Word(bits, 9 + 3 + 8 + 3), 2u); // the record's bytes a row

    // A pattern brush (style BS_PATTERN, colour usage) of an 8 x 2 one-bit bitmap.
    const std::vector<uint16_t> pattern = {BS_PATTERN, 0, 0, 8, 2, 2, 0x0101, 0x00FF, 0xFF00};
    EXPECT_TRUE(WindowsFits(WindowsMetafile({{0x0142, pattern}}), &why)) << why;
    std::vector<uint16_t> tall = pattern;
    tall[4] = 40;
    EXPECT_FALSE(WindowsFits(WindowsMetafile({{0x0142, tall}}), &why));
    EXPECT_EQ(why, "WMF record 0 (type 0x0142): its bitmap does not fit the record");
    EXPECT_FALSE(WindowsFits(WindowsMetafile({{0x0142, {BS_PATTERN}}}), &why)); // its style alone
    EXPECT_EQ(why, "WMF record 0 (type 0x0142): its bitmap does not fit the record");

    // StretchDIB (raster operation, usage, source and destination) of a 2 x 1 8-bit DIB with two
    // colours of its 256.
    std::vector<uint16_t> stretch = {0x0020, 0x00CC, DIB_RGB_COLORS, 1, 2, 0, 0, 1, 2, 0, 0,
                                     40, 0, 2, 0, 1, 0, 1, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                     0, 0xFF, 0xFF, 0, 0x0100, 0};
    Bytes dib = WindowsMetafile({{0x0F43, stretch}});
    ASSERT_TRUE(MetafileCheck::WindowsRecordsFit(dib, &why)) << why;
    EXPECT_EQ(Word(dib, 9 + 3 + 11 + 16), 2u); // biClrUsed
}

} // namespace
