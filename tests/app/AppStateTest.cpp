// The application's state record and commands: the Options rule, the stop of the thumbnail
// thread (blocked in a send, or never ending), the last path in the registry, the switch
// between the two frames, and the help and web commands.
#include "app/CAppState.h"
#include "main/COrvoKestalApp.h"
#include "core/PathUtils.h"
#include "core/ShellOpen.h"
#include "frames/browse/CBrowseFrame.h"
#include "frames/view/CViewFrame.h"
#include "framework/ModalSeam.h"
#include "framework/Prompt.h"
#include "core/CProgramInfo.h"
#include "render/workers/TTaskManageThread.h"
#include "res/resource.h"
#include "tests/core/RegistryRootScope.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

// The application object of this test program (start-up is not run).
COrvoKestalApp theApp;

namespace {

const UINT kStatusMessage = 0x8016;

// A thumbnail thread that waits for work (suspends itself), keeps working until told to stop, or
// never stops.
class FakeTaskThread : public TTaskManageThread
{
public:
    enum class Kind { Idle, Busy, Deaf };
    explicit FakeTaskThread(Kind kind, std::atomic<bool>* destroyed = nullptr)
        : m_kind(kind), m_destroyed(destroyed)
    {
    }
    ~FakeTaskThread() override
    {
        if (m_destroyed)
            m_destroyed->store(true);
    }
    DWORD Run() override
    {
        if (m_kind == Kind::Idle) {
            SuspendThread();
            return 0;
        }
        // Deaf: ignores the stop flag altogether, as a worker stuck in a long call.
        while (m_kind == Kind::Deaf || !IsStopRequested())
            Sleep(5);
        return 0;
    }

private:
    Kind m_kind;
    std::atomic<bool>* m_destroyed;
};

// Puts the state record back as the test found it.
class AppStateTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        g_appState.StopTaskManagerThread();
        g_appState.mode.store(CAppState::kModeNone);
        g_appState.closing.store(false);
        g_appState.lastPath.Empty();
        g_appState.thumbnailsInterrupted = false;
    }

    // Starts a fake thumbnail thread owned by the record and waits until it runs as asked.
    FakeTaskThread* StartTaskThread(FakeTaskThread::Kind kind, std::atomic<bool>* destroyed = nullptr)
    {
        auto thread = std::make_unique<FakeTaskThread>(kind, destroyed);
        FakeTaskThread* raw = thread.get();
        raw->SetAppState(&g_appState);
        EXPECT_TRUE(raw->CreateThread());
        g_appState.taskThread = std::move(thread);
        const bool wantSuspended = kind == FakeTaskThread::Kind::Idle;
        EXPECT_TRUE(orvo::test::WaitFor([&] { return raw->IsSuspended() == wantSuspended; }, 5000));
        return raw;
    }

    RegistryRootScope m_root;
};

struct OptionsCase {
    int mode;
    const char* thread; // "none", "idle", "busy"
    bool enabled;
};

TEST_F(AppStateTest, OptionsCommandFollowsModeAndThumbnailThread)
{
    const OptionsCase cases[] = {
        {CAppState::kModeNone, "none", false}, {CAppState::kModeNone, "idle", false},
        {CAppState::kModeNone, "busy", false}, {CAppState::kModeBrowse, "none", false},
        {CAppState::kModeBrowse, "idle", true}, {CAppState::kModeBrowse, "busy", false},
        {CAppState::kModeView, "none", true},  {CAppState::kModeView, "idle", true},
        {CAppState::kModeView, "busy", true},
    };
    for (const OptionsCase& c : cases) {
        const std::string thread = c.thread;
        if (thread == "idle")
            StartTaskThread(FakeTaskThread::Kind::Idle);
        else if (thread == "busy")
            StartTaskThread(FakeTaskThread::Kind::Busy);
        g_appState.mode.store(c.mode);

        CTestCmdUI ui;
        ui.m_nID = ID_TOOLS_OPTIONS;
        EXPECT_TRUE(ui.DoUpdate(&theApp, FALSE));
        EXPECT_EQ(ui.m_bEnabled != FALSE, c.enabled) << "mode " << c.mode << ", thread " << thread;

        // A worker that waits for work, or works on, ends at once when stopped.
        const DWORD start = GetTickCount();
        g_appState.StopTaskManagerThread();
        EXPECT_LT(GetTickCount() - start, 5000u);
        EXPECT_EQ(g_appState.taskThread, nullptr);
    }
}

