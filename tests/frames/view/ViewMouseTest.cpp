// The drawing view's mouse with the real drawing thread, read back from the view's pixels: a pan
// drag (left button in pan mode, or the middle button) moves the drawing and the image with the
// hand; Zoom Previous steps back over every view change the user makes; a print window is drawn,
// resized and moved with the zone cursors and confirmed by the popup's Ok or a double click; a
// double click elsewhere goes back to the browser; the 3D popup's Exit ends the orbit.
#include "frames/view/CViewFrame.h"
#include "frames/view/PickWindowZones.h"

#include "app/CAppState.h"
#include "core/CAppOptions.h"
#include "engine/rkio/CDrawing.h"
#include "engine/rkio/rkio.h"
#include "engine/rkui/PrintManagerDialog.h"
#include "engine/rkui/RkUI.h"
#include "framework/ModalSeam.h"
#include "render/scene/JGraphics.h"
#include "render/workers/TDwgDrawThread.h"
#include "res/resource.h"
#include "tests/frames/view/ViewFrameFixture.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

using orvo::test::WaitFor;

namespace {

constexpr DWORD kWaitMs = orvo::test::kViewWaitMs;

// The box of every pixel of the view that is not the background, taken as the colour of its
// top-left pixel (the picture is smaller than the view there).
struct Box
{
    int left = 0, top = 0, right = -1, bottom = -1;
    bool Empty() const { return right < left; }
};

Box DrawnBox(CWnd& view)
{
    int width = 0;
    int height = 0;
    const std::vector<COLORREF> pixels = orvo::test::PrintClientPixels(view.GetSafeHwnd(), 1, &width, &height);
    Box box{width, height, -1, -1};
    const COLORREF background = pixels.empty() ? 0 : pixels[0];
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (pixels[static_cast<size_t>(y * width + x)] == background)
                continue;
            box.left = std::min(box.left, x);
            box.right = std::max(box.right, x);
            box.top = std::min(box.top, y);
            box.bottom = std::max(box.bottom, y);
        }
    }
    return box;
}

LPARAM At(POINT p)
{
    return MAKELPARAM(p.x, p.y);
}

class ViewMouseTest : public orvo::test::ViewFrameFixture
{
protected:
    void SetUp() override
    {
        InitDLL();
        initRkUI((m_registry.Key() + "\\").c_str(), "Orvo Kestal", 1, 0);
    }
    void TearDown() override { releaseRkUI(); }

    CDwgView& View() { return m_frame->GetView(); }
    bool OpenDrawing() { return OpenDxfText(m_dir / "plan.dxf", orvo::test::GeneratedDxf()); }
    bool OpenImage()
    {
        const std::string path = m_dir / "photo.bmp";
        return WritePicture(path) && OpenImageAndWait(path);
    }
    // Waits for the picture a drawing's change asks for (an image is painted at once).
    bool Rendered(int before)
    {
        if (Thread().GetFileType() >= 4)
            return Settled();
        return WaitFor([&] { return m_frame->GetRenderCount() > before; }, kWaitMs) && Settled();
    }
    // A drag with the left or the middle button in steps of 10 pixels.
    bool Drag(bool middle, POINT from, POINT to)
    {
        const int renders = m_frame->GetRenderCount();
        const UINT down = middle ? WM_MBUTTONDOWN : WM_LBUTTONDOWN;
        const UINT up = middle ? WM_MBUTTONUP : WM_LBUTTONUP;
        const WPARAM held = middle ? MK_MBUTTON : MK_LBUTTON;
        View().SendMessage(down, held, At(from));
        const LONG longest = std::max(std::abs(to.x - from.x), std::abs(to.y - from.y));
        const int steps = static_cast<int>(std::max<LONG>(1, longest / 10));
        for (int i = 1; i <= steps; ++i) {
            const POINT p = {from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps};
            View().SendMessage(WM_MOUSEMOVE, held, At(p));
        }
        View().SendMessage(up, 0, At(to));
        return Rendered(renders);
    }
    // The world point shown at the view's top-left pixel and the world width of the view.
    std::vector<double> DrawingView()
    {
        CRect client;
        View().GetClientRect(&client);
        double a[3] = {0.0, 0.0, 0.0};
        double b[3] = {0.0, 0.0, 0.0};
        Thread().GetDrawing()->PixelToWorld(0, client.bottom, a);
        Thread().GetDrawing()->PixelToWorld(client.right, client.bottom, b);
        return {a[0], a[1], b[0] - a[0]};
    }
    bool Command(UINT id)
    {
        const int renders = m_frame->GetRenderCount();
        m_frame->SendMessage(WM_COMMAND, id);
        return Rendered(renders);
    }
    bool Key(UINT key)
    {
        const int renders = m_frame->GetRenderCount();
        MSG msg = {View().GetSafeHwnd(), WM_KEYDOWN, key, 0, 0, {0, 0}};
        m_frame->PreTranslateMessage(&msg);
        return Rendered(renders);
    }
    // The view's context menu, answered with a command as the user would choose it.
    UINT ContextMenuChoosing(UINT command)
    {
        UINT first = 0;
        const auto look = [&](const ModalRequest& r) { first = r.pMenu ? r.pMenu->GetMenuItemID(0) : 0; };
        CModalScript script({ModalStep(ModalKind::PopupMenu, "", static_cast<INT_PTR>(command), look)});
        POINT screen = {50, 50};
        View().ClientToScreen(&screen);
        View().SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(View().GetSafeHwnd()), At(screen));
        return first;
    }
    // The command a popup menu posted to the frame is handled.
    static void HandlePosted()
    {
        WaitFor([] { return false; }, 100);
    }

    orvo::test::TempDir m_dir;
};

} // namespace

