#include "framework/CFrameWnd.h"

#include "framework/AfxGlobals.h"
#include "framework/CCmdUI.h"
#include "framework/CControlBar.h"
#include "framework/CView.h"
#include "framework/CWinApp.h"

#include <algorithm>
#include <vector>

IMPLEMENT_DYNAMIC(CFrameWnd, CWnd)

BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_CLOSE()
    ON_WM_DESTROY()
    ON_WM_INITMENUPOPUP()
    ON_WM_MENUSELECT()
    ON_WM_SETFOCUS()
    ON_MESSAGE(WM_SETMESSAGESTRING, &CFrameWnd::OnSetMessageString)
    ON_MESSAGE(WM_IDLEUPDATECMDUI, &CFrameWnd::OnIdleUpdateCmdUI)
    ON_NOTIFY_EX_RANGE(TTN_GETDISPINFOA, 0, 0xFFFF, &CFrameWnd::OnToolTipText)
    ON_UPDATE_COMMAND_UI(ID_INDICATOR_CAPS, &CFrameWnd::OnUpdateKeyIndicator)
    ON_UPDATE_COMMAND_UI(ID_INDICATOR_NUM, &CFrameWnd::OnUpdateKeyIndicator)
    ON_UPDATE_COMMAND_UI(ID_INDICATOR_SCRL, &CFrameWnd::OnUpdateKeyIndicator)
    ON_UPDATE_COMMAND_UI(ID_VIEW_TOOLBAR, &CFrameWnd::OnUpdateControlBarMenu)
    ON_UPDATE_COMMAND_UI(ID_VIEW_STATUS_BAR, &CFrameWnd::OnUpdateControlBarMenu)
    ON_COMMAND_EX(ID_VIEW_TOOLBAR, &CFrameWnd::OnBarCheck)
    ON_COMMAND_EX(ID_VIEW_STATUS_BAR, &CFrameWnd::OnBarCheck)
END_MESSAGE_MAP()

const CRect CFrameWnd::rectDefault(CW_USEDEFAULT, CW_USEDEFAULT, 0, 0);

namespace {

// The frames of each thread, for idle-time updates.
std::vector<CFrameWnd*>& ThreadFrames()
{
    static thread_local std::vector<CFrameWnd*> frames;
    return frames;
}

} // namespace

BOOL AFXAPI AfxExtractSubString(CString& rString, LPCSTR lpszFullString, int iSubString, char chSep)
{
    rString.Empty();
    if (lpszFullString == nullptr || iSubString < 0)
        return FALSE;
    LPCSTR lpszStart = lpszFullString;
    for (int i = 0; i < iSubString; ++i) {
        lpszStart = strchr(lpszStart, chSep);
        if (lpszStart == nullptr)
            return FALSE;
        ++lpszStart;
    }
    LPCSTR lpszEnd = strchr(lpszStart, chSep);
    const int nLength = lpszEnd != nullptr ? static_cast<int>(lpszEnd - lpszStart) : lstrlenA(lpszStart);
    memcpy(rString.GetBufferSetLength(nLength), lpszStart, static_cast<size_t>(nLength));
    rString.ReleaseBuffer(nLength);
    return TRUE;
}

CFrameWnd::CFrameWnd()
{
    ThreadFrames().push_back(this);
}

CFrameWnd::~CFrameWnd()
{
    auto& frames = ThreadFrames();
    frames.erase(std::remove(frames.begin(), frames.end(), this), frames.end());
}

void PASCAL CFrameWnd::IdleUpdateVisibleFrames()
{
    // A copy: an update handler may create or destroy frames.
    const std::vector<CFrameWnd*> frames = ThreadFrames();
    for (CFrameWnd* pFrame : frames) {
        const auto& current = ThreadFrames();
        if (std::find(current.begin(), current.end(), pFrame) == current.end())
            continue;
        const HWND hWnd = pFrame->m_hWnd;
        if (hWnd == nullptr || !::IsWindowVisible(hWnd))
            continue;
        AfxCallWndProc(pFrame, hWnd, WM_IDLEUPDATECMDUI, TRUE, 0);
        pFrame->SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE, 0, TRUE, TRUE);
    }
}

BOOL CFrameWnd::PreCreateWindow(CREATESTRUCTA& cs)
{
    if (cs.lpszClass == nullptr) {
        if (!AfxRegisterDefaultClasses())
            return FALSE;
        cs.lpszClass = AFX_FRAMEORVIEW_CLASS;
    }
    if ((cs.style & FWS_ADDTOTITLE) != 0)
        cs.style |= FWS_PREFIXTITLE;
    cs.dwExStyle |= WS_EX_CLIENTEDGE;
    return TRUE;
}

