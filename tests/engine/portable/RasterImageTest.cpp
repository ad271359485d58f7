// Raster images drawn with their pictures: the drawing's picture cache (found and decoded once at
// the size the view needs, again only when a closer view needs twice the pixels, within its byte
// limit, in the image's brightness, contrast and fade), and the painter (the picture on its
// rotated, skewed or stretched frame, clipped to its clip boundary; a picture not found keeps the
// frame with a cross and names the file).
#include "OleFrameData.h"
#include "PortableSupport.h"
#include "ReadDrawing.h"
#include "RecordingSink.h"

#include "engine/db/OleObjectData.h"
#include "engine/draw/DrawingRenderer.h"
#include "engine/draw/RasterCache.h"
#include "engine/draw/RasterSampler.h"
#include "engine/dwg/DwgReader.h"
#include "engine/dxf/DxfReader.h"
#include "engine/write/DrawingSaver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <string>

namespace {

using namespace RkDb;
using namespace RkDraw;
using orvo::portable::DxfBuilder;
using orvo::portable::Read;
using orvo::portable::RecordingSink;

// Pictures of a size by file, each pixel a grey of its column; counts what it decodes.
class FakeDecoder final : public RasterDecoder
{
public:
    std::map<std::string, std::pair<int, int>> files;
    int decodes = 0;
    int lastFitWidth = 0, lastFitHeight = 0;

