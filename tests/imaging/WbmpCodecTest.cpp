// WBMP: multi-byte sizes, round trips, refusals and hostile files.
#include "imaging/CRasterImageWBMP.h"

#include "imaging/CRasterMemFile.h"
#include "tests/imaging/RasterCodecTestKit.h"
#include "tests/imaging/RasterTestImages.h"

#include <gtest/gtest.h>

namespace {

using orvo::test::Bytes;

TEST(WbmpCodec, MultiByteIntegers)
{
    const struct {
        uint32_t value;
        Bytes bytes;
    } cases[] = {{0, {0x00}}, {9, {0x09}}, {127, {0x7F}}, {128, {0x81, 0x00}},
                 {200, {0x81, 0x48}}, {16384, {0x81, 0x80, 0x00}},
                 {0xFFFFFFFF, {0x8F, 0xFF, 0xFF, 0xFF, 0x7F}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        Bytes out;
        CRasterImageWBMP::PutMultiByte(out, c.value);
        EXPECT_EQ(out, c.bytes);
        CRasterMemFile stream(out.data(), int32_t(out.size()));
        uint32_t read = 1;
        EXPECT_TRUE(CRasterImageWBMP::ReadMultiByte(stream, read));
        EXPECT_EQ(read, c.value);
    }
    Bytes tooLong(6, 0x81);
    CRasterMemFile stream(tooLong.data(), int32_t(tooLong.size()));
    uint32_t value;
    EXPECT_FALSE(CRasterImageWBMP::ReadMultiByte(stream, value));
}

TEST(WbmpCodec, RoundTrips)
{
    const struct {
        DWORD width, height;
        Bytes header;
    } cases[] = {{9, 2, {0, 0, 9, 2}}, {200, 3, {0, 0, 0x81, 0x48, 3}}, {255, 255, {0, 0, 0x81, 0x7F, 0x81, 0x7F}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
        CRasterImage image;
        FillPattern(image, c.width, c.height, 1);
        image.SetGrayPalette();
        const Bytes file = orvo::test::EncodeToBytes(image, RASTER_FORMAT_WBMP);
        ASSERT_EQ(file.size(), c.header.size() + c.height * ((c.width + 7) / 8));
        EXPECT_EQ(Bytes(file.begin(), file.begin() + c.header.size()), c.header);
        CRasterImage back;
        ASSERT_TRUE(orvo::test::DecodeFromBytes(back, file, RASTER_FORMAT_WBMP)) << back.GetLastError();
        EXPECT_EQ(ComparePixels(image, back), "");
        EXPECT_EQ(back.GetType(), DWORD(RASTER_FORMAT_WBMP));
    }
}

TEST(WbmpCodec, TopRowComesFirst)
{
    CRasterImage image;
    image.Create(9, 2, 1, 0);
    image.SetGrayPalette();
    image.Clear(0);
    image.SetPixelIndex(0, 1, 1); // top-left
    image.SetPixelIndex(8, 0, 1); // bottom-right
    const Bytes file = orvo::test::EncodeToBytes(image, RASTER_FORMAT_WBMP);
    EXPECT_EQ(file, (Bytes{0, 0, 9, 2, 0x80, 0x00, 0x00, 0x80}));
}

TEST(WbmpCodec, RefusedImages)
{
    const struct {
        DWORD width, height, bpp;
    } cases[] = {{256, 2, 1}, {2, 256, 1}, {8, 8, 4}, {8, 8, 24}};
    for (const auto& c : cases) {
        CRasterImage image;
        FillPattern(image, c.width, c.height, c.bpp);
        EXPECT_TRUE(orvo::test::EncodeToBytes(image, RASTER_FORMAT_WBMP).empty());
        EXPECT_STREQ(image.GetLastError(), "Can't save this image as WBMP");
    }
}

TEST(WbmpCodec, BadFilesFailWithTheirText)
{
    const struct {
        const char* name;
        Bytes file;
        const char* error;
    } cases[] = {
        {"empty", {}, "Not a WBMP"},
        {"type 1", {1, 0, 2, 2, 0, 0}, "Unsupported WBMP type"},
        {"zero width", {0, 0, 0, 2, 0, 0}, "Corrupted WBMP"},
        {"zero height", {0, 0, 2, 0}, "Corrupted WBMP"},
        {"no size", {0, 0}, "Corrupted WBMP"},
        {"rows cut short", {0, 0, 16, 2, 0xFF, 0xFF, 0xFF}, "Corrupted WBMP"},
        {"huge size", {0, 0, 0x8F, 0xFF, 0xFF, 0xFF, 0x7F, 0x8F, 0xFF, 0xFF, 0xFF, 0x7F, 0}, "Corrupted WBMP"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes bytes = c.file;
        bytes.push_back(0); // a valid buffer also for the empty case
        CRasterMemFile stream(bytes.data(), int32_t(c.file.size()));
        CRasterImageWBMP image;
        EXPECT_FALSE(image.Decode(&stream));
        EXPECT_STREQ(image.GetLastError(), c.error);
    }
}

TEST(WbmpCodec, MalformedInputFailsCleanly)
{
    CRasterImage a, b;
    FillPattern(a, 9, 2, 1);
    FillPattern(b, 200, 3, 1);
    orvo::test::MalformedInputSweep({orvo::test::EncodeToBytes(a, RASTER_FORMAT_WBMP),
                                     orvo::test::EncodeToBytes(b, RASTER_FORMAT_WBMP)},
                                    RASTER_FORMAT_WBMP, 3000);
}

} // namespace
