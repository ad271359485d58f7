// CPreView: the browse frame's preview pane. It never renders: the one drawing thread draws the
// selected file into its own picture, and the pane copies that picture into a picture of its own
// under its own lock and paints the copy. Raster images are painted by the thread's image canvas,
// sized to the pane. While a drawing loads, the pane draws a progress bar into its picture.
// Every handler does nothing while the application is not running or has no drawing thread.
#pragma once

#include "framework/Afx.h"
#include "framework/AfxWin.h"
#include "framework/CCriticalSection.h"
#include "framework/CMenu.h"
#include "imaging/CGDIDevice.h"

#include <cstdint>

class CDrawingFileInfo;
class CStringList;
class TDwgDrawThread;

class CPreView : public CWnd
{
public:
    static constexpr UINT kControlId = 110;
    static constexpr UINT_PTR kTimerHover = 262;
    static constexpr UINT_PTR kTimerSmooth = 263;
    static constexpr UINT_PTR kTimerHoverFollowUp = 264;
    static constexpr UINT kSmoothDelayMs = 500;
    // Sizes that arrive in a row (a splitter drag) are handed to the drawing thread together, so
    // that they end in one render at the last size.
    static constexpr UINT_PTR kTimerResize = 265;
    static constexpr UINT kResizeDelayMs = 30;
    // Sizes handed to the drawing thread stay below this on each side.
    static constexpr int kMaxThreadSide = 1999;
    // The longest wait for the drawing thread to finish a request.
    static constexpr DWORD kWaitLimitMs = 5000;

    // Mouse modes.
    enum Mode : int { kModeNone = 0, kModeZoomWindow = 1, kModePan = 2, kModeZoomOut = 4, kModeZoomIn = 5 };

    // Command ids of the Preview menu.
    enum Command : UINT
    {
        kCmdLayers = 32774,
        kCmdZoomPrevious = 32783,
        kCmdZoomExtents = 32784,
        kCmdRedraw = 32797,
        kCmdViewPointDialog = 32806,
        kCmdViewFirst = 32807, // "Top" .. "NW Iosmetric"
        kCmdViewLast = 32816,
        kCmdZoomOut = 32818,
        kCmdZoomIn = 32819,
        kCmdZoomWindow = 32820,
        kCmdPan = 32821,
        kCmdLayoutFirst = 32864,
        kCmdLayoutLast = 32913,
        kCmdActualSize = 32914,
        kCmdRotateLeft = 32915,
        kCmdRotateRight = 32916,
        kCmdMirror = 32917,
        kCmdFlip = 32918,
        kCmdAutoFit = 32925,
        kCmdSmooth = 32932,
        kCmdHighlight = 32939,
        kCmdQuickMode = 32941,
    };

    CPreView();
    ~CPreView() override;
    CPreView(const CPreView&) = delete;
    CPreView& operator=(const CPreView&) = delete;

    BOOL CreatePane(CWnd* parent, UINT id);
    // The off-screen picture (the mode switch shrinks it while the view frame is up).
    CGDIDevice& GetDevice() { return m_picture; }

    void ShowFile(const CDrawingFileInfo* type, const char* path, const char* password, int passwordIndex);
    void Reset();
    void RedrawImage(int requestCode);
    void RefitImage();
    void RepaintImage();
    void CopyPicture(const CGDIDevice* source);
    // The drawing thread's progress, handed on by the browse frame (0x8046); always 0.
    LRESULT OnDrawProgress(WPARAM value, LPARAM);
    void OnDrawingOptionsChanged();
    // Bounded: true when the thread finished its request in time.
    bool WaitForDrawThread(DWORD limitMs = kWaitLimitMs);
    // Whether the id is one of the pane's commands: the one list the bar routes by.
    static bool IsPaneCommand(UINT id);
    // Runs a Preview command; false when the id is not one of the pane's.
    bool RunCommand(UINT id);
    // Whether a command of the pane can run now (disabled otherwise); check is its check mark.
    bool IsCommandEnabled(UINT id, bool& check) const;
    BOOL PreTranslateMessage(MSG* msg) override;
    // Enter and the double click: the shown file opens in the view.
    void OpenShownFileForViewing();

    // The Preview popup of a menu: the first top-level popup that holds the Layers command.
    static CMenu* FindPreviewPopup(CMenu& menu);
    // Gives the Preview popup's Layouts item a popup of the names (at most 50, ids from
    // kCmdLayoutFirst); false when the menu has no such item.
    static bool BuildLayoutMenu(CMenu& menu, const CStringList& names);

    const CString& GetShownPath() const { return m_shownPath; }
    int GetMouseMode() const { return m_mode; }
    UINT GetProgressMark() const { return m_progressMark; }
    bool IsSmoothTimerArmed() const { return m_smoothArmed; }

