#include "render/workers/TTaskManageThread.h"

#include "core/CDrawingFileType.h"
#include "core/FileUtils.h"
#include "core/ResourceText.h"
#include "engine/rkapp/rkapp.h"
#include "engine/rkio/rkio.h"
#include "engine/rkui/RkUI.h"
#include "framework/CSingleLock.h"
#include "framework/GdiScopes.h"
#include "imaging/AreaShrink.h"
#include "imaging/CDrawingPreview.h"
#include "imaging/KImage.h"
#include "render/cache/KBMP.h"
#include "render/cache/TDwgCache.h"
#include "render/workers/CentredText.h"
#include "res/resource.h"

#include <algorithm>
#include <new>

namespace {

constexpr int kDwgType = 0;
constexpr int kJpegType = 5;
constexpr DWORD kWakeRetryMs = 2000;

void FillButtonFace(HDC dc, int width, int height)
{
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const GdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, face));
    const GdiObject<HBRUSH> brush(CreateSolidBrush(face));
    const SelectScope selectPen(dc, pen.Get());
    const SelectScope selectBrush(dc, brush.Get());
    Rectangle(dc, 0, 0, width, height);
}

// A button-face panel with a centred line of text: the status pictures and the placeholders.
void DrawStatusPanel(HDC dc, int width, int height, const char* text)
{
    FillButtonFace(dc, width, height);
    DrawCentredLine(dc, width, height, text, GetSysColor(COLOR_BTNTEXT));
}

// The engine's drawing object of the thumbnail channel, deleted the engine's way.
struct DrawingDeleter
{
    void operator()(CDrawing* drawing) const { CDrawing::DeleteDrawing(drawing); }
};
using DrawingHolder = std::unique_ptr<CDrawing, DrawingDeleter>;

// The engine's open code; a drawing that cannot be made is "not a drawing", an exception "the
// file cannot be read".
short OpenForThumbnail(DrawingHolder& drawing, const char* path)
{
    try {
        drawing.reset(CDrawing::CreateDrawing(1));
        return drawing ? drawing->Open(path, nullptr) : 2;
    } catch (CException* e) {
        e->Delete();
    } catch (...) {
    }
    return 1;
}

} // namespace

TTaskManageThread::TTaskManageThread()
    : m_queue(std::make_unique<TTaskList>()),
      m_thumbWidth(kDefaultThumbWidth),
      m_thumbHeight(kDefaultThumbHeight)
{
    // Disabled until the list hands over its first folder: the first cycle finds nothing and
    // suspends quietly.
    SetEnabled(false);
    m_document = ::create();
    DWG_SetFileAboutFunc_2(&TTaskManageThread::IsBreakRequested, this);
}

TTaskManageThread::~TTaskManageThread()
{
    StopAndWait(20000);
    DWG_SetFileAboutFunc_2(nullptr, nullptr);
    m_current.store(nullptr);
    m_queue.reset();
    if (m_document)
        ::release(m_document);
}

bool TTaskManageThread::SetThumbSize(int width, int height)
{
    if (width <= 0 || height <= 0)
        return false;
    m_thumbWidth.store(width);
    m_thumbHeight.store(height);
    return true;
}

int TTaskManageThread::AddTask(TTask* task)
{
    return m_queue->Add(task);
}

TTask* TTaskManageThread::GetFinishedTask() const
{
    return m_queue->GetFinishedTask();
}

void TTaskManageThread::SetSettings(const ThumbnailSettings& settings)
{
    CSingleLock lock(&Lock(), TRUE);
    m_settings = settings;
    // The engine draws lines of the drawing's default colour light or dark by the background it
    // knows, so it must know the one the pictures are filled with.
    DWG_SetBackgroundColor(GetColorIndex(static_cast<short>(settings.backgroundColorIndex & 0xFFFF), nullptr));
}

TTaskManageThread::ThumbnailSettings TTaskManageThread::GetSettings() const
{
    CSingleLock lock(&Lock(), TRUE);
    return m_settings;
}

bool TTaskManageThread::IsBreakRequested(void* context)
{
    return context && static_cast<TTaskManageThread*>(context)->m_break.load();
}

void TTaskManageThread::CallBreak()
{
    m_break.store(true);
    if (m_document)
        ::callBreak(m_document);
}

DWORD TTaskManageThread::StartFolder(const char* folder)
{
    if (TDwgCache* cache = GetDwgCache()) {
        cache->SetFolder(folder);
        cache->PrepareLoad();
    }
    SetResultFlag(true);
    // The thread may be between deciding to sleep and actually suspending: it then finds the
    // wake request, or the resume is repeated until it lands.
    m_wakePending.store(true);
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD previous = ResumeThread();
        if (previous != 0 || !m_sleeping.load() || GetTickCount() - start > kWakeRetryMs)
            return previous;
        Sleep(1);
    }
}

