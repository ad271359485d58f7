// The preview pane with the real drawing thread: generated DXF and BMP files are shown, the
// picture arrives and is painted (read back with WM_PRINTCLIENT), a resize renders again at the
// new size, commands and keys change the view, and hostile sizes are clamped.
#include "browser/preview/CPreView.h"
#include "browser/preview/CPreViewBar.h"
#include "core/CAppOptions.h"

#include "app/CAppState.h"
#include "engine/rkapp/rkapp.h"
#include "engine/rkio/EngineState.h"
#include "browser/preview/DrawingPassword.h"
#include "framework/CCmdUI.h"
#include "framework/CStringList.h"
#include "framework/CWnd.h"
#include "framework/ModalSeam.h"
#include "imaging/KImage.h"
#include "res/resource.h"
#include "render/workers/TDwgDrawThread.h"
#include "tests/core/RegistryRootScope.h"
#include "tests/imaging/ExifTestData.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <climits>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <vector>

using orvo::test::TempDir;
using orvo::test::WaitFor;

namespace {

constexpr DWORD kWaitMs = 20000;

std::string Dxf(double radius)
{
    char circle[160];
    snprintf(circle, sizeof circle, "0\nCIRCLE\n8\n0\n62\n3\n10\n50.0\n20\n25.0\n30\n0.0\n40\n%.1f\n", radius);
    return std::string("0\nSECTION\n2\nENTITIES\n0\nLINE\n8\n0\n62\n1\n10\n0.0\n20\n0.0\n30\n0.0\n11\n100.0\n21\n"
                       "50.0\n31\n0.0\n") +
           circle + "0\nENDSEC\n0\nEOF\n";
}

// A 64 x 48 24-bit BMP: left half red, right half blue.
std::vector<char> Bmp()
{
    const int w = 64;
    const int h = 48;
    const int row = w * 3;
    std::vector<char> file(54 + static_cast<size_t>(row * h));
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
    memcpy(file.data(), &fh, sizeof fh);
    memcpy(file.data() + 14, &ih, sizeof ih);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            char* p = file.data() + 54 + y * row + x * 3;
            p[0] = x < w / 2 ? 0 : static_cast<char>(255); // blue
            p[2] = x < w / 2 ? static_cast<char>(255) : 0; // red
        }
    }
    return file;
}

// The visible top-level window that holds the pane.
class HostWindow : public CWnd
{
public:
    BOOL CreateHost()
    {
        return CreateEx(0, AfxRegisterWndClass(0, ::LoadCursor(nullptr, IDC_ARROW), nullptr), "Preview test",
                        WS_POPUP | WS_CLIPCHILDREN, 0, 0, 600, 500, nullptr, nullptr);
    }
};

struct Pixels
{
    int width = 0;
    int height = 0;
    std::vector<COLORREF> colours;
    COLORREF At(int x, int y) const { return colours[static_cast<size_t>(y * width + x)]; }
    // Colours of the inside (the one-pixel border left out).
    std::set<COLORREF> Inside() const
    {
        std::set<COLORREF> out;
        for (int y = 1; y + 1 < height; ++y) {
            for (int x = 1; x + 1 < width; ++x)
                out.insert(At(x, y));
        }
        return out;
    }
};

class PreviewFixture : public ::testing::Test
{
protected:
    PreviewFixture()
    {
        g_appState.mode.store(CAppState::kModeBrowse);
        g_appState.closing.store(false);
        g_appState.modalDialogOpen = false;
        EXPECT_TRUE(m_host.CreateHost());
        g_appState.mainWindow.store(m_host.GetSafeHwnd());
        g_appState.drawThread = std::make_unique<TDwgDrawThread>();
        Thread().SetAppState(&g_appState);
        EXPECT_TRUE(m_pane.CreatePane(&m_host, CPreView::kControlId));
        m_pane.MoveWindow(0, 0, 400, 300);
        m_host.ShowWindow(SW_SHOWNOACTIVATE);
        Thread().SetNotifyWnd(m_pane.GetSafeHwnd());
        EXPECT_TRUE(Thread().CreateThread());
    }

    ~PreviewFixture() override
    {
        EXPECT_TRUE(Thread().StopAndWait(5000));
        m_pane.DestroyWindow();
        g_appState.drawThread.reset();
        m_host.DestroyWindow();
        g_appState.mainWindow.store(nullptr);
        g_appState.mode.store(CAppState::kModeNone);
    }

    static TDwgDrawThread& Thread() { return *g_appState.drawThread; }

    std::string Write(const std::string& name, const std::string& bytes)
    {
        const std::string path = m_dir / name;
        EXPECT_TRUE(orvo::test::WriteFileBytes(path, bytes.data(), bytes.size()));
        return path;
    }

    // The thread has finished every request and the pane has handled what it posted.
    bool Settled(DWORD timeoutMs = kWaitMs)
    {
        if (!WaitFor([] { return !Thread().IsBusy() && !Thread().IsOpening(); }, timeoutMs))
            return false;
        WaitFor([] { return false; }, 150); // the posted reports are handled meanwhile
        return true;
    }

    Pixels Print()
    {
        Pixels out;
        out.colours = orvo::test::PrintClientPixels(m_pane.GetSafeHwnd(), 1, &out.width, &out.height);
        return out;
    }

    bool ShowAndWait(const std::string& path)
    {
        m_pane.ShowFile(nullptr, path.c_str(), "", -1);
        return Settled() && WaitFor([this] { return m_pane.GetDevice().GetWidth() == 400; }, kWaitMs);
    }

    // Shows the generated red and blue image.
    bool ShowImageAndWait(const std::string& name = "photo.bmp")
    {
        const std::vector<char> bmp = Bmp();
        m_pane.ShowFile(nullptr, Write(name, std::string(bmp.begin(), bmp.end())).c_str(), "", -1);
        return Settled() && WaitFor([] { return Thread().IsRasterHeld(); }, kWaitMs);
    }

    TempDir m_dir;
    RegistryRootScope m_registry;
    HostWindow m_host;
    CPreView m_pane;
};

} // namespace

TEST(CPreViewSizeTest, EverySizeHandedToTheThreadIsClampedByOneRule)
{
    const struct
    {
        int in;
        int out;
    } cases[] = {{INT_MIN, 1}, {-5, 1}, {0, 1}, {1, 1}, {2, 2}, {1998, 1998}, {1999, 1999}, {2000, 1999}, {INT_MAX, 1999}};
    for (const auto& c : cases)
        EXPECT_EQ(CPreView::ClampThreadSide(c.in), c.out) << c.in;
}

