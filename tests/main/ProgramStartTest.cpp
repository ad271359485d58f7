// Starts the real program under a registry root of the test's own, with a file or a folder on
// its command line; checks which main frame is shown, closes it as a user does and checks what
// shut-down saved.
#include "tests/support/ProgramWindows.h"
#include "tests/support/TestSupport.h"

#include <shlwapi.h>

#include <gtest/gtest.h>

#include <string>

namespace {

const char kRootVariable[] = "ORVO_KESTAL_REGISTRY_ROOT";
const char kBrowseClass[] = "OrvoKestalBrowseFrame";
const char kViewClass[] = "OrvoKestalViewFrame";

// The program's settings live under "Software\<key>\Orvo DWG Viewer\" of this test alone.
class ProgramStart : public ::testing::Test
{
protected:
    void SetUp() override
    {
        static int counter = 0;
        m_key = "Software\\OrvoKestalTests\\start-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(counter++) + "\\Orvo DWG Viewer";
        SetEnvironmentVariableA(kRootVariable, (m_key + "\\").c_str());
    }
    void TearDown() override
    {
        SetEnvironmentVariableA(kRootVariable, nullptr);
        SHDeleteKeyA(HKEY_CURRENT_USER, m_key.c_str());
    }

    void SeedLastViewPath(const std::string& path) const
    {
        SHSetValueA(HKEY_CURRENT_USER, (m_key + "\\main").c_str(), "LastViewPath", REG_SZ, path.c_str(),
                    static_cast<DWORD>(path.size() + 1));
    }
    std::string LastViewPath() const
    {
        char buffer[1024] = {};
        DWORD size = sizeof(buffer) - 1;
        if (SHGetValueA(HKEY_CURRENT_USER, (m_key + "\\main").c_str(), "LastViewPath", nullptr, buffer,
                        &size) != ERROR_SUCCESS)
            return "<none>";
        return buffer;
    }
    void SeedDword(const std::string& subkey, const char* name, DWORD value) const
    {
        SHSetValueA(HKEY_CURRENT_USER, (m_key + "\\" + subkey).c_str(), name, REG_DWORD, &value, sizeof(value));
    }
    DWORD ReadDword(const std::string& subkey, const char* name) const
    {
        DWORD value = 0;
        DWORD size = sizeof(value);
        SHGetValueA(HKEY_CURRENT_USER, (m_key + "\\" + subkey).c_str(), name, nullptr, &value, &size);
        return value;
    }
    bool GuardValueLeft() const
    {
        DWORD value = 0;
        DWORD size = sizeof(value);
        return SHGetValueA(HKEY_CURRENT_USER, (m_key + "\\InitFlag").c_str(), "InitFlag", nullptr, &value,
                           &size) == ERROR_SUCCESS;
    }

    // Starts the program with one argument, waits for the frame expected to be shown, checks that
    // the other frame exists hidden, and closes the shown one.
    void RunWith(const std::string& argument, const char* shownClass, const char* hiddenClass)
    {
        std::string command = "\"" + orvo::test::ProgramPath("OrvoKestal.exe") + "\" \"" + argument + "\"";
        STARTUPINFOA si = {sizeof(si)};
        orvo::test::ProgramProcess process;
        ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                   &si, &process.info));
        const DWORD pid = process.info.dwProcessId;
        HWND shown = nullptr;
        ASSERT_TRUE(orvo::test::WaitFor(
            [&] {
                shown = orvo::test::FindTopLevelOf(pid, shownClass);
                return shown && IsWindowVisible(shown);
            },
            30000))
            << "the " << shownClass << " was not shown";
        const HWND hidden = orvo::test::FindTopLevelOf(pid, hiddenClass);
        ASSERT_NE(hidden, nullptr) << "both frames exist for the program's life";
        EXPECT_FALSE(IsWindowVisible(hidden));

        PostMessageA(shown, WM_CLOSE, 0, 0);
        ASSERT_EQ(WaitForSingleObject(process.info.hProcess, 30000), WAIT_OBJECT_0);
        DWORD exitCode = 1;
        GetExitCodeProcess(process.info.hProcess, &exitCode);
        EXPECT_EQ(exitCode, 0u);
    }

    std::string m_key;
};

