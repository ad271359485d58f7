#include "render/workers/TDwgDrawThread.h"

#include "core/CDrawingFileType.h"
#include "core/RegistryRoot.h"
#include "core/ResourceText.h"
#include "engine/rkio/rkio.h"
#include "engine/rkui/RkUI.h"
#include "framework/CRegKey.h"
#include "framework/CSingleLock.h"
#include "imaging/KImage.h"
#include "render/workers/CentredText.h"
#include "res/resource.h"

namespace {

std::atomic<TDwgDrawThread*> g_previewThread{nullptr};
std::atomic<TTaskManageThread*> g_taskManageThread{nullptr};
// The thread whose progress the engine's callbacks report (they carry no context).
std::atomic<TDwgDrawThread*> g_progressThread{nullptr};

bool IsRasterType(int type)
{
    return type > 3;
}

class DeviceFont
{
public:
    explicit DeviceFont(CGDIDevice& device) : m_device(device) { m_device.InitTextFont(); }
    ~DeviceFont() { m_device.DeleteFont(); }
    DeviceFont(const DeviceFont&) = delete;
    DeviceFont& operator=(const DeviceFont&) = delete;

private:
    CGDIDevice& m_device;
};

} // namespace

void SetPreviewThread(TDwgDrawThread* thread)
{
    g_previewThread.store(thread);
}

TDwgDrawThread* GetPreviewThread()
{
    return g_previewThread.load();
}

void SetTaskManageThread(TTaskManageThread* thread)
{
    g_taskManageThread.store(thread);
}

TTaskManageThread* GetTaskManageThread()
{
    return g_taskManageThread.load();
}

int TDwgDrawThread::ClampWidth(int width)
{
    return width < 2 ? 1 : (width > kMaxWidth ? kMaxWidth : width);
}

int TDwgDrawThread::ClampHeight(int height)
{
    return height < 2 ? 1 : (height > kMaxHeight ? kMaxHeight : height);
}

POINT TDwgDrawThread::PanStep(int code, int width, int height)
{
    const LONG w20 = width / 20;
    const LONG h20 = height / 20;
    const LONG right = w20 + 1;
    const LONG left = 1 - w20;
    const LONG down = -1 - h20;
    const LONG up = h20 + 1;
    switch (code) {
    case kRequestPanRight:
        return {right, 0};
    case kRequestPanLeft:
        return {left, 0};
    case kRequestPanDown:
        return {0, down};
    case kRequestPanUp:
        return {0, up};
    case kRequestPanRightDown:
        return {right, down};
    case kRequestPanRightUp:
        return {right, up};
    case kRequestPanLeftDown:
        return {left, down};
    case kRequestPanLeftUp:
        return {left, up};
    default:
        return {0, 0};
    }
}

TDwgDrawThread::TDwgDrawThread(DocumentFactory factory)
    : m_factory(factory ? factory : &RkApp::Document::create),
      m_event(std::make_unique<CWin32ThreadEvent>()),
      m_drawingInfo(std::make_unique<DRAWINGINFO>())
{
    m_document.store(m_factory());
    m_device.Create(2, 2, 3);
    SetEnabled(true);
    m_rasterScene.SetBackground(m_settings.listColor);
    m_rasterScene.SetImageFlag(true);
    m_rasterScene.SetHistory(&m_rasterViews);
    m_rasterScene.SetCanvas(&m_rasterCanvas);
    m_rasterCanvas.SetSize(1024, 768);
    g_progressThread.store(this);
    DWG_SetFileAboutFunc(&TDwgDrawThread::AbortQuery, this);
    DWG_SetProgressCallBackFuns(&TDwgDrawThread::ProgressStart, &TDwgDrawThread::Progress,
                                &TDwgDrawThread::ProgressFinish);
}

