#include "ui/CMemDC.h"

#include "framework/GdiScopes.h"

CMemDC::CMemDC(CDC* target, const RECT* rect, COLORREF fill) : m_pTarget(target)
{
    if (!target || !target->GetSafeHdc())
        return;
    if (rect && !::IsRectEmpty(rect))
        m_rect = *rect;
    else
        ::GetClipBox(target->GetSafeHdc(), &m_rect);
    const int width = m_rect.right - m_rect.left;
    const int height = m_rect.bottom - m_rect.top;
    if (width <= 0 || height <= 0 || !CreateCompatibleDC(target))
        return;
    if (!m_bitmap.CreateCompatibleBitmap(target, width, height)) {
        DeleteDC();
        return;
    }
    ::SetMapMode(GetSafeHdc(), ::GetMapMode(target->GetSafeHdc()));
    m_hOldBitmap = ::SelectObject(GetSafeHdc(), m_bitmap.GetSafeHandle());
    if (fill != CLR_INVALID) {
        const RECT all = {0, 0, width, height};
        GdiObject<HBRUSH> brush(::CreateSolidBrush(fill));
        ::FillRect(GetSafeHdc(), &all, brush.Get());
    }
    m_bValid = TRUE;
}

CMemDC::~CMemDC()
{
    if (!m_bValid)
        return;
    ::BitBlt(m_pTarget->GetSafeHdc(), m_rect.left, m_rect.top, m_rect.right - m_rect.left,
             m_rect.bottom - m_rect.top, GetSafeHdc(), 0, 0, SRCCOPY);
    ::SelectObject(GetSafeHdc(), m_hOldBitmap);
}
