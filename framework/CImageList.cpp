#include "framework/CImageList.h"

#include "framework/AfxGlobals.h"
#include "framework/CDC.h"
#include "framework/CHandleMap.h"

#include <utility>

namespace {

CHandleMap<CImageList, HIMAGELIST>& ImageListMap()
{
    static thread_local CHandleMap<CImageList, HIMAGELIST> map([](CImageList& list) { list.m_hImageList = nullptr; });
    return map;
}

} // namespace

BOOL CImageList::Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow)
{
    return Attach(ImageList_Create(cx, cy, nFlags, nInitial, nGrow));
}

BOOL CImageList::Create(UINT nBitmapID, int cx, int nGrow, COLORREF crMask)
{
    const LPCSTR lpszName = MAKEINTRESOURCEA(nBitmapID);
    return Attach(ImageList_LoadImageA(AfxFindResourceHandle(lpszName, MAKEINTRESOURCEA(2)), lpszName, cx, nGrow,
                                       crMask, IMAGE_BITMAP, LR_CREATEDIBSECTION));
}

BOOL CImageList::Attach(HIMAGELIST hImageList)
{
    if (hImageList == nullptr)
        return FALSE;
    DeleteImageList();
    m_hImageList = hImageList;
    ImageListMap().SetPermanent(hImageList, this);
    return TRUE;
}

HIMAGELIST CImageList::Detach()
{
    const HIMAGELIST hImageList = std::exchange(m_hImageList, nullptr);
    if (hImageList != nullptr)
        ImageListMap().RemovePermanent(hImageList, this);
    return hImageList;
}

BOOL CImageList::DeleteImageList()
{
    const HIMAGELIST hImageList = Detach();
    return hImageList != nullptr && ImageList_Destroy(hImageList);
}

CImageList* PASCAL CImageList::FromHandle(HIMAGELIST hImageList)
{
    if (hImageList == nullptr)
        return nullptr;
    return ImageListMap().FromHandle(hImageList, [](HIMAGELIST h) {
        auto list = std::make_unique<CImageList>();
        list->m_hImageList = h;
        return list;
    });
}

int CImageList::Add(CBitmap* pbmImage, CBitmap* pbmMask)
{
    return ImageList_Add(m_hImageList, *pbmImage, pbmMask != nullptr ? static_cast<HBITMAP>(*pbmMask) : nullptr);
}

int CImageList::Add(CBitmap* pbmImage, COLORREF crMask)
{
    return ImageList_AddMasked(m_hImageList, *pbmImage, crMask);
}

BOOL CImageList::Replace(int nImage, CBitmap* pbmImage, CBitmap* pbmMask)
{
    return ImageList_Replace(m_hImageList, nImage, *pbmImage,
                             pbmMask != nullptr ? static_cast<HBITMAP>(*pbmMask) : nullptr);
}

BOOL CImageList::Draw(CDC* pDC, int nImage, POINT pt, UINT nStyle)
{
    return ImageList_Draw(m_hImageList, nImage, pDC->m_hDC, pt.x, pt.y, nStyle);
}

CSize CImageList::GetIconSize() const
{
    int cx = 0;
    int cy = 0;
    ImageList_GetIconSize(m_hImageList, &cx, &cy);
    return CSize(cx, cy);
}
