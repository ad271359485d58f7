// The real program in browse mode, started on a temporary copy of the sample drawings plus
// generated images under a registry root of the test's own: the list shows every file, the status
// bar counts them and the thumbnail progress ends, a selected drawing shows in the preview, Enter
// opens it in the view frame and Escape comes back with the selection kept; the folder tree
// selects the start folder and the path box names it; a second start
// restores what the first one left (bars, place, view type, sort). The program's windows are read
// from here: texts through a buffer in the program's memory.
#include "tests/support/ProgramWindows.h"
#include "tests/support/TestSupport.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

using orvo::test::FindDescendant;
using orvo::test::FindTopLevelOf;
using orvo::test::SelectedTreeItemText;
using orvo::test::TempDir;
using orvo::test::WaitFor;

const char kRootVariable[] = "ORVO_KESTAL_REGISTRY_ROOT";
const char kBrowseClass[] = "OrvoKestalBrowseFrame";
const char kViewClass[] = "OrvoKestalViewFrame";
const UINT kCentrePaneId = 0xE900;
const UINT kStatusBarId = 0xE801;
const UINT kTreeBarId = 106;
const UINT kTreeId = 108;
const UINT kListId = 112;
const UINT kPathBoxId = 102;
const UINT kCmdDetails = 59411;
const UINT kCmdSortBySize = 22802;
const UINT kCmdFolderArea = 106;
const DWORD kStartLimitMs = 30000;
const DWORD kThumbnailLimitMs = 120000;

