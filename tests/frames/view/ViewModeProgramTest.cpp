// The real program in view mode: started with a drawing, a DXF, a JPEG or a missing file on its
// command line it shows the view frame with the file in its title, the picture painted in the
// view (grabbed from the screen), the drawing's name in the status bar; "Browser mode" goes back
// to the browser; the position and full screen survive a restart. Each start is bounded.
#include "tests/support/TestSupport.h"

#include <shlwapi.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

const char kRootVariable[] = "ORVO_KESTAL_REGISTRY_ROOT";
const char kViewClass[] = "OrvoKestalViewFrame";
const char kBrowseClass[] = "OrvoKestalBrowseFrame";
constexpr UINT kViewPaneId = 0xE900;
constexpr UINT kStatusBarId = 0xE801;
constexpr UINT kTabStripId = 144; // in the status bar
constexpr UINT kBrowserModeCommand = 32829;
constexpr UINT kFullScreenCommand = 32862;
constexpr DWORD kStartMs = 40000;


std::string TextOf(HWND window)
{
    char text[1024] = {};
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                        &ignored);
    return text;
}

// Pixels of the window's client area, read from the screen; the count of those that differ from
// the most common colour (the background).
int DrawnPixels(HWND window)
{
    RECT client = {};
    GetClientRect(window, &client);
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    const int width = client.right;
    const int height = client.bottom;
    if (width < 10 || height < 10)
        return 0;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(dc, bitmap);
    BitBlt(dc, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
    ReleaseDC(nullptr, screen);
    std::map<COLORREF, int> counts;
    for (int y = 2; y < height - 2; y += 3) {
        for (int x = 2; x < width - 2; x += 3)
            ++counts[GetPixel(dc, x, y)];
    }
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    int total = 0;
    int most = 0;
    for (const auto& entry : counts) {
        total += entry.second;
        most = std::max(most, entry.second);
    }
    return total - most;
}

class Program
{
public:
    ~Program() { Close(); }

    bool Start(const std::string& argument)
    {
        std::string command = "\"" + orvo::test::ProgramPath("OrvoKestal.exe") + "\" \"" + argument + "\"";
        STARTUPINFOA si = {sizeof(si)};
        if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &m_info))
            return false;
        return orvo::test::WaitFor(
            [this] {
                m_view = orvo::test::FindTopWindowOf(m_info.dwProcessId, kViewClass);
                return m_view && IsWindowVisible(m_view);
            },
            kStartMs);
    }

    HWND View() const { return m_view; }
    HWND Pane() const { return GetDlgItem(m_view, kViewPaneId); }
    HWND StatusBar() const { return GetDlgItem(m_view, kStatusBarId); }
    HWND Tabs() const { return GetDlgItem(StatusBar(), kTabStripId); }
    DWORD ProcessId() const { return m_info.dwProcessId; }

    // The view shows more than its background, and the title names the file.
    bool WaitForPicture(const std::string& path, int minimumPixels) const
    {
        return orvo::test::WaitFor(
            [&] { return TextOf(m_view).find(path) != std::string::npos && DrawnPixels(Pane()) >= minimumPixels; },
            kStartMs);
    }

    // Closes the program the way the user does; true when it ended by itself with code 0.
    bool Close()
    {
        if (!m_info.hProcess)
            return false;
        HWND main = m_view && IsWindowVisible(m_view) ? m_view : orvo::test::FindTopWindowOf(m_info.dwProcessId, kBrowseClass);
        if (main)
            PostMessageA(main, WM_CLOSE, 0, 0);
        const bool ended = WaitForSingleObject(m_info.hProcess, 30000) == WAIT_OBJECT_0;
        DWORD code = 1;
        GetExitCodeProcess(m_info.hProcess, &code);
        if (!ended)
            TerminateProcess(m_info.hProcess, 99);
        CloseHandle(m_info.hProcess);
        CloseHandle(m_info.hThread);
        m_info = {};
        return ended && code == 0;
    }

private:
    PROCESS_INFORMATION m_info = {};
    HWND m_view = nullptr;
};