TEST(CPreViewSizeTest, ProgressLabelsNameTheStageAndTheFile)
{
    EXPECT_STREQ(CPreView::ProgressLabel(40, "a.dwg"), "Loading... \"a.dwg\"");
    EXPECT_STREQ(CPreView::ProgressLabel(101, "a.dwg"), "Zooming extents... \"a.dwg\"");
    EXPECT_STREQ(CPreView::ProgressLabel(102, "a.dwg"), "Redrawing... \"a.dwg\"");
    EXPECT_STREQ(CPreView::ProgressLabel(103, nullptr), "Stop loading \"\"");
}

TEST_F(PreviewFixture, DrawingPictureArrivesAndIsPainted)
{
    const Pixels empty = Print();
    EXPECT_EQ(empty.Inside().size(), 1u) << "an empty pane paints the list colour";
    const std::string path = Write("plan.dxf", Dxf(20.0));
    ASSERT_TRUE(ShowAndWait(path));
    EXPECT_STREQ(m_pane.GetShownPath(), path.c_str());
    EXPECT_TRUE(Thread().IsDrawingValid());
    EXPECT_EQ(m_pane.GetDevice().GetHeight(), 300);
    EXPECT_GE(Print().Inside().size(), 2u) << "the drawing's lines are painted";
}

TEST_F(PreviewFixture, ResizeRendersAgainAtTheNewSizeAndHostileSizesAreClamped)
{
    ASSERT_TRUE(ShowAndWait(Write("plan.dxf", Dxf(20.0))));
    m_pane.MoveWindow(0, 0, 320, 200);
    ASSERT_TRUE(WaitFor([] { return Thread().GetDeviceWidth() == 320 && Thread().GetDeviceHeight() == 200; }, kWaitMs));
    ASSERT_TRUE(Settled());
    EXPECT_TRUE(WaitFor([this] { return m_pane.GetDevice().GetWidth() == 320; }, kWaitMs));
    EXPECT_GE(Print().Inside().size(), 2u);
    // A pane larger than the thread takes: the size handed over stays below 2000.
    m_pane.MoveWindow(0, 0, 2600, 2300);
    ASSERT_TRUE(WaitFor([] { return Thread().GetDeviceWidth() == 1999 || Thread().GetDeviceWidth() == 2600; }, kWaitMs));
    EXPECT_EQ(Thread().GetDeviceWidth(), 1999);
    EXPECT_EQ(Thread().GetDeviceHeight(), 1999);
    // A zero-sized pane hands nothing over and paints nothing wrong.
    ASSERT_TRUE(Settled());
    m_pane.MoveWindow(0, 0, 0, 0);
    ASSERT_TRUE(Settled());
    EXPECT_EQ(Thread().GetDeviceWidth(), 1999);
}

TEST_F(PreviewFixture, ZoomCommandsAndKeysChangeTheDrawingView)
{
    ASSERT_TRUE(ShowAndWait(Write("plan.dxf", Dxf(20.0))));
    const Pixels before = Print();
    m_pane.RunCommand(CPreView::kCmdZoomIn);
    EXPECT_EQ(m_pane.GetMouseMode(), CPreView::kModeZoomIn);
    ASSERT_TRUE(Settled());
    const Pixels zoomed = Print();
    EXPECT_NE(before.colours, zoomed.colours) << "zoom in changes the picture";
    MSG key = {m_pane.GetSafeHwnd(), WM_KEYDOWN, 'E', 0, 0, {0, 0}};
    EXPECT_TRUE(m_pane.PreTranslateMessage(&key));
    ASSERT_TRUE(Settled());
    EXPECT_NE(zoomed.colours, Print().colours) << "zoom extents changes it back";
}

// Resting the mouse on the line lights it in quick mode with the highlight switch on; with the
// switch off (the H key) the picture stays as it is.
TEST_F(PreviewFixture, HoverLightsTheEntityUnderTheMouseOnlyWithTheSwitchOn)
{
    ASSERT_TRUE(ShowAndWait(Write("plan.dxf", Dxf(20.0))));
    if (!Thread().QueryViewState())
        m_pane.RunCommand(CPreView::kCmdQuickMode);
    ASSERT_TRUE(Settled());
    ASSERT_TRUE(Thread().QueryViewState());
    struct Case
    {
        bool highlight;
        bool changes;
    };
    for (const Case c : {Case{false, false}, Case{true, true}}) {
        SCOPED_TRACE(c.highlight);
        if (g_options.HighLight != c.highlight) {
            MSG key = {m_pane.GetSafeHwnd(), WM_KEYDOWN, 'H', 0, 0, {0, 0}};
            EXPECT_TRUE(m_pane.PreTranslateMessage(&key));
        }
        ASSERT_EQ(g_options.HighLight, c.highlight);
        bool check = false;
        EXPECT_TRUE(m_pane.IsCommandEnabled(CPreView::kCmdHighlight, check));
        EXPECT_EQ(check, c.highlight);
        m_pane.RunCommand(CPreView::kCmdRedraw);
        ASSERT_TRUE(Settled());
        const Pixels before = Print();
        // The middle of the pane is the middle of the line (and the circle's centre).
        m_pane.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(200, 150));
        WaitFor([] { return false; }, 400); // past both hover timers
        ASSERT_TRUE(Settled());
        EXPECT_EQ(before.colours != Print().colours, c.changes);
    }
}

// A drawing with depth turns to each standard view; a flat one offers none. The layer manager
// answered with Cancel leaves the picture as it was.
TEST_F(PreviewFixture, StandardViewsTurnADrawingWithDepthAndLayersCancelChangesNothing)
{
    const std::string deep = "0\nSECTION\n2\nENTITIES\n0\nLINE\n8\n0\n62\n1\n10\n0.0\n20\n0.0\n30\n0.0\n11\n"
                             "100.0\n21\n50.0\n31\n80.0\n0\nLINE\n8\n0\n62\n3\n10\n0.0\n20\n50.0\n30\n0.0\n11\n"
                             "100.0\n21\n0.0\n31\n0.0\n0\nENDSEC\n0\nEOF\n";
    ASSERT_TRUE(ShowAndWait(Write("deep.dxf", deep)));
    bool check = false;
    ASSERT_TRUE(m_pane.IsCommandEnabled(CPreView::kCmdViewFirst, check));
    std::set<std::vector<COLORREF>> pictures;
    for (UINT id = CPreView::kCmdViewFirst; id <= CPreView::kCmdViewLast; ++id) {
        m_pane.RunCommand(id);
        ASSERT_TRUE(Settled()) << id;
        pictures.insert(Print().colours);
    }
    // Top and bottom, or front and back, may look alike; most views differ.
    EXPECT_GE(pictures.size(), 5u);

    const Pixels before = Print();
    int asked = 0;
    {
        CModalHandlerScope answer([&asked](const ModalRequest&) {
            ++asked;
            return static_cast<INT_PTR>(IDCANCEL);
        });
        m_pane.RunCommand(CPreView::kCmdLayers);
    }
    EXPECT_EQ(asked, 1);
    ASSERT_TRUE(Settled());
    EXPECT_EQ(before.colours, Print().colours);

    ASSERT_TRUE(ShowAndWait(Write("flat.dxf", Dxf(20.0))));
    EXPECT_FALSE(m_pane.IsCommandEnabled(CPreView::kCmdViewFirst, check));
    EXPECT_FALSE(m_pane.IsCommandEnabled(CPreView::kCmdViewPointDialog, check));
    EXPECT_TRUE(m_pane.IsCommandEnabled(CPreView::kCmdLayers, check));
}

