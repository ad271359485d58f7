// A frame loaded from resources (menu, accelerators, tool bar, status bar) with a view: command
// routing and its overrides, update handlers that refuse commands and set menu, tool-bar and
// status-pane states, prompts, tips, titles and the temporary objects freed at idle time.
#include "framework/AfxWin.h"
#include "tests/framework/WindowTestApp.h"
#include "tests/framework/WindowTestRes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

extern CWindowTestApp theTestApp;

namespace {

using Log = std::vector<std::string>;

class CTestView : public CView
{
    DECLARE_DYNCREATE(CTestView)

public:
    void OnDraw(CDC*) override {}

protected:
    void OnTestView() { CommandLog().push_back("view:view"); }

    DECLARE_MESSAGE_MAP()
};

IMPLEMENT_DYNCREATE(CTestView, CView)

BEGIN_MESSAGE_MAP(CTestView, CView)
    ON_COMMAND(ID_TEST_VIEW, &CTestView::OnTestView)
END_MESSAGE_MAP()

// A command target outside the window tree, offered commands first by an overriding frame.
class CTestPane : public CCmdTarget
{
protected:
    void OnTestFrame() { CommandLog().push_back("pane:frame"); }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestPane, CCmdTarget)
    ON_COMMAND(ID_TEST_FRAME, &CTestPane::OnTestFrame)
END_MESSAGE_MAP()

const UINT kIndicators[] = {ID_SEPARATOR, ID_INDICATOR_CAPS, ID_INDICATOR_NUM};

class CTestFrame : public CFrameWnd
{
public:
    CToolBar m_wndToolBar;
    CStatusBar m_wndStatusBar;
    CTestPane* m_pFirstTarget = nullptr;

    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override
    {
        if (m_pFirstTarget != nullptr && m_pFirstTarget->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
            return TRUE;
        return CFrameWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
    }

protected:
    int OnCreate(LPCREATESTRUCTA lpcs)
    {
        if (CFrameWnd::OnCreate(lpcs) == -1)
            return -1;
        if (!m_wndToolBar.CreateEx(this, TBSTYLE_FLAT, WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_TOOLTIPS) ||
            !m_wndToolBar.LoadToolBar(IDR_TESTFRAME))
            return -1;
        if (!m_wndStatusBar.Create(this) || !m_wndStatusBar.SetIndicators(kIndicators, 3))
            return -1;
        return 0;
    }
    void OnTestView() { CommandLog().push_back("frame:view"); }
    void OnTestFrame() { CommandLog().push_back("frame:frame"); }
    void OnTestDisabled() { CommandLog().push_back("frame:disabled"); }
    void OnTestChecked() { CommandLog().push_back("frame:checked"); }
    void OnRange(UINT nID) { CommandLog().push_back("frame:range" + std::to_string(nID - ID_TEST_RANGE_FIRST)); }
    void OnUpdateDisabled(CCmdUI* pCmdUI) { pCmdUI->Enable(FALSE); }
    void OnUpdateChecked(CCmdUI* pCmdUI) { pCmdUI->SetCheck(1); }
    void OnUpdateRange(CCmdUI* pCmdUI) { pCmdUI->SetCheck(pCmdUI->m_nID == ID_TEST_RANGE_FIRST + 1); }
    void OnUpdateNum(CCmdUI* pCmdUI) { pCmdUI->SetText("N=7"); }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestFrame, CFrameWnd)
    ON_WM_CREATE()
    ON_COMMAND(ID_TEST_VIEW, &CTestFrame::OnTestView)
    ON_COMMAND(ID_TEST_FRAME, &CTestFrame::OnTestFrame)
    ON_COMMAND(ID_TEST_DISABLED, &CTestFrame::OnTestDisabled)
    ON_COMMAND(ID_TEST_CHECKED, &CTestFrame::OnTestChecked)
    ON_COMMAND_RANGE(ID_TEST_RANGE_FIRST, ID_TEST_RANGE_LAST, &CTestFrame::OnRange)
    ON_UPDATE_COMMAND_UI(ID_TEST_DISABLED, &CTestFrame::OnUpdateDisabled)
    ON_UPDATE_COMMAND_UI(ID_TEST_CHECKED, &CTestFrame::OnUpdateChecked)
    ON_UPDATE_COMMAND_UI_RANGE(ID_TEST_RANGE_FIRST, ID_TEST_RANGE_LAST, &CTestFrame::OnUpdateRange)
    ON_UPDATE_COMMAND_UI(ID_INDICATOR_NUM, &CTestFrame::OnUpdateNum)
END_MESSAGE_MAP()

class FrameTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CommandLog().clear();
        CCreateContext context;
        context.m_pNewViewClass = RUNTIME_CLASS(CTestView);
        m_pFrame = new CTestFrame; // deletes itself with its window
        ASSERT_TRUE(m_pFrame->LoadFrame(IDR_TESTFRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, nullptr, &context));
        m_hFrame = m_pFrame->m_hWnd;
        m_pFrame->SetWindowPos(nullptr, 0, 0, 500, 400, SWP_NOZORDER);
        m_pFrame->ShowWindow(SW_SHOWNOACTIVATE);
        theTestApp.OnIdle(0);
    }
    void TearDown() override
    {
        if (::IsWindow(m_hFrame))
            ::DestroyWindow(m_hFrame);
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }
    void Command(UINT nID, WORD wCode = 0, HWND hWndCtrl = nullptr)
    {
        ::SendMessageA(m_hFrame, WM_COMMAND, MAKEWPARAM(nID, wCode), reinterpret_cast<LPARAM>(hWndCtrl));
    }
    Log Take()
    {
        Log log;
        log.swap(CommandLog());
        return log;
    }

