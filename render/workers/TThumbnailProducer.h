// TThumbnailProducer: what one worker of the thumbnail thread makes of a job: the cache pass (a
// DWG's stored preview, the folder's cache) and the render pass (a drawing rendered by the
// engine, a raster image loaded and scaled, a placeholder for what cannot be made). Each worker
// has its own: an engine document, the picture a drawing is rendered into and the status
// pictures are drawn in, and the block a picture file is read into. It touches no field of the
// queue's bookkeeping (done, cache-first): the thumbnail thread does that when the job comes back.
#pragma once

#include "imaging/CDib.h"
#include "kit/KFileBuffer.h"
#include "render/workers/PreviewCell.h"

#include <windows.h>

#include <atomic>

class CDrawing;
class TTask;
class TTaskManageThread;

class TThumbnailProducer
{
public:
    explicit TThumbnailProducer(TTaskManageThread& owner);
    ~TThumbnailProducer();
    TThumbnailProducer(const TThumbnailProducer&) = delete;
    TThumbnailProducer& operator=(const TThumbnailProducer&) = delete;

    // The cache pass of a job; kNothing sends it on to the render pass.
    UINT TryCacheFirst(TTask& task);
    // The render pass of a job: its result code (a placeholder drawn for 0 and 4 while the work
    // is still wanted).
    UINT RenderTask(TTask& task);

    // Any thread: the drawing this worker has in hand is abandoned (the engine's draw too).
    void Skip();
    // Any thread: the engine abandons this worker's draw in progress.
    void CallBreak();
    // Before each job: a skip belongs to the job it was meant for.
    void BeginJob() { m_skip.store(false); }
    // The work in hand is no longer wanted, or this job was skipped.
    bool RenderAbandoned() const;
    // The job whose status picture was last sent, when picture is this worker's (else null).
    TTask* GetStatusTask(const CDib* picture) const { return picture == &m_picture ? m_statusTask.load() : nullptr; }
    void ForgetStatusTask() { m_statusTask.store(nullptr); }

    // The producer whose worker runs on the calling thread (null on every other thread): the
    // engine's abort query asks it while that worker loads a drawing.
    static TThumbnailProducer* OnThisThread();
    static void SetOnThisThread(TThumbnailProducer* producer);

private:
    UINT ProduceThumbnail(TTask& task);
    UINT MakeDrawingThumbnail(TTask& task);
    UINT RenderDrawingThumbnail(const char* path, bool zoomExtents, CDib* picture, TTask& task);
    UINT DrawOpenedDrawing(CDrawing& drawing, bool zoomExtents, CDib& picture, TTask& task);
    UINT MakeRasterThumbnail(TTask* task);
    UINT MakeStoredPreviewThumbnail(TTask* task);
    void DrawPlaceholder(TTask& task, UINT result) const;
    void SendStatus(TTask& task, UINT textId, const char* fallback);
    // A later stage of a drawing's work is shown only when the work has gone on a while: for a
    // small drawing the list would show it for less than a frame, at the cost of a send.
    bool StageWorthShowing() const { return GetTickCount64() - m_renderStart >= kStageShownAfterMs; }
    void StoreInCache(const TTask& task) const;

    static constexpr ULONGLONG kStageShownAfterMs = 25;

    TTaskManageThread& m_owner;
    ULONGLONG m_renderStart = 0; // when the drawing in hand was begun
    void* m_document = nullptr;
    std::atomic<bool> m_skip{false};
    std::atomic<TTask*> m_statusTask{nullptr};
    // The drawing being rendered; it lives as long as the worker because its address travels
    // in the status messages, which the list may still be handling after a send timed out.
    CDib m_picture;
    // The bytes of the picture file being made a thumbnail: one block kept from file to file.
    KFileBuffer m_fileBytes;
    // The cell a stored preview is scaled into, kept from drawing to drawing.
    PreviewCell m_previewCell;
};
