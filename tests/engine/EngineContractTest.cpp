// The engine as the program uses it: documents, drawing objects and views; open results, version,
// name; drawing into an off-screen picture (where a line lands, colour modes, viewport clipping);
// abort during an open and callBreak during a draw; two documents on two threads; stored previews;
// raster output; malformed DWG heads.
#include "OffscreenPicture.h"

#include "engine/rkapp/rkapp.h"
#include "engine/rkio/PreviewPicture.h"
#include "engine/rkio/rkio.h"
#include "tests/engine/portable/DxfBuilder.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>
#include <png.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

using orvo::portable::DxfBuilder;
using orvo::test::OffscreenPicture;
using orvo::test::TempDir;

constexpr std::uint32_t kWhite = 0xFFFFFF;

class EngineContract : public ::testing::Test
{
protected:
    void SetUp() override
    {
        InitDLL();
        DWG_SetBackgroundColor(RGB(255, 255, 255));
    }
    void TearDown() override
    {
        DWG_SetFileAboutFunc(nullptr, nullptr);
        DWG_SetFileAboutFunc_2(nullptr, nullptr);
        DWG_SetProgressCallBackFuns(nullptr, nullptr, nullptr);
    }

    std::string Write(const std::string& name, const std::string& data)
    {
        const std::string path = m_dir / name;
        EXPECT_TRUE(orvo::test::WriteFileBytes(path, data.data(), data.size()));
        return path;
    }

    // A square outline 0..100 on layer "Red" (colour 1) and a paper layout whose viewport
    // shows the middle of it.
    static std::string Square()
    {
        DxfBuilder b;
        b.Header("AC1015").Section("TABLES").S(0, "TABLE").S(2, "LAYER");
        b.S(0, "LAYER").S(2, "0").I(70, 0).I(62, 7).S(0, "LAYER").S(2, "Red").I(70, 0).I(62, 1);
        b.S(0, "ENDTAB").EndSection().Section("ENTITIES");
        b.S(0, "LWPOLYLINE").S(8, "Red").I(90, 4).I(70, 1).D(10, 0).D(20, 0).D(10, 100).D(20, 0)
            .D(10, 100).D(20, 100).D(10, 0).D(20, 100);
        b.S(0, "LINE").S(8, "0").I(67, 1).P(10, 0, 0).P(11, 200, 0);
        b.S(0, "VIEWPORT").S(8, "0").I(67, 1).P(10, 100, 50).D(40, 50).D(41, 50).I(68, 1).I(69, 2)
            .P(12, 50, 50).D(45, 50).P(16, 0, 0, 1);
        b.EndSection().Eof();
        return b.Ascii();
    }

    static std::string ManyLines(int count)
    {
        std::string s = "  0\nSECTION\n  2\nENTITIES\n";
        char line[160];
        for (int i = 0; i < count; ++i) {
            snprintf(line, sizeof line, "  0\nLINE\n  8\n0\n 10\n%d\n 20\n0\n 11\n%d\n 21\n100\n", i % 1000, (i * 7) % 1000);
            s += line;
        }
        return s + "  0\nENDSEC\n  0\nEOF\n";
    }

    TempDir m_dir;
};

TEST_F(EngineContract, OpenResults)
{
    RkApp::Document* doc = RkApp::Document::create();
    ASSERT_NE(doc, nullptr);
    CDrawing* drawing = doc->GetDrawing();
    ASSERT_NE(drawing, nullptr);
    ASSERT_NE(doc->GetView(), nullptr);
    EXPECT_EQ(drawing->Open((m_dir / "missing.dxf").c_str(), ""), 1);
    EXPECT_FALSE(drawing->IsValid());
    EXPECT_EQ(drawing->Open(Write("junk.dxf", "this is no drawing").c_str(), ""), 2);
    EXPECT_FALSE(drawing->IsValid());
    const std::string path = Write("square.dxf", Square());
    EXPECT_EQ(drawing->Open(path.c_str(), nullptr), 0);
    EXPECT_TRUE(drawing->IsValid());
    EXPECT_EQ(drawing->GetVersion(), 23);
    char name[MAX_PATH];
    drawing->GetFileName(name);
    EXPECT_EQ(std::string(name), path);
    EXPECT_EQ(drawing->GetLayoutCount(), 2);
    EXPECT_STREQ(drawing->GetLayoutName(0), "Model");
    doc->Close();
    EXPECT_FALSE(drawing->IsValid());
    RkApp::Document::release(doc);
}