    CTestFrame* m_pFrame = nullptr;
    HWND m_hFrame = nullptr;
};

TEST_F(FrameTest, CommandsGoToTheViewThenTheFrameThenTheApplication)
{
    struct Case
    {
        UINT nID;
        const char* expected;
    };
    const Case cases[] = {
        {ID_TEST_VIEW, "view:view"},   // view and frame handle it: the view wins
        {ID_TEST_FRAME, "frame:frame"}, // frame and application: the frame wins
        {ID_TEST_APP, "app:app"},       // only the application
        {ID_TEST_RANGE_FIRST + 2, "frame:range2"},
    };
    for (const Case& c : cases) {
        Command(c.nID);
        EXPECT_EQ(Log{c.expected}, Take()) << c.nID;
    }
    Command(ID_TEST_NOHANDLER);
    EXPECT_TRUE(Take().empty());
}

TEST_F(FrameTest, AnOverriddenOnCmdMsgOffersCommandsToItsOwnTargetsFirst)
{
    CTestPane pane;
    m_pFrame->m_pFirstTarget = &pane;
    Command(ID_TEST_FRAME);
    Command(ID_TEST_VIEW);
    EXPECT_EQ((Log{"pane:frame", "view:view"}), Take());
    m_pFrame->m_pFirstTarget = nullptr;
}

TEST_F(FrameTest, ADisabledCommandIsRefusedFromMenuAcceleratorAndToolBar)
{
    const HWND hToolBar = m_pFrame->m_wndToolBar.m_hWnd;
    Command(ID_TEST_DISABLED);                     // menu
    Command(ID_TEST_DISABLED, 1);                  // accelerator
    Command(ID_TEST_DISABLED, BN_CLICKED, hToolBar); // tool-bar button
    EXPECT_TRUE(Take().empty());
    Command(ID_TEST_CHECKED, BN_CLICKED, hToolBar);
    EXPECT_EQ(Log{"frame:checked"}, Take());

    // The real accelerator path: Ctrl+E runs, Ctrl+D is refused.
    BYTE saved[256];
    ASSERT_TRUE(::GetKeyboardState(saved));
    BYTE state[256];
    memcpy(state, saved, sizeof(state));
    state[VK_CONTROL] = 0x80;
    ::SetKeyboardState(state);
    for (const WPARAM key : {WPARAM('E'), WPARAM('D')}) {
        MSG msg = {m_hFrame, WM_KEYDOWN, key, 0x00200001};
        EXPECT_TRUE(theTestApp.PreTranslateMessage(&msg)) << static_cast<char>(key);
    }
    ::SetKeyboardState(saved);
    EXPECT_EQ(Log{"frame:frame"}, Take());
}

