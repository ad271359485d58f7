// CBarControlBar: a dockable bar whose extent the user changes by dragging its edges, with a
// caption strip (gripper, hide button, expand-or-contract button). It keeps one size per
// orientation (docked across the top or bottom, docked at a side, floating), shares its row's
// length with the other sizing bars of the row, can take the whole row, and stores its sizes
// in the profile under "<section>-SCBar-<id>".
#pragma once

#include "ui/CBarToolBarBase.h"
#include "ui/CSCBButton.h"

#include <vector>

class CBarControlBar : public CBarToolBarBase
{
    DECLARE_DYNAMIC(CBarControlBar)

public:
    CBarControlBar();
    ~CBarControlBar() override;

    using CWnd::Create;
    virtual BOOL Create(CWnd* pParentWnd, UINT nID, LPCSTR lpszTitle, CSize sizeDefault,
                        DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_TOP, BOOL bWithCaption = TRUE);
    virtual void LoadSizes(LPCSTR lpszSection);
    virtual void SaveSizes(LPCSTR lpszSection);
    virtual void BeginResize(UINT nHitTest);
    virtual void EndResize();
    virtual void ResizeTo(CPoint point);
    virtual void DrawResizeTracker();
    virtual void AlignControlBars();
    virtual BOOL UseNcUpdateRegion() { return TRUE; }

    static void LoadAllSizes(LPCSTR lpszSection);
    static void SaveAllSizes(LPCSTR lpszSection);
    // Every sizing bar with a window, in the order they were made.
    static const std::vector<CBarControlBar*>& GetSizingBarList();

    BOOL DestroyWindow() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;
    CSize CalcDynamicLayout(int nLength, DWORD dwMode) override;

    // Takes the whole row, or gives the row back to its bars.
    void ToggleExpand();
    BOOL IsExpanded() const { return m_bExpanded; }
    BOOL IsSingleInRow() const { return m_bSingleInRow; }
    BOOL IsFloatingBar() const;
    BOOL IsHorzDocked() const;
    // The text of a caption button's tip (0 hide, 1 expand).
    CString GetButtonTipText(int nButton) const;
    // The edge strip of a hit-test code (screen coordinates); FALSE when that edge is not active.
    BOOL GetEdgeRect(const CRect& rcWnd, UINT nHitTest, CRect& rcEdge) const;

    CSize m_szHorz{200, 200};
    CSize m_szVert{200, 200};
    CSize m_szFloat{200, 200};
    DWORD m_dwEdges = 0;
    UINT m_htEdge = 0;
    CSize m_szMin{33, 32};
    CSize m_szMinT;
    CSize m_szMaxT;
    CSize m_szOld;
    CPoint m_ptOld;
    BOOL m_bTracking = FALSE;
    int m_nPushedButton = -1;
    BOOL m_bKeepSize = FALSE;
    BOOL m_bParentSizing = FALSE;
    UINT m_nDockBarID = 0;
    int m_cxEdge = 5;
    int m_cyCaption = 0;
    BOOL m_bExpanded = FALSE;
    CToolTipCtrl m_wndToolTip;
    BOOL m_bSingleInRow = FALSE;
    CRect m_rcInvalidate;
    int m_cxBorder = 5;
    BOOL m_bHoverTimer = FALSE;
    CSCBButton m_btnHide{HTSCB_HIDE, IDS_SCB_HIDE};
    CSCBButton m_btnExpand{HTSCB_EXPAND, IDS_SCB_CONTRACT};

protected:
    // The sizing bars of this bar's row, in order; nThis gets this bar's place among them.
    std::vector<CBarControlBar*> GetRowSizingBars(int* pThis = nullptr) const;
    // The first and last entry of this bar's row in its dock bar, and this bar's entry.
    BOOL GetRowInfo(int& nFirst, int& nLast, int& nThis) const;
    BOOL NegotiateSpace(int nLengthTotal, BOOL bHorz);
    BOOL IsEdgeActive(UINT nHitTest) const;
    CSize& CurrentSize() { return IsHorzDocked() ? m_szHorz : m_szVert; }
    static LONG& Length(CSize& size, BOOL bHorz) { return bHorz ? size.cx : size.cy; }
    static LONG& Thickness(CSize& size, BOOL bHorz) { return bHorz ? size.cy : size.cx; }
    CRect GetAvailableRect() const;
    void RepaintButton(const CSCBButton& button);
    void HoverStep();
    void ReleaseButtons();
    void UpdateExpandTip();
    // The caption button under a point (screen coordinates), or null.
    CSCBButton* ButtonAt(CPoint point);
    CSCBButton* ButtonOf(int nIndex) { return nIndex == 0 ? &m_btnHide : nIndex == 1 ? &m_btnExpand : nullptr; }
    void HandleNcLButtonDown(UINT nHitTest, CPoint point);
    void DrawGripperStrip(CDC* pDC, const CRect& rcBar, const CRect& rcClient);

    int OnCreate(LPCREATESTRUCTA lpcs);
    void OnDestroy();
    void OnNcCalcSize(BOOL bCalcValidRects, NCCALCSIZE_PARAMS* lpncsp);
    void OnNcPaint();
    void OnPaint();
    LRESULT OnNcHitTest(CPoint point);
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    void OnWindowPosChanging(WINDOWPOS* lpwndpos);
    void OnNcLButtonDown(UINT nHitTest, CPoint point);
    void OnNcLButtonDblClk(UINT nHitTest, CPoint point);
    void OnNcMouseMove(UINT nHitTest, CPoint point);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnLButtonUp(UINT nFlags, CPoint point);
    void OnRButtonDown(UINT nFlags, CPoint point);
    void OnMouseMove(UINT nFlags, CPoint point);
    void OnTimer(UINT_PTR nIDEvent);
    void OnCaptureChanged(CWnd* pWnd);

    CPoint m_ptDown; // screen point of the press that starts a drag of an edge

    DECLARE_MESSAGE_MAP()
};
