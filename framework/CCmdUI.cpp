#include "framework/CCmdUI.h"

#include "framework/CCmdTarget.h"
#include "framework/CMenu.h"


void CCmdUI::Enable(BOOL bOn)
{
    if (m_pMenu != nullptr && m_pSubMenu == nullptr)
        m_pMenu->EnableMenuItem(m_nIndex, MF_BYPOSITION | (bOn ? MF_ENABLED : MF_DISABLED | MF_GRAYED));
    m_bEnableChanged = TRUE;
}

void CCmdUI::SetCheck(int nCheck)
{
    if (m_pMenu != nullptr && m_pSubMenu == nullptr)
        m_pMenu->CheckMenuItem(m_nIndex, MF_BYPOSITION | (nCheck != 0 ? MF_CHECKED : MF_UNCHECKED));
}

void CCmdUI::SetRadio(BOOL bOn)
{
    if (m_pMenu == nullptr || m_pSubMenu != nullptr)
        return;
    if (bOn)
        ::CheckMenuRadioItem(m_pMenu->m_hMenu, m_nIndex, m_nIndex, m_nIndex, MF_BYPOSITION);
    else
        m_pMenu->CheckMenuItem(m_nIndex, MF_BYPOSITION | MF_UNCHECKED);
}

void CCmdUI::SetText(LPCSTR lpszText)
{
    if (m_pMenu == nullptr || m_pSubMenu != nullptr || lpszText == nullptr)
        return;
    // ModifyMenu replaces the state too: keep the item's enabled and checked bits.
    const UINT state = m_pMenu->GetMenuState(m_nIndex, MF_BYPOSITION);
    const UINT keep = state & (MF_DISABLED | MF_GRAYED | MF_CHECKED);
    m_pMenu->ModifyMenu(m_nIndex, MF_BYPOSITION | MF_STRING | keep, m_nID, lpszText);
}

BOOL CCmdUI::DoUpdate(CCmdTarget* pTarget, BOOL bDisableIfNoHndler)
{
    m_bEnableChanged = FALSE;
    m_bContinueRouting = FALSE;
    const BOOL bHandled = pTarget->OnCmdMsg(m_nID, CN_UPDATE_COMMAND_UI, this, nullptr);
    if (bDisableIfNoHndler && !m_bEnableChanged) {
        AFX_CMDHANDLERINFO info = {nullptr};
        Enable(pTarget->OnCmdMsg(m_nID, CN_COMMAND, this, &info));
    }
    return bHandled;
}

BOOL CCmdUI::TakeRoutingResult()
{
    const BOOL bKeep = !m_bContinueRouting;
    m_bContinueRouting = FALSE;
    return bKeep;
}

void CTestCmdUI::Enable(BOOL bOn)
{
    m_bEnabled = bOn;
    m_bEnableChanged = TRUE;
}

void CTestCmdUI::SetCheck(int nCheck)
{
    m_nCheck = nCheck;
}

void CTestCmdUI::SetRadio(BOOL)
{
}

void CTestCmdUI::SetText(LPCSTR)
{
}