class BrowseProgram : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_key = "Software\\OrvoKestalTests\\browse-program-" + std::to_string(GetCurrentProcessId()) +
                "\\Orvo DWG Viewer";
        SetEnvironmentVariableA(kRootVariable, (m_key + "\\").c_str());
    }
    void TearDown() override
    {
        SetEnvironmentVariableA(kRootVariable, nullptr);
        SHDeleteKeyA(HKEY_CURRENT_USER, m_key.c_str());
    }

    // The sample drawings and a few generated images; false when the samples are absent.
    bool MakeFolder()
    {
        m_names = orvo::test::SampleDwgNames();
        if (m_names.empty())
            return false;
        const std::string samples = orvo::test::SamplesDir() + "\\dwg\\";
        for (const std::string& name : m_names)
            CopyFileA((samples + name).c_str(), (m_folder / name).c_str(), FALSE);
        for (int i = 0; i < 3; ++i) {
            const std::string name = "picture" + std::to_string(i) + ".bmp";
            const std::string bytes = orvo::test::BmpFileBytes(40 + 20 * i, 30 + 10 * i, i);
            if (!orvo::test::WriteFileBytes(m_folder / name, bytes.data(), bytes.size()))
                return false;
            m_names.push_back(name);
        }
        return true;
    }

    // Starts the program on the folder and waits for the browse frame and its list.
    void Start()
    {
        m_program = std::make_unique<orvo::test::ProgramProcess>();
        std::string command = "\"" + orvo::test::ProgramPath("OrvoKestal.exe") + "\" \"" + m_folder.Path() + "\"";
        STARTUPINFOA si = {sizeof(si)};
        ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                                   &m_program->info));
        const DWORD pid = m_program->info.dwProcessId;
        ASSERT_TRUE(WaitFor(
            [&] {
                m_frame = FindTopLevelOf(pid, kBrowseClass);
                const HWND view = m_frame ? FindDescendant(m_frame, kCentrePaneId) : nullptr;
                m_list = view ? FindDescendant(view, kListId) : nullptr;
                return m_list && IsWindowVisible(m_frame);
            },
            kStartLimitMs));
        m_status = FindDescendant(m_frame, kStatusBarId);
    }

    void Close()
    {
        PostMessageA(m_frame, WM_CLOSE, 0, 0);
        ASSERT_EQ(WaitForSingleObject(m_program->info.hProcess, kStartLimitMs), WAIT_OBJECT_0);
        DWORD exitCode = 1;
        GetExitCodeProcess(m_program->info.hProcess, &exitCode);
        EXPECT_EQ(exitCode, 0u);
        m_program.reset();
    }

    int ItemCount() const { return static_cast<int>(SendMessageA(m_list, LVM_GETITEMCOUNT, 0, 0)); }

    std::vector<std::string> PaneTexts() const { return orvo::test::StatusPaneTexts(m_program->info.hProcess, m_status); }
    std::string WindowText(HWND window) const
    {
        char text[MAX_PATH] = {};
        // GetWindowText does not ask another process's window for its text; WM_GETTEXT does.
        SendMessageA(window, WM_GETTEXT, MAX_PATH, reinterpret_cast<LPARAM>(text));
        return text;
    }

    std::string ItemText(int row) const { return orvo::test::ListItemText(m_program->info.hProcess, m_list, row); }
    void SelectRow(int row) const { orvo::test::SelectListRow(m_program->info.hProcess, m_list, row); }

    int RowOf(const std::string& name) const
    {
        for (int row = 0; row < ItemCount(); ++row) {
            if (ItemText(row) == name)
                return row;
        }
        return -1;
    }

    bool IsReportView() const { return (GetWindowLongA(m_list, GWL_STYLE) & LVS_TYPEMASK) == LVS_REPORT; }

    // By size (the list's kilobytes), smallest first.
    bool SortedBySize() const
    {
        std::vector<ULONGLONG> sizes;
        for (int row = 0; row < ItemCount(); ++row) {
            WIN32_FILE_ATTRIBUTE_DATA data = {};
            if (!GetFileAttributesExA((m_folder / ItemText(row)).c_str(), GetFileExInfoStandard, &data))
                return false;
            const ULONGLONG bytes = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
            sizes.push_back(bytes <= 1024 ? 1 : (bytes + 1023) / 1024);
        }
        return std::is_sorted(sizes.begin(), sizes.end());
    }

    template <typename Done>
    bool CommandTakes(UINT command, Done done) const
    {
        return WaitFor(
            [&] {
                SendMessageA(m_frame, WM_COMMAND, command, 0);
                return done();
            },
            kStartLimitMs);
    }

    // The folder summary in the first pane (the files' total size may follow it), and no progress
    // pane left.
    bool ThumbnailsDone(const std::string& summary) const
    {
        const std::vector<std::string> texts = PaneTexts();
        const bool progress = std::find(texts.begin(), texts.end(), std::string(46, ' ')) != texts.end();
        return !texts.empty() && texts.front().rfind(summary, 0) == 0 && !progress;
    }

    TempDir m_folder;
    std::vector<std::string> m_names;
    std::string m_key;
    std::unique_ptr<orvo::test::ProgramProcess> m_program;
    HWND m_frame = nullptr;
    HWND m_list = nullptr;
    HWND m_status = nullptr;
};

TEST_F(BrowseProgram, ShowsEveryFileWithThumbnailsPreviewsOpensAndComesBackWithTheSelection)
{
    if (!MakeFolder())
        GTEST_SKIP() << "the shared sample drawings are absent";
    Start();
    const int files = static_cast<int>(m_names.size());
    ASSERT_TRUE(WaitFor([&] { return ItemCount() == files; }, kStartLimitMs)) << ItemCount() << " of " << files;
    const std::string summary = std::to_string(files) + " objects " + std::to_string(files) + " drawing files";
    EXPECT_TRUE(WaitFor([&] { return ThumbnailsDone(summary); }, kThumbnailLimitMs))
        << (PaneTexts().empty() ? "<no panes>" : PaneTexts().front());

    // A drawing selected shows in the preview: its information fills the last pane.
    const int row = RowOf(m_names.front());
    ASSERT_NE(row, -1);
    SelectRow(row);
    EXPECT_TRUE(WaitFor(
        [&] {
            const std::vector<std::string> texts = PaneTexts();
            return texts.size() >= 2 && texts[1] == m_names.front() && texts.back().find("Create") != std::string::npos;
        },
        kStartLimitMs))
        << PaneTexts().back();

    // Enter opens it in the view frame; Escape comes back to the browser with the row selected.
    PostMessageA(m_list, WM_KEYDOWN, VK_RETURN, 0);
    HWND view = nullptr;
    ASSERT_TRUE(WaitFor(
        [&] {
            view = FindTopLevelOf(m_program->info.dwProcessId, kViewClass);
            return view && IsWindowVisible(view) && !IsWindowVisible(m_frame);
        },
        kStartLimitMs));
    PostMessageA(view, WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(m_frame) && !IsWindowVisible(view); }, kStartLimitMs));
    EXPECT_EQ(SendMessageA(m_list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), row);
    Close();
}

