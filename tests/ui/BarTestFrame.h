// The frame the bar tests build: a tool bar, two sizing bars ("Dir Tree" 106 and "PreView" 105)
// docked at the left, a status bar and a centre pane, with docking on every side.
#pragma once

#include "ui/CBarControlBar.h"
#include "ui/CBarFrameWnd.h"
#include "ui/CBarStatusBar.h"

constexpr UINT kTreeBarId = 106;
constexpr UINT kPreviewBarId = 105;

// A sizing bar with a list box filling its client area.
class CTestSizingBar : public CBarControlBar
{
public:
    CListBox m_wndList;

protected:
    int OnCreate(LPCREATESTRUCTA lpcs);
    void OnSize(UINT nType, int cx, int cy);

    DECLARE_MESSAGE_MAP()
};

class CBarTestFrame : public CBarFrameWnd
{
public:
    // A shown frame at a fixed place, made the application's main window; null on failure.
    static CBarTestFrame* Make();

    CToolBar m_wndToolBar;
    CBarStatusBar m_wndStatusBar;
    CTestSizingBar m_wndTree;
    CTestSizingBar m_wndPreview;
    CStatic m_wndPane;
    int m_nNewCommands = 0;

protected:
    int OnCreate(LPCREATESTRUCTA lpcs);
    void OnFileNew() { ++m_nNewCommands; }

    DECLARE_MESSAGE_MAP()
};

// The application object of the bar tests, with a registry key of the process's own.
class CBarTestApp : public CWinApp
{
public:
    CBarTestApp();
    ~CBarTestApp() override;
    // Removes every stored value of the tests.
    void ClearProfile();

    CString m_strKey;
};

extern CBarTestApp theBarTestApp;

// Handles this thread's messages until none are left, then runs the idle-time updates (the
// delayed layouts).
void PumpMessages();
// Destroys a test frame and forgets it as the main window.
void DestroyFrame(CFrameWnd*& pFrame);