    bool Decode(const std::string& path, int fitWidth, int fitHeight, RasterPicture& out) override
    {
        const auto found = files.find(path);
        if (found == files.end())
            return false;
        ++decodes;
        lastFitWidth = fitWidth;
        lastFitHeight = fitHeight;
        out.width = std::min(found->second.first, fitWidth);
        out.height = std::min(found->second.second, fitHeight);
        out.pixels.assign(static_cast<std::size_t>(out.width) * out.height, 0x808080);
        return true;
    }
    // A BMP file's bytes: a 2 x 2 picture.
    bool DecodeBytes(const std::string& bytes, int fitWidth, int fitHeight, RasterPicture& out) override
    {
        if (bytes.compare(0, 2, "BM") != 0)
            return false;
        ++decodes;
        out.width = std::min(2, fitWidth);
        out.height = std::min(2, fitHeight);
        out.pixels.assign(static_cast<std::size_t>(out.width) * out.height, 0x336699);
        return true;
    }
};

RasterCache::FileFinder Beside(const std::string& folder)
{
    return [folder](const std::string& stored) {
        const std::string name = stored.substr(stored.find_last_of("/\\") + 1);
        return name == "absent.png" ? std::string() : folder + name;
    };
}

TEST(RasterCache, DecodesOncePerNeedAndAgainOnlyForTwiceThePixels)
{
    FakeDecoder decoder;
    decoder.files["/d/map.jpg"] = {2000, 1000};
    RasterCache cache(&decoder, Beside("/d/"));
    const RasterLook look;
    const RasterPicture* small = cache.Picture("C:\\other\\map.jpg", 100, 50, look);
    ASSERT_TRUE(small);
    EXPECT_EQ(decoder.decodes, 1);
    EXPECT_LE(small->width, 256) << "a thumbnail's need, not the whole picture";
    EXPECT_GE(small->width, 100);
    // Each draw at about that size takes the decoded picture.
    for (int w : {100, 110, 120, 128})
        EXPECT_TRUE(cache.Picture("C:\\other\\map.jpg", w, 60, look));
    EXPECT_EQ(decoder.decodes, 1);
    // A closer view needs more; then the whole picture serves any closer one.
    ASSERT_TRUE(cache.Picture("C:\\other\\map.jpg", 900, 450, look));
    EXPECT_EQ(decoder.decodes, 2);
    const RasterPicture* whole = cache.Picture("C:\\other\\map.jpg", 5000, 2500, look);
    ASSERT_TRUE(whole);
    EXPECT_EQ(whole->width, 2000);
    EXPECT_EQ(decoder.decodes, 3);
    EXPECT_TRUE(cache.Picture("C:\\other\\map.jpg", 20000, 10000, look));
    EXPECT_EQ(decoder.decodes, 3);
    EXPECT_EQ(cache.Bytes(), whole->Bytes());
    // A file not found, or not a picture, is looked for once and gives no picture.
    EXPECT_FALSE(cache.Picture("absent.png", 10, 10, look));
    EXPECT_FALSE(cache.Picture("unreadable.png", 10, 10, look));
    EXPECT_FALSE(cache.Picture("unreadable.png", 10, 10, look));
    EXPECT_EQ(decoder.decodes, 3);
}

TEST(RasterCache, StaysWithinItsLimit)
{
    FakeDecoder decoder;
    for (const char* name : {"/a.png", "/b.png", "/c.png"})
        decoder.files[name] = {1000, 1000};
    const std::size_t limit = 3u * 1024 * 1024;      // room for one picture of 1024 x 512 or so
    RasterCache cache(&decoder, Beside("/"), limit);
    const RasterLook look;
    for (const char* name : {"a.png", "b.png", "c.png", "a.png"}) {
        ASSERT_TRUE(cache.Picture(name, 600, 600, look)) << name;
        EXPECT_LE(cache.Bytes(), limit) << name;
    }
    // One picture larger than the whole limit is decoded smaller.
    const RasterPicture* big = cache.Picture("b.png", 4000, 4000, look);
    ASSERT_TRUE(big);
    EXPECT_LE(big->Bytes(), limit);
    EXPECT_LE(cache.Bytes(), limit);
}

TEST(RasterCache, BrightnessContrastAndFade)
{
    struct Case
    {
        RasterLook look;
        std::uint32_t low, high; // what mid grey 0x80 becomes, per channel
    };
    const Case cases[] = {
        {{50, 50, 0, 0xFFFFFF}, 0x80, 0x80},     // as it is
        {{80, 50, 0, 0xFFFFFF}, 0xCC, 0xCD},     // brighter
        {{20, 50, 0, 0xFFFFFF}, 0x33, 0x34},     // darker
        {{50, 50, 100, 0x000000}, 0x00, 0x00},   // faded wholly into a black background
        {{50, 50, 50, 0xFFFFFF}, 0xBF, 0xC0},    // half way to white
    };
    for (const Case& c : cases) {
        FakeDecoder decoder;
        decoder.files["/g.png"] = {4, 4};
        RasterCache cache(&decoder, Beside("/"));
        const RasterPicture* p = cache.Picture("g.png", 4, 4, c.look);
        ASSERT_TRUE(p);
        const std::uint32_t red = (p->pixels[0] >> 16) & 0xFF;
        EXPECT_GE(red, c.low) << c.look.brightness << " " << c.look.fade;
        EXPECT_LE(red, c.high) << c.look.brightness << " " << c.look.fade;
        EXPECT_EQ(p->pixels[0] & 0xFF, red);
    }
    // Contrast spreads the channels about the middle.
    FakeDecoder decoder;
    decoder.files["/g.png"] = {4, 4};
    RasterCache cache(&decoder, Beside("/"));
    RasterLook strong;
    strong.contrast = 100;
    const RasterPicture* p = cache.Picture("g.png", 4, 4, strong);
    ASSERT_TRUE(p);
    EXPECT_EQ((p->pixels[0] >> 16) & 0xFF, 0x81u);
}

// A 100 x 100 device showing world 0..100.
ViewTransform UnitView()
{
    ViewTransform view;
    view.SetDevice(100, 100);
    view.SetArea({50, 50}, 100);
    return view;
}

std::unique_ptr<Database> ImageDrawing(const std::function<void(DxfBuilder&)>& frame, const std::string& file)
{
    DxfBuilder b;
    b.Header("AC1015").Section("ENTITIES");
    b.S(0, "IMAGE").S(5, "40").S(8, "0").S(100, "AcDbRasterImage");
    frame(b);
    b.S(340, "41").I(281, 50).I(282, 50).I(283, 0);
    b.EndSection().Section("OBJECTS");
    b.S(0, "IMAGEDEF").S(5, "41").S(100, "AcDbRasterImageDef").S(1, file).P(10, 40, 20);
    b.EndSection().Eof();
    return Read(b);
}

TEST(RasterPainter, PictureOnItsFrameClippedToItsBoundary)
{
    struct Case
    {
        const char* what;
        std::function<void(DxfBuilder&)> frame;
        DevPoint topLeft, topRight, bottomLeft;   // device, y downwards
        std::size_t clipCorners;
    };
    const Case cases[] = {
        // 40 x 20 pixels of half a unit, at (10, 10): the picture spans 10..30 x 10..20.
        {"upright", [](DxfBuilder& b) { b.P(10, 10, 10).P(11, 0.5, 0).P(12, 0, 0.5).P(13, 40, 20); },
         {10, 80}, {30, 80}, {10, 90}, 4},
        // Turned a quarter: x along the world's y, y along the world's -x.
        {"rotated", [](DxfBuilder& b) { b.P(10, 50, 10).P(11, 0, 0.5).P(12, -0.5, 0).P(13, 40, 20); },
         {40, 90}, {40, 70}, {50, 90}, 4},
        // Skewed, with pixels twice as tall as wide, clipped to a triangle.
        {"skewed and clipped",
         [](DxfBuilder& b) {
             b.P(10, 10, 10).P(11, 0.5, 0).P(12, 0.25, 1).P(13, 40, 20).I(280, 1).I(71, 2).I(91, 3);
             b.D(14, -0.5).D(24, -0.5).D(14, 39.5).D(24, -0.5).D(14, -0.5).D(24, 19.5);
         },
         {15, 70}, {35, 70}, {10, 90}, 3},
    };
    for (const Case& c : cases) {
        auto db = ImageDrawing(c.frame, "C:\\maps\\tile.png");
        FakeDecoder decoder;
        decoder.files["/here/tile.png"] = {40, 20};
        RasterCache cache(&decoder, Beside("/here/"));
        RenderOptions options;
        options.rasters = &cache;
        RecordingSink sink;
        DrawingRenderer(*db, sink, options).Draw(0, UnitView());
        ASSERT_EQ(sink.pictures.size(), 1u) << c.what;
        const auto& p = sink.pictures[0];
        const auto near = [](DevPoint a, DevPoint b) { return std::hypot(a.x - b.x, a.y - b.y) < 1e-6; };
        EXPECT_TRUE(near(p.topLeft, c.topLeft)) << c.what << " " << p.topLeft.x << "," << p.topLeft.y;
        EXPECT_TRUE(near(p.topRight, c.topRight)) << c.what << " " << p.topRight.x << "," << p.topRight.y;
        EXPECT_TRUE(near(p.bottomLeft, c.bottomLeft)) << c.what;
        EXPECT_EQ(p.clipDepth, 1) << c.what << ": inside its clip";
        ASSERT_EQ(sink.clips.size(), 1u) << c.what;
        EXPECT_EQ(sink.clips[0].size(), c.clipCorners) << c.what;
        EXPECT_EQ(sink.depth, 0);
        EXPECT_TRUE(sink.texts.empty()) << c.what;
        // Only the pixels the frame covers on the device were asked for, not the whole picture.
        EXPECT_EQ(decoder.decodes, 1) << c.what;
    }
}

TEST(RasterPainter, MissingPictureKeepsTheFrameAndNamesTheFile)
{
    auto db = ImageDrawing([](DxfBuilder& b) { b.P(10, 10, 10).P(11, 2, 0).P(12, 0, 2).P(13, 40, 20); },
                           "D:\\survey\\absent.png");
    FakeDecoder decoder;
    RasterCache cache(&decoder, Beside("/here/"));
    for (RasterCache* rasters : {&cache, static_cast<RasterCache*>(nullptr)}) {
        RenderOptions options;
        options.rasters = rasters;
        RecordingSink sink;
        DrawingRenderer(*db, sink, options).Draw(0, UnitView());
        EXPECT_TRUE(sink.pictures.empty());
        EXPECT_EQ(sink.strokes.size(), 3u) << "the frame and its cross";
        ASSERT_EQ(sink.texts.size(), 1u);
        EXPECT_EQ(sink.texts[0].utf8, "absent.png");
        EXPECT_GT(sink.texts[0].height, 1.0);
    }
}

} // namespace

