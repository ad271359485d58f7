// The scene's raster image: load and save by extension, Exif orientation, frames, and the free
// loaders.
#include "imaging/KImage.h"

#include "imaging/ExifOrientation.h"
#include "imaging/RasterCodecTable.h"
#include "tests/imaging/ExifTestData.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

using orvo::test::TempDir;

namespace {

bool CanWrite(DWORD format)
{
    const RASTERCODEC* codec = FindRasterCodec(format);
    return codec && codec->encode;
}

bool CanRead(DWORD format)
{
    const RASTERCODEC* codec = FindRasterCodec(format);
    return codec && codec->decode;
}

// Quadrant colours, as seen upright: top-left red, top-right green, bottom-left blue, bottom-right
// white.
const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kGreen = RGB(0, 255, 0);
const COLORREF kBlue = RGB(0, 0, 255);
const COLORREF kWhite = RGB(255, 255, 255);

void FillQuadrants(CRasterImage& image)
{
    const DWORD w = image.GetWidth();
    const DWORD h = image.GetHeight();
    for (DWORD row = 0; row < h; ++row) {
        const DWORD fromTop = h - 1 - row; // rows are stored bottom-up
        for (DWORD x = 0; x < w; ++x) {
            const bool left = x < w / 2;
            const bool top = fromTop < h / 2;
            image.SetPixelColor(x, row, top ? (left ? kRed : kGreen) : (left ? kBlue : kWhite));
        }
    }
}

// The dominant colour at the centre of a quadrant, upright coordinates.
COLORREF QuadrantColour(const CRasterImage& image, bool left, bool top)
{
    const DWORD w = image.GetWidth();
    const DWORD h = image.GetHeight();
    const long x = static_cast<long>(left ? w / 4 : 3 * w / 4);
    const long fromTop = static_cast<long>(top ? h / 4 : 3 * h / 4);
    const RGBQUAD c = image.GetPixelColor(x, static_cast<long>(h) - 1 - fromTop);
    auto level = [](BYTE v) { return v > 128 ? 255 : 0; };
    return RGB(level(c.rgbRed), level(c.rgbGreen), level(c.rgbBlue));
}

std::string SaveQuadrantImage(const TempDir& dir, const char* name, DWORD format, DWORD bpp = 24)
{
    CRasterImage image(32, 16, 24, format);
    FillQuadrants(image);
    if (bpp < 24)
        image.DecreaseBpp(bpp, false);
    const std::string path = dir / name;
    return image.Save(path.c_str(), format) ? path : std::string();
}

} // namespace

TEST(KImageTest, FormatCodesByExtension)
{
    struct Case
    {
        const char* path;
        DWORD load;
        DWORD save;
    };
    const Case cases[] = {
        {"a.bmp", 1, 1},  {"a.JPG", 3, 3},   {"a.jpeg", 3, 3}, {"a.gif", 2, 2},   {"a.psd", 18, 18},
        {"a.png", 4, 4},  {"a.mng", 5, 5},   {"a.JNG", 5, 0},  {"a.ico", 6, 0},   {"a.tiff", 7, 0},
        {"a.tif", 7, 7},  {"a.tga", 8, 8},   {"a.pcx", 9, 9},  {"a.wbmp", 10, 0}, {"a.wmf", 11, 11},
        {"a.emf", 11, 0}, {"a.dwg", 0, 0},   {"noext", 0, 0},  {"dir.x\\file", 0, 0}, {"", 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.load, KImage::LoadFormatOf(c.path)) << c.path;
        EXPECT_EQ(c.save, KImage::SaveFormatOf(c.path)) << c.path;
    }
    EXPECT_EQ(0u, KImage::LoadFormatOf(nullptr));
}

TEST(KImageTest, LoadReportsMissingUnreadableAndRefusedFiles)
{
    TempDir dir;
    KImage image;
    EXPECT_FALSE(image.Load((dir / "missing.png").c_str(), 0, 0));
    EXPECT_FALSE(image.HasImage());
    ASSERT_TRUE(orvo::test::WriteFileBytes(dir / "junk.bmp", "BMjunkjunkjunk", 14));
    EXPECT_FALSE(image.Load((dir / "junk.bmp").c_str(), 0, 0));
    EXPECT_FALSE(image.HasImage());
    ASSERT_TRUE(orvo::test::WriteFileBytes(dir / "noext", "BM", 2));
    EXPECT_FALSE(image.Load((dir / "noext").c_str(), 0, 0));
    EXPECT_FALSE(image.Load((dir / "picture.dwg").c_str(), 0, 0));
    EXPECT_FALSE(image.Load((dir / "missing.psd").c_str(), 0, 0));
}

