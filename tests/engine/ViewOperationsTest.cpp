// The drawing object's view operations as the view and the preview pane use them: the standard
// view points of a 3D box, rotations, pixel <-> world, "can be viewed in 3-D", layouts of the
// sample drawings against their DXF exports, colour modes on every pixel, linear units, and the
// end of printing.
#include "OffscreenPicture.h"

#include "engine/rkapp/rkapp.h"
#include "engine/rkio/rkio.h"
#include "tests/engine/portable/DxfBuilder.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <memory>
#include <set>
#include <sstream>
#include <thread>

namespace {

using orvo::portable::DxfBuilder;
using orvo::test::OffscreenPicture;
using orvo::test::TempDir;

constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr double kQuarter = 1.5707963267948966;
constexpr int kWidth = 200, kHeight = 150;

struct DrawingDeleter
{
    void operator()(CDrawing* d) const { CDrawing::DeleteDrawing(d); }
};
using DrawingPtr = std::unique_ptr<CDrawing, DrawingDeleter>;

class ViewOperations : public ::testing::Test
{
protected:
    void SetUp() override
    {
        InitDLL();
        DWG_SetBackgroundColor(RGB(255, 255, 255));
    }

    DrawingPtr Open(const std::string& name, const std::string& data)
    {
        const std::string path = m_dir / name;
        EXPECT_TRUE(orvo::test::WriteFileBytes(path, data.data(), data.size()));
        return OpenPath(path);
    }

    static DrawingPtr OpenPath(const std::string& path)
    {
        DrawingPtr drawing(CDrawing::CreateDrawing(0));
        EXPECT_EQ(drawing->Open(path.c_str(), ""), 0) << path;
        drawing->SetOutputSize(kWidth, kHeight);
        drawing->ZoomExtents(0, 0, 1.05);
        return drawing;
    }

    // The twelve edges of the box 0..100 x 0..60 x 0..40 as 3D lines on layer "0".
    static std::string Box()
    {
        DxfBuilder b;
        b.Header("AC1015").Section("ENTITIES");
        for (int axis = 0; axis < 3; ++axis) {
            for (int corner = 0; corner < 8; ++corner) {
                if (corner & (1 << axis))
                    continue;
                const Point a = Corner(corner), e = Corner(corner | (1 << axis));
                b.S(0, "LINE").S(8, "0").P(10, a.x, a.y, a.z).P(11, e.x, e.y, e.z);
            }
        }
        b.EndSection().Eof();
        return b.Ascii();
    }

    // Lines of three colours on three layers, and a filled solid: something for every colour mode.
    static std::string Colours()
    {
        DxfBuilder b;
        b.Header("AC1015").Section("TABLES").S(0, "TABLE").S(2, "LAYER");
        const char* names[] = {"Red", "Green", "Blue"};
        for (int i = 0; i < 3; ++i)
            b.S(0, "LAYER").S(2, names[i]).I(70, 0).I(62, i == 0 ? 1 : i == 1 ? 3 : 5);
        b.S(0, "ENDTAB").EndSection().Section("ENTITIES");
        for (int i = 0; i < 3; ++i) {
            for (int k = 0; k < 4; ++k)
                b.S(0, "LINE").S(8, names[i]).P(10, 0, i * 30 + k * 2).P(11, 100, i * 30 + k * 2);
        }
        b.S(0, "SOLID").S(8, "0").I(62, 30).P(10, 0, 100).P(11, 40, 100).P(12, 0, 120).P(13, 40, 120);
        b.EndSection().Eof();
        return b.Ascii();
    }

    struct Point
    {
        double x, y, z;
    };
    static Point Corner(int bits)
    {
        return {bits & 1 ? 100.0 : 0.0, bits & 2 ? 60.0 : 0.0, bits & 4 ? 40.0 : 0.0};
    }
    static POINT Pixel(const CDrawing& drawing, const Point& p)
    {
        const double w[3] = {p.x, p.y, p.z};
        POINT out{};
        int x = 0, y = 0;
        drawing.WorldToPixel(w, &x, &y);
        out.x = x;
        out.y = y;
        return out;
    }