// The program's settings live under a key of this test alone.
class ViewModeProgram : public ::testing::Test
{
protected:
    void SetUp() override
    {
        static int counter = 0;
        m_key = "Software\\OrvoKestalTests\\view-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(counter++) + "\\Orvo DWG Viewer";
        SetEnvironmentVariableA(kRootVariable, (m_key + "\\").c_str());
    }
    void TearDown() override
    {
        SetEnvironmentVariableA(kRootVariable, nullptr);
        SHDeleteKeyA(HKEY_CURRENT_USER, m_key.c_str());
    }
    DWORD ReadDword(const char* name) const
    {
        DWORD value = 0xDEAD;
        DWORD size = sizeof(value);
        SHGetValueA(HKEY_CURRENT_USER, (m_key + "\\ViewWindow").c_str(), name, nullptr, &value, &size);
        return value;
    }

    std::string m_key;
};

struct FileCase
{
    const char* relative; // under the samples folder
    int minimumPixels;    // the drawing (or the failure text) is painted
    bool statusNamesFile;
    bool hasLayouts; // a drawing: the tab strip shows the current page or layout
};

class ViewModeFiles : public ViewModeProgram, public ::testing::WithParamInterface<FileCase>
{
};

} // namespace

TEST_P(ViewModeFiles, TheFileIsShownFullSizeWithItsNameInTitleAndStatusBar)
{
    ORVO_REQUIRE_SAMPLES(samples);
    const std::string path = samples + "\\" + GetParam().relative;
    Program program;
    ASSERT_TRUE(program.Start(path)) << "the view frame was not shown";
    EXPECT_TRUE(program.WaitForPicture(path, GetParam().minimumPixels))
        << TextOf(program.View()) << ": " << DrawnPixels(program.Pane()) << " pixels drawn";
    RECT frame = {};
    RECT pane = {};
    GetClientRect(program.View(), &frame);
    GetClientRect(program.Pane(), &pane);
    EXPECT_GT(pane.right, frame.right - 20) << "the view fills the frame's width";
    EXPECT_GT(pane.bottom, frame.bottom - 120) << "and its height between the bars";
    if (GetParam().statusNamesFile) {
        const std::string name = path.substr(path.rfind('\\') + 1);
        EXPECT_TRUE(orvo::test::WaitFor([&] { return TextOf(program.StatusBar()).find(name) != std::string::npos; },
                                        10000))
            << TextOf(program.StatusBar());
    }
    if (GetParam().hasLayouts) {
        EXPECT_TRUE(orvo::test::WaitFor(
            [&] { return IsWindowVisible(program.Tabs()) && !TextOf(program.Tabs()).empty(); }, 10000))
            << "the tab strip names no layout: \"" << TextOf(program.Tabs()) << "\"";
    }
    EXPECT_TRUE(program.Close());
}

INSTANTIATE_TEST_SUITE_P(Samples, ViewModeFiles,
                         ::testing::Values(FileCase{"dwg\\example_r13.dwg", 300, true, true},
                                           FileCase{"dwg\\example_r14.dwg", 300, true, true},
                                           FileCase{"dwg\\example_2000.dwg", 300, true, true},
                                           FileCase{"dwg\\example_2004.dwg", 300, true, true},
                                           FileCase{"dwg\\example_2007.dwg", 300, true, true},
                                           FileCase{"dwg\\example_2010.dwg", 300, true, true},
                                           FileCase{"dwg\\example_2013.dwg", 300, true, true},
                                           FileCase{"dwg\\example_2018.dwg", 300, true, true},
                                           FileCase{"dwg\\r14_Leader.dwg", 100, true, true},
                                           FileCase{"dwg\\sample_2000.dwg", 100, true, true},
                                           FileCase{"dwg\\sample_2018.dwg", 100, true, true},
                                           FileCase{"dwg\\example_2018.dxf", 300, true, true},
                                           FileCase{"dwg\\2000\\Arc.jpg", 300, false, false}),
                         [](const ::testing::TestParamInfo<FileCase>& info) {
                             const std::string path = info.param.relative;
                             return orvo::test::TestNameOf(path.substr(path.rfind('\\') + 1));
                         });