namespace {

// Devices that place only upright pictures get the turned picture sampled: a 2 x 1 picture
// (red, blue) turned a quarter counter-clockwise on the screen has red below and blue above.
TEST(RasterSampler, TurnedPictureLandsUpright)
{
    RkDraw::RasterPicture picture;
    picture.width = 2;
    picture.height = 1;
    picture.pixels = {0xFF0000, 0x0000FF};
    // Top left at (0, 20), top right at (0, 0): x runs up the screen; y (one row) to the right.
    const RkDraw::DevPoint topLeft{0, 20}, topRight{0, 0}, bottomLeft{10, 20};
    const double limits[4] = {-100, -100, 100, 100};
    const RkDraw::DeviceBox box = RkDraw::RasterSampler::Cover(topLeft, topRight, bottomLeft, limits);
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.top, 0);
    EXPECT_EQ(box.width, 10);
    EXPECT_EQ(box.height, 20);
    RkDraw::RasterPicture out;
    ASSERT_TRUE(RkDraw::RasterSampler::Sample(picture, topLeft, topRight, bottomLeft, box, 1.0, 0xFFFFFF, out));
    ASSERT_EQ(out.width, 10);
    ASSERT_EQ(out.height, 20);
    EXPECT_EQ(out.pixels[static_cast<std::size_t>(15) * 10 + 5], 0xFF0000u) << "red below";
    EXPECT_EQ(out.pixels[static_cast<std::size_t>(5) * 10 + 5], 0x0000FFu) << "blue above";
    // Coarser steps for a printer page, and refusals.
    ASSERT_TRUE(RkDraw::RasterSampler::Sample(picture, topLeft, topRight, bottomLeft, box, 5.0, 0xFFFFFF, out));
    EXPECT_EQ(out.width, 2);
    EXPECT_EQ(out.height, 4);
    EXPECT_FALSE(RkDraw::RasterSampler::Sample(picture, topLeft, topLeft, bottomLeft, box, 1.0, 0, out)) << "flat";
    const double tiny[4] = {50, 50, 60, 60};
    EXPECT_EQ(RkDraw::RasterSampler::Cover(topLeft, topRight, bottomLeft, tiny).width, 0) << "off the limits";
}

} // namespace