TEST_F(ViewMouseTest, APanDragMovesThePictureWithTheHand)
{
    struct Case
    {
        bool image;
        bool middle;
        POINT move;
    };
    const Case cases[] = {
        {false, false, {100, 0}}, {false, false, {0, 60}}, {false, true, {100, 0}},
        {true, false, {100, 0}},  {true, false, {0, 60}},  {true, true, {100, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.image ? "image" : "drawing") << (c.middle ? " middle" : " left")
                                        << " by " << c.move.x << "," << c.move.y);
        ASSERT_TRUE(c.image ? OpenImage() : OpenDrawing());
        if (!c.middle)
            m_frame->SendMessage(WM_COMMAND, ID_VIEW_PAN);
        else
            m_frame->SendMessage(WM_COMMAND, ID_VIEW_ZOOM_WINDOW); // the middle button pans in any mode
        // Half the size first, so that the picture's left and top edges lie inside the view.
        for (int i = 0; i < 3; ++i)
            ASSERT_TRUE(Key(VK_SUBTRACT));
        const Box before = DrawnBox(View());
        ASSERT_FALSE(before.Empty());
        const POINT from = {200, 150};
        ASSERT_TRUE(Drag(c.middle, from, {from.x + c.move.x, from.y + c.move.y}));
        const Box after = DrawnBox(View());
        EXPECT_NEAR(after.left - before.left, c.move.x, 2) << "the picture moved right with the hand";
        EXPECT_NEAR(after.top - before.top, c.move.y, 2) << "and down with it";
        EXPECT_EQ(View().m_nMode, c.middle ? CDwgView::kModeZoomWindow : CDwgView::kModePan) << "the mode stays";
    }
}

// Every change of the view the user makes is one step back, for a drawing.
TEST_F(ViewMouseTest, ZoomPreviousStepsBackOverEveryViewChange)
{
    ASSERT_TRUE(OpenDrawing());
    CRect client;
    View().GetClientRect(&client);
    POINT wheelAt = {client.Width() / 3, client.Height() / 3};
    View().ClientToScreen(&wheelAt);
    struct Case
    {
        const char* name;
        std::function<bool()> change;
    };
    const Case cases[] = {
        {"wheel", [&] {
             const int renders = m_frame->GetRenderCount();
             View().SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), At(wheelAt));
             return Rendered(renders);
         }},
        {"zoom in", [&] { return Command(ID_VIEW_ZOOM_IN); }},
        {"zoom out", [&] { return Command(ID_VIEW_ZOOM_OUT); }},
        {"zoom extents", [&] { return Command(ID_VIEW_ZOOM_EXTENTS); }},
        {"pan drag", [&] {
             m_frame->SendMessage(WM_COMMAND, ID_VIEW_PAN);
             return Drag(false, {100, 100}, {160, 130});
         }},
        {"middle pan", [&] { return Drag(true, {100, 100}, {40, 70}); }},
        {"arrow key", [&] { return Key(VK_RIGHT); }},
        {"plus key", [&] { return Key(VK_ADD); }},
        {"fit key", [&] { return Key('8'); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Start away from the extents, so that fitting changes the view too.
        ASSERT_TRUE(Command(ID_VIEW_ZOOM_IN));
        const std::vector<double> before = DrawingView();
        ASSERT_TRUE(c.change());
        const std::vector<double> changed = DrawingView();
        EXPECT_NE(changed, before) << "the view changed";
        ASSERT_TRUE(IsEnabled(ID_VIEW_ZOOM_PREVIOUS));
        ASSERT_TRUE(Command(ID_VIEW_ZOOM_PREVIOUS));
        const std::vector<double> back = DrawingView();
        const double pixel = before[2] / client.Width();
        EXPECT_NEAR(back[0], before[0], pixel);
        EXPECT_NEAR(back[1], before[1], pixel);
        EXPECT_NEAR(back[2], before[2], pixel);
    }
}