TEST_F(PreviewFixture, KeysOfTheTableAreSwallowedEvenWithNothingShown)
{
    const struct
    {
        UINT key;
        BOOL handled;
        int mode;
    } cases[] = {{'P', TRUE, CPreView::kModePan}, {VK_F8, TRUE, CPreView::kModeZoomWindow}, {VK_F1, TRUE, CPreView::kModePan},
                 {'W', TRUE, CPreView::kModeZoomWindow}, {'Z', FALSE, CPreView::kModeZoomWindow},
                 {VK_NUMPAD5, TRUE, CPreView::kModeZoomWindow}, {VK_LEFT, TRUE, CPreView::kModeZoomWindow}};
    for (const auto& c : cases) {
        MSG key = {m_pane.GetSafeHwnd(), WM_KEYDOWN, c.key, 0, 0, {0, 0}};
        EXPECT_EQ(m_pane.PreTranslateMessage(&key), c.handled) << c.key;
        EXPECT_EQ(m_pane.GetMouseMode(), c.mode) << c.key;
    }
}

TEST_F(PreviewFixture, RasterImageIsPaintedAndZoomChangesIt)
{
    ASSERT_TRUE(ShowImageAndWait());
    const Pixels shown = Print();
    const std::set<COLORREF> colours = shown.Inside();
    EXPECT_TRUE(colours.count(RGB(255, 0, 0))) << "the red half is painted";
    EXPECT_TRUE(colours.count(RGB(0, 0, 255))) << "the blue half is painted";
    m_pane.RunCommand(CPreView::kCmdZoomIn);
    EXPECT_NE(shown.colours, Print().colours);
    m_pane.RunCommand(CPreView::kCmdAutoFit);
    EXPECT_EQ(shown.colours, Print().colours) << "auto fit comes back to the first picture";
}

// Where a colour sits in the pane: the centre of its pixels.
POINT CentreOf(const Pixels& shown, COLORREF colour)
{
    long long sx = 0, sy = 0, n = 0;
    for (int y = 0; y < shown.height; ++y) {
        for (int x = 0; x < shown.width; ++x) {
            if (shown.At(x, y) == colour) {
                sx += x;
                sy += y;
                ++n;
            }
        }
    }
    return n ? POINT{static_cast<LONG>(sx / n), static_cast<LONG>(sy / n)} : POINT{-1, -1};
}

// Red is the image's left half and blue its right one; each transform moves them as a user
// expects, and the file is never written.
TEST_F(PreviewFixture, ImageTransformsTurnThePictureButNotTheFile)
{
    struct Case
    {
        UINT command;
        const char* name;
        int redRightOfBlue; // -1 left, 1 right, 0 same column
        int redBelowBlue;   // -1 above, 1 below, 0 same row
    };
    const Case cases[] = {
        {CPreView::kCmdRotateLeft, "rotate left", 0, 1},
        {CPreView::kCmdRotateRight, "rotate right", 0, -1},
        {CPreView::kCmdMirror, "mirror", 1, 0},
        {CPreView::kCmdFlip, "flip", -1, 0},
    };
    auto sign = [](LONG d) { return d > 4 ? 1 : (d < -4 ? -1 : 0); };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // A file of its own each time: the pane keeps a turned picture while its file stays shown.
        const std::string name = std::string(c.name) + ".bmp";
        ASSERT_TRUE(ShowImageAndWait(name));
        const std::string path = m_dir / name;
        const std::vector<char> before = Bmp();
        bool check = true;
        EXPECT_TRUE(m_pane.IsCommandEnabled(c.command, check));
        m_pane.RunCommand(c.command);
        const Pixels shown = Print();
        const POINT red = CentreOf(shown, RGB(255, 0, 0));
        const POINT blue = CentreOf(shown, RGB(0, 0, 255));
        ASSERT_GE(red.x, 0);
        ASSERT_GE(blue.x, 0);
        EXPECT_EQ(sign(red.x - blue.x), c.redRightOfBlue);
        EXPECT_EQ(sign(red.y - blue.y), c.redBelowBlue);
        EXPECT_EQ(orvo::test::ReadFileBytes(path), std::string(before.begin(), before.end()));
    }
    // Nothing is transformed for a drawing.
    ASSERT_TRUE(ShowAndWait(Write("plan.dxf", Dxf(20.0))));
    bool check = false;
    EXPECT_FALSE(m_pane.IsCommandEnabled(CPreView::kCmdRotateLeft, check));
}

TEST_F(PreviewFixture, QuickSelectionChangesEndWithTheLastFileShown)
{
    std::vector<std::string> paths;
    for (int i = 0; i < 10; ++i)
        paths.push_back(Write("plan" + std::to_string(i) + ".dxf", Dxf(5.0 + 3.0 * i)));
    for (const std::string& path : paths)
        m_pane.ShowFile(nullptr, path.c_str(), "", -1);
    ASSERT_TRUE(Settled());
    ASSERT_TRUE(WaitFor([] { return Thread().IsDrawingValid(); }, kWaitMs));
    EXPECT_TRUE(Thread().IsCurrentFile(paths.back().c_str()));
    EXPECT_STREQ(m_pane.GetShownPath(), paths.back().c_str());
    // The pane holds the thread's final picture, not one of an earlier file.
    const Pixels last = Print();
    CGDIDevice threadPicture;
    ASSERT_TRUE(threadPicture.Create(last.width, last.height, 3));
    Thread().PaintTo(threadPicture.GetDC());
    size_t differing = 0;
    for (int y = 1; y + 1 < last.height; ++y) {
        for (int x = 1; x + 1 < last.width; ++x)
            differing += ::GetPixel(threadPicture.GetDC(), x, y) != last.At(x, y);
    }
    EXPECT_EQ(differing, 0u);
    EXPECT_GE(last.Inside().size(), 2u);
}