TDwgDrawThread::~TDwgDrawThread()
{
    DWG_SetProgressCallBackFuns(nullptr, nullptr, nullptr);
    DWG_SetFileAboutFunc(nullptr, nullptr);
    TDwgDrawThread* self = this;
    g_progressThread.compare_exchange_strong(self, nullptr);
    StopAndWait(5000);
    if (RkApp::Document* document = m_document.exchange(nullptr))
        RkApp::Document::release(document);
    m_rasterScene.Clear();
    m_rasterViews.RemoveAll();
}

bool TDwgDrawThread::AbortQuery(void* context)
{
    const auto* self = static_cast<const TDwgDrawThread*>(context);
    return self && self->m_cancel.load();
}

void TDwgDrawThread::ProgressStart(int value)
{
    if (TDwgDrawThread* self = g_progressThread.load())
        self->PostToWindow(self->GetMainWindow(), kMsgProgress, 0, value);
}

void TDwgDrawThread::Progress(double percent)
{
    if (percent == 0.0)
        return;
    if (TDwgDrawThread* self = g_progressThread.load())
        self->PostToWindow(self->GetMainWindow(), kMsgProgress, static_cast<WPARAM>(static_cast<int>(percent)), 0);
}

void TDwgDrawThread::ProgressFinish()
{
    if (TDwgDrawThread* self = g_progressThread.load())
        self->PostToWindow(self->GetMainWindow(), kMsgProgress, 100, 0);
}

void TDwgDrawThread::NotifyProgress(int value)
{
    SendToNotifyWindow(kMsgProgress, static_cast<WPARAM>(value), 0, 5000);
}

RkApp::View* TDwgDrawThread::View() const
{
    RkApp::Document* document = m_document.load();
    return document ? document->GetView() : nullptr;
}

CDrawing* TDwgDrawThread::Drawing() const
{
    RkApp::Document* document = m_document.load();
    return document ? document->GetDrawing() : nullptr;
}

bool TDwgDrawThread::IsDrawingType() const
{
    return CDrawingFileInfo::IsDrawingType(m_fileType.load());
}

bool TDwgDrawThread::DrawingShownLocked() const
{
    const CDrawing* drawing = Drawing();
    return IsDrawingType() && drawing && drawing->IsValid();
}

bool TDwgDrawThread::IsDrawingShown() const
{
    CSingleLock lock(&m_viewLock, TRUE);
    return DrawingShownLocked();
}

bool TDwgDrawThread::IsDrawingValid() const
{
    CSingleLock lock(&m_viewLock, TRUE);
    const CDrawing* drawing = Drawing();
    return drawing && drawing->IsValid();
}

bool TDwgDrawThread::QueryViewState() const
{
    CSingleLock lock(&m_viewLock, TRUE);
    const RkApp::View* view = View();
    return IsDrawingType() && view && view->QueryState();
}

bool TDwgDrawThread::CanHighlight() const
{
    CSingleLock lock(&m_viewLock, TRUE);
    const RkApp::View* view = View();
    return IsDrawingType() && view && view->CanHighlight();
}

bool TDwgDrawThread::IsRasterHeld() const
{
    return m_rasterScene.GetImage().HasImage();
}

int TDwgDrawThread::GetLoadState() const
{
    if (m_busy.load()) {
        CSingleLock lock(&Lock(), TRUE);
        if (m_request.code != kRequestHighlight)
            return 1;
    }
    return IsDrawingShown() ? 2 : 0;
}

int TDwgDrawThread::GetCurrentLayout() const
{
    CSingleLock lock(&m_viewLock, TRUE);
    const CDrawing* drawing = Drawing();
    if (!drawing || m_busy.load() || !IsDrawingType())
        return -1;
    return drawing->GetCurrentLayout();
}