// An image's views: a step back after a zoom, a 1:1 and a pan drag; none before anything changed.
TEST_F(ViewMouseTest, ZoomPreviousOfAnImageNeedsAChangeToStepBackOver)
{
    ASSERT_TRUE(OpenImage());
    EXPECT_FALSE(IsEnabled(ID_VIEW_ZOOM_PREVIOUS)) << "nothing to go back to yet";
    const std::vector<COLORREF> fitted = orvo::test::PrintClientPixels(View().GetSafeHwnd(), 2, nullptr, nullptr);
    for (const UINT id : {ID_VIEW_ZOOM_IN, ID_VIEW_ONE_TO_ONE, ID_VIEW_ZOOM_OUT}) {
        SCOPED_TRACE(id);
        ASSERT_TRUE(Command(id));
        EXPECT_NE(orvo::test::PrintClientPixels(View().GetSafeHwnd(), 2, nullptr, nullptr), fitted);
        ASSERT_TRUE(IsEnabled(ID_VIEW_ZOOM_PREVIOUS));
        ASSERT_TRUE(Command(ID_VIEW_ZOOM_PREVIOUS));
        EXPECT_EQ(orvo::test::PrintClientPixels(View().GetSafeHwnd(), 2, nullptr, nullptr), fitted);
    }
    // A drag of many moves is one step back, with either button.
    m_frame->SendMessage(WM_COMMAND, ID_VIEW_PAN);
    for (const bool middle : {false, true}) {
        SCOPED_TRACE(middle ? "middle" : "left");
        ASSERT_TRUE(Drag(middle, {100, 100}, {160, 130}));
        EXPECT_NE(orvo::test::PrintClientPixels(View().GetSafeHwnd(), 2, nullptr, nullptr), fitted);
        ASSERT_TRUE(Command(ID_VIEW_ZOOM_PREVIOUS));
        EXPECT_EQ(orvo::test::PrintClientPixels(View().GetSafeHwnd(), 2, nullptr, nullptr), fitted);
        EXPECT_FALSE(IsEnabled(ID_VIEW_ZOOM_PREVIOUS)) << "back at the first view";
    }
    View().SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At({120, 90}));
    View().SendMessage(WM_LBUTTONUP, 0, At({120, 90}));
    EXPECT_FALSE(IsEnabled(ID_VIEW_ZOOM_PREVIOUS)) << "a click that does not move keeps no step";
}