TEST_F(FrameTest, IdleUpdateSetsToolBarButtonsAndStatusPanes)
{
    CToolBar& bar = m_pFrame->m_wndToolBar;
    EXPECT_EQ(5, bar.GetCount());
    EXPECT_EQ(ID_TEST_DISABLED, bar.GetItemID(3));
    EXPECT_EQ(3, bar.CommandToIndex(ID_TEST_DISABLED));
    EXPECT_FALSE(bar.SendMessage(TB_ISBUTTONENABLED, ID_TEST_DISABLED));
    EXPECT_TRUE(bar.SendMessage(TB_ISBUTTONENABLED, ID_TEST_FRAME));
    EXPECT_TRUE(bar.SendMessage(TB_ISBUTTONCHECKED, ID_TEST_CHECKED));
    EXPECT_NE(0u, bar.GetButtonStyle(3) & TBBS_DISABLED);

    CStatusBar& status = m_pFrame->m_wndStatusBar;
    EXPECT_EQ(3, status.GetCount());
    EXPECT_EQ(2, status.CommandToIndex(ID_INDICATOR_NUM));
    EXPECT_STREQ("N=7", status.GetPaneText(2));
    // CAPS has the frame's own key handler: shown only while Caps Lock is on.
    const bool bCaps = (::GetKeyState(VK_CAPITAL) & 1) != 0;
    EXPECT_EQ(bCaps, (status.GetPaneStyle(1) & SBPS_DISABLED) == 0);
    CRect rcPane;
    status.GetItemRect(2, &rcPane);
    EXPECT_GT(rcPane.Width(), 0);
    // A pane shows a UTF-8 text (a name from a drawing) in its own script, and a text in the
    // system's code page as before.
    const struct { const char* text; const wchar_t* shown; } panes[] = {
        {"\xD0\x9B\xD0\xB8\xD1\x81\xD1\x82", L"\x041B\x0438\x0441\x0442"},
        {"\xE4\xB8\xAD", L"\x4E2D"},
        {"caf\xE9", L"caf\x00E9"},
    };
    for (const auto& pane : panes) {
        status.SetPaneText(0, pane.text);
        wchar_t shown[32] = {};
        status.SendMessage(SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(shown));
        EXPECT_STREQ(shown, pane.shown) << pane.text;
    }
}

TEST_F(FrameTest, InitMenuPopupChecksEnablesAndDisablesItems)
{
    CMenu* pPopup = m_pFrame->GetMenu()->GetSubMenu(0);
    ASSERT_NE(nullptr, pPopup);
    ::SendMessageA(m_hFrame, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(pPopup->m_hMenu), MAKELPARAM(0, FALSE));
    struct Case
    {
        UINT nID;
        bool bGrayed;
        bool bChecked;
    };
    const Case cases[] = {
        {ID_TEST_VIEW, false, false},     {ID_TEST_DISABLED, true, false},
        {ID_TEST_CHECKED, false, true},   {ID_TEST_NOHANDLER, true, false}, // no handler at all
        {ID_TEST_RANGE_FIRST, false, false}, {ID_TEST_RANGE_FIRST + 1, false, true},
    };
    for (const Case& c : cases) {
        const UINT nState = pPopup->GetMenuState(c.nID, MF_BYCOMMAND);
        EXPECT_EQ(c.bGrayed, (nState & MF_GRAYED) != 0) << c.nID;
        EXPECT_EQ(c.bChecked, (nState & MF_CHECKED) != 0) << c.nID;
    }
}

