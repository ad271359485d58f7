#include "framework/CDC.h"

#include "framework/CHandleMap.h"
#include "framework/CString.h"
#include "framework/CWnd.h"

namespace {

CHandleMap<CDC, HDC>& DcMap()
{
    static thread_local CHandleMap<CDC, HDC> map([](CDC& dc) {
        dc.m_hDC = nullptr;
        dc.m_hAttribDC = nullptr;
    });
    return map;
}

} // namespace

CDC::~CDC()
{
    DeleteDC();
}

BOOL CDC::Attach(HDC hDC)
{
    if (hDC == nullptr)
        return FALSE;
    DeleteDC();
    m_hDC = hDC;
    m_hAttribDC = hDC;
    DcMap().SetPermanent(hDC, this);
    return TRUE;
}

HDC CDC::Detach()
{
    const HDC hDC = m_hDC;
    if (hDC != nullptr)
        DcMap().RemovePermanent(hDC, this);
    m_hDC = nullptr;
    m_hAttribDC = nullptr;
    return hDC;
}

BOOL CDC::DeleteDC()
{
    const HDC hDC = Detach();
    return hDC != nullptr && ::DeleteDC(hDC);
}

CDC* PASCAL CDC::FromHandle(HDC hDC)
{
    if (hDC == nullptr)
        return nullptr;
    return DcMap().FromHandle(hDC, [](HDC h) {
        auto dc = std::make_unique<CDC>();
        dc->m_hDC = h;
        dc->m_hAttribDC = h;
        return dc;
    });
}

BOOL CDC::CreateDC(LPCSTR driver, LPCSTR device, LPCSTR output, const DEVMODEA* initData)
{
    return Attach(::CreateDCA(driver, device, output, initData));
}

BOOL CDC::CreateCompatibleDC(CDC* pDC)
{
    return Attach(::CreateCompatibleDC(pDC != nullptr ? pDC->m_hDC : nullptr));
}

CPen* CDC::SelectObject(CPen* pPen)
{
    return CPen::FromHandle(static_cast<HPEN>(::SelectObject(m_hDC, pPen->m_hObject)));
}

CBrush* CDC::SelectObject(CBrush* pBrush)
{
    return CBrush::FromHandle(static_cast<HBRUSH>(::SelectObject(m_hDC, pBrush->m_hObject)));
}

CFont* CDC::SelectObject(CFont* pFont)
{
    return CFont::FromHandle(static_cast<HFONT>(::SelectObject(m_hDC, pFont->m_hObject)));
}

CBitmap* CDC::SelectObject(CBitmap* pBitmap)
{
    return CBitmap::FromHandle(static_cast<HBITMAP>(::SelectObject(m_hDC, pBitmap->m_hObject)));
}

CGdiObject* CDC::SelectObject(CGdiObject* pObject)
{
    return CGdiObject::FromHandle(::SelectObject(m_hDC, pObject->m_hObject));
}

CGdiObject* CDC::SelectStockObject(int nIndex)
{
    return CGdiObject::FromHandle(::SelectObject(m_hDC, ::GetStockObject(nIndex)));
}

CPalette* CDC::SelectPalette(CPalette* pPalette, BOOL bForceBackground)
{
    return CPalette::FromHandle(::SelectPalette(m_hDC, *pPalette, bForceBackground));
}

CPen* CDC::GetCurrentPen() const
{
    return CPen::FromHandle(static_cast<HPEN>(::GetCurrentObject(m_hDC, OBJ_PEN)));
}

CBrush* CDC::GetCurrentBrush() const
{
    return CBrush::FromHandle(static_cast<HBRUSH>(::GetCurrentObject(m_hDC, OBJ_BRUSH)));
}

CFont* CDC::GetCurrentFont() const
{
    return CFont::FromHandle(static_cast<HFONT>(::GetCurrentObject(m_hDC, OBJ_FONT)));
}