int TDwgDrawThread::GetLayoutNames(CStringList& out) const
{
    out.RemoveAll();
    CSingleLock lock(&m_viewLock, TRUE);
    const CDrawing* drawing = Drawing();
    if (!m_document.load() || !drawing)
        return -1;
    const int count = drawing->GetLayoutCount();
    if (count <= 0) {
        out.AddTail(LoadResStringOr(IDS_LAYOUT_MODAL, "Modal"));
        out.AddTail(LoadResStringOr(IDS_LAYOUT_PAPER, "Paper"));
    }
    for (int i = 0; i < count; ++i) {
        const char* name = drawing->GetLayoutName(i);
        out.AddTail(CString(name ? name : ""));
    }
    return static_cast<int>(out.GetCount());
}

bool TDwgDrawThread::IsCurrentFile(const char* path) const
{
    if (!path || (IsRasterType(m_fileType.load()) && !IsRasterHeld()))
        return false;
    CSingleLock lock(&Lock(), TRUE);
    return m_filePath.CompareNoCase(path) == 0;
}

CString TDwgDrawThread::GetFilePath() const
{
    CSingleLock lock(&Lock(), TRUE);
    return m_filePath;
}

CString TDwgDrawThread::GetDescription() const
{
    CSingleLock lock(&Lock(), TRUE);
    return m_description;
}

const DRAWINGINFO* TDwgDrawThread::GetDrawingInfo() const
{
    return IsDrawingShown() && m_drawingInfo->m_nFilled > 0 ? m_drawingInfo.get() : nullptr;
}

int TDwgDrawThread::GetDeviceWidth() const
{
    CSingleLock lock(&m_viewLock, TRUE);
    return m_device.GetWidth();
}

int TDwgDrawThread::GetDeviceHeight() const
{
    CSingleLock lock(&m_viewLock, TRUE);
    return m_device.GetHeight();
}

bool TDwgDrawThread::PaintTo(HDC target) const
{
    CSingleLock lock(&m_viewLock, TRUE);
    return m_device.CopyTo(target);
}

bool TDwgDrawThread::CopyPicture(CGDIDevice& target) const
{
    CSingleLock lock(&m_viewLock, TRUE);
    return m_device.GetWidth() > 0 && m_device.GetHeight() > 0 && target.CopyFrom(m_device);
}

void TDwgDrawThread::SetDisplaySettings(const DisplaySettings& settings)
{
    CSingleLock lock(&Lock(), TRUE);
    m_settings = settings;
    // As for thumbnails: the engine picks the default colour's shade by the background it knows.
    DWG_SetBackgroundColor(GetColorIndex(static_cast<short>(settings.backgroundColorIndex & 0xFFFF), nullptr));
}

TDwgDrawThread::DisplaySettings TDwgDrawThread::GetDisplaySettings() const
{
    CSingleLock lock(&Lock(), TRUE);
    return m_settings;
}

void TDwgDrawThread::SetPassword(const char* password, int index)
{
    CSingleLock lock(&Lock(), TRUE);
    m_request.password = password ? password : "";
    m_request.passwordIndex = index;
}

void TDwgDrawThread::OpenFile(int type, const char* path, int width, int height, bool fit, bool firstPictureEarly)
{
    m_cancel.store(true);
    RkApp::Document* document = m_document.load();
    if (document && document->GetView()) {
        const HWND main = GetMainWindow();
        PostToWindow(main, kMsgProgress, 103, 0);
        document->GetView()->StopLoading();
        PostToWindow(main, kMsgProgress, 104, 0);
    }
    int fileType = type;
    if (fileType == -1) {
        CDrawingFileInfo row;
        fileType = GetDrawingFileInfo(path, &row) ? row.typeId : -1;
    }
    m_fileType.store(fileType);
    {
        CSingleLock lock(&Lock(), TRUE);
        m_filePath = path ? path : "";
        m_request.path = m_filePath;
        m_request.code = fit ? kRequestOpenFit : kRequestOpen;
        m_request.firstPictureEarly = firstPictureEarly;
    }
    m_requestedWidth.store(ClampWidth(width));
    m_requestedHeight.store(ClampHeight(height));
    SetResultFlag(false);
    m_event->Signal();
}

