// CDockBar: the strip along one side of a frame (or the inside of a floating frame) that holds
// docked control bars in rows. m_arrBars lists the bars in order; a null entry ends a row (the
// list begins and ends with one), and a number below 0x10000 in place of a bar remembers where
// an absent bar (one that floats now) was docked.
#pragma once

#include "framework/CControlBar.h"
#include "framework/CPtrArray.h"

class CDockBar : public CControlBar
{
    DECLARE_DYNAMIC(CDockBar)

public:
    explicit CDockBar(BOOL bFloating = FALSE);

    BOOL Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID);

    // Docks the bar at a place given in screen coordinates (its row found from the place), or
    // at the end of a new row.
    void DockControlBar(CControlBar* pBar, LPCRECT lpRect = nullptr);
    // Puts a bar back where its place holder is, else docks it like DockControlBar.
    void ReDockControlBar(CControlBar* pBar, LPCRECT lpRect = nullptr);
    // Takes the bar out; nAddPlaceHolder 1 leaves its id behind, -1 keeps earlier place
    // holders. TRUE when a floating frame that became empty destroyed itself.
    BOOL RemoveControlBar(CControlBar* pBar, int nPosExclude = -1, int nAddPlaceHolder = 0);
    void RemovePlaceHolder(CControlBar* pBar);
    // A bar whose window is going away: no entry of it may stay behind.
    void ForgetBar(CControlBar* pBar);

    int GetDockedCount() const;
    int GetDockedVisibleCount() const;
    // The bar at nPos, or null for a row end or a place holder.
    CControlBar* GetDockedControlBar(int nPos) const;
    int FindBar(const CControlBar* pBar, int nPosExclude = -1) const;
    // The first and last entry of the row of nPos (between the row ends).
    void GetRowBounds(int nPos, int& nFirst, int& nLast) const;

    CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;
    void OnUpdateCmdUI(CFrameWnd*, BOOL) override {}
    BOOL IsDockBar() const override { return TRUE; }
    void GetBarInfo(CControlBarInfo* pInfo) override;
    void SetBarInfo(CControlBarInfo* pInfo, CFrameWnd* pFrameWnd) override;

    BOOL m_bFloating;
    CPtrArray m_arrBars;
    BOOL m_bLayoutQuery = FALSE;
    CRect m_rectLayout; // the frame's free rectangle during a layout, else empty

protected:
    // Where the first bar of the first row starts, and how much a bar overlaps its neighbours
    // (along the row in cx for horizontal rows, across in cy).
    virtual CPoint GetRowOrigin() const;
    virtual CSize GetBarOverlap(CControlBar* pBar) const;
    // The row layout with the hooks above.
    CSize LayoutRows(BOOL bStretch, BOOL bHorz);
    BOOL HasNonClientFrame() const override { return TRUE; }
    // The row the point (client coordinates) falls in; the bar goes after the last bar left
    // of it. Returns the bar's index.
    int Insert(CControlBar* pBarIns, const CRect& rect, CPoint ptMid);
    // The largest extent a row may take: the layout rectangle, else the frame's client area.
    CSize GetMaxExtent() const;
    void AttachBar(CControlBar* pBar);

    // The docked bars' notifications and commands reach the frame.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnSizeParent(WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()
};