TEST_F(ViewModeProgram, ABrokenDrawingShowsTheFailureAndTheFrameStaysUsable)
{
    orvo::test::TempDir dir;
    const std::string path = dir / "broken.dwg";
    ASSERT_TRUE(orvo::test::WriteFileBytes(path, "AC1018 this is not a drawing", 28));
    Program program;
    ASSERT_TRUE(program.Start(path));
    EXPECT_TRUE(program.WaitForPicture(path, 20)) << "the failure text is painted";
    PostMessageA(program.View(), WM_COMMAND, kBrowserModeCommand, 0);
    EXPECT_TRUE(orvo::test::WaitFor(
        [&] {
            const HWND browse = orvo::test::FindTopWindowOf(program.ProcessId(), kBrowseClass);
            return browse && IsWindowVisible(browse);
        },
        kStartMs));
    EXPECT_TRUE(program.Close());
}

TEST_F(ViewModeProgram, AMissingFileStartsTheBrowser)
{
    orvo::test::TempDir dir;
    const std::string path = dir / "missing.dwg";
    std::string command = "\"" + orvo::test::ProgramPath("OrvoKestal.exe") + "\" \"" + path + "\"";
    STARTUPINFOA si = {sizeof(si)};
    PROCESS_INFORMATION info = {};
    ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &info));
    HWND browse = nullptr;
    EXPECT_TRUE(orvo::test::WaitFor(
        [&] {
            browse = orvo::test::FindTopWindowOf(info.dwProcessId, kBrowseClass);
            return browse && IsWindowVisible(browse);
        },
        kStartMs));
    if (browse)
        PostMessageA(browse, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(info.hProcess, 30000) != WAIT_OBJECT_0)
        TerminateProcess(info.hProcess, 99);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
}

TEST_F(ViewModeProgram, BrowserModeGoesBackToTheBrowser)
{
    ORVO_REQUIRE_SAMPLES(samples);
    Program program;
    ASSERT_TRUE(program.Start(samples + "\\dwg\\sample_2018.dwg"));
    ASSERT_TRUE(program.WaitForPicture("sample_2018.dwg", 50));
    PostMessageA(program.View(), WM_COMMAND, kBrowserModeCommand, 0);
    EXPECT_TRUE(orvo::test::WaitFor(
        [&] {
            const HWND browse = orvo::test::FindTopWindowOf(program.ProcessId(), kBrowseClass);
            return browse && IsWindowVisible(browse) && !IsWindowVisible(program.View());
        },
        kStartMs));
    EXPECT_TRUE(program.Close());
}

TEST_F(ViewModeProgram, PositionAndFullScreenSurviveARestart)
{
    ORVO_REQUIRE_SAMPLES(samples);
    const std::string path = samples + "\\dwg\\sample_2000.dwg";
    {
        Program program;
        ASSERT_TRUE(program.Start(path));
        ASSERT_TRUE(program.WaitForPicture(path, 50));
        SetWindowPos(program.View(), nullptr, 40, 50, 760, 560, SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageA(program.View(), WM_COMMAND, kFullScreenCommand, 0);
        EXPECT_TRUE(program.Close());
    }
    EXPECT_EQ(ReadDword("Left"), 40u);
    EXPECT_EQ(ReadDword("Top"), 50u);
    EXPECT_EQ(ReadDword("Right"), 800u);
    EXPECT_EQ(ReadDword("Bottom"), 610u);
    EXPECT_EQ(ReadDword("FullScreen"), 1u);

    Program again;
    ASSERT_TRUE(again.Start(path));
    ASSERT_TRUE(again.WaitForPicture(path, 50));
    RECT pane = {};
    GetClientRect(again.Pane(), &pane);
    POINT origin = {0, 0};
    ClientToScreen(again.Pane(), &origin);
    EXPECT_EQ(origin.x, 0);
    EXPECT_EQ(origin.y, 0);
    EXPECT_EQ(pane.right, GetSystemMetrics(SM_CXSCREEN)) << "full screen again";
    SendMessageA(again.View(), WM_COMMAND, kFullScreenCommand, 0);
    RECT window = {};
    GetWindowRect(again.View(), &window);
    EXPECT_EQ(window.left, 40);
    EXPECT_EQ(window.top, 50);
    EXPECT_EQ(window.right, 800);
    EXPECT_EQ(window.bottom, 610);
    EXPECT_TRUE(again.Close());
    EXPECT_EQ(ReadDword("FullScreen"), 0u);
}