TEST(ViewMousePieces, EachZoneOfThePickedWindowHasItsCursorAndItsDrag)
{
    const RECT r = {100, 80, 300, 240};
    struct Zone
    {
        POINT at;
        int zone;
        int cursor;
    };
    const Zone zones[] = {
        {{20, 20}, 0, 19},     {{98, 243}, 1, 16},   {{200, 244}, 2, 14}, {{303, 238}, 3, 17},
        {{296, 160}, 4, 15},   {{304, 76}, 5, 16},   {{200, 84}, 6, 14},  {{96, 80}, 7, 17},
        {{104, 160}, 8, 15},   {{200, 160}, 9, 18},  {{100, 30}, 0, 19},  {{300, 260}, 0, 19},
        {{50, 80}, 0, 19},     {{350, 240}, 0, 19},  {{105, 160}, 9, 18},
    };
    for (const Zone& z : zones) {
        SCOPED_TRACE(testing::Message() << z.at.x << "," << z.at.y);
        EXPECT_EQ(PickWindowZones::ZoneAt(r, z.at), z.zone);
        EXPECT_EQ(PickWindowZones::CursorOf(PickWindowZones::ZoneAt(r, z.at)), z.cursor);
    }
    const RECT client = {0, 0, 400, 300};
    struct Drag
    {
        int zone;
        POINT to;
        RECT out;
    };
    const Drag drags[] = {
        {PickWindowZones::kRight, {350, 10}, {100, 80, 350, 240}},
        {PickWindowZones::kRight, {104, 10}, {100, 80, 300, 240}},     // 4 pixels or less across: kept
        {PickWindowZones::kRight, {900, 10}, {100, 80, 400, 240}},     // held at the view's edge
        {PickWindowZones::kTopLeft, {-30, -5}, {0, 0, 300, 240}},
        {PickWindowZones::kBottom, {0, 236}, {100, 80, 300, 236}},
        {PickWindowZones::kBottom, {0, 83}, {100, 80, 300, 240}},     // 4 pixels or less high: kept
        {PickWindowZones::kBottomLeft, {50, 280}, {50, 80, 300, 280}},
        {PickWindowZones::kTop, {7, 40}, {100, 40, 300, 240}},
        {PickWindowZones::kLeft, {297, 40}, {100, 80, 300, 240}},
    };
    for (const Drag& d : drags) {
        SCOPED_TRACE(d.zone);
        POINT anchor = {0, 0};
        const RECT out = PickWindowZones::Drag(r, d.zone, d.to, anchor, client);
        EXPECT_TRUE(EqualRect(&out, &d.out)) << out.left << "," << out.top << "," << out.right << "," << out.bottom;
    }
    // Moving: by the offset from the last point, only while wholly inside the view.
    POINT anchor = {200, 160};
    RECT moved = PickWindowZones::Drag(r, PickWindowZones::kInside, {230, 150}, anchor, client);
    EXPECT_EQ(moved.left, 130);
    EXPECT_EQ(moved.top, 70);
    EXPECT_EQ(anchor.x, 230);
    moved = PickWindowZones::Drag(moved, PickWindowZones::kInside, {330, 150}, anchor, client);
    EXPECT_EQ(moved.left, 130) << "the move would leave the view";
    EXPECT_EQ(anchor.x, 330);
}

