// PCX: the run-length packers, round trips of every depth the writer makes, and hostile files.
#include "imaging/CRasterImagePCX.h"

#include "tests/imaging/RasterCodecTestKit.h"
#include "tests/imaging/RasterTestImages.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using orvo::test::Bytes;

TEST(PcxPacking, PackPixelsTable)
{
    const struct {
        const char* name;
        std::vector<int> values; // ending with the end-of-line value
        Bytes expected;
    } cases[] = {
        {"70 equal bytes", [] { std::vector<int> v(70, 0x10); v.push_back(-1); return v; }(),
         {0xFF, 0x10, 0xC7, 0x10}},
        {"single high byte", {0xC5, -1}, {0xC1, 0xC5}},
        {"single low byte", {0x3F, -1}, {0x3F}},
        {"run then literal", {2, 2, 2, 9, -1}, {0xC3, 0x02, 0x09}},
        {"odd line gets its pad byte", {7, 8, 9, -2}, {7, 8, 9, 0}},
        {"63 then one", [] { std::vector<int> v(64, 0); v.push_back(-1); return v; }(),
         {0xFF, 0x00, 0x00}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CRasterImagePCX::PackState state;
        Bytes out;
        for (int v : c.values)
            CRasterImagePCX::PackPixels(v, state, out);
        EXPECT_EQ(out, c.expected);
    }
}

TEST(PcxPacking, PackPlanesTable)
{
    const struct {
        const char* name;
        Bytes line, expected;
    } cases[] = {
        {"run", {0, 0, 0}, {0xC3, 0x00}},
        {"high single", {0xC1}, {0xC1, 0xC1}},
        {"low singles", {5, 6}, {5, 6}},
        {"64 equal", Bytes(64, 0xAA), {0xFF, 0xAA, 0xAA}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes out;
        CRasterImagePCX::PackPlanes(c.line.data(), c.line.size(), out);
        EXPECT_EQ(out, c.expected);
    }
}

uint16_t HeaderWord(const Bytes& file, size_t offset)
{
    return uint16_t(file[offset] | (file[offset + 1] << 8));
}

TEST(PcxCodec, RoundTripsEveryWrittenDepth)
{
    const struct {
        DWORD width, height, bpp;
        bool alpha;
        int bitsPerPixel, planes, bytesPerLine;
    } cases[] = {
        {5, 3, 24, false, 8, 3, 6}, // odd width: each plane line gets a pad byte
        {6, 4, 24, true, 8, 4, 6},  {7, 5, 8, false, 8, 1, 8}, {9, 3, 4, false, 1, 4, 2},
        {17, 2, 1, false, 1, 1, 4}, {200, 70, 24, false, 8, 3, 200},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << "x" << c.bpp);
        CRasterImage image;
        FillPattern(image, c.width, c.height, c.bpp);
        if (c.bpp == 1) {
            image.SetPaletteColor(0, 0, 0, 0);
            image.SetPaletteColor(1, 255, 255, 255);
        }
        if (c.alpha) {
            image.AlphaCreate();
            for (DWORD y = 0; y < c.height; ++y)
                for (DWORD x = 0; x < c.width; ++x)
                    image.AlphaSet(long(x), long(y), BYTE(x * 40 + y));
        }
        const Bytes file = orvo::test::EncodeToBytes(image, RASTER_FORMAT_PCX);
        ASSERT_FALSE(file.empty()) << image.GetLastError();
        EXPECT_EQ(file[3], c.bitsPerPixel);
        EXPECT_EQ(file[65], c.planes);
        EXPECT_EQ(HeaderWord(file, 66), c.bytesPerLine);
        EXPECT_EQ(HeaderWord(file, 8), c.width - 1);
        CRasterImage back;
        ASSERT_TRUE(orvo::test::DecodeFromBytes(back, file, RASTER_FORMAT_PCX)) << back.GetLastError();
        EXPECT_EQ(back.GetType(), DWORD(RASTER_FORMAT_PCX));
        EXPECT_EQ(ComparePixels(image, back), "");
        EXPECT_EQ(back.AlphaIsValid(), c.alpha);
        if (c.alpha) {
            EXPECT_EQ(back.AlphaGet(3, 2), BYTE(3 * 40 + 2));
        }
    }
}

TEST(PcxCodec, OddWidthPlaneLinesEndWithPadByte)
{
    CRasterImage image;
    image.Create(5, 1, 24, 0);
    image.Clear(0x11);
    const Bytes file = orvo::test::EncodeToBytes(image, RASTER_FORMAT_PCX);
    // Three plane lines, each a run of five 0x11 and the pad byte.
    const Bytes data(file.begin() + 128, file.end());
    EXPECT_EQ(data, (Bytes{0xC5, 0x11, 0, 0xC5, 0x11, 0, 0xC5, 0x11, 0}));
}

TEST(PcxCodec, InvertedOneBitImageKeepsItsLook)
{
    CRasterImage image;
    image.Create(10, 2, 1, 0);
    image.SetPaletteColor(0, 255, 255, 255);
    image.SetPaletteColor(1, 0, 0, 0);
    image.Clear(0);
    image.SetPixelIndex(3, 1, 1);
    const Bytes file = orvo::test::EncodeToBytes(image, RASTER_FORMAT_PCX);
    ASSERT_FALSE(file.empty());
    EXPECT_EQ(file[16], 0); // colour map: black
    EXPECT_EQ(file[19], 255); // then white
    CRasterImage back;
    ASSERT_TRUE(orvo::test::DecodeFromBytes(back, file, RASTER_FORMAT_PCX));
    EXPECT_EQ(ComparePixels(image, back), "");
    EXPECT_EQ(back.GetPixelIndex(3, 1), 0);
}

Bytes ValidEightBitFile()
{
    CRasterImage image;
    FillPattern(image, 7, 5, 8);
    return orvo::test::EncodeToBytes(image, RASTER_FORMAT_PCX);
}

TEST(PcxCodec, BadFilesFailWithTheirText)
{
    const Bytes valid = ValidEightBitFile();
    auto with = [&](size_t offset, std::initializer_list<uint8_t> bytes) {
        Bytes b = valid;
        std::copy(bytes.begin(), bytes.end(), b.begin() + offset);
        return b;
    };
    const struct {
        const char* name;
        Bytes file;
        const char* error;
    } cases[] = {
        {"short header", Bytes(valid.begin(), valid.begin() + 100), "Can't read PCX image"},
        {"manufacturer", with(0, {9}), "Error: Not a PCX file"},
        {"encoding", with(2, {0}), "PCX file has unknown encoding scheme"},
        {"five planes", with(65, {5}), "Can't handle image with more than 4 planes"},
        {"x max below x min", with(4, {10, 0, 2, 0}), "corrupted PCX"},
        {"y max below y min", with(6, {10, 0, 2, 0}), "corrupted PCX"},
        {"bytes per line below the width", with(66, {4, 0}), "corrupted PCX"},
        {"zero planes", with(65, {0}), "corrupted PCX"},
        {"3 bits per pixel", with(3, {3}), "corrupted PCX"},
        {"huge size", with(8, {0xFF, 0xFF, 0xFF, 0xFF}), "corrupted PCX"},
        {"palette marker", with(valid.size() - 769, {11}), "bad color map signature"},
        {"data cut short", Bytes(valid.begin(), valid.begin() + 140), "corrupted PCX"},
        {"run past the end", [&] {
             Bytes b(valid.begin(), valid.begin() + 128);
             b.insert(b.end(), {0xFF, 0x01}); // 63 bytes of a 40-byte image
             return b;
         }(), "repeat count spans end of image"},
        {"two planes of 4 bits", [&] {
             Bytes b = with(3, {4});
             b[65] = 2;
             return b;
         }(), "Can't handle more than 1 bit per pixel"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CRasterImage image;
        EXPECT_FALSE(orvo::test::DecodeFromBytes(image, c.file, RASTER_FORMAT_PCX));
        EXPECT_STREQ(image.GetLastError(), c.error);
        EXPECT_FALSE(image.IsValid());
    }
}

// The map of an 8-bit picture is the file's last 769 bytes, wherever the data ends; a grey
// picture (palette information 2) may have none.
TEST(PcxCodec, EightBitMapAtTheEndAndGreyWithout)
{
    const Bytes valid = ValidEightBitFile();
    CRasterImage expected;
    ASSERT_TRUE(orvo::test::DecodeFromBytes(expected, valid, RASTER_FORMAT_PCX));
    Bytes padded(valid.begin(), valid.end() - 769);
    padded.insert(padded.end(), {0, 0, 0});
    padded.insert(padded.end(), valid.end() - 769, valid.end());
    CRasterImage image;
    ASSERT_TRUE(orvo::test::DecodeFromBytes(image, padded, RASTER_FORMAT_PCX)) << image.GetLastError();
    EXPECT_EQ(ComparePixels(image, expected), "");
    EXPECT_EQ(orvo::test::MaxChannelDifference(image, expected), 0);

    Bytes grey(valid.begin(), valid.end() - 769);
    grey[68] = 2;
    CRasterImage greyImage;
    ASSERT_TRUE(orvo::test::DecodeFromBytes(greyImage, grey, RASTER_FORMAT_PCX)) << greyImage.GetLastError();
    const BYTE index = greyImage.GetPixelIndex(3, 2);
    const RGBQUAD c = greyImage.GetPixelColor(3, 2, false);
    EXPECT_EQ(c.rgbRed, index);
    EXPECT_EQ(c.rgbGreen, index);
    EXPECT_EQ(c.rgbBlue, index);
}

TEST(PcxCodec, ReadsTwoBitPixelsAndPlanesOfOneBit)
{
    // A 4 x 1 image of 2 bits per pixel, 1 plane: values 0, 1, 2, 3 in one byte.
    Bytes b(128, 0);
    b[0] = 10;
    b[2] = 1;
    b[3] = 2;
    b[8] = 3;
    b[65] = 1;
    b[66] = 2;
    b.insert(b.end(), {0x1B, 0x00});
    CRasterImage image;
    ASSERT_TRUE(orvo::test::DecodeFromBytes(image, b, RASTER_FORMAT_PCX)) << image.GetLastError();
    EXPECT_EQ(image.GetBpp(), 4);
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(image.GetPixelIndex(x, 0), x);
    // Three planes of one bit: value bit p comes from plane p.
    b[3] = 1;
    b[65] = 3;
    b.resize(128);
    b.insert(b.end(), {0x40, 0x00, 0x80, 0x00, 0x40, 0x00}); // x1 = 1 + 4, x0 = 2
    ASSERT_TRUE(orvo::test::DecodeFromBytes(image, b, RASTER_FORMAT_PCX)) << image.GetLastError();
    EXPECT_EQ(image.GetPixelIndex(0, 0), 2);
    EXPECT_EQ(image.GetPixelIndex(1, 0), 5);
}

TEST(PcxCodec, MalformedInputFailsCleanly)
{
    CRasterImage rgb, mono;
    FillPattern(rgb, 9, 4, 24);
    FillPattern(mono, 13, 3, 4);
    const std::vector<Bytes> files = {ValidEightBitFile(),
                                      orvo::test::EncodeToBytes(rgb, RASTER_FORMAT_PCX),
                                      orvo::test::EncodeToBytes(mono, RASTER_FORMAT_PCX)};
    orvo::test::MalformedInputSweep(files, RASTER_FORMAT_PCX, 3000);
}

} // namespace