TEST_F(PreviewFixture, NothingIsShownWhileAModalDialogIsOpenOrForAnUnknownType)
{
    const std::string drawing = Write("plan.dxf", Dxf(20.0));
    g_appState.modalDialogOpen = true;
    m_pane.ShowFile(nullptr, drawing.c_str(), "", -1);
    g_appState.modalDialogOpen = false;
    EXPECT_TRUE(m_pane.GetShownPath().IsEmpty());
    m_pane.ShowFile(nullptr, Write("notes.xyz", "text").c_str(), "", -1);
    EXPECT_TRUE(m_pane.GetShownPath().IsEmpty());
    m_pane.ShowFile(nullptr, nullptr, nullptr, -1);
    EXPECT_TRUE(m_pane.GetShownPath().IsEmpty());
}

namespace {

// Copies the pane's area of the screen into a 24-bit BMP file (a look at the virtual display).
void SaveScreenShot(HWND pane, const std::string& path)
{
    RECT r;
    ::GetWindowRect(pane, &r);
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    CGDIDevice shot;
    ASSERT_TRUE(shot.Create(w, h, 3));
    HDC screen = ::GetDC(nullptr);
    ::BitBlt(shot.GetDC(), 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    ::ReleaseDC(nullptr, screen);
    BITMAPFILEHEADER fh = {};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof(BITMAPINFOHEADER);
    fh.bfSize = fh.bfOffBits + static_cast<DWORD>(shot.GetImageSize());
    std::string bytes(reinterpret_cast<const char*>(&fh), sizeof fh);
    bytes.append(reinterpret_cast<const char*>(shot.GetHeader()), sizeof(BITMAPINFOHEADER));
    bytes.append(reinterpret_cast<const char*>(shot.GetBits()), static_cast<size_t>(shot.GetImageSize()));
    EXPECT_TRUE(orvo::test::WriteFileBytes(path, bytes.data(), bytes.size()));
}

} // namespace

TEST_F(PreviewFixture, SampleDrawingIsShown)
{
    ORVO_REQUIRE_SAMPLES(samples);
    const std::string path = samples + "\\dwg\\example_2018.dwg";
    ASSERT_TRUE(ShowAndWait(path));
    ASSERT_TRUE(Thread().IsDrawingValid());
    m_pane.UpdateWindow();
    EXPECT_GE(Print().Inside().size(), 2u);
    char shotPath[MAX_PATH] = {};
    if (::GetEnvironmentVariableA("ORVO_PREVIEW_SHOT", shotPath, MAX_PATH) > 0)
        SaveScreenShot(m_pane.GetSafeHwnd(), shotPath);
}

TEST_F(PreviewFixture, PasswordStageAsksThroughTheDialogAndReopensOrStopsOnCancel)
{
    const std::string path = Write("plan.dxf", Dxf(20.0));
    ASSERT_TRUE(ShowAndWait(path));
    ForgetDrawingPasswords();
    const struct
    {
        INT_PTR answer;
        int remembered;
    } cases[] = {{IDCANCEL, 0}, {IDOK, 1}};
    for (const auto& c : cases) {
        std::string prompt;
        int shown = 0;
        CModalHandlerScope scope([&](const ModalRequest& request) {
            char text[MAX_PATH] = {};
            ::GetDlgItemTextA(request.pWnd->GetSafeHwnd(), IDC_PASSWORD_PROMPT, text, MAX_PATH);
            prompt = text;
            ::SetDlgItemTextA(request.pWnd->GetSafeHwnd(), IDC_PASSWORD_EDIT, "right");
            ++shown;
            return c.answer;
        });
        m_pane.SendMessage(TDwgDrawThread::kMsgOpenStage, 4, static_cast<LPARAM>(-1));
        EXPECT_EQ(shown, 1);
        EXPECT_EQ(prompt, path);
        EXPECT_EQ(GetRememberedPasswordCount(), c.remembered);
        ASSERT_TRUE(Settled());
        // The same file opened with a password (or left as it was) is shown again.
        EXPECT_TRUE(Thread().IsCurrentFile(path.c_str()));
        EXPECT_TRUE(WaitFor([] { return Thread().IsDrawingValid(); }, kWaitMs));
    }
    ForgetDrawingPasswords();
}

TEST(CPreViewInfoTest, InfoTextReadsTitleSubjectAuthorVersionAndDate)
{
    const struct
    {
        bool summary;
        const char* title;
        const char* subject;
        const char* author;
        const char* expectedStart;
    } cases[] = {
        {true, "Plan", "Ground", "Ann", "Title: Plan ; Subject: Ground ; Author: Ann ; AC1032 Create: "},
        {true, "", "Ground", "", "Subject: Ground ; AC1032 Create: "},
        {false, "Plan", "Ground", "Ann", "AC1032 Create: "},
    };
    for (const auto& c : cases) {
        const CString text = CPreView::DrawingInfoText("AC1032", 1700000000, c.summary, c.title, c.subject, c.author);
        EXPECT_EQ(std::string(text).rfind(c.expectedStart, 0), 0u) << static_cast<const char*>(text);
        EXPECT_NE(std::string(text).find("2023;"), std::string::npos) << static_cast<const char*>(text);
    }
    // An unknown or hostile creation time gives an empty date, never garbage.
    for (int64_t hostile : {int64_t{0}, int64_t{-1}, INT64_MAX})
        EXPECT_STREQ(CPreView::DrawingInfoText("AC1015", hostile, false, "", "", ""), "AC1015 Create: ;") << hostile;
}

namespace {

// The engine's view with a zoom that holds the drawing thread busy until the gate opens (at most
// 10 s), so a wait for the thread meets a request in progress.
std::atomic<bool> g_zoomGateOpen{true};
std::atomic<bool> g_zoomEntered{false};

// Full renders of the view, and the size of the picture the last one drew into (width in the
// low word, height in the high word).
std::atomic<int> g_draws{0};
std::atomic<LONG> g_lastDrawSize{0};

class GatedView : public RkApp::View
{
public:
    explicit GatedView(RkApp::Document& document) : RkApp::View(document) {}
    bool Draw(HDC dc, int flags) override
    {
        BITMAP bitmap = {};
        ::GetObjectA(::GetCurrentObject(dc, OBJ_BITMAP), sizeof bitmap, &bitmap);
        g_lastDrawSize.store(MAKELONG(bitmap.bmWidth, bitmap.bmHeight));
        ++g_draws;
        return RkApp::View::Draw(dc, flags);
    }
    void ZoomIn(int steps) override
    {
        g_zoomEntered.store(true);
        const DWORD start = ::GetTickCount();
        while (!g_zoomGateOpen.load() && ::GetTickCount() - start < 10000)
            ::Sleep(5);
        RkApp::View::ZoomIn(steps);
    }
};

// Opening a file named "slow" holds the thread in its open until the gate opens or the open is
// abandoned (at most 10 s).
std::atomic<bool> g_openGateOpen{true};

class GatedDrawing : public CDrawing
{
public:
    GatedDrawing() : CDrawing(RkIo::Channel::Document) {}
    short Open(const char* path, const char* password) override
    {
        const std::string name = path ? path : "";
        const DWORD start = ::GetTickCount();
        while (name.find("slow") != std::string::npos && !g_openGateOpen.load() &&
               !RkIo::EngineState::Instance().AbortRequested(RkIo::Channel::Document) &&
               ::GetTickCount() - start < 10000)
            ::Sleep(5);
        return CDrawing::Open(path, password);
    }
};

class GatedDocument : public RkApp::Document
{
public:
    GatedDocument() : m_view(*this) {}
    void Close() override { m_drawing.Close(); }
    CDrawing* GetDrawing() override { return &m_drawing; }
    RkApp::View* GetView() override { return &m_view; }
    static RkApp::Document* Create() { return new GatedDocument(); }

private:
    GatedDrawing m_drawing;
    GatedView m_view;
};

// The fixture's pane with a drawing thread whose zoom can be held.
class GatedPreviewFixture : public PreviewFixture
{
protected:
    GatedPreviewFixture()
    {
        EXPECT_TRUE(Thread().StopAndWait(5000));
        g_appState.drawThread = std::make_unique<TDwgDrawThread>(&GatedDocument::Create);
        Thread().SetAppState(&g_appState);
        Thread().SetNotifyWnd(m_pane.GetSafeHwnd());
        EXPECT_TRUE(Thread().CreateThread());
    }
    ~GatedPreviewFixture() override
    {
        g_zoomGateOpen.store(true);
        g_openGateOpen.store(true);
    }
};

bool TakeStatusRefresh(HWND main)
{
    MSG msg;
    return ::PeekMessageA(&msg, main, 0x8032, 0x8032, PM_REMOVE) != FALSE;
}

} // namespace

TEST_F(GatedPreviewFixture, WaitForTheThreadIsBoundedAndKeepsItsReports)
{
    ASSERT_TRUE(ShowAndWait(Write("plan.dxf", Dxf(20.0))));
    const int layout = Thread().GetCurrentLayout();
    while (TakeStatusRefresh(m_host.GetSafeHwnd())) {
    }
    g_zoomGateOpen.store(false);
    g_zoomEntered.store(false);
    m_pane.RunCommand(CPreView::kCmdZoomIn);
    ASSERT_TRUE(WaitFor([] { return g_zoomEntered.load(); }, kWaitMs));
    ASSERT_TRUE(Thread().IsBusy());
    // A report of a finished load waits in the queue while the thread is busy.
    ::PostMessageA(m_pane.GetSafeHwnd(), TDwgDrawThread::kMsgRequestDone, 1, TDwgDrawThread::kRequestLoadInfo);
    const DWORD start = ::GetTickCount();
    EXPECT_FALSE(m_pane.WaitForDrawThread(300));
    EXPECT_LT(::GetTickCount() - start, 3000u) << "the wait is bounded";
    EXPECT_TRUE(Thread().IsEnabled()) << "the thread reports again after the wait";
    EXPECT_TRUE(TakeStatusRefresh(m_host.GetSafeHwnd())) << "the report that arrived meanwhile was handled";
    // A layout chosen while the thread works is refused before anything is written, and the
    // menu state asks the busy thread nothing (its queries would wait for the request to end).
    m_pane.RunCommand(CPreView::kCmdLayoutFirst + 1);
    bool check = true;
    const DWORD asked = ::GetTickCount();
    EXPECT_FALSE(m_pane.IsCommandEnabled(CPreView::kCmdLayoutFirst, check));
    EXPECT_FALSE(m_pane.IsCommandEnabled(CPreView::kCmdQuickMode, check));
    EXPECT_FALSE(check);
    EXPECT_LT(::GetTickCount() - asked, 1000u);
    g_zoomGateOpen.store(true);
    EXPECT_TRUE(m_pane.WaitForDrawThread(kWaitMs));
    EXPECT_FALSE(Thread().IsBusy());
    ASSERT_TRUE(Settled());
    EXPECT_EQ(Thread().GetCurrentLayout(), layout);
}

// A splitter drag sends several sizes before anything is drawn: they end in one render, at the
// last size, and the next size renders once more.
TEST_F(GatedPreviewFixture, SizesInARowRenderOnceAtTheLastSize)
{
    ASSERT_TRUE(ShowAndWait(Write("plan.dxf", Dxf(20.0))));
    const auto renderedAt = [this](int width, int height) {
        return WaitFor([this, width, height] {
            return m_pane.GetDevice().GetWidth() == width && m_pane.GetDevice().GetHeight() == height;
        }, kWaitMs) && Settled();
    };
    g_draws.store(0);
    for (int step = 0; step < 4; ++step)
        m_pane.MoveWindow(0, 0, 380 - 20 * step, 280 - 20 * step);
    ASSERT_TRUE(renderedAt(320, 220));
    EXPECT_EQ(g_draws.load(), 1);
    EXPECT_EQ(g_lastDrawSize.load(), MAKELONG(320, 220));
    EXPECT_GE(Print().Inside().size(), 2u);
    m_pane.MoveWindow(0, 0, 300, 200);
    ASSERT_TRUE(renderedAt(300, 200));
    EXPECT_EQ(g_draws.load(), 2);
    EXPECT_EQ(g_lastDrawSize.load(), MAKELONG(300, 200));
}

TEST_F(GatedPreviewFixture, ProgressGrowsOnlyWhileOpeningAndHostileValuesFillTheBar)
{
    const std::string slow = Write("slow.dxf", Dxf(20.0));
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE) & 0xFFFFFF;
    m_pane.OnDrawProgress(50, 0);
    EXPECT_EQ(m_pane.GetProgressMark(), 0u) << "nothing is being opened";
    g_openGateOpen.store(false);
    m_pane.ShowFile(nullptr, slow.c_str(), "", -1);
    ASSERT_TRUE(WaitFor([] { return Thread().IsOpening(); }, kWaitMs));
    const struct
    {
        UINT value;
        UINT mark;
    } steps[] = {{40, 40}, {30, 40}, {40, 40}, {101, 101}, {0xFFFFFFFFu, 0xFFFFFFFFu}, {7, 0xFFFFFFFFu}};
    for (const auto& step : steps) {
        m_pane.OnDrawProgress(step.value, 0);
        EXPECT_EQ(m_pane.GetProgressMark(), step.mark) << step.value;
    }
    // The last accepted value is beyond 100: the bar is filled to its right end.
    const Pixels bar = Print();
    const int y = 3 + 4;
    EXPECT_EQ(bar.At(10, y) & 0xFFFFFF, face);
    EXPECT_EQ(bar.At(bar.width - 12, y) & 0xFFFFFF, face);
    g_openGateOpen.store(true);
    ASSERT_TRUE(Settled());
    EXPECT_TRUE(WaitFor([] { return Thread().IsDrawingValid(); }, kWaitMs));
}