void TTaskManageThread::ClearTasks()
{
    EmptyQueue();
    FlushCache(true);
    m_renderPass = false;
}

bool TTaskManageThread::WaitUntilIdle(DWORD timeoutMs) const
{
    const DWORD start = GetTickCount();
    while (!IsIdle()) {
        if (HasExited() || GetTickCount() - start >= timeoutMs)
            return IsIdle();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_SENDMESSAGE);
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE); // handles the worker's blocking sends
    }
    return true;
}

DWORD TTaskManageThread::Run()
{
    while (!IsStopRequested()) {
        m_break.store(false);
        if (TDwgCache* cache = GetDwgCache())
            cache->LoadPending();
        if (IsAppClosing())
            break;
        if (!EndCycle(ServeNext()))
            break;
    }
    FlushCache(true);
    return 0;
}

bool TTaskManageThread::ServeNext()
{
    if (!m_rebuild.load() && !m_renderPass) {
        const int index = m_queue->FindNextCacheFirst(m_startIndex.load());
        if (index >= 0) {
            TTask* task = m_queue->GetAt(index);
            m_current.store(task);
            TryCacheFirst(*task);
            return false;
        }
    }
    m_renderPass = true;
    const int index = m_queue->FindNextToRender(m_startIndex.load());
    if (index < 0) {
        FinishQueue();
        return true;
    }
    TTask* task = m_queue->GetAt(index);
    m_current.store(task);
    RenderTask(*task);
    return false;
}

bool TTaskManageThread::EndCycle(bool idle)
{
    m_break.store(false);
    // Outside the browser the list shows no thumbnails: the current job was the last one.
    if (GetAppMode() != kBrowseMode)
        SetResultFlag(false);
    const bool wanted = GetResultFlag();
    if (!wanted && !idle) {
        EmptyQueue();
        FlushCache(true);
        m_renderPass = false;
    }
    if (wanted && !idle)
        return true;
    if (GetAppMode() == kBrowseMode)
        PostToWindow(GetNotifyWnd(), kMsgQueueFinished, 0, 0);
    if (IsAppClosing() || IsStopRequested())
        return false;
    SleepUntilWoken();
    return true;
}

void TTaskManageThread::SleepUntilWoken()
{
    // The flag goes up before the wake request is looked at, so that StartFolder either sees
    // the thread going to sleep or the thread sees its request.
    m_sleeping.store(true);
    if (!m_wakePending.exchange(false) && !IsStopRequested())
        SuspendThread();
    m_wakePending.store(false);
    m_sleeping.store(false);
}

void TTaskManageThread::FinishQueue()
{
    WaitForList();
    EmptyQueue();
    FlushCache(m_rebuild.exchange(false));
    m_renderPass = false;
}

void TTaskManageThread::WaitForList()
{
    // Give the list the time of one send to take what is still out with it; whatever it has
    // not taken by then is kept alive apart from the queue.
    const DWORD start = GetTickCount();
    while (IsEnabled() && GetResultFlag() && m_unclaimed.IsAwaitingList() &&
           GetTickCount() - start < kTaskSendTimeoutMs)
        Sleep(10);
}

void TTaskManageThread::EmptyQueue()
{
    m_current.store(nullptr);
    m_unclaimed.KeepFrom(*m_queue);
    m_queue->RemoveAll();
    m_unclaimed.Prune();
}

void TTaskManageThread::FlushCache(bool keepAll) const
{
    if (TDwgCache* cache = GetDwgCache())
        cache->Flush(keepAll, m_thumbWidth.load(), m_thumbHeight.load());
}

UINT TTaskManageThread::TryCacheFirst(TTask& task)
{
    task.PrepareBitmap(m_thumbWidth.load(), m_thumbHeight.load());
    UINT code = kNothing;
    try {
        if (task.m_fileType == kDwgType && GetSettings().readStoredPreview)
            code = MakeStoredPreviewThumbnail(&task);
        if (code == kNothing && task.LookUpCache())
            code = TTask::kFromCacheOrRendered;
    } catch (CException* e) {
        e->Delete();
        code = kNothing;
    } catch (...) {
        code = kNothing;
    }
    if (code == kNothing) {
        task.m_cacheFirst = false;
        return kNothing;
    }
    if (!GetResultFlag())
        return code;
    task.MarkDone(code);
    ReportFinished(task, 0);
    return code;
}