// The saved view opens as it was saved while it shows the drawing; a stale one that misses the
// drawing or shows it as a speck gives way to the drawing's extents.
TEST_F(EngineContract, StaleSavedViewGivesWayToTheExtents)
{
    const struct { double x, y, height; double shownHeight; } cases[] = {
        {50, 50, 120, 120},         // shows the square: kept
        {5000, 5000, 120, 0},       // misses it
        {50, 50, 1e6, 0},           // a speck
    };
    for (const auto& c : cases) {
        DxfBuilder b;
        b.Header("AC1015").Section("TABLES").S(0, "TABLE").S(2, "VPORT");
        b.S(0, "VPORT").S(2, "*ACTIVE").I(70, 0).P(12, c.x, c.y).D(40, c.height).D(41, 1.0).P(16, 0, 0, 1);
        b.S(0, "ENDTAB").EndSection().Section("ENTITIES");
        b.S(0, "LWPOLYLINE").S(8, "0").I(90, 4).I(70, 1).D(10, 0).D(20, 0).D(10, 100).D(20, 0)
            .D(10, 100).D(20, 100).D(10, 0).D(20, 100);
        b.EndSection().Eof();
        CDrawing* drawing = CDrawing::CreateDrawing(0);
        drawing->SetOutputSize(100, 100);
        ASSERT_EQ(drawing->Open(Write("view.dxf", b.Ascii()).c_str(), ""), 0);
        double width = 0, height = 0;
        drawing->GetViewWorldSize(&width, &height);
        if (c.shownHeight > 0)
            EXPECT_DOUBLE_EQ(height, c.shownHeight) << c.x << " " << c.height;
        else
            EXPECT_NEAR(height, 100.0 / 0.98, 1.0) << c.x << " " << c.height;   // fitted
        CDrawing::DeleteDrawing(drawing);
    }
}

// Drawings of one construction line or ray show it, as thumbnails and fitted in the view (they
// have no extent of their own: their base points place them).
TEST_F(EngineContract, InfiniteLinesShow)
{
    ORVO_REQUIRE_SAMPLES(dir);
    for (const char* name : {"ConstructionLine.dwg", "RAY.dwg"}) {
        for (const char* release : {"2000", "2018"}) {
            const std::string path = dir + "\\dwg\\" + release + "\\" + name;
            CDrawing* drawing = CDrawing::CreateDrawing(1);
            ASSERT_EQ(drawing->Open(path.c_str(), ""), 0) << path;
            OffscreenPicture picture(120, 90, RGB(255, 255, 255));
            EXPECT_TRUE(drawing->RenderFitted(picture.Dc(), 120, 90, nullptr));
            EXPECT_GT(picture.CountOther(kWhite), 40) << path;
            CDrawing::DeleteDrawing(drawing);
        }
    }
}

// A drawing whose content is all on paper opens on its paper layout; one saved in model space
// with content there opens on the model.
TEST_F(EngineContract, OpensOnTheLayoutSavedIn)
{
    DxfBuilder b;
    b.Header("AC1015").Section("ENTITIES");
    b.S(0, "LINE").S(8, "0").I(67, 1).P(10, 0, 0).P(11, 200, 0);
    b.EndSection().Eof();
    CDrawing* drawing = CDrawing::CreateDrawing(0);
    ASSERT_EQ(drawing->Open(Write("paper.dxf", b.Ascii()).c_str(), ""), 0);
    ASSERT_EQ(drawing->GetLayoutCount(), 2);
    EXPECT_EQ(drawing->GetCurrentLayout(), 1);
    ASSERT_EQ(drawing->Open(Write("square.dxf", Square()).c_str(), ""), 0);
    EXPECT_EQ(drawing->GetCurrentLayout(), 0);
    CDrawing::DeleteDrawing(drawing);
}

TEST_F(EngineContract, SizeThenDrawPaintsTheSquare)
{
    RkApp::Document* doc = RkApp::Document::create();
    ASSERT_EQ(doc->GetDrawing()->Open(Write("square.dxf", Square()).c_str(), ""), 0);
    doc->GetView()->SetSize(102, 102);
    doc->GetView()->SetView(0, 0, 1.0);
    OffscreenPicture picture(102, 102, RGB(0, 0, 255));
    ASSERT_TRUE(doc->GetView()->Draw(picture.Dc(), 0));
    // The view filled the background; the square's left side lies at x 1 (0.98 of the width,
    // centred), its inside is background.
    EXPECT_EQ(picture.Pixel(51, 51), kWhite);
    int red = 0;
    for (int x = 0; x < 4; ++x)
        red += picture.Pixel(x, 51) == 0xFF0000 ? 1 : 0;
    EXPECT_GE(red, 1);
    EXPECT_GT(picture.CountColor(0xFF0000), 300);
    RkApp::Document::release(doc);
}

