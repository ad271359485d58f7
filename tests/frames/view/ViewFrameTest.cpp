// The view frame with the real drawing thread: sample drawings open at the view's own size and
// render once, the picture is the drawing (read back with WM_PRINTCLIENT), the layout tabs list
// the drawing's layouts and a tab switches the layout, a failed open shows its text and leaves the
// frame usable, a password stage asks the password dialog, a stray 0x8014 is harmless, the wait
// for an idle thread is bounded and loses no report, and full screen and the position are kept.
// The view's zoom commands and wheel change the world shown (the wheel keeps the point under the
// cursor) and turning an image never writes its file.
#include "frames/view/CViewFrame.h"
#include "frames/view/ViewKeyTable.h"

#include "app/CAppState.h"
#include "core/CAppOptions.h"
#include "engine/rkio/CDrawing.h"
#include "engine/rkui/RkUI.h"
#include "frames/view/ViewOpenFilter.h"
#include "frames/view/ViewWindowPosition.h"
#include "framework/CStringList.h"
#include "framework/ModalSeam.h"
#include "render/workers/TDwgDrawThread.h"
#include "res/resource.h"
#include "tests/core/RegistryRootScope.h"
#include "tests/engine/portable/DxfBuilder.h"
#include "tests/frames/view/ViewFrameFixture.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

using orvo::test::WaitFor;

namespace {

constexpr DWORD kWaitMs = orvo::test::kViewWaitMs;

struct Pixels
{
    int width = 0;
    int height = 0;
    std::vector<COLORREF> colours;
    int CountOtherThan(COLORREF background) const
    {
        int count = 0;
        for (const COLORREF c : colours)
            count += c != background ? 1 : 0;
        return count;
    }
};

// Every second pixel of every second row, unless asked for every pixel: a line one pixel wide can
// fall between the samples.
Pixels PrintClient(CWnd& window, int step = 2)
{
    Pixels out;
    out.colours = orvo::test::PrintClientPixels(window.GetSafeHwnd(), step, &out.width, &out.height);
    return out;
}

COLORREF Background()
{
    return GetColorIndex(static_cast<short>(g_options.BackGroundColor & 0xFFFF), nullptr);
}

class ViewFrameTest : public orvo::test::ViewFrameFixture
{
};

struct SampleCase
{
    const char* file;
};

class ViewFrameSamples : public ViewFrameTest, public ::testing::WithParamInterface<SampleCase>
{
};

} // namespace

TEST_P(ViewFrameSamples, OpensAtTheViewSizeRendersOnceAndListsTheLayouts)
{
    ORVO_REQUIRE_SAMPLES(samples);
    const std::string path = samples + "\\dwg\\" + GetParam().file;
    ASSERT_TRUE(OpenAndWait(path));
    EXPECT_EQ(m_frame->GetRenderCount(), 1) << "an open renders once";
    const CSize area = m_frame->GetView().GetPictureSize();
    EXPECT_EQ(m_frame->GetPicture().GetWidth(), area.cx);
    EXPECT_EQ(m_frame->GetPicture().GetHeight(), area.cy);
    EXPECT_GT(area.cx, 300);
    const Pixels shown = PrintClient(m_frame->GetView());
    EXPECT_GT(shown.CountOtherThan(Background()), 50) << "the drawing is painted";
    CStringList names;
    const int layouts = Thread().GetLayoutNames(names);
    ASSERT_GT(layouts, 0);
    EXPECT_EQ(m_frame->GetTabs().GetItemCount(), layouts);
    EXPECT_NE(Title().find(path), std::string::npos) << Title();
}

INSTANTIATE_TEST_SUITE_P(Samples, ViewFrameSamples,
                         ::testing::Values(SampleCase{"example_2018.dwg"}, SampleCase{"example_2000.dwg"},
                                           SampleCase{"sample_2018.dwg"}, SampleCase{"example_r14.dwg"},
                                           SampleCase{"example_2018.dxf"}),
                         [](const ::testing::TestParamInfo<SampleCase>& info) {
                             return orvo::test::TestNameOf(info.param.file);
                         });

TEST_F(ViewFrameTest, ClickingALayoutTabSwitchesTheLayout)
{
    ORVO_REQUIRE_SAMPLES(samples);
    ASSERT_TRUE(OpenAndWait(samples + "\\dwg\\example_2018.dwg"));
    CTabsetCtrl& tabs = m_frame->GetTabs();
    ASSERT_GE(tabs.GetItemCount(), 2);
    RECT item = {};
    ASSERT_TRUE(tabs.GetItemRect(1, &item));
    const LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    tabs.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
    tabs.SendMessage(WM_LBUTTONUP, 0, at);
    EXPECT_TRUE(WaitFor([] { return Thread().GetCurrentLayout() == 1; }, kWaitMs));
    ASSERT_TRUE(Settled());
    EXPECT_EQ(tabs.GetCurSel(), 1);
    // Next page at the last tab and previous page at the first change nothing.
    const int last = tabs.GetItemCount() - 1;
    tabs.SetCurSel(last);
    m_frame->SendMessage(WM_COMMAND, ID_VIEW_NEXT_PAGE);
    EXPECT_EQ(tabs.GetCurSel(), last);
    ASSERT_TRUE(Settled());
    tabs.SetCurSel(0);
    m_frame->SendMessage(WM_COMMAND, ID_VIEW_PREVIOUS_PAGE);
    EXPECT_EQ(tabs.GetCurSel(), 0);
}

