// The preview pane's commands, keys and mouse: for a drawing each turns into a drawing-thread
// request (queued, or at once under the thread's view lock for the mouse); for a raster image
// into a call on the thread's image scene followed by a repaint.
#include "browser/preview/CPreView.h"

#include "app/CAppState.h"
#include "core/CAppOptions.h"
#include "engine/rkio/CDrawing.h"
#include "engine/rkui/RkUI.h"
#include "framework/Prompt.h"
#include "imaging/ExifOrientation.h"
#include "res/resource.h"
#include "render/workers/TDwgDrawThread.h"
#include "render/workers/ViewActions.h"
#include "ui/RubberBand.h"

#include <algorithm>
#include <iterator>

namespace {

// Keys of the pane, by virtual-key code; modifier keys are not looked at.
struct KeyAction
{
    UINT key;
    UINT command; // 0: handled by RunKey itself
};

constexpr KeyAction kKeys[] = {
    {'1', CPreView::kCmdActualSize},   {'A', CPreView::kCmdAutoFit},      {VK_NUMPAD1, CPreView::kCmdAutoFit},
    {'E', CPreView::kCmdZoomExtents},  {VK_NUMPAD5, CPreView::kCmdZoomExtents},
    {'P', CPreView::kCmdPan},          {VK_F1, CPreView::kCmdPan},
    {'W', CPreView::kCmdZoomWindow},   {VK_F8, CPreView::kCmdZoomWindow},
    {'Q', CPreView::kCmdQuickMode},    {VK_F2, CPreView::kCmdQuickMode},
    {'H', CPreView::kCmdHighlight},    {VK_NUMPAD8, CPreView::kCmdHighlight},
    {'I', 0}, {VK_NUMPAD9, 0}, {VK_ADD, 0}, {VK_OEM_PLUS, 0},
    {'U', 0}, {VK_F6, 0}, {VK_SUBTRACT, 0}, {VK_OEM_MINUS, 0},
    {VK_LEFT, 0}, {VK_RIGHT, 0}, {VK_UP, 0}, {VK_DOWN, 0},
    {'L', CPreView::kCmdRotateLeft},   {VK_SEPARATOR, CPreView::kCmdRotateLeft},
    {'R', CPreView::kCmdRotateRight},  {VK_F3, CPreView::kCmdRotateRight},
    {VK_RETURN, 0},
};

// The pane's commands, as runs of consecutive ids: the bar routes exactly these to the pane.
struct CommandRun
{
    UINT first;
    UINT last;
};

constexpr CommandRun kPaneCommands[] = {
    {CPreView::kCmdLayers, CPreView::kCmdLayers},
    {CPreView::kCmdZoomPrevious, CPreView::kCmdZoomExtents},
    {CPreView::kCmdRedraw, CPreView::kCmdRedraw},
    {CPreView::kCmdViewPointDialog, CPreView::kCmdViewLast},
    {CPreView::kCmdZoomOut, CPreView::kCmdPan},
    {CPreView::kCmdLayoutFirst, CPreView::kCmdLayoutLast},
    {CPreView::kCmdActualSize, CPreView::kCmdActualSize},
    {CPreView::kCmdRotateLeft, CPreView::kCmdFlip},
    {CPreView::kCmdAutoFit, CPreView::kCmdAutoFit},
    {CPreView::kCmdSmooth, CPreView::kCmdSmooth},
    {CPreView::kCmdHighlight, CPreView::kCmdHighlight},
    {CPreView::kCmdQuickMode, CPreView::kCmdQuickMode},
};

const KeyAction* FindKey(UINT key)
{
    for (const KeyAction& k : kKeys) {
        if (k.key == key)
            return &k;
    }
    return nullptr;
}

} // namespace

BOOL CPreView::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (RunCommand(LOWORD(wParam)))
        return TRUE;
    return CWnd::OnCommand(wParam, lParam);
}

void CPreView::RequestView(int code, const POINT* p1, const POINT* p2, bool now)
{
    if (Thread())
        Thread()->ViewRequest(code, p1, p2, now);
}

void CPreView::AfterRasterChange()
{
    RepaintImage();
    PostStatusRefresh();
}

void CPreView::ZoomStep(bool in)
{
    if (!IsRunning())
        return;
    if (IsDrawingShown()) {
        RequestView(in ? TDwgDrawThread::kRequestZoomIn : TDwgDrawThread::kRequestZoomOut, nullptr, nullptr, false);
    } else if (HasRasterImage() && IsIdle()) {
        JGraphics& scene = Thread()->GetRasterScene();
        in ? scene.ZoomIn() : scene.ZoomOut();
        AfterRasterChange();
    }
}