BOOL CFrameWnd::Create(LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                       CWnd* pParentWnd, LPCSTR lpszMenuName, DWORD dwExStyle, CCreateContext* pContext)
{
    HMENU hMenu = nullptr;
    if (lpszMenuName != nullptr) {
        hMenu = ::LoadMenuA(AfxFindResourceHandle(lpszMenuName, MAKEINTRESOURCEA(4)), lpszMenuName);
        if (hMenu == nullptr)
            return FALSE;
    }
    m_strTitle = lpszWindowName;
    const bool bDefault = rect.left == CW_USEDEFAULT;
    const BOOL bCreated = CreateEx(dwExStyle, lpszClassName, lpszWindowName, dwStyle, rect.left, rect.top,
                                   bDefault ? CW_USEDEFAULT : rect.right - rect.left,
                                   bDefault ? CW_USEDEFAULT : rect.bottom - rect.top,
                                   pParentWnd != nullptr ? pParentWnd->m_hWnd : nullptr, hMenu, pContext);
    // A window that failed to appear did not take the menu with it.
    if (!bCreated && hMenu != nullptr)
        ::DestroyMenu(hMenu);
    return bCreated;
}

BOOL CFrameWnd::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd* pParentWnd, CCreateContext* pContext)
{
    m_nIDHelp = nIDResource;
    const LPCSTR lpszResource = MAKEINTRESOURCEA(nIDResource);
    CString strFull;
    strFull.LoadString(nIDResource);
    AfxExtractSubString(m_strTitle, strFull, 0);

    LPCSTR lpszClass = nullptr;
    const HINSTANCE hInst = AfxFindResourceHandle(lpszResource, MAKEINTRESOURCEA(14));
    if (const HICON hIcon = ::LoadIconA(hInst, lpszResource)) {
        lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursor(nullptr, IDC_ARROW),
                                        reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), hIcon);
    }
    const HMENU hMenuCheck = ::LoadMenuA(AfxFindResourceHandle(lpszResource, MAKEINTRESOURCEA(4)), lpszResource);
    const bool bHasMenu = hMenuCheck != nullptr;
    if (hMenuCheck != nullptr)
        ::DestroyMenu(hMenuCheck);
    const CString strTitle = m_strTitle;
    if (!Create(lpszClass, strTitle, dwDefaultStyle, rectDefault, pParentWnd,
                bHasMenu ? lpszResource : nullptr, 0, pContext))
        return FALSE; // the frame may already be deleted by PostNcDestroy
    m_hAccelTable = ::LoadAcceleratorsA(AfxFindResourceHandle(lpszResource, MAKEINTRESOURCEA(9)), lpszResource);
    if (m_pViewActive == nullptr) {
        CWnd* pPane = GetDescendantWindow(AFX_IDW_PANE_FIRST, TRUE);
        if (pPane != nullptr && pPane->IsKindOf(RUNTIME_CLASS(CView)))
            SetActiveView(static_cast<CView*>(pPane), FALSE);
    }
    if (pContext == nullptr)
        SendMessageToDescendants(WM_INITIALUPDATE, 0, 0, TRUE, TRUE);
    return TRUE;
}

int CFrameWnd::OnCreate(LPCREATESTRUCTA lpcs)
{
    if (CWnd::OnCreate(lpcs) == -1)
        return -1;
    if (!OnCreateClient(lpcs, static_cast<CCreateContext*>(lpcs->lpCreateParams)))
        return -1;
    RecalcLayout();
    return 0;
}

BOOL CFrameWnd::OnCreateClient(LPCREATESTRUCTA, CCreateContext* pContext)
{
    if (pContext == nullptr || pContext->m_pNewViewClass == nullptr)
        return TRUE;
    return CreateView(pContext, AFX_IDW_PANE_FIRST) != nullptr;
}

CWnd* CFrameWnd::CreateView(CCreateContext* pContext, UINT nID)
{
    CObject* pObject = pContext->m_pNewViewClass->CreateObject();
    CWnd* pView = dynamic_cast<CWnd*>(pObject);
    if (pView == nullptr) {
        delete pObject;
        return nullptr;
    }
    // The view deletes itself when its window is destroyed (PostNcDestroy), also on failure.
    if (!pView->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE | WS_BORDER, CRect(0, 0, 0, 0), this, nID, pContext))
        return nullptr;
    return pView;
}

void CFrameWnd::PostNcDestroy()
{
    delete this; // frames are made with new and end with their window
}