TEST_F(ViewFrameTest, AFailedOpenShowsItsTextAndTheFrameStaysUsable)
{
    orvo::test::TempDir dir;
    const std::string missing = dir / "missing.dwg";
    ASSERT_TRUE(OpenAndWait(missing));
    EXPECT_FALSE(Thread().IsDrawingValid());
    EXPECT_GT(PrintClient(m_frame->GetView()).CountOtherThan(Background()), 20) << "the failure text is painted";
    EXPECT_NE(Title().find(missing), std::string::npos);
    const std::string broken = dir / "broken.dwg";
    ASSERT_TRUE(orvo::test::WriteFileBytes(broken, "AC1018 not a drawing", 20));
    ASSERT_TRUE(OpenAndWait(broken));
    EXPECT_FALSE(Thread().IsDrawingValid());
    ORVO_REQUIRE_SAMPLES(samples);
    ASSERT_TRUE(OpenAndWait(samples + "\\dwg\\sample_2000.dwg"));
    EXPECT_TRUE(Thread().IsDrawingValid());
    EXPECT_GT(m_frame->GetTabs().GetItemCount(), 0);
}

TEST_F(ViewFrameTest, APasswordStageAsksTheDialogAndReopensOnlyWithAnAnswer)
{
    ORVO_REQUIRE_SAMPLES(samples);
    const std::string path = samples + "\\dwg\\sample_2018.dwg";
    ASSERT_TRUE(OpenAndWait(path));
    for (const INT_PTR answer : {IDCANCEL, IDOK}) {
        int asked = 0;
        CModalHandlerScope seam([&](const ModalRequest& request) -> INT_PTR {
            if (request.kind != ModalKind::Dialog || request.nIDTemplate != IDD_DRAWING_PASSWORD)
                return IDCANCEL;
            ++asked;
            ::SetDlgItemTextA(request.pWnd->GetSafeHwnd(), IDC_PASSWORD_EDIT, "secret");
            return answer;
        });
        const int opens = m_frame->GetOpenCount();
        m_frame->SendMessage(TDwgDrawThread::kMsgOpenStage, 4, 0);
        EXPECT_EQ(asked, 1);
        EXPECT_EQ(m_frame->GetOpenCount(), answer == IDOK ? opens + 1 : opens) << "opened again only with a password";
        ASSERT_TRUE(WaitFor([this] { return m_frame->GetRenderCount() == 1; }, kWaitMs));
        ASSERT_TRUE(Settled());
        EXPECT_TRUE(Thread().IsDrawingValid());
    }
}

TEST_F(ViewFrameTest, APictureMessageFromAnotherThreadIsNeverReadAsAPicture)
{
    ORVO_REQUIRE_SAMPLES(samples);
    ASSERT_TRUE(OpenAndWait(samples + "\\dwg\\sample_2000.dwg"));
    // The thumbnail thread's 0x8014 carries a bitmap of another kind; here a pointer to nothing.
    std::vector<char> notAPicture(16, 0x5A);
    m_frame->SendMessage(CDrawCommonThread::kMsgPictureReady, 0, reinterpret_cast<LPARAM>(notAPicture.data()));
    m_frame->SendMessage(CDrawCommonThread::kMsgPictureReady, 0, 1);
    EXPECT_EQ(m_frame->GetPicture().GetWidth(), m_frame->GetView().GetPictureSize().cx);
    EXPECT_GT(PrintClient(m_frame->GetView()).CountOtherThan(Background()), 50);
}

TEST_F(ViewFrameTest, WaitingForAnIdleThreadIsBoundedAndHandlesItsReports)
{
    // A drawing large enough that its open is still running when the wait begins.
    orvo::test::TempDir dir;
    std::string dxf = "0\nSECTION\n2\nENTITIES\n";
    for (int i = 0; i < 40000; ++i) {
        const std::string n = std::to_string(i % 997);
        dxf += "0\nLINE\n8\n0\n10\n" + n + "\n20\n0\n30\n0\n11\n0\n21\n" + n + "\n31\n0\n";
    }
    dxf += "0\nENDSEC\n0\nEOF\n";
    const std::string path = dir / "lines.dxf";
    ASSERT_TRUE(orvo::test::WriteFileBytes(path, dxf.data(), dxf.size()));
    m_frame->OpenViewFile(path.c_str());
    const DWORD begun = ::GetTickCount();
    while (!Thread().IsBusy() && ::GetTickCount() - begun < 5000)
        ::Sleep(1);
    const DWORD start = ::GetTickCount();
    EXPECT_TRUE(m_frame->WaitForThreadIdle(kWaitMs));
    EXPECT_LT(::GetTickCount() - start, kWaitMs + 1000);
    ASSERT_TRUE(Settled());
    EXPECT_EQ(m_frame->GetRenderCount(), 1) << "the finished open was handled, not dropped";
    EXPECT_GT(m_frame->GetTabs().GetItemCount(), 0);
    // With the thread idle the wait returns at once.
    EXPECT_TRUE(m_frame->WaitForThreadIdle(0));
}

TEST_F(ViewFrameTest, SizingByOnePixelKeepsThePictureAndTwoPixelsRenderAgain)
{
    ORVO_REQUIRE_SAMPLES(samples);
    ASSERT_TRUE(OpenAndWait(samples + "\\dwg\\sample_2000.dwg"));
    CRect window;
    m_frame->GetWindowRect(&window);
    m_frame->MoveWindow(window.left, window.top, window.Width() + 1, window.Height());
    ASSERT_TRUE(Settled());
    EXPECT_EQ(m_frame->GetRenderCount(), 1);
    m_frame->MoveWindow(window.left, window.top, window.Width() + 40, window.Height() + 30);
    EXPECT_TRUE(WaitFor([this] { return m_frame->GetRenderCount() == 2; }, kWaitMs));
    ASSERT_TRUE(Settled());
    EXPECT_EQ(m_frame->GetPicture().GetWidth(), m_frame->GetView().GetPictureSize().cx);
    EXPECT_EQ(m_frame->GetPicture().GetHeight(), m_frame->GetView().GetPictureSize().cy);
}