TEST_F(ProgramStart, FileArgumentOpensViewFrameAndKeepsLastPath)
{
    orvo::test::TempDir dir;
    const std::string file = dir / "plan.dxf";
    const char dxf[] = "0\nSECTION\n2\nENTITIES\n0\nENDSEC\n0\nEOF\n";
    ASSERT_TRUE(orvo::test::WriteFileBytes(file, dxf, sizeof(dxf) - 1));
    SeedLastViewPath("C:\\windows");

    RunWith(file, kViewClass, kBrowseClass);

    // Read at start-up, deleted while starting, written back by shut-down.
    EXPECT_EQ(LastViewPath(), "C:\\windows");
    EXPECT_FALSE(GuardValueLeft());
}

TEST_F(ProgramStart, FolderArgumentOpensBrowserThereAndSavesIt)
{
    orvo::test::TempDir dir;
    SeedLastViewPath("C:\\windows");

    RunWith(dir.Path(), kBrowseClass, kViewClass);

    EXPECT_EQ(LastViewPath(), dir.Path());
    EXPECT_FALSE(GuardValueLeft());
}

TEST_F(ProgramStart, StartAfterAnUnfinishedStartRunsWithDefaultSettings)
{
    orvo::test::TempDir dir;
    SeedDword("Option\\Thumbnail", "ThumbWidth", 200);
    SeedLastViewPath("C:\\windows");
    SeedDword("InitFlag", "InitFlag", 1);

    RunWith(dir.Path(), kBrowseClass, kViewClass);

    // The reset removed the stored width; shut-down saved the default back.
    EXPECT_EQ(ReadDword("Option\\Thumbnail", "ThumbWidth"), 170u);
    EXPECT_EQ(LastViewPath(), dir.Path());
    EXPECT_FALSE(GuardValueLeft());
}

} // namespace

namespace {

// Adds a static control's text to the string lParam points to.
BOOL CALLBACK AddStaticText(HWND child, LPARAM lParam)
{
    char name[16] = {};
    GetClassNameA(child, name, sizeof name);
    if (lstrcmpiA(name, "Static") == 0) {
        char buffer[1024] = {};
        SendMessageA(child, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer));
        *reinterpret_cast<std::string*>(lParam) += buffer;
    }
    return TRUE;
}

// The text of a message box or dialog of another process: its caption and its static texts.
std::string BoxText(HWND box)
{
    std::string text;
    EnumChildWindows(box, AddStaticText, reinterpret_cast<LPARAM>(&text));
    return text;
}

// A root of the form "Software\<key>" names the key the program's settings go under; the app's
// own name is added as for the longer form.
TEST_F(ProgramStart, RootWithoutTheProgramsNameIsTakenAsItsKey)
{
    const std::string company = "Software\\OrvoKestalTests\\short-" + std::to_string(GetCurrentProcessId());
    SetEnvironmentVariableA(kRootVariable, company.c_str());
    m_key = company + "\\Orvo DWG Viewer";
    orvo::test::TempDir dir;
    RunWith(dir.Path(), kBrowseClass, kViewClass);
    EXPECT_EQ(LastViewPath(), dir.Path()) << "the settings were saved under the root given";
    SHDeleteKeyA(HKEY_CURRENT_USER, company.c_str());
}

// Any other form is refused with a message naming it, and the program does not start: it never
// falls back to the user's own settings.
TEST_F(ProgramStart, RootOfAnotherFormIsRefusedWithAMessage)
{
    for (const char* root : {"HKEY_CURRENT_USER\\Software\\Mine", "Software\\", "Software\\\\Mine", "Mine"}) {
        SCOPED_TRACE(root);
        SetEnvironmentVariableA(kRootVariable, root);
        orvo::test::TempDir dir;
        std::string command = "\"" + orvo::test::ProgramPath("OrvoKestal.exe") + "\" \"" + dir.Path() + "\"";
        STARTUPINFOA si = {sizeof(si)};
        orvo::test::ProgramProcess process;
        ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                                   &process.info));
        HWND box = nullptr;
        ASSERT_TRUE(orvo::test::WaitFor(
            [&] {
                box = orvo::test::FindTopLevelOf(process.info.dwProcessId, "#32770");
                return box != nullptr && !BoxText(box).empty();
            },
            30000));
        const std::string text = BoxText(box);
        EXPECT_NE(text.find(kRootVariable), std::string::npos) << text;
        EXPECT_NE(text.find(root), std::string::npos) << text;
        EXPECT_EQ(orvo::test::FindTopLevelOf(process.info.dwProcessId, kBrowseClass), nullptr);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        ASSERT_EQ(WaitForSingleObject(process.info.hProcess, 30000), WAIT_OBJECT_0);
    }
}

