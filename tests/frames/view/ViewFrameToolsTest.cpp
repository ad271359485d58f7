// The view frame's opposite view points, rotate view, smooth display and drawing properties with
// the real drawing thread: each command's enabling rule, what it changes in the picture or the
// settings, and which properties window it goes to.
#include "frames/view/CViewFrame.h"

#include "app/CAppState.h"
#include "core/CAppOptions.h"
#include "engine/rkio/CDrawing.h"
#include "browser/shell/ShellItemLaunch.h"
#include "engine/rkui/NumberFieldsDialog.h"
#include "engine/rkui/RkUI.h"
#include "framework/ModalSeam.h"
#include "imaging/CDib.h"
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

// Where the pixels of one colour lie in a picture of the view, against the middle of everything
// drawn there.
struct ColourPlace
{
    double x = 0.0; // the colour's mean column minus the drawing's middle column
    double y = 0.0; // the same for rows (downwards)
    int count = 0;
};

ColourPlace PlaceOf(CWnd& view, COLORREF colour, COLORREF background)
{
    int width = 0;
    int height = 0;
    const std::vector<COLORREF> pixels = orvo::test::PrintClientPixels(view.GetSafeHwnd(), 1, &width, &height);
    int left = width, right = -1, top = height, bottom = -1;
    double sumX = 0.0, sumY = 0.0;
    ColourPlace place;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const COLORREF px = pixels[static_cast<size_t>(y * width + x)];
            if (px == background)
                continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
            if (px == colour) {
                sumX += x;
                sumY += y;
                ++place.count;
            }
        }
    }
    if (place.count > 0) {
        place.x = sumX / place.count - (left + right) / 2.0;
        place.y = sumY / place.count - (top + bottom) / 2.0;
    }
    return place;
}

int DrawnPixels(HWND view, COLORREF background)
{
    const std::vector<COLORREF> pixels = orvo::test::PrintClientPixels(view, 2, nullptr, nullptr);
    return static_cast<int>(std::count_if(pixels.begin(), pixels.end(), [&](COLORREF c) { return c != background; }));
}

class ViewFrameToolsTest : public orvo::test::ViewFrameFixture
{
protected:
    bool Open3D() { return OpenDxfText(m_dir / "axes.dxf", orvo::test::Generated3DDxf()); }
    bool OpenFlat() { return OpenDxfText(m_dir / "plan.dxf", orvo::test::GeneratedDxf()); }

    // A picture far larger than the view, so that it is shown reduced.
    bool OpenLargeImage()
    {
        const std::string path = m_dir / "large.bmp";
        CDib dib;
        if (!dib.Create(3000, 2400, 24))
            return false;
        dib.Fill(RGB(0, 128, 255));
        return dib.SaveFile(path.c_str()) && OpenImageAndWait(path);
    }

    // The frame's accelerator of a key, as the message loop would give it the key.
    void PressKey(UINT key)
    {
        MSG msg = {m_frame->GetView().GetSafeHwnd(), WM_KEYDOWN, key, 0, 0, {0, 0}};
        m_frame->PreTranslateMessage(&msg);
    }

    static COLORREF Background() { return CDwgView::BackgroundColour(); }

    orvo::test::TempDir m_dir;
};

} // namespace