TEST_F(ViewFrameTest, FullScreenHidesTheBarsAndThePositionSavedIsTheOneBefore)
{
    m_frame->MoveWindow(20, 30, 700, 500);
    m_frame->SendMessage(WM_COMMAND, ID_VIEW_FULL_SCREEN);
    EXPECT_TRUE(m_frame->IsFullScreen());
    CRect view;
    m_frame->GetView().GetClientRect(&view);
    m_frame->GetView().ClientToScreen(&view);
    EXPECT_EQ(view, CRect(0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)))
        << "the view alone covers the screen";
    m_frame->ShowWindow(SW_HIDE); // hiding saves the position
    RECT saved;
    ASSERT_TRUE(ViewWindowPosition::Load(saved));
    EXPECT_EQ(saved.left, 20);
    EXPECT_EQ(saved.top, 30);
    EXPECT_EQ(saved.right, 720);
    EXPECT_EQ(saved.bottom, 530);
    EXPECT_TRUE(ViewWindowPosition::LoadFullScreen());
    m_frame->ShowWindow(SW_SHOWNOACTIVATE);
    m_frame->SendMessage(WM_COMMAND, ID_VIEW_FULL_SCREEN);
    EXPECT_FALSE(m_frame->IsFullScreen());
    CRect back;
    m_frame->GetWindowRect(&back);
    EXPECT_EQ(back, CRect(20, 30, 720, 530));
}

// What each kind of shown file enables: nothing shown, a drawing, a raster image, a file that did
// not open.
TEST_F(ViewFrameTest, CommandStatesFollowTheShownFile)
{
    ORVO_REQUIRE_SAMPLES(samples);
    orvo::test::TempDir dir;
    const std::string picture = dir / "photo.bmp";
    ASSERT_TRUE(WritePicture(picture));
    enum Shown
    {
        kNothing,
        kDrawing,
        kImage,
        kFailed
    };
    struct Case
    {
        Shown shown;
        bool layer, print, saveAs, insert, open, previousPage;
    };
    const Case cases[] = {
        {kNothing, false, false, false, false, true, false},
        {kDrawing, true, true, true, true, true, false},
        {kImage, false, true, true, false, true, false},
        {kFailed, false, false, false, false, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shown);
        if (c.shown == kDrawing) {
            ASSERT_TRUE(OpenAndWait(samples + "\\dwg\\example_2018.dwg"));
        } else if (c.shown == kImage) {
            ASSERT_TRUE(OpenImageAndWait(picture));
        } else if (c.shown == kFailed) {
            ASSERT_TRUE(OpenAndWait(dir / "missing.dwg"));
        }
        EXPECT_EQ(IsEnabled(ID_VIEW_LAYER), c.layer);
        EXPECT_EQ(IsEnabled(ID_VIEW_POINT_STYLE), c.layer);
        EXPECT_EQ(IsEnabled(ID_VIEW_REGEN), c.layer);
        EXPECT_EQ(IsEnabled(ID_VIEW_PRINT), c.print);
        EXPECT_EQ(IsEnabled(ID_VIEW_SAVE_AS), c.saveAs);
        EXPECT_EQ(IsEnabled(ID_VIEW_INSERT_AUTOCAD), c.insert);
        EXPECT_EQ(IsEnabled(ID_VIEW_FILE_OPEN), c.open);
        EXPECT_EQ(IsEnabled(ID_VIEW_PREVIOUS_PAGE), c.previousPage);
        EXPECT_TRUE(IsEnabled(ID_VIEW_FULL_SCREEN));
    }
    // Picking a print window keeps Print, Save As and Insert into AutoCAD off until it ends.
    ASSERT_TRUE(OpenAndWait(samples + "\\dwg\\example_2018.dwg"));
    m_frame->GetView().SetPickWindowMode(true);
    for (const UINT id : {ID_VIEW_PRINT, ID_VIEW_SAVE_AS, ID_VIEW_INSERT_AUTOCAD})
        EXPECT_FALSE(IsEnabled(id)) << id;
    m_frame->GetView().SetPickWindowMode(false);
    EXPECT_TRUE(IsEnabled(ID_VIEW_PRINT));
}

TEST_F(ViewFrameTest, RegenAndAConfirmedPointStyleRenderOnceMore)
{
    ORVO_REQUIRE_SAMPLES(samples);
    ASSERT_TRUE(OpenAndWait(samples + "\\dwg\\sample_2000.dwg"));
    m_frame->SendMessage(WM_COMMAND, ID_VIEW_REGEN);
    EXPECT_TRUE(WaitFor([this] { return m_frame->GetRenderCount() == 2; }, kWaitMs));
    ASSERT_TRUE(Settled());
    for (const INT_PTR answer : {IDCANCEL, IDOK}) {
        int asked = 0;
        CModalHandlerScope seam([&](const ModalRequest& request) -> INT_PTR {
            asked += request.kind == ModalKind::Dialog ? 1 : 0;
            return answer;
        });
        m_frame->SendMessage(WM_COMMAND, ID_VIEW_POINT_STYLE);
        EXPECT_EQ(asked, 1);
        ASSERT_TRUE(Settled());
        EXPECT_EQ(m_frame->GetRenderCount(), answer == IDOK ? 3 : 2);
    }
}

TEST_F(ViewFrameTest, BrowserModeLeavesTheViewFrame)
{
    m_frame->SendMessage(WM_COMMAND, ID_VIEW_BROWSER_MODE);
    EXPECT_EQ(g_appState.mode.load(), CAppState::kModeBrowse);
    EXPECT_FALSE(m_frame->IsWindowVisible());
    EXPECT_FALSE(m_frame->m_bStartedInView);
}

