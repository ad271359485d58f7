// CBrowseFrame: the main window of browse mode. It docks the folder tree bar and the preview bar
// around the file list in its centre and carries menu, tool bar and status bar (resource 116).
// Made hidden at start-up and kept for the program's life beside the view frame; the mode switch
// shows and hides it. Six browser modes place the two bars; modes 1 to 4 are fixed layouts
// written as the saved bar state, the user's own layout is saved at close and loaded at start.
// The file list, the preview and the thumbnail thread report here (status bar and caption).
#pragma once

#include "app/CBrowseModeFrame.h"
#include "browser/preview/CPreViewBar.h"
#include "frames/browse/BrowseFrameParts.h"
#include "framework/Afx.h"
#include "framework/AfxWin.h"
#include "ui/CBarStatusBar.h"
#include "ui/CBarWindowPlacement.h"
#include "ui/CImageMenuManager.h"


class CSeeProgress;

class CBrowseFrame : public CBrowseModeFrame
{
    DECLARE_DYNAMIC(CBrowseFrame)

public:
    static constexpr UINT kResourceId = 116;
    static constexpr UINT kPreviewBarId = 105;
    static constexpr UINT kTreeBarId = 106;
    // How long the switch to the view waits for the thumbnail thread to let go of its queue.
    static constexpr DWORD kStopTasksWaitMs = 5000;
    static const char kClassName[];

    // Private messages.
    static constexpr UINT kMsgStatusRefresh = 0x8032;
    static constexpr UINT kMsgDrawProgress = 0x8046;
    static constexpr UINT kMsgStatusText = 0x8064;
    static constexpr UINT kMsgFolderShown = 0x8079;
    static constexpr UINT kMsgPathBoxBrowse = 0x807A;
    static constexpr UINT kMsgProgressEnd = 0x808C;
    static constexpr UINT kMsgPathBoxReload = 0x80BF;
    static constexpr UINT kMsgListFolderChanged = 0x938C;
    // Status panes, from the left; pane 0 (the preview's information) is always last.
    static constexpr UINT kPaneSummary = 61447;
    static constexpr UINT kPaneName = 61448;
    static constexpr UINT kPaneSelection = 61449;
    static constexpr UINT kPaneProgress = 61450;
    static constexpr UINT kProgressControlId = 1147;
    static constexpr int kInfoPaneWidth = 2000;
    // The mark of a progress report that ends the progress.
    static constexpr int kProgressReset = -1000;

    CBrowseFrame() = default;
    ~CBrowseFrame() override;

    UINT GetResourceId() const override { return kResourceId; }
    BOOL ShowFrame(int nCmdShow) override;
    void SetStartFolder(const char* folder) override;
    void StopThumbnailTasks() override;
    bool IsPreviewBarVisible() const override;
    HWND GetPreviewWindow() override { return m_previewBar.GetPreview().GetSafeHwnd(); }
    void ReleasePreviewPicture() override;
    void RedrawPreviewAfterShow() override;

    HWND GetThumbnailWindow() override { return GetList()->GetSafeHwnd(); }

    CPreView& GetPreview() { return m_previewBar.GetPreview(); }
    CPreViewBar& GetPreviewBar() { return m_previewBar; }
    CTreeBar* GetTreeBar() { return &m_treeBar; }
    CShellTree& GetTree() { return m_treeBar.GetTree(); }
    CFileListView& GetView() { return m_view; }
    CIEShellListCtrl* GetList() { return &m_view.GetListCtrl(); }
    const CIEShellListCtrl* GetList() const { return &const_cast<CFileListView&>(m_view).GetListCtrl(); }
    CBarStatusBar& GetStatusBar() { return m_statusBar; }
    CToolBar& GetToolBar() { return m_toolBar; }
    CSeeProgress* GetProgressControl() const { return m_progress; }
    // The folder the list shows (empty before the first).
    CString GetShownFolder() const;

    // Shows a folder in the tree and the list; false when it could not be shown.
    bool BrowseToFolder(const CString& path);
    // Applies browser mode 1..6; any other value does nothing.
    void SelectBrowserMode(int mode);
    // Writes and loads layout 1 when no layout was ever saved; true when it did.
    bool RestoreBarLayout();
    void UpdateTitle();

