// The JPEG codec: round trips through the dispatch, density and Exif resolution, grey and CMYK
// files, refusals, the Exif splice on re-encode, stream failures and damaged files.
#include "imaging/CRasterImageJPG.h"

#include "imaging/CRasterIOFile.h"
#include "imaging/CRasterMemFile.h"
#include "imaging/ExifOrientation.h"
#include "tests/imaging/ExifTestData.h"
#include "tests/imaging/RasterCodecTestKit.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace orvo::test;

namespace {

struct RoundTripCase
{
    DWORD width, height;
    WORD bpp;
    bool grey;
};

class JpegRoundTrip : public testing::TestWithParam<RoundTripCase>
{
};

TEST_P(JpegRoundTrip, ComesBackCloseThroughDetection)
{
    const RoundTripCase c = GetParam();
    CRasterImage source;
    FillPattern(source, c.width, c.height, c.bpp, c.grey);
    source.SetJpegQuality(100);
    const Bytes bytes = EncodeToBytes(source, RASTER_FORMAT_JPG);
    ASSERT_FALSE(bytes.empty()) << source.GetLastError();
    CRasterImage back;
    ASSERT_TRUE(DecodeFromBytes(back, bytes, RASTER_FORMAT_UNKNOWN)) << back.GetLastError();
    EXPECT_EQ(back.GetType(), RASTER_FORMAT_JPG);
    EXPECT_EQ(back.GetBpp(), c.grey ? 8 : 24);
    EXPECT_EQ(back.IsGrayScale(), c.grey);
    EXPECT_LE(MaxChannelDifference(source, back), c.grey ? 4 : 40);
}

INSTANTIATE_TEST_SUITE_P(Sizes, JpegRoundTrip,
                         testing::Values(RoundTripCase{1, 1, 24, false},
                                         RoundTripCase{7, 5, 24, false},
                                         RoundTripCase{33, 17, 24, false},
                                         RoundTripCase{16, 16, 8, true},
                                         RoundTripCase{9, 31, 8, true}));

Bytes WithDensity(Bytes jpeg, BYTE unit, WORD x, WORD y)
{
    EXPECT_EQ(std::memcmp(&jpeg[6], "JFIF", 4), 0);
    jpeg[13] = unit;
    jpeg[14] = BYTE(x >> 8);
    jpeg[15] = BYTE(x);
    jpeg[16] = BYTE(y >> 8);
    jpeg[17] = BYTE(y);
    return jpeg;
}

TEST(CRasterImageJPG, DensityBecomesDotsPerInch)
{
    const struct
    {
        BYTE unit;
        WORD x, y;
        LONG dpiX, dpiY;
    } cases[] = {{2, 28, 28, 71, 71}, {1, 300, 300, 300, 300}, {0, 1, 1, 1, 1}, {1, 0, 72, 96, 72}};
    for (const auto& c : cases) {
        CRasterImage image;
        ASSERT_TRUE(DecodeFromBytes(image, WithDensity(EncodeTestJpeg(8, 8, 3), c.unit, c.x, c.y),
                                    RASTER_FORMAT_JPG));
        EXPECT_EQ(image.GetXDPI(), c.dpiX) << int(c.unit);
        EXPECT_EQ(image.GetYDPI(), c.dpiY) << int(c.unit);
    }
}

TEST(CRasterImageJPG, ExifResolutionWinsOverDensity)
{
    ExifBuilder b(true);
    b.Rational(ExifBuilder::Ifd0, 0x011A, 118, 1).Rational(ExifBuilder::Ifd0, 0x011B, 59, 1)
        .Short(ExifBuilder::Ifd0, 0x0128, 3);
    const Bytes jpeg = InsertApp1(EncodeTestJpeg(8, 8, 3), b.Build());
    CRasterImage image;
    ASSERT_TRUE(DecodeFromBytes(image, jpeg, RASTER_FORMAT_JPG));
    EXPECT_EQ(image.GetXDPI(), 299); // 118 per cm x 2.54, truncated
    EXPECT_EQ(image.GetYDPI(), 149);
}

TEST(CRasterImageJPG, OnlyEightBitGreyOrTrueColourIsWritten)
{
    CRasterImage greyRamp, standard, bw, grey4;
    FillPattern(greyRamp, 8, 8, 8, true);
    FillPattern(standard, 8, 8, 8);
    standard.SetStdPalette();
    FillPattern(bw, 8, 8, 1);
    bw.SetPaletteColor(0, 0, 0, 0);
    bw.SetPaletteColor(1, 1, 1, 1); // passes the grey test, but is one bit deep
    FillPattern(grey4, 8, 8, 4);
    for (BYTE i = 0; i < 16; ++i)
        grey4.SetPaletteColor(i, i, i, i);
    const Bytes ramp = EncodeToBytes(greyRamp, RASTER_FORMAT_JPG);
    ASSERT_FALSE(ramp.empty());
    EXIFINFO info = {};
    CRasterExifInfo reader(&info);
    Bytes copy = ramp;
    CRasterMemFile in(copy.data(), int32_t(copy.size()));
    reader.DecodeExif(&in);
    EXPECT_EQ(info.isColor, 0);
    for (CRasterImage* refused : {&standard, &bw, &grey4}) {
        EXPECT_TRUE(EncodeToBytes(*refused, RASTER_FORMAT_JPG).empty());
        EXPECT_STREQ(refused->GetLastError(), "JPEG can save only RGB or GreyScale images");
    }
}

TEST(CRasterImageJPG, CmykScaledByBlack)
{
    const BYTE cmyk[4] = {200, 100, 50, 128};
    const Bytes jpeg = EncodeJpegSamples(16, 16, 4, JCS_CMYK,
                                         [&](int, int, int k) { return cmyk[k]; }, 100);
    CRasterImage image;
    ASSERT_TRUE(DecodeFromBytes(image, jpeg, RASTER_FORMAT_JPG));
    EXPECT_EQ(image.GetBpp(), 24);
    const RGBQUAD p = image.GetPixelColor(5, 5, false);
    EXPECT_NEAR(p.rgbRed, 128 * 200 / 255, 2);
    EXPECT_NEAR(p.rgbGreen, 128 * 100 / 255, 2);
    EXPECT_NEAR(p.rgbBlue, 128 * 50 / 255, 2);
}

TEST(CRasterImageJPG, DecodeOptionsGreyAndQuantised)
{
    const Bytes jpeg = EncodeTestJpeg(32, 16, 3);
    CRasterImage grey;
    grey.SetCodecOption(CRasterImageJPG::DEC_GRAYSCALE, RASTER_FORMAT_JPG);
    ASSERT_TRUE(DecodeFromBytes(grey, jpeg, RASTER_FORMAT_JPG));
    EXPECT_EQ(grey.GetBpp(), 8);
    EXPECT_TRUE(grey.IsGrayScale());
    CRasterImage quantised;
    quantised.SetCodecOption(CRasterImageJPG::DEC_QUANTIZE | CRasterImageJPG::DEC_ONE_PASS,
                             RASTER_FORMAT_JPG);
    quantised.SetJpegQuality(16); // the number of colours asked for
    ASSERT_TRUE(DecodeFromBytes(quantised, jpeg, RASTER_FORMAT_JPG)) << quantised.GetLastError();
    EXPECT_EQ(quantised.GetBpp(), 8);
    EXPECT_LE(quantised.GetNumColors(), 16u);
    EXPECT_GT(quantised.GetNumColors(), 1u);
}

TEST(CRasterImageJPG, EmptyTruncatedAndDimensionsOnly)
{
    CRasterImage empty;
    EXPECT_FALSE(DecodeFromBytes(empty, Bytes(), RASTER_FORMAT_JPG));
    EXPECT_STREQ(empty.GetLastError(), "Empty input file");

    Bytes jpeg = EncodeTestJpeg(64, 48, 3);
    Bytes truncated(jpeg.begin(), jpeg.begin() + jpeg.size() * 2 / 3);
    CRasterImage partial;
    EXPECT_TRUE(DecodeFromBytes(partial, truncated, RASTER_FORMAT_JPG));
    EXPECT_EQ(partial.GetWidth(), 64u);

    CRasterImageJPG dims;
    dims.SetEscape(-1);
    CRasterMemFile in(jpeg.data(), int32_t(jpeg.size()));
    EXPECT_TRUE(dims.Decode(&in));
    EXPECT_FALSE(dims.IsValid());
    EXPECT_EQ(dims.GetWidth(), 64u);
    EXPECT_EQ(dims.GetHeight(), 48u);
}

// Bytes in memory reach libjpeg in one block, a file in small ones: the pictures are the same,
// whole or cut short, and in a scaled decode.
TEST(CRasterImageJPG, MemoryAndFileStreamsDecodeAlike)
{
    const Bytes jpeg = EncodeTestJpeg(640, 480, 3, 85);
    TempDir dir;
    struct
    {
        size_t size;
        BYTE scale;
    } const cases[] = {{jpeg.size(), 1}, {jpeg.size(), 8}, {jpeg.size() / 2, 1}};
    for (const auto& c : cases) {
        const std::string path = dir / "photo.jpg";
        ASSERT_TRUE(WriteFileBytes(path, jpeg.data(), c.size));
        CRasterImageJPG fromMemory, fromFile;
        fromMemory.SetJpegScale(c.scale);
        fromFile.SetJpegScale(c.scale);
        CRasterMemFile memory(const_cast<BYTE*>(jpeg.data()), int32_t(c.size));
        ASSERT_TRUE(fromMemory.Decode(&memory)) << c.size;
        FILE* file = fopen(path.c_str(), "rb");
        ASSERT_NE(file, nullptr);
        CRasterIOFile stream(file);
        const bool read = fromFile.Decode(&stream);
        fclose(file);
        ASSERT_TRUE(read) << c.size;
        ASSERT_EQ(fromMemory.GetWidth(), 640u / c.scale);
        ASSERT_EQ(fromMemory.GetWidth(), fromFile.GetWidth());
        ASSERT_EQ(fromMemory.GetHeight(), fromFile.GetHeight());
        for (DWORD y = 0; y < fromMemory.GetHeight(); ++y)
            ASSERT_EQ(std::memcmp(fromMemory.GetBits(y), fromFile.GetBits(y), 3 * fromMemory.GetWidth()), 0)
                << "row " << y << " of a file of " << c.size << " bytes at 1/" << c.scale;
    }
}

// A progressive JPEG written by the codec itself.
Bytes ProgressiveJpeg(DWORD width, DWORD height)
{
    CRasterImage source;
    FillPattern(source, width, height, 24);
    source.SetCodecOption(CRasterImageJPG::ENC_PROGRESSIVE, RASTER_FORMAT_JPG);
    return EncodeToBytes(source, RASTER_FORMAT_JPG);
}

// Offset of the first marker `code` (0xFF code) at or after `from`, or the size.
size_t FindMarker(const Bytes& jpeg, BYTE code, size_t from = 2)
{
    for (size_t i = from; i + 1 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == code)
            return i;
    return jpeg.size();
}

// A progressive header claiming a picture of gigabytes is refused before libjpeg buffers it; one
// within the picture limit but past libjpeg's working memory fails cleanly too.
TEST(CRasterImageJPG, ProgressiveHeadersClaimingHugePicturesAreRefusedFirst)
{
    const Bytes small = ProgressiveJpeg(16, 16);
    ASSERT_FALSE(small.empty());
    const size_t sof = FindMarker(small, 0xC2);
    ASSERT_LT(sof, small.size());
    struct Case
    {
        WORD width, height;
        const char* error; // null: any text
    };
    const Case cases[] = {{64250, 64250, "RASTER_MAX_MEMORY exceeded"}, {24000, 24000, nullptr}};
    for (const Case& c : cases) {
        Bytes forged = small;
        forged[sof + 5] = BYTE(c.height >> 8);
        forged[sof + 6] = BYTE(c.height);
        forged[sof + 7] = BYTE(c.width >> 8);
        forged[sof + 8] = BYTE(c.width);
        CRasterImage image;
        EXPECT_FALSE(DecodeFromBytes(image, forged, RASTER_FORMAT_JPG)) << c.width;
        if (c.error) {
            EXPECT_STREQ(image.GetLastError(), c.error);
        } else {
            EXPECT_STRNE(image.GetLastError(), "");
        }
    }
    CRasterImage plain;
    EXPECT_TRUE(DecodeFromBytes(plain, small, RASTER_FORMAT_JPG)) << plain.GetLastError();
}

// A header claiming far more pixels than the file's bytes can code is refused before libjpeg
// starts, baseline or progressive; a large flat picture, whose data is small but enough, decodes.
TEST(CRasterImageJPG, PicturesBeyondTheirDataAreRefused)
{
    for (const bool progressive : {false, true}) {
        CRasterImage source;
        FillPattern(source, 16, 16, 24);
        if (progressive)
            source.SetCodecOption(CRasterImageJPG::ENC_PROGRESSIVE, RASTER_FORMAT_JPG);
        Bytes forged = EncodeToBytes(source, RASTER_FORMAT_JPG);
        const size_t sof = FindMarker(forged, progressive ? 0xC2 : 0xC0);
        ASSERT_LT(sof, forged.size());
        for (int i = 0; i < 4; ++i)
            forged[sof + 5 + size_t(i)] = BYTE(i % 2 == 0 ? 20000 >> 8 : 20000 & 0xFF); // 20000 x 20000
        CRasterImage image;
        EXPECT_FALSE(DecodeFromBytes(image, forged, RASTER_FORMAT_JPG)) << progressive;
        EXPECT_STREQ(image.GetLastError(), "JPEG: the picture is larger than its data can fill");
    }
    CRasterImage flat;
    ASSERT_TRUE(flat.Create(6000, 3000, 24, RASTER_FORMAT_JPG));
    flat.Clear(0x80);
    const Bytes large = EncodeToBytes(flat, RASTER_FORMAT_JPG);
    CRasterImage back;
    ASSERT_TRUE(DecodeFromBytes(back, large, RASTER_FORMAT_JPG)) << back.GetLastError();
    EXPECT_EQ(back.GetWidth(), 6000u);
}

// Thousands of repeated scans, each a pass over the picture, end with a clear failure; the
// codec's own progressive files keep decoding.
TEST(CRasterImageJPG, ScansAreBounded)
{
    const Bytes jpeg = ProgressiveJpeg(64, 48);
    const size_t sos = FindMarker(jpeg, 0xDA);
    const size_t next = FindMarker(jpeg, 0xC4, sos + 2) < FindMarker(jpeg, 0xDA, sos + 2)
                            ? FindMarker(jpeg, 0xC4, sos + 2)
                            : FindMarker(jpeg, 0xDA, sos + 2);
    const size_t eoi = FindMarker(jpeg, 0xD9);
    ASSERT_LT(next, eoi);
    const Bytes scan(jpeg.begin() + long(sos), jpeg.begin() + long(next));
    Bytes forged(jpeg.begin(), jpeg.begin() + long(eoi));
    for (int i = 0; i < 3000; ++i)
        forged.insert(forged.end(), scan.begin(), scan.end());
    forged.insert(forged.end(), {0xFF, 0xD9});
    CRasterImage image;
    EXPECT_FALSE(DecodeFromBytes(image, forged, RASTER_FORMAT_JPG));
    EXPECT_STREQ(image.GetLastError(), "JPEG: too many scans");

    CRasterImage plain;
    ASSERT_TRUE(DecodeFromBytes(plain, jpeg, RASTER_FORMAT_JPG)) << plain.GetLastError();
    EXPECT_EQ(plain.GetWidth(), 64u);
}

TEST(CRasterImageJPG, ScaleDenominatorShrinksTheOutput)
{
    CRasterImage image;
    image.SetJpegScale(4);
    ASSERT_TRUE(DecodeFromBytes(image, EncodeTestJpeg(64, 48, 3), RASTER_FORMAT_JPG));
    EXPECT_EQ(image.GetWidth(), 16u);
    EXPECT_EQ(image.GetHeight(), 12u);
}

TEST(CRasterImageJPG, ExifKeptWhenTheSameObjectReEncodes)
{
    ExifBuilder b(false);
    b.Short(ExifBuilder::Ifd0, 0x0112, 6).Ascii(ExifBuilder::Ifd0, 0x010F, "Orvo");
    Bytes photo = InsertApp1(EncodeTestJpeg(32, 16, 3), b.Build());
    CRasterImageJPG jpg;
    CRasterMemFile in(photo.data(), int32_t(photo.size()));
    ASSERT_TRUE(jpg.Decode(&in));
    EXPECT_TRUE(jpg.GetExifInfo().isExif);
    // A second Exif read replaces the first reader.
    in.Seek(0, SEEK_SET);
    EXPECT_TRUE(jpg.DecodeExif(&in));
    CRasterMemFile out;
    ASSERT_TRUE(out.Open());
    ASSERT_TRUE(jpg.Encode(&out)) << jpg.GetLastError();
    const Bytes written(out.GetBuffer(false), out.GetBuffer(false) + out.Size());
    EXPECT_EQ(ExifOrientation(written.data(), written.size()), 6);
    CRasterImage back;
    ASSERT_TRUE(DecodeFromBytes(back, written, RASTER_FORMAT_JPG)) << back.GetLastError();
    EXPECT_EQ(back.GetWidth(), 32u);
}

TEST(CRasterImageJPG, ExifSpliceWriteErrorIsAFailure)
{

    ExifBuilder b(false);
    b.Short(ExifBuilder::Ifd0, 0x0112, 3);
    Bytes photo = InsertApp1(EncodeTestJpeg(16, 16, 3), b.Build());
    CRasterImageJPG jpg;
    CRasterMemFile in(photo.data(), int32_t(photo.size()));
    ASSERT_TRUE(jpg.Decode(&in));
    RefusingStream refusing;
    EXPECT_FALSE(jpg.Encode(&refusing));
}

TEST(CRasterImageJPG, MalformedInputSweep)
{
    ExifBuilder b(true);
    b.Short(ExifBuilder::Ifd0, 0x0112, 6).Thumbnail(EncodeTestJpeg(8, 8, 1));
    const std::vector<Bytes> files = {EncodeTestJpeg(24, 16, 3),
                                      InsertApp1(EncodeTestJpeg(16, 8, 1), b.Build())};
    MalformedInputSweep(files, RASTER_FORMAT_JPG, 3000);
    MalformedInputSweep(files, RASTER_FORMAT_UNKNOWN, 300);
}

} // namespace

