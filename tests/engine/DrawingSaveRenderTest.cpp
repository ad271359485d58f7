// Save As keeps the picture: every top-level shared sample drawing, opened and rendered at
// 400x300, saved as DXF and as DWG of each version, opened again and rendered,
// differs in few pixels.
// Drawings whose save left entities out (raster images) are not compared, nor in R12 those with
// conversions (a hatch becomes its outline there).
#include "OffscreenPicture.h"

#include "engine/rkio/CDrawing.h"
#include "engine/rkio/rkio.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
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

int DifferentPixels(const OffscreenPicture& a, const OffscreenPicture& b)
{
    int n = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x)
            n += a.Pixel(x, y) != b.Pixel(x, y) ? 1 : 0;
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

class DrawingSaveRender : public ::testing::TestWithParam<SaveKind>
{
protected:
    void SetUp() override
    {
        InitDLL();
        DWG_SetBackgroundColor(RGB(255, 255, 255));
    }
    orvo::test::TempDir m_dir;
};

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

INSTANTIATE_TEST_SUITE_P(Kinds, DrawingSaveRender,
                         ::testing::Values(SaveKind{2, 5}, SaveKind{2, 7}, SaveKind{2, 8}, SaveKind{2, 9},
                                           SaveKind{1, 5}, SaveKind{1, 7}, SaveKind{1, 8}, SaveKind{1, 9}),
                         [](const ::testing::TestParamInfo<SaveKind>& info) {
                             return std::string(info.param.kind == 1 ? "Dwg" : "Dxf") +
                                    std::to_string(info.param.version);
                         });

} // namespace