TEST_F(FrameTest, LayoutPromptsTipsAndTitle)
{
    // Bars take the top and bottom strips; the view gets what is left between them.
    CRect rcToolBar, rcStatus, rcView;
    m_pFrame->m_wndToolBar.GetWindowRect(&rcToolBar);
    m_pFrame->m_wndStatusBar.GetWindowRect(&rcStatus);
    m_pFrame->GetActiveView()->GetWindowRect(&rcView);
    EXPECT_GT(rcToolBar.Height(), 15);
    EXPECT_EQ(rcToolBar.bottom, rcView.top);
    EXPECT_EQ(rcView.bottom, rcStatus.top);

    ::SendMessageA(m_hFrame, WM_MENUSELECT, MAKEWPARAM(ID_TEST_FRAME, MF_STRING), 0);
    EXPECT_STREQ("Runs the frame command", m_pFrame->m_wndStatusBar.GetPaneText(0));
    ::SendMessageA(m_hFrame, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    EXPECT_STREQ("Ready", m_pFrame->m_wndStatusBar.GetPaneText(0));
    m_pFrame->SetMessageText("Loading");
    CString strText;
    m_pFrame->m_wndStatusBar.GetWindowText(strText);
    EXPECT_STREQ("Loading", strText);

    NMTTDISPINFOA info = {};
    info.hdr.hwndFrom = m_pFrame->m_wndToolBar.m_hWnd;
    info.hdr.idFrom = ID_TEST_FRAME;
    info.hdr.code = TTN_GETDISPINFOA;
    ::SendMessageA(m_hFrame, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_STREQ("Frame command", info.szText);

    CString strTitle;
    m_pFrame->GetWindowText(strTitle);
    EXPECT_STREQ("Window Test", strTitle);
}

TEST_F(FrameTest, FromHandleGivesThePermanentObjectOrATemporaryFreedAtIdle)
{
    EXPECT_EQ(m_pFrame, CWnd::FromHandle(m_hFrame));
    EXPECT_EQ(&m_pFrame->m_wndToolBar, CWnd::FromHandlePermanent(m_pFrame->m_wndToolBar.m_hWnd));

    const HWND hForeign = ::CreateWindowExA(0, "STATIC", "foreign", WS_CHILD, 0, 0, 10, 10, m_hFrame,
                                            nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, hForeign);
    theTestApp.OnIdle(1);
    EXPECT_EQ(0u, AfxGetTempObjectCount());
    CWnd* pTemp = CWnd::FromHandle(hForeign);
    ASSERT_NE(nullptr, pTemp);
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hForeign));
    EXPECT_EQ(pTemp, CWnd::FromHandle(hForeign));
    EXPECT_EQ(hForeign, pTemp->m_hWnd);
    EXPECT_EQ(1u, AfxGetTempObjectCount());
    EXPECT_FALSE(theTestApp.OnIdle(1));
    EXPECT_EQ(0u, AfxGetTempObjectCount());
    EXPECT_TRUE(::IsWindow(hForeign)); // freeing the wrapper left the window alone
}

TEST_F(FrameTest, ClosingTheMainWindowEndsTheMessageLoop)
{
    theTestApp.m_pMainWnd = m_pFrame;
    EXPECT_EQ(m_pFrame, AfxGetMainWnd());
    ::PostMessageA(m_hFrame, WM_CLOSE, 0, 0);
    const int nExit = theTestApp.Run();
    EXPECT_EQ(0, nExit);
    EXPECT_FALSE(::IsWindow(m_hFrame));
    EXPECT_EQ(nullptr, theTestApp.m_pMainWnd);
}

} // namespace