void TTaskManageThread::RenderTask(TTask& task)
{
    if (!GetResultFlag())
        return;
    if (!task.GetBitmap())
        task.PrepareBitmap(m_thumbWidth.load(), m_thumbHeight.load());
    UINT result = ProduceThumbnail(task);
    if (GetResultFlag() && (result == kNothing || result == kPasswordNeeded)) {
        DrawPlaceholder(task, result);
        result = TTask::kPlaceholder;
    }
    SetSkipFlag(false);
    if (GetResultFlag() && !m_break.load()) {
        task.MarkDone(result);
        ReportFinished(task, result);
    }
}

UINT TTaskManageThread::ProduceThumbnail(TTask& task)
{
    // One bad file must not end the thread: whatever a reader throws makes the placeholder.
    try {
        return CDrawingFileInfo::IsDrawingType(task.m_fileType) ? MakeDrawingThumbnail(task)
                                              : MakeRasterThumbnail(&task);
    } catch (CException* e) {
        e->Delete();
    } catch (...) {
    }
    return kNothing;
}

UINT TTaskManageThread::MakeDrawingThumbnail(TTask& task)
{
    if (task.m_fileType == kDwgType && GetSettings().readStoredPreview &&
        MakeStoredPreviewThumbnail(&task) == TTask::kStoredPreview)
        return TTask::kStoredPreview;
    SetSkipFlag(false);
    if (!IsExistingFile(task.m_path))
        return kNothing;
    if (!m_picture.Create(m_thumbWidth.load(), m_thumbHeight.load(), 24))
        return kNothing;
    return RenderDrawingThumbnail(task.m_path, GetSettings().zoomExtents, &m_picture, task);
}

UINT TTaskManageThread::RenderDrawingThumbnail(const char* path, bool zoomExtents, CDib* picture,
                                               TTask& task)
{
    if (!picture || !IsExistingFile(path))
        return kNothing;
    if (GetAppMode() == kBrowseMode)
        SendStatus(*picture, IDS_THUMB_LOADING, "Loading...");
    if (!GetResultFlag())
        return TTask::kPlaceholder;
    DrawingHolder drawing;
    const short open = OpenForThumbnail(drawing, path);
    if (open != 0) {
        if (m_break.load())
            return TTask::kPlaceholder;
        return open == 4 ? kPasswordNeeded : kNothing;
    }
    return DrawOpenedDrawing(*drawing, zoomExtents, *picture, task);
}

UINT TTaskManageThread::DrawOpenedDrawing(CDrawing& drawing, bool zoomExtents, CDib& picture,
                                          TTask& task)
{
    const int width = picture.GetWidth();
    const int height = picture.GetHeight();
    if (!RenderAbandoned()) {
        drawing.SetOutputSize(width, height);
        if (zoomExtents) {
            if (GetAppMode() == kBrowseMode)
                SendStatus(picture, IDS_THUMB_ZOOMING_EXTENTS, "Zooming extents...");
            if (GetResultFlag())
                drawing.FitOpeningView(0.98);
        }
    }
    // A skipped or broken render is no thumbnail: result 2 and no picture for the list.
    if (RenderAbandoned())
        return TTask::kPlaceholder;
    SendStatus(picture, IDS_THUMB_REDRAWING, "Redrawing...");
    if (RenderAbandoned())
        return TTask::kPlaceholder;
    picture.Fill(GetColorIndex(static_cast<short>(GetSettings().backgroundColorIndex), nullptr));
    HDC dc = picture.BeginMemDC(nullptr);
    if (!dc)
        return kNothing;
    int drawn = 0;
    try {
        drawn = ::draw(m_document, &drawing, dc, width, height, 0);
    } catch (...) {
        picture.EndMemDC();
        throw;
    }
    picture.EndMemDC();
    if (RenderAbandoned())
        return TTask::kPlaceholder;
    if (!drawn || !task.TakePicture(picture))
        return kNothing;
    StoreInCache(task);
    return TTask::kFromCacheOrRendered;
}

