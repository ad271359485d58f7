// Save As keeps the picture: every top-level shared sample drawing, opened and rendered at
// 400x300, saved as DXF and as DWG of each version, opened again and rendered,
// differs in few pixels.
// Drawings whose save left entities out (raster images) are not compared, nor in R12 those with
// conversions (multilines and leaders lose their arrowheads). A drawing of hatches and true
// colours saved as DXF R12 or DWG R12 (hatches as blocks of lines and fills, true colours as their
// nearest index) looks like the original too.
#include "OffscreenPicture.h"

#include "engine/rkio/CDrawing.h"
#include "engine/rkio/rkio.h"
#include "tests/engine/portable/DxfBuilder.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using orvo::test::OffscreenPicture;

constexpr int kWidth = 400, kHeight = 300;

std::vector<std::string> TopLevelSamples(const std::string& dir)
{
    std::vector<std::string> paths;
    WIN32_FIND_DATAA found;
    const HANDLE find = FindFirstFileA((dir + "\\*.*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return paths;
    do {
        const std::string name = found.cFileName;
        if (name.size() > 4 && (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
            (name.substr(name.size() - 4) == ".dwg" || name.substr(name.size() - 4) == ".dxf"))
            paths.push_back(dir + "\\" + name);
    } while (FindNextFileA(find, &found));
    FindClose(find);
    return paths;
}

// Pixels whose colours differ by more than tolerance in a channel.
int DifferentPixels(const OffscreenPicture& a, const OffscreenPicture& b, int tolerance = 0)
{
    int n = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const std::uint32_t p = a.Pixel(x, y), q = b.Pixel(x, y);
            bool differs = false;
            for (int shift = 0; shift < 24; shift += 8)
                differs = differs || std::abs(int((p >> shift) & 0xFF) - int((q >> shift) & 0xFF)) > tolerance;
            n += differs ? 1 : 0;
        }
    }
    return n;
}

// Whether the save left entities out (raster images, ...) or, with conversions counting, turned
// some into others. An LWPOLYLINE written as a 2D POLYLINE keeps its widths and bulges: that one
// does not count.
bool Changed(const RkWrite::WriteReport& r, bool conversionsCount)
{
    const std::size_t lwPolyline = static_cast<std::size_t>(RkDb::EntityType::LwPolyline);
    for (std::size_t t = 0; t < r.dropped.size(); ++t) {
        if (r.dropped[t] != 0 || (conversionsCount && t != lwPolyline && r.convertedFrom[t] != 0))
            return true;
    }
    return false;
}

struct SaveKind
{
    int kind;       // 1 DWG, 2 DXF
    int version;    // 5 R12, 7 R14, 8 2000, 9 2004
};

// Pictures on white of drawings saved in a temporary folder.
template <class Param> class SavedPictures : public ::testing::TestWithParam<Param>
{
protected:
    void SetUp() override
    {
        InitDLL();
        DWG_SetBackgroundColor(RGB(255, 255, 255));
    }
    orvo::test::TempDir m_dir;
};

using DrawingSaveRender = SavedPictures<SaveKind>;

TEST_P(DrawingSaveRender, SavedDrawingRendersAsTheOriginal)
{
    const std::string samples = orvo::test::SamplesDir();
    if (samples.empty())
        GTEST_SKIP() << "the shared sample drawings folder is absent";
    const int kind = GetParam().kind;
    const int version = GetParam().version;
    int compared = 0;
    for (const std::string& path : TopLevelSamples(samples + "\\dwg")) {
        CDrawing* original = CDrawing::CreateDrawing(0);
        if (original->Open(path.c_str(), "") != 0 || original->HasPreviewOnly()) {
            CDrawing::DeleteDrawing(original);
            continue;
        }
        OffscreenPicture before(kWidth, kHeight, RGB(255, 255, 255));
        original->RenderFitted(before.Dc(), kWidth, kHeight, nullptr);
        const std::string saved = m_dir / (kind == 1 ? "saved.dwg" : "saved.dxf");
        original->PrepareSave();
        ASSERT_EQ(original->Save(saved.c_str(), kind, version, 0), 0) << path;
        // DWG turns leaders and multilines into polylines, which draw no arrowheads.
        const bool changed = Changed(original->LastSaveReport(), version == 5 || kind == 1);
        CDrawing::DeleteDrawing(original);
        if (changed)
            continue;
        CDrawing* again = CDrawing::CreateDrawing(0);
        ASSERT_EQ(again->Open(saved.c_str(), ""), 0) << path;
        OffscreenPicture after(kWidth, kHeight, RGB(255, 255, 255));
        again->RenderFitted(after.Dc(), kWidth, kHeight, nullptr);
        CDrawing::DeleteDrawing(again);
        // A few pixels of what is drawn: values written in their shortest exact form give the
        // same geometry, but a text or curve may land a pixel over.
        const int drawn = before.CountOther(0xFFFFFF);
        const int differing = DifferentPixels(before, after);
        EXPECT_GT(drawn, 0) << path;
        EXPECT_LE(differing, std::max(16, drawn / 50)) << path << " kind " << kind << " v" << version;
        ++compared;
    }
    EXPECT_GT(compared, 0);
}

// A layer in true-colour green with walls on it, a solid hatch in a true colour and a hatch of
// diagonal lines, on a 100 x 75 sheet.
std::string HatchesAndTrueColours()
{
    orvo::portable::DxfBuilder b;
    b.Header("AC1015");
    b.Section("TABLES").S(0, "TABLE").S(2, "LAYER").I(70, 1);
    b.S(0, "LAYER").S(2, "Walls").I(70, 0).I(62, 7).I(420, 0x20A040).S(6, "CONTINUOUS");
    b.S(0, "ENDTAB").EndSection();
    b.Section("ENTITIES");
    for (int i = 0; i <= 10; ++i)
        b.S(0, "LINE").S(8, "Walls").P(10, 0, i * 7.5).P(11, 100, i * 7.5);
    const auto square = [&b](double x, double y, double side) {
        b.I(91, 1).I(92, 2).I(72, 0).I(73, 1).I(93, 4).D(10, x).D(20, y).D(10, x + side).D(20, y)
            .D(10, x + side).D(20, y + side).D(10, x).D(20, y + side).I(97, 0);
    };
    b.S(0, "HATCH").S(8, "0").I(420, 0xC04020).S(100, "AcDbHatch").P(10, 0, 0).P(210, 0, 0, 1)
        .S(2, "SOLID").I(70, 1).I(71, 0);
    square(5, 5, 30);
    b.I(75, 0).I(76, 1).I(98, 0);
    b.S(0, "HATCH").S(8, "Walls").S(100, "AcDbHatch").P(10, 0, 0).P(210, 0, 0, 1)
        .S(2, "ANSI31").I(70, 0).I(71, 0);
    square(55, 20, 40);
    b.I(75, 0).I(76, 1).D(52, 0.0).D(41, 1.0).I(77, 0).I(78, 1)
        .D(53, 45.0).D(43, 0).D(44, 0).D(45, -3.0).D(46, 3.0).I(79, 0).I(98, 0);
    b.EndSection().Eof();
    return b.Ascii();
}

// The drawing rendered at 400x300 after a save as R12 of that kind (1 DWG, 2 DXF) and an open of
// the saved file; report: the save's.
void SavedAsR12(const std::string& source, const std::string& saved, int kind, OffscreenPicture& before,
                OffscreenPicture& after, RkWrite::WriteReport& report)
{
    CDrawing* original = CDrawing::CreateDrawing(0);
    ASSERT_EQ(original->Open(source.c_str(), ""), 0);
    original->RenderFitted(before.Dc(), kWidth, kHeight, nullptr);
    original->PrepareSave();
    ASSERT_EQ(original->Save(saved.c_str(), kind, 5, 0), 0);
    report = original->LastSaveReport();
    CDrawing::DeleteDrawing(original);
    CDrawing* again = CDrawing::CreateDrawing(0);
    ASSERT_EQ(again->Open(saved.c_str(), ""), 0);
    again->RenderFitted(after.Dc(), kWidth, kHeight, nullptr);
    CDrawing::DeleteDrawing(again);
}

using DrawingSaveRenderR12 = SavedPictures<int>;

// Saved as DXF R12 or DWG R12, the hatches come back as blocks of lines and fills that land on
// the original's pixels (an index colour near its true colour), and the DWG like the DXF.
TEST_P(DrawingSaveRenderR12, HatchesAndTrueColoursLookAsTheOriginal)
{
    const int kind = GetParam();
    const std::string source = m_dir / "hatches.dxf";
    const std::string text = HatchesAndTrueColours();
    std::FILE* f = std::fopen(source.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(std::fwrite(text.data(), 1, text.size(), f), text.size());
    std::fclose(f);
    OffscreenPicture before(kWidth, kHeight, RGB(255, 255, 255)), after(kWidth, kHeight, RGB(255, 255, 255));
    RkWrite::WriteReport report;
    const std::string saved = m_dir / (kind == 1 ? "hatches-r12.dwg" : "hatches-r12.dxf");
    SavedAsR12(source, saved, kind, before, after, report);
    EXPECT_EQ(report.convertedFrom[static_cast<std::size_t>(RkDb::EntityType::Hatch)], 2u);
    EXPECT_EQ(report.convertedInto[static_cast<std::size_t>(RkDb::EntityType::Insert)], 2u);
    const std::string written = orvo::test::ReadFileBytes(saved);
    if (kind == 2) {
        EXPECT_EQ(written.find("HATCH"), std::string::npos);
        EXPECT_NE(written.find("*X1"), std::string::npos);
    }
    // The fills and the pattern land on the same pixels; an index colour is near its true colour.
    const int drawn = before.CountOther(0xFFFFFF);
    EXPECT_GT(drawn, kWidth * kHeight / 10);
    EXPECT_LE(DifferentPixels(before, after, 64), drawn / 50);
    EXPECT_GT(after.CountOther(0xFFFFFF), drawn * 9 / 10);
    if (kind == 1) {
        OffscreenPicture dxfBefore(kWidth, kHeight, RGB(255, 255, 255)), dxfAfter(kWidth, kHeight, RGB(255, 255, 255));
        RkWrite::WriteReport dxfReport;
        SavedAsR12(source, m_dir / "hatches-r12.dxf", 2, dxfBefore, dxfAfter, dxfReport);
        EXPECT_EQ(DifferentPixels(after, dxfAfter), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, DrawingSaveRenderR12, ::testing::Values(1, 2),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::string(info.param == 1 ? "Dwg" : "Dxf");
                         });

INSTANTIATE_TEST_SUITE_P(Kinds, DrawingSaveRender,
                         ::testing::Values(SaveKind{2, 5}, SaveKind{2, 7}, SaveKind{2, 8}, SaveKind{2, 9},
                                           SaveKind{1, 5}, SaveKind{1, 7}, SaveKind{1, 8}, SaveKind{1, 9}),
                         [](const ::testing::TestParamInfo<SaveKind>& info) {
                             return std::string(info.param.kind == 1 ? "Dwg" : "Dxf") +
                                    std::to_string(info.param.version);
                         });

} // namespace