// The views from opposite sides mirror the drawing: an axis line that lies on one side of the
// picture in the one lies on the other side in the other. The drawing's axes are of three lengths
// and colours and a yellow line lies over them, so no mirror of it looks like itself.
TEST_F(ViewFrameToolsTest, OppositeViewPointsShowTheDrawingMirrored)
{
    ASSERT_TRUE(Open3D());
    struct Case
    {
        UINT one, other;
        int aci;         // the line that changes sides
        bool sideways;   // left and right (else up and down)
    };
    const Case cases[] = {
        {ID_VIEW_3D_LEFT, ID_VIEW_3D_RIGHT, 5, true}, {ID_VIEW_3D_FRONT, ID_VIEW_3D_BACK, 5, true},
        {ID_VIEW_3D_TOP, ID_VIEW_3D_BOTTOM, 1, false}, {ID_VIEW_3D_SW, ID_VIEW_3D_NE, 5, true},
        {ID_VIEW_3D_SE, ID_VIEW_3D_NW, 5, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.one << " and " << c.other);
        const COLORREF colour = GetColorIndex(static_cast<short>(c.aci), nullptr);
        ASSERT_TRUE(RunAndRender(c.one));
        const ColourPlace one = PlaceOf(m_frame->GetView(), colour, Background());
        ASSERT_TRUE(RunAndRender(c.other));
        const ColourPlace other = PlaceOf(m_frame->GetView(), colour, Background());
        ASSERT_GT(one.count, 0);
        ASSERT_GT(other.count, 0);
        const double a = c.sideways ? one.x : one.y;
        const double b = c.sideways ? other.x : other.y;
        EXPECT_GT(std::abs(a), 5.0) << "the line lies off the middle";
        EXPECT_LT(a * b, 0.0) << "and on the other side from the opposite view: " << a << " " << b;
    }
}

TEST_F(ViewFrameToolsTest, EachCommandIsEnabledForTheFilesItServes)
{
    const std::string picture = m_dir / "photo.bmp";
    ASSERT_TRUE(WritePicture(picture));
    enum Shown
    {
        kNothing,
        kFlatDrawing,
        k3DDrawing,
        kPickingWindow,
        kImage
    };
    struct Case
    {
        Shown shown;
        bool rotate, smooth, properties;
    };
    const Case cases[] = {
        {kNothing, false, false, false},      {kFlatDrawing, false, false, true}, {k3DDrawing, true, false, true},
        {kPickingWindow, false, false, true}, {kImage, false, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shown);
        if (c.shown == kFlatDrawing) {
            ASSERT_TRUE(OpenFlat());
        } else if (c.shown == k3DDrawing) {
            ASSERT_TRUE(Open3D());
        } else if (c.shown == kImage) {
            ASSERT_TRUE(OpenImageAndWait(picture));
        }
        m_frame->GetView().SetPickWindowMode(c.shown == kPickingWindow);
        EXPECT_EQ(IsEnabled(ID_VIEW_ROTATE_VIEW), c.rotate);
        EXPECT_EQ(IsEnabled(ID_VIEW_SMOOTH_DISPLAY), c.smooth);
        EXPECT_EQ(IsEnabled(ID_VIEW_DRAWING_PROPERTIES), c.properties);
        for (const bool smooth : {false, true}) {
            g_options.PreviewHalfTone = smooth;
            EXPECT_EQ(IsChecked(ID_VIEW_SMOOTH_DISPLAY), smooth);
        }
    }
    m_frame->GetView().SetPickWindowMode(false);
}

namespace {

// The world direction of the screen's x axis through the view's middle, as an angle in radians.
double ScreenRightAngle(CWnd& view)
{
    CRect client;
    view.GetClientRect(&client);
    double a[3] = {0.0, 0.0, 0.0};
    double b[3] = {0.0, 0.0, 0.0};
    const CDrawing* drawing = g_appState.drawThread->GetDrawing();
    drawing->PixelToWorld(0, client.Height() / 2, a);
    drawing->PixelToWorld(client.Width(), client.Height() / 2, b);
    return std::atan2(b[1] - a[1], b[0] - a[0]);
}

} // namespace