// The folder the program was started on is the one the folder tree selects and the path box
// above the list names.
TEST_F(BrowseProgram, TreeSelectsAndPathBoxNamesTheStartFolder)
{
    Start();
    const HWND tree = FindDescendant(m_frame, kTreeId);
    const HWND view = FindDescendant(m_frame, kCentrePaneId);
    const HWND pathBox = view ? FindDescendant(view, kPathBoxId) : nullptr;
    ASSERT_NE(tree, nullptr);
    ASSERT_NE(pathBox, nullptr);
    const std::string folder = m_folder.Path();
    const std::string leaf = folder.substr(folder.find_last_of('\\') + 1);
    EXPECT_TRUE(WaitFor([&] { return SelectedTreeItemText(m_program->info.hProcess, tree) == leaf; }, kStartLimitMs))
        << SelectedTreeItemText(m_program->info.hProcess, tree) << " for " << leaf;
    EXPECT_TRUE(WaitFor([&] { return _stricmp(WindowText(pathBox).c_str(), folder.c_str()) == 0; }, kStartLimitMs))
        << WindowText(pathBox) << " for " << folder;
    Close();
}

TEST_F(BrowseProgram, SecondStartRestoresBarsPlaceViewTypeAndSort)
{
    if (!MakeFolder())
        GTEST_SKIP() << "the shared sample drawings are absent";
    Start();
    const int files = static_cast<int>(m_names.size());
    const std::string summary = std::to_string(files) + " objects " + std::to_string(files) + " drawing files";
    ASSERT_TRUE(WaitFor([&] { return ThumbnailsDone(summary); }, kThumbnailLimitMs));
    // Sorting and the views other than thumbnails wait until the thumbnail thread is idle, which
    // may be a moment after the progress pane has gone: a command is sent again until it took.
    ASSERT_TRUE(CommandTakes(kCmdDetails, [&] { return IsReportView(); }));
    ASSERT_TRUE(CommandTakes(kCmdSortBySize, [&] { return SortedBySize(); }));
    SendMessageA(m_frame, WM_COMMAND, kCmdFolderArea, 0);
    const HWND tree = FindDescendant(m_frame, kTreeBarId);
    ASSERT_NE(tree, nullptr);
    EXPECT_FALSE(IsWindowVisible(tree));
    RECT before = {};
    GetWindowRect(m_frame, &before);
    const bool zoomed = IsZoomed(m_frame) != FALSE;
    Close();

    Start();
    ASSERT_TRUE(WaitFor([&] { return ItemCount() == files; }, kStartLimitMs));
    EXPECT_TRUE(IsReportView());
    EXPECT_FALSE(IsWindowVisible(FindDescendant(m_frame, kTreeBarId))) << "the folder area stays hidden";
    EXPECT_TRUE(IsWindowVisible(FindDescendant(m_frame, 105)));
    RECT after = {};
    GetWindowRect(m_frame, &after);
    EXPECT_EQ(IsZoomed(m_frame) != FALSE, zoomed);
    // A maximized frame comes back maximized; a normal one at its place and size.
    if (!zoomed) {
        EXPECT_TRUE(EqualRect(&before, &after));
    }
    EXPECT_TRUE(SortedBySize());
    Close();
}

} // namespace