TEST(ViewFramePieces, APickedRectangleIsNormalisedWhicheverWayItWasDragged)
{
    const struct
    {
        RECT in;
        RECT out;
    } cases[] = {
        {{10, 20, 110, 220}, {10, 20, 110, 220}}, {{110, 220, 10, 20}, {10, 20, 110, 220}},
        {{110, 20, 10, 220}, {10, 20, 110, 220}}, {{10, 220, 110, 20}, {10, 20, 110, 220}},
        {{-5, 7, -5, 7}, {-5, 7, -5, 7}},
    };
    for (const auto& c : cases) {
        const RECT r = CDwgView::NormalisedRect(c.in);
        EXPECT_TRUE(EqualRect(&r, &c.out)) << c.in.left << "," << c.in.top << "," << c.in.right << "," << c.in.bottom;
    }
}

TEST(ViewFramePieces, PictureSizesAreClampedAsTheDrawingThreadClampsThem)
{
    const struct
    {
        int w, h, cw, ch;
    } cases[] = {{0, 0, 1, 1}, {-3, 5, 1, 5}, {1, 1, 1, 1}, {2, 2, 2, 2}, {1600, 1000, 1600, 1000},
                 {3999, 2999, 3999, 2999}, {5000, 4000, 3999, 2999}};
    for (const auto& c : cases) {
        const CSize s = CDwgView::ClampPictureSize(c.w, c.h);
        EXPECT_EQ(s.cx, TDwgDrawThread::ClampWidth(c.w));
        EXPECT_EQ(s.cy, TDwgDrawThread::ClampHeight(c.h));
        EXPECT_EQ(s, CSize(c.cw, c.ch)) << c.w << "x" << c.h;
    }
}

TEST(ViewFramePieces, TheOpenFilterOffersJpegFilesByTheirRealExtension)
{
    const std::string filter = static_cast<const char*>(BuildViewOpenFilter());
    EXPECT_EQ(filter.find("*.jgp"), std::string::npos);
    EXPECT_NE(filter.find("|*.bmp;*.jpg;*.gif;"), std::string::npos);
    EXPECT_EQ(filter.substr(filter.size() - 2), "||");
    EXPECT_NE(filter.find("|*.dwg;*.dxf;*.dwt;*.dwf|"), std::string::npos);
}

TEST(ViewFramePieces, APositionOffEveryScreenComesBackOnTheWorkArea)
{
    const RECT work = {0, 0, 1280, 994};
    const auto onlyWork = [](const RECT& r) {
        RECT shown;
        const RECT screen = {0, 0, 1280, 1024};
        return IntersectRect(&shown, &r, &screen) && shown.right - shown.left >= 40;
    };
    const struct
    {
        RECT in;
        RECT out;
    } cases[] = {
        {{0, 0, 808, 608}, {0, 0, 808, 608}},                   // on screen: kept
        {{100, 50, 900, 650}, {100, 50, 900, 650}},
        {{5000, 4000, 5808, 4608}, {0, 0, 808, 608}},           // off to the right and below
        {{-3000, -2000, -2192, -1392}, {0, 0, 808, 608}},       // off to the left and above
        {{10, -900, 818, -292}, {0, 0, 808, 608}},              // caption above the screen
        {{0, 0, 3000, 3000}, {0, 0, 3000, 3000}},               // larger, caption visible: kept
        {{4000, 0, 7000, 3000}, {0, 0, 1280, 994}},             // larger and off: fitted
        {{1260, 0, 2068, 608}, {0, 0, 808, 608}},               // only 20 pixels show
        {{300, 300, 300, 300}, {0, 0, 808, 608}},               // empty
    };
    for (const auto& c : cases) {
        const RECT r = ViewWindowPosition::BringOnScreen(c.in, work, onlyWork);
        EXPECT_TRUE(EqualRect(&r, &c.out)) << c.in.left << "," << c.in.top << " -> " << r.left << "," << r.top
                                           << "," << r.right << "," << r.bottom;
    }
}

TEST(ViewFramePieces, ThePositionIsStoredUnderViewWindowWithItsDefaults)
{
    RegistryRootScope registry;
    RECT rect;
    EXPECT_FALSE(ViewWindowPosition::Load(rect));
    EXPECT_TRUE(EqualRect(&rect, &ViewWindowPosition::kDefault));
    EXPECT_FALSE(ViewWindowPosition::LoadFullScreen());
    const RECT stored = {-20, 15, 1000, 700};
    ASSERT_TRUE(ViewWindowPosition::Save(stored));
    ASSERT_TRUE(ViewWindowPosition::SaveFullScreen(true));
    ASSERT_TRUE(ViewWindowPosition::Load(rect));
    EXPECT_TRUE(EqualRect(&rect, &stored));
    EXPECT_TRUE(ViewWindowPosition::LoadFullScreen());
    registry.SetDword("ViewWindow", "Left", 5); // the others stay as stored
    ASSERT_TRUE(ViewWindowPosition::Load(rect));
    EXPECT_EQ(rect.left, 5);
    EXPECT_EQ(rect.bottom, 700);
}

TEST(ViewFramePieces, TheOpenDialogAnswersThroughTheModalSeam)
{
    for (const bool chosen : {false, true}) {
        CModalHandlerScope seam([&](const ModalRequest& request) -> INT_PTR {
            if (request.kind != ModalKind::CommonDialog)
                return IDCANCEL;
            static_cast<CFileDialog*>(request.pCommonDialog)->SetPathName("C:\\drawings\\plan.dwg");
            return chosen ? IDOK : IDCANCEL;
        });
        CString path = "unchanged";
        const int result = showDwgOpenDialog(1, nullptr, nullptr, 0x1004, BuildViewOpenFilter(), nullptr, &path);
        EXPECT_EQ(result, chosen ? 1 : 0);
        EXPECT_STREQ(static_cast<const char*>(path), chosen ? "C:\\drawings\\plan.dwg" : "unchanged");
    }
    EXPECT_EQ(showDwgOpenDialog(1, nullptr, nullptr, 0x1004, "", nullptr, nullptr), 0);
}

