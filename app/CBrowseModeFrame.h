// CBrowseModeFrame: the browse frame as the application's mode switch sees it. The frame itself
// lives above the state record (frames/CBrowseFrame implements this); the record holds it through
// this class, so that the state record needs no frame's header.
#pragma once

#include "framework/Afx.h"
#include "framework/AfxWin.h"

class CBrowseModeFrame : public CFrameWnd
{
public:
    // The frame's resource (menu, accelerators, title) for LoadFrame.
    virtual UINT GetResourceId() const = 0;
    // The first call restores the window and browses to the start folder; every call shows the
    // window and restarts the thumbnail work the marks ask for. Returns ShowWindow's result.
    virtual BOOL ShowFrame(int nCmdShow) = 0;
    virtual void SetStartFolder(const char* folder) = 0;
    // Stops the thumbnail thread's work for the list before the view takes the drawing thread.
    virtual void StopThumbnailTasks() = 0;
    virtual bool IsPreviewBarVisible() const = 0;
    // The preview pane's window: the drawing thread reports there while the browser is up.
    virtual HWND GetPreviewWindow() = 0;
    // The file list: the thumbnail thread's notify window, handed back on return to the browser.
    virtual HWND GetThumbnailWindow() = 0;
    // Gives back the preview picture's memory while the view is up.
    virtual void ReleasePreviewPicture() = 0;
    // Redraws the preview once the browser is shown again.
    virtual void RedrawPreviewAfterShow() = 0;

    // Marks the mode switch sets for the next show.
    CString m_strPathToSelect;
    bool m_bSelectPath = false;
    bool m_bRestartThumbnails = false;
};
