// The browse frame made as start-up makes it, in this process, on a temporary folder of drawings
// and an image; its profile and registry root are the test's own. Shared by the frame's tests.
#pragma once

#include "app/CAppState.h"
#include "core/CAppOptions.h"
#include "core/RegistryRoot.h"
#include "frames/browse/BrowseBarLayout.h"
#include "frames/common/BrowserFileList.h"
#include "frames/browse/CBrowseFrame.h"
#include "framework/ModalSeam.h"
#include "render/workers/TDwgDrawThread.h"
#include "render/workers/TTaskManageThread.h"
#include "res/resource.h"
#include "tests/support/TestSupport.h"
#include "ui/CSeeProgress.h"

#include <gtest/gtest.h>
#include <shlwapi.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <string>
#include <vector>


namespace orvo::test::browse {

inline constexpr char kAppName[] = "Orvo DWG Viewer";

inline constexpr char kSmallDxf[] = "0\nSECTION\n2\nENTITIES\n0\nLINE\n8\n0\n10\n0.0\n20\n0.0\n30\n0.0\n11\n100.0\n21\n50.0\n31\n"
                         "0.0\n0\nENDSEC\n0\nEOF\n";

// The framework's profile and the program's registry root are one key of this process.
class BrowseTestApp : public CWinApp
{
public:
    BrowseTestApp() : CWinApp(kAppName)
    {
        m_company = "OrvoKestalTests\\browse-" + std::to_string(GetCurrentProcessId());
        SetRegistryKey(m_company.c_str());
        g_strRegistryRoot = ("Software\\" + m_company + "\\" + kAppName + "\\").c_str();
    }
    void ClearProfile() const { SHDeleteKeyA(HKEY_CURRENT_USER, ("Software\\" + m_company).c_str()); }
    // The commands the program's application object handles (exit, about, help, search folders):
    // this one stands in for it, so the frames enable them as there, and records each that the
    // frames passed on.
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override
    {
        static const UINT kApplicationCommands[] = {ID_APP_EXIT,         ID_APP_ABOUT,           ID_TOOLS_SEARCH_DIRECTORIES,
                                                    ID_HELP_HOME_PAGE,   ID_HELP_OTHER_PRODUCTS, ID_HELP_CONTENTS_F1,
                                                    ID_HELP_ACCELERATOR_KEYS};
        const bool own = std::find(std::begin(kApplicationCommands), std::end(kApplicationCommands), nID) !=
                         std::end(kApplicationCommands);
        if (own && nCode == CN_COMMAND) {
            if (pHandlerInfo == nullptr)
                commandsReached.push_back(nID);
            else
                pHandlerInfo->pTarget = this;
            return TRUE;
        }
        return CWinApp::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
    }
    std::vector<UINT> commandsReached;

private:
    std::string m_company;
};

extern BrowseTestApp theTestApp;

// A thumbnail thread that waits for work (idle) or keeps working until told to stop (busy).
class FakeTaskThread : public TTaskManageThread
{
public:
    explicit FakeTaskThread(bool idle) : m_idle(idle) {}
    DWORD Run() override
    {
        // Idle the way the real thread is, and idle again after every wake (it makes no
        // pictures), so the list never waits for it.
        if (m_idle) {
            while (!IsStopRequested())
                SleepUntilWoken();
            return 0;
        }
        while (!IsStopRequested())
            Sleep(5);
        return 0;
    }

private:
    bool m_idle;
};

inline DWORD ReadDword(const char* key, const char* name, bool* found = nullptr)
{
    DWORD value = 0;
    DWORD size = sizeof(value);
    const bool ok = SHGetValueA(HKEY_CURRENT_USER, ProgramKeyPath(key), name, nullptr, &value, &size) == ERROR_SUCCESS;
    if (found)
        *found = ok;
    return ok ? value : 0;
}

inline bool KeyExists(const char* key)
{
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, ProgramKeyPath(key), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return false;
    RegCloseKey(handle);
    return true;
}

// The dock bar a bar sits in (0 for none), and whether it is shown.
inline UINT DockOf(CControlBar* bar)
{
    CWnd* parent = bar->GetParent();
    return parent ? static_cast<UINT>(parent->GetDlgCtrlID()) : 0;
}

inline CRect ScreenRect(CWnd* wnd)
{
    CRect rect;
    wnd->GetWindowRect(&rect);
    return rect;
}

class BrowseFrameTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        theTestApp.ClearProfile();
        m_savedOptions = g_options;
        OleInitialize(nullptr);
        MakeFiles();
    }

    void TearDown() override
    {
        CModalHandlerScope none{ModalHandler()};
        if (m_frame && ::IsWindow(m_frameWnd))
            m_frame->DestroyWindow();
        m_frame = nullptr;
        EXPECT_EQ(BrowserFileList(), nullptr) << "a closed frame's list is not walked";
        g_appState.drawThread.reset();
        g_appState.StopTaskManagerThread();
        g_appState.mode.store(CAppState::kModeNone);
        g_appState.closing.store(false);
        g_appState.lastPath.Empty();
        g_appState.thumbnailsInterrupted = false;
        MSG msg;
        PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
        g_options = m_savedOptions;
        OleUninitialize();
        theTestApp.ClearProfile();
    }

    void MakeFiles()
    {
        for (const char* name : {"a.dxf", "b.dxf", "c.dxf"})
            ASSERT_TRUE(orvo::test::WriteFileBytes(m_folder / name, kSmallDxf, sizeof(kSmallDxf) - 1));
        const char bmp[] = "BM not a picture";
        ASSERT_TRUE(orvo::test::WriteFileBytes(m_folder / "d.bmp", bmp, sizeof(bmp) - 1));
    }

    // A layout and a window place saved by an earlier run. (A first start shows the frame
    // maximized; on a display without a window manager the display keeps calling a window
    // maximized once it was, whatever it is told later.)
    static void SeedEarlierRun(const CRect& place = CRect(100, 80, 900, 700))
    {
        ASSERT_TRUE(BrowseBarLayout::Write(1));
        const CRect work = [] {
            RECT r = {};
            SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0);
            return CRect(r);
        }();
        CString placement;
        placement.Format("%d,%d,%ld,%ld,%ld,%ld,%ld,%ld,%ld", SW_SHOWNORMAL, place.left, place.top, place.right,
                         place.bottom, work.left, work.top, work.right, work.bottom);
        theTestApp.WriteProfileString("Settings", "Browser", placement);
    }

    // The frame as start-up makes it, then shown on a folder by the mode switch.
    void Open(const std::string& folder)
    {
        ASSERT_TRUE(g_appState.CreateBrowseFrame(std::make_unique<CBrowseFrame>(), false));
        m_frame = static_cast<CBrowseFrame*>(g_appState.browseFrame);
        m_frameWnd = m_frame->GetSafeHwnd();
        g_appState.EnterBrowseMode(folder.c_str());
        WaitFor([] { return false; }, 300);
        Pump();
    }

    void Pump()
    {
        WaitFor([] { return false; }, 30);
        CFrameWnd::IdleUpdateVisibleFrames();
    }

    // A thumbnail thread of the state record that waits for work (idle) or keeps working.
    void StartThumbnailThread(bool idle)
    {
        auto thread = std::make_unique<FakeTaskThread>(idle);
        FakeTaskThread* raw = thread.get();
        raw->SetAppState(&g_appState);
        ASSERT_TRUE(raw->CreateThread());
        g_appState.taskThread = std::move(thread);
        // The list was given the thread of the frame's start; this one replaces it.
        if (m_frame)
            m_frame->GetList()->SetThumbnailThread(raw);
        // A thread not yet started counts as suspended: an idle one is waited for until it sleeps.
        ASSERT_TRUE(WaitFor([&] { return idle ? raw->IsIdle() : !raw->IsSuspended(); }, 5000));
    }

    int SizingBarsShown() const
    {
        int shown = 0;
        for (CWnd* bar : {static_cast<CWnd*>(m_frame->GetTreeBar()), static_cast<CWnd*>(&m_frame->GetPreviewBar())})
            shown += bar->IsWindowVisible() ? 1 : 0;
        return shown;
    }

    static void SetModifiers(bool shift, bool control, bool alt = false)
    {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_SHIFT] = shift ? 0x80 : 0;
        keys[VK_CONTROL] = control ? 0x80 : 0;
        keys[VK_MENU] = alt ? 0x80 : 0;
        SetKeyboardState(keys);
    }

    // A key pressed in a window of the frame, as the message loop hands it on: the frame's walk
    // of PreTranslateMessage (accelerators included) first, then the window itself. The
    // modifiers stay held until what the key posted has been handled.
    void PressKey(HWND target, UINT key, bool shift = false, bool control = false, bool alt = false)
    {
        SetModifiers(shift, control, alt);
        MSG msg = {target, alt ? static_cast<UINT>(WM_SYSKEYDOWN) : static_cast<UINT>(WM_KEYDOWN), key,
                   alt ? (1 << 29) : 0, 0, {0, 0}};
        if (!CWnd::WalkPreTranslateTree(m_frameWnd, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Pump();
        SetModifiers(false, false);
    }

    void Command(UINT id)
    {
        m_frame->SendMessage(WM_COMMAND, id);
        Pump();
    }

    CIEShellListCtrl& List() { return *m_frame->GetList(); }

    void SelectOnly(const char* name)
    {
        ASSERT_TRUE(List().SelectItemByPath((m_folder / name).c_str())) << name;
    }

    CString PaneText(UINT id)
    {
        const int index = m_frame->GetStatusBar().CommandToIndex(id);
        return index == -1 ? CString("<none>") : m_frame->GetStatusBar().GetPaneText(index);
    }

    TempDir m_folder;
    CBrowseFrame* m_frame = nullptr;
    HWND m_frameWnd = nullptr;
    CAppOptions m_savedOptions;
};

} // namespace orvo::test::browse