TEST(KImageTest, LoadsAndDescribesABitmap)
{
    TempDir dir;
    const std::string path = SaveQuadrantImage(dir, "quad.bmp", RASTER_FORMAT_BMP);
    ASSERT_FALSE(path.empty());
    KImage image;
    ASSERT_TRUE(image.Load(path.c_str(), 5.0f, 6.0f));
    EXPECT_STREQ("width:32 , height:16 , bits:24", image.GetInfo().GetText());
    EXPECT_STREQ(path.c_str(), image.GetPath());
    EXPECT_EQ(24u, image.GetBpp());
    EXPECT_EQ(1, image.GetPageCount());
    float box[4] = {};
    bool empty = true;
    image.GetExtents(box, empty);
    EXPECT_FLOAT_EQ(5.0f, box[0]);
    EXPECT_FLOAT_EQ(6.0f, box[1]);
    EXPECT_FLOAT_EQ(37.0f, box[2]);
    EXPECT_FLOAT_EQ(22.0f, box[3]);
    // A box already holding more is only widened.
    float wider[4] = {0.0f, 0.0f, 100.0f, 10.0f};
    empty = false;
    image.GetExtents(wider, empty);
    EXPECT_FLOAT_EQ(0.0f, wider[0]);
    EXPECT_FLOAT_EQ(100.0f, wider[2]);
    EXPECT_FLOAT_EQ(22.0f, wider[3]);
}

TEST(KImageTest, SaveByExtension)
{
    TempDir dir;
    const std::string source = SaveQuadrantImage(dir, "quad.bmp", RASTER_FORMAT_BMP);
    KImage image;
    ASSERT_TRUE(image.Load(source.c_str(), 0, 0));
    const char* refused[] = {"out.tiff", "out.ico", "out.emf", "out.mng", "out.wmf", "out.psd",
                             "out.jng", "out.wbmp", "out.txt", "out"};
    for (const char* name : refused)
        EXPECT_FALSE(image.SaveAs((dir / name).c_str(), 90)) << name;
    struct Case
    {
        const char* name;
        DWORD format;
    };
    const Case written[] = {{"out.bmp", 1}, {"out.png", 4}, {"out.jpg", 3}, {"out.tga", 8},
                            {"out.tif", 7}, {"out.gif", 2}, {"out.pcx", 9}};
    for (const Case& c : written) {
        if (!CanWrite(c.format) || !CanRead(c.format))
            continue; // that codec is not in this build yet
        ASSERT_TRUE(image.SaveAs((dir / c.name).c_str(), 90)) << c.name;
        KImage back;
        ASSERT_TRUE(back.Load((dir / c.name).c_str(), 0, 0)) << c.name;
        EXPECT_EQ(32u, back.GetImage()->GetWidth()) << c.name;
        EXPECT_EQ(kGreen, QuadrantColour(*back.GetImage(), false, true)) << c.name;
        if (c.format == RASTER_FORMAT_GIF || c.format == RASTER_FORMAT_PCX) {
            EXPECT_LE(back.GetBpp(), 8u) << c.name;
        }
    }
    EXPECT_EQ(24u, image.GetBpp()); // the held image is never reduced
}

TEST(KImageTest, LowDepthImagesSaveAsGifAndPcx)
{
    TempDir dir;
    for (const DWORD bpp : {1u, 4u}) {
        const std::string source = SaveQuadrantImage(dir, "low.bmp", RASTER_FORMAT_BMP, bpp);
        KImage image;
        ASSERT_TRUE(image.Load(source.c_str(), 0, 0));
        ASSERT_EQ(bpp, image.GetBpp());
        for (const DWORD format : {DWORD{RASTER_FORMAT_GIF}, DWORD{RASTER_FORMAT_PCX}}) {
            if (!CanWrite(format))
                continue;
            const std::string target = dir / (format == RASTER_FORMAT_GIF ? "low.gif" : "low.pcx");
            EXPECT_TRUE(image.SaveAs(target.c_str(), 75)) << bpp << " " << target;
        }
    }
}

