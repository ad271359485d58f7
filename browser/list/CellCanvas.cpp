#include "browser/list/CellCanvas.h"

CellCanvas::~CellCanvas()
{
    Release();
}

void CellCanvas::Release()
{
    if (m_dc) {
        SelectObject(m_dc, m_oldBitmap);
        DeleteDC(m_dc);
    }
    if (m_bitmap)
        DeleteObject(m_bitmap);
    m_dc = nullptr;
    m_bitmap = nullptr;
    m_oldBitmap = nullptr;
    m_width = m_height = 0;
}

bool CellCanvas::Prepare(HDC reference, int width, int height)
{
    if (m_dc && width == m_width && height == m_height)
        return true;
    Release();
    if (width <= 0 || height <= 0)
        return false;
    m_dc = CreateCompatibleDC(reference);
    m_bitmap = m_dc ? CreateCompatibleBitmap(reference, width, height) : nullptr;
    if (!m_bitmap) {
        Release();
        return false;
    }
    m_oldBitmap = SelectObject(m_dc, m_bitmap);
    m_width = width;
    m_height = height;
    return true;
}