// A large picture's freed block is kept for the next JPEG decode of about its size: the decode
// writes every pixel, so nothing of the picture before shows through. Other pictures never take
// the block, and a block too small for the next picture is not used.
TEST(CRasterImageJPG, LargeDecodesReuseTheBlockOfTheLargePictureFreedBefore)
{
    CRasterImage pattern;
    FillPattern(pattern, 2000, 1500, 24, false);
    const Bytes bytes = EncodeToBytes(pattern, RASTER_FORMAT_JPG);
    ASSERT_FALSE(bytes.empty()) << pattern.GetLastError();
    CRasterImage first;
    ASSERT_TRUE(DecodeFromBytes(first, bytes, RASTER_FORMAT_JPG)) << first.GetLastError();
    const DWORD size = first.GetHeader().biSizeImage;

    auto freedGarbage = [](DWORD width, DWORD height) {
        CRasterImage garbage(width, height, 24, RASTER_FORMAT_BMP);
        std::memset(garbage.GetBits(0), 0x5A, garbage.GetHeader().biSizeImage);
        return garbage.GetDIB(); // the block is given up as garbage goes
    };
    const void* kept = freedGarbage(2000, 1500);
    CRasterImage plain(2000, 1500, 24, RASTER_FORMAT_BMP);
    EXPECT_NE(plain.GetDIB(), kept) << "a picture that may leave pixels unwritten takes fresh memory";
    CRasterImage again;
    ASSERT_TRUE(DecodeFromBytes(again, bytes, RASTER_FORMAT_JPG)) << again.GetLastError();
    EXPECT_EQ(again.GetDIB(), kept) << "the decode took the kept block";
    ASSERT_EQ(again.GetHeader().biSizeImage, size);
    EXPECT_EQ(0, std::memcmp(first.GetBits(0), again.GetBits(0), size)) << "the same pixels as into fresh memory";

    const void* small = freedGarbage(1900, 1500);
    CRasterImage larger;
    ASSERT_TRUE(DecodeFromBytes(larger, bytes, RASTER_FORMAT_JPG));
    EXPECT_NE(larger.GetDIB(), small) << "too small for the picture";
    EXPECT_EQ(0, std::memcmp(first.GetBits(0), larger.GetBits(0), size));
}