CBitmap* CDC::GetCurrentBitmap() const
{
    return CBitmap::FromHandle(static_cast<HBITMAP>(::GetCurrentObject(m_hDC, OBJ_BITMAP)));
}

CPoint CDC::SetBrushOrg(int x, int y)
{
    POINT old = {0, 0};
    ::SetBrushOrgEx(m_hDC, x, y, &old);
    return old;
}

CPoint CDC::SetViewportOrg(int x, int y)
{
    POINT old = {0, 0};
    ::SetViewportOrgEx(m_hDC, x, y, &old);
    return old;
}

CPoint CDC::GetViewportOrg() const
{
    POINT org = {0, 0};
    ::GetViewportOrgEx(m_hAttribDC, &org);
    return org;
}

CSize CDC::SetViewportExt(int cx, int cy)
{
    SIZE old = {0, 0};
    ::SetViewportExtEx(m_hDC, cx, cy, &old);
    return old;
}

CPoint CDC::SetWindowOrg(int x, int y)
{
    POINT old = {0, 0};
    ::SetWindowOrgEx(m_hDC, x, y, &old);
    return old;
}

CPoint CDC::GetWindowOrg() const
{
    POINT org = {0, 0};
    ::GetWindowOrgEx(m_hAttribDC, &org);
    return org;
}

CSize CDC::SetWindowExt(int cx, int cy)
{
    SIZE old = {0, 0};
    ::SetWindowExtEx(m_hDC, cx, cy, &old);
    return old;
}

CPoint CDC::OffsetViewportOrg(int nWidth, int nHeight)
{
    POINT old = {0, 0};
    ::OffsetViewportOrgEx(m_hDC, nWidth, nHeight, &old);
    return old;
}

int CDC::SelectClipRgn(CRgn* pRgn, int nMode)
{
    return ::ExtSelectClipRgn(m_hDC, pRgn != nullptr ? static_cast<HRGN>(*pRgn) : nullptr, nMode);
}

CPoint CDC::MoveTo(int x, int y)
{
    POINT old = {0, 0};
    ::MoveToEx(m_hDC, x, y, &old);
    return old;
}

void CDC::FillSolidRect(const RECT* lpRect, COLORREF color)
{
    // ExtTextOut with an opaque rectangle fills without creating a brush.
    const COLORREF old = ::SetBkColor(m_hDC, color);
    ::ExtTextOutA(m_hDC, 0, 0, ETO_OPAQUE, lpRect, nullptr, 0, nullptr);
    ::SetBkColor(m_hDC, old);
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF color)
{
    const RECT r = {x, y, x + cx, y + cy};
    FillSolidRect(&r, color);
}

void CDC::Draw3dRect(const RECT* lpRect, COLORREF clrTopLeft, COLORREF clrBottomRight)
{
    Draw3dRect(lpRect->left, lpRect->top, lpRect->right - lpRect->left,
               lpRect->bottom - lpRect->top, clrTopLeft, clrBottomRight);
}

void CDC::Draw3dRect(int x, int y, int cx, int cy, COLORREF clrTopLeft, COLORREF clrBottomRight)
{
    FillSolidRect(x, y, cx - 1, 1, clrTopLeft);
    FillSolidRect(x, y, 1, cy - 1, clrTopLeft);
    FillSolidRect(x + cx, y, -1, cy, clrBottomRight);
    FillSolidRect(x, y + cy, cx, -1, clrBottomRight);
}

BOOL CDC::DrawState(CPoint pt, CSize size, HICON hIcon, UINT nFlags, HBRUSH hBrush)
{
    return ::DrawStateA(m_hDC, hBrush, nullptr, reinterpret_cast<LPARAM>(hIcon), 0, pt.x, pt.y,
                        size.cx, size.cy, nFlags | DST_ICON);
}

