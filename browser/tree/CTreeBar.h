// CTreeBar: the sizing bar ("Dir Tree", id 106) that holds the folder tree, which fills it.
#pragma once

#include "browser/tree/CShellTree.h"
#include "ui/CBarControlBar.h"

class CTreeBar : public CBarControlBar
{
public:
    static constexpr UINT kBarId = 106;
    static constexpr UINT kTreeId = 108;

    // Creates the bar (docked at the left, the frame then enables docking and docks it) and its
    // tree. The frame then sets the tree's list (GetTree().SetListWnd), fills it
    // (RefillFromDesktop) and selects its start folder (OpenStartFolder, SelectPendingFolder).
    BOOL CreateBar(CFrameWnd* pParent, UINT nID = kBarId);
    CShellTree& GetTree() { return m_wndTree; }

protected:
    int OnCreate(LPCREATESTRUCTA lpcs);
    void OnSize(UINT nType, int cx, int cy);
    BOOL OnDeviceChange(UINT nEventType, DWORD_PTR dwData);

    DECLARE_MESSAGE_MAP()

private:
    bool IsEmptyTree() const;
    bool SelectionInSight() const;

    CShellTree m_wndTree;
    DWORD m_dwSpare = 0;
};