namespace {

// A 32 x 16 24-bit BMP, left half red, right half blue.
std::string SmallBmp()
{
    const int w = 32;
    const int h = 16;
    std::string file(54 + static_cast<size_t>(w * 3 * h), '\0');
    BITMAPFILEHEADER fh = {};
    fh.bfType = 0x4D42;
    fh.bfSize = static_cast<DWORD>(file.size());
    fh.bfOffBits = 54;
    BITMAPINFOHEADER ih = {};
    ih.biSize = sizeof ih;
    ih.biWidth = w;
    ih.biHeight = h;
    ih.biPlanes = 1;
    ih.biBitCount = 24;
    memcpy(&file[0], &fh, sizeof fh);
    memcpy(&file[14], &ih, sizeof ih);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            char* px = &file[54 + static_cast<size_t>((y * w + x) * 3)];
            px[0] = static_cast<char>(x < w / 2 ? 0 : 255); // blue byte first
            px[2] = static_cast<char>(x < w / 2 ? 255 : 0);
        }
    }
    return file;
}

struct World
{
    double x = 0.0;
    double y = 0.0;
};

class DwgViewCommandTest : public ViewFrameTest
{
protected:
    bool OpenGenerated() { return OpenDxfText(m_dir / "plan.dxf", orvo::test::GeneratedDxf()); }

    // The world point shown at a pixel of the view (y counted downwards, as the mouse gives it).
    World WorldAt(POINT pixel)
    {
        CRect client;
        m_frame->GetView().GetClientRect(&client);
        double w[3] = {0.0, 0.0, 0.0};
        Thread().GetDrawing()->PixelToWorld(pixel.x, client.bottom - pixel.y, w);
        return {w[0], w[1]};
    }

    // The world width of the view's client area.
    double WorldWidth()
    {
        CRect client;
        m_frame->GetView().GetClientRect(&client);
        return WorldAt({client.right, 0}).x - WorldAt({0, 0}).x;
    }

    orvo::test::TempDir m_dir;
};

} // namespace

TEST_F(DwgViewCommandTest, ZoomInOutExtentsAndPreviousChangeTheWorldShown)
{
    ASSERT_TRUE(OpenGenerated());
    const double fitted = WorldWidth();
    ASSERT_GT(fitted, 0.0);
    ASSERT_TRUE(RunAndRender(ID_VIEW_ZOOM_IN));
    const double zoomedIn = WorldWidth();
    EXPECT_LT(zoomedIn, fitted * 0.99);
    ASSERT_TRUE(RunAndRender(ID_VIEW_ZOOM_OUT));
    EXPECT_GT(WorldWidth(), zoomedIn * 1.01);
    ASSERT_TRUE(RunAndRender(ID_VIEW_ZOOM_EXTENTS));
    // The extents are the drawing's 100 units with a small margin.
    EXPECT_GE(WorldWidth(), 100.0);
    EXPECT_LE(WorldWidth(), 110.0);
    EXPECT_TRUE(IsEnabled(ID_VIEW_ZOOM_WINDOW));
    EXPECT_FALSE(IsEnabled(ID_VIEW_ROTATE_LEFT)) << "image commands are for images";
    EXPECT_FALSE(IsEnabled(ID_VIEW_ONE_TO_ONE));
}

TEST_F(DwgViewCommandTest, WheelZoomKeepsTheWorldPointUnderTheCursorWithinAPixel)
{
    ASSERT_TRUE(OpenGenerated());
    CDwgView& view = m_frame->GetView();
    CRect client;
    view.GetClientRect(&client);
    struct Case
    {
        int x;
        int y;
        short delta;
        bool atFrame; // the wheel reaches the frame (it or a bar has the focus), not the view
    };
    const Case cases[] = {{client.Width() / 4, client.Height() / 3, WHEEL_DELTA, false},
                          {client.Width() * 3 / 4, client.Height() * 2 / 3, -WHEEL_DELTA, false},
                          {client.Width() / 3, client.Height() / 4, WHEEL_DELTA, true},
                          {client.Width() * 2 / 3, client.Height() * 3 / 4, -WHEEL_DELTA, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y << " delta " << c.delta << " frame " << c.atFrame);
        const POINT at = {c.x, c.y};
        const World before = WorldAt(at);
        const double width = WorldWidth();
        POINT screen = at;
        view.ClientToScreen(&screen);
        const int renders = m_frame->GetRenderCount();
        CWnd& target = c.atFrame ? static_cast<CWnd&>(*m_frame) : static_cast<CWnd&>(view);
        target.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(c.delta)), MAKELPARAM(screen.x, screen.y));
        ASSERT_TRUE(WaitFor([&] { return m_frame->GetRenderCount() > renders; }, kWaitMs) && Settled());
        const double pixel = WorldWidth() / client.Width();
        EXPECT_NE(WorldWidth(), width) << "the wheel zoomed";
        const World after = WorldAt(at);
        EXPECT_LE(std::abs(after.x - before.x), pixel);
        EXPECT_LE(std::abs(after.y - before.y), pixel);
    }
}

TEST_F(DwgViewCommandTest, ImageTurnsShowButLeaveTheFileOnDiskUnchanged)
{
    const std::string path = m_dir / "photo.bmp";
    const std::string bmp = SmallBmp();
    ASSERT_TRUE(orvo::test::WriteFileBytes(path, bmp.data(), bmp.size()));
    m_frame->OpenViewFile(path.c_str());
    ASSERT_TRUE(WaitFor([] { return Thread().IsRasterHeld() && !Thread().IsBusy(); }, kWaitMs) && Settled());
    for (const UINT id : {ID_VIEW_ROTATE_LEFT, ID_VIEW_ROTATE_RIGHT, ID_VIEW_MIRROR, ID_VIEW_FLIP, ID_VIEW_ONE_TO_ONE,
                          ID_VIEW_AUTO_FIT}) {
        SCOPED_TRACE(id);
        EXPECT_TRUE(IsEnabled(id));
        m_frame->SendMessage(WM_COMMAND, id);
        EXPECT_EQ(orvo::test::ReadFileBytes(path), bmp);
    }
}