namespace {

using orvo::portable::AddOleFrame;
using orvo::portable::CompoundFileWith;
using orvo::portable::FourColourBmp;
using orvo::portable::OleData;

// The picture an OLE object keeps comes out of its compound file: a static picture's CONTENTS
// (a BMP file as it is, an enhanced metafile after its header's size, a packed DIB made a BMP
// file); damaged data gives no picture, never a wrong one.
TEST(OleObjectData, PictureAndCornersOfTheFrame)
{
    const std::string bmp = FourColourBmp();
    const std::string data = OleData(10, 20, 50, 40, CompoundFileWith(bmp));
    RkDb::Vec3 corners[4];
    ASSERT_TRUE(RkDb::OleObjectData::Corners(data, corners));
    EXPECT_EQ(corners[0].x, 10.0);
    EXPECT_EQ(corners[0].y, 40.0);
    EXPECT_EQ(corners[2].x, 50.0);
    EXPECT_EQ(corners[2].y, 20.0);
    EXPECT_EQ(RkDb::OleObjectData::Picture(data, 1 << 20), bmp);
    // A packed DIB (the BMP file without its 14-byte file header) becomes that BMP file again.
    EXPECT_EQ(RkDb::OleObjectData::Picture(OleData(0, 0, 1, 1, CompoundFileWith(bmp.substr(14))), 1 << 20), bmp);
    std::string emf(120, '\0');
    emf[0] = 1;
    emf[4] = 120;
    std::memcpy(&emf[40], " EMF", 4);
    const std::string sized = std::string("\x6c\0\0\0", 4) + emf;
    EXPECT_EQ(RkDb::OleObjectData::Picture(OleData(0, 0, 1, 1, CompoundFileWith(sized)), 1 << 20), emf);
    // Cut anywhere or damaged anywhere: no read past the data, and no picture but the stored one.
    for (std::size_t at = 0; at < data.size(); at += 7) {
        const std::string cut = RkDb::OleObjectData::Picture(data.substr(0, at), 1 << 20);
        EXPECT_TRUE(cut.empty() || cut.size() <= bmp.size()) << at;
        std::string damaged = data;
        damaged[at] = static_cast<char>(damaged[at] ^ 0x5A);
        const std::string picture = RkDb::OleObjectData::Picture(damaged, 1 << 20);
        EXPECT_LE(picture.size(), data.size()) << at;
    }
    // A metafile presentation becomes a placeable metafile of its window's bounds.
    const std::string presentation = orvo::portable::RedMetafilePresentation();
    const std::string placeable = RkDb::OleObjectData::Picture(
        OleData(0, 0, 1, 1, CompoundFileWith(presentation, u"\u0002OlePres000")), 1 << 20);
    ASSERT_EQ(placeable.size(), 22 + presentation.size() - 40);
    EXPECT_EQ(placeable.substr(0, 4), std::string("\xD7\xCD\xC6\x9A", 4));
    EXPECT_EQ(static_cast<unsigned char>(placeable[10]), 100u) << "the window's right edge";
    EXPECT_FALSE(RkDb::OleObjectData::Corners(data.substr(0, 60), corners));
    EXPECT_TRUE(RkDb::OleObjectData::Picture(std::string(600, 'x'), 1 << 20).empty());
}

TEST(OleObjectData, FrameDrawsItsPictureElseItsFrame)
{
    for (const bool stored : {true, false}) {
        DxfBuilder b;
        b.Header("AC1015").Section("ENTITIES");
        const std::string compound = CompoundFileWith(stored ? FourColourBmp() : "not a picture");
        AddOleFrame(b, OleData(10, 20, 50, 40, compound), 10, 20, 50, 40);
        b.EndSection().Eof();
        auto db = Read(b);
        const Entity* e = db->ModelSpaceBlock().entities.empty() ? nullptr : db->ModelSpaceBlock().entities[0].get();
        ASSERT_TRUE(e && As<OleFrame>(*e));
        FakeDecoder decoder;
        RasterCache cache(&decoder, Beside("/"));
        RenderOptions options;
        options.rasters = &cache;
        RecordingSink sink;
        DrawingRenderer(*db, sink, options).Draw(0, UnitView());
        if (stored) {
            ASSERT_EQ(sink.pictures.size(), 1u);
            EXPECT_NEAR(sink.pictures[0].topLeft.x, 10, 1e-9);
            EXPECT_NEAR(sink.pictures[0].topLeft.y, 60, 1e-9);
            EXPECT_NEAR(sink.pictures[0].topRight.x, 50, 1e-9);
            EXPECT_NEAR(sink.pictures[0].bottomLeft.y, 80, 1e-9);
            EXPECT_TRUE(sink.strokes.empty());
        } else {
            EXPECT_TRUE(sink.pictures.empty());
            ASSERT_EQ(sink.strokes.size(), 1u) << "the frame";
            EXPECT_EQ(sink.strokes[0].points.size(), 5u);
        }
        Vec2 min, max;
        ASSERT_TRUE(DrawingRenderer::Extents(*db, 0, UnitView(), min, max));
        EXPECT_NEAR(min.x, 10, 1e-9);
        EXPECT_NEAR(max.y, 40, 1e-9);
    }
}

} // namespace