TEST_F(PreviewFixture, ZoomWindowDragZoomsOnlyWhenTheMouseMoved)
{
    ASSERT_TRUE(ShowAndWait(Write("plan.dxf", Dxf(20.0))));
    ASSERT_EQ(m_pane.GetMouseMode(), CPreView::kModeZoomWindow);
    const Pixels before = Print();
    const HWND pane = m_pane.GetSafeHwnd();
    // A click that ends where it began: no zoom, and the band is gone again.
    ::SendMessageA(pane, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 100));
    ::SendMessageA(pane, WM_LBUTTONUP, 0, MAKELPARAM(100, 100));
    ASSERT_TRUE(Settled());
    EXPECT_EQ(before.colours, Print().colours);
    // A drag over part of the drawing zooms into it.
    ::SendMessageA(pane, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(120, 90));
    ::SendMessageA(pane, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(200, 160));
    ::SendMessageA(pane, WM_LBUTTONUP, 0, MAKELPARAM(200, 160));
    ASSERT_TRUE(Settled());
    EXPECT_NE(before.colours, Print().colours);
}

TEST_F(PreviewFixture, WheelZoomsAnImageOnlyWithoutKeysOrButtonsHeld)
{
    ASSERT_TRUE(ShowImageAndWait());
    const Pixels before = Print();
    POINT centre = {200, 150};
    ::ClientToScreen(m_pane.GetSafeHwnd(), &centre);
    const LPARAM at = MAKELPARAM(centre.x, centre.y);
    ::SendMessageA(m_pane.GetSafeHwnd(), WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, WHEEL_DELTA), at);
    EXPECT_EQ(before.colours, Print().colours) << "Ctrl with the wheel is left to the default handling";
    ::SendMessageA(m_pane.GetSafeHwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), at);
    EXPECT_NE(before.colours, Print().colours);
}