    // Status bar: a null text removes the pane; -1 when the pane is missing and text is null.
    int SetPaneText(UINT paneId, const char* text);
    void LayoutStatusPanes();
    void SetStatusProgress(int lower, int upper, int pos);
    // The status refresh of 0x8032 (what a burst of them comes to once).
    void RefreshStatus(int position, int upper);
    int CountStatusRefreshes() const { return m_statusRefreshes; }

    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

protected:
    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    int OnCreate(LPCREATESTRUCTA lpcs);
    void OnDestroy();
    void OnClose();
    void OnSetFocus(CWnd* pOldWnd);
    BOOL OnDeviceChange(UINT nEventType, DWORD_PTR dwData);

    // Messages (CBrowseFrameStatus.cpp).
    LRESULT OnUpdateStatus(WPARAM wParam, LPARAM lParam);
    LRESULT OnDrawProgress(WPARAM wParam, LPARAM lParam);
    LRESULT OnMessageString(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetStatusText(WPARAM wParam, LPARAM lParam);
    LRESULT OnFolderShown(WPARAM wParam, LPARAM lParam);
    LRESULT OnPathBoxBrowse(WPARAM wParam, LPARAM lParam);
    LRESULT OnProgressEnd(WPARAM wParam, LPARAM lParam);
    LRESULT OnPathBoxReload(WPARAM wParam, LPARAM lParam);
    LRESULT OnBrowseOptionsChanged(WPARAM wParam, LPARAM lParam);
    LRESULT OnThumbnailOptionsChanged(WPARAM wParam, LPARAM lParam);
    LRESULT OnCacheOptionsChanged(WPARAM wParam, LPARAM lParam);
    LRESULT OnDrawingOptionsChanged(WPARAM wParam, LPARAM lParam);

    // Commands (CBrowseFrameCommands.cpp).
    void OnToolsOptions();
    void OnSelectBrowserModeCommand();

    DECLARE_MESSAGE_MAP()

private:
    bool CreateBars();
    bool CreateToolAndStatusBars();
    bool CreateSizingBar(CBarControlBar& bar, UINT id, const char* title, CSize size);
    void ShowNarrowMode(CControlBar& shown, CControlBar& hidden);
    void SaveLayoutAndPlacement();
    void ApplyPendingOptions();
    bool IsAwayInView() const;
    void SelectShownFile();
public:
    // Commands: run one of the frame's own, and its update rule (enabled, check mark); both
    // false for an id that is not the frame's.
    bool RunCommand(UINT id);
    bool GetCommandState(UINT id, bool& enabled, int& check);
    // The commands that choose the list's view type.
    static bool IsViewTypeCommand(UINT id);
    // The thumbnails of the selected rows are made again.
    void OnRebuildSelected();

private:
    bool RunListCommand(UINT id);
    bool RunViewCommand(UINT id);
    bool GetListCommandState(UINT id, bool& enabled, int& check);
    bool GetViewCommandState(UINT id, bool& enabled, int& check);
    bool RunClipboardCommand(UINT id);
    void ShowDrawingProperties();
    bool GetClipboardCommandState(UINT id, bool& enabled);
    bool IsFocusOnTree() const;
    bool IsFocusOnList() const;
    bool IsThumbnailThreadIdle() const;
    bool IsThumbnailThreadWorking() const;
    void ToggleBar(CControlBar& bar);
    bool StatusBarShown() const;
    int CountTextPanes() const;
    CString SummaryText() const;

    CFont m_font;
    CSeeProgress* m_progress = nullptr; // owned by the status bar's pane
    bool m_shownOnce = false;
    bool m_maximizeOnFirstShow = false;
    CPreViewBar m_previewBar;
    CBarStatusBar m_statusBar;
    CToolBar m_toolBar;
    CTreeBar m_treeBar;
    CFileListView m_view;
    CImageMenuManager m_menuImages;
    CBarWindowPlacement m_placement;
    bool m_temporaryText = false;
    // Settings changed while the view frame was the main window, applied at the next show.
    enum PendingOptions : unsigned { kPendingRefill = 1, kPendingThumbnails = 2, kPendingDrawing = 4 };
    unsigned m_pendingOptions = 0;
    int m_statusRefreshes = 0;
};
