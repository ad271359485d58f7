#include "tests/ui/BarTestFrame.h"

#include "ui/CBarDockBar.h"

CBarTestApp theBarTestApp;

BEGIN_MESSAGE_MAP(CTestSizingBar, CBarControlBar)
    ON_WM_CREATE()
    ON_WM_SIZE()
END_MESSAGE_MAP()

int CTestSizingBar::OnCreate(LPCREATESTRUCTA lpcs)
{
    if (CBarControlBar::OnCreate(lpcs) == -1)
        return -1;
    if (!m_wndList.Create(WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOINTEGRALHEIGHT, CRect(0, 0, 0, 0), this, 1))
        return -1;
    m_wndList.SetFont(CFont::FromHandle(static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT))));
    for (const char* item : {"Drawings", "Images", "Plans", "Sections"})
        m_wndList.AddString(item);
    return 0;
}

void CTestSizingBar::OnSize(UINT nType, int cx, int cy)
{
    CBarControlBar::OnSize(nType, cx, cy);
    if (m_wndList.m_hWnd != nullptr)
        m_wndList.MoveWindow(0, 0, cx, cy);
}

BEGIN_MESSAGE_MAP(CBarTestFrame, CBarFrameWnd)
    ON_WM_CREATE()
    ON_COMMAND(ID_FILE_NEW, &CBarTestFrame::OnFileNew)
    ON_COMMAND_EX(kTreeBarId, &CBarTestFrame::OnBarCheck)
    ON_COMMAND_EX(kPreviewBarId, &CBarTestFrame::OnBarCheck)
    ON_UPDATE_COMMAND_UI(kTreeBarId, &CBarTestFrame::OnUpdateControlBarMenu)
    ON_UPDATE_COMMAND_UI(kPreviewBarId, &CBarTestFrame::OnUpdateControlBarMenu)
END_MESSAGE_MAP()

CBarTestFrame* CBarTestFrame::Make()
{
    auto* pFrame = new CBarTestFrame; // deleted by its window (PostNcDestroy)
    if (!pFrame->Create(nullptr, "Bar Test", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CRect(40, 30, 840, 630))) 
        return nullptr;
    theBarTestApp.m_pMainWnd = pFrame;
    pFrame->ShowWindow(SW_SHOWNORMAL);
    pFrame->UpdateWindow();
    pFrame->RecalcLayout();
    PumpMessages();
    return pFrame;
}

int CBarTestFrame::OnCreate(LPCREATESTRUCTA lpcs)
{
    if (CBarFrameWnd::OnCreate(lpcs) == -1)
        return -1;
    if (!m_wndPane.Create("", WS_CHILD | WS_VISIBLE | SS_WHITERECT, CRect(0, 0, 0, 0), this, AFX_IDW_PANE_FIRST))
        return -1;
    if (!m_wndToolBar.CreateEx(this, TBSTYLE_FLAT,
                               WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_GRIPPER | CBRS_TOOLTIPS | CBRS_SIZE_DYNAMIC))
        return -1;
    m_wndToolBar.SendMessage(TB_LOADIMAGES, IDB_STD_SMALL_COLOR, reinterpret_cast<LPARAM>(HINST_COMMCTRL));
    const UINT buttons[] = {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, ID_SEPARATOR, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE};
    m_wndToolBar.SetButtons(buttons, 7);
    m_wndToolBar.SetSizes(CSize(23, 22), CSize(16, 16));
    const UINT indicators[] = {ID_SEPARATOR};
    if (!m_wndStatusBar.Create(this) || !m_wndStatusBar.SetIndicators(indicators, 1))
        return -1;
    if (!m_wndTree.Create(this, kTreeBarId, "Dir Tree", CSize(200, 250), WS_CHILD | WS_VISIBLE | CBRS_LEFT) ||
        !m_wndPreview.Create(this, kPreviewBarId, "PreView", CSize(200, 250), WS_CHILD | WS_VISIBLE | CBRS_LEFT))
        return -1;
    m_wndToolBar.EnableDocking(CBRS_ALIGN_ANY);
    m_wndTree.EnableDocking(CBRS_ALIGN_ANY);
    m_wndPreview.EnableDocking(CBRS_ALIGN_ANY);
    EnableDocking(CBRS_ALIGN_ANY);
    DockControlBar(&m_wndToolBar, AFX_IDW_DOCKBAR_TOP);
    // Beside a bar in a side dock bar means the same column, in front of it: the tree on top.
    DockControlBar(&m_wndPreview, AFX_IDW_DOCKBAR_LEFT);
    RecalcLayout();
    DockControlBarBeside(&m_wndTree, &m_wndPreview);
    return 0;
}

CBarTestApp::CBarTestApp() : CWinApp("Orvo Bar Tests")
{
    m_strKey.Format("OrvoBarTest-%lu", ::GetCurrentProcessId());
    SetRegistryKey(m_strKey);
}

CBarTestApp::~CBarTestApp()
{
    ClearProfile();
}

void CBarTestApp::ClearProfile()
{
    CString strPath("Software\\");
    strPath += m_strKey;
    ::RegDeleteTreeA(HKEY_CURRENT_USER, strPath);
}

void PumpMessages()
{
    // Bounded: a window that keeps posting to itself cannot hold the test.
    for (int round = 0; round < 50; ++round) {
        MSG msg;
        int nHandled = 0;
        while (nHandled < 1000 && ::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
            ++nHandled;
        }
        CFrameWnd::IdleUpdateVisibleFrames();
        if (nHandled == 0)
            return;
    }
}

void DestroyFrame(CFrameWnd*& pFrame)
{
    if (pFrame != nullptr && pFrame->m_hWnd != nullptr)
        pFrame->DestroyWindow();
    pFrame = nullptr;
    theBarTestApp.m_pMainWnd = nullptr;
    PumpMessages();
}