TEST_F(PreviewFixture, MiddleButtonDragPansAnImage)
{
    ASSERT_TRUE(ShowImageAndWait());
    const Pixels before = Print();
    const HWND pane = m_pane.GetSafeHwnd();
    ::SendMessageA(pane, WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(200, 150));
    ::SendMessageA(pane, WM_MOUSEMOVE, MK_MBUTTON, MAKELPARAM(260, 170));
    ::SendMessageA(pane, WM_MBUTTONUP, 0, MAKELPARAM(260, 170));
    EXPECT_NE(before.colours, Print().colours);
    EXPECT_EQ(m_pane.GetMouseMode(), CPreView::kModeZoomWindow) << "the mode stays";
}

// The bar hands the pane every command of the pane's own list, and no other: the menu's layers,
// view point and standard views and the image turns included.
TEST_F(PreviewFixture, EveryPaneCommandReachesThePaneThroughTheBar)
{
    CPreViewBar bar;
    ASSERT_TRUE(bar.Create(&m_host, 105, "PreView", CSize(225, 80)));
    auto routed = [&bar](UINT id, int code) {
        CTestCmdUI ui;
        ui.m_nID = id;
        return bar.OnCmdMsg(id, code, code == CN_UPDATE_COMMAND_UI ? &ui : nullptr, nullptr) != FALSE;
    };
    const struct
    {
        UINT id;
        bool pane;
    } cases[] = {
        {CPreView::kCmdLayers, true},       {CPreView::kCmdViewPointDialog, true}, {CPreView::kCmdViewFirst, true},
        {CPreView::kCmdViewFirst + 4, true}, {CPreView::kCmdViewLast, true},       {CPreView::kCmdRotateLeft, true},
        {CPreView::kCmdRotateRight, true},  {CPreView::kCmdMirror, true},          {CPreView::kCmdFlip, true},
        {CPreView::kCmdZoomPrevious, true}, {CPreView::kCmdZoomIn, true},          {CPreView::kCmdPan, true},
        {CPreView::kCmdLayoutFirst, true},  {CPreView::kCmdLayoutLast, true},      {CPreView::kCmdActualSize, true},
        {CPreView::kCmdAutoFit, true},      {CPreView::kCmdSmooth, true},          {CPreView::kCmdHighlight, true},
        {CPreView::kCmdQuickMode, true},    {32799, false} /* the Layouts popup */, {32817, false},
        {32822, false},                     {32940, false},                        {0xE100, false} /* File New */,
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CPreViewBar::IsPaneCommand(c.id), c.pane) << c.id;
        EXPECT_EQ(routed(c.id, CN_UPDATE_COMMAND_UI), c.pane) << c.id;
    }
    // Every id the bar routes is one the pane runs: the list and the pane's dispatch agree.
    const bool smooth = g_options.PreviewHalfTone;
    const bool highlight = g_options.HighLight;
    for (UINT id = 32700; id < 33000; ++id)
        EXPECT_EQ(routed(id, CN_COMMAND), CPreView::IsPaneCommand(id)) << id;
    g_options.PreviewHalfTone = smooth;
    g_options.HighLight = highlight;
    bar.DestroyWindow();
}