// The dialog starts at 0; OK turns the picture anticlockwise by the angle typed (pi taken in single
// precision, as the engine's angles are), Cancel changes nothing, and whole turns, no turn and
// turns the other way leave a sound view. Zoom Previous goes back to the view before each turn.
TEST_F(ViewFrameToolsTest, RotateViewTurnsThePictureOnlyOnOk)
{
    ASSERT_TRUE(Open3D());
    ASSERT_TRUE(RunAndRender(ID_VIEW_3D_TOP));
    CDwgView& view = m_frame->GetView();
    struct Case
    {
        const char* typed;
        INT_PTR answer;
        double degrees; // the turn expected
    };
    const Case cases[] = {{"90", IDCANCEL, 0.0}, {"90", IDOK, 90.0}, {"0", IDOK, 0.0},
                          {"360", IDOK, 360.0},  {"-45", IDOK, -45.0}, {"-360", IDOK, -360.0}};
    constexpr double kSinglePi = 3.1415927410125732;
    constexpr double kTwoPi = 6.283185307179586;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.typed << " answer " << c.answer);
        const double before = ScreenRightAngle(view);
        const std::vector<COLORREF> picture = orvo::test::PrintClientPixels(view.GetSafeHwnd(), 2, nullptr, nullptr);
        const int renders = m_frame->GetRenderCount();
        std::string shownFirst;
        {
            CModalScript script({ModalStep(ModalKind::Dialog, "Rotate View", c.answer, [&](const ModalRequest& r) {
                char text[32] = {};
                ::GetDlgItemTextA(r.pWnd->m_hWnd, RkUI::NumberFieldsDialog::kFirstEdit, text, sizeof text);
                shownFirst = text;
                ::SetDlgItemTextA(r.pWnd->m_hWnd, RkUI::NumberFieldsDialog::kFirstEdit, c.typed);
            })});
            m_frame->SendMessage(WM_COMMAND, ID_VIEW_ROTATE_VIEW);
            EXPECT_EQ(script.Remaining(), 0u);
        }
        EXPECT_EQ(shownFirst, "0");
        EXPECT_FALSE(g_appState.modalDialogOpen);
        if (c.answer != IDOK) {
            ASSERT_TRUE(Settled());
            EXPECT_EQ(m_frame->GetRenderCount(), renders) << "Cancel draws nothing";
            EXPECT_EQ(ScreenRightAngle(view), before);
            EXPECT_EQ(orvo::test::PrintClientPixels(view.GetSafeHwnd(), 2, nullptr, nullptr), picture);
            continue;
        }
        ASSERT_TRUE(WaitFor([&] { return m_frame->GetRenderCount() > renders; }, kWaitMs) && Settled());
        const double turned = std::remainder(ScreenRightAngle(view) - before, kTwoPi);
        EXPECT_NEAR(turned, std::remainder(-c.degrees / 180.0 * kSinglePi, kTwoPi), 1e-9);
        EXPECT_GT(DrawnPixels(view.GetSafeHwnd(), Background()), 0) << "the drawing is shown";
        ASSERT_TRUE(IsEnabled(ID_VIEW_ZOOM_PREVIOUS));
        ASSERT_TRUE(RunAndRender(ID_VIEW_ZOOM_PREVIOUS));
        EXPECT_NEAR(ScreenRightAngle(view), before, 1e-12) << "the turn is undone by Zoom Previous";
    }
    EXPECT_NEAR(CViewFrame::RotateViewRadians(90.0), -kSinglePi / 2, 1e-15);
}