TEST_F(EngineContract, ColourModes)
{
    const struct { int mode; std::uint32_t expected; } cases[] = {{0, 0xFF0000}, {1, 0x4C4C4C}, {2, 0x000000}};
    const std::string path = Write("square.dxf", Square());
    for (const auto& c : cases) {
        RkApp::Document* doc = RkApp::Document::create();
        ASSERT_EQ(doc->GetDrawing()->Open(path.c_str(), ""), 0);
        doc->GetView()->SetColorMode(c.mode);
        EXPECT_EQ(doc->GetDrawing()->GetColorMode(), c.mode);
        doc->GetView()->SetSize(60, 60);
        doc->GetView()->SetView(0, 0, 1.0);
        OffscreenPicture picture(60, 60, RGB(0, 0, 255));
        ASSERT_TRUE(doc->GetView()->Draw(picture.Dc(), 0));
        EXPECT_GT(picture.CountColor(c.expected), 100) << c.mode;
        RkApp::Document::release(doc);
    }
}

TEST_F(EngineContract, ViewportClipsTheModelView)
{
    RkApp::Document* doc = RkApp::Document::create();
    CDrawing* drawing = doc->GetDrawing();
    ASSERT_EQ(drawing->Open(Write("square.dxf", Square()).c_str(), ""), 0);
    ASSERT_TRUE(drawing->SetCurrentLayout(1));
    doc->GetView()->SetSize(100, 100);
    OffscreenPicture picture(100, 100, RGB(255, 255, 255));
    ASSERT_TRUE(doc->GetView()->Draw(picture.Dc(), 0));
    // The viewport (a 50 x 50 frame) shows model 25..75, inside the square: no red at all,
    // while the paper-space line (white, shown black) is drawn.
    EXPECT_EQ(picture.CountColor(0xFF0000), 0);
    EXPECT_GT(picture.CountColor(0x000000), 20);
    RkApp::Document::release(doc);
}

// Records what the engine sends to an export device.
class RecordingExport : public CDwgExport
{
public:
    void MoveTo(double x, double y, double) override { moves.push_back({x, y}); }
    void LineTo(double x, double y, double) override { lines.push_back({x, y}); }
    void SetColor(COLORREF color, int pen) override
    {
        colors.push_back(color);
        pens.push_back(pen);
    }
    std::vector<std::pair<double, double>> moves, lines;
    std::vector<COLORREF> colors;
    std::vector<int> pens;
};

TEST_F(EngineContract, PrintingGoesThroughTheExportCallbacks)
{
    RkApp::Document* doc = RkApp::Document::create();
    CDrawing* drawing = doc->GetDrawing();
    ASSERT_EQ(drawing->Open(Write("square.dxf", Square()).c_str(), ""), 0);
    drawing->SetOutputSize(1000, 1000);
    drawing->ZoomExtents(0, 0, 0.98);
    RecordingExport device;
    EXPECT_FALSE(drawing->RenderThroughExport());     // no target yet
    drawing->SetExportTarget(&device);
    ASSERT_TRUE(drawing->RenderThroughExport());
    drawing->SetExportTarget(nullptr);
    ASSERT_EQ(device.moves.size(), 1u);
    EXPECT_EQ(device.lines.size(), 4u);
    // Page units with y upwards: the square's corner (0, 0) lands near the bottom left.
    EXPECT_NEAR(device.moves[0].first, 10.0, 1.0);
    EXPECT_NEAR(device.moves[0].second, 10.0, 1.0);
    ASSERT_FALSE(device.pens.empty());
    EXPECT_EQ(device.pens[0], 1);                    // the ACI of layer "Red" chooses the pen
    EXPECT_EQ(device.colors[0], RGB(255, 0, 0));
    RkApp::Document::release(doc);
}

