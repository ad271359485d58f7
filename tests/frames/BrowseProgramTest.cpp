// The real program in browse mode, started on a temporary copy of the sample drawings plus
// generated images under a registry root of the test's own: the list shows every file, the status
// bar counts them and the thumbnail progress ends, a selected drawing shows in the preview, Enter
// opens it in the view frame and Escape comes back with the selection kept; a second start
// restores what the first one left (bars, place, view type, sort). The program's windows are read
// from here: texts through a buffer in the program's memory.
#include "tests/support/TestSupport.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using orvo::test::TempDir;
using orvo::test::WaitFor;

const char kRootVariable[] = "ORVO_KESTAL_REGISTRY_ROOT";
const char kBrowseClass[] = "OrvoKestalBrowseFrame";
const char kViewClass[] = "OrvoKestalViewFrame";
const UINT kCentrePaneId = 0xE900;
const UINT kStatusBarId = 0xE801;
const UINT kTreeBarId = 106;
const UINT kCmdDetails = 59411;
const UINT kCmdSortBySize = 22802;
const UINT kCmdFolderArea = 106;
const DWORD kStartLimitMs = 30000;
const DWORD kThumbnailLimitMs = 120000;

struct WindowSearch {
    DWORD processId;
    const char* className;
    HWND hWnd;
};

BOOL CALLBACK FindTopLevel(HWND hWnd, LPARAM lParam)
{
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hWnd, &pid);
    char name[128] = {};
    GetClassNameA(hWnd, name, sizeof(name));
    if (pid == search->processId && std::string(name) == search->className) {
        search->hWnd = hWnd;
        return FALSE;
    }
    return TRUE;
}

HWND FindFrame(DWORD processId, const char* className)
{
    WindowSearch search = {processId, className, nullptr};
    EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.hWnd;
}

struct ChildSearch {
    UINT id;
    HWND hWnd;
};

BOOL CALLBACK FindChildById(HWND hWnd, LPARAM lParam)
{
    auto* search = reinterpret_cast<ChildSearch*>(lParam);
    if (static_cast<UINT>(GetDlgCtrlID(hWnd)) == search->id) {
        search->hWnd = hWnd;
        return FALSE;
    }
    return TRUE;
}

// Any descendant with that id (the sizing bars sit inside the dock bars).
HWND FindChild(HWND parent, UINT id)
{
    ChildSearch search = {id, nullptr};
    EnumChildWindows(parent, FindChildById, reinterpret_cast<LPARAM>(&search));
    return search.hWnd;
}

// A buffer in the program's memory for the controls' messages that fill a structure or text.
class RemoteBuffer
{
public:
    RemoteBuffer(HANDLE process, size_t size)
        : m_process(process), m_size(size),
          m_address(VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE))
    {
    }
    ~RemoteBuffer()
    {
        if (m_address)
            VirtualFreeEx(m_process, m_address, 0, MEM_RELEASE);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    LPARAM Address() const { return reinterpret_cast<LPARAM>(m_address); }
    char* At(size_t offset) const { return static_cast<char*>(m_address) + offset; }
    bool Write(const void* data, size_t size, size_t offset = 0) const
    {
        return size + offset <= m_size && WriteProcessMemory(m_process, At(offset), data, size, nullptr);
    }
    std::string ReadText(size_t offset = 0) const
    {
        std::vector<char> text(m_size - offset + 1, '\0');
        if (!ReadProcessMemory(m_process, At(offset), text.data(), m_size - offset, nullptr))
            return "<unreadable>";
        return text.data();
    }

private:
    HANDLE m_process;
    size_t m_size;
    void* m_address;
};