TEST(KImageTest, JpegPhotosAreTurnedUprightByTheirOrientation)
{
    struct Case
    {
        uint16_t orientation;
        bool turned; // width and height exchanged
        COLORREF topLeft, topRight, bottomLeft, bottomRight;
    };
    const Case cases[] = {
        {1, false, kRed, kGreen, kBlue, kWhite}, {2, false, kGreen, kRed, kWhite, kBlue},
        {3, false, kWhite, kBlue, kGreen, kRed}, {4, false, kBlue, kWhite, kRed, kGreen},
        {5, true, kRed, kBlue, kGreen, kWhite},  {6, true, kBlue, kRed, kWhite, kGreen},
        {7, true, kWhite, kGreen, kBlue, kRed},  {8, true, kGreen, kWhite, kRed, kBlue},
        {9, false, kRed, kGreen, kBlue, kWhite},
    };
    TempDir dir;
    const std::string plain = SaveQuadrantImage(dir, "plain.jpg", RASTER_FORMAT_JPG);
    ASSERT_FALSE(plain.empty());
    const std::string bytes = orvo::test::ReadFileBytes(plain);
    const orvo::test::Bytes jpeg(bytes.begin(), bytes.end());
    for (const Case& c : cases) {
        const orvo::test::Bytes app1 =
            orvo::test::ExifBuilder(c.orientation % 2 == 0).Short(orvo::test::ExifBuilder::Ifd0, 0x0112, c.orientation).Build();
        const orvo::test::Bytes photo = orvo::test::InsertApp1(jpeg, app1);
        const std::string path = dir / ("photo" + std::to_string(c.orientation) + ".JPG");
        ASSERT_TRUE(orvo::test::WriteFileBytes(path, photo.data(), photo.size()));
        KImage image;
        ASSERT_TRUE(image.Load(path.c_str(), 0, 0)) << c.orientation;
        EXPECT_EQ(RASTER_FORMAT_JPG, image.GetFormat());
        const CRasterImage& upright = *image.GetImage();
        EXPECT_EQ(c.turned ? 16u : 32u, upright.GetWidth()) << c.orientation;
        EXPECT_EQ(c.topLeft, QuadrantColour(upright, true, true)) << c.orientation;
        EXPECT_EQ(c.topRight, QuadrantColour(upright, false, true)) << c.orientation;
        EXPECT_EQ(c.bottomLeft, QuadrantColour(upright, true, false)) << c.orientation;
        EXPECT_EQ(c.bottomRight, QuadrantColour(upright, false, false)) << c.orientation;
        // The thumbnail loader turns the same way.
        const std::unique_ptr<CRasterImage> loaded = LoadRasterImage(path.c_str(), -1);
        ASSERT_TRUE(loaded) << c.orientation;
        EXPECT_EQ(c.topLeft, QuadrantColour(*loaded, true, true)) << c.orientation;
    }
}

TEST(KImageTest, RotateExifOrientationRewritesOnlyJpegFiles)
{
    TempDir dir;
    const std::string plain = SaveQuadrantImage(dir, "plain.jpg", RASTER_FORMAT_JPG);
    const std::string bytes = orvo::test::ReadFileBytes(plain);
    const orvo::test::Bytes app1 =
        orvo::test::ExifBuilder(false).Short(orvo::test::ExifBuilder::Ifd0, 0x0112, 1).Build();
    const orvo::test::Bytes photo =
        orvo::test::InsertApp1(orvo::test::Bytes(bytes.begin(), bytes.end()), app1);
    const std::string path = dir / "turn.jpg";
    ASSERT_TRUE(orvo::test::WriteFileBytes(path, photo.data(), photo.size()));
    KImage image;
    ASSERT_TRUE(image.Load(path.c_str(), 0, 0));
    ASSERT_TRUE(image.RotateExifOrientation(1)); // right: orientation 6
    EXPECT_EQ(6, ReadExifOrientation(path.c_str()));

    const std::string png = SaveQuadrantImage(dir, "quad.png", RASTER_FORMAT_PNG);
    KImage other;
    ASSERT_TRUE(other.Load(png.c_str(), 0, 0));
    EXPECT_FALSE(other.RotateExifOrientation(1));
}