TEST_F(EngineContract, HoverHighlightDrawsTheEntityWider)
{
    RkApp::Document* doc = RkApp::Document::create();
    ASSERT_EQ(doc->GetDrawing()->Open(Write("square.dxf", Square()).c_str(), ""), 0);
    RkApp::View* view = doc->GetView();
    view->SetSize(102, 102);
    view->SetView(0, 0, 1.0);
    EXPECT_TRUE(view->CanHighlight());
    OffscreenPicture plain(102, 102, RGB(255, 255, 255));
    ASSERT_TRUE(view->Draw(plain.Dc(), 0));
    OffscreenPicture lit(102, 102, RGB(255, 255, 255));
    ASSERT_TRUE(view->Draw(lit.Dc(), 0));
    view->HighlightAt(lit.Dc(), 0, 30, 50);      // nowhere near the square's sides
    EXPECT_FALSE(view->HasHighlight());
    view->HighlightAt(lit.Dc(), 0, 2, 50);       // on its left side (y counted upwards)
    EXPECT_TRUE(view->HasHighlight());
    EXPECT_GT(lit.CountColor(0xFF0000), plain.CountColor(0xFF0000));
    doc->GetDrawing()->ClearHighlight(0);
    EXPECT_FALSE(view->HasHighlight());
    RkApp::Document::release(doc);
}

std::atomic<int> g_abortCalls{0};
bool AbortAtOnce(void*)
{
    ++g_abortCalls;
    return true;
}

TEST_F(EngineContract, AbortDuringOpenReturnsPromptly)
{
    const std::string path = Write("many.dxf", ManyLines(200000));
    DWG_SetFileAboutFunc(AbortAtOnce, nullptr);
    RkApp::Document* doc = RkApp::Document::create();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(doc->GetDrawing()->Open(path.c_str(), ""), 3);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(seconds, 1.0);
    EXPECT_GE(g_abortCalls.load(), 1);
    EXPECT_FALSE(doc->GetDrawing()->IsValid());
    // The thumbnail channel is separate: its drawings do not see the document's callback.
    CDrawing* thumb = CDrawing::CreateDrawing(1);
    EXPECT_EQ(thumb->Open(path.c_str(), nullptr), 0);
    CDrawing::DeleteDrawing(thumb);
    RkApp::Document::release(doc);
}

std::atomic<bool> g_drawStarted{false};
bool NoteDrawStarted(void*)
{
    g_drawStarted = true;
    return false;
}

TEST_F(EngineContract, CallBreakFromAnotherThreadEndsADraw)
{
    // 90 000 block references of a block of 20 lines: far longer to draw than the test waits.
    DxfBuilder b;
    b.Header("AC1015").Section("BLOCKS").S(0, "BLOCK").S(2, "Many").I(70, 0).P(10, 0, 0);
    for (int i = 0; i < 20; ++i)
        b.S(0, "LINE").S(8, "0").P(10, 0, i * 0.05).P(11, 1, 1 - i * 0.05);
    b.S(0, "ENDBLK").EndSection().Section("ENTITIES");
    b.S(0, "INSERT").S(8, "0").S(2, "Many").P(10, 0, 0).I(70, 300).I(71, 300).D(44, 1.1).D(45, 1.1);
    b.EndSection().Eof();
    CDrawing* drawing = CDrawing::CreateDrawing(1);
    ASSERT_EQ(drawing->Open(Write("array.dxf", b.Ascii()).c_str(), ""), 0);
    void* doc = create();
    g_drawStarted = false;
    DWG_SetFileAboutFunc_2(NoteDrawStarted, nullptr);
    OffscreenPicture picture(400, 400, RGB(255, 255, 255));
    std::atomic<int> result{-1};
    std::atomic<bool> finished{false};
    std::chrono::steady_clock::time_point end;
    std::thread worker([&] {
        result = draw(doc, drawing, picture.Dc(), 400, 400, 0);
        end = std::chrono::steady_clock::now();
        finished = true;
    });
    ASSERT_TRUE(orvo::test::WaitFor([] { return g_drawStarted.load(); }, 10000));
    const auto asked = std::chrono::steady_clock::now();
    callBreak(doc);
    worker.join();
    EXPECT_EQ(result.load(), 0);
    EXPECT_LT(std::chrono::duration<double>(end - asked).count(), 0.1);
    release(doc);
    CDrawing::DeleteDrawing(drawing);
}