namespace {

// "nine raster images (their files are not here)": each keeps its frame with a cross and names
// its file, the one stored by another machine's path by the file's own name.
TEST(RasterPainter, AccidentPlanImagesNameTheirMissingFiles)
{
    const std::string dir = orvo::portable::SamplesDir();
    if (dir.empty())
        GTEST_SKIP() << "the shared sample drawings folder is absent";
    const std::string bytes = orvo::portable::ReadWholeFile(dir + "dwg/real/uap_212718.dxf");
    ASSERT_FALSE(bytes.empty());
    Database db;
    RkDxf::DxfReader reader(db);
    ASSERT_EQ(reader.Read(bytes.data(), bytes.size()), RkDxf::DxfReader::Status::Ok);
    FakeDecoder decoder;
    RasterCache cache(&decoder, [](const std::string&) { return std::string(); });
    RenderOptions options;
    options.rasters = &cache;
    ViewTransform view;
    view.SetDevice(2000, 1500);
    Vec2 min, max;
    ASSERT_TRUE(DrawingRenderer::Extents(db, 0, view, min, max));
    view.Fit(min, max, 0.98);
    RecordingSink sink;
    DrawingRenderer(db, sink, options).Draw(0, view);
    EXPECT_TRUE(sink.pictures.empty());
    std::vector<std::string> names;
    for (const TextRun& run : sink.texts) {
        if (run.utf8.size() > 4 && run.utf8.compare(run.utf8.size() - 4, 4, ".jpg") == 0)
            names.push_back(run.utf8);
    }
    EXPECT_EQ(names.size(), 9u);
    EXPECT_NE(std::find(names.begin(), names.end(), "Bild05.jpg"), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), "TK_Bad-Ragaz.jpg"), names.end());
    EXPECT_EQ(decoder.decodes, 0);
}

} // namespace