void CPreView::SelectLayout(int index)
{
    // Nothing is written while the thread works: the layout index travels in the request.
    if (!IsRunning() || !IsIdle() || !IsDrawingShown())
        return;
    const POINT layout = {index, 0};
    RequestView(TDwgDrawThread::kRequestSelectLayout, &layout, nullptr, false);
}

void CPreView::ToggleSmooth()
{
    g_options.PreviewHalfTone = !g_options.PreviewHalfTone;
    g_appState.ApplyDisplaySettings(g_options);
    if (IsRunning() && IsIdle() && HasRasterImage() && ViewActions::RedrawInNewQuality(Thread()->GetRasterScene()))
        RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void CPreView::RunDrawingDialog(UINT id)
{
    if (!IsRunning() || !IsIdle() || !IsDrawingShown())
        return;
    CDrawing* drawing = Thread()->GetDrawing();
    if (!drawing || (id == kCmdViewPointDialog && !CanShow3DViews()))
        return;
    g_appState.modalDialogOpen = true;
    const int changed = id == kCmdLayers ? showLayerManager(drawing) : showSetViewportDialog(drawing);
    g_appState.modalDialogOpen = false;
    if (changed == 1)
        RedrawImage(id == kCmdLayers ? TDwgDrawThread::kRequestApplyOptions : TDwgDrawThread::kRequestRedraw);
}

void CPreView::SetStandardView(UINT id)
{
    if (IsRunning() && ViewActions::SetStandardView(*Thread(), ViewActions::StandardViewPoint(id - kCmdViewFirst)))
        RedrawImage(TDwgDrawThread::kRequestRedraw);
}

bool CPreView::CanShow3DViews() const
{
    return IsRunning() && ViewActions::CanShow3DViews(*Thread());
}

bool CPreView::CanHoverHighlight() const
{
    return IsRunning() && ViewActions::CanHoverHighlight(*Thread());
}

void CPreView::TransformImage(int operation)
{
    const bool visible = GetSafeHwnd() && IsWindowVisible();
    if (!IsRunning() || !visible)
        return;
    CWaitCursor wait;
    if (!ViewActions::TransformImage(*Thread(), operation))
        return;
    AfterRasterChange();
    StoreImageOrientation(operation);
}

// A JPEG keeps the turn in its Exif orientation, so that it comes up turned everywhere, and the
// list's pictures of the selected files are made again. The file is replaced only by a complete
// copy; a file that cannot take the turn is left as it was and the user is told why.
void CPreView::StoreImageOrientation(int operation)
{
    KImage& image = Thread()->GetRasterScene().GetImage();
    if (image.GetFormat() != RASTER_FORMAT_JPG)
        return;
    const CString path = image.GetPath();
    if (image.RotateExifOrientation(operation)) {
        if (CWnd* main = AfxGetMainWnd())
            main->SendMessage(WM_COMMAND, ID_THUMB_REBUILD_SELECTED);
        return;
    }
    const DWORD attributes = GetFileAttributesA(path);
    const char* reason = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0
                             ? "the file is read-only"
                         : ReadExifOrientation(path) == 0 ? "the file holds no Exif orientation"
                                                          : "the file could not be written";
    CString text;
    text.Format("The turn is shown but not stored in %s: %s.", path.GetString(), reason);
    AfxMessageBox(text, MB_OK | MB_ICONWARNING);
}

bool CPreView::IsPaneCommand(UINT id)
{
    return std::any_of(std::begin(kPaneCommands), std::end(kPaneCommands),
                       [id](const CommandRun& run) { return id >= run.first && id <= run.last; });
}

bool CPreView::RunCommand(UINT id)
{
    if (!IsPaneCommand(id))
        return false;
    if (id >= kCmdRotateLeft && id <= kCmdFlip) {
        TransformImage(static_cast<int>(id - kCmdRotateLeft));
        return true;
    }
    if (id >= kCmdViewFirst && id <= kCmdViewLast) {
        SetStandardView(id);
        return true;
    }
    if (id == kCmdLayers || id == kCmdViewPointDialog) {
        RunDrawingDialog(id);
        return true;
    }
    if (id >= kCmdLayoutFirst && id <= kCmdLayoutLast) {
        SelectLayout(static_cast<int>(id - kCmdLayoutFirst));
        return true;
    }
    const bool raster = IsRasterShown() && HasRasterImage() && IsIdle() && IsRunning();
    const bool drawing = IsRunning() && IsDrawingShown();
    switch (id) {
    case kCmdZoomPrevious:
        if (raster) {
            Thread()->GetRasterScene().ApplyCurrentView();
            AfterRasterChange();
        } else if (drawing && !Thread()->IsOpening()) {
            RequestView(TDwgDrawThread::kRequestUpdate, nullptr, nullptr, false);
        }
        return true;
    case kCmdZoomExtents:
    case kCmdAutoFit:
        if (drawing && id == kCmdZoomExtents)
            RequestView(TDwgDrawThread::kRequestZoomExtents, nullptr, nullptr, false);
        else if (raster) {
            id == kCmdAutoFit ? Thread()->GetRasterScene().ZoomExtents() : Thread()->GetRasterScene().ZoomFit();
            AfterRasterChange();
        }
        return true;
    case kCmdRedraw:
        if (drawing)
            RequestView(TDwgDrawThread::kRequestApplyOptions, nullptr, nullptr, false);
        else if (raster) {
            Thread()->GetRasterScene().Redraw(false);
            AfterRasterChange();
        }
        return true;
    case kCmdZoomWindow:
        if (Thread())
            SetMode(kModeZoomWindow);
        return true;
    case kCmdPan:
        if (Thread())
            SetMode(kModePan);
        return true;
    case kCmdZoomOut:
    case kCmdZoomIn:
        if (Thread()) {
            SetMode(id == kCmdZoomIn ? kModeZoomIn : kModeZoomOut);
            ZoomStep(id == kCmdZoomIn);
        }
        return true;
    case kCmdActualSize:
        if (raster) {
            SetMode(kModePan);
            Thread()->GetRasterScene().ZoomActualSize();
            AfterRasterChange();
        }
        return true;
    case kCmdSmooth:
        ToggleSmooth();
        return true;
    case kCmdQuickMode:
        if (IsRunning() && IsIdle()) {
            ViewActions::ToggleQuickMode(*Thread());
            RedrawImage(TDwgDrawThread::kRequestRedraw);
        }
        return true;
    case kCmdHighlight:
        if (IsRunning() && IsIdle())
            ViewActions::TogglePreviewHighlight();
        return true;
    default:
        return false;
    }
}

bool CPreView::IsCommandEnabled(UINT id, bool& check) const
{
    check = false;
    if (!IsRunning())
        return false;
    const bool visible = GetSafeHwnd() && IsWindowVisible();
    const bool raster = IsRasterShown() && HasRasterImage() && IsIdle() && visible;
    const bool drawing = IsDrawingShown() && IsIdle() && Thread()->IsDrawingValid() && visible;
    // The thread's queries wait for its view lock: they are asked only while it is idle.
    if (id >= kCmdViewPointDialog && id <= kCmdViewLast)
        return CanShow3DViews() && visible;
    if (id == kCmdLayers)
        return IsDrawingShown() && IsIdle() && Thread()->GetDrawing() != nullptr;
    if (id >= kCmdLayoutFirst && id <= kCmdLayoutLast) {
        const bool enabled = IsDrawingShown() && IsIdle();
        check = enabled && static_cast<int>(id - kCmdLayoutFirst) == Thread()->GetCurrentLayout();
        return enabled;
    }
    switch (id) {
    case kCmdZoomPrevious:
    case kCmdZoomExtents:
    case kCmdRedraw:
        return raster || drawing;
    case kCmdZoomOut:
    case kCmdZoomIn:
    case kCmdZoomWindow:
    case kCmdPan:
        check = (id == kCmdZoomOut && m_mode == kModeZoomOut) || (id == kCmdZoomIn && m_mode == kModeZoomIn) ||
                (id == kCmdZoomWindow && m_mode == kModeZoomWindow) || (id == kCmdPan && m_mode == kModePan);
        return raster || drawing;
    case kCmdActualSize:
    case kCmdAutoFit:
    case kCmdRotateLeft:
    case kCmdRotateRight:
    case kCmdMirror:
    case kCmdFlip:
        return raster;
    case kCmdSmooth:
        check = g_options.PreviewHalfTone;
        return raster;
    case kCmdQuickMode:
        check = IsDrawingShown() && IsIdle() && Thread()->QueryViewState();
        return IsDrawingShown() && IsIdle();
    case kCmdHighlight:
        check = ViewActions::GetHighlightMode();
        return ViewActions::CanToggleHighlight(*Thread());
    default:
        return false;
    }
}

BOOL CPreView::PreTranslateMessage(MSG* msg)
{
    if ((msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN) && RunKey(static_cast<UINT>(msg->wParam)))
        return TRUE;
    return CWnd::PreTranslateMessage(msg);
}

bool CPreView::RunKey(UINT key)
{
    const KeyAction* action = FindKey(key);
    if (!action)
        return false;
    if (action->command) {
        RunCommand(action->command);
        return true;
    }
    switch (key) {
    case VK_RETURN:
        OpenShownFileForViewing();
        break;
    case 'I': case VK_NUMPAD9: case VK_ADD: case VK_OEM_PLUS:
        ZoomStep(true);
        break;
    case 'U': case VK_F6: case VK_SUBTRACT: case VK_OEM_MINUS:
        ZoomStep(false);
        break;
    case VK_LEFT:
        RequestView(TDwgDrawThread::kRequestPanLeft, nullptr, nullptr, true);
        break;
    case VK_RIGHT:
        RequestView(TDwgDrawThread::kRequestPanRight, nullptr, nullptr, true);
        break;
    case VK_UP:
        RequestView(TDwgDrawThread::kRequestPanUp, nullptr, nullptr, true);
        break;
    case VK_DOWN:
        RequestView(TDwgDrawThread::kRequestPanDown, nullptr, nullptr, true);
        break;
    default:
        break;
    }
    return true;
}

void CPreView::OnLButtonDown(UINT, CPoint point)
{
    if (!IsRunning())
        return;
    KillSmoothTimer();
    KillHoverTimers();
    if (::GetFocus() != GetSafeHwnd())
        SetFocus();
    switch (m_mode) {
    case kModeZoomWindow:
        m_anchor = m_current = point;
        DrawRubberBand(GetSafeHwnd(), m_anchor, m_current);
        SetCapture();
        break;
    case kModePan:
        m_anchor = m_current = point;
        m_cursor = g_cursor[11];
        SetCapture();
        break;
    case kModeZoomOut:
    case kModeZoomIn:
        if (ViewActions::ZoomAt(*Thread(), point, m_mode == kModeZoomIn, false) == ViewActions::Target::kImage)
            RepaintImage();
        break;
    default:
        break;
    }
}

void CPreView::OnMouseMove(UINT flags, CPoint point)
{
    if (!IsRunning() || g_appState.modalDialogOpen || !IsIdle())
        return;
    const bool dragPan = (flags & MK_MBUTTON) || (m_mode == kModePan && (flags & MK_LBUTTON));
    if (dragPan) {
        if (ViewActions::PanDrag(*Thread(), m_current, point, true) == ViewActions::Target::kImage)
            RepaintImage();
        m_current = point;
    } else if (m_mode == kModeZoomWindow && (flags & MK_LBUTTON)) {
        DrawRubberBand(GetSafeHwnd(), m_anchor, m_current);
        m_current = point;
        DrawRubberBand(GetSafeHwnd(), m_anchor, m_current);
    } else if (!(flags & (MK_LBUTTON | MK_RBUTTON)) && IsDrawingShown()) {
        m_current = point;
        KillHoverTimers();
        SetTimer(kTimerHover, 6);
    }
}

void CPreView::OnLButtonDblClk(UINT, CPoint)
{
    OpenShownFileForViewing();
}

void CPreView::OpenShownFileForViewing()
{
    if (!IsRunning())
        return;
    // As the file list does: the view frame shows the drawing thread's file, which is this one.
    g_appState.SetViewPath(m_shownPath);
    if (m_shownPath.GetLength() > 3)
        g_appState.EnterViewMode();
}

void CPreView::OnMButtonDown(UINT, CPoint point)
{
    if (!IsRunning() || !IsIdle())
        return;
    const bool drawing = IsDrawingShown() && Thread()->IsDrawingValid();
    if (!drawing && !(IsRasterShown() && HasRasterImage()))
        return;
    KillHoverTimers();
    if (::GetFocus() != GetSafeHwnd())
        SetFocus();
    m_anchor = m_current = point;
    m_cursor = g_cursor[11];
    RefreshCursor();
    SetCapture();
}

void CPreView::OnMButtonUp(UINT, CPoint)
{
    m_cursor = ModeCursor();
    RefreshCursor();
    ::ReleaseCapture();
    if (IsRunning() && IsRasterShown())
        PostStatusRefresh();
}

void CPreView::OnLButtonUp(UINT, CPoint point)
{
    ::ReleaseCapture();
    if (!IsRunning())
        return;
    if (m_mode == kModeZoomWindow)
        EndZoomWindow(point);
    else if (m_mode == kModePan) {
        m_cursor = g_cursor[10];
        RefreshCursor();
    }
    if (IsRasterShown())
        PostStatusRefresh();
}

void CPreView::EndZoomWindow(CPoint point)
{
    DrawRubberBand(GetSafeHwnd(), m_anchor, m_current);
    if (ViewActions::ZoomWindow(*Thread(), m_anchor, point) == ViewActions::Target::kImage)
        RepaintImage();
}

BOOL CPreView::OnMouseWheel(UINT flags, short delta, CPoint point)
{
    if (flags != 0 || g_appState.modalDialogOpen || !IsRunning() || !IsIdle())
        return FALSE;
    KillHoverTimers();
    ScreenToClient(&point);
    if (ViewActions::ZoomAt(*Thread(), point, delta > 0, true) == ViewActions::Target::kImage)
        AfterRasterChange();
    return TRUE;
}