TEST(KImageTest, LoadFrameKeepsThePictureWhenTheFrameFails)
{
    TempDir dir;
    const std::string path = SaveQuadrantImage(dir, "frames.bmp", RASTER_FORMAT_BMP);
    KImage image;
    EXPECT_FALSE(image.LoadFrame(1)); // nothing held
    ASSERT_TRUE(image.Load(path.c_str(), 0, 0));
    ASSERT_TRUE(DeleteFileA(path.c_str()));
    EXPECT_FALSE(image.LoadFrame(1));
    ASSERT_TRUE(image.HasImage());
    EXPECT_EQ(32u, image.GetImage()->GetWidth());
}

TEST(KImageTest, ExifSummaryOfAPhoto)
{
    using orvo::test::ExifBuilder;
    TempDir dir;
    const std::string plain = SaveQuadrantImage(dir, "plain.jpg", RASTER_FORMAT_JPG);
    const std::string bytes = orvo::test::ReadFileBytes(plain);
    const orvo::test::Bytes jpeg(bytes.begin(), bytes.end());
    struct Case
    {
        int32_t exposureNum, exposureDen;
        const char* exposure;
    };
    const Case cases[] = {{1, 2, " 1/2s"}, {4, 5, "  0.800s "}, {1, 250, " 1/250s"}};
    for (const Case& c : cases) {
        const orvo::test::Bytes app1 = ExifBuilder(false)
                                           .Ascii(ExifBuilder::Ifd0, 0x010F, "Maker")
                                           .Ascii(ExifBuilder::Ifd0, 0x0110, "Cam 1")
                                           .Ascii(ExifBuilder::ExifIfd, 0x9003, "2024:01:02 03:04:05")
                                           .Rational(ExifBuilder::ExifIfd, 0x829A, c.exposureNum, c.exposureDen)
                                           .Rational(ExifBuilder::ExifIfd, 0x829D, 28, 10)
                                           .Short(ExifBuilder::ExifIfd, 0x8822, 2)
                                           .Short(ExifBuilder::ExifIfd, 0x9209, 1)
                                           .Build();
        const orvo::test::Bytes photo = orvo::test::InsertApp1(jpeg, app1);
        const std::string path = dir / "photo.jpg";
        ASSERT_TRUE(orvo::test::WriteFileBytes(path, photo.data(), photo.size()));
        const std::string summary = GetExifSummary(path.c_str()).GetText();
        EXPECT_EQ(std::string(" Cam 1 32x16 Flashed[ A/P:) f/2.8 ,") + c.exposure +
                      "] 2024:01:02 03:04:05",
                  summary);
    }
    EXPECT_TRUE(GetExifSummary(plain.c_str()).IsEmpty());
    EXPECT_TRUE(GetExifSummary((dir / "missing.jpg").c_str()).IsEmpty());
}