void TDwgDrawThread::RequestLoad(int type, const char* path)
{
    m_fileType.store(type);
    {
        CSingleLock lock(&Lock(), TRUE);
        m_filePath = path ? path : "";
        m_request.path = m_filePath;
        m_request.code = kRequestLoadInfo;
    }
    SetResultFlag(false);
    m_event->Signal();
}

void TDwgDrawThread::Wake(bool always)
{
    int code;
    {
        CSingleLock lock(&Lock(), TRUE);
        code = m_request.code;
    }
    if (always || ((IsDrawingShown() || IsRasterHeld()) && !m_opening.load()) || (code >= kRequestOpen && code <= kRequestClose))
        m_event->Signal();
}

void TDwgDrawThread::PostRequest(int code)
{
    if (m_opening.load() || !(IsDrawingShown() || IsRasterHeld()))
        return;
    if (code != kRequestKeepCode) {
        CSingleLock lock(&Lock(), TRUE);
        m_request.code = code;
    }
    SetResultFlag(false);
    Wake(false);
}

void TDwgDrawThread::RequestResize(int width, int height)
{
    if (m_opening.load() || !(IsDrawingShown() || IsRasterHeld()))
        return;
    m_requestedWidth.store(ClampWidth(width));
    m_requestedHeight.store(ClampHeight(height));
    {
        CSingleLock lock(&Lock(), TRUE);
        m_request.code = kRequestResize;
    }
    SetResultFlag(false);
    Wake(false);
}

POINT TDwgDrawThread::Flip(const POINT& p) const
{
    return {p.x, m_device.GetHeight() - p.y};
}

void TDwgDrawThread::ViewRequest(int code, const POINT* p1, const POINT* p2, bool now)
{
    if (m_opening.load() || m_busy.load() || !(IsDrawingShown() || IsRasterHeld()))
        return;
    POINT first = {0, 0};
    POINT second = {0, 0};
    {
        CSingleLock lock(&Lock(), TRUE);
        if (code != kRequestKeepCode)
            m_request.code = code;
        if (p1)
            m_request.p1 = *p1;
        if (p2)
            m_request.p2 = *p2;
        first = m_request.p1;
        second = m_request.p2;
    }
    if (!now || IsRasterType(m_fileType.load())) {
        SetResultFlag(false);
        Wake(false);
        return;
    }
    bool performed = false;
    bool followUpDone = false;
    {
        CSingleLock lock(&m_viewLock, TRUE);
        performed = DrawingShownLocked() && PerformImmediate(code, first, second, followUpDone);
    }
    if (!performed) {
        SetResultFlag(false);
        Wake(false);
        return;
    }
    if (code != kRequestHighlight && !(code == kRequestHighlightFollowUp && followUpDone))
        Redraw();
    PostToNotify(kMsgRequestDone, 1, code);
}

bool TDwgDrawThread::PerformImmediate(int code, const POINT& p1, const POINT& p2, bool& followUpDone)
{
    RkApp::View* view = View();
    if (!view)
        return false;
    const POINT a = Flip(p1);
    const POINT b = Flip(p2);
    switch (code) {
    case kRequestZoomExtents:
        view->SetSize(m_device.GetWidth(), m_device.GetHeight());
        view->SetView(0, 0, 1.0);
        return true;
    case kRequestZoomWindow:
        view->ZoomWindow(a.x, a.y, b.x, b.y);
        return true;
    case kRequestZoomIn:
        view->ZoomIn(1);
        return true;
    case kRequestZoomInAt:
        view->ZoomInAt(a.x, a.y, 1);
        return true;
    case kRequestZoomOut:
        view->ZoomOut(1);
        return true;
    case kRequestZoomOutAt:
        view->ZoomOutAt(a.x, a.y, 1);
        return true;
    case kRequestPanDrag:
        view->Pan(a.x, a.y, b.x, b.y);
        return true;
    case kRequestHighlight:
        HighlightAt(p1);
        return true;
    case kRequestHighlightFollowUp:
        followUpDone = HighlightFollowUp(p1);
        return true;
    default:
        break;
    }
    if (code >= kRequestPanRight && code <= kRequestPanLeftUp) {
        const POINT step = PanStep(code, m_device.GetWidth(), m_device.GetHeight());
        view->Pan(0, 0, step.x, step.y);
        return true;
    }
    return false;
}