namespace {

// A bitonal file's picture as a decoder gives it, black on white: ink, paper, a pixel where a
// shrink averaged half ink and half paper, and one of a trace of ink.
class BitonalDecoder final : public RasterDecoder
{
public:
    bool Decode(const std::string&, int, int, RasterPicture& out) override
    {
        out.width = 4;
        out.height = 1;
        out.pixels = {0x000000, 0xFFFFFF, 0x808080, 0xE0E0E0};
        out.bitonal = bitonal;
        return true;
    }
    bool DecodeBytes(const std::string&, int, int, RasterPicture&) override { return false; }
    bool bitonal = true;
};

std::unique_ptr<Database> BitonalDrawing(int display, int colour)
{
    DxfBuilder b;
    b.Header("AC1015").Section("ENTITIES");
    b.S(0, "IMAGE").S(5, "40").S(8, "0").I(62, colour).S(100, "AcDbRasterImage");
    b.P(10, 10, 10).P(11, 10, 0).P(12, 0, 10).P(13, 4, 1).S(340, "41").I(70, display);
    b.I(281, 50).I(282, 50).I(283, 0);
    b.EndSection().Section("OBJECTS");
    b.S(0, "IMAGEDEF").S(5, "41").S(100, "AcDbRasterImageDef").S(1, "C:\\scans\\sheet.tif").P(10, 4, 1);
    b.EndSection().Eof();
    return Read(b);
}

} // namespace

// A bitonal picture's ink takes the entity's colour over the background; with the image's
// transparency on its paper is a key colour that lets what lies below show, and a trace of ink
// still counts as ink so that thin lines stay when the view shrinks a scan.
TEST(RasterCache, BitonalInkInTheEntitysColour)
{
    struct Case
    {
        bool clear;
        std::uint32_t ink, paper, half, trace;    // kKey: the picture's key colour
    };
    constexpr std::uint32_t kKey = 0xFFFFFFFF;
    const Case cases[] = {
        {false, 0x0000FF, 0xFFFF00, 0x80807F, 0xE0E01F},
        {true, 0x0000FF, kKey, 0x0000FF, kKey},
    };
    for (const Case& c : cases) {
        BitonalDecoder decoder;
        RasterCache cache(&decoder, Beside("/"));
        RasterLook look;
        look.background = 0xFFFF00;
        look.foreground = 0x0000FF;
        look.clearBackground = c.clear;
        const RasterPicture* p = cache.Picture("sheet.tif", 4, 1, look);
        ASSERT_TRUE(p);
        EXPECT_EQ(p->keyed, c.clear);
        EXPECT_NE(p->key, look.foreground);
        const std::uint32_t want[] = {c.ink, c.paper, c.half, c.trace};
        for (int i = 0; i < 4; ++i) {
            const std::uint32_t expected = want[i] == kKey ? p->key : want[i];
            const auto channel = [](std::uint32_t v, int s) { return static_cast<int>((v >> s) & 0xFF); };
            for (int s = 0; s <= 16; s += 8)
                EXPECT_NEAR(channel(p->pixels[i], s), channel(expected, s), 1) << c.clear << " pixel " << i;
        }
    }
    // A picture of more than one bit per pixel keeps its own colours.
    BitonalDecoder colour;
    colour.bitonal = false;
    RasterCache cache(&colour, Beside("/"));
    RasterLook look;
    look.foreground = 0x0000FF;
    look.clearBackground = true;
    const RasterPicture* p = cache.Picture("photo.png", 4, 1, look);
    ASSERT_TRUE(p);
    EXPECT_FALSE(p->keyed);
    EXPECT_EQ(p->pixels[0], 0x000000u);
    EXPECT_EQ(p->pixels[1], 0xFFFFFFu);
}

