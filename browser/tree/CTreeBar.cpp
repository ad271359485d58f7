#include "browser/tree/CTreeBar.h"

#include "browser/shell/ShellGlobals.h"
#include "framework/CFrameWnd.h"

BEGIN_MESSAGE_MAP(CTreeBar, CBarControlBar)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_DEVICECHANGE()
END_MESSAGE_MAP()

BOOL CTreeBar::CreateBar(CFrameWnd* pParent, UINT nID)
{
    return Create(pParent, nID, "Dir Tree", CSize(200, 250), WS_CHILD | WS_VISIBLE | CBRS_LEFT);
}

int CTreeBar::OnCreate(LPCREATESTRUCTA lpcs)
{
    if (CBarControlBar::OnCreate(lpcs) == -1)
        return -1;
    // The selected folder stays marked while the list has the focus: it is the folder shown.
    const DWORD style = WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS;
    if (!m_wndTree.Create(style, CRect(0, 0, 0, 0), this, kTreeId))
        return -1;
    m_wndTree.ModifyStyleEx(0, WS_EX_STATICEDGE);
    if (HIMAGELIST icons = ShellGlobals::Get().smallIcons)
        m_wndTree.SendMessage(TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(icons));
    return 0;
}

void CTreeBar::OnSize(UINT nType, int cx, int cy)
{
    CBarControlBar::OnSize(nType, cx, cy);
    if (m_wndTree.GetSafeHwnd() == nullptr)
        return;
    // The selection chosen while the bar had no size yet (at start), or in sight before, is in
    // sight after the bar took its size.
    const bool keepSelection = SelectionInSight() || IsEmptyTree();
    m_wndTree.MoveWindow(0, 0, cx, cy, TRUE);
    if (keepSelection && m_wndTree.GetSelectedItem() != nullptr)
        m_wndTree.EnsureVisible(m_wndTree.GetSelectedItem());
}

bool CTreeBar::IsEmptyTree() const
{
    RECT client = {};
    m_wndTree.GetClientRect(&client);
    return client.bottom <= 0 || client.right <= 0;
}

bool CTreeBar::SelectionInSight() const
{
    const HTREEITEM selected = m_wndTree.GetSelectedItem();
    RECT client = {};
    RECT text = {};
    m_wndTree.GetClientRect(&client);
    return selected != nullptr && m_wndTree.GetItemRect(selected, &text, TRUE) && text.top >= 0 &&
           text.bottom <= client.bottom;
}

BOOL CTreeBar::OnDeviceChange(UINT nEventType, DWORD_PTR dwData)
{
    // The system tells only top-level windows; the frame passes it down to the bar.
    if (m_wndTree.GetSafeHwnd() != nullptr)
        m_wndTree.SendMessage(WM_DEVICECHANGE, nEventType, static_cast<LPARAM>(dwData));
    return TRUE;
}