void TDwgDrawThread::HighlightAt(const POINT& p)
{
    RkApp::View* view = View();
    CDrawing* drawing = Drawing();
    if (!view || !drawing || !StillWanted())
        return;
    DeviceFont font(m_device);
    if (!StillWanted())
        return;
    view->SetSize(m_device.GetWidth(), m_device.GetHeight());
    drawing->ClearHighlight(0);
    const POINT flipped = Flip(p);
    view->HighlightAt(m_device.GetDC(), 0, flipped.x, flipped.y);
}

bool TDwgDrawThread::HighlightFollowUp(const POINT& p)
{
    RkApp::View* view = View();
    CDrawing* drawing = Drawing();
    if (!view || !drawing || !StillWanted() || !view->HasHighlight())
        return false;
    DeviceFont font(m_device);
    if (StillWanted()) {
        view->SetSize(m_device.GetWidth(), m_device.GetHeight());
        drawing->ClearHighlight(0);
        view->HighlightUpdate(m_device.GetDC(), p.x, p.y);
    }
    return true;
}

void TDwgDrawThread::PostToNotify(UINT message, WPARAM wParam, LPARAM lParam) const
{
    PostToWindow(GetNotifyWnd(), message, wParam, lParam);
}

COLORREF TDwgDrawThread::BackgroundColor() const
{
    return GetColorIndex(static_cast<short>(GetDisplaySettings().backgroundColorIndex & 0xFFFF), nullptr);
}

void TDwgDrawThread::FillBackground()
{
    const COLORREF color = BackgroundColor();
    HDC dc = m_device.GetDC();
    if (!dc)
        return;
    HPEN pen = CreatePen(PS_SOLID, 0, color);
    HBRUSH brush = CreateSolidBrush(color);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    ::Rectangle(dc, 0, 0, m_device.GetWidth(), m_device.GetHeight());
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(brush);
    DeleteObject(pen);
}

void TDwgDrawThread::DrawMessage(const char* text)
{
    CSingleLock lock(&m_viewLock, TRUE);
    DeviceFont font(m_device);
    FillBackground();
    // The text in the background's opposite colour, so it shows on any background.
    DrawCentredLine(m_device.GetDC(), m_device.GetWidth(), m_device.GetHeight(), text,
                    BackgroundColor() ^ 0xFFFFFF);
}

void TDwgDrawThread::ClearDevice()
{
    m_rasterCanvas.Clear(GetDisplaySettings().listColor);
    CSingleLock lock(&m_viewLock, TRUE);
    if (m_device.GetWidth() > 0)
        m_device.BlendRect(0, 0, m_device.GetWidth() - 1, m_device.GetHeight() - 1, BackgroundColor(), 100, false, 0);
}

void TDwgDrawThread::SetQuickMode(bool quick)
{
    CSingleLock lock(&m_viewLock, TRUE);
    RkApp::View* view = View();
    if (!IsDrawingType() || !view)
        return;
    CRegKey key;
    if (key.Open(HKEY_CURRENT_USER, ProgramKeyPath("Option"), KEY_READ | KEY_WRITE) == ERROR_SUCCESS)
        key.SetDWORDValue("QuickMode", quick ? 1 : 0);
    view->SetQuickMode(quick);
}

