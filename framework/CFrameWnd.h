// CFrameWnd: a top-level frame made from one resource id (menu, accelerators, icon, title
// string), with bars placed by RecalcLayout, an active view that gets commands first, menu
// item update and status-line prompts. Also CCreateContext and the frame styles.
#pragma once

#include "framework/AfxRes.h"
#include "framework/CString.h"
#include "framework/CWnd.h"

#include <vector>

class CView;
class CControlBar;
class CDockBar;
class CDockState;
class CMiniDockFrameWnd;

// Frame styles (in the window style's class-specific bits).
#define FWS_ADDTOTITLE 0x00008000L
#define FWS_PREFIXTITLE 0x00040000L
#define FWS_SNAPTOBARS 0x00020000L

// What a frame needs to make its view.
struct CCreateContext
{
    CRuntimeClass* m_pNewViewClass = nullptr;
    CView* m_pLastView = nullptr;
    CFrameWnd* m_pCurrentFrame = nullptr;
};

class CFrameWnd : public CWnd
{
    DECLARE_DYNAMIC(CFrameWnd)

public:
    CFrameWnd();
    ~CFrameWnd() override;

    static const CRect rectDefault;

    BOOL Create(LPCSTR lpszClassName, LPCSTR lpszWindowName,
                DWORD dwStyle = WS_OVERLAPPEDWINDOW, const RECT& rect = rectDefault,
                CWnd* pParentWnd = nullptr, LPCSTR lpszMenuName = nullptr, DWORD dwExStyle = 0,
                CCreateContext* pContext = nullptr);
    // Menu, accelerator table, icon and title (the string's text before the first '\n') all
    // come from nIDResource; a missing icon or accelerator table is not an error.
    virtual BOOL LoadFrame(UINT nIDResource, DWORD dwDefaultStyle = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                           CWnd* pParentWnd = nullptr, CCreateContext* pContext = nullptr);

    virtual void RecalcLayout(BOOL bNotify = TRUE);
    virtual void ActivateFrame(int nCmdShow = -1);
    CView* GetActiveView() const { return m_pViewActive; }
    void SetActiveView(CView* pViewNew, BOOL bNotify = TRUE);
    virtual void OnUpdateFrameTitle(BOOL bAddToTitle);
    void UpdateFrameTitleForDocument(LPCSTR lpszDocName);
    // The title is brought up to date at the next idle time.
    void DelayUpdateFrameTitle() { m_bTitleDirty = TRUE; }
    void SetTitle(LPCSTR lpszTitle) { m_strTitle = lpszTitle; }
    CString GetTitle() const { return m_strTitle; }
    // The status bar (child AFX_IDW_STATUS_BAR), or null.
    virtual CWnd* GetMessageBar();
    void SetMessageText(LPCSTR lpszText);
    void SetMessageText(UINT nID);
    // The status-line prompt of a command: string nID up to its first '\n'.
    virtual void GetMessageString(UINT nID, CString& rMessage) const;
    CWnd* CreateView(CCreateContext* pContext, UINT nID = AFX_IDW_PANE_FIRST);

    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    BOOL IsFrameWnd() const override { return TRUE; }

    // Docking. EnableDocking makes the dock bars of the sides asked for (CBRS_ALIGN_...);
    // DockControlBar docks a bar in the dock bar of that id (0: the first side the bar may
    // take) at a place in screen coordinates or at the end of a new row.
    void EnableDocking(DWORD dwDockStyle);
    void DockControlBar(CControlBar* pBar, UINT nDockBarID = 0, LPCRECT lpRect = nullptr);
    void DockControlBar(CControlBar* pBar, CDockBar* pDockBar, LPCRECT lpRect = nullptr);
    // Docks a bar where it was docked before it floated (its place holder), if it has one.
    void ReDockControlBar(CControlBar* pBar, CDockBar* pDockBar, LPCRECT lpRect = nullptr);
    // Floats a bar in a floating frame at a screen point (kept on the screen).
    void FloatControlBar(CControlBar* pBar, CPoint point, DWORD dwStyle = 0x2000L /* CBRS_ALIGN_TOP */);
    void ShowControlBar(CControlBar* pBar, BOOL bShow, BOOL bDelay);
    // The bar with that id among the bars that belong to this frame (floating ones too).
    CControlBar* GetControlBar(UINT nID);
    void AddControlBar(CControlBar* pBar);
    void RemoveControlBar(CControlBar* pBar);
    // The visible dock bar of this frame that a rectangle (screen coordinates) touches, among
    // the sides in dwDockStyle; null when none.
    CDockBar* CanDock(const CRect& rect, DWORD dwDockStyle);
    CMiniDockFrameWnd* CreateFloatingFrame(DWORD dwStyle);
    // The layout runs at the next idle time.
    void DelayRecalcLayout(BOOL bNotify = TRUE);
    // The docking layout in the profile (see CDockState).
    void LoadBarState(LPCSTR lpszProfileName);
    void SaveBarState(LPCSTR lpszProfileName);
    void GetDockState(CDockState& state);
    void SetDockState(CDockState& state);

    // Idle-time command UI of every visible frame of the thread and of its bars.
    static void PASCAL IdleUpdateVisibleFrames();

    HACCEL m_hAccelTable = nullptr;
    BOOL m_bAutoMenuEnable = TRUE; // menu items without a command handler are disabled
    UINT m_nIDHelp = 0;
    CRect m_rectBorder;            // space kept free around the view by RecalcLayout
    std::vector<CControlBar*> m_listControlBars; // in the order they were made
    CRuntimeClass* m_pFloatingFrameClass = nullptr;
    CString m_strTitle;

protected:
    virtual BOOL OnCreateClient(LPCREATESTRUCTA lpcs, CCreateContext* pContext);
    void PostNcDestroy() override;

    int OnCreate(LPCREATESTRUCTA lpcs);
    void OnSize(UINT nType, int cx, int cy);
    void OnClose();
    void OnDestroy();
    void OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu);
    void OnMenuSelect(UINT nItemID, UINT nFlags, HMENU hSysMenu);
    void OnSetFocus(CWnd* pOldWnd);
    LRESULT OnSetMessageString(WPARAM wParam, LPARAM lParam);
    LRESULT OnIdleUpdateCmdUI(WPARAM wParam, LPARAM lParam);
    BOOL OnToolTipText(UINT nID, NMHDR* pNMHDR, LRESULT* pResult);
    void OnUpdateKeyIndicator(CCmdUI* pCmdUI);
    void OnUpdateControlBarMenu(CCmdUI* pCmdUI);
    BOOL OnBarCheck(UINT nID);

    CView* m_pViewActive = nullptr;
    UINT m_nIDTracking = 0;
    UINT m_nIDLastMessage = 0;
    BOOL m_bTitleDirty = TRUE;
    BOOL m_bInRecalcLayout = FALSE;
    enum IdleFlags
    {
        idleLayout = 2,
        idleNotify = 4,
    };
    UINT m_nIdleFlags = 0;

    DECLARE_MESSAGE_MAP()
};

// Part iSubString of a text divided by chSep ("prompt\ntip" strings); FALSE when absent.
BOOL AFXAPI AfxExtractSubString(CString& rString, LPCSTR lpszFullString, int iSubString,
                                char chSep = '\n');
