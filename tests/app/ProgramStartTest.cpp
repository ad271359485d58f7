// Starts the real program, finds its window by title and closes it the way a user does.
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

struct ProcessHandles {
    PROCESS_INFORMATION info = {};
    ~ProcessHandles()
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

struct FoundWindow {
    DWORD processId;
    HWND hWnd;
};

BOOL CALLBACK FindTopLevel(HWND hWnd, LPARAM lParam)
{
    auto* found = reinterpret_cast<FoundWindow*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hWnd, &pid);
    char title[256] = {};
    GetWindowTextA(hWnd, title, sizeof(title));
    if (pid == found->processId && IsWindowVisible(hWnd) &&
        std::string(title).find("Orvo DWG Viewer") != std::string::npos) {
        found->hWnd = hWnd;
        return FALSE;
    }
    return TRUE;
}

TEST(ProgramStart, ShowsTitledWindowAndEndsCleanlyOnClose)
{
    std::string command = "\"" + orvo::test::ProgramPath("OrvoKestal.exe") + "\"";
    STARTUPINFOA si = {sizeof(si)};
    ProcessHandles process;
    ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &si, &process.info));

    FoundWindow found = {process.info.dwProcessId, nullptr};
    ASSERT_TRUE(orvo::test::WaitFor(
        [&] {
            EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&found));
            return found.hWnd != nullptr;
        },
        20000))
        << "no window titled \"Orvo DWG Viewer\" appeared";

    PostMessageA(found.hWnd, WM_CLOSE, 0, 0);
    ASSERT_EQ(WaitForSingleObject(process.info.hProcess, 20000), WAIT_OBJECT_0);
    DWORD exitCode = 1;
    GetExitCodeProcess(process.info.hProcess, &exitCode);
    EXPECT_EQ(exitCode, 0u);
}

} // namespace
