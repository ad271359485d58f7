#include "render/workers/TThumbnailProducer.h"

#include "core/CAppOptions.h"
#include "core/CDrawingFileType.h"
#include "core/FileUtils.h"
#include "core/ResourceText.h"
#include "engine/rkapp/rkapp.h"
#include "engine/rkio/rkio.h"
#include "engine/rkui/RkUI.h"
#include "framework/GdiScopes.h"
#include "imaging/AlphaBackdrop.h"
#include "imaging/AreaShrink.h"
#include "imaging/CDrawingPreview.h"
#include "imaging/KImage.h"
#include "render/cache/KBMP.h"
#include "render/cache/TDwgCache.h"
#include "render/workers/CentredText.h"
#include "render/workers/TTask.h"
#include "render/workers/TTaskManageThread.h"
#include "res/resource.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

constexpr int kDwgType = 0;
constexpr int kJpegType = 5;
constexpr UINT kNothing = TTaskManageThread::kNothing;
constexpr UINT kPasswordNeeded = TTaskManageThread::kPasswordNeeded;
constexpr int kBrowseMode = TTaskManageThread::kBrowseMode;

thread_local TThumbnailProducer* t_producer = nullptr;

void FillButtonFace(HDC dc, int width, int height)
{
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const GdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, face));
    const GdiObject<HBRUSH> brush(CreateSolidBrush(face));
    const SelectScope selectPen(dc, pen.Get());
    const SelectScope selectBrush(dc, brush.Get());
    Rectangle(dc, 0, 0, width, height);
}

// The drawing's background, in the DC it is drawn in (one pass through the picture's DC, not
// two); the DC's background colour is left as it was for the drawing.
void FillBackground(HDC dc, int width, int height, COLORREF color)
{
    const COLORREF old = SetBkColor(dc, color);
    const RECT all = {0, 0, width, height};
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &all, nullptr, 0, nullptr);
    SetBkColor(dc, old);
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

// A picture with transparency is laid over the cell's colour: the thumbnail has no opacity of its
// own, and its transparent pixels would show whatever colour they hold (black, a key colour).
std::unique_ptr<CRasterImage> LaidOverCell(const CRasterImage& image)
{
    BackdropPicture laid;
    if (!LayOverBackdrop(image, g_options.ThumbnailColor, laid))
        return nullptr;
    auto out = std::make_unique<CRasterImage>(image.GetWidth(), image.GetHeight(), 24, image.GetType());
    if (!out->IsValid())
        return nullptr;
    const size_t stride = laid.bits.size() / image.GetHeight();
    for (DWORD y = 0; y < image.GetHeight(); ++y)
        std::memcpy(out->GetBits(y), laid.bits.data() + stride * y, size_t(image.GetWidth()) * 3);
    return out;
}

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

TThumbnailProducer::TThumbnailProducer(TTaskManageThread& owner) : m_owner(owner), m_document(::create())
{
}

TThumbnailProducer::~TThumbnailProducer()
{
    if (m_document)
        ::release(m_document);
}

TThumbnailProducer* TThumbnailProducer::OnThisThread()
{
    return t_producer;
}

void TThumbnailProducer::SetOnThisThread(TThumbnailProducer* producer)
{
    t_producer = producer;
}

void TThumbnailProducer::Skip()
{
    m_skip.store(true);
    CallBreak();
}

void TThumbnailProducer::CallBreak()
{
    if (m_document)
        ::callBreak(m_document);
}

bool TThumbnailProducer::RenderAbandoned() const
{
    return !m_owner.StillWanted() || m_skip.load() || m_owner.GetSkipFlag() || m_owner.m_break.load();
}