namespace {

class DwgView3DTest : public DwgViewCommandTest
{
protected:
    bool Open3D() { return OpenDxfText(m_dir / "box.dxf", orvo::test::Generated3DDxf()); }

    static bool IsFinite(const World& w) { return std::isfinite(w.x) && std::isfinite(w.y); }
};

} // namespace

TEST_F(DwgView3DTest, TheTenViewPointsEachShowTheDrawingAnotherWay)
{
    ASSERT_TRUE(Open3D());
    // The world point under a corner pixel, in all three coordinates. The drawing has no mirror
    // symmetry, so the view from the other side shows another picture too. Every pixel is
    // compared: sampled at every second one, the left and right views both showed only their
    // common bottom line, their upright and top lines lying on odd columns and rows.
    const auto corner = [this] {
        double w[3] = {0.0, 0.0, 0.0};
        Thread().GetDrawing()->PixelToWorld(0, 0, w);
        return std::vector<double>(w, w + 3);
    };
    std::vector<COLORREF> previous = PrintClient(m_frame->GetView(), 1).colours;
    std::vector<double> previousCorner = corner();
    for (UINT id = ID_VIEW_3D_TOP; id <= ID_VIEW_3D_NW; ++id) {
        SCOPED_TRACE(id);
        ASSERT_TRUE(IsEnabled(id));
        ASSERT_TRUE(RunAndRender(id));
        const Pixels shown = PrintClient(m_frame->GetView(), 1);
        const std::vector<double> now = corner();
        EXPECT_GT(shown.CountOtherThan(Background()), 0) << "the drawing is in the picture";
        EXPECT_NE(shown.colours, previous) << "a new view point shows a new picture";
        EXPECT_NE(now, previousCorner) << now[0] << "," << now[1] << "," << now[2];
        previous = shown.colours;
        previousCorner = now;
    }
}

TEST_F(DwgView3DTest, ColourModesRecolourThePictureAndCarryTheirCheckMark)
{
    ASSERT_TRUE(Open3D());
    struct Case
    {
        UINT id;
        bool grey; // every pixel of the drawing has r = g = b
    };
    const Case cases[] = {{ID_VIEW_GRAY, true}, {ID_VIEW_BLACK_WHITE, true}, {ID_VIEW_256_COLORS, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        ASSERT_TRUE(IsEnabled(c.id));
        ASSERT_TRUE(RunAndRender(c.id));
        for (const UINT other : {ID_VIEW_GRAY, ID_VIEW_BLACK_WHITE, ID_VIEW_256_COLORS})
            EXPECT_EQ(IsChecked(other), other == c.id) << other;
        int coloured = 0;
        for (const COLORREF px : PrintClient(m_frame->GetView()).colours)
            coloured += GetRValue(px) != GetGValue(px) || GetGValue(px) != GetBValue(px) ? 1 : 0;
        if (c.grey)
            EXPECT_EQ(coloured, 0);
        else
            EXPECT_GT(coloured, 0) << "the drawing's own colours are back";
    }
}

// A flat drawing has no other view point to show; an image has no colour mode.
TEST_F(DwgView3DTest, ViewPointsNeedADrawingWithDepthAndColourModesADrawing)
{
    ASSERT_TRUE(OpenGenerated());
    EXPECT_FALSE(IsEnabled(ID_VIEW_3D_TOP));
    EXPECT_FALSE(IsEnabled(ID_VIEW_3D_NW));
    EXPECT_TRUE(IsEnabled(ID_VIEW_GRAY));
    const int renders = m_frame->GetRenderCount();
    m_frame->SendMessage(WM_COMMAND, ID_VIEW_3D_SW);
    ASSERT_TRUE(Settled());
    EXPECT_EQ(m_frame->GetRenderCount(), renders) << "a disabled view point does nothing";
    const std::string path = m_dir / "photo.bmp";
    const std::string bmp = SmallBmp();
    ASSERT_TRUE(orvo::test::WriteFileBytes(path, bmp.data(), bmp.size()));
    m_frame->OpenViewFile(path.c_str());
    ASSERT_TRUE(WaitFor([] { return Thread().IsRasterHeld() && !Thread().IsBusy(); }, kWaitMs) && Settled());
    for (const UINT id : {ID_VIEW_GRAY, ID_VIEW_BLACK_WHITE, ID_VIEW_256_COLORS, ID_VIEW_3D_TOP})
        EXPECT_FALSE(IsEnabled(id)) << id;
}

TEST_F(DwgView3DTest, AnOrbitDragTurnsTheViewAndATinyWindowNeverDividesByZero)
{
    ASSERT_TRUE(Open3D());
    CDwgView& view = m_frame->GetView();
    const auto drag = [&](POINT from, POINT to) {
        view.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from.x, from.y));
        view.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to.x, to.y));
        view.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(to.x, to.y));
        return Settled();
    };
    m_frame->SendMessage(WM_COMMAND, ID_VIEW_3D_DYNAMIC);
    ASSERT_TRUE(view.m_bDynamicView);
    CRect client;
    view.GetClientRect(&client);
    const POINT centre = client.CenterPoint();
    const std::vector<COLORREF> before = PrintClient(view).colours;
    ASSERT_TRUE(drag(centre, {centre.x + 40, centre.y + 30}));
    EXPECT_NE(PrintClient(view).colours, before) << "the drag turned the view";
    EXPECT_TRUE(IsFinite(WorldAt(centre)));
    // A view of 2 x 2 pixels has a guide of radius 0: every handle is at the centre.
    view.MoveWindow(0, 0, 4, 4);
    view.GetClientRect(&client);
    ASSERT_LE(client.Width(), 2);
    ASSERT_TRUE(drag({1, 1}, {2, 0}));
    view.ComputeOrbitGuide(client);
    EXPECT_EQ(view.m_nBallRadius, 0);
    EXPECT_TRUE(IsFinite(WorldAt({1, 1}))) << "the view is still a view";
    m_frame->RecalcLayout();
    ASSERT_TRUE(Settled());
    view.GetClientRect(&client);
    EXPECT_TRUE(IsFinite(WorldAt(client.CenterPoint())));
    // Esc leaves the orbit.
    MSG press = {view.GetSafeHwnd(), WM_KEYDOWN, VK_ESCAPE, 0, 0, {0, 0}};
    EXPECT_TRUE(m_frame->PreTranslateMessage(&press));
    EXPECT_FALSE(view.m_bDynamicView);
    EXPECT_TRUE(m_frame->IsWindowVisible()) << "Esc ended the orbit only";
}