    // The status bar's information text: a raster image's description, or for a drawing title,
    // subject, author, version and creation date; empty when there is nothing to say.
    CString GetInfoText() const;
    // The drawing part of it; creation is in seconds since 1970 (0: unknown), summary tells
    // whether title, subject and author were read.
    static CString DrawingInfoText(const CString& version, int64_t creation, bool summary, const CString& title,
                                   const CString& subject, const CString& author);

    // The one rule for every size the pane hands to the drawing thread: 1..kMaxThreadSide.
    static int ClampThreadSide(int side);
    // "Loading..." and its kin with the path in double quotes (progress values 101..103).
    static CString ProgressLabel(UINT value, const char* path);

protected:
    int OnCreate(LPCREATESTRUCTA cs);
    void OnDestroy();
    void OnSize(UINT type, int cx, int cy);
    void OnPaint();
    BOOL OnEraseBkgnd(CDC* dc);
    LRESULT OnPrintClient(WPARAM wParam, LPARAM lParam);
    void OnTimer(UINT_PTR id);
    BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);
    LRESULT OnPictureReady(WPARAM wParam, LPARAM lParam);
    LRESULT OnRequestDone(WPARAM wParam, LPARAM lParam);
    LRESULT OnOpenStage(WPARAM wParam, LPARAM lParam);
    LRESULT OnProgressMessage(WPARAM wParam, LPARAM lParam);
    void OnLButtonDown(UINT flags, CPoint point);
    void OnLButtonUp(UINT flags, CPoint point);
    void OnMouseMove(UINT flags, CPoint point);
    void OnLButtonDblClk(UINT flags, CPoint point);
    void OnContextMenu(CWnd* wnd, CPoint point);
    void OnMButtonDown(UINT flags, CPoint point);
    void OnMButtonUp(UINT flags, CPoint point);
    BOOL OnMouseWheel(UINT flags, short delta, CPoint point);
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

    DECLARE_MESSAGE_MAP()

private:
    static TDwgDrawThread* Thread();
    static bool IsRunning();
    static bool IsIdle();
    bool IsDrawingShown() const;
    bool IsRasterShown() const;
    bool IsContentReady() const;
    bool HasRasterImage() const;
    void PaintTo(HDC dc);
    void PaintEmpty(HDC dc, const CRect& client);
    void DrawBorder(HDC dc, const CRect& client) const;
    void DrawProgress(UINT value);
    void KillHoverTimers();
    void KillSmoothTimer();
    void ScheduleResize();
    void HandResizeToThread();
    void SetMode(int mode);
    HCURSOR ModeCursor() const;
    void RefreshCursor();
    void PostStatusRefresh() const;
    void TakeFirstPicture();
    void AfterRasterChange();
    void ZoomStep(bool in);
    void RequestView(int code, const POINT* p1, const POINT* p2, bool now);
    void SelectLayout(int index);
    void ToggleSmooth();
    // Turns or mirrors the shown picture (0 left, 1 right, 2 mirror, 3 flip); the file stays as
    // it is.
    void TransformImage(int operation);
    void StoreImageOrientation(int operation);
    // The layer manager, the view point dialog and the ten standard views of a shown drawing.
    void RunDrawingDialog(UINT id);
    void SetStandardView(UINT id);
    bool CanShow3DViews() const;
    // Hover requests go out only for a drawing, with the highlight switch and quick mode on and
    // a view that can highlight, while the thread is idle.
    bool CanHoverHighlight() const;
    void EndZoomWindow(CPoint point);
    bool RunKey(UINT key);
    void LoadContextMenu();
    // The Layouts popups of the main window's menu and the context menu; the thread is asked for
    // the names only when askThread (an empty popup otherwise, until the open has finished).
    void RebuildLayoutMenus(bool askThread);
    void UpdateMenuItems(CMenu& popup) const;

    UINT m_progressMark = 0;
    mutable CCriticalSection m_pictureLock;
    CPoint m_anchor{0, 0};
    CPoint m_current{0, 0};
    int m_mode = kModeNone;
    CGDIDevice m_picture;
    CString m_shownPath;
    HCURSOR m_cursor = nullptr;
    bool m_smoothArmed = false;
    bool m_resizeArmed = false;
    // The shown image could not be read: the empty pane says so instead of looking like nothing
    // was selected.
    bool m_rasterFailed = false;
    // The picture holds the thread's reduced first picture of the image being opened: it is
    // painted until the open is done.
    bool m_firstPictureShown = false;
    CMenu m_contextMenu;
    bool m_layoutsStale = false;
};
