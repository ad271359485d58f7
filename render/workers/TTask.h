// TTask: one thumbnail job of the file list: the file, its list item and type, the job's state
// and result, and the thumbnail (a cache bitmap) it produces. The picture belongs to the job
// until the list takes it.
#pragma once

#include "framework/Afx.h"
#include "imaging/CDib.h"
#include "render/cache/KBMP.h"

#include <atomic>
#include <memory>

class TTask : public CObject
{
    DECLARE_DYNCREATE(TTask)
public:
    // Result codes.
    static constexpr UINT kFromCacheOrRendered = 1;
    static constexpr UINT kPlaceholder = 2;
    static constexpr UINT kStoredPreview = 3;

    TTask();
    TTask(const char* path, int item, bool cacheFirst, int fileType);
    ~TTask() override;
    TTask(const TTask&) = delete;
    TTask& operator=(const TTask&) = delete;

    // Makes sure the job has an empty bitmap with the nominal size width x height.
    void PrepareBitmap(int width, int height);
    // A memory device over a new work bitmap at the nominal size (or the given size); null
    // when the size is not positive or the bitmap cannot be made.
    HDC BeginPicture(HDC reference, WORD bitsPerPixel);
    HDC BeginPictureSized(HDC reference, int width, int height, WORD bitsPerPixel);
    // Takes what was drawn into the job's bitmap and drops the work bitmap.
    void EndPicture();
    // Hands a finished picture's BMP file image to the job's bitmap.
    bool TakePicture(const CDib& picture);
    // Takes over a BMP file image (a malloc block) as the job's bitmap; false for none.
    bool TakeImage(BYTE* image);
    // Asks the cache holder for this file at the bitmap's nominal size.
    bool LookUpCache();
    // The list takes the picture: from now on the caller owns it.
    KBMP* DetachBitmap() { return m_bitmap.release(); }
    KBMP* GetBitmap() const { return m_bitmap.get(); }

    void MarkDone(UINT result)
    {
        m_result = result;
        m_done = true;
    }

    int m_fileType = 0;
    CString m_path;
    int m_item = -1;
    bool m_done = false;
    bool m_cacheFirst = true;
    // Handed to a worker and not yet back: the searches of the queue pass it by. Only the
    // thumbnail thread reads and writes it.
    bool m_inWork = false;
    // Set by the list on its own thread while the thumbnail thread may be polling it. A job whose
    // finished message went unanswered is freed as soon as this is set, so the list's handler
    // sets it as its very last touch of the job.
    std::atomic<bool> m_taken{false};
    UINT m_result = 0;

private:
    std::unique_ptr<CDib> m_work;
    std::unique_ptr<KBMP> m_bitmap;
};