UINT TThumbnailProducer::TryCacheFirst(TTask& task)
{
    task.PrepareBitmap(m_owner.GetThumbWidth(), m_owner.GetThumbHeight());
    UINT code = kNothing;
    try {
        if (task.m_fileType == kDwgType && m_owner.GetSettings().readStoredPreview)
            code = MakeStoredPreviewThumbnail(&task);
        if (code == kNothing && task.LookUpCache())
            code = TTask::kFromCacheOrRendered;
    } catch (CException* e) {
        e->Delete();
        code = kNothing;
    } catch (...) {
        code = kNothing;
    }
    return code;
}

UINT TThumbnailProducer::RenderTask(TTask& task)
{
    if (!m_owner.GetResultFlag())
        return kNothing;
    if (!task.GetBitmap())
        task.PrepareBitmap(m_owner.GetThumbWidth(), m_owner.GetThumbHeight());
    UINT result = ProduceThumbnail(task);
    if (m_owner.GetResultFlag() && (result == kNothing || result == kPasswordNeeded)) {
        DrawPlaceholder(task, result);
        result = TTask::kPlaceholder;
    }
    return result;
}

UINT TThumbnailProducer::ProduceThumbnail(TTask& task)
{
    // One bad file must not end the worker: whatever a reader throws makes the placeholder.
    try {
        return CDrawingFileInfo::IsDrawingType(task.m_fileType) ? MakeDrawingThumbnail(task)
                                                                : MakeRasterThumbnail(&task);
    } catch (CException* e) {
        e->Delete();
    } catch (...) {
    }
    return kNothing;
}

UINT TThumbnailProducer::MakeDrawingThumbnail(TTask& task)
{
    if (task.m_fileType == kDwgType && m_owner.GetSettings().readStoredPreview &&
        MakeStoredPreviewThumbnail(&task) == TTask::kStoredPreview)
        return TTask::kStoredPreview;
    if (!IsExistingFile(task.m_path))
        return kNothing;
    // Kept from drawing to drawing while the size stays: each is filled before it is drawn, and
    // each status panel covers it whole.
    const int width = m_owner.GetThumbWidth();
    const int height = m_owner.GetThumbHeight();
    if ((m_picture.GetWidth() != width || m_picture.GetHeight() != height || m_picture.GetBitCount() != 24) &&
        !m_picture.Create(width, height, 24))
        return kNothing;
    return RenderDrawingThumbnail(task.m_path, m_owner.GetSettings().zoomExtents, &m_picture, task);
}

UINT TThumbnailProducer::RenderDrawingThumbnail(const char* path, bool zoomExtents, CDib* picture,
                                                TTask& task)
{
    if (!picture || !IsExistingFile(path))
        return kNothing;
    m_renderStart = GetTickCount64();
    if (m_owner.GetAppMode() == kBrowseMode)
        SendStatus(task, IDS_THUMB_LOADING, "Loading...");
    if (!m_owner.GetResultFlag())
        return TTask::kPlaceholder;
    DrawingHolder drawing;
    const short open = OpenForThumbnail(drawing, path);
    if (open != 0) {
        // A load the engine gave up because the work was abandoned is no failure of the file.
        if (RenderAbandoned())
            return TTask::kPlaceholder;
        return open == 4 ? kPasswordNeeded : kNothing;
    }
    return DrawOpenedDrawing(*drawing, zoomExtents, *picture, task);
}