// Through the renderer: the entity's colour (index 5, blue) inks the picture, and the display
// properties' transparency bit (8) clears its paper.
TEST(RasterPainter, BitonalImageInItsColourWithItsPaperClear)
{
    for (const int display : {7, 15}) {
        auto db = BitonalDrawing(display, 5);
        BitonalDecoder decoder;
        RasterCache cache(&decoder, Beside("/scans/"));
        RenderOptions options;
        options.rasters = &cache;
        options.background = 0xFFFFFF;
        RecordingSink sink;
        DrawingRenderer(*db, sink, options).Draw(0, UnitView());
        ASSERT_EQ(sink.pictures.size(), 1u) << display;
        const RasterPicture& picture = *sink.pictures[0].picture;
        EXPECT_EQ(picture.pixels[0], 0x0000FFu) << display;
        EXPECT_EQ(picture.keyed, display == 15);
        EXPECT_EQ(picture.pixels[1], display == 15 ? picture.key : 0xFFFFFFu);
    }
}

// Saving keeps an image's look and its transparency in DXF and DWG.
TEST(RasterImage, SavingKeepsTheLookAndTheTransparency)
{
    DxfBuilder b;
    b.Header("AC1015").Section("ENTITIES");
    b.S(0, "IMAGE").S(5, "40").S(8, "0").S(100, "AcDbRasterImage");
    b.P(10, 10, 10).P(11, 1, 0).P(12, 0, 1).P(13, 40, 20).S(340, "41").I(70, 15);
    b.I(281, 70).I(282, 30).I(283, 20);
    b.EndSection().Section("OBJECTS");
    b.S(0, "IMAGEDEF").S(5, "41").S(100, "AcDbRasterImageDef").S(1, "C:\\scans\\sheet.tif").P(10, 40, 20);
    b.EndSection().Eof();
    const auto source = Read(b);
    const auto image = [](const Database& db) -> const Image* {
        for (const EntityPtr& e : db.Blocks()[db.ModelSpace()].entities)
            if (e->type == EntityType::Image)
                return static_cast<const Image*>(e.get());
        return nullptr;
    };
    ASSERT_TRUE(image(*source));
    EXPECT_TRUE(image(*source)->transparent);
    for (const int kind : {RkWrite::DrawingSaver::kDxf, RkWrite::DrawingSaver::kDwg}) {
        for (const int version : {8, 9}) {
            std::string bytes;
            ASSERT_EQ(RkWrite::DrawingSaver::Build(*source, kind, version, bytes).status, RkWrite::SaveStatus::Ok);
            auto back = std::make_unique<Database>();
            if (kind == RkWrite::DrawingSaver::kDwg) {
                ASSERT_EQ(orvo::dwg::DwgReader().Read(std::vector<uint8_t>(bytes.begin(), bytes.end()), *back),
                          orvo::dwg::DwgReadResult::Ok);
            } else {
                RkDxf::DxfReader reader(*back);
                ASSERT_EQ(reader.Read(bytes.data(), bytes.size()), RkDxf::DxfReader::Status::Ok);
            }
            const Image* kept = image(*back);
            ASSERT_TRUE(kept) << kind << " " << version;
            EXPECT_TRUE(kept->transparent) << kind << " " << version;
            EXPECT_EQ(kept->brightness, 70) << kind << " " << version;
            EXPECT_EQ(kept->contrast, 30) << kind << " " << version;
            EXPECT_EQ(kept->fade, 20) << kind << " " << version;
        }
    }
}