void CFrameWnd::RecalcLayout(BOOL)
{
    // A bar may ask for a layout while it is being laid out.
    if (m_bInRecalcLayout || m_hWnd == nullptr)
        return;
    m_bInRecalcLayout = TRUE;
    m_nIdleFlags &= ~static_cast<UINT>(idleLayout | idleNotify);
    RepositionBars(0, 0xFFFF, AFX_IDW_PANE_FIRST, reposExtra, &m_rectBorder);
    m_bInRecalcLayout = FALSE;
}

void CFrameWnd::OnSize(UINT nType, int cx, int cy)
{
    CWnd::OnSize(nType, cx, cy);
    if (nType != SIZE_MINIMIZED)
        RecalcLayout();
}

void CFrameWnd::OnClose()
{
    DestroyWindow();
}

void CFrameWnd::OnDestroy()
{
    m_pViewActive = nullptr;
    CWnd::OnDestroy();
}

void CFrameWnd::OnSetFocus(CWnd* pOldWnd)
{
    // The active view keeps the keyboard while its frame is active.
    if (m_pViewActive != nullptr && m_pViewActive->m_hWnd != nullptr)
        m_pViewActive->SetFocus();
    else
        CWnd::OnSetFocus(pOldWnd);
}

void CFrameWnd::ActivateFrame(int nCmdShow)
{
    if (nCmdShow == -1) {
        if (!IsWindowVisible())
            nCmdShow = SW_SHOWNORMAL;
        else if (IsIconic())
            nCmdShow = SW_RESTORE;
    }
    if (nCmdShow != -1)
        ShowWindow(nCmdShow);
    BringWindowToTop();
    DelayUpdateFrameTitle();
}

void CFrameWnd::SetActiveView(CView* pViewNew, BOOL bNotify)
{
    CView* pViewOld = m_pViewActive;
    if (pViewNew == pViewOld)
        return;
    m_pViewActive = nullptr;
    if (pViewOld != nullptr && bNotify)
        pViewOld->OnActivateView(FALSE, pViewNew, pViewOld);
    m_pViewActive = pViewNew;
    if (pViewNew != nullptr && bNotify)
        pViewNew->OnActivateView(TRUE, pViewNew, pViewOld);
}

