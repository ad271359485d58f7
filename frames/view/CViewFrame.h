// CViewFrame: the main window of view mode. Made hidden at start-up from resource 134 and kept
// for the program's life beside the browse frame. It owns the tool bar, the status bar with the
// page/layout tabs in its second pane, the menu images, the drawing view and its own copy of the
// drawing thread's picture; it follows the thread while a file loads (progress, password,
// failure, tabs), keeps the picture at the view's size, goes full screen, remembers its position
// under "ViewWindow" and goes back to the browser.
#pragma once

#include "app/CViewModeFrame.h"
#include "frames/view/CDwgView.h"
#include "frames/view/ViewKeyTable.h"
#include "frames/print/CDrawingPrintCommand.h"
#include "framework/Afx.h"
#include "framework/AfxWin.h"
#include "framework/CStatusBar.h"
#include "framework/CToolBar.h"
#include "imaging/CGDIDevice.h"
#include "res/resource.h"
#include "ui/CImageMenuManager.h"
#include "ui/CTabsetCtrl.h"

#include <memory>

class CDrawing;
class CProgressCtrl;
class TDwgDrawThread;

class CViewFrame : public CViewModeFrame
{
    DECLARE_DYNAMIC(CViewFrame)

public:
    static constexpr UINT kResourceId = IDR_VIEWFRAME;
    static constexpr UINT kBrowserModeCommand = ID_VIEW_BROWSER_MODE;
    static constexpr UINT kMsgReturnToBrowser = 0x807B;
    static constexpr UINT kMsgPrintWindowPicked = 0x8082;
    static constexpr UINT kMsgDrawingOptionsChanged = 0x80B8;
    static constexpr UINT kMsgRedrawView = 0x80C3;
    static constexpr UINT_PTR kSmoothTimer = 263;
    static const char kClassName[];

    CViewFrame();
    ~CViewFrame() override;

    UINT GetResourceId() const override { return kResourceId; }
    CGDIDevice& GetPicture() override { return m_picture; }
    void OpenViewFile(const char* path) override;
    // The frame's keys (ViewKeyTable) come before the menu bar and accelerators.
    BOOL PreTranslateMessage(MSG* pMsg) override;
    // True when the key was handled (CViewFrameKeys.cpp).
    bool HandleKeyDown(UINT virtualKey);
    // The wheel, at the frame or forwarded by the view (point in screen coordinates): zoom about
    // the point, or with Ctrl the next or previous file of the browser's list.
    BOOL HandleMouseWheel(UINT flags, short delta, CPoint point);
    // The view gets every command first, unless one of the application's dialogs is up.
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

    // The life cycle's operations (also for the view's commands).
    void RequestRedraw();
    bool TakeRenderedPicture();
    void BuildPageTabs();
    void SwitchPage();
    void RemoveLoadProgress();
    void ShowImageStatus();
    void ShowDrawingStatus();
    void UpdateTitle();
    void ArmSmoothTimer();
    void KillSmoothTimer();
    // A smooth redraw of the shown image is waiting (timer 263).
    bool IsSmoothTimerArmed() const { return m_bSmoothArmed; }
    // The rotate view dialog's degrees as the engine's roll about the view axis.
    static double RotateViewRadians(double degrees);
    // Waits, bounded and pumping, until the drawing thread is idle (see the source).
    bool WaitForThreadIdle(DWORD limitMs = 10000);

    CDwgView& GetView() { return m_wndView; }
    CTabsetCtrl& GetTabs() { return m_wndTabs; }
    CStatusBar& GetStatusBar() { return m_wndStatusBar; }
    bool IsFullScreen() const { return m_bFullScreen != FALSE; }
    // Renders the thread reported since the last open (an open that renders once counts 1).
    int GetRenderCount() const { return m_nRenders; }
    // Opens handed to the drawing thread (password retries count as opens).
    int GetOpenCount() const { return m_nOpens; }
    // The drawing's print command: its record and last picked window live as long as the frame.
    CDrawingPrintCommand& GetPrintCommand() { return m_printCommand; }
    // Print jobs (drawings and images) written to path instead of the printer's port; empty: the
    // port. Tests print to the test printer this way.
    void SetPrintJobOutput(const CString& path);

protected:
    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;

    int OnCreate(LPCREATESTRUCTA create);
    void OnDestroy();
    void OnSize(UINT nType, int cx, int cy);
    void OnEnterSizeMove();
    void OnExitSizeMove();
    void OnShowWindow(BOOL bShow, UINT nStatus);
    void OnGetMinMaxInfo(MINMAXINFO* info);
    void OnMenuSelect(UINT nItemID, UINT nFlags, HMENU hSysMenu);
    void OnTimer(UINT_PTR id);
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