TEST_F(ViewMouseTest, APrintWindowIsDrawnResizedMovedAndConfirmed)
{
    ASSERT_TRUE(OpenDrawing());
    CDwgView& view = View();
    const auto enterPick = [&] {
        CModalScript script({ModalStep(ModalKind::Dialog, "", RkUI::PrintManagerDialog::kPickWindow)});
        m_frame->SendMessage(WM_COMMAND, ID_VIEW_PRINT);
        return script.Remaining() == 0 && view.m_bPickWindow;
    };
    ASSERT_TRUE(enterPick());
    const std::vector<COLORREF> plain = orvo::test::PrintClientPixels(view.GetSafeHwnd(), 1, nullptr, nullptr);
    view.SendMessage(WM_MOUSEMOVE, 0, At({100, 80}));
    EXPECT_EQ(::GetCursor(), g_cursor[12]) << "the pick cursor before a window exists";
    // The rubber band follows the drag.
    view.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At({100, 80}));
    view.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, At({200, 160}));
    EXPECT_EQ(view.m_rcPick.right, 200);
    view.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, At({300, 240}));
    int width = 0;
    const std::vector<COLORREF> drawn = orvo::test::PrintClientPixels(view.GetSafeHwnd(), 1, &width, nullptr);
    EXPECT_NE(drawn[static_cast<size_t>(10 * width + 10)], plain[static_cast<size_t>(10 * width + 10)])
        << "outside the window is tinted while it is drawn";
    EXPECT_EQ(drawn[static_cast<size_t>(150 * width + 180)], plain[static_cast<size_t>(150 * width + 180)])
        << "inside it shows the drawing as it is";
    view.SendMessage(WM_LBUTTONUP, 0, At({300, 240}));
    EXPECT_TRUE(view.m_bPickDone);
    EXPECT_TRUE(EqualRect(&view.m_rcPick, CRect(100, 80, 300, 240)));
    // The zone cursors, then a resize by the right edge and a move from inside.
    const struct
    {
        POINT at;
        int cursor;
    } hovers[] = {{{200, 80}, 14},  {{300, 160}, 15}, {{100, 240}, 16},
                  {{300, 240}, 17}, {{200, 160}, 18}, {{20, 20}, 19}};
    for (const auto& h : hovers) {
        view.SendMessage(WM_MOUSEMOVE, 0, At(h.at));
        EXPECT_EQ(::GetCursor(), g_cursor[h.cursor]) << h.at.x << "," << h.at.y;
    }
    view.SendMessage(WM_MOUSEMOVE, 0, At({300, 160}));
    view.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At({300, 160}));
    view.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, At({340, 160}));
    view.SendMessage(WM_LBUTTONUP, 0, At({340, 160}));
    EXPECT_TRUE(EqualRect(&view.m_rcPick, CRect(100, 80, 340, 240)));
    view.SendMessage(WM_MOUSEMOVE, 0, At({200, 160}));
    view.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At({200, 160}));
    view.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, At({210, 170}));
    view.SendMessage(WM_LBUTTONUP, 0, At({210, 170}));
    EXPECT_TRUE(EqualRect(&view.m_rcPick, CRect(110, 90, 350, 250)));
    // The popup offers Ok and Cancel; Ok hands the window to the print manager, which opens again.
    {
        CModalScript again({ModalStep(ModalKind::Dialog, "", IDCANCEL)});
        EXPECT_EQ(ContextMenuChoosing(ID_VIEW_PICK_OK), static_cast<UINT>(ID_VIEW_PICK_OK));
        HandlePosted();
        EXPECT_TRUE(WaitFor([&] { return again.Remaining() == 0; }, kWaitMs)) << "the print manager opened again";
    }
    EXPECT_FALSE(view.m_bPickWindow);
    EXPECT_FALSE(m_frame->GetPrintCommand().Record().wholeView) << "the picked window is the print window";
    const RECT saved = m_frame->GetPrintCommand().SavedPickedRect();
    EXPECT_TRUE(EqualRect(&saved, CRect(110, 90, 350, 250)));
    // Picking again starts from that window; a double click inside confirms it.
    ASSERT_TRUE(enterPick());
    EXPECT_TRUE(view.m_bPickDone);
    {
        CModalScript again({ModalStep(ModalKind::Dialog, "", IDCANCEL)});
        view.SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, At({200, 160}));
        EXPECT_FALSE(view.m_bPickWindow);
        EXPECT_TRUE(WaitFor([&] { return again.Remaining() == 0; }, kWaitMs));
    }
    EXPECT_TRUE(m_frame->IsWindowVisible()) << "a double click while picking stays in the view";
    // Cancel ends picking and the print manager opens again with the last window.
    ASSERT_TRUE(enterPick());
    {
        CModalScript again({ModalStep(ModalKind::Dialog, "", IDCANCEL)});
        ContextMenuChoosing(ID_VIEW_PICK_CANCEL);
        HandlePosted();
        EXPECT_TRUE(WaitFor([&] { return again.Remaining() == 0; }, kWaitMs));
    }
    EXPECT_FALSE(view.m_bPickWindow);
    EXPECT_EQ(::GetCursor(), view.ModeCursor());
}

TEST_F(ViewMouseTest, ADoubleClickGoesBackToTheBrowserOverADrawingOrAnImage)
{
    for (const bool image : {false, true}) {
        SCOPED_TRACE(image ? "image" : "drawing");
        g_appState.mode.store(CAppState::kModeView);
        m_frame->ShowWindow(SW_SHOWNOACTIVATE);
        ASSERT_TRUE(image ? OpenImage() : OpenDrawing());
        View().SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At({120, 90}));
        View().SendMessage(WM_LBUTTONUP, 0, At({120, 90}));
        View().SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, At({120, 90}));
        View().SendMessage(WM_LBUTTONUP, 0, At({120, 90}));
        EXPECT_TRUE(WaitFor([] { return g_appState.mode.load() == CAppState::kModeBrowse; }, kWaitMs));
        EXPECT_FALSE(m_frame->IsWindowVisible());
    }
}

TEST_F(ViewMouseTest, ExitOfThe3DPopupEndsTheOrbit)
{
    ASSERT_TRUE(OpenDxfText(m_dir / "box.dxf", orvo::test::Generated3DDxf()));
    m_frame->SendMessage(WM_COMMAND, ID_VIEW_3D_DYNAMIC);
    ASSERT_TRUE(View().m_bDynamicView);
    EXPECT_EQ(ContextMenuChoosing(ID_VIEW_DYNAMIC_EXIT), static_cast<UINT>(ID_VIEW_3D_FRONT)) << "the 3D popup";
    HandlePosted();
    EXPECT_FALSE(View().m_bDynamicView);
    EXPECT_EQ(ContextMenuChoosing(0), static_cast<UINT>(ID_VIEW_ZOOM_OUT)) << "the main popup after the orbit";
}
