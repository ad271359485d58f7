// Real drawings drawn as their authors saw them, through the drawing object as the view, the
// preview pane and the thumbnails use it: the plan fills the opening view and the thumbnail
// where far objects or a blank text made it a corner or a speck, while zoom extents still shows
// every object; raster images show their pictures (found beside the drawing when the stored path
// is another machine's), and a picture not found keeps its frame.
#include "OffscreenPicture.h"

#include "engine/rkio/DirectCanvas.h"
#include "engine/rkio/RasterFileFinder.h"
#include "engine/rkio/rkio.h"
#include "imaging/DrawingRasterDecoder.h"
#include "tests/engine/portable/DxfBuilder.h"
#include "tests/engine/portable/OleFrameData.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

using orvo::test::OffscreenPicture;

constexpr int kWidth = 240, kHeight = 180;
constexpr std::uint32_t kWhite = 0xFFFFFF;

struct DrawingDeleter
{
    void operator()(CDrawing* d) const { CDrawing::DeleteDrawing(d); }
};
using DrawingPtr = std::unique_ptr<CDrawing, DrawingDeleter>;

// The box of the pixels that are not background.
struct InkBox
{
    int left = kWidth, top = kHeight, right = -1, bottom = -1;
    int count = 0;
    int Width() const { return right < left ? 0 : right - left + 1; }
    int Height() const { return bottom < top ? 0 : bottom - top + 1; }
};

InkBox InkOf(const OffscreenPicture& picture)
{
    InkBox box;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            if (picture.Pixel(x, y) == kWhite)
                continue;
            ++box.count;
            box.left = std::min(box.left, x);
            box.right = std::max(box.right, x);
            box.top = std::min(box.top, y);
            box.bottom = std::max(box.bottom, y);
        }
    }
    return box;
}

// The built drawing written as a DXF file of that name in the folder; its path.
std::string WrittenDxf(const orvo::test::TempDir& dir, const char* name, const orvo::portable::DxfBuilder& b)
{
    const std::string dxf = b.Ascii();
    const std::string path = dir / name;
    EXPECT_TRUE(orvo::test::WriteFileBytes(path, dxf.data(), dxf.size())) << path;
    return path;
}

class RealDrawingView : public ::testing::Test
{
protected:
    void SetUp() override
    {
        InitDLL();
        DWG_SetBackgroundColor(RGB(255, 255, 255));
        DWG_SetRasterDecoder(&m_decoder);
    }
    void TearDown() override { DWG_SetRasterDecoder(nullptr); }

    // Opened at the picture's size, as the view opens it.
    static DrawingPtr Open(const std::string& path)
    {
        DrawingPtr drawing(CDrawing::CreateDrawing(0));
        drawing->SetOutputSize(kWidth, kHeight);
        EXPECT_EQ(drawing->Open(path.c_str(), ""), 0) << path;
        return drawing;
    }

    static InkBox Drawn(CDrawing& drawing)
    {
        OffscreenPicture picture(kWidth, kHeight, RGB(255, 255, 255));
        EXPECT_TRUE(drawing.Render(picture.Dc(), nullptr));
        return InkOf(picture);
    }

    static InkBox Thumbnail(CDrawing& drawing)
    {
        OffscreenPicture picture(kWidth, kHeight, RGB(255, 255, 255));
        EXPECT_TRUE(drawing.RenderFitted(picture.Dc(), kWidth, kHeight, nullptr));
        return InkOf(picture);
    }

    DrawingRasterDecoder m_decoder;
};

// A plan that fills the picture reaches across most of its width or its height (a share in
// tenths).
void ExpectFills(const InkBox& ink, const std::string& what, int tenths = 8)
{
    EXPECT_GT(ink.count, 200) << what;
    EXPECT_TRUE(ink.Width() >= kWidth * tenths / 10 || ink.Height() >= kHeight * tenths / 10)
        << what << ": ink " << ink.left << ".." << ink.right << " x " << ink.top << ".." << ink.bottom;
}