TEST_F(DwgView3DTest, ALineUnderTheRestingCursorIsHighlightedAndEmptySpaceIsNot)
{
    g_options.HighLight = true;
    ASSERT_TRUE(OpenGenerated());
    Thread().SetQuickMode(true);
    ASSERT_TRUE(RunAndRender(ID_VIEW_ZOOM_EXTENTS));
    ASSERT_TRUE(IsEnabled(ID_VIEW_HIGHLIGHT));
    EXPECT_TRUE(IsChecked(ID_VIEW_HIGHLIGHT));
    EXPECT_TRUE(IsChecked(ID_VIEW_QUICK_MODE));
    CDwgView& view = m_frame->GetView();
    // The generated line runs from (0, 0) to (100, 50): its middle, and a corner far from it.
    int lineX = 0;
    int lineY = 0;
    const double middle[3] = {50.0, 25.0, 0.0};
    Thread().GetDrawing()->WorldToPixel(middle, &lineX, &lineY);
    CRect client;
    view.GetClientRect(&client);
    struct Case
    {
        POINT at;
        bool highlighted;
    };
    // Empty space: 67 pixels off the line, square to it, well inside the circle around its middle.
    const Case cases[] = {{{lineX - 30, client.bottom - lineY - 60}, false}, {{lineX, client.bottom - lineY}, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.highlighted);
        ASSERT_TRUE(RunAndRender(ID_VIEW_ZOOM_EXTENTS));
        const std::vector<COLORREF> before = PrintClient(view).colours;
        view.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(c.at.x, c.at.y));
        // The hover's two steps are its timers' (6 and 300 ms after the cursor rests), run here.
        for (const UINT_PTR timer : {CDwgView::kHoverStartTimer, CDwgView::kHoverFollowUpTimer}) {
            view.SendMessage(WM_TIMER, timer);
            ASSERT_TRUE(Settled());
        }
        EXPECT_EQ(PrintClient(view).colours != before, c.highlighted);
    }
    m_frame->SendMessage(WM_COMMAND, ID_VIEW_HIGHLIGHT);
    EXPECT_FALSE(g_options.HighLight);
    m_frame->SendMessage(WM_COMMAND, ID_VIEW_QUICK_MODE);
    ASSERT_TRUE(Settled());
    EXPECT_FALSE(Thread().QueryViewState());
    EXPECT_FALSE(IsEnabled(ID_VIEW_HIGHLIGHT)) << "highlighting needs quick mode";
}

