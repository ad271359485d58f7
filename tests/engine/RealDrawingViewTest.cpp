// Real drawings drawn as their authors saw them, through the drawing object as the view, the
// preview pane and the thumbnails use it: the plan fills the opening view and the thumbnail
// where far objects or a blank text made it a corner or a speck, while zoom extents still shows
// every object.
#include "OffscreenPicture.h"

#include "engine/rkio/rkio.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

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

class RealDrawingView : public ::testing::Test
{
protected:
    void SetUp() override
    {
        InitDLL();
        DWG_SetBackgroundColor(RGB(255, 255, 255));
    }

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

} // namespace