TEST_F(RealDrawingView, PlansFillTheOpeningViewAndTheThumbnail)
{
    ORVO_REQUIRE_SAMPLES(samples);
    struct Case
    {
        const char* name;
        bool farObjects;     // zoom extents shows them too, so the plan shrinks there
    };
    const Case cases[] = {
        // "zoom extents leave it in the left 40% of the view"
        {"\\dwg\\real\\apress_site.dwg", false},
        // "a few hatches far away (x near 770,000) that make the plans specks"
        {"\\dwg\\real\\northblock_electrical.dwg", true},
        // "a stray far point and an insert make them a speck cut at the top"
        {"\\dwg\\real\\ezdxf_dimstyle-vars.dwg", true},
        // "zoom to a small fragment near x = -995,000 instead of the whole drawing"
        {"\\dwg\\example_2018.dwg", true},
        {"\\dwg\\example_2018.dxf", true},
        {"\\dwg\\example_r12.dxf", true},
        // "only 3D solids (ACIS, 2018 format) in one block insert; draws nothing"
        {"\\dwg\\real\\connecting_rod.dwg", false},
    };
    for (const Case& c : cases) {
        const std::string path = samples + c.name;
        DrawingPtr drawing = Open(path);
        // The view saved with the drawing when it shows the plan, else the plan fitted.
        ExpectFills(Drawn(*drawing), path + " opening view", 6);
        // The fit of a thumbnail, of the preview pane and of a newly opened view.
        ExpectFills(Thumbnail(*drawing), path + " thumbnail");
        drawing->FitOpeningView(0.98);
        ExpectFills(Drawn(*drawing), path + " opening fit");
        double planWidth = 0, planHeight = 0;
        drawing->GetViewWorldSize(&planWidth, &planHeight);
        // Zoom extents shows everything: with far objects a much larger area than the plan's.
        drawing->ZoomExtents(0, 0, 1.05);
        EXPECT_GT(Drawn(*drawing).count, 0) << path;
        double allWidth = 0, allHeight = 0;
        drawing->GetViewWorldSize(&allWidth, &allHeight);
        if (c.farObjects)
            EXPECT_GT(allWidth, 4 * planWidth) << path;
        else
            EXPECT_NEAR(allWidth, planWidth, planWidth * 0.1) << path;
    }
}

// Pixels of the picture whose colour is near rgb.
int CountNear(const OffscreenPicture& picture, std::uint32_t rgb, int x0, int y0, int x1, int y1)
{
    int n = 0;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            const std::uint32_t p = picture.Pixel(x, y);
            int d = 0;
            for (int shift : {0, 8, 16})
                d = std::max(d, std::abs(static_cast<int>((p >> shift) & 0xFF) - static_cast<int>((rgb >> shift) & 0xFF)));
            n += d <= 24 ? 1 : 0;
        }
    }
    return n;
}

// "eight raster IMAGE tiles of a city map; the picture files lie beside it (the drawing names
// them by an absolute path of another machine)": the map's colours fill the tiles' frames, in
// the view and in the thumbnail.
TEST_F(RealDrawingView, MapTilesShowTheirPictures)
{
    ORVO_REQUIRE_SAMPLES(samples);
    DrawingPtr drawing = Open(samples + "\\dwg\\real\\graz\\ezdxf_Graz_10km_3m.dxf");
    for (const bool thumbnail : {false, true}) {
        OffscreenPicture picture(kWidth, kHeight, RGB(255, 255, 255));
        if (thumbnail)
            ASSERT_TRUE(drawing->RenderFitted(picture.Dc(), kWidth, kHeight, nullptr));
        else
            ASSERT_TRUE(drawing->Render(picture.Dc(), nullptr));
        // The tiles cover the middle of the view: a map, not white paper with crossed frames.
        int coloured = 0, distinct = 0;
        std::vector<std::uint32_t> seen;
        for (int y = kHeight / 4; y < kHeight * 3 / 4; ++y) {
            for (int x = kWidth / 4; x < kWidth * 3 / 4; ++x) {
                const std::uint32_t p = picture.Pixel(x, y);
                if (p == kWhite)
                    continue;
                ++coloured;
                if (std::find(seen.begin(), seen.end(), p) == seen.end() && seen.size() < 64) {
                    seen.push_back(p);
                    ++distinct;
                }
            }
        }
        const int area = (kWidth / 2) * (kHeight / 2);
        EXPECT_GT(coloured, area / 2) << (thumbnail ? "thumbnail" : "view");
        EXPECT_GE(distinct, 16) << (thumbnail ? "thumbnail" : "view") << ": the picture's colours";
    }
}