TEST_F(EngineContract, TwoDocumentsOnTwoThreads)
{
    const std::string path = Write("square.dxf", Square());
    std::atomic<int> painted[2] = {{0}, {0}};
    auto work = [&path, &painted](int i) {
        for (int round = 0; round < 20; ++round) {
            RkApp::Document* doc = RkApp::Document::create();
            if (doc->GetDrawing()->Open(path.c_str(), "") == 0) {
                doc->GetView()->SetSize(50, 50);
                doc->GetView()->SetView(0, 0, 1.0);
                OffscreenPicture picture(50, 50, RGB(255, 255, 255));
                if (doc->GetView()->Draw(picture.Dc(), 0) && picture.CountColor(0xFF0000) > 50)
                    ++painted[i];
            }
            RkApp::Document::release(doc);
        }
    };
    std::thread a(work, 0), b(work, 1);
    a.join();
    b.join();
    EXPECT_EQ(painted[0].load(), 20);
    EXPECT_EQ(painted[1].load(), 20);
}

TEST_F(EngineContract, StoredPreviewsOfSampleDrawings)
{
    ORVO_REQUIRE_SAMPLES(dir);
    for (const char* name : {"example_2000.dwg", "example_2013.dwg", "example_2018.dwg"}) {
        const std::string path = dir + "\\dwg\\" + name;
        unsigned char* data = nullptr;
        long size = 0;
        ASSERT_TRUE(lppp(path.c_str(), &data, &size)) << name;
        ASSERT_NE(data, nullptr);
        EXPECT_GT(size, 54);
        EXPECT_EQ(data[0], 'B');
        EXPECT_EQ(data[1], 'M');
        ppll(&data);
        EXPECT_EQ(data, nullptr);
        // Opening shows the preview, scaled into the view, until DWG geometry can be read.
        RkApp::Document* doc = RkApp::Document::create();
        ASSERT_EQ(doc->GetDrawing()->Open(path.c_str(), ""), 0) << name;
        EXPECT_GT(doc->GetDrawing()->GetVersion(), 20);
        doc->GetView()->SetSize(120, 90);
        OffscreenPicture picture(120, 90, RGB(255, 255, 255));
        EXPECT_TRUE(doc->GetView()->Draw(picture.Dc(), 0));
        EXPECT_GT(picture.CountOther(kWhite), 50) << name;
        RkApp::Document::release(doc);
    }
    unsigned char* data = nullptr;
    long size = 0;
    EXPECT_FALSE(lppp((dir + "\\dwg\\example_2000.dxf").c_str(), &data, &size));
    EXPECT_FALSE(lppp((m_dir / "none.dwg").c_str(), &data, &size));
    EXPECT_EQ(data, nullptr);
}

namespace {

void AppendPng(png_structp png, png_bytep data, png_size_t length)
{
    auto* out = static_cast<std::string*>(png_get_io_ptr(png));
    out->append(reinterpret_cast<const char*>(data), length);
}

// An 8-bit RGB (or, with alpha, RGBA) PNG file of width x height whose pixel (x, y) from the top
// is (10x, 20y, x+y) and, with alpha, opaque except at (0, 0).
std::string MakePng(int width, int height, bool alpha)
{
    std::string out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png)) == 0) {
        png_set_write_fn(png, &out, AppendPng, nullptr);
        png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                     alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        const int channels = alpha ? 4 : 3;
        std::vector<png_byte> row(static_cast<size_t>(width * channels));
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                png_byte* p = &row[static_cast<size_t>(x * channels)];
                p[0] = static_cast<png_byte>(10 * x);
                p[1] = static_cast<png_byte>(20 * y);
                p[2] = static_cast<png_byte>(x + y);
                if (alpha)
                    p[3] = x == 0 && y == 0 ? 0 : 255;
            }
            png_write_row(png, row.data());
        }
        png_write_end(png, nullptr);
    } else {
        out.clear();
    }
    png_destroy_write_struct(&png, &info);
    return out;
}

} // namespace