BOOL CDC::DrawState(CPoint pt, CSize size, HBITMAP hBitmap, UINT nFlags, HBRUSH hBrush)
{
    return ::DrawStateA(m_hDC, hBrush, nullptr, reinterpret_cast<LPARAM>(hBitmap), 0, pt.x, pt.y,
                        size.cx, size.cy, nFlags | DST_BITMAP);
}

BOOL CDC::DrawState(CPoint pt, CSize size, LPCSTR lpszText, UINT nFlags, BOOL bPrefixText,
                    int nTextLen, HBRUSH hBrush)
{
    return ::DrawStateA(m_hDC, hBrush, nullptr, reinterpret_cast<LPARAM>(lpszText),
                        static_cast<WPARAM>(nTextLen), pt.x, pt.y, size.cx, size.cy,
                        nFlags | (bPrefixText ? DST_PREFIXTEXT : DST_TEXT));
}

BOOL CDC::BitBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc,
                 DWORD dwRop)
{
    return ::BitBlt(m_hDC, x, y, nWidth, nHeight, pSrcDC != nullptr ? pSrcDC->m_hDC : nullptr,
                    xSrc, ySrc, dwRop);
}

BOOL CDC::StretchBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc,
                     int nSrcWidth, int nSrcHeight, DWORD dwRop)
{
    return ::StretchBlt(m_hDC, x, y, nWidth, nHeight, pSrcDC != nullptr ? pSrcDC->m_hDC : nullptr,
                        xSrc, ySrc, nSrcWidth, nSrcHeight, dwRop);
}

BOOL CDC::TextOut(int x, int y, const CString& str)
{
    return TextOut(x, y, str, str.GetLength());
}

int CDC::DrawText(const CString& str, RECT* lpRect, UINT nFormat)
{
    return DrawText(str, str.GetLength(), lpRect, nFormat);
}

CSize CDC::GetTextExtent(LPCSTR lpszString, int nCount) const
{
    SIZE size = {0, 0};
    ::GetTextExtentPoint32A(m_hAttribDC, lpszString, nCount, &size);
    return size;
}

CSize CDC::GetTextExtent(const CString& str) const
{
    return GetTextExtent(str, str.GetLength());
}

int CDC::StartDoc(LPCSTR lpszDocName)
{
    DOCINFOA info = {sizeof(info)};
    info.lpszDocName = lpszDocName;
    return StartDoc(&info);
}

CBrush* PASCAL CDC::GetHalftoneBrush()
{
    // One brush per thread, made on first use and kept for the thread's life.
    static thread_local CBrush brush;
    if (brush.m_hObject == nullptr) {
        WORD pattern[8];
        for (int i = 0; i < 8; ++i)
            pattern[i] = static_cast<WORD>(0x5555 << (i & 1));
        CBitmap bitmap;
        if (bitmap.CreateBitmap(8, 8, 1, 1, pattern))
            brush.CreatePatternBrush(&bitmap);
    }
    return &brush;
}

CPaintDC::CPaintDC(CWnd* pWnd) : m_hWnd(pWnd->m_hWnd)
{
    Attach(::BeginPaint(m_hWnd, &m_ps));
}

CPaintDC::~CPaintDC()
{
    Detach();
    ::EndPaint(m_hWnd, &m_ps);
}

CClientDC::CClientDC(CWnd* pWnd) : m_hWnd(pWnd != nullptr ? pWnd->m_hWnd : nullptr)
{
    Attach(::GetDC(m_hWnd));
}

CClientDC::~CClientDC()
{
    const HDC hDC = Detach();
    if (hDC != nullptr)
        ::ReleaseDC(m_hWnd, hDC);
}

CWindowDC::CWindowDC(CWnd* pWnd) : m_hWnd(pWnd != nullptr ? pWnd->m_hWnd : nullptr)
{
    Attach(::GetWindowDC(m_hWnd));
}

CWindowDC::~CWindowDC()
{
    const HDC hDC = Detach();
    if (hDC != nullptr)
        ::ReleaseDC(m_hWnd, hDC);
}