// A window of this thread that the worker sends a status message to.
class StatusWindow
{
public:
    StatusWindow()
    {
        m_hWnd = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    }
    ~StatusWindow() { DestroyWindow(m_hWnd); }
    StatusWindow(const StatusWindow&) = delete;
    StatusWindow& operator=(const StatusWindow&) = delete;
    HWND Get() const { return m_hWnd; }

private:
    HWND m_hWnd;
};

// Sends one status message (a plain blocking send, as a worker's report) and then works on.
class SendingTaskThread : public TTaskManageThread
{
public:
    explicit SendingTaskThread(HWND target) : m_target(target) {}
    DWORD Run() override
    {
        m_sending.store(true);
        SendMessageA(m_target, kStatusMessage, 0, 0);
        m_sent.store(true);
        while (!IsStopRequested())
            Sleep(5);
        return 0;
    }
    std::atomic<bool> m_sending{false};
    std::atomic<bool> m_sent{false};

private:
    HWND m_target;
};

TEST_F(AppStateTest, StoppingThumbnailThreadBlockedInSendEndsPromptlyAndDropsItsStatusMessages)
{
    StatusWindow window;
    auto thread = std::make_unique<SendingTaskThread>(window.Get());
    SendingTaskThread* raw = thread.get();
    ASSERT_TRUE(raw->CreateThread());
    g_appState.taskThread = std::move(thread);
    // The worker is now blocked: this thread handles no messages until the stop.
    const DWORD deadline = GetTickCount() + 5000;
    while (!raw->m_sending.load() && GetTickCount() < deadline)
        Sleep(1);
    ASSERT_TRUE(raw->m_sending.load());
    PostMessageA(window.Get(), kStatusMessage + 1, 0, 0);

    const DWORD start = GetTickCount();
    g_appState.StopTaskManagerThread();
    EXPECT_LT(GetTickCount() - start, 10000u);
    EXPECT_EQ(g_appState.taskThread, nullptr);
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, window.Get(), kStatusMessage + 1, kStatusMessage + 1, PM_REMOVE));
}

TEST_F(AppStateTest, ThumbnailThreadThatNeverEndsIsTerminatedAndItsObjectNotFreed)
{
    std::atomic<bool> destroyed{false};
    FakeTaskThread* raw = StartTaskThread(FakeTaskThread::Kind::Deaf, &destroyed);
    const HANDLE handle = raw->GetThreadHandle();

    const DWORD start = GetTickCount();
    g_appState.StopTaskManagerThread();
    EXPECT_GE(GetTickCount() - start, 19000u);
    EXPECT_EQ(g_appState.taskThread, nullptr);
    EXPECT_EQ(WaitForSingleObject(handle, 0), WAIT_OBJECT_0) << "the thread is ended";
    EXPECT_FALSE(destroyed.load()) << "the state of a thread that was killed is left alone";
}

TEST_F(AppStateTest, LastPathLoadSaveAndBadValues)
{
    g_appState.lastPath = "stale";
    EXPECT_FALSE(g_appState.LoadAppSettings()) << "no key yet";
    EXPECT_TRUE(g_appState.lastPath.IsEmpty());

    // Stored without its terminating zero.
    const char text[] = {'C', ':', '\\', 'a'};
    SHSetValueA(HKEY_CURRENT_USER, m_root.Path("main").c_str(), "LastViewPath", REG_SZ, text, sizeof(text));
    EXPECT_TRUE(g_appState.LoadAppSettings());
    EXPECT_STREQ(g_appState.lastPath, "C:\\a");

    // Longer than a path may be: ignored.
    m_root.SetString("main", "LastViewPath", std::string(400, 'x'));
    EXPECT_TRUE(g_appState.LoadAppSettings());
    EXPECT_TRUE(g_appState.lastPath.IsEmpty());

    g_appState.lastPath = "D:\\plans";
    EXPECT_TRUE(g_appState.SaveAppSettings());
    EXPECT_EQ(m_root.GetString("main", "LastViewPath"), "D:\\plans");
}