// A PNG preview becomes a 24-bit BMP file: rows bottom-up, blue first, each padded to four bytes,
// the transparent parts the paper's white; one thread converts many in a row.
TEST(PreviewPicture, PngPreviewsBecomeBmpFilesOfTheirPixels)
{
    struct Case
    {
        int width;
        int height;
        bool alpha;
    };
    for (const Case c : {Case{5, 3, false}, Case{8, 2, true}, Case{1, 1, false}, Case{13, 7, false}, Case{5, 3, true}}) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        const std::string png = MakePng(c.width, c.height, c.alpha);
        ASSERT_FALSE(png.empty());
        const std::string bmp = RkIo::PreviewPicture::PngToBmp(reinterpret_cast<const unsigned char*>(png.data()), png.size());
        const size_t stride = (static_cast<size_t>(c.width) * 3 + 3) & ~size_t(3);
        ASSERT_EQ(bmp.size(), 54 + stride * static_cast<size_t>(c.height));
        BITMAPFILEHEADER file;
        BITMAPINFOHEADER info;
        std::memcpy(&file, bmp.data(), sizeof file);
        std::memcpy(&info, bmp.data() + sizeof file, sizeof info);
        EXPECT_EQ(file.bfType, 0x4D42);
        EXPECT_EQ(file.bfSize, bmp.size());
        EXPECT_EQ(file.bfReserved1 | file.bfReserved2, 0);
        EXPECT_EQ(file.bfOffBits, 54u);
        EXPECT_EQ(info.biSize, 40u);
        EXPECT_EQ(info.biWidth, c.width);
        EXPECT_EQ(info.biHeight, c.height);
        EXPECT_EQ(info.biPlanes, 1);
        EXPECT_EQ(info.biBitCount, 24);
        EXPECT_EQ(info.biCompression, static_cast<DWORD>(BI_RGB));
        EXPECT_EQ(info.biSizeImage, stride * static_cast<size_t>(c.height));
        EXPECT_EQ(info.biXPelsPerMeter, 2835);
        EXPECT_EQ(info.biYPelsPerMeter, 2835);
        EXPECT_EQ(info.biClrUsed | info.biClrImportant, 0u);
        for (int y = 0; y < c.height; ++y) {
            const unsigned char* row =
                reinterpret_cast<const unsigned char*>(bmp.data()) + 54 + static_cast<size_t>(c.height - 1 - y) * stride;
            for (int x = 0; x < c.width; ++x) {
                const bool clear = c.alpha && x == 0 && y == 0;
                EXPECT_EQ(row[x * 3 + 2], clear ? 255 : 10 * x) << x << "," << y;
                EXPECT_EQ(row[x * 3 + 1], clear ? 255 : 20 * y) << x << "," << y;
                EXPECT_EQ(row[x * 3], clear ? 255 : x + y) << x << "," << y;
            }
            for (size_t pad = static_cast<size_t>(c.width) * 3; pad < stride; ++pad)
                EXPECT_EQ(row[pad], 0) << y;
        }
    }
    const std::string notPng(100, 'x');
    EXPECT_TRUE(RkIo::PreviewPicture::PngToBmp(reinterpret_cast<const unsigned char*>(notPng.data()), notPng.size()).empty());
}

int CollectSummary(int index, const char* text, void* context)
{
    static_cast<std::vector<std::pair<int, std::string>>*>(context)->emplace_back(index, text);
    return 1;
}

// A DWG whose data cannot be read opens with its stored preview, and its drawing information
// says so; one that reads says nothing of the kind.
TEST_F(EngineContract, PreviewFallbackIsNamedInTheDrawingInformation)
{
    ORVO_REQUIRE_SAMPLES(dir);
    std::string data = orvo::test::ReadFileBytes(dir + "\\dwg\\example_2018.dwg");
    ASSERT_GT(data.size(), 0x100u);
    const auto shown = [](CDrawing* drawing) {
        std::vector<std::pair<int, std::string>> lines;
        drawing->EnumSummary(&CollectSummary, &lines);
        for (const auto& line : lines) {
            if (line.first == 17 && line.second.rfind("Shown=stored preview only", 0) == 0)
                return true;
        }
        return false;
    };
    CDrawing* drawing = CDrawing::CreateDrawing(0);
    ASSERT_EQ(drawing->Open(Write("whole.dwg", data).c_str(), ""), 0);
    EXPECT_FALSE(drawing->HasPreviewOnly());
    EXPECT_FALSE(shown(drawing));
    for (std::size_t i = 0x80; i < 0xEC; ++i)
        data[i] = 0;     // the enciphered file header: no section can be found
    ASSERT_EQ(drawing->Open(Write("headless.dwg", data).c_str(), ""), 0);
    EXPECT_TRUE(drawing->HasPreviewOnly());
    EXPECT_TRUE(shown(drawing));
    CDrawing::DeleteDrawing(drawing);
}