    TempDir m_dir;
};

int Sign(long v, long slack)
{
    return v > slack ? 1 : v < -slack ? -1 : 0;
}

// Each standard view point: moving along a box edge moves the picture to the side the view shows
// that world axis on (right or left, up or down: pixels count y upwards), or not at all.
TEST_F(ViewOperations, StandardViewPointsPutTheBoxCornersOnTheirSides)
{
    const struct
    {
        const char* name;
        int right[3];    // sign of the screen x step along world x, y, z
        int up[3];       // sign of the screen y step (upwards)
    } views[10] = {
        {"Front", {1, 0, 0}, {0, 0, 1}},     {"Back", {-1, 0, 0}, {0, 0, 1}},
        {"Left", {0, -1, 0}, {0, 0, 1}},     {"Right", {0, 1, 0}, {0, 0, 1}},
        {"Top", {1, 0, 0}, {0, 1, 0}},       {"Bottom", {1, 0, 0}, {0, -1, 0}},
        {"SW", {1, -1, 0}, {1, 1, 1}},       {"SE", {1, 1, 0}, {-1, 1, 1}},
        {"NE", {-1, 1, 0}, {-1, -1, 1}},     {"NW", {-1, -1, 0}, {1, -1, 1}},
    };
    DrawingPtr drawing = Open("box.dxf", Box());
    EXPECT_TRUE(drawing->CanView3D());
    for (int v = 0; v < 10; ++v) {
        drawing->SetViewPoint(v);
        for (int corner = 0; corner < 8; ++corner) {
            const POINT p = Pixel(*drawing, Corner(corner));
            EXPECT_TRUE(p.x >= 0 && p.x <= kWidth && p.y >= 0 && p.y <= kHeight) << views[v].name;
            for (int axis = 0; axis < 3; ++axis) {
                if (corner & (1 << axis))
                    continue;
                const POINT q = Pixel(*drawing, Corner(corner | (1 << axis)));
                EXPECT_EQ(Sign(q.x - p.x, 1), views[v].right[axis]) << views[v].name << " axis " << axis;
                EXPECT_EQ(Sign(q.y - p.y, 1), views[v].up[axis]) << views[v].name << " axis " << axis;
            }
        }
    }
}

TEST_F(ViewOperations, FourQuarterTurnsReturnToTheStart)
{
    DrawingPtr drawing = Open("box.dxf", Box());
    drawing->SetViewPoint(6);
    std::vector<POINT> start;
    for (int corner = 0; corner < 8; ++corner)
        start.push_back(Pixel(*drawing, Corner(corner)));
    void (CDrawing::*turns[3])(double) = {&CDrawing::RotateAboutHorizontal,
                                          &CDrawing::RotateAboutVertical, &CDrawing::RollAboutViewAxis};
    for (auto turn : turns) {
        (drawing.get()->*turn)(kQuarter);
        // A quarter turn really turns the picture: some corner moves.
        bool moved = false;
        for (int corner = 0; corner < 8; ++corner) {
            const POINT p = Pixel(*drawing, Corner(corner));
            moved = moved || std::abs(p.x - start[corner].x) > 2 || std::abs(p.y - start[corner].y) > 2;
        }
        EXPECT_TRUE(moved);
        for (int i = 0; i < 3; ++i)
            (drawing.get()->*turn)(kQuarter);
        for (int corner = 0; corner < 8; ++corner) {
            const POINT p = Pixel(*drawing, Corner(corner));
            EXPECT_LE(std::abs(p.x - start[corner].x), 1) << corner;
            EXPECT_LE(std::abs(p.y - start[corner].y), 1) << corner;
        }
    }
}

TEST_F(ViewOperations, PixelToWorldToPixelAtSeveralZooms)
{
    DrawingPtr drawing = Open("box.dxf", Box());
    for (int view : {4, 7}) {
        drawing->SetViewPoint(view);
        drawing->ZoomOutStep();
        drawing->ZoomOutStep();
        for (int zoom = 0; zoom < 8; ++zoom) {
            double w = 0, h = 0;
            drawing->GetViewWorldSize(&w, &h);
            EXPECT_GT(h, 0.0);
            EXPECT_NEAR(w / h, static_cast<double>(kWidth) / kHeight, 1e-9);
            for (int x = 0; x <= kWidth; x += 37) {
                for (int y = 0; y <= kHeight; y += 29) {
                    double world[3] = {};
                    drawing->PixelToWorld(x, y, world);
                    int bx = -1, by = -1;
                    drawing->WorldToPixel(world, &bx, &by);
                    EXPECT_LE(std::abs(bx - x), 1) << zoom << " " << x << "," << y;
                    EXPECT_LE(std::abs(by - y), 1) << zoom << " " << x << "," << y;
                }
            }
            drawing->ZoomInStep();
        }
    }
    // y counts upwards: a pixel higher up is further along the world's y axis in the top view.
    drawing->SetViewPoint(4);
    double low[3] = {}, high[3] = {};
    drawing->PixelToWorld(100, 10, low);
    drawing->PixelToWorld(100, 140, high);
    EXPECT_GT(high[1], low[1]);
}

TEST_F(ViewOperations, ZoomStepsAndPreviousView)
{
    DrawingPtr drawing = Open("box.dxf", Box());
    double h0 = 0, h1 = 0;
    drawing->GetViewWorldSize(nullptr, &h0);
    drawing->ZoomInStep();
    drawing->GetViewWorldSize(nullptr, &h1);
    EXPECT_NEAR(h1, h0 / 2, h0 * 1e-9);
    drawing->ZoomOutStep();
    drawing->GetViewWorldSize(nullptr, &h1);
    EXPECT_NEAR(h1, h0, h0 * 1e-9);
    EXPECT_FALSE(drawing->HasPreviousView());
    drawing->PushView();
    drawing->SetViewPoint(8);
    EXPECT_TRUE(drawing->HasPreviousView());
    ASSERT_TRUE(drawing->PreviousView());
    ASSERT_TRUE(drawing->PreviousView());
    drawing->GetViewWorldSize(nullptr, &h1);
    EXPECT_NEAR(h1, h0, h0 * 1e-9);
    EXPECT_FALSE(drawing->PreviousView());
    // Zoom extents by 1.05 leaves a margin: the box's top view (100 wide, the side that limits
    // the fit) takes 1/1.05 of the output's width.
    drawing->SetViewPoint(4);
    drawing->ZoomExtents(0, 0, 1.05);
    double w = 0;
    drawing->GetViewWorldSize(&w, &h1);
    EXPECT_NEAR(w / 100.0, 1.05, 0.01);
}

TEST_F(ViewOperations, CanBeViewedIn3DIsMeasuredFromTheEntities)
{
    // Header extents that say "flat" do not hide the box's depth; a flat drawing whose header
    // claims a depth is flat.
    DxfBuilder flat;
    flat.Section("HEADER").S(9, "$ACADVER").S(1, "AC1015").S(9, "$EXTMIN").P(10, 0, 0, -50);
    flat.S(9, "$EXTMAX").P(10, 10, 10, 50).EndSection();
    flat.Section("ENTITIES").S(0, "LINE").S(8, "0").P(10, 0, 0).P(11, 10, 10).EndSection().Eof();
    EXPECT_FALSE(Open("flat.dxf", flat.Ascii())->CanView3D());
    DxfBuilder thick;
    thick.Header("AC1015").Section("ENTITIES").S(0, "CIRCLE").S(8, "0").D(39, 5).P(10, 0, 0).D(40, 3);
    thick.EndSection().Eof();
    EXPECT_TRUE(Open("thick.dxf", thick.Ascii())->CanView3D());
    DrawingPtr box = Open("box.dxf", Box());
    EXPECT_TRUE(box->CanView3D());
    DrawingPtr closed(CDrawing::CreateDrawing(0));
    EXPECT_FALSE(closed->CanView3D());
}

// The DXF export's LAYOUT objects: the names in tab order.
std::vector<std::string> DxfLayouts(const std::string& text)
{
    std::istringstream in(text);
    std::string code, value;
    std::vector<std::pair<int, std::string>> layouts;
    bool inLayout = false, inSubclass = false;
    std::pair<int, std::string> current{0, ""};
    bool haveName = false, haveTab = false;
    const auto trim = [](std::string& s) {
        while (!s.empty() && (s.back() == '\r' || s.back() == ' '))
            s.pop_back();
        s.erase(0, s.find_first_not_of(' '));
    };
    while (std::getline(in, code) && std::getline(in, value)) {
        trim(code);
        trim(value);
        if (code == "0") {
            if (inLayout)
                layouts.push_back(current);
            inLayout = value == "LAYOUT";
            inSubclass = haveName = haveTab = false;
            current = {0, ""};
        } else if (inLayout && code == "100") {
            inSubclass = value == "AcDbLayout";
        } else if (inLayout && inSubclass && code == "1" && !haveName) {
            current.second = value;
            haveName = true;
        } else if (inLayout && inSubclass && code == "71" && !haveTab) {
            current.first = std::atoi(value.c_str());
            haveTab = true;
        }
    }
    std::stable_sort(layouts.begin(), layouts.end());
    std::vector<std::string> names;
    for (const auto& l : layouts)
        names.push_back(l.second);
    return names;
}

TEST_F(ViewOperations, LayoutsOfTheSamplesMatchTheirDxfExports)
{
    ORVO_REQUIRE_SAMPLES(dir);
    for (const char* name : {"example_2000", "example_2004", "example_2007", "example_2010",
                             "example_2013", "example_2018", "sample_2000", "sample_2018"}) {
        const std::string base = dir + "\\dwg\\" + name;
        const std::vector<std::string> expected = DxfLayouts(orvo::test::ReadFileBytes(base + ".dxf"));
        ASSERT_GE(expected.size(), 2u) << name;
        DrawingPtr drawing = OpenPath(base + ".dwg");
        ASSERT_FALSE(drawing->HasPreviewOnly()) << name;
        if (std::string(name).find("2018") != std::string::npos) {
            EXPECT_EQ(drawing->GetVersion(), 33) << name;     // the code the drawing information names 2018
        }
        ASSERT_EQ(drawing->GetLayoutCount(), static_cast<int>(expected.size())) << name;
        for (int i = 0; i < drawing->GetLayoutCount(); ++i)
            EXPECT_STREQ(drawing->GetLayoutName(i), expected[static_cast<std::size_t>(i)].c_str()) << name;
        EXPECT_STREQ(drawing->GetLayoutName(-1), "");
        EXPECT_STREQ(drawing->GetLayoutName(drawing->GetLayoutCount()), "");
        EXPECT_FALSE(drawing->SetCurrentLayout(drawing->GetLayoutCount()));

        // Model space, then each paper layout: a picture of its own, with something on it.
        std::set<std::string> pictures;
        for (int i = 0; i < drawing->GetLayoutCount(); ++i) {
            ASSERT_TRUE(drawing->SetCurrentLayout(i));
            EXPECT_EQ(drawing->GetCurrentLayout(), i);
            OffscreenPicture picture(kWidth, kHeight, RGB(255, 255, 255));
            ASSERT_TRUE(drawing->Render(picture.Dc(), nullptr));
            EXPECT_GT(picture.CountOther(kWhite), 30) << name << " layout " << i;
            std::string pixels;
            for (int y = 0; y < kHeight; y += 2) {
                for (int x = 0; x < kWidth; x += 2)
                    pixels += picture.Pixel(x, y) == kWhite ? '.' : '#';
            }
            pictures.insert(pixels);
        }
        EXPECT_GE(pictures.size(), 2u) << name << ": paper layouts look like model space";
    }
}

TEST_F(ViewOperations, ColourModesChangeEveryPixelAsStated)
{
    DrawingPtr drawing = Open("colours.dxf", Colours());
    for (int mode : {0, 1, 2}) {
        drawing->SetColorMode(mode);
        EXPECT_EQ(drawing->GetColorMode(), mode);
        OffscreenPicture picture(kWidth, kHeight, RGB(255, 255, 255));
        ASSERT_TRUE(drawing->Render(picture.Dc(), nullptr));
        std::set<std::uint32_t> colours;
        bool grey = true;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                const std::uint32_t c = picture.Pixel(x, y);
                colours.insert(c);
                grey = grey && (c >> 16) == ((c >> 8) & 0xFF) && ((c >> 8) & 0xFF) == (c & 0xFF);
            }
        }
        if (mode == 0) {
            EXPECT_GE(colours.size(), 4u);
            EXPECT_FALSE(grey);
        } else if (mode == 1) {
            EXPECT_TRUE(grey);
            EXPECT_GE(colours.size(), 3u);     // the colours stay apart as shades
        } else {
            EXPECT_EQ(colours, (std::set<std::uint32_t>{0x000000, kWhite}));
        }
    }
    drawing->SetColorMode(7);
    EXPECT_EQ(drawing->GetColorMode(), 0);
}

