#include "render/workers/TTask.h"

#include "render/cache/TDwgCache.h"

#include <cstdlib>

IMPLEMENT_DYNCREATE(TTask, CObject)

TTask::TTask() = default;

TTask::TTask(const char* path, int item, bool cacheFirst, int fileType)
    : m_fileType(fileType), m_path(path ? path : ""), m_item(item), m_cacheFirst(cacheFirst)
{
}

TTask::~TTask() = default;

void TTask::PrepareBitmap(int width, int height)
{
    if (m_bitmap)
        m_bitmap->Release();
    else
        m_bitmap = std::make_unique<KBMP>();
    m_bitmap->SetSize(width, height);
}

HDC TTask::BeginPicture(HDC reference, WORD bitsPerPixel)
{
    if (!m_bitmap)
        return nullptr;
    return BeginPictureSized(reference, m_bitmap->GetWidth(), m_bitmap->GetHeight(),
                             bitsPerPixel);
}

HDC TTask::BeginPictureSized(HDC reference, int width, int height, WORD bitsPerPixel)
{
    if (width <= 0 || height <= 0)
        return nullptr;
    m_work = std::make_unique<CDib>();
    if (!m_work->Create(width, height, bitsPerPixel)) {
        m_work.reset();
        return nullptr;
    }
    return m_work->BeginMemDC(reference);
}

void TTask::EndPicture()
{
    if (!m_work)
        return;
    m_work->EndMemDC();
    TakePicture(*m_work);
    m_work.reset();
}

bool TTask::TakePicture(const CDib& picture)
{
    return TakeImage(picture.GetBmpFileImage());
}

bool TTask::TakeImage(BYTE* image)
{
    if (!image)
        return false;
    if (!m_bitmap)
        m_bitmap = std::make_unique<KBMP>();
    // Attach takes the malloc block over (and frees it itself when it refuses it).
    return m_bitmap->Attach(image, false);
}

bool TTask::LookUpCache()
{
    TDwgCache* cache = GetDwgCache();
    return cache && m_bitmap && cache->Lookup(m_path, m_bitmap.get());
}