UINT TThumbnailProducer::DrawOpenedDrawing(CDrawing& drawing, bool zoomExtents, CDib& picture,
                                           TTask& task)
{
    const int width = picture.GetWidth();
    const int height = picture.GetHeight();
    if (!RenderAbandoned()) {
        drawing.SetOutputSize(width, height);
        if (zoomExtents) {
            if (m_owner.GetAppMode() == kBrowseMode && StageWorthShowing())
                SendStatus(task, IDS_THUMB_ZOOMING_EXTENTS, "Zooming extents...");
            if (m_owner.GetResultFlag())
                drawing.FitOpeningView(0.98);
        }
    }
    // A skipped or broken render is no thumbnail: result 2 and no picture for the list.
    if (RenderAbandoned())
        return TTask::kPlaceholder;
    if (StageWorthShowing()) {
        SendStatus(task, IDS_THUMB_REDRAWING, "Redrawing...");
        if (RenderAbandoned())
            return TTask::kPlaceholder;
    }
    HDC dc = picture.BeginMemDC(nullptr);
    if (!dc)
        return kNothing;
    FillBackground(dc, width, height,
                   GetColorIndex(static_cast<short>(m_owner.GetSettings().backgroundColorIndex), nullptr));
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

UINT TThumbnailProducer::MakeRasterThumbnail(TTask* task)
{
    DWORD format = 0;
    if (!task || !DrawingTypeToImageFormat(task->m_fileType, &format) || format == 0)
        return kNothing;
    const KBMP* bitmap = task->GetBitmap();
    const int nominalWidth = bitmap ? bitmap->GetWidth() : m_owner.GetThumbWidth();
    const int nominalHeight = bitmap ? bitmap->GetHeight() : m_owner.GetThumbHeight();
    const bool exifThumbnail = task->m_fileType == kJpegType && m_owner.GetSettings().readExifThumbnail;
    std::unique_ptr<CRasterImage> image = LoadThumbnailImage(
        task->m_path, static_cast<int32_t>(format), static_cast<DWORD>(std::max(1, nominalWidth)),
        static_cast<DWORD>(std::max(1, nominalHeight)), exifThumbnail, m_fileBytes);
    if (!image || !image->IsValid())
        return kNothing;
    if (auto laid = image->AlphaIsValid() ? LaidOverCell(*image) : nullptr)
        image = std::move(laid);
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
    if (!RenderAbandoned())
        StoreInCache(*task);
    return TTask::kFromCacheOrRendered;
}

UINT TThumbnailProducer::MakeStoredPreviewThumbnail(TTask* task)
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
    HDC dc = m_previewCell.Begin(width, height);
    if (!dc)
        return kNothing;
    FillButtonFace(dc, width, height);
    const double scale = std::min(static_cast<double>(width) / previewWidth,
                                  static_cast<double>(height) / previewHeight);
    const int drawWidth = static_cast<int>(previewWidth * scale);
    const int drawHeight = static_cast<int>(previewHeight * scale);
    preview.Draw(dc, (width - drawWidth) / 2, (height - drawHeight) / 2, drawWidth, drawHeight);
    // A cell that cannot be handed over leaves the bitmap empty: the job is still the preview's.
    task->TakeImage(m_previewCell.End());
    return TTask::kStoredPreview;
}

void TThumbnailProducer::DrawPlaceholder(TTask& task, UINT result) const
{
    const int width = m_owner.GetThumbWidth();
    const int height = m_owner.GetThumbHeight();
    HDC dc = task.BeginPictureSized(nullptr, width, height, 24);
    if (!dc)
        return;
    const CString text = result == kPasswordNeeded
                             ? LoadResStringOr(IDS_PASSWORD_PROTECTED, "Password protected!")
                             : LoadResStringOr(IDS_DRAWING_FAILURE, "Drawing failure!");
    DrawStatusPanel(dc, width, height, text);
    task.EndPicture();
}

void TThumbnailProducer::SendStatus(TTask& task, UINT textId, const char* fallback)
{
    HDC dc = m_picture.BeginMemDC(nullptr);
    if (!dc)
        return;
    DrawStatusPanel(dc, m_picture.GetWidth(), m_picture.GetHeight(), LoadResStringOr(textId, fallback));
    m_picture.EndMemDC();
    m_statusTask.store(&task);
    m_owner.SendStatusPicture(task, m_picture);
}

void TThumbnailProducer::StoreInCache(const TTask& task) const
{
    TDwgCache* cache = GetDwgCache();
    if (cache && task.GetBitmap())
        cache->Store(task.m_path, task.GetBitmap(), m_owner.GetThumbWidth(), m_owner.GetThumbHeight());
}