TEST_F(ViewOperations, LinearUnitsFormatATableOfValues)
{
    DrawingPtr drawing = Open("box.dxf", Box());
    const struct
    {
        int units, precision;
        const char* expected;
    } cases[] = {{1, 2, "3.05E+01"}, {2, 3, "30.500"}, {3, 1, "2'-6.5\""}, {4, 2, "2'-6 1/2\""}, {5, 4, "30 1/2"}};
    for (const auto& c : cases) {
        drawing->SetLinearUnits(c.units, c.precision);
        int units = 0, precision = 0;
        drawing->GetLinearUnits(&units, &precision);
        EXPECT_EQ(units, c.units);
        EXPECT_EQ(precision, c.precision);
        EXPECT_EQ(drawing->FormatLinear(30.5), c.expected) << c.units;
    }
    drawing->SetLinearUnits(0, -3);
    int units = 0, precision = 9;
    drawing->GetLinearUnits(&units, &precision);
    EXPECT_EQ(units, 1);
    EXPECT_EQ(precision, 0);
}

TEST_F(ViewOperations, PointModesTakeEveryValueAndRefuseOthers)
{
    DrawingPtr drawing = Open("box.dxf", Box());
    for (int mode : {0, 1, 2, 3, 4, 32, 33, 34, 35, 36, 64, 65, 66, 67, 68, 96, 97, 98, 99, 100}) {
        drawing->SetPointMode(mode, -5.0);
        int m = -1;
        double size = 0;
        drawing->GetPointMode(&m, &size);
        EXPECT_EQ(m, mode);
        EXPECT_EQ(size, -5.0);
    }
}