// Enter and the double click open the shown file in the view, as the file list does; with
// nothing shown they leave the browser as it is.
TEST_F(PreviewFixture, EnterAndDoubleClickOpenTheShownFileInTheView)
{
    const std::string path = Write("plan.dxf", Dxf(20.0));
    ASSERT_TRUE(ShowAndWait(path));
    const HWND pane = m_pane.GetSafeHwnd();
    const struct
    {
        const char* name;
        bool shown;
        std::function<void()> act;
    } cases[] = {
        {"enter", true, [&] {
             MSG key = {pane, WM_KEYDOWN, VK_RETURN, 0, 0, {0, 0}};
             EXPECT_TRUE(m_pane.PreTranslateMessage(&key));
         }},
        {"double click", true, [&] { ::SendMessageA(pane, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(200, 150)); }},
        {"enter with nothing shown", false, [&] {
             MSG key = {pane, WM_KEYDOWN, VK_RETURN, 0, 0, {0, 0}};
             EXPECT_TRUE(m_pane.PreTranslateMessage(&key));
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.shown)
            m_pane.Reset();
        g_appState.SetViewPath("");
        c.act();
        EXPECT_EQ(g_appState.mode.load(), c.shown ? CAppState::kModeView : CAppState::kModeBrowse);
        EXPECT_STREQ(g_appState.viewPath, c.shown ? path.c_str() : "");
        // Back to the browser for the next case.
        g_appState.mode.store(CAppState::kModeBrowse);
        g_appState.mainWindow.store(m_host.GetSafeHwnd());
        Thread().SetNotifyWnd(pane);
    }
}

TEST(CPreViewMenuTest, LayoutsPopupHoldsAtMostFiftyNamesAndIsRebuiltInPlace)
{
    CMenu menu;
    ASSERT_TRUE(menu.LoadMenu(IDR_BROWSEFRAME));
    CMenu* preview = CPreView::FindPreviewPopup(menu);
    ASSERT_NE(preview, nullptr);
    const int before = preview->GetMenuItemCount();
    auto layouts = [preview]() -> CMenu* {
        for (int i = 0; i + 1 < preview->GetMenuItemCount(); ++i) {
            if (preview->GetMenuItemID(i) == CPreView::kCmdLayers)
                return preview->GetSubMenu(i + 1);
        }
        return nullptr;
    };
    const struct
    {
        int names;
        int items;
    } cases[] = {{60, 50}, {2, 2}, {0, 0}, {50, 50}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.names);
        CStringList names;
        for (int i = 0; i < c.names; ++i)
            names.AddTail(CString(("Layout" + std::to_string(i)).c_str()));
        ASSERT_TRUE(CPreView::BuildLayoutMenu(menu, names));
        EXPECT_EQ(preview->GetMenuItemCount(), before) << "the item is replaced, not added";
        CMenu* popup = layouts();
        ASSERT_NE(popup, nullptr);
        EXPECT_EQ(popup->GetMenuItemCount(), c.items);
        if (c.items > 0) {
            EXPECT_EQ(popup->GetMenuItemID(0), CPreView::kCmdLayoutFirst);
            EXPECT_EQ(popup->GetMenuItemID(c.items - 1), CPreView::kCmdLayoutFirst + c.items - 1);
            CString first;
            popup->GetMenuString(0, first, MF_BYPOSITION);
            EXPECT_STREQ(first, "Layout0");
        }
        CString text;
        for (int i = 0; i < preview->GetMenuItemCount(); ++i) {
            if (preview->GetSubMenu(i) == popup)
                preview->GetMenuString(static_cast<UINT>(i), text, MF_BYPOSITION);
        }
        EXPECT_STREQ(text, "L&ayouts");
    }
    // A menu without the Preview popup is left alone.
    CMenu other;
    ASSERT_TRUE(other.CreateMenu());
    EXPECT_FALSE(CPreView::BuildLayoutMenu(other, CStringList()));
}

// The context menu is the Preview popup, with the pane's update rule applied and the drawing's
// layouts in its Layouts popup; the chosen command runs on the pane, none leaves all as it was.
TEST_F(PreviewFixture, ContextMenuShowsThePreviewPopupAndRunsTheChosenCommand)
{
    ASSERT_TRUE(ShowAndWait(Write("plan.dxf", Dxf(20.0))));
    ASSERT_EQ(m_pane.GetMouseMode(), CPreView::kModeZoomWindow);
    const Pixels before = Print();
    POINT at = {100, 80};
    ::ClientToScreen(m_pane.GetSafeHwnd(), &at);
    const struct
    {
        UINT answer;
        int mode;
        bool changes;
    } cases[] = {{0, CPreView::kModeZoomWindow, false}, {CPreView::kCmdZoomIn, CPreView::kModeZoomIn, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        int asked = 0;
        int layouts = -1;
        UINT rotate = 0;
        UINT zoomIn = 0;
        {
            CModalHandlerScope answer([&](const ModalRequest& request) {
                ++asked;
                EXPECT_EQ(request.kind, ModalKind::PopupMenu);
                CMenu& popup = *request.pMenu;
                for (int i = 0; i + 1 < popup.GetMenuItemCount(); ++i) {
                    if (popup.GetMenuItemID(i) == CPreView::kCmdLayers && popup.GetSubMenu(i + 1))
                        layouts = popup.GetSubMenu(i + 1)->GetMenuItemCount();
                }
                rotate = popup.GetMenuState(CPreView::kCmdRotateLeft, MF_BYCOMMAND);
                zoomIn = popup.GetMenuState(CPreView::kCmdZoomIn, MF_BYCOMMAND);
                return static_cast<INT_PTR>(c.answer);
            });
            m_pane.SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(m_pane.GetSafeHwnd()), MAKELPARAM(at.x, at.y));
        }
        EXPECT_EQ(asked, 1);
        EXPECT_GE(layouts, 1) << "the drawing's layouts are listed";
        EXPECT_TRUE(rotate & MF_GRAYED) << "an image turn is off for a drawing";
        EXPECT_FALSE(zoomIn & MF_GRAYED);
        EXPECT_EQ(m_pane.GetMouseMode(), c.mode);
        ASSERT_TRUE(Settled());
        EXPECT_EQ(before.colours != Print().colours, c.changes);
    }
}

namespace {

// Where the reddish or the bluish pixels sit (a JPEG's colours are near, not exact).
POINT CentreWhere(const Pixels& shown, bool red)
{
    long long sx = 0, sy = 0, n = 0;
    for (int y = 1; y + 1 < shown.height; ++y) {
        for (int x = 1; x + 1 < shown.width; ++x) {
            const COLORREF c = shown.At(x, y);
            const bool hit = red ? (GetRValue(c) > 180 && GetBValue(c) < 80) : (GetBValue(c) > 180 && GetRValue(c) < 80);
            if (hit) {
                sx += x;
                sy += y;
                ++n;
            }
        }
    }
    return n ? POINT{static_cast<LONG>(sx / n), static_cast<LONG>(sy / n)} : POINT{-1, -1};
}

// A JPEG whose left half is red and right half blue, with Exif data saying "turned a quarter
// clockwise" (shown upright, red is on top).
std::string TurnedRedBlueJpeg(int width, int height, int quality)
{
    const orvo::test::Bytes plain = orvo::test::EncodeJpegSamples(
        width, height, 3, 2 /* JCS_RGB */,
        [width](int x, int, int k) { return static_cast<unsigned char>((x < width / 2) == (k == 0) && k != 1 ? 255 : 0); },
        quality);
    const orvo::test::Bytes turned =
        orvo::test::InsertApp1(plain, orvo::test::ExifBuilder(false).Short(orvo::test::ExifBuilder::Ifd0, 0x0112, 6).Build());
    return std::string(turned.begin(), turned.end());
}

} // namespace

// A photo whose Exif data says "turned a quarter clockwise" is shown upright: its left (red)
// half comes out on top. The file itself is not touched.
TEST_F(PreviewFixture, JpegWithExifOrientationIsShownTurnedAndTheFileStaysAsItIs)
{
    const std::string bytes = TurnedRedBlueJpeg(64, 48, 95);
    const std::string path = Write("turned.jpg", bytes);
    m_pane.ShowFile(nullptr, path.c_str(), "", -1);
    ASSERT_TRUE(Settled());
    ASSERT_TRUE(WaitFor([] { return Thread().IsRasterHeld(); }, kWaitMs));
    const Pixels shown = Print();
    const POINT red = CentreWhere(shown, true);
    const POINT blue = CentreWhere(shown, false);
    ASSERT_GE(red.x, 0);
    ASSERT_GE(blue.x, 0);
    EXPECT_LT(red.y + 4, blue.y) << "red on top";
    EXPECT_NEAR(red.x, blue.x, 4);
    EXPECT_EQ(orvo::test::ReadFileBytes(path), bytes);
}