// Help/Accelerator keys list is the application's: it opens over either frame.
TEST_F(ProgramStart, KeyListOpensInBrowseAndInViewMode)
{
    orvo::test::TempDir dir;
    const std::string file = dir / "plan.dxf";
    const char dxf[] = "0\nSECTION\n2\nENTITIES\n0\nENDSEC\n0\nEOF\n";
    ASSERT_TRUE(orvo::test::WriteFileBytes(file, dxf, sizeof(dxf) - 1));
    for (const std::string& argument : {dir.Path(), file}) {
        const char* shownClass = argument == file ? kViewClass : kBrowseClass;
        SCOPED_TRACE(shownClass);
        std::string command = "\"" + orvo::test::ProgramPath("OrvoKestal.exe") + "\" \"" + argument + "\"";
        STARTUPINFOA si = {sizeof(si)};
        orvo::test::ProgramProcess process;
        ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                                   &process.info));
        const DWORD pid = process.info.dwProcessId;
        HWND shown = nullptr;
        ASSERT_TRUE(orvo::test::WaitFor(
            [&] { return (shown = orvo::test::FindTopLevelOf(pid, shownClass)) != nullptr && IsWindowVisible(shown); },
            30000));
        PostMessageA(shown, WM_COMMAND, 32934, 0);
        HWND dialog = nullptr;
        ASSERT_TRUE(orvo::test::WaitFor(
            [&] {
                dialog = orvo::test::FindTopLevelOf(pid, "#32770");
                char title[64] = {};
                if (dialog)
                    SendMessageA(dialog, WM_GETTEXT, sizeof title, reinterpret_cast<LPARAM>(title));
                return dialog && std::string(title) == "Accelerator Keys List";
            },
            30000));
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        ASSERT_TRUE(orvo::test::WaitFor([&] { return !IsWindow(dialog); }, 30000));
        PostMessageA(shown, WM_CLOSE, 0, 0);
        ASSERT_EQ(WaitForSingleObject(process.info.hProcess, 30000), WAIT_OBJECT_0);
    }
}

} // namespace

// The program closed while the cache writer is still writing the folder's library: the writer
// finishes it, the process ends cleanly, and the library holds every thumbnail.
TEST_F(ProgramStart, ClosingWhileTheThumbnailCacheIsWrittenKeepsItWhole)
{
    constexpr int kPictures = 300;
    orvo::test::TempDir folder;
    orvo::test::TempDir cache;
    for (int i = 0; i < kPictures; ++i) {
        const std::string bytes = orvo::test::BmpFileBytes(320, 240, i);
        ASSERT_TRUE(orvo::test::WriteFileBytes(folder / ("photo" + std::to_string(i) + ".bmp"), bytes.data(),
                                               bytes.size()));
    }
    const std::string cacheFolder = cache.Path();
    SHSetValueA(HKEY_CURRENT_USER, (m_key + "\\Option\\LibIndex").c_str(), "Path", REG_SZ, cacheFolder.c_str(),
                static_cast<DWORD>(cacheFolder.size() + 1));
    std::string command = "\"" + orvo::test::ProgramPath("OrvoKestal.exe") + "\" \"" + folder.Path() + "\"";
    STARTUPINFOA si = {sizeof(si)};
    orvo::test::ProgramProcess process;
    ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                               &process.info));
    HWND frame = nullptr;
    // The first file of the pattern in the cache folder, with its size; empty when there is none.
    const auto firstFile = [&](const char* pattern, ULONGLONG* size) {
        WIN32_FIND_DATAA found = {};
        const HANDLE search = FindFirstFileA((cache / pattern).c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            return std::string();
        FindClose(search);
        *size = (static_cast<ULONGLONG>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
        return cache / found.cFileName;
    };
    // Closed as soon as the writer has begun the library (it writes beside it, then renames).
    ULONGLONG size = 0;
    ASSERT_TRUE(orvo::test::WaitFor(
        [&] {
            frame = orvo::test::FindTopLevelOf(process.info.dwProcessId, kBrowseClass);
            return frame && !firstFile("ovk*.tmp", &size).empty() && size > 0;
        },
        120000));
    PostMessageA(frame, WM_CLOSE, 0, 0);
    ASSERT_EQ(WaitForSingleObject(process.info.hProcess, 60000), WAIT_OBJECT_0);
    DWORD exitCode = 1;
    GetExitCodeProcess(process.info.hProcess, &exitCode);
    EXPECT_EQ(exitCode, 0u);
    const std::string library = firstFile("*.opslib", &size);
    ASSERT_FALSE(library.empty());
    // Each record holds its picture whole: at least the rows of a full cell.
    EXPECT_GE(size, static_cast<ULONGLONG>(kPictures) * 150 * 110 * 3);
}
