// The sheet of a paper layout: where it comes from (limits, the paper view, the paper size, A4)
// and how it is drawn (the surround over the device, then the shadow, then the paper on top).
#include "RecordingSink.h"

#include "engine/db/ViewportEntity.h"
#include "engine/draw/PaperSheet.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using namespace RkDb;
using namespace RkDraw;

TEST(PaperSheet, TheSheetIsTheLimitsElseThePaperViewElseThePaperSizeElseA4)
{
    struct Case
    {
        const char* name;
        Vec2 limMin, limMax;
        bool paperView;
        Vec2 paperSize;
        Vec2 min, max;
    };
    const Case cases[] = {
        {"limits", {10, 20}, {430, 317}, true, {594, 420}, {10, 20}, {430, 317}},
        {"paper view", {0, 0}, {0, 0}, true, {594, 420}, {-5, -10}, {205, 290}},
        {"paper size", {0, 0}, {0, 0}, false, {594, 420}, {0, 0}, {594, 420}},
        {"nothing known", {5, 5}, {5, 5}, false, {0, 0}, {0, 0}, {297, 210}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Layout layout;
        layout.name = "Layout1";
        layout.tabOrder = 1;
        layout.limMin = c.limMin;
        layout.limMax = c.limMax;
        layout.paperSize = c.paperSize;
        Block block;
        if (c.paperView) {
            auto vp = std::make_unique<ViewportEntity>();
            vp->id = 1;
            vp->center = {100, 140, 0};
            vp->width = 210;
            vp->height = 300;
            block.entities.push_back(std::move(vp));
        }
        Vec2 min, max;
        PaperSheet::Bounds(layout, block, min, max);
        EXPECT_DOUBLE_EQ(min.x, c.min.x);
        EXPECT_DOUBLE_EQ(min.y, c.min.y);
        EXPECT_DOUBLE_EQ(max.x, c.max.x);
        EXPECT_DOUBLE_EQ(max.y, c.max.y);
    }
}

TEST(PaperSheet, TheSurroundTheShadowAndThePaperAreFilledInThatOrder)
{
    ViewTransform view;
    view.SetDevice(200, 100);
    view.SetArea({100, 50}, 100); // one paper unit per pixel
    orvo::portable::RecordingSink sink;
    PaperSheet::Draw(sink, view, {20, 10}, {180, 90});
    ASSERT_EQ(sink.fills.size(), 3u);
    EXPECT_EQ(sink.fills[0].rgb, PaperSheet::kSurround);
    EXPECT_DOUBLE_EQ(sink.fills[0].points[2].x, 200.0) << "the surround covers the device";
    EXPECT_DOUBLE_EQ(sink.fills[0].points[2].y, 100.0);
    EXPECT_EQ(sink.fills[1].rgb, PaperSheet::kShadow);
    EXPECT_GT(sink.fills[1].points[0].x, sink.fills[2].points[0].x) << "the shadow lies right of the sheet";
    EXPECT_EQ(sink.fills[2].rgb, PaperSheet::kPaper);
    // The sheet in device pixels: x as on the paper, y downwards.
    EXPECT_NEAR(sink.fills[2].points[0].x, 20.0, 1e-9);
    EXPECT_NEAR(sink.fills[2].points[0].y, 10.0, 1e-9);
    EXPECT_NEAR(sink.fills[2].points[2].x, 180.0, 1e-9);
    EXPECT_NEAR(sink.fills[2].points[2].y, 90.0, 1e-9);
    EXPECT_LT(PaperSheet::kSurround & 0xFF, PaperSheet::kPaper & 0xFF) << "the surround is darker than the paper";
}

} // namespace