TEST_F(ViewOperations, EndOfPrintingGivesTheViewBack)
{
    DrawingPtr drawing = Open("box.dxf", Box());
    double w0 = 0, h0 = 0;
    drawing->GetViewWorldSize(&w0, &h0);
    drawing->PrintWindow(10, 10, 60, 40, 2000, 1000);
    double w = 0, h = 0;
    drawing->GetViewWorldSize(&w, &h);
    EXPECT_LT(h, h0);
    drawing->EndPrinting();
    drawing->GetViewWorldSize(&w, &h);
    EXPECT_NEAR(h, h0, h0 * 1e-9);
    EXPECT_NEAR(w, w0, w0 * 1e-9);
    EXPECT_EQ(drawing->OutputWidth(), kWidth);
    drawing->EndPrinting();     // a second end changes nothing
    drawing->GetViewWorldSize(nullptr, &h);
    EXPECT_NEAR(h, h0, h0 * 1e-9);
}

// The interface thread turns, zooms and asks the view while the drawing thread renders: every
// call waits for the drawing's lock, so each render sees one whole view and the answers stay
// sound (here: finite, and the renders all finish).
TEST_F(ViewOperations, ViewCallsDuringRendersOnAnotherThread)
{
    DrawingPtr drawing = Open("box.dxf", Box());
    std::atomic<bool> stop{false};
    std::atomic<int> renders{0};
    std::thread renderer([&] {
        OffscreenPicture picture(kWidth, kHeight, RGB(255, 255, 255));
        while (!stop.load()) {
            if (drawing->Render(picture.Dc(), nullptr))
                ++renders;
        }
    });
    for (int i = 0; i < 400; ++i) {
        drawing->RotateAboutVertical(0.1);
        drawing->RotateAboutHorizontal(0.05);
        drawing->RollAboutViewAxis(0.02);
        if (i % 50 == 0)
            drawing->SetViewPoint(i / 50);
        if (i % 2)
            drawing->ZoomInStep();
        else
            drawing->ZoomOutStep();
        double world[3] = {};
        drawing->PixelToWorld(50, 50, world);
        EXPECT_TRUE(std::isfinite(world[0]) && std::isfinite(world[1]) && std::isfinite(world[2]));
        drawing->CanView3D();
        drawing->SetColorMode(i % 3);
    }
    // Bounded: at most a few seconds for the renders that are under way to see the stop.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (renders.load() == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    stop.store(true);
    renderer.join();
    EXPECT_GT(renders.load(), 0);
}

} // namespace