void TDwgDrawThread::RefreshView()
{
    CSingleLock lock(&m_viewLock, TRUE);
    if (DrawingShownLocked() && StillWanted())
        View()->Refresh();
}

void TDwgDrawThread::Redraw()
{
    CSingleLock lock(&m_viewLock, TRUE);
    RkApp::View* view = View();
    if (!DrawingShownLocked() || !view || !StillWanted())
        return;
    DeviceFont font(m_device);
    if (!StillWanted())
        return;
    try {
        view->SetSize(m_device.GetWidth(), m_device.GetHeight());
        view->Draw(m_device.GetDC(), 0);
    } catch (...) {
        // The device keeps what was drawn.
    }
}

DWORD TDwgDrawThread::Run()
{
    m_quickMode = true;
    CRegKey key;
    DWORD value = 0;
    if (key.Open(HKEY_CURRENT_USER, ProgramKeyPath("Option"), KEY_READ) == ERROR_SUCCESS &&
        key.QueryDWORDValue("QuickMode", value) == ERROR_SUCCESS)
        m_quickMode = value == 1;
    key.Close();
    try {
        Loop();
    } catch (...) {
        // Anything thrown ends the loop; the thread ends normally.
    }
    CSingleLock lock(&m_viewLock, TRUE);
    if (RkApp::Document* document = m_document.exchange(nullptr))
        RkApp::Document::release(document);
    return 0;
}

bool TDwgDrawThread::TakeRequest(Request& request)
{
    // The stop flag is checked at least twice a second, so a stop never waits on a lost signal.
    while (!m_event->Wait(500)) {
        if (IsStopRequested())
            return false;
    }
    if (IsStopRequested())
        return false;
    m_busy.store(true);
    m_cancel.store(false);
    CSingleLock lock(&Lock(), TRUE);
    SetResultFlag(true);
    request = m_request;
    if (request.code == kRequestOpen || request.code == kRequestOpenFit)
        m_opening.store(true);
    return true;
}

void TDwgDrawThread::Loop()
{
    if (!m_document.load())
        m_document.store(m_factory());
    if (RkApp::View* view = View()) {
        CSingleLock lock(&m_viewLock, TRUE);
        view->SetQuickMode(m_quickMode);
    }
    for (;;) {
        if (!Drawing() || IsStopRequested())
            return;
        m_opening.store(false);
        m_busy.store(false);
        Request request;
        if (!TakeRequest(request))
            return;
        const int code = request.code;
        FitDeviceToRequest(code);
        const bool redraw = Dispatch(code, request);
        if (IsStopRequested())
            return;
        if (code == kRequestLoadInfo || code == kRequestClose) {
            m_busy.store(false);
            if (GetResultFlag())
                PostToNotify(kMsgRequestDone, 1, code);
            continue;
        }
        if (GetResultFlag() && !m_cancel.load() && redraw)
            Redraw();
        m_busy.store(false);
        if (IsStopRequested())
            return;
        if (GetResultFlag())
            PostToNotify(kMsgRequestDone, 1, code);
    }
}

void TDwgDrawThread::FitDeviceToRequest(int code)
{
    const int width = m_requestedWidth.load();
    const int height = m_requestedHeight.load();
    CSingleLock lock(&m_viewLock, TRUE);
    if (width == m_device.GetWidth() && height == m_device.GetHeight())
        return;
    if (!m_device.Create(width, height, 3))
        return;
    m_device.BlendRect(0, 0, m_device.GetWidth() - 1, m_device.GetHeight() - 1, BackgroundColor(), 100, false, 0);
    if (code >= kRequestResize && DrawingShownLocked())
        Drawing()->DeviceSizeChanged();
}

bool TDwgDrawThread::Dispatch(int code, const Request& request)
{
    switch (code) {
    case kRequestOpen:
    case kRequestOpenFit:
        return OpenRequested(code, request);
    case kRequestLoadInfo:
        LoadInformation(request);
        return false;
    case kRequestClose:
        CloseFile();
        return false;
    default:
        return code >= kRequestResize && code <= kRequestPanLeftUp && ServeQueued(code, request);
    }
}