UINT TTaskManageThread::MakeRasterThumbnail(TTask* task)
{
    DWORD format = 0;
    if (!task || !DrawingTypeToImageFormat(task->m_fileType, &format) || format == 0)
        return kNothing;
    const KBMP* bitmap = task->GetBitmap();
    const int nominalWidth = bitmap ? bitmap->GetWidth() : m_thumbWidth.load();
    const int nominalHeight = bitmap ? bitmap->GetHeight() : m_thumbHeight.load();
    const bool exifThumbnail = task->m_fileType == kJpegType && GetSettings().readExifThumbnail;
    std::unique_ptr<CRasterImage> image = LoadThumbnailImage(
        task->m_path, static_cast<int32_t>(format), static_cast<DWORD>(std::max(1, nominalWidth)),
        static_cast<DWORD>(std::max(1, nominalHeight)), exifThumbnail, m_fileBytes);
    if (!image || !image->IsValid())
        return kNothing;
    const int32_t imageWidth = static_cast<int32_t>(image->GetWidth());
    const int32_t imageHeight = static_cast<int32_t>(image->GetHeight());
    const float scale = ComputeFitScale(imageWidth, imageHeight, nominalWidth, nominalHeight);
    const int width = std::max(1, static_cast<int>(static_cast<float>(imageWidth) * scale));
    const int height = std::max(1, static_cast<int>(static_cast<float>(imageHeight) * scale));
    if (scale < 1.0f) {
        if (auto shrunk = ShrinkByArea(*image, static_cast<DWORD>(width), static_cast<DWORD>(height)))
            image = std::move(shrunk);
    }
    HDC dc = task->BeginPictureSized(nullptr, width, height, 24);
    if (!dc)
        return kNothing;
    const bool sameSize = image->GetWidth() == static_cast<DWORD>(width) &&
                          image->GetHeight() == static_cast<DWORD>(height);
    image->Stretch(dc, 0, 0, width, height, SRCCOPY, sameSize ? COLORONCOLOR : HALFTONE);
    task->EndPicture();
    image.reset();
    if (StillWanted() && !GetSkipFlag())
        StoreInCache(*task);
    return TTask::kFromCacheOrRendered;
}

UINT TTaskManageThread::MakeStoredPreviewThumbnail(TTask* task)
{
    const KBMP* bitmap = task ? task->GetBitmap() : nullptr;
    // Scaled into the cell straight from the bytes the engine hands over: no picture of its own
    // size is made on the way.
    CDrawingPreview preview;
    if (!bitmap || !preview.Read(task->m_path))
        return kNothing;
    const int previewWidth = preview.GetWidth();
    const int previewHeight = preview.GetHeight();
    const int width = bitmap->GetWidth();
    const int height = bitmap->GetHeight();
    // A picture or a thumbnail without area has no scale.
    if (previewWidth <= 0 || previewHeight <= 0 || width <= 0 || height <= 0)
        return kNothing;
    HDC dc = task->BeginPicture(nullptr, 24);
    if (!dc)
        return kNothing;
    FillButtonFace(dc, width, height);
    const double scale = std::min(static_cast<double>(width) / previewWidth,
                                  static_cast<double>(height) / previewHeight);
    const int drawWidth = static_cast<int>(previewWidth * scale);
    const int drawHeight = static_cast<int>(previewHeight * scale);
    preview.Draw(dc, (width - drawWidth) / 2, (height - drawHeight) / 2, drawWidth, drawHeight);
    task->EndPicture();
    return TTask::kStoredPreview;
}

void TTaskManageThread::DrawPlaceholder(TTask& task, UINT result) const
{
    const int width = m_thumbWidth.load();
    const int height = m_thumbHeight.load();
    HDC dc = task.BeginPictureSized(nullptr, width, height, 24);
    if (!dc)
        return;
    const CString text = result == kPasswordNeeded
                             ? LoadResStringOr(IDS_PASSWORD_PROTECTED, "Password protected!")
                             : LoadResStringOr(IDS_DRAWING_FAILURE, "Drawing failure!");
    DrawStatusPanel(dc, width, height, text);
    task.EndPicture();
}

void TTaskManageThread::SendStatus(CDib& picture, UINT textId, const char* fallback) const
{
    HDC dc = picture.BeginMemDC(nullptr);
    if (!dc)
        return;
    DrawStatusPanel(dc, picture.GetWidth(), picture.GetHeight(), LoadResStringOr(textId, fallback));
    picture.EndMemDC();
    SendPictureReady(reinterpret_cast<LPARAM>(&picture));
}

void TTaskManageThread::ReportFinished(TTask& task, WPARAM wParam)
{
    if (GetAppMode() != kBrowseMode)
        return;
    // The job is recorded against the window the send really went to, or a job kept for an
    // unanswered window could be freed while that window still handles it.
    HWND target = nullptr;
    bool unanswered = false;
    if (SendToNotifyWindow(kMsgTaskFinished, wParam, reinterpret_cast<LPARAM>(&task),
                           kTaskSendTimeoutMs, &unanswered, &target))
        m_unclaimed.NoteAnswered(target);
    else if (unanswered)
        m_unclaimed.NoteUnanswered(&task, target);
}

void TTaskManageThread::StoreInCache(const TTask& task) const
{
    TDwgCache* cache = GetDwgCache();
    if (cache && task.GetBitmap())
        cache->Store(task.m_path, task.GetBitmap(), m_thumbWidth.load(), m_thumbHeight.load());
}