namespace {

// Model space limits 0,0 .. 120,90; a sheet "A3" of 420 x 297 whose paper space holds a line.
std::string SheetDrawing()
{
    DxfBuilder b;
    b.Section("HEADER").S(9, "$ACADVER").S(1, "AC1015").S(9, "$LIMMIN").D(10, 0.0).D(20, 0.0);
    b.S(9, "$LIMMAX").D(10, 120.0).D(20, 90.0).EndSection();
    orvo::portable::AddSheet(b, "A3");
    return b.Ascii();
}

} // namespace

// The paper corners: the current paper layout's limits, the drawing's own limits in model space;
// a null buffer is left alone and a closed drawing gives zeros.
TEST_F(ViewOperations, PaperCornersAreTheCurrentLayoutsLimits)
{
    DrawingPtr drawing = Open("sheet.dxf", SheetDrawing());
    ASSERT_EQ(drawing->GetLayoutCount(), 2);
    struct Case
    {
        int layout;
        double corners[4];
    };
    for (const Case& c : {Case{0, {0, 0, 120, 90}}, Case{1, {-10, -5, 410, 292}}}) {
        ASSERT_TRUE(drawing->SetCurrentLayout(c.layout));
        double corners[4] = {1, 2, 3, 4};
        drawing->GetPaperCorners(corners);
        for (int i = 0; i < 4; ++i)
            EXPECT_DOUBLE_EQ(corners[i], c.corners[i]) << "layout " << c.layout << " corner value " << i;
    }
    drawing->GetPaperCorners(nullptr);
    drawing->Close();
    double corners[4] = {1, 2, 3, 4};
    drawing->GetPaperCorners(corners);
    for (double v : corners)
        EXPECT_EQ(v, 0.0);
}
