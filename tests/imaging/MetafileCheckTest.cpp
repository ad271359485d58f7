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
    Bytes With(const Bytes& record, bool end = true) const
    {
        Bytes b = head;
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

TEST(MetafileCheck, ValidEnhancedRecordsAreTaken)
{
    const Emf emf;
    ASSERT_TRUE(MetafileCheck::EnhancedRecordsFit(emf.With({})));
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
        EXPECT_TRUE(MetafileCheck::EnhancedRecordsFit(emf.With(c.record, c.end))) << c.name;
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
    EXPECT_FALSE(MetafileCheck::EnhancedRecordsFit(emf.With(cases[0])));
    EXPECT_FALSE(MetafileCheck::EnhancedRecordsFit(emf.With(cases[1])));
    EXPECT_FALSE(MetafileCheck::EnhancedRecordsFit(cases[2]));
}

TEST(MetafileCheck, WindowsChainWithoutItsEndRecord)
{
    HDC dc = CreateMetaFileA(nullptr);
    Rectangle(dc, 0, 0, 10, 10);
    HMETAFILE metafile = CloseMetaFile(dc);
    Bytes bits(GetMetaFileBitsEx(metafile, 0, nullptr));
    GetMetaFileBitsEx(metafile, UINT(bits.size()), bits.data());
    DeleteMetaFile(metafile);
    ASSERT_TRUE(MetafileCheck::WindowsRecordsFit(bits));
    Bytes open(bits.begin(), bits.end() - 6); // the 3-word end record dropped
    EXPECT_TRUE(MetafileCheck::WindowsRecordsFit(open));
    Bytes cut(bits.begin(), bits.end() - 8); // a record cut in the middle
    EXPECT_FALSE(MetafileCheck::WindowsRecordsFit(cut));
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
    EXPECT_TRUE(MetafileCheck::WindowsRecordsFit(WindowsMetafile({{0x0922, blit}}), &why)) << why;
    std::vector<uint16_t> tall = blit;
    tall[10] = 40; // 40 rows in a record of 2
    EXPECT_FALSE(MetafileCheck::WindowsRecordsFit(WindowsMetafile({{0x0922, tall}}), &why));
    EXPECT_EQ(why, "WMF record 0 (type 0x0922): its bitmap does not fit the record");
    // Without a bitmap: nine words.
    EXPECT_TRUE(MetafileCheck::WindowsRecordsFit(WindowsMetafile({{0x0922, {0x0042, 0x00FF, 0, 0, 0, 4, 4, 0, 0}}})));

    // A region of one scan with one span.
    const std::vector<uint16_t> region = {0, 6, 0, 0, 34, 1, 4, 0, 0, 10, 10, 2, 0, 10, 0, 10, 2};
    EXPECT_TRUE(MetafileCheck::WindowsRecordsFit(WindowsMetafile({{0x06FF, region}}), &why)) << why;
    std::vector<uint16_t> scans = region;
    scans[5] = 900; // scans past the record
    EXPECT_FALSE(MetafileCheck::WindowsRecordsFit(WindowsMetafile({{0x06FF, scans}}), &why));
    EXPECT_EQ(why, "WMF record 0 (type 0x06FF): its region does not fit the record");

    EXPECT_FALSE(MetafileCheck::WindowsRecordsFit(WindowsMetafile({{0x012D, {5}}}, 2), &why));
    EXPECT_EQ(why, "WMF record 0 (type 0x012D): it names an object past the metafile's count");
}

} // namespace