// A large photo's quick first picture is decoded at the DCT scale that covers the pane, turned
// upright; the full decode that follows gives exactly what Load gives. Files that would not come
// out smaller, or that are no JPEG, give no reduced picture.
TEST(KImageTest, ReducedFirstPictureOfALargeJpegThenTheFullOneAsLoadGivesIt)
{
    TempDir dir;
    CRasterImage quadrants(1600, 1200, 24, RASTER_FORMAT_JPG);
    FillQuadrants(quadrants);
    const std::string plain = dir / "large.jpg";
    ASSERT_TRUE(quadrants.Save(plain.c_str(), RASTER_FORMAT_JPG));
    const std::string bytes = orvo::test::ReadFileBytes(plain);
    const orvo::test::Bytes jpeg(bytes.begin(), bytes.end());
    struct Case
    {
        uint16_t orientation;
        DWORD reducedWidth, reducedHeight;
        COLORREF topLeft, bottomRight;
    };
    for (const Case& c : {Case{1, 400, 300, kRed, kWhite}, Case{6, 300, 400, kBlue, kGreen}}) {
        SCOPED_TRACE(c.orientation);
        const orvo::test::Bytes photo = orvo::test::InsertApp1(
            jpeg, orvo::test::ExifBuilder(false).Short(orvo::test::ExifBuilder::Ifd0, 0x0112, c.orientation).Build());
        const std::string path = dir / ("turned" + std::to_string(c.orientation) + ".jpg");
        ASSERT_TRUE(orvo::test::WriteFileBytes(path, photo.data(), photo.size()));
        KImage image;
        ASSERT_TRUE(image.LoadReduced(path.c_str(), 400, 300));
        const CRasterImage& reduced = *image.GetImage();
        EXPECT_EQ(c.reducedWidth, reduced.GetWidth());
        EXPECT_EQ(c.reducedHeight, reduced.GetHeight());
        EXPECT_EQ(c.topLeft, QuadrantColour(reduced, true, true));
        EXPECT_EQ(c.bottomRight, QuadrantColour(reduced, false, false));
        ASSERT_TRUE(image.LoadFull(0.0f, 0.0f));
        KImage loaded;
        ASSERT_TRUE(loaded.Load(path.c_str(), 0.0f, 0.0f));
        const CRasterImage& full = *image.GetImage();
        ASSERT_EQ(loaded.GetImage()->GetWidth(), full.GetWidth());
        ASSERT_EQ(loaded.GetImage()->GetHeight(), full.GetHeight());
        ASSERT_EQ(loaded.GetImage()->GetHeader().biSizeImage, full.GetHeader().biSizeImage);
        EXPECT_EQ(0, std::memcmp(loaded.GetImage()->GetBits(0), full.GetBits(0), full.GetHeader().biSizeImage));
        EXPECT_STREQ(loaded.GetInfo().GetText(), image.GetInfo().GetText()) << "the size as the file holds it";
        EXPECT_STREQ(path.c_str(), image.GetPath());
        EXPECT_FALSE(image.LoadFull(0.0f, 0.0f)) << "the bytes are used once";
        // A reduced picture given up before its whole one is in: another load, the object gone.
        ASSERT_TRUE(image.LoadReduced(path.c_str(), 400, 300));
        ASSERT_TRUE(image.Load(plain.c_str(), 0.0f, 0.0f));
        EXPECT_EQ(1600u, image.GetImage()->GetWidth());
        EXPECT_FALSE(image.LoadFull(0.0f, 0.0f));
        auto abandoned = std::make_unique<KImage>();
        ASSERT_TRUE(abandoned->LoadReduced(path.c_str(), 400, 300));
        abandoned.reset();
    }
    const std::string small = SaveQuadrantImage(dir, "small.jpg", RASTER_FORMAT_JPG);
    const std::string bitmap = SaveQuadrantImage(dir, "large.bmp", RASTER_FORMAT_BMP);
    const struct
    {
        std::string path;
        DWORD width, height;
    } refused[] = {{small, 400, 300}, {plain, 1600, 1200}, {plain, 0, 300}, {bitmap, 8, 4}, {dir / "missing.jpg", 400, 300}};
    for (const auto& r : refused) {
        SCOPED_TRACE(r.path + " " + std::to_string(r.width));
        KImage image;
        EXPECT_FALSE(image.LoadReduced(r.path.c_str(), r.width, r.height));
        EXPECT_FALSE(image.HasImage());
        EXPECT_FALSE(image.LoadFull(0.0f, 0.0f));
    }
    // A cut-off file ends as Load ends with it, whichever way it goes.
    const std::string cut = dir / "cut.jpg";
    ASSERT_TRUE(orvo::test::WriteFileBytes(cut, bytes.data(), bytes.size() / 2));
    KImage reducedFirst;
    const bool viaReduced = reducedFirst.LoadReduced(cut.c_str(), 400, 300) ? reducedFirst.LoadFull(0.0f, 0.0f)
                                                                             : reducedFirst.Load(cut.c_str(), 0.0f, 0.0f);
    KImage whole;
    EXPECT_EQ(whole.Load(cut.c_str(), 0.0f, 0.0f), viaReduced);
    EXPECT_EQ(whole.HasImage(), reducedFirst.HasImage());
}
