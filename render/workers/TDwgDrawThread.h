// TDwgDrawThread: the worker that opens one file at a time and renders it off-screen for the
// preview pane or the drawing view. Drawings go through the engine into the device; raster images
// into the raster scene, which the windows draw themselves. The windows store a numbered request
// and wake the thread; it answers with private messages (0x8046 progress, 0x801F open stage,
// 0x801E request finished). Navigation requests 5..28 run queued in the thread's pass or, for the
// interactive codes, at once on the caller's thread under the view lock.
#pragma once

#include "engine/rkapp/rkapp.h"
#include "framework/Afx.h"
#include "framework/CStringList.h"
#include "imaging/CGDIDevice.h"
#include "render/workers/CDrawCommonThread.h"
#include "render/workers/CWin32ThreadEvent.h"
#include "render/workers/DRAWINGINFO.h"
#include "render/scene/JGraphics.h"
#include "kit/KWinCanvas.h"
#include "kit/OViewHistory.h"

#include <atomic>
#include <memory>

class TDwgDrawThread : public CDrawCommonThread
{
public:
    static constexpr UINT kMsgProgress = 0x8046;
    static constexpr UINT kMsgRequestDone = 0x801E;
    static constexpr UINT kMsgOpenStage = 0x801F;
    static constexpr int kMaxWidth = 3999;
    static constexpr int kMaxHeight = 2999;
    // The open stage (0x801F's wParam) that says a first picture of a raster image opened with
    // firstPictureEarly is in the device (CopyPicture) while the full picture is still decoded.
    static constexpr WPARAM kStageFirstPicture = 2;

    // The request codes the windows hand over (0x801E answers with the code). 1 to 4 open, load
    // and close; 5 to 27 navigate, queued in the thread's pass or, for the interactive ones, at
    // once (ViewRequest with now); 28 keeps the stored code and only wakes the thread.
    enum RequestCode : int
    {
        kRequestOpen = 1,
        kRequestOpenFit = 2, // open, then zoom to the extents
        kRequestLoadInfo = 3,
        kRequestClose = 4,
        kRequestResize = 5,
        kRequestZoomExtents = 6,
        kRequestZoomWindow = 7, // point 1 to point 2
        kRequestZoomIn = 8,
        kRequestZoomInAt = 9, // at point 1
        kRequestZoomOut = 10,
        kRequestZoomOutAt = 11, // at point 1
        kRequestUpdate = 12,
        kRequestPanDrag = 13, // from point 1 to point 2
        kRequestRedraw = 14,
        kRequestApplyOptions = 15,
        kRequestSelectLayout = 16, // layout point 1's x
        kRequestNone = 17,
        kRequestHighlight = 18, // at point 1
        kRequestHighlightFollowUp = 19,
        kRequestPanRight = 20, // 20 to 27: one pan step of a twentieth of the device
        kRequestPanLeft = 21,
        kRequestPanDown = 22,
        kRequestPanUp = 23,
        kRequestPanRightDown = 24,
        kRequestPanRightUp = 25,
        kRequestPanLeftDown = 26,
        kRequestPanLeftUp = 27,
        kRequestKeepCode = 28,
    };

    // The display settings the thread uses (start-up and the options sheet hand over the
    // settings record's values): the list colour behind raster images, the drawing background's
    // colour index, and whether the preview stretches images with halftone.
    struct DisplaySettings
    {
        COLORREF listColor = 0x808080;
        int backgroundColorIndex = 0;
        bool previewHalfTone = false;
    };

    // Where the engine documents come from (tests hand in documents of their own).
    using DocumentFactory = RkApp::Document* (*)();

    explicit TDwgDrawThread(DocumentFactory factory = &RkApp::Document::create);
    ~TDwgDrawThread() override;

    void NotifyProgress(int value) override;
    DWORD Run() override;

    // Requests (user-interface thread).
    // firstPictureEarly: a large JPEG is first decoded at a DCT scale that covers width x height,
    // drawn and handed over (kStageFirstPicture) before its full decode.
    void OpenFile(int type, const char* path, int width, int height, bool fit, bool firstPictureEarly = false);
    void RequestLoad(int type, const char* path);
    void Wake(bool always);
    void PostRequest(int code);
    void RequestResize(int width, int height);
    void ViewRequest(int code, const POINT* p1, const POINT* p2, bool now);
    void SetPassword(const char* password, int index);