bool TDwgDrawThread::OpenRequested(int code, const Request& request)
{
    if (RkApp::Document* document = m_document.load()) {
        CSingleLock lock(&m_viewLock, TRUE);
        document->Close();
    }
    if (IsDrawingType())
        return OpenDrawing(code, request);
    if (StillWanted())
        OpenRaster(request);
    m_opening.store(false);
    return true;
}

bool TDwgDrawThread::OpenDrawing(int code, const Request& request)
{
    NotifyProgress(1);
    m_cancel.store(false);
    CDrawing* drawing = Drawing();
    short result = 1;
    {
        CSingleLock lock(&m_viewLock, TRUE);
        result = drawing->Open(request.path, request.password);
    }
    if (!StillWanted()) {
        m_opening.store(false);
        return false;
    }
    if (result == 0 && drawing->IsValid()) {
        {
            CSingleLock lock(&m_viewLock, TRUE);
            replaceFont(drawing);
            FillBackground();
        }
        FillDrawingInfo(drawing, m_drawingInfo.get());
        PostToNotify(kMsgOpenStage, 1, 0);
        {
            CSingleLock lock(&m_viewLock, TRUE);
            View()->SetSize(m_device.GetWidth(), m_device.GetHeight());
        }
        if (code == kRequestOpenFit) {
            PostToNotify(kMsgProgress, 101, 0);
            CSingleLock lock(&m_viewLock, TRUE);
            View()->FitOpeningView();
        } else if (GetResultFlag()) {
            PostToNotify(kMsgOpenStage, 1, 0);
        }
        m_opening.store(false);
        return true;
    }
    if (m_cancel.load()) {
        SetResultFlag(false);
        m_opening.store(false);
        return false;
    }
    DrawMessage(result == 4 ? LoadResStringOr(IDS_PASSWORD_PROTECTED, "Password protected!")
                            : LoadResStringOr(IDS_OPEN_FILE_FAILURE, "Open file failure!"));
    m_drawingInfo->m_nFilled = 0;
    PostToNotify(kMsgOpenStage, result == 4 ? 4 : 0, request.passwordIndex);
    m_opening.store(false);
    return true;
}

void TDwgDrawThread::OpenRaster(const Request& request)
{
    m_rasterScene.Clear();
    CString description;
    if (m_fileType.load() == 5)
        description = GetExifSummary(request.path).GetText();
    {
        CSingleLock lock(&Lock(), TRUE);
        m_description = description;
    }
    if (!description.IsEmpty())
        PostToNotify(kMsgOpenStage, 1, 0);
    if (!StillWanted())
        return;
    KImage& image = m_rasterScene.GetImage();
    const bool reducedFirst = request.firstPictureEarly && ShowReducedFirst(request);
    if (reducedFirst && !StillWanted()) {
        m_rasterScene.Clear();
        return;
    }
    if (!(reducedFirst ? image.LoadFull(0.0f, 0.0f) : image.Load(request.path, 0.0f, 0.0f))) {
        m_rasterScene.Clear();
        PostToNotify(kMsgOpenStage, 0, 0);
        return;
    }
    if (!StillWanted())
        return;
    if (description.IsEmpty()) {
        description = image.GetInfo().GetText();
        if (image.GetPageCount() > 1) {
            CString pages;
            pages.Format(" pages:%d", image.GetPageCount());
            description += pages;
        }
        {
            CSingleLock lock(&Lock(), TRUE);
            m_description = description;
        }
        PostToNotify(kMsgOpenStage, 1, 0);
    }
    FitRasterScene();
    PostToNotify(kMsgOpenStage, 1, request.passwordIndex);
}

