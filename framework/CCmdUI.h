// CCmdUI: one user-interface item (menu item, tool-bar button, status pane) asked by its update
// handler to be enabled, checked or retitled. The base class serves menu items; bars derive
// their own kinds.
#pragma once

#include <windows.h>

class CCmdTarget;
class CMenu;
class CWnd;

class CCmdUI
{
public:
    CCmdUI() = default;
    virtual ~CCmdUI() = default;
    CCmdUI(const CCmdUI&) = delete;
    CCmdUI& operator=(const CCmdUI&) = delete;

    virtual void Enable(BOOL bOn = TRUE);
    virtual void SetCheck(int nCheck = 1); // 0 clear, 1 checked, 2 indeterminate
    virtual void SetRadio(BOOL bOn = TRUE);
    virtual void SetText(LPCSTR lpszText);
    void ContinueRouting() { m_bContinueRouting = TRUE; }

    // Asks the target's update handler; with bDisableIfNoHndler an item whose command nobody
    // handles is disabled. TRUE when an update handler ran.
    BOOL DoUpdate(CCmdTarget* pTarget, BOOL bDisableIfNoHndler);

    // For the map entries: whether the handler kept the item (and resets the request).
    BOOL TakeRoutingResult();

    UINT m_nID = 0;
    UINT m_nIndex = 0;
    CMenu* m_pMenu = nullptr;    // the menu of a menu item
    CMenu* m_pSubMenu = nullptr; // the popup an item opens, if any
    CWnd* m_pOther = nullptr;    // the bar of a bar item
    UINT m_nIndexMax = 0;
    BOOL m_bEnableChanged = FALSE;
    BOOL m_bContinueRouting = FALSE;
};

// Records what an update handler asks for without touching any item: the frame uses it to
// refuse a command whose update handler disables it.
class CTestCmdUI : public CCmdUI
{
public:
    void Enable(BOOL bOn = TRUE) override;
    void SetCheck(int nCheck = 1) override;
    void SetRadio(BOOL bOn = TRUE) override;
    void SetText(LPCSTR lpszText) override;

    BOOL m_bEnabled = TRUE;
    // The last check state set (0 when none was).
    int m_nCheck = 0;
};
