// CBarFrameWnd: the frame base of both main windows. It docks with the library's dock bars and
// floating frame, saves and loads the docking layout together with the extents of every sizing
// bar, refuses a stored layout that names bars the frame no longer has, docks one bar beside
// another and registers a window class with a given icon.
#pragma once

#include "framework/AfxWin.h"

class CBarFrameWnd : public CFrameWnd
{
    DECLARE_DYNAMIC(CBarFrameWnd)

public:
    virtual void LoadBarState(LPCSTR lpszSection);
    virtual void SaveBarState(LPCSTR lpszSection);
    virtual void EnableDocking(DWORD dwDockStyle);
    virtual void DockControlBarBeside(CControlBar* pBar, CControlBar* pNeighbour);
    virtual BOOL PreCreateWindowWithIcon(CREATESTRUCTA& cs, WORD wIconId);

    // Whether every bar a stored layout names exists in this frame.
    BOOL IsBarStateValid(LPCSTR lpszSection);

    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;

    // The same docking for a frame that cannot derive from this class (the browse frame derives
    // from the mode switch's frame class).
    static void EnableBarDocking(CFrameWnd& frame, DWORD dwDockStyle);
    static BOOL IsBarStateValidFor(CFrameWnd& frame, LPCSTR lpszSection);
    static BOOL IsBarStateValidFor(CFrameWnd& frame, const CDockState& state);
    static void LoadBarStateOf(CFrameWnd& frame, LPCSTR lpszSection);
    static void SaveBarStateOf(CFrameWnd& frame, LPCSTR lpszSection);

protected:
    void OnClose();

    DECLARE_MESSAGE_MAP()
};