namespace {

Pixels DevicePixels(const CGDIDevice& device)
{
    Pixels out;
    out.width = device.GetWidth();
    out.height = device.GetHeight();
    for (int y = 0; y < out.height; ++y) {
        for (int x = 0; x < out.width; ++x)
            out.colours.push_back(::GetPixel(device.GetDC(), x, y));
    }
    return out;
}

// The mean difference of two pictures of one size, per colour channel.
double MeanDifference(const Pixels& a, const Pixels& b)
{
    double sum = 0.0;
    for (size_t i = 0; i < a.colours.size() && i < b.colours.size(); ++i) {
        sum += std::abs(GetRValue(a.colours[i]) - GetRValue(b.colours[i])) +
               std::abs(GetGValue(a.colours[i]) - GetGValue(b.colours[i])) +
               std::abs(GetBValue(a.colours[i]) - GetBValue(b.colours[i]));
    }
    return a.colours.empty() ? 255.0 : sum / (3.0 * static_cast<double>(a.colours.size()));
}

} // namespace

// A large photo is first shown from a decode at the pane's size (the thread hands that picture
// over while it decodes the whole photo), turned upright; the finished pane is exactly what a
// full decode gives, and the scene holds the full picture for zooms and turns.
TEST_F(PreviewFixture, LargeJpegShowsAReducedFirstPictureThenExactlyTheFullOne)
{
    const std::string path = Write("large.jpg", TurnedRedBlueJpeg(1600, 1200, 90));
    m_pane.ShowFile(nullptr, path.c_str(), "", -1);
    ASSERT_TRUE(Settled());
    ASSERT_TRUE(Thread().IsRasterHeld());
    // The pane's picture keeps the thread's first picture (it is copied again at the finished
    // open); without one it would hold the thread's empty background.
    const Pixels first = DevicePixels(m_pane.GetDevice());
    const Pixels finished = Print();
    ASSERT_EQ(first.width, finished.width);
    ASSERT_EQ(first.height, finished.height);
    for (const Pixels* shown : {&first, &finished}) {
        const POINT red = CentreWhere(*shown, true);
        const POINT blue = CentreWhere(*shown, false);
        ASSERT_GE(red.x, 0);
        ASSERT_GE(blue.x, 0);
        EXPECT_LT(red.y + 4, blue.y) << "red on top: turned upright";
    }
    EXPECT_LT(MeanDifference(first, finished), 6.0) << "the full picture replaces a like one: no flash";
    const CRasterImage* image = Thread().GetRasterScene().GetImage().GetImage();
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->GetWidth(), 1200u) << "the full picture, upright";
    EXPECT_EQ(image->GetHeight(), 1600u);
    EXPECT_STREQ(Thread().GetRasterScene().GetImage().GetInfo().GetText(), "width:1600 , height:1200 , bits:24");
    // The same file opened without the reduced first picture ends in the same pane.
    m_pane.Reset();
    ASSERT_TRUE(Settled());
    Thread().OpenFile(-1, path.c_str(), 400, 300, g_options.PreviewZoomExtend);
    ASSERT_TRUE(Settled());
    ASSERT_TRUE(WaitFor([] { return Thread().IsRasterHeld(); }, kWaitMs));
    m_pane.ShowFile(nullptr, path.c_str(), "", -1); // held already: the pane shows it
    EXPECT_EQ(finished.colours, Print().colours);
}

// A damaged file after a good one: the good picture does not stay, and nothing is left busy.
TEST_F(PreviewFixture, DamagedFileLeavesNoStalePicture)
{
    const struct
    {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"damaged.jpg", std::string("\xFF\xD8\xFF\xE0\x00\x10JFIF garbage", 18)},
        {"damaged.bmp", "BM not a bitmap at all"},
        {"damaged.dxf", "0\nSECTION\n2\nENTITIES\n0\nLINE\n10\nnot a number"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(ShowImageAndWait(std::string("good-") + c.name + ".bmp"));
        ASSERT_GE(CentreOf(Print(), RGB(255, 0, 0)).x, 0);
        m_pane.ShowFile(nullptr, Write(c.name, c.bytes).c_str(), "", -1);
        ASSERT_TRUE(Settled());
        const Pixels after = Print();
        EXPECT_EQ(CentreOf(after, RGB(255, 0, 0)).x, -1) << "the earlier picture is gone";
        EXPECT_EQ(CentreOf(after, RGB(0, 0, 255)).x, -1);
        EXPECT_FALSE(Thread().IsBusy());
    }
}

// A cut-off image says "Open file failure!" as a damaged drawing does, instead of an empty pane
// that looks as if nothing were selected; the next good image is shown without the text.
TEST_F(PreviewFixture, DamagedImageShowsTheOpenFailureText)
{
    const std::vector<char> bmp = Bmp();
    const std::string whole = Write("whole.bmp", std::string(bmp.begin(), bmp.end()));
    KImage image;
    ASSERT_TRUE(image.Load(whole.c_str(), 0.0f, 0.0f));
    const std::string png = m_dir / "whole.png";
    ASSERT_TRUE(image.SaveAs(png.c_str(), 90));
    const orvo::test::Bytes jpeg = orvo::test::EncodeTestJpeg(64, 48, 3);
    const struct
    {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"cut.jpg", std::string(jpeg.begin(), jpeg.begin() + 120)},
        {"cut.png", orvo::test::ReadFileBytes(png).substr(0, 60)},
        {"cut.bmp", std::string(bmp.begin(), bmp.begin() + 40)},
    };
    const COLORREF text = (g_options.ListCtrlColor ^ 0xFFFFFF) & 0xFFFFFF;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_pane.ShowFile(nullptr, Write(c.name, c.bytes).c_str(), "", -1);
        ASSERT_TRUE(Settled());
        EXPECT_FALSE(Thread().IsRasterHeld());
        const std::set<COLORREF> inside = Print().Inside();
        EXPECT_GE(inside.size(), 2u) << "the pane is not empty";
        EXPECT_EQ(inside.count(text), 1u) << "the failure text is written";
        ASSERT_TRUE(ShowImageAndWait(std::string("after-") + c.name + ".bmp"));
        const std::set<COLORREF> after = Print().Inside();
        EXPECT_EQ(after.count(RGB(255, 0, 0)), 1u);
        EXPECT_EQ(after.count(text), 0u) << "no failure text over a good image";
    }
}