    LRESULT OnLoadProgress(WPARAM wParam, LPARAM lParam);
    LRESULT OnReopenFile(WPARAM wParam, LPARAM lParam);
    LRESULT OnFileOpened(WPARAM wParam, LPARAM lParam);
    LRESULT OnFrameRendered(WPARAM wParam, LPARAM lParam);
    LRESULT OnReturnToBrowser(WPARAM wParam, LPARAM lParam);
    LRESULT OnDrawingOptionsChanged(WPARAM wParam, LPARAM lParam);
    LRESULT OnRedrawView(WPARAM wParam, LPARAM lParam);

    void OnBrowserMode();
    void OnToolsOptions();
    void OnFileOpen();
    void OnFullScreen();
    void OnNextPage();
    void OnPreviousPage();
    void OnLayer();
    void OnPointStyle();
    void OnRegen();
    void OnDynamicView();
    void OnUpdateDrawingCommand(CCmdUI* pCmdUI);
    void OnUpdateDynamicView(CCmdUI* pCmdUI);
    void OnUpdateViewPoints(CCmdUI* pCmdUI);
    // View points, colour modes and the wheel (CViewFrameKeys.cpp).
    void OnViewPoint(UINT id);
    void OnColourMode(UINT id);
    void OnUpdateColourMode(CCmdUI* pCmdUI);
    BOOL OnMouseWheel(UINT flags, short delta, CPoint point);
    // Rotate view, smooth display and the file's properties (CViewFrameTools.cpp).
    void OnRotateView();
    void OnSmoothDisplay();
    void OnUpdateSmoothDisplay(CCmdUI* pCmdUI);
    void OnDrawingProperties();
    void OnKeyList();
    void OnSelectViewPoint();
    void OnUpdateDrawingProperties(CCmdUI* pCmdUI);
    void OnClose();
    void OnUpdateFileCommand(CCmdUI* pCmdUI);
    void OnUpdateOpen(CCmdUI* pCmdUI);
    // Print, Save As and Insert into AutoCAD (CViewFrameFile.cpp).
    void OnFilePrint();
    LRESULT OnPrintWindowPicked(WPARAM wParam, LPARAM lParam);
    void OnFileSaveAs();
    void OnInsertIntoAutoCAD();
    void OnUpdatePrintOrSave(CCmdUI* pCmdUI);
    void OnUpdateInsertIntoAutoCAD(CCmdUI* pCmdUI);
    void OnUpdateFullScreen(CCmdUI* pCmdUI);
    void OnUpdateNextPage(CCmdUI* pCmdUI);
    void OnUpdatePreviousPage(CCmdUI* pCmdUI);

    DECLARE_MESSAGE_MAP()

private:
    static TDwgDrawThread* Thread();
    bool IsDrawing() const;
    bool IsImage() const;
    bool IsDrawingReady() const;
    CDrawing* DrawingToTurn() const;
    bool CanShowProperties() const;
    void OnEscape();
    bool EndsViewState(UINT virtualKey);
    void PanByKey(const ViewKeyTable::KeyAction& key);
    void FitByKey();
    void DropQueuedWheel();
    bool CanPrintOrSave() const;
    void PrintImage();
    // Esc while a print window is picked: picking is cancelled and the print manager opens again.
    void CancelPrintWindowPick();
    // A file is opened: a window picked on the last one means nothing any more.
    void LeavePrintWindowPick();
    void OpenFile(const CString& path, int type);
    void StartOpen(const CString& path, int type);
    void OpenImage(const CString& path);
    void ApplyOptionsRequest();
    void PlaceTabs();
    void ShowLoadProgress(const CString& text);
    void DrawLoadProgress(int value);
    void ShowSimpleText(const CString& text);
    void FitPictureToView();
    void FillPicture();
    void RestorePosition();
    void SavePosition();
    CString CurrentPath() const;

    bool m_bFirstShow = true;
    CStatusBar m_wndStatusBar;
    CToolBar m_wndToolBar;
    CTabsetCtrl m_wndTabs;
    CImageMenuManager m_menuManager;
    std::unique_ptr<CProgressCtrl> m_pProgress;
    int m_nLastProgress = -1;
    CDwgView m_wndView;
    CGDIDevice m_picture;
    bool m_bInSizeMove = false;
    bool m_bTabsStale = false;
    CDrawingPrintCommand m_printCommand;
    CString m_printJobOutput;
    WINDOWPLACEMENT m_wpBeforeFullScreen = {};
    BOOL m_bFullScreen = FALSE;
    RECT m_rcFullScreen = {0, 0, 0, 0};
    int m_nRenders = 0;
    int m_nOpens = 0;
    bool m_bSmoothArmed = false;
    bool m_bAltChordTaken = false;
};