TEST_F(AppStateTest, ModeSwitchShowsOneFrameAndMakesItTheMainWindow)
{
    ASSERT_TRUE(g_appState.CreateBrowseFrame(std::make_unique<CBrowseFrame>(), false));
    ASSERT_TRUE(g_appState.CreateViewFrame(std::make_unique<CViewFrame>(), false));
    CBrowseFrame* browse = static_cast<CBrowseFrame*>(g_appState.browseFrame);
    CViewFrame* view = static_cast<CViewFrame*>(g_appState.viewFrame);
    EXPECT_FALSE(browse->IsWindowVisible());
    EXPECT_FALSE(view->IsWindowVisible());

    g_appState.EnterViewMode();
    EXPECT_EQ(g_appState.mode.load(), CAppState::kModeView);
    EXPECT_TRUE(view->IsWindowVisible());
    EXPECT_FALSE(browse->IsWindowVisible());
    EXPECT_EQ(theApp.m_pMainWnd, view);
    EXPECT_EQ(g_appState.GetMainWindowHandle(), view->GetSafeHwnd());

    orvo::test::TempDir dir;
    g_appState.EnterBrowseMode(dir.Path().c_str());
    EXPECT_EQ(g_appState.mode.load(), CAppState::kModeBrowse);
    EXPECT_TRUE(browse->IsWindowVisible());
    EXPECT_FALSE(view->IsWindowVisible());
    EXPECT_EQ(theApp.m_pMainWnd, browse);
    EXPECT_TRUE(view->m_bReturnedToBrowser);
    EXPECT_STREQ(g_appState.lastPath, dir.Path().c_str()) << "the folder shown is the last path";

    // Closing the browser pauses the workers before the window goes.
    FakeTaskThread* thumbnails = StartTaskThread(FakeTaskThread::Kind::Idle);
    thumbnails->SetNotifyWnd(browse->GetSafeHwnd());
    thumbnails->SetEnabled(true);
    browse->SendMessage(WM_CLOSE);
    EXPECT_TRUE(thumbnails->IsStopRequested());
    EXPECT_FALSE(thumbnails->IsEnabled());
    EXPECT_EQ(thumbnails->GetNotifyWnd(), nullptr);
    EXPECT_EQ(g_appState.browseFrame, nullptr);
    EXPECT_EQ(g_appState.mode.load(), CAppState::kModeNone);
    EXPECT_TRUE(g_appState.closing.load());
    EXPECT_EQ(g_appState.GetMainWindowHandle(), nullptr);
    view->DestroyWindow();
    EXPECT_EQ(g_appState.viewFrame, nullptr);
    MSG msg;
    PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE); // the main window's end posted it
}