// Drawings of R9, R10 and R11/R12 open (they have no stored preview) and draw their geometry.
TEST_F(EngineContract, DrawingsBeforeR13OpenAndDraw)
{
    ORVO_REQUIRE_SAMPLES(dir);
    const struct
    {
        const char* name;
        short version;
    } samples[] = {{"r9_entities.dwg", 11}, {"r10_entities.dwg", 12}, {"r11_entities-2d.dwg", 16}};
    for (const auto& sample : samples) {
        const std::string path = dir + "\\dwg\\pre-r13\\" + sample.name;
        RkApp::Document* doc = RkApp::Document::create();
        ASSERT_EQ(doc->GetDrawing()->Open(path.c_str(), ""), 0) << sample.name;
        EXPECT_EQ(doc->GetDrawing()->GetVersion(), sample.version) << sample.name;
        doc->GetView()->SetSize(120, 90);
        OffscreenPicture picture(120, 90, RGB(255, 255, 255));
        EXPECT_TRUE(doc->GetView()->Draw(picture.Dc(), 0));
        EXPECT_GT(picture.CountOther(kWhite), 50) << sample.name;
        RkApp::Document::release(doc);
    }
}

TEST_F(EngineContract, MalformedDwgHeadsFailCleanly)
{
    ORVO_REQUIRE_SAMPLES(dir);
    const std::string whole = orvo::test::ReadFileBytes(dir + "\\dwg\\example_2004.dwg");
    ASSERT_GT(whole.size(), 4096u);
    CDrawing* drawing = CDrawing::CreateDrawing(1);
    std::uint32_t seed = 7;
    for (int i = 0; i < 60; ++i) {
        std::string data = whole.substr(0, static_cast<std::size_t>(i) * whole.size() / 60);
        if (i % 2 == 1 && data.size() > 32) {
            seed = seed * 1664525u + 1013904223u;
            data[13 + seed % 4] = static_cast<char>(seed >> 24);
        }
        const std::string path = Write("cut.dwg", data);
        const short result = drawing->Open(path.c_str(), "");
        EXPECT_TRUE(result == 0 || result == 2) << i;
        unsigned char* bytes = nullptr;
        long size = 0;
        if (lppp(path.c_str(), &bytes, &size))
            ppll(&bytes);
    }
    CDrawing::DeleteDrawing(drawing);
}

std::atomic<int> g_starts{0}, g_progress{0}, g_finishes{0};
void OnStart(int) { ++g_starts; }
void OnProgress(double) { ++g_progress; }
void OnFinish() { ++g_finishes; }

TEST_F(EngineContract, OnlyTheDocumentChannelReportsProgress)
{
    const std::string path = Write("many.dxf", ManyLines(50000));
    DWG_SetProgressCallBackFuns(OnStart, OnProgress, OnFinish);
    CDrawing* thumb = CDrawing::CreateDrawing(1);
    ASSERT_EQ(thumb->Open(path.c_str(), ""), 0);
    CDrawing::DeleteDrawing(thumb);
    EXPECT_EQ(g_starts.load() + g_progress.load() + g_finishes.load(), 0);
    RkApp::Document* doc = RkApp::Document::create();
    ASSERT_EQ(doc->GetDrawing()->Open(path.c_str(), ""), 0);
    EXPECT_EQ(g_starts.load(), 1);
    EXPECT_GE(g_progress.load(), 5);
    EXPECT_LE(g_progress.load(), 101);     // whole percents only
    EXPECT_EQ(g_finishes.load(), 1);
    RkApp::Document::release(doc);
}

TEST_F(EngineContract, TextsInTheDrawingsCodePage)
{
    // 0xA5 is A-ogonek in code page 1250 (converted by the system's tables after InitDLL) and
    // the yen sign in 1252 (built in).
    const struct { const char* codePage; const char* utf8; } cases[] = {
        {"ANSI_1250", "\xC4\x84"}, {"ANSI_1252", "\xC2\xA5"}, {"ANSI_1251", "\xD2\x90"}};
    for (const auto& c : cases) {
        DxfBuilder b;
        b.Header("AC1015", c.codePage).Section("ENTITIES");
        b.S(0, "TEXT").S(8, "0").P(10, 0, 0).D(40, 1).S(1, "\xA5");
        b.EndSection().Eof();
        RkApp::Document* doc = RkApp::Document::create();
        ASSERT_EQ(doc->GetDrawing()->Open(Write("cp.dxf", b.Ascii()).c_str(), ""), 0);
        const RkDb::Database* db = doc->GetDrawing()->Database();
        ASSERT_NE(db, nullptr);
        const auto* text = RkDb::As<RkDb::Text>(*db->ModelSpaceBlock().entities.at(0));
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(text->text.value, c.utf8) << c.codePage;
        RkApp::Document::release(doc);
    }
}