// A row of 1999 pixels is padded to 6000 bytes: the padding of a kept block held the bytes of the
// picture before, which saves and the thumbnail cache would have written out.
TEST(CRasterImageJPG, AKeptBlockCarriesNoBytesOfThePictureBeforeInItsRowPadding)
{
    CRasterImage pattern;
    FillPattern(pattern, 1999, 1500, 24, false);
    const Bytes bytes = EncodeToBytes(pattern, RASTER_FORMAT_JPG);
    ASSERT_FALSE(bytes.empty()) << pattern.GetLastError();
    const void* kept = nullptr;
    {
        CRasterImage garbage(1999, 1500, 24, RASTER_FORMAT_BMP);
        std::memset(garbage.GetBits(0), 0x5A, garbage.GetHeader().biSizeImage);
        kept = garbage.GetDIB();
    }
    CRasterImage decoded;
    ASSERT_TRUE(DecodeFromBytes(decoded, bytes, RASTER_FORMAT_JPG)) << decoded.GetLastError();
    ASSERT_EQ(decoded.GetDIB(), kept) << "the decode took the kept block";
    const DWORD stride = decoded.GetEffWidth();
    ASSERT_EQ(stride, 6000u);
    const BYTE* bits = decoded.GetBits(0);
    int dirty = 0;
    for (DWORD y = 0; y < 1500; ++y)
        for (DWORD x = 1999 * 3; x < stride; ++x)
            dirty += bits[y * stride + x] != 0 ? 1 : 0;
    EXPECT_EQ(dirty, 0);
}