void TDwgDrawThread::FitRasterScene()
{
    m_rasterScene.ClearViewHistory();
    m_rasterScene.ComputeExtents(true);
    m_rasterScene.SetImageFlag(!GetDisplaySettings().previewHalfTone);
    m_rasterScene.ZoomExtents();
    m_rasterScene.SetImageFlag(true);
}

// The full decode of a 12-megapixel photo takes several times what a decode at the pane's size
// does (the DCT scale skips most of the inverse transform, the colour conversion and the fresh
// memory of the big picture): the pane gets that picture first. The thread stays busy until the
// full picture has taken its place, so no zoom or turn ever works on the reduced one.
bool TDwgDrawThread::ShowReducedFirst(const Request& request)
{
    const int width = m_requestedWidth.load();
    const int height = m_requestedHeight.load();
    KImage& image = m_rasterScene.GetImage();
    if (!image.LoadReduced(request.path, static_cast<DWORD>(width), static_cast<DWORD>(height)))
        return false;
    if (!StillWanted())
        return true;
    // The pane sizes the canvas only while the thread is idle; it is this thread's until then.
    m_rasterCanvas.SetSize(width, height);
    FitRasterScene();
    {
        CSingleLock lock(&m_viewLock, TRUE);
        if (m_device.GetWidth() != width || m_device.GetHeight() != height)
            return true;
        ::BitBlt(m_device.GetDC(), 0, 0, width, height, m_rasterCanvas.GetMemoryDC(), 0, 0, SRCCOPY);
    }
    PostToNotify(kMsgOpenStage, kStageFirstPicture, 0);
    return true;
}

void TDwgDrawThread::LoadInformation(const Request& request)
{
    m_opening.store(true);
    if (IsDrawingType()) {
        CSingleLock lock(&m_viewLock, TRUE);
        CDrawing* drawing = Drawing();
        drawing->Open(request.path, request.password);
        if (drawing->IsValid())
            FillDrawingInfo(drawing, m_drawingInfo.get());
        m_document.load()->Close();
    } else {
        m_rasterScene.Clear();
        const CString description = GetExifSummary(request.path).GetText();
        CSingleLock lock(&Lock(), TRUE);
        m_description = description;
    }
    m_opening.store(false);
}

void TDwgDrawThread::CloseFile()
{
    m_drawingInfo->m_nFilled = 0;
    {
        CSingleLock lock(&Lock(), TRUE);
        m_filePath.Empty();
    }
    if (IsDrawingType()) {
        CSingleLock lock(&m_viewLock, TRUE);
        m_document.load()->Close();
    } else {
        m_rasterScene.Clear();
        CSingleLock lock(&Lock(), TRUE);
        m_description.Empty();
    }
}

bool TDwgDrawThread::ServeQueued(int code, const Request& request)
{
    CSingleLock lock(&m_viewLock, TRUE);
    const bool shown = DrawingShownLocked();
    switch (code) {
    case kRequestResize:
        if (shown)
            View()->SetSize(m_device.GetWidth(), m_device.GetHeight());
        return true;
    case kRequestUpdate:
        if (Drawing())
            Drawing()->Update();
        return true;
    case kRequestRedraw:
        return true;
    case kRequestApplyOptions:
        if (shown)
            View()->ApplyOptions();
        return true;
    case kRequestSelectLayout:
        if (Drawing())
            Drawing()->SetCurrentLayout(request.p1.x);
        return true;
    case kRequestNone:
        return false;
    case kRequestHighlight:
        if (shown)
            HighlightAt(request.p1);
        return false;
    case kRequestHighlightFollowUp:
        return !(shown && HighlightFollowUp(request.p1));
    default:
        break;
    }
    if (code >= kRequestPanRight && code <= kRequestPanLeftUp)
        return false; // pan steps are served only at once
    bool followUpDone = false;
    return shown && PerformImmediate(code, request.p1, request.p2, followUpDone);
}
