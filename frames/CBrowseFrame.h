// CBrowseFrame: the main window of browse mode. Made hidden at start-up from resource 116 and kept
// for the program's life beside the view frame; the mode switch shows and hides it. It holds the
// preview pane, the file to select when it is shown and the marks that start-up and the mode
// switch set.
#pragma once

#include "frames/CPreView.h"
#include "framework/Afx.h"
#include "framework/AfxWin.h"

class CBrowseFrame : public CFrameWnd
{
    DECLARE_DYNAMIC(CBrowseFrame)

public:
    static constexpr UINT kResourceId = 116;
    static constexpr UINT kPreviewBarId = 105;
    // How long the switch to the view waits for the thumbnail thread to let go of its queue.
    static constexpr DWORD kStopTasksWaitMs = 5000;
    static const char kClassName[];

    CBrowseFrame() = default;
    ~CBrowseFrame() override;

    // The first call restores the window and browses to the start folder; every call shows the
    // window and restarts the thumbnail work the marks ask for. Returns ShowWindow's result.
    BOOL ShowFrame(int nCmdShow);
    void SetStartFolder(const char* folder);
    // Stops the thumbnail thread's work for the list before the view takes the drawing thread.
    void StopThumbnailTasks();
    bool IsPreviewBarVisible() const;
    CPreView& GetPreview() { return m_preview; }
    // The folder the browser shows (empty before the first show).
    const CString& GetShownFolder() const { return m_shownFolder; }

    CString m_strPathToSelect;
    bool m_bSelectPath = false;
    bool m_bRestartThumbnails = false;

protected:
    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    BOOL OnCreateClient(LPCREATESTRUCTA lpcs, CCreateContext* pContext) override;
    void OnClose();
    void OnSize(UINT nType, int cx, int cy);

    DECLARE_MESSAGE_MAP()

private:
    void BrowseTo(const CString& folder);
    void RestartThumbnails();

    CPreView m_preview;
    CString m_startFolder;
    CString m_shownFolder;
    bool m_bFirstShow = true;
};