TEST(ViewFramePieces, TheKeyTableGivesEachKeyItsRequestOrImagePan)
{
    using ViewKeyTable::Action;
    struct Case
    {
        UINT key;
        Action action;
        int request;
        POINT pan; // on a frame client area of 320 x 160: steps of 20 and 10
    };
    const Case cases[] = {
        {VK_LEFT, Action::kPan, TDwgDrawThread::kRequestPanLeft, {20, 0}},
        {VK_NUMPAD4, Action::kPan, TDwgDrawThread::kRequestPanLeft, {20, 0}},
        {VK_RIGHT, Action::kPan, TDwgDrawThread::kRequestPanRight, {-20, 0}},
        {VK_NUMPAD6, Action::kPan, TDwgDrawThread::kRequestPanRight, {-20, 0}},
        {VK_UP, Action::kPan, TDwgDrawThread::kRequestPanUp, {0, -10}},
        {VK_NUMPAD8, Action::kPan, TDwgDrawThread::kRequestPanUp, {0, -10}},
        {VK_DOWN, Action::kPan, TDwgDrawThread::kRequestPanDown, {0, 10}},
        {VK_NUMPAD2, Action::kPan, TDwgDrawThread::kRequestPanDown, {0, 10}},
        {VK_NUMPAD1, Action::kPan, TDwgDrawThread::kRequestPanLeftDown, {20, 10}},
        {VK_NUMPAD3, Action::kPan, TDwgDrawThread::kRequestPanRightDown, {-20, 10}},
        {VK_NUMPAD7, Action::kPan, TDwgDrawThread::kRequestPanLeftUp, {20, -10}},
        {VK_NUMPAD9, Action::kPan, TDwgDrawThread::kRequestPanRightUp, {-20, -10}},
        {VK_ESCAPE, Action::kEscape, 0, {0, 0}},
        {'1', Action::kActualSize, 0, {0, 0}},
        {'8', Action::kFit, 0, {0, 0}},
        {VK_NUMPAD5, Action::kFit, 0, {0, 0}},
        {VK_MULTIPLY, Action::kFit, 0, {0, 0}},
        {VK_ADD, Action::kZoomIn, 0, {0, 0}},
        {VK_OEM_PLUS, Action::kZoomIn, 0, {0, 0}},
        {VK_SUBTRACT, Action::kZoomOut, 0, {0, 0}},
        {VK_OEM_MINUS, Action::kZoomOut, 0, {0, 0}},
        {'H', Action::kHighlight, 0, {0, 0}},
        {'Q', Action::kNone, 0, {0, 0}}, // Zoom Previous, as its menu item shows
        {VK_F2, Action::kQuickMode, 0, {0, 0}},
        {VK_BROWSER_BACK, Action::kPreviousFile, 0, {0, 0}},
        {VK_BROWSER_FORWARD, Action::kNextFile, 0, {0, 0}},
        {'A', Action::kNone, 0, {0, 0}},
        {VK_RETURN, Action::kNone, 0, {0, 0}},
        {VK_F4, Action::kNone, 0, {0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        const ViewKeyTable::KeyAction key = ViewKeyTable::LookUp(c.key);
        EXPECT_EQ(key.action, c.action);
        EXPECT_EQ(key.request, c.request);
        const POINT pan = ViewKeyTable::ImagePan(key, 320, 160);
        EXPECT_EQ(pan.x, c.pan.x);
        EXPECT_EQ(pan.y, c.pan.y);
    }
    // A frame narrower or lower than 16 pixels pans 0 that way.
    const POINT narrow = ViewKeyTable::ImagePan(ViewKeyTable::LookUp(VK_NUMPAD9), 15, 40);
    EXPECT_EQ(narrow.x, 0);
    EXPECT_EQ(narrow.y, -2);
}

TEST_F(DwgViewCommandTest, ArrowKeysPanTheDrawingAndPlusAndMinusZoom)
{
    ASSERT_TRUE(OpenGenerated());
    CDwgView& view = m_frame->GetView();
    const auto press = [&](UINT key) {
        const int renders = m_frame->GetRenderCount();
        MSG msg = {view.GetSafeHwnd(), WM_KEYDOWN, key, 0, 0, {0, 0}};
        const bool taken = m_frame->PreTranslateMessage(&msg) != FALSE;
        return taken && WaitFor([&] { return m_frame->GetRenderCount() > renders; }, kWaitMs) && Settled();
    };
    const World before = WorldAt({0, 0});
    ASSERT_TRUE(press(VK_RIGHT));
    const World right = WorldAt({0, 0});
    EXPECT_GT(std::abs(right.x - before.x), 1.0) << "Right pans sideways";
    ASSERT_TRUE(press(VK_LEFT));
    // Left pans back, within a few pixels (the engine's two steps differ by its rounding).
    EXPECT_LT(std::abs(WorldAt({0, 0}).x - before.x), std::abs(right.x - before.x) * 0.1);
    ASSERT_TRUE(press(VK_UP));
    EXPECT_GT(std::abs(WorldAt({0, 0}).y - before.y), 1.0) << "Up pans upright";
    const double width = WorldWidth();
    ASSERT_TRUE(press(VK_ADD));
    EXPECT_LT(WorldWidth(), width);
    ASSERT_TRUE(press(VK_OEM_MINUS));
    EXPECT_NEAR(WorldWidth(), width, width * 0.01);
}

// Started to view one file, Esc closes the program as closing its window does: the window's
// position is saved on the way.
TEST_F(ViewFrameTest, EscInAProgramStartedInViewModeClosesThroughTheWindowsClose)
{
    m_frame->m_bStartedInView = true;
    m_frame->MoveWindow(40, 50, 640, 450);
    const HWND window = m_frame->GetSafeHwnd();
    MSG press = {window, WM_KEYDOWN, VK_ESCAPE, 0, 0, {0, 0}};
    EXPECT_TRUE(m_frame->PreTranslateMessage(&press));
    ASSERT_TRUE(WaitFor([window] { return !::IsWindow(window); }, kWaitMs));
    m_frame = nullptr;
    EXPECT_EQ(g_appState.viewFrame, nullptr);
    RECT saved;
    ASSERT_TRUE(ViewWindowPosition::Load(saved));
    EXPECT_EQ(saved.left, 40);
    EXPECT_EQ(saved.top, 50);
    EXPECT_EQ(saved.right, 680);
    EXPECT_EQ(saved.bottom, 500);
}

namespace {

// A drawing whose one paper layout has a Cyrillic name, stored as the release stores names:
// UTF-8 from 2007 on, the drawing's code page before.
std::string CyrillicLayoutDrawing(const char* release, const char* codePage, const char* name)
{
    orvo::portable::DxfBuilder b;
    b.Header(release, codePage);
    orvo::portable::AddSheet(b, name);
    return b.Ascii();
}

} // namespace

// The layout tabs show names in other scripts as they are, whether the drawing keeps them in
// UTF-8 or in its code page, whatever the system's own code page.
TEST_F(ViewFrameTest, LayoutTabsShowNamesInOtherScripts)
{
    const struct
    {
        const char* release;
        const char* codePage;
        const char* stored;
    } cases[] = {
        {"AC1021", "ANSI_1252", "\xD0\x9B\xD0\xB8\xD1\x81\xD1\x82 1"},     // UTF-8
        {"AC1015", "ANSI_1251", "\xCB\xE8\xF1\xF2 1"},                     // code page 1251
    };
    orvo::test::TempDir dir;
    for (const auto& c : cases) {
        const std::string path = dir / (std::string("names-") + c.release + ".dxf");
        ASSERT_TRUE(OpenDxfText(path, CyrillicLayoutDrawing(c.release, c.codePage, c.stored)));
        CTabsetCtrl& tabs = m_frame->GetTabs();
        ASSERT_EQ(tabs.GetItemCount(), 2) << c.release;
        tabs.SetCurSel(1);
        // The label as it is drawn is the window's text as another process reads it.
        wchar_t shown[64] = {};
        ::InternalGetWindowText(tabs.GetSafeHwnd(), shown, 64);
        EXPECT_STREQ(shown, L"\x041B\x0438\x0441\x0442 1") << c.release;
        tabs.SetCurSel(0);
    }
}
