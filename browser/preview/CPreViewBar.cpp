#include "browser/preview/CPreViewBar.h"

#include "framework/CCmdUI.h"

bool CPreViewBar::IsPaneCommand(UINT id)
{
    return CPreView::IsPaneCommand(id);
}

BEGIN_MESSAGE_MAP(CPreViewBar, CBarControlBar)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_SETFOCUS()
END_MESSAGE_MAP()

int CPreViewBar::OnCreate(LPCREATESTRUCTA lpcs)
{
    if (CBarControlBar::OnCreate(lpcs) == -1)
        return -1;
    return m_preview.CreatePane(this, CPreView::kControlId) ? 0 : -1;
}

void CPreViewBar::OnSize(UINT nType, int cx, int cy)
{
    CBarControlBar::OnSize(nType, cx, cy);
    if (m_preview.GetSafeHwnd())
        m_preview.MoveWindow(0, 0, cx, cy, TRUE);
}

void CPreViewBar::OnSetFocus(CWnd* pOldWnd)
{
    CBarControlBar::OnSetFocus(pOldWnd);
    if (m_preview.GetSafeHwnd())
        m_preview.SetFocus();
}

BOOL CPreViewBar::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    // The pane answers its own commands; its update rule decides enabled and checked.
    if (m_preview.GetSafeHwnd() && IsPaneCommand(nID) && pHandlerInfo == nullptr) {
        if (nCode == CN_UPDATE_COMMAND_UI) {
            auto* pCmdUI = static_cast<CCmdUI*>(pExtra);
            bool check = false;
            pCmdUI->Enable(m_preview.IsCommandEnabled(nID, check));
            pCmdUI->SetCheck(check ? 1 : 0);
            return TRUE;
        }
        if (nCode == CN_COMMAND)
            return m_preview.RunCommand(nID) ? TRUE : FALSE;
    }
    return CBarControlBar::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}