// A printer device that keeps where each bitmap went and how much red it holds.
class PictureDevice final : public CDwgExport
{
public:
    struct Placed
    {
        double x, y;
        int width, height;
        int red;
    };
    void DrawBitmap(double x, double y, int width, int height, int, int, int, int, int, HBITMAP bitmap,
                    int, int) override
    {
        placed.push_back({x, y, width, height, RedPixels(bitmap)});
    }
    std::vector<Placed> placed;

private:
    static int RedPixels(HBITMAP bitmap)
    {
        BITMAP info = {};
        if (!GetObject(bitmap, sizeof info, &info) || info.bmBitsPixel != 32 || !info.bmBits)
            return -1;
        int n = 0;
        const auto* bits = static_cast<const std::uint32_t*>(info.bmBits);
        for (int i = 0; i < info.bmWidth * info.bmHeight; ++i)
            n += (bits[i] & 0xFFFFFF) == 0xFF0000 ? 1 : 0;
        return n;
    }
};

// An image of that picture, turned a quarter counter-clockwise and with pixels twice as tall as
// wide, stored by a path of another machine: found beside the drawing, each colour where the
// transform puts it. Without the file the frame stays and names it.
TEST_F(RealDrawingView, ImageFoundBesideTheDrawingUnderItsTransform)
{
    orvo::test::TempDir dir;
    orvo::portable::DxfBuilder b;
    b.Header("AC1015").Section("ENTITIES");
    b.S(0, "LINE").S(8, "0").P(10, -30, -10).P(11, -29, -10);
    b.S(0, "LINE").S(8, "0").P(10, 30, 70).P(11, 29, 70);
    // u = one pixel along the world's y (10 units), v = along the world's -x (20 units): the
    // picture spans x -40..0, y 0..20 in the world.
    b.S(0, "IMAGE").S(5, "40").S(8, "0").S(100, "AcDbRasterImage").P(10, 0, 0).P(11, 0, 10)
        .P(12, -20, 0).P(13, 2, 2).S(340, "41");
    b.EndSection().Section("OBJECTS");
    b.S(0, "IMAGEDEF").S(5, "41").S(100, "AcDbRasterImageDef").S(1, "Q:\\elsewhere\\pic.bmp").P(10, 2, 2);
    b.EndSection().Eof();
    const std::string path = WrittenDxf(dir, "placed.dxf", b);
    const std::string bmp = orvo::portable::FourColourBmp();
    ASSERT_TRUE(orvo::test::WriteFileBytes(dir / "pic.bmp", bmp.data(), bmp.size()));
    DrawingPtr drawing = Open(path);
    drawing->FitOpeningView(1.0);
    OffscreenPicture picture(kWidth, kHeight, RGB(255, 255, 255));
    ASSERT_TRUE(drawing->Render(picture.Dc(), nullptr));
    // The world -40..30 x -10..70 fills 240 x 180 at 2.25 pixels a unit about (-5, 30). Picture
    // pixel (0,0) bottom left (red) lies at world x -20..0, y 0..10; (1,0) green at y 10..20;
    // (0,1) blue at x -40..-20, y 0..10; (1,1) yellow at x -40..-20, y 10..20.
    const auto cell = [&picture](double wx, double wy, std::uint32_t rgb) {
        const int x = static_cast<int>(120 + (wx + 5) * 2.25), y = static_cast<int>(90 - (wy - 30) * 2.25);
        return CountNear(picture, rgb, x - 4, y - 4, x + 4, y + 4);
    };
    EXPECT_GT(cell(-10, 5, 0xFF0000), 40) << "red";
    EXPECT_GT(cell(-10, 15, 0x00FF00), 40) << "green";
    EXPECT_GT(cell(-30, 5, 0x0000FF), 40) << "blue";
    EXPECT_GT(cell(-30, 15, 0xFFFF00), 40) << "yellow";
    EXPECT_EQ(cell(10, 5, 0xFF0000) + cell(10, 40, 0x0000FF), 0) << "nothing outside the frame";
    // A thumbnail shows it too.
    OffscreenPicture thumbnail(kWidth, kHeight, RGB(255, 255, 255));
    ASSERT_TRUE(drawing->RenderFitted(thumbnail.Dc(), kWidth, kHeight, nullptr));
    EXPECT_GT(CountNear(thumbnail, 0xFF0000, 0, 0, kWidth, kHeight), 100);
    // A print through a printer device gets the picture as an upright bitmap where the frame is.
    PictureDevice printer;
    drawing->FitOpeningView(1.0);
    drawing->SetExportTarget(&printer);
    ASSERT_TRUE(drawing->RenderThroughExport());
    drawing->SetExportTarget(nullptr);
    ASSERT_EQ(printer.placed.size(), 1u);
    EXPECT_NEAR(printer.placed[0].x, 120 - 35 * 2.25, 2.0);
    EXPECT_NEAR(printer.placed[0].width, 40 * 2.25, 2.0);
    EXPECT_NEAR(printer.placed[0].height, 20 * 2.25, 2.0);
    EXPECT_GT(printer.placed[0].red, 0) << "the picture's colours";
    // Zoomed far into the red pixel (its corners lie far past GDI's range): red fills the view.
    drawing->FitOpeningView(1.0);
    drawing->SetView(120 + static_cast<int>((-10 + 5) * 2.25), kHeight - static_cast<int>(90 - (5 - 30) * 2.25),
                     4194304.0);
    OffscreenPicture close(kWidth, kHeight, RGB(255, 255, 255));
    ASSERT_TRUE(drawing->Render(close.Dc(), nullptr));
    EXPECT_GT(CountNear(close, 0xFF0000, 0, 0, kWidth, kHeight), kWidth * kHeight * 9 / 10);
    // Without the file: the frame with its cross (black ink), no colours.
    drawing.reset();
    ASSERT_TRUE(DeleteFileA((dir / "pic.bmp").c_str()));
    DrawingPtr missing = Open(path);
    missing->FitOpeningView(1.0);
    OffscreenPicture frame(kWidth, kHeight, RGB(255, 255, 255));
    ASSERT_TRUE(missing->Render(frame.Dc(), nullptr));
    EXPECT_EQ(CountNear(frame, 0xFF0000, 0, 0, kWidth, kHeight), 0);
    EXPECT_GT(InkOf(frame).count, 100) << "the frame, its cross and the file's name";
}