    // Queries (user-interface thread; the engine is asked under the view lock).
    bool IsDrawingShown() const;
    bool IsDrawingValid() const;
    // Whether the engine view can highlight the entity under the mouse; false without a drawing.
    bool CanHighlight() const;
    bool QueryViewState() const;
    int GetLoadState() const;
    int GetCurrentLayout() const;
    int GetLayoutNames(CStringList& out) const;
    bool IsCurrentFile(const char* path) const;
    bool IsRasterHeld() const;
    bool IsOpening() const { return m_opening.load(); }
    bool IsBusy() const { return m_busy.load(); }
    int GetFileType() const { return m_fileType.load(); }
    CString GetDescription() const;
    // The path of the file last requested (empty before the first open).
    CString GetFilePath() const;
    // The record while a drawing is shown and it is filled; else null.
    const DRAWINGINFO* GetDrawingInfo() const;
    void SetQuickMode(bool quick);
    void SetDisplaySettings(const DisplaySettings& settings);
    DisplaySettings GetDisplaySettings() const;
    void RefreshView();
    void ClearDevice();
    // Copies the finished picture to the target under the view lock.
    bool PaintTo(HDC target) const;
    // Copies the finished picture into target, re-made at the picture's size, under the view
    // lock: the picture is neither resized nor freed meanwhile. False when there is none.
    bool CopyPicture(CGDIDevice& target) const;
    // The open document's drawing object, for the engine's dialogs and queries (user-interface
    // thread, while the thread is not busy); null without a document.
    CDrawing* GetDrawing() const { return Drawing(); }
    int GetDeviceWidth() const;
    int GetDeviceHeight() const;
    JGraphics& GetRasterScene() { return m_rasterScene; }
    KWinCanvas& GetRasterCanvas() { return m_rasterCanvas; }

    // The thread's answer to the engine's abort query.
    bool IsCancelRequested() const { return m_cancel.load(); }

    // Sizes outside 2..3999 x 2..2999: below becomes 1, above the largest picture.
    static int ClampWidth(int width);
    static int ClampHeight(int height);
    // The pan of the pan-step codes (kRequestPanRight..kRequestPanLeftUp) on a device of width x height (dx, dy in pixels, y upwards).
    static POINT PanStep(int code, int width, int height);

protected:
    // A stop also abandons a load in progress.
    void WakeForStop() override
    {
        m_cancel.store(true);
        m_event->Signal();
    }

private:
    struct Request
    {
        int code = 0;
        CString path;
        CString password;
        int passwordIndex = 0;
        bool firstPictureEarly = false;
        POINT p1 = {0, 0};
        POINT p2 = {0, 0};
    };

    static bool AbortQuery(void* context);
    static void ProgressStart(int value);
    static void Progress(double percent);
    static void ProgressFinish();

    void Loop();
    bool TakeRequest(Request& request);
    void FitDeviceToRequest(int code);
    bool Dispatch(int code, const Request& request);
    bool OpenRequested(int code, const Request& request);
    bool OpenDrawing(int code, const Request& request);
    void OpenRaster(const Request& request);
    // The reduced first picture of a large JPEG drawn into the device and reported; false when
    // the file gives none (it is then loaded whole as any other).
    bool ShowReducedFirst(const Request& request);
    void FitRasterScene();
    void LoadInformation(const Request& request);
    void CloseFile();
    bool ServeQueued(int code, const Request& request);
    // One of the immediate codes on the view object, under the view lock held by the caller.
    // followUpDone reports whether code 19 did its work.
    bool PerformImmediate(int code, const POINT& p1, const POINT& p2, bool& followUpDone);
    void HighlightAt(const POINT& p);
    bool HighlightFollowUp(const POINT& p);
    void Redraw();
    void FillBackground();
    void DrawMessage(const char* text);
    void PostToNotify(UINT message, WPARAM wParam, LPARAM lParam) const;
    bool IsDrawingType() const;
    bool DrawingShownLocked() const;
    POINT Flip(const POINT& p) const;
    RkApp::View* View() const;
    CDrawing* Drawing() const;
    COLORREF BackgroundColor() const;
    bool StillWanted() const { return GetResultFlag() && !IsStopRequested(); }

    DocumentFactory m_factory;
    mutable CCriticalSection m_viewLock;
    CGDIDevice m_device;
    std::atomic<int> m_fileType{-1};
    std::atomic<int> m_requestedWidth{2};
    std::atomic<int> m_requestedHeight{2};
    std::unique_ptr<CWin32ThreadEvent> m_event;
    std::atomic<RkApp::Document*> m_document{nullptr};
    std::atomic<bool> m_cancel{false};
    bool m_quickMode = true;
    std::atomic<bool> m_busy{false};
    std::atomic<bool> m_opening{false};
    Request m_request; // under the base lock
    CString m_filePath;    // under the base lock
    std::unique_ptr<DRAWINGINFO> m_drawingInfo;
    CString m_description; // under the base lock
    DisplaySettings m_settings; // under the base lock
    KWinCanvas m_rasterCanvas;
    OViewHistory<KViewPort> m_rasterViews{50};
    JGraphics m_rasterScene;
};

// The program-wide drawing thread (start-up stores it).
void SetPreviewThread(TDwgDrawThread* thread);
TDwgDrawThread* GetPreviewThread();
// The program-wide thumbnail thread, beside it (start-up stores it). The drawing thread goes on
// whether or not that thread still runs.
class TTaskManageThread;
void SetTaskManageThread(TTaskManageThread* thread);
TTaskManageThread* GetTaskManageThread();