// F4 (the frame's accelerator) and the tool bar button switch smooth display for an image: a
// reduced picture gets its smooth redraw armed; with a drawing shown the key does nothing.
TEST_F(ViewFrameToolsTest, SmoothDisplaySwitchesTheSettingForAnImage)
{
    g_options.PreviewHalfTone = false;
    ASSERT_TRUE(OpenFlat());
    const int renders = m_frame->GetRenderCount();
    PressKey(VK_F4);
    EXPECT_FALSE(g_options.PreviewHalfTone) << "the key is off for a drawing";
    ASSERT_TRUE(Settled());
    EXPECT_EQ(m_frame->GetRenderCount(), renders);

    ASSERT_TRUE(OpenLargeImage());
    JGraphics& scene = Thread().GetRasterScene();
    ASSERT_LT(scene.GetZoomScale(), 1.0f);
    PressKey(VK_F4);
    EXPECT_TRUE(g_options.PreviewHalfTone);
    EXPECT_TRUE(IsChecked(ID_VIEW_SMOOTH_DISPLAY));
    EXPECT_TRUE(scene.GetImageFlag()) << "the fast flag is back after the redraw";
    EXPECT_TRUE(m_frame->IsSmoothTimerArmed());
    EXPECT_GT(DrawnPixels(m_frame->GetView().GetSafeHwnd(), Background()), 0);
    // The smooth redraw comes when the view has been still for a while, and once.
    EXPECT_TRUE(WaitFor([this] { return !m_frame->IsSmoothTimerArmed(); }, 5000));
    m_frame->SendMessage(WM_COMMAND, ID_VIEW_SMOOTH_DISPLAY);
    EXPECT_FALSE(g_options.PreviewHalfTone);
    EXPECT_FALSE(IsChecked(ID_VIEW_SMOOTH_DISPLAY));
    EXPECT_FALSE(m_frame->IsSmoothTimerArmed()) << "no smooth redraw with smooth display off";
    // Switched off while a smooth redraw waits: it never comes.
    g_options.PreviewHalfTone = true;
    m_frame->ArmSmoothTimer();
    ASSERT_TRUE(m_frame->IsSmoothTimerArmed());
    PressKey(VK_F4);
    EXPECT_FALSE(g_options.PreviewHalfTone);
    EXPECT_FALSE(m_frame->IsSmoothTimerArmed());

    // A picture shown at full size or larger has nothing to smooth.
    const std::string small = m_dir / "small.bmp";
    ASSERT_TRUE(WritePicture(small));
    ASSERT_TRUE(OpenImageAndWait(small));
    ASSERT_GE(scene.GetZoomScale(), 1.0f);
    PressKey(VK_F4);
    EXPECT_TRUE(g_options.PreviewHalfTone);
    EXPECT_FALSE(m_frame->IsSmoothTimerArmed());
    g_options.PreviewHalfTone = false;
}

// A drawing's properties are the program's own sheet with the drawing's information; an image's
// are the shell's window of the file, owned by the frame.
TEST_F(ViewFrameToolsTest, DrawingPropertiesGoToTheSheetForADrawingAndTheShellForAnImage)
{
    struct Launch
    {
        HWND owner;
        bool item;
        std::string path, verb;
    };
    std::vector<Launch> launches;
    const ShellItemLaunchHandler previous =
        SetShellItemLaunchHandler([&](HWND owner, LPCITEMIDLIST item, const char* path, const char* verb) {
            launches.push_back({owner, item != nullptr, path ? path : "", verb ? verb : ""});
            return true;
        });
    ASSERT_TRUE(Open3D());
    ASSERT_NE(Thread().GetDrawingInfo(), nullptr);
    bool modalFlag = false;
    {
        CModalScript script({ModalStep(ModalKind::PropertySheet, "axes.dxf Properties", IDOK,
                                       [&](const ModalRequest&) { modalFlag = g_appState.modalDialogOpen; })});
        m_frame->SendMessage(WM_COMMAND, ID_VIEW_DRAWING_PROPERTIES);
        EXPECT_EQ(script.Remaining(), 0u);
    }
    EXPECT_TRUE(modalFlag) << "the view takes no commands while the sheet is up";
    EXPECT_FALSE(g_appState.modalDialogOpen);
    EXPECT_TRUE(launches.empty());

    const std::string picture = m_dir / "photo.bmp";
    ASSERT_TRUE(WritePicture(picture));
    ASSERT_TRUE(OpenImageAndWait(picture));
    m_frame->SendMessage(WM_COMMAND, ID_VIEW_DRAWING_PROPERTIES);
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_EQ(launches[0].owner, m_frame->GetSafeHwnd());
    EXPECT_FALSE(launches[0].item);
    EXPECT_EQ(launches[0].path, picture);
    EXPECT_EQ(launches[0].verb, "properties");
    SetShellItemLaunchHandler(previous);
}
