// The Exif reader: tags in both byte orders, the derived values, comments, padding and section
// limits, looping and oversized directories, the splice writer, and damaged files.
#include "imaging/CRasterExifInfo.h"

#include "imaging/CRasterMemFile.h"
#include "tests/imaging/ExifTestData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

using namespace orvo::test;

namespace {

// Reads a JPEG byte image into a fresh record; returns the reader's result.
struct ExifRead
{
    EXIFINFO info = {};
    CRasterExifInfo reader{&info};
    bool ok = false;

    explicit ExifRead(Bytes bytes, int mode = CRasterExifInfo::READ_EXIF)
    {
        CRasterMemFile stream(bytes.data(), int32_t(bytes.size()));
        ok = reader.DecodeExif(&stream, mode);
    }
};

Bytes JpegOf(const Bytes& app1)
{
    return MakeJpegWithSegments({{0xE1, app1}, {0xC0, Bytes{8, 0, 48, 0, 64, 3, 1, 0x22, 0}}});
}

ExifBuilder& FullTags(ExifBuilder& b)
{
    using D = ExifBuilder;
    return b.Ascii(D::Ifd0, 0x010F, "Orvo Optics")
        .Ascii(D::Ifd0, 0x0110, "Kestal 9000 with a long model name beyond forty chars")
        .Short(D::Ifd0, 0x0112, 6)
        .Rational(D::Ifd0, 0x011A, 300, 1)
        .Rational(D::Ifd0, 0x011B, 150, 1)
        .Short(D::Ifd0, 0x0128, 3)
        .Undefined(D::ExifIfd, 0x9000, Bytes{'0', '2', '2', '1'})
        .Ascii(D::ExifIfd, 0x9003, "2024:01:02 03:04:05")
        .Rational(D::ExifIfd, 0x829A, 1, 250)
        .Rational(D::ExifIfd, 0x829D, 28, 10)
        .Short(D::ExifIfd, 0x8827, 200)
        .Short(D::ExifIfd, 0x8822, 2)
        .Rational(D::ExifIfd, 0x9204, -2, 3, true)
        .Short(D::ExifIfd, 0x9207, 5)
        .Short(D::ExifIfd, 0x9208, 1)
        .Short(D::ExifIfd, 0x9209, 0x19)
        .Rational(D::ExifIfd, 0x920A, 35, 1)
        .Rational(D::ExifIfd, 0x9206, 5, 2)
        .Long(D::ExifIfd, 0xA002, 3000)
        .Long(D::ExifIfd, 0xA003, 2000)
        .Rational(D::ExifIfd, 0xA20E, 3000, 1)
        .Short(D::ExifIfd, 0xA210, 2)
        .Rational(D::ExifIfd, 0x9203, 7, 2, true);
}

TEST(CRasterExifInfo, LittleAndBigEndianBlocksGiveEqualRecords)
{
    ExifBuilder ii(false), mm(true);
    ExifRead a(JpegOf(FullTags(ii).Build())), b(JpegOf(FullTags(mm).Build()));
    ASSERT_TRUE(a.ok);
    ASSERT_TRUE(b.ok);
    EXPECT_TRUE(a.info.isExif);
    EXPECT_EQ(std::memcmp(&a.info, &b.info, sizeof a.info), 0);
    const EXIFINFO& i = a.info;
    EXPECT_STREQ(i.cameraMake, "Orvo Optics");
    EXPECT_EQ(std::strlen(i.cameraModel), 39u);
    EXPECT_STREQ(i.version, "0221");
    EXPECT_STREQ(i.dateTime, "2024:01:02 03:04:05");
    EXPECT_EQ(i.orientation, 6);
    EXPECT_FLOAT_EQ(i.xResolution, 300);
    EXPECT_FLOAT_EQ(i.yResolution, 150);
    EXPECT_FLOAT_EQ(i.resolutionUnit, float(1 / 2.54));
    EXPECT_FLOAT_EQ(i.exposureTime, 0.004f);
    EXPECT_FLOAT_EQ(i.apertureFNumber, 2.8f);
    EXPECT_EQ(i.isoEquivalent, 200);
    EXPECT_FLOAT_EQ(i.exposureBias, -2.0f / 3);
    EXPECT_EQ(i.flashUsed, 1);
    EXPECT_FLOAT_EQ(i.ccdWidth, 1.0f); // 3000 pixels x 1 inch / 3000 per inch
    EXPECT_EQ(i.width, 64);
    EXPECT_EQ(i.height, 48);
    EXPECT_EQ(i.isColor, 1);
    EXPECT_EQ(i.frameMarker, 0xC0);
    EXPECT_FLOAT_EQ(i.brightness, 3.5f);
}

struct DerivedCase
{
    const char* name;
    void (*build)(ExifBuilder&);
    void (*check)(const EXIFINFO&);
};

const DerivedCase kDerived[] = {
    {"FNumberWinsOverApertureValue",
     [](ExifBuilder& b) {
         b.Rational(ExifBuilder::ExifIfd, 0x829D, 56, 10).Rational(ExifBuilder::ExifIfd, 0x9202, 4, 1);
     },
     [](const EXIFINFO& i) { EXPECT_FLOAT_EQ(i.apertureFNumber, 5.6f); }},
    {"ApertureValueAlone",
     [](ExifBuilder& b) { b.Rational(ExifBuilder::ExifIfd, 0x9202, 4, 1); },
     [](const EXIFINFO& i) { EXPECT_FLOAT_EQ(i.apertureFNumber, 4.0f); }},
    {"ShutterSpeedValue",
     [](ExifBuilder& b) { b.Rational(ExifBuilder::ExifIfd, 0x9201, 7, 1, true); },
     [](const EXIFINFO& i) { EXPECT_FLOAT_EQ(i.exposureTime, 1.0f / 128); }},
    {"SmallIsoScaled",
     [](ExifBuilder& b) { b.Short(ExifBuilder::ExifIfd, 0x8827, 2); },
     [](const EXIFINFO& i) { EXPECT_EQ(i.isoEquivalent, 400); }},
    {"AsciiUserComment",
     [](ExifBuilder& b) {
         b.Undefined(ExifBuilder::ExifIfd, 0x9286,
                     Bytes{'A', 'S', 'C', 'I', 'I', 0, 0, 0, 'H', 'e', 'l', 'l', 'o', ' ', ' ', ' '});
     },
     [](const EXIFINFO& i) { EXPECT_STREQ(i.comments, "Hello"); }},
    {"UserCommentWithoutNulStaysInsideItsBytes",
     [](ExifBuilder& b) {
         b.Undefined(ExifBuilder::ExifIfd, 0x9286, Bytes{'a', 'b', 'c', 'd', 'e', 'f'})
             .Ascii(ExifBuilder::ExifIfd, 0x9003, "XXXXXXXXXXXXXXXXXXX");
     },
     [](const EXIFINFO& i) { EXPECT_STREQ(i.comments, "abcdef"); }},
    {"BadOrientationReadsZero",
     [](ExifBuilder& b) { b.Short(ExifBuilder::Ifd0, 0x0112, 9); },
     [](const EXIFINFO& i) {
         EXPECT_EQ(i.orientation, 0);
         EXPECT_TRUE(i.isExif);
     }},
    {"DoubleWithoutComponentsReadsZero",
     [](ExifBuilder& b) {
         b.Undefined(ExifBuilder::Ifd0, 0x9204, Bytes{});
     },
     [](const EXIFINFO& i) { EXPECT_EQ(i.exposureBias, 0.0f); }},
};

class CRasterExifDerived : public testing::TestWithParam<DerivedCase>
{
};

TEST_P(CRasterExifDerived, Values)
{
    for (bool bigEndian : {false, true}) {
        ExifBuilder b(bigEndian);
        GetParam().build(b);
        ExifRead r(JpegOf(b.Build()));
        EXPECT_TRUE(r.ok);
        GetParam().check(r.info);
    }
}

INSTANTIATE_TEST_SUITE_P(Tags, CRasterExifDerived, testing::ValuesIn(kDerived),
                         [](const testing::TestParamInfo<DerivedCase>& p) { return p.param.name; });

TEST(CRasterExifInfo, BadOrientationSetsItsText)
{
    ExifBuilder b(false);
    b.Short(ExifBuilder::Ifd0, 0x0112, 9);
    ExifRead r(JpegOf(b.Build()));
    EXPECT_STREQ(r.reader.GetLastError(), "Undefined rotation value");
}

TEST(CRasterExifInfo, JpegCommentFiltered)
{
    ExifRead r(MakeJpegWithSegments({{0xFE, Bytes{'a', '\r', '\n', 'b', 0x01}}}));
    EXPECT_TRUE(r.ok);
    EXPECT_STREQ(r.info.comments, "a\nb?");
    EXPECT_FALSE(r.info.isExif);
}

TEST(CRasterExifInfo, PaddingBeforeAMarker)
{
    for (int padding : {6, 7}) {
        Bytes bytes{0xFF, 0xD8};
        bytes.insert(bytes.end(), size_t(padding), 0xFF);
        bytes.insert(bytes.end(), {0xFE, 0x00, 0x03, 'x', 0xFF, 0xDA, 0x00, 0x02, 0xFF, 0xD9});
        ExifRead r(bytes);
        EXPECT_EQ(r.ok, padding == 6) << padding;
    }
}

TEST(CRasterExifInfo, SectionTableLimits)
{
    std::vector<std::pair<unsigned char, Bytes>> segments(20, {0xDB, Bytes(3, 0)});
    ExifRead many(MakeJpegWithSegments(segments));
    EXPECT_FALSE(many.ok);
    EXPECT_STREQ(many.reader.GetLastError(), "Too many sections in jpg file");
    // 19 segments and the start of scan fill the table: the scan data has no slot left.
    segments.resize(19);
    ExifRead full(MakeJpegWithSegments(segments), CRasterExifInfo::READ_IMAGE);
    EXPECT_FALSE(full.ok);
    segments.resize(18);
    ExifRead fits(MakeJpegWithSegments(segments), CRasterExifInfo::READ_IMAGE);
    EXPECT_TRUE(fits.ok);
    EXPECT_EQ(fits.reader.SectionCount(), 20);
}

TEST(CRasterExifInfo, ShortOrDamagedStreams)
{
    const struct
    {
        Bytes bytes;
        const char* error;
    } cases[] = {
        {Bytes{0xFF, 0xD8, 0xFF, 0xE2, 0x00, 0x01}, "invalid marker"},
        {Bytes{0xFF, 0xD8, 0xFF, 0xE2, 0x00, 0x10, 1, 2}, "Premature end of file?"},
        {Bytes{0xFF, 0xD8, 0xFF, 0xD9, 0x00, 0x02}, ""},
        {Bytes{0x89, 'P', 'N', 'G'}, ""},
    };
    for (const auto& c : cases) {
        ExifRead r(c.bytes);
        EXPECT_FALSE(r.ok);
        EXPECT_STREQ(r.reader.GetLastError(), c.error);
    }
}

// Patches the 32-bit little-endian value at a TIFF offset of an "II" block.
void Patch32(Bytes& app1, size_t tiffOffset, uint32_t v)
{
    for (int k = 0; k < 4; ++k)
        app1[6 + tiffOffset + k] = uint8_t(v >> (8 * k));
}

TEST(CRasterExifInfo, LoopingDirectoriesEnd)
{
    ExifBuilder b(false);
    b.Short(ExifBuilder::Ifd0, 0x0112, 3).Short(ExifBuilder::ExifIfd, 0x8827, 100);
    Bytes app1 = b.Build();
    // IFD0 (2 entries) at 8: its next link at 8 + 2 + 24 points back to IFD0 itself.
    Patch32(app1, 8 + 2 + 24, 8);
    ExifRead r(JpegOf(app1));
    EXPECT_TRUE(r.ok);
    EXPECT_TRUE(r.info.isExif);
    EXPECT_EQ(r.info.orientation, 3);
    EXPECT_EQ(r.info.isoEquivalent, 100);
}

TEST(CRasterExifInfo, HugeComponentCountIsRefused)
{
    ExifBuilder b(false);
    b.Ascii(ExifBuilder::Ifd0, 0x010F, "Maker name");
    Bytes app1 = b.Build();
    Patch32(app1, 8 + 2 + 4, 0x80000001u); // count: x 1 byte wraps nothing in 64 bits
    ExifRead r(JpegOf(app1));
    EXPECT_FALSE(r.info.isExif);
    EXPECT_STREQ(r.reader.GetLastError(), "Illegal pointer offset value in EXIF.");
}

TEST(CRasterExifInfo, ThumbnailInsideTheKeptSection)
{
    const Bytes thumb = EncodeTestJpeg(8, 8, 1);
    ExifBuilder b(true);
    b.Short(ExifBuilder::Ifd0, 0x0112, 1).Thumbnail(thumb);
    ExifRead r(JpegOf(b.Build()));
    ASSERT_NE(r.info.thumbnail, nullptr);
    EXPECT_EQ(Bytes(r.info.thumbnail, r.info.thumbnail + r.info.thumbnailSize), thumb);
}

TEST(CRasterExifInfo, SpliceKeepsSourceExifBeforeTheNewImage)
{
    ExifBuilder b(false);
    b.Short(ExifBuilder::Ifd0, 0x0112, 6);
    const Bytes source = InsertApp1(EncodeTestJpeg(16, 8, 3), b.Build());
    const Bytes fresh = EncodeTestJpeg(24, 12, 3);

    EXIFINFO info = {};
    CRasterExifInfo reader(&info);
    Bytes src = source, dst = fresh;
    CRasterMemFile in(src.data(), int32_t(src.size()));
    ASSERT_TRUE(reader.DecodeExif(&in, CRasterExifInfo::READ_EXIF));
    reader.DiscardAllButExif();
    CRasterMemFile next(dst.data(), int32_t(dst.size()));
    ASSERT_TRUE(reader.DecodeExif(&next, CRasterExifInfo::READ_IMAGE));
    EXPECT_EQ(info.width, 24);
    CRasterMemFile out;
    ASSERT_TRUE(out.Open());
    ASSERT_TRUE(reader.EncodeExif(&out));
    const Bytes written(out.GetBuffer(false), out.GetBuffer(false) + out.Size());
    // SOI, the source's APP1, then the new file from its first segment after the JFIF header.
    ASSERT_GT(written.size(), 6u);
    EXPECT_EQ(written[2], 0xFF);
    EXPECT_EQ(written[3], 0xE1);
    EXIFINFO again = {};
    CRasterExifInfo check(&again);
    Bytes copy = written;
    CRasterMemFile in2(copy.data(), int32_t(copy.size()));
    EXPECT_TRUE(check.DecodeExif(&in2, CRasterExifInfo::READ_EXIF));
    EXPECT_EQ(again.orientation, 6);
    EXPECT_EQ(again.width, 24);
    // The tail is the fresh image's scan data, unchanged.
    EXPECT_TRUE(std::equal(fresh.end() - 64, fresh.end(), written.end() - 64));
}

TEST(CRasterExifInfo, EncodeWithoutImageDataFails)
{
    ExifRead r(JpegOf(ExifBuilder(false).Short(ExifBuilder::Ifd0, 0x0112, 1).Build()));
    CRasterMemFile out;
    ASSERT_TRUE(out.Open());
    EXPECT_FALSE(r.reader.EncodeExif(&out));
    EXPECT_STREQ(r.reader.GetLastError(), "Can't write exif : didn't read all");
}

TEST(CRasterExifInfo, MalformedInputSweep)
{
    ExifBuilder b(true);
    FullTags(b).Thumbnail(EncodeTestJpeg(8, 8, 3));
    const Bytes jpeg = InsertApp1(EncodeTestJpeg(16, 16, 3), b.Build());
    // Whatever the read's result, a thumbnail it keeps lies inside the bytes it was given.
    auto expectClean = [](const ExifRead& r, size_t size, const std::string& what) {
        if (r.info.thumbnail) {
            EXPECT_LE(r.info.thumbnailSize, size) << what;
        }
    };
    for (size_t cut = 0; cut < jpeg.size(); ++cut)
        for (int mode : {1, 3}) {
            ExifRead r(Bytes(jpeg.begin(), jpeg.begin() + cut), mode);
            expectClean(r, cut, "cut to " + std::to_string(cut));
        }
    uint32_t seed = 99;
    for (int i = 0; i < 3000; ++i) {
        Bytes mutated = jpeg;
        for (int k = 0; k < 3; ++k) {
            seed = seed * 1664525u + 1013904223u;
            // Mutations land mostly inside the Exif block, where the parsing happens.
            mutated[(seed >> 8) % std::min<size_t>(mutated.size(), 1200)] = uint8_t(seed >> 24);
        }
        const ExifRead r(mutated, 3);
        expectClean(r, mutated.size(), "mutation " + std::to_string(i));
    }
}

} // namespace