struct Program {
    PROCESS_INFORMATION info = {};
    ~Program()
    {
        if (info.hProcess) {
            if (WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT)
                TerminateProcess(info.hProcess, 99);
            CloseHandle(info.hProcess);
        }
        if (info.hThread)
            CloseHandle(info.hThread);
    }
};

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
        const std::string samples = orvo::test::SamplesDir();
        if (samples.empty())
            return false;
        WIN32_FIND_DATAA found = {};
        const HANDLE find = FindFirstFileA((samples + "\\dwg\\*.dwg").c_str(), &found);
        if (find == INVALID_HANDLE_VALUE)
            return false;
        do {
            CopyFileA((samples + "\\dwg\\" + found.cFileName).c_str(), (m_folder / found.cFileName).c_str(), FALSE);
            m_names.push_back(found.cFileName);
        } while (FindNextFileA(find, &found));
        FindClose(find);
        for (int i = 0; i < 3; ++i) {
            const std::string name = "picture" + std::to_string(i) + ".bmp";
            WriteBmp(m_folder / name, 40 + 20 * i, 30 + 10 * i);
            m_names.push_back(name);
        }
        return true;
    }

    static void WriteBmp(const std::string& path, int width, int height)
    {
        const int row = (width * 3 + 3) & ~3;
        BITMAPFILEHEADER file = {};
        BITMAPINFOHEADER info = {};
        info.biSize = sizeof(info);
        info.biWidth = width;
        info.biHeight = height;
        info.biPlanes = 1;
        info.biBitCount = 24;
        info.biSizeImage = row * height;
        file.bfType = 0x4D42;
        file.bfOffBits = sizeof(file) + sizeof(info);
        file.bfSize = file.bfOffBits + info.biSizeImage;
        std::string bytes(reinterpret_cast<const char*>(&file), sizeof(file));
        bytes.append(reinterpret_cast<const char*>(&info), sizeof(info));
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < row; ++x)
                bytes.push_back(static_cast<char>((x * 7 + y * 3) & 0xFF));
        ASSERT_TRUE(orvo::test::WriteFileBytes(path, bytes.data(), bytes.size()));
    }

    // Starts the program on the folder and waits for the browse frame and its list.
    void Start()
    {
        m_program = std::make_unique<Program>();
        std::string command = "\"" + orvo::test::ProgramPath("OrvoKestal.exe") + "\" \"" + m_folder.Path() + "\"";
        STARTUPINFOA si = {sizeof(si)};
        ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                                   &m_program->info));
        const DWORD pid = m_program->info.dwProcessId;
        ASSERT_TRUE(WaitFor(
            [&] {
                m_frame = FindFrame(pid, kBrowseClass);
                m_list = m_frame ? FindChild(m_frame, kCentrePaneId) : nullptr;
                return m_list && IsWindowVisible(m_frame);
            },
            kStartLimitMs));
        m_status = FindChild(m_frame, kStatusBarId);
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

    std::vector<std::string> PaneTexts() const
    {
        std::vector<std::string> texts;
        const int parts = static_cast<int>(SendMessageA(m_status, SB_GETPARTS, 0, 0));
        RemoteBuffer buffer(m_program->info.hProcess, 1024);
        for (int i = 0; i < parts && i < 16; ++i) {
            const LRESULT length = SendMessageA(m_status, SB_GETTEXTLENGTHA, i, 0);
            if (LOWORD(length) >= 1000) {
                texts.push_back("<long>");
                continue;
            }
            SendMessageA(m_status, SB_GETTEXTA, i, buffer.Address());
            texts.push_back(buffer.ReadText());
        }
        return texts;
    }

    std::string ItemText(int row) const
    {
        RemoteBuffer buffer(m_program->info.hProcess, sizeof(LVITEMA) + 512);
        LVITEMA item = {};
        item.iSubItem = 0;
        item.cchTextMax = 500;
        item.pszText = buffer.At(sizeof(LVITEMA));
        buffer.Write(&item, sizeof(item));
        SendMessageA(m_list, LVM_GETITEMTEXTA, row, buffer.Address());
        return buffer.ReadText(sizeof(LVITEMA));
    }

    void SelectRow(int row) const
    {
        RemoteBuffer buffer(m_program->info.hProcess, sizeof(LVITEMA));
        LVITEMA item = {};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = LVIS_SELECTED | LVIS_FOCUSED;
        buffer.Write(&item, sizeof(item));
        SendMessageA(m_list, LVM_SETITEMSTATE, row, buffer.Address());
    }

    int RowOf(const std::string& name) const
    {
        for (int row = 0; row < ItemCount(); ++row) {
            if (ItemText(row) == name)
                return row;
        }
        return -1;
    }

    // The folder summary in the first pane, and no progress pane left.
    bool ThumbnailsDone(const std::string& summary) const
    {
        const std::vector<std::string> texts = PaneTexts();
        const bool progress = std::find(texts.begin(), texts.end(), std::string(46, ' ')) != texts.end();
        return !texts.empty() && texts.front() == summary && !progress;
    }

    TempDir m_folder;
    std::vector<std::string> m_names;
    std::string m_key;
    std::unique_ptr<Program> m_program;
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
            view = FindFrame(m_program->info.dwProcessId, kViewClass);
            return view && IsWindowVisible(view) && !IsWindowVisible(m_frame);
        },
        kStartLimitMs));
    PostMessageA(view, WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(m_frame) && !IsWindowVisible(view); }, kStartLimitMs));
    EXPECT_EQ(SendMessageA(m_list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), row);
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
    // Sorting and the views other than thumbnails wait for the thumbnail work: it has ended.
    SendMessageA(m_frame, WM_COMMAND, kCmdDetails, 0);
    SendMessageA(m_frame, WM_COMMAND, kCmdSortBySize, 0);
    SendMessageA(m_frame, WM_COMMAND, kCmdFolderArea, 0);
    const HWND tree = FindChild(m_frame, kTreeBarId);
    ASSERT_NE(tree, nullptr);
    EXPECT_FALSE(IsWindowVisible(tree));
    RECT before = {};
    GetWindowRect(m_frame, &before);
    const bool zoomed = IsZoomed(m_frame) != FALSE;
    Close();

    Start();
    ASSERT_TRUE(WaitFor([&] { return ItemCount() == files; }, kStartLimitMs));
    EXPECT_EQ(GetWindowLongA(m_list, GWL_STYLE) & LVS_TYPEMASK, LVS_REPORT);
    EXPECT_FALSE(IsWindowVisible(FindChild(m_frame, kTreeBarId))) << "the folder area stays hidden";
    EXPECT_TRUE(IsWindowVisible(FindChild(m_frame, 105)));
    RECT after = {};
    GetWindowRect(m_frame, &after);
    EXPECT_EQ(IsZoomed(m_frame) != FALSE, zoomed);
    // A maximized frame comes back maximized; a normal one at its place and size.
    if (!zoomed) {
        EXPECT_TRUE(EqualRect(&before, &after));
    }
    // By size (the list's kilobytes), smallest first.
    std::vector<ULONGLONG> sizes;
    for (int row = 0; row < ItemCount(); ++row) {
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        ASSERT_TRUE(GetFileAttributesExA((m_folder / ItemText(row)).c_str(), GetFileExInfoStandard, &data))
            << ItemText(row);
        const ULONGLONG bytes = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        sizes.push_back(bytes <= 1024 ? 1 : (bytes + 1023) / 1024);
    }
    EXPECT_TRUE(std::is_sorted(sizes.begin(), sizes.end()));
    Close();
}

} // namespace
