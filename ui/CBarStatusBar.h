// CBarStatusBar: a status bar that hosts child windows in its panes (they follow their panes
// when the bar is sized) and gains and loses panes at run time.
#pragma once

#include "framework/AfxWin.h"

#include <memory>
#include <vector>

// One hosted control: the window and the pane that holds it.
class CBarStatusBarPaneControlInfo : public CObject
{
    DECLARE_DYNCREATE(CBarStatusBarPaneControlInfo)

public:
    CWnd* m_pWnd = nullptr;
    UINT m_nPaneID = 0;
    BOOL m_bAutoDelete = TRUE; // the status bar deletes the window object
};

// A copy of one pane while the pane set is rebuilt (a plain value: the list copies it).
class CBarStatusBarPane
{
public:
    UINT m_nID = 0;
    int m_cxText = 0;
    UINT m_nStyle = 0;
    DWORD m_dwReserved = 0;
    CString m_strText;
};

class CBarStatusBar : public CStatusBar
{
    DECLARE_DYNAMIC(CBarStatusBar)

public:
    CBarStatusBar();
    ~CBarStatusBar() override;

    virtual void PositionControls();
    virtual CBarStatusBarPaneControlInfo* GetPaneControl(UINT nPaneID);
    virtual BOOL AddControl(CWnd* pWnd, UINT nPaneID, BOOL bAutoDelete = TRUE);
    virtual void SetPaneWidth(int nIndex, int cxWidth);
    virtual BOOL AddIndicator(int nIndex, UINT nPaneID);
    virtual BOOL GetPaneInfoEx(int nIndex, CBarStatusBarPane* pPane);
    virtual void RemoveIndicator(UINT nPaneID);

    // Width in pixels of a pane added by AddIndicator.
    static constexpr int kNewPaneWidth = 50;

protected:
    // Sets the panes to the list: ids, styles, widths and texts.
    void ApplyPanes(const std::vector<CBarStatusBarPane>& panes);
    std::vector<CBarStatusBarPane> CopyPanes();
    static void FreeControl(std::unique_ptr<CBarStatusBarPaneControlInfo>& pInfo);

    void OnSize(UINT nType, int cx, int cy);

    std::vector<std::unique_ptr<CBarStatusBarPaneControlInfo>> m_arrControls;

    DECLARE_MESSAGE_MAP()
};