// Escape in the view frame: back to the browser, or the end of a program started to view a file.
TEST_F(AppStateTest, EscapeInViewGoesBackToBrowserOrEndsAProgramStartedToView)
{
    ASSERT_TRUE(g_appState.CreateBrowseFrame(std::make_unique<CBrowseFrame>(), false));
    ASSERT_TRUE(g_appState.CreateViewFrame(std::make_unique<CViewFrame>(), false));
    CViewFrame* view = static_cast<CViewFrame*>(g_appState.viewFrame);
    MSG escape = {view->GetSafeHwnd(), WM_KEYDOWN, VK_ESCAPE, 0};

    g_appState.EnterViewMode();
    EXPECT_TRUE(view->PreTranslateMessage(&escape));
    EXPECT_EQ(g_appState.mode.load(), CAppState::kModeBrowse);
    EXPECT_TRUE(g_appState.browseFrame->IsWindowVisible());

    g_appState.EnterViewMode();
    view->m_bStartedInView = true;
    // Started to view one file, Escape closes the window the way its close box does (the close
    // path saves its place and the settings).
    EXPECT_TRUE(view->PreTranslateMessage(&escape));
    MSG close;
    EXPECT_TRUE(PeekMessageA(&close, view->GetSafeHwnd(), WM_CLOSE, WM_CLOSE, PM_REMOVE));

    g_appState.browseFrame->DestroyWindow();
    view->DestroyWindow();
    MSG quit;
    PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

TEST_F(AppStateTest, HelpOpensTheProgramFoldersHelpFileOrSaysItIsMissing)
{
    std::vector<std::string> opened;
    SetShellOpenHandler([&](HWND, const char* target) {
        opened.push_back(target);
        return true;
    });
    std::vector<std::string> prompts;
    CPromptHandlerScope prompt([&](const PromptRequest& request) {
        prompts.push_back(static_cast<const char*>(request.strText));
        return IDOK;
    });
    const std::string help = std::string(GetProgramFolder()) + "dwgviewer.chm";
    DeleteFileA(help.c_str());

    theApp.OnCmdMsg(ID_HELP_CONTENTS_F1, CN_COMMAND, nullptr, nullptr);
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_EQ(prompts[0], "File not found :" + help);
    EXPECT_TRUE(opened.empty());

    ASSERT_TRUE(orvo::test::WriteFileBytes(help, "x", 1));
    theApp.OnCmdMsg(ID_HELP_CONTENTS_F1, CN_COMMAND, nullptr, nullptr);
    DeleteFileA(help.c_str());
    EXPECT_EQ(prompts.size(), 1u);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], help);

    // Both web commands open the same home page.
    theApp.OnCmdMsg(ID_HELP_HOME_PAGE, CN_COMMAND, nullptr, nullptr);
    theApp.OnCmdMsg(ID_HELP_OTHER_PRODUCTS, CN_COMMAND, nullptr, nullptr);
    ASSERT_EQ(opened.size(), 3u);
    EXPECT_EQ(opened[1], opened[2]);
    EXPECT_EQ(opened[1].rfind("http", 0), 0u);
    SetShellOpenHandler(nullptr);
}

std::string ControlText(CWnd* dialog, int id)
{
    char text[256] = {};
    GetDlgItemTextA(dialog->GetSafeHwnd(), id, text, sizeof(text));
    return text;
}

void ClickStatic(CWnd* dialog, int id)
{
    dialog->SendMessage(WM_COMMAND, MAKEWPARAM(id, STN_CLICKED),
                        reinterpret_cast<LPARAM>(GetDlgItem(dialog->GetSafeHwnd(), id)));
}

TEST_F(AppStateTest, AboutBoxShowsProgramTextsOpensItsLinksAndClearsTheModalFlag)
{
    std::vector<std::string> opened;
    SetShellOpenHandler([&](HWND, const char* target) {
        opened.push_back(target);
        return true;
    });
    bool flagWhileUp = false;
    std::string caption;
    std::vector<std::string> texts;
    CModalHandlerScope modal([&](const ModalRequest& request) -> INT_PTR {
        EXPECT_EQ(request.nIDTemplate, static_cast<UINT>(IDD_ABOUTBOX));
        flagWhileUp = g_appState.modalDialogOpen;
        char title[128] = {};
        GetWindowTextA(request.pWnd->GetSafeHwnd(), title, sizeof(title));
        caption = title;
        for (int id : {IDC_ABOUT_VERSION, IDC_ABOUT_WEBSITE, IDC_ABOUT_SUPPORT_MAIL})
            texts.push_back(ControlText(request.pWnd, id));
        for (int id : {IDC_ABOUT_BANNER, IDC_ABOUT_WEBSITE, IDC_ABOUT_SUPPORT_MAIL, IDC_ABOUT_AUTHOR_MAIL})
            ClickStatic(request.pWnd, id);
        return IDOK;
    });

    theApp.OnCmdMsg(ID_APP_ABOUT, CN_COMMAND, nullptr, nullptr);
    SetShellOpenHandler(nullptr);

    EXPECT_TRUE(flagWhileUp);
    EXPECT_FALSE(g_appState.modalDialogOpen);
    EXPECT_EQ(caption, "Orvo DWG Viewer 2014");
    const std::vector<std::string> expectedTexts = {"Version 5.9.1", std::string(g_programInfo.homePageText),
                                                    std::string(g_programInfo.supportMailText)};
    EXPECT_EQ(texts, expectedTexts);
    const std::string home(g_programInfo.homePage);
    const std::string mail(g_programInfo.supportMail);
    const std::vector<std::string> expectedOpens = {home, home, mail, mail};
    EXPECT_EQ(opened, expectedOpens);
    EXPECT_EQ(mail.rfind("mailto:", 0), 0u);
}

} // namespace