TEST_F(EngineContract, SaveRasterImageWritesTiff)
{
    OffscreenPicture picture(7, 5, RGB(10, 20, 30));
    const std::string path = m_dir / "out.tif";
    ASSERT_TRUE(SaveRasterImage(picture.Bitmap(), 3, path.c_str(), 0));
    const std::string tiff = orvo::test::ReadFileBytes(path);
    ASSERT_GT(tiff.size(), 7u * 5u * 3u);
    EXPECT_EQ(tiff.substr(0, 4), std::string("II*\0", 4));
    EXPECT_EQ(static_cast<unsigned char>(tiff[tiff.size() - 3]), 10u);   // last pixel: R, G, B
    EXPECT_FALSE(SaveRasterImage(picture.Bitmap(), 3, (m_dir / "no\\such\\dir.tif").c_str(), 0));
    EXPECT_FALSE(SaveRasterImage(nullptr, 3, path.c_str(), 0));
}

} // namespace

// Save As through the drawing object: DXF and DWG of every version save over the open file itself
// and open again with the same layouts and entities; an unknown version, a drawing not loaded and
// a target in a missing folder fail with their codes and leave no file.
TEST_F(EngineContract, SaveAsWritesDxfAndRefusesWhatItCannot)
{
    CDrawing* drawing = CDrawing::CreateDrawing(0);
    const std::string missing = m_dir / "no-folder\\x.dxf";
    EXPECT_EQ(drawing->Save(missing.c_str(), 2, 8, 0), 4);
    const std::string path = Write("square.dxf", Square());
    ASSERT_EQ(drawing->Open(path.c_str(), ""), 0);
    const int layouts = drawing->GetLayoutCount();
    const std::size_t entities = drawing->Database()->EntityCount();
    drawing->PrepareSave();
    const std::string unknown = m_dir / "saved6.dwg";
    EXPECT_EQ(drawing->Save(unknown.c_str(), 1, 6, 0), 1);
    EXPECT_EQ(GetFileAttributesA(unknown.c_str()), INVALID_FILE_ATTRIBUTES);
    for (const int kind : {2, 1}) {
        for (const int version : {9, 8, 7, 5}) {
            // Each kind over a file of its own, opened first: the drawing reads it whole on open,
            // so it may be replaced.
            const std::string target = kind == 2 ? path : m_dir / ("saved" + std::to_string(version) + ".dwg");
            if (kind == 1) {
                ASSERT_EQ(drawing->Save(target.c_str(), kind, version, 0), 0) << version;
                CDrawing::DeleteDrawing(drawing);
                drawing = CDrawing::CreateDrawing(0);
                ASSERT_EQ(drawing->Open(target.c_str(), ""), 0) << version;
            }
            drawing->PrepareSave();
            EXPECT_EQ(drawing->Save(missing.c_str(), kind, version, 0), 2) << version;
            EXPECT_EQ(GetFileAttributesA(missing.c_str()), INVALID_FILE_ATTRIBUTES) << version;
            ASSERT_EQ(drawing->Save(target.c_str(), kind, version, 0), 0) << kind << " " << version;
            const RkWrite::WriteReport& report = drawing->LastSaveReport();
            EXPECT_GT(report.bytes, 0u);
            std::size_t written = 0;
            for (const std::size_t n : report.written)
                written += n;
            CDrawing* again = CDrawing::CreateDrawing(0);
            ASSERT_EQ(again->Open(target.c_str(), ""), 0) << kind << " " << version;
            if (version >= 8) {
                EXPECT_EQ(again->GetLayoutCount(), layouts) << kind << " " << version;
            }
            // DWG R12 leaves paper space out (its reader would show it in model space).
            EXPECT_EQ(again->Database()->EntityCount(), written) << kind << " " << version;
            EXPECT_EQ(written, kind == 1 && version == 5 ? 1u : entities) << kind << " " << version;
            CDrawing::DeleteDrawing(again);
        }
    }
    EXPECT_EQ(drawing->Save(path.c_str(), 2, 6, 0), 1);
    CDrawing::DeleteDrawing(drawing);
}