// A 2 x 1 picture of one bit per pixel: black (ink) on the left, white (paper) on the right.
std::string BitonalBmp()
{
    std::string bmp(66, '\0');
    const auto put32 = [&bmp](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bmp[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    bmp[0] = 'B';
    bmp[1] = 'M';
    put32(2, 66);
    put32(10, 62);                      // the bits after the headers and the two palette entries
    put32(14, 40);
    put32(18, 2);
    put32(22, 1);
    bmp[26] = 1;                        // planes
    bmp[28] = 1;                        // bits per pixel
    put32(46, 2);                       // colours used
    put32(58, 0x00FFFFFF);              // palette: 0 black, 1 white
    bmp[62] = static_cast<char>(0x40);  // pixel 0 index 0, pixel 1 index 1
    return bmp;
}

// A scanned sheet's image (one bit per pixel) shows its ink in the entity's colour, blue here;
// its paper covers the red line below it, unless the image's transparency is on.
TEST_F(RealDrawingView, BitonalImageInItsColourOverWhatLiesBelow)
{
    orvo::test::TempDir dir;
    const std::string bmp = BitonalBmp();
    ASSERT_TRUE(orvo::test::WriteFileBytes(dir / "scan.bmp", bmp.data(), bmp.size()));
    for (const int display : {7, 15}) {
        SCOPED_TRACE(display);
        orvo::portable::DxfBuilder b;
        b.Header("AC1015").Section("ENTITIES");
        b.S(0, "LINE").S(8, "0").I(62, 1).P(10, -5, 5).P(11, 25, 5);
        b.S(0, "IMAGE").S(5, "40").S(8, "0").I(62, 5).S(100, "AcDbRasterImage").P(10, 0, 0).P(11, 10, 0)
            .P(12, 0, 10).P(13, 2, 1).S(340, "41").I(70, display);
        b.EndSection().Section("OBJECTS");
        b.S(0, "IMAGEDEF").S(5, "41").S(100, "AcDbRasterImageDef").S(1, "Q:\\scans\\scan.bmp").P(10, 2, 1);
        b.EndSection().Eof();
        const std::string path = WrittenDxf(dir, "scanned.dxf", b);
        DrawingPtr drawing = Open(path);
        drawing->FitOpeningView(1.0);
        OffscreenPicture picture(kWidth, kHeight, RGB(255, 255, 255));
        ASSERT_TRUE(drawing->Render(picture.Dc(), nullptr));
        // The world -5..25 x 0..10 across 240 pixels: 8 a unit, x 0 at pixel 40, y 5 at the middle.
        const auto at = [](double wx, double wy) {
            return std::pair<int, int>(static_cast<int>(40 + wx * 8), static_cast<int>(90 - (wy - 5) * 8));
        };
        const auto [inkX, inkY] = at(5, 5);
        const auto [paperX, paperY] = at(15, 5);
        EXPECT_GT(CountNear(picture, 0x0000FF, inkX - 20, inkY - 20, inkX + 20, inkY + 20), 1200) << "blue ink";
        EXPECT_EQ(CountNear(picture, 0x000000, inkX - 20, inkY - 20, inkX + 20, inkY + 20), 0) << "no black";
        const int red = CountNear(picture, 0xFF0000, paperX - 20, paperY - 20, paperX + 20, paperY + 20);
        if (display == 15)
            EXPECT_GE(red, 30) << "the line shows through the paper";
        else
            EXPECT_EQ(red, 0) << "the paper covers the line";
        EXPECT_GT(CountNear(picture, 0xFF0000, 0, 0, at(0, 0).first - 2, kHeight), 10) << "the line left of it";
    }
}

// A picture's file as CAD programs find it: the stored path first (a relative one from the
// drawing's folder), then the file's name beside the drawing, then in each search folder.
TEST(RasterFileFinder, StoredPathThenBesideTheDrawingThenSearchFolders)
{
    orvo::test::TempDir dir;
    for (const char* folder : {"drawings", "drawings\\sub", "stored", "support1", "support2"})
        ASSERT_TRUE(CreateDirectoryA((dir / folder).c_str(), nullptr));
    const auto put = [&dir](const std::string& relative) {
        ASSERT_TRUE(orvo::test::WriteFileBytes(dir / relative, "x", 1)) << relative;
    };
    put("stored\\a.png");
    put("drawings\\a.png");
    put("drawings\\b.png");
    put("support1\\c.png");
    put("support2\\c.png");
    put("support2\\d.png");
    put("drawings\\sub\\e.png");
    const RkIo::RasterFileFinder finder(dir / "drawings\\plan.dwg", {dir / "support1", dir / "support2"});
    struct Case
    {
        std::string stored, found;
    };
    const Case cases[] = {
        {dir / "stored\\a.png", dir / "stored\\a.png"},                    // as stored, though one lies beside
        {"Q:\\elsewhere\\b.png", dir / "drawings\\b.png"},               // another machine's path
        {"/home/someone/maps/b.png", dir / "drawings\\b.png"},               // with the other separator
        {"c.png", dir / "support1\\c.png"},                                  // the first search folder that has it
        {"D:\\x\\d.png", dir / "support2\\d.png"},
        {"sub\\e.png", dir / "drawings\\sub\\e.png"},                     // relative to the drawing
        {"Q:\\nowhere\\f.png", ""},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(finder.Find(c.stored), c.found) << c.stored;
}

// A drawing of one OLE object on the frame 0..40 x 0..30 holding the compound file, drawn with
// the frame filling the picture.
void DrawOleObject(const std::string& compound, OffscreenPicture& picture)
{
    orvo::test::TempDir dir;
    orvo::portable::DxfBuilder b;
    b.Header("AC1015").Section("ENTITIES");
    orvo::portable::AddOleFrame(b, orvo::portable::OleData(0, 0, 40, 30, compound), 0, 0, 40, 30);
    b.EndSection().Eof();
    const std::string path = WrittenDxf(dir, "ole.dxf", b);
    DrawingPtr drawing(CDrawing::CreateDrawing(0));
    drawing->SetOutputSize(kWidth, kHeight);
    ASSERT_EQ(drawing->Open(path.c_str(), ""), 0);
    drawing->FitOpeningView(1.0);
    ASSERT_TRUE(drawing->Render(picture.Dc(), nullptr));
}

// An OLE object's stored picture on its frame: the four colours where the frame puts them.
TEST_F(RealDrawingView, OleObjectShowsItsStoredPicture)
{
    OffscreenPicture picture(kWidth, kHeight, RGB(255, 255, 255));
    DrawOleObject(orvo::portable::CompoundFileWith(orvo::portable::FourColourBmp()), picture);
    // 40 x 30 fills 240 x 180: the bottom left quarter red, the top right yellow.
    EXPECT_GT(CountNear(picture, 0xFF0000, 20, 100, 100, 170), 4000) << "red";
    EXPECT_GT(CountNear(picture, 0x00FF00, 140, 100, 220, 170), 4000) << "green";
    EXPECT_GT(CountNear(picture, 0x0000FF, 20, 10, 100, 80), 4000) << "blue";
    EXPECT_GT(CountNear(picture, 0xFFFF00, 140, 10, 220, 80), 4000) << "yellow";
    // An object that keeps a Windows metafile presentation (a table pasted from a spreadsheet,
    // say): the metafile played into the frame.
    OffscreenPicture played(kWidth, kHeight, RGB(255, 255, 255));
    DrawOleObject(orvo::portable::CompoundFileWith(orvo::portable::RedMetafilePresentation(), u"\u0002OlePres000"),
                  played);
    EXPECT_GT(CountNear(played, 0xFF0000, 20, 20, 220, 160), 20000) << "the metafile's red";
}

// "it also holds OLE objects": the title block of each sheet shows their pictures (a logo and
// notes), where before only lines were drawn.
TEST_F(RealDrawingView, NorthblockSheetsShowTheirOleObjects)
{
    ORVO_REQUIRE_SAMPLES(samples);
    const std::string path = samples + "\\dwg\\real\\northblock_electrical.dwg";
    int withPictures = 0, without = 0;
    for (const bool decoder : {true, false}) {
        DWG_SetRasterDecoder(decoder ? &m_decoder : nullptr);
        DrawingPtr drawing(CDrawing::CreateDrawing(0));
        drawing->SetOutputSize(960, 680);
        ASSERT_EQ(drawing->Open(path.c_str(), ""), 0);
        ASSERT_TRUE(drawing->SetCurrentLayout(1));
        OffscreenPicture picture(960, 680, RGB(255, 255, 255));
        ASSERT_TRUE(drawing->Render(picture.Dc(), nullptr));
        (decoder ? withPictures : without) = picture.CountOther(kWhite);
    }
    EXPECT_GT(withPictures, without + 500) << "the pictures' pixels";
}

} // namespace

namespace {

// The drawings (.dwg, .dxf) in a folder, without its subfolders.
std::vector<std::string> DrawingsIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const char* pattern : {"*.dwg", "*.dxf"}) {
        WIN32_FIND_DATAA found{};
        HANDLE find = FindFirstFileA((folder + pattern).c_str(), &found);
        if (find == INVALID_HANDLE_VALUE)
            continue;
        do {
            names.push_back(folder + found.cFileName);
        } while (FindNextFileA(find, &found));
        FindClose(find);
    }
    return names;
}

// A clip of the whole picture and a speck beside it: two rectangles, so the device context sink
// leaves every line to GDI, while what shows is cut exactly as without a clip.
void ClipForGdiOnly(HDC dc, int width, int height)
{
    HRGN whole = CreateRectRgn(0, 0, width, height);
    HRGN speck = CreateRectRgn(width + 8, 0, width + 9, 1);
    CombineRgn(whole, whole, speck, RGN_OR);
    SelectClipRgn(dc, whole);
    DeleteObject(speck);
    DeleteObject(whole);
}

// The view's picture with thin lines written into the pixels is the picture GDI draws, pixel for
// pixel, on every sample drawing (the public ones and the real ones), at a view's size.
TEST_F(RealDrawingView, LinesWrittenDirectlyAreWhatGdiDraws)
{
    ORVO_REQUIRE_SAMPLES(samples);
    constexpr int kW = 800, kH = 560;
    int compared = 0, inked = 0;
    for (const char* folder : {"\\dwg\\", "\\dwg\\real\\"}) {
        for (const std::string& path : DrawingsIn(samples + folder)) {
            SCOPED_TRACE(path);
            DrawingPtr drawing(CDrawing::CreateDrawing(0));
            drawing->SetOutputSize(kW, kH);
            if (drawing->Open(path.c_str(), "") != 0)
                continue;
            OffscreenPicture direct(kW, kH, RGB(255, 255, 255), 32, true);
            OffscreenPicture gdi(kW, kH, RGB(255, 255, 255), 32, true);
            ClipForGdiOnly(gdi.Dc(), kW, kH);
            ASSERT_TRUE(RkDraw::DirectCanvas(direct.Dc()).has_value());
            ASSERT_FALSE(RkDraw::DirectCanvas(gdi.Dc()).has_value());
            ASSERT_TRUE(drawing->Render(direct.Dc(), nullptr));
            ASSERT_TRUE(drawing->Render(gdi.Dc(), nullptr));
            EXPECT_EQ(direct.CountDifferent(gdi), 0);
            ++compared;
            inked += direct.CountOther(kWhite) > kW ? 1 : 0;
        }
    }
    EXPECT_GE(compared, 20);
    EXPECT_GE(inked, 20);
}

} // namespace