BOOL CFrameWnd::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    // The active view first, then the frame itself, then the application.
    CView* pView = m_pViewActive;
    if (pView != nullptr && pView->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    CWinApp* pApp = AfxGetApp();
    return pApp != nullptr && pApp->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

BOOL CFrameWnd::PreTranslateMessage(MSG* pMsg)
{
    if (CWnd::PreTranslateMessage(pMsg))
        return TRUE;
    if (pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST && m_hAccelTable != nullptr)
        return ::TranslateAcceleratorA(m_hWnd, m_hAccelTable, pMsg) != 0;
    return FALSE;
}

void CFrameWnd::OnInitMenuPopup(CMenu* pPopupMenu, UINT, BOOL bSysMenu)
{
    if (bSysMenu || pPopupMenu == nullptr)
        return;
    CCmdUI state;
    state.m_pMenu = pPopupMenu;
    state.m_nIndexMax = static_cast<UINT>(pPopupMenu->GetMenuItemCount());
    for (state.m_nIndex = 0; state.m_nIndex < state.m_nIndexMax; ++state.m_nIndex) {
        state.m_nID = pPopupMenu->GetMenuItemID(static_cast<int>(state.m_nIndex));
        // Separators and submenus have no command of their own.
        if (state.m_nID == 0 || state.m_nID == static_cast<UINT>(-1))
            continue;
        state.m_pSubMenu = nullptr;
        state.DoUpdate(this, m_bAutoMenuEnable && state.m_nID < 0xF000);
        // A handler may have removed items.
        const UINT nCount = static_cast<UINT>(pPopupMenu->GetMenuItemCount());
        if (nCount < state.m_nIndexMax) {
            const UINT nRemoved = state.m_nIndexMax - nCount;
            state.m_nIndex = state.m_nIndex >= nRemoved ? state.m_nIndex - nRemoved : 0;
            state.m_nIndexMax = nCount;
        }
    }
}

void CFrameWnd::OnMenuSelect(UINT nItemID, UINT nFlags, HMENU hSysMenu)
{
    if (nFlags == 0xFFFF && hSysMenu == nullptr)
        m_nIDTracking = AFX_IDS_IDLEMESSAGE; // the menu closed
    else if (nItemID == 0 || (nFlags & (MF_SEPARATOR | MF_POPUP)) != 0)
        m_nIDTracking = 0;
    else
        m_nIDTracking = nItemID;
    SendMessage(WM_SETMESSAGESTRING, m_nIDTracking);
}

void CFrameWnd::GetMessageString(UINT nID, CString& rMessage) const
{
    CString strFull;
    if (strFull.LoadString(nID))
        AfxExtractSubString(rMessage, strFull, 0);
    else if (nID == AFX_IDS_IDLEMESSAGE)
        rMessage = "Ready";
    else
        rMessage.Empty();
}

LRESULT CFrameWnd::OnSetMessageString(WPARAM wParam, LPARAM lParam)
{
    const UINT nIDLast = m_nIDLastMessage;
    m_nIDLastMessage = static_cast<UINT>(wParam);
    if (CWnd* pMessageBar = GetMessageBar()) {
        CString strMessage;
        if (lParam != 0)
            strMessage = reinterpret_cast<LPCSTR>(lParam);
        else if (wParam != 0)
            GetMessageString(static_cast<UINT>(wParam), strMessage);
        pMessageBar->SetWindowText(strMessage);
    }
    return nIDLast;
}

CWnd* CFrameWnd::GetMessageBar()
{
    return GetDescendantWindow(AFX_IDW_STATUS_BAR, TRUE);
}

void CFrameWnd::SetMessageText(LPCSTR lpszText)
{
    SendMessage(WM_SETMESSAGESTRING, 0, reinterpret_cast<LPARAM>(lpszText));
}

void CFrameWnd::SetMessageText(UINT nID)
{
    SendMessage(WM_SETMESSAGESTRING, nID);
}

LRESULT CFrameWnd::OnIdleUpdateCmdUI(WPARAM, LPARAM)
{
    if ((m_nIdleFlags & idleLayout) != 0)
        RecalcLayout((m_nIdleFlags & idleNotify) != 0);
    if (m_bTitleDirty) {
        m_bTitleDirty = FALSE;
        OnUpdateFrameTitle(TRUE);
    }
    return 0;
}

void CFrameWnd::OnUpdateFrameTitle(BOOL)
{
    if ((GetStyle() & FWS_ADDTOTITLE) != 0)
        UpdateFrameTitleForDocument(nullptr);
}

void CFrameWnd::UpdateFrameTitleForDocument(LPCSTR lpszDocName)
{
    CString strText;
    if (lpszDocName == nullptr || *lpszDocName == '\0')
        strText = m_strTitle;
    else if ((GetStyle() & FWS_PREFIXTITLE) != 0)
        strText = CString(lpszDocName) + " - " + m_strTitle;
    else
        strText = m_strTitle + " - " + lpszDocName;
    // Setting an unchanged title would still repaint the caption.
    CString strOld;
    GetWindowText(strOld);
    if (strOld != strText)
        SetWindowText(strText);
}

BOOL CFrameWnd::OnToolTipText(UINT, NMHDR* pNMHDR, LRESULT* pResult)
{
    NMTTDISPINFOA* pTTT = reinterpret_cast<NMTTDISPINFOA*>(pNMHDR);
    UINT_PTR nID = pNMHDR->idFrom;
    if ((pTTT->uFlags & TTF_IDISHWND) != 0)
        nID = static_cast<UINT_PTR>(::GetDlgCtrlID(reinterpret_cast<HWND>(nID)));
    if (nID == 0 || nID > 0xFFFF)
        return FALSE;
    // The tip is the part of the command's string after the '\n'.
    CString strFull;
    CString strTip;
    if (strFull.LoadString(static_cast<UINT>(nID)))
        AfxExtractSubString(strTip, strFull, 1);
    lstrcpynA(pTTT->szText, strTip, static_cast<int>(sizeof(pTTT->szText)));
    *pResult = 0;
    return TRUE;
}

void CFrameWnd::OnUpdateKeyIndicator(CCmdUI* pCmdUI)
{
    const int nVirtKey = pCmdUI->m_nID == ID_INDICATOR_CAPS ? VK_CAPITAL
                         : pCmdUI->m_nID == ID_INDICATOR_NUM ? VK_NUMLOCK
                                                             : VK_SCROLL;
    pCmdUI->Enable((::GetKeyState(nVirtKey) & 1) != 0);
}

void CFrameWnd::OnUpdateControlBarMenu(CCmdUI* pCmdUI)
{
    CControlBar* pBar = GetControlBar(pCmdUI->m_nID);
    if (pBar == nullptr) {
        pCmdUI->ContinueRouting();
        return;
    }
    pCmdUI->SetCheck(pBar->IsVisible() ? 1 : 0);
}

BOOL CFrameWnd::OnBarCheck(UINT nID)
{
    CControlBar* pBar = GetControlBar(nID);
    if (pBar == nullptr)
        return FALSE;
    ShowControlBar(pBar, !pBar->IsVisible(), FALSE);
    return TRUE;
}
