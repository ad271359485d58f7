// CBrowseFrame: the main window of browse mode. Made hidden at start-up from resource 116 and kept
// for the program's life beside the view frame; the mode switch shows and hides it. It holds the
// preview pane, the file to select when it is shown and the marks that start-up and the mode
// switch set.
#pragma once

#include "app/CBrowseModeFrame.h"
#include "browser/CPreView.h"
#include "framework/Afx.h"
#include "framework/AfxWin.h"

class CBrowseFrame : public CBrowseModeFrame
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

    UINT GetResourceId() const override { return kResourceId; }
    BOOL ShowFrame(int nCmdShow) override;
    void SetStartFolder(const char* folder) override;
    void StopThumbnailTasks() override;
    bool IsPreviewBarVisible() const override;
    HWND GetPreviewWindow() override { return m_preview.GetSafeHwnd(); }
    void ReleasePreviewPicture() override;
    void RedrawPreviewAfterShow() override;
    CPreView& GetPreview() { return m_preview; }
    // The folder the browser shows (empty before the first show).
    const CString& GetShownFolder() const { return m_shownFolder; }

protected:
    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    BOOL OnCreateClient(LPCREATESTRUCTA lpcs, CCreateContext* pContext) override;
    void OnClose();
    void OnToolsOptions();
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
