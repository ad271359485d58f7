#include "framework/CGdiObject.h"

#include "framework/AfxGlobals.h"
#include "framework/CDC.h"
#include "framework/CHandleMap.h"

#include <cstdlib>
#include <utility>

namespace {

// Temporary wrappers are keyed by the requested kind as well as the handle, so that a pen asked
// for as a CPen and as a CGdiObject gets an object of each type.
using GdiKey = std::pair<const void*, HGDIOBJ>;
using GdiTempMap = CHandleMap<CGdiObject, GdiKey>;

GdiTempMap& TempMap()
{
    static thread_local GdiTempMap map([](CGdiObject& object) { object.Detach(); });
    return map;
}

} // namespace

BOOL CGdiObject::Attach(HGDIOBJ hObject)
{
    if (hObject == m_hObject)
        return hObject != nullptr;
    DeleteObject();
    m_hObject = hObject;
    return hObject != nullptr;
}

BOOL CGdiObject::DeleteObject()
{
    const HGDIOBJ hObject = Detach();
    return hObject != nullptr && ::DeleteObject(hObject);
}

CGdiObject* PASCAL CGdiObject::FromHandle(HGDIOBJ hObject)
{
    return TempFromHandle<CGdiObject>(hObject);
}

CGdiObject* CGdiObject::LookupOrAddTemp(HGDIOBJ hObject, const void* kind,
                                        std::unique_ptr<CGdiObject> (*make)())
{
    if (hObject == nullptr)
        return nullptr;
    return TempMap().FromHandle(GdiKey(kind, hObject), [&](const GdiKey&) {
        std::unique_ptr<CGdiObject> object = make();
        object->m_hObject = hObject;
        return object;
    });
}

BOOL CBrush::CreatePatternBrush(CBitmap* pBitmap)
{
    return Attach(::CreatePatternBrush(*pBitmap));
}

BOOL CFont::CreateFont(int nHeight, int nWidth, int nEscapement, int nOrientation, int nWeight,
                       BYTE bItalic, BYTE bUnderline, BYTE cStrikeOut, BYTE nCharSet,
                       BYTE nOutPrecision, BYTE nClipPrecision, BYTE nQuality,
                       BYTE nPitchAndFamily, LPCSTR lpszFacename)
{
    return Attach(::CreateFontA(nHeight, nWidth, nEscapement, nOrientation, nWeight, bItalic,
                                bUnderline, cStrikeOut, nCharSet, nOutPrecision, nClipPrecision,
                                nQuality, nPitchAndFamily, lpszFacename));
}

BOOL CFont::CreatePointFont(int nPointSize, LPCSTR lpszFaceName, CDC* pDC)
{
    LOGFONTA logFont = {};
    logFont.lfCharSet = DEFAULT_CHARSET;
    logFont.lfHeight = nPointSize;
    lstrcpynA(logFont.lfFaceName, lpszFaceName, LF_FACESIZE);
    return CreatePointFontIndirect(&logFont, pDC);
}

BOOL CFont::CreatePointFontIndirect(const LOGFONTA* lpLogFont, CDC* pDC)
{
    // lfHeight comes in tenths of a point: turn it into the device's logical units.
    const HDC hScreen = pDC == nullptr ? ::GetDC(nullptr) : nullptr;
    const HDC hDC = pDC != nullptr ? pDC->m_hAttribDC : hScreen;
    LOGFONTA logFont = *lpLogFont;
    POINT pt = {0, ::MulDiv(::GetDeviceCaps(hDC, LOGPIXELSY), logFont.lfHeight, 720)};
    POINT origin = {0, 0};
    ::DPtoLP(hDC, &pt, 1);
    ::DPtoLP(hDC, &origin, 1);
    logFont.lfHeight = -std::abs(pt.y - origin.y);
    if (hScreen != nullptr)
        ::ReleaseDC(nullptr, hScreen);
    return CreateFontIndirect(&logFont);
}

BOOL CBitmap::LoadBitmap(UINT nIDResource)
{
    return LoadBitmap(MAKEINTRESOURCEA(nIDResource));
}

BOOL CBitmap::LoadBitmap(LPCSTR lpszResourceName)
{
    return Attach(::LoadBitmapA(AfxGetResourceHandle(), lpszResourceName));
}

BOOL CBitmap::LoadOEMBitmap(UINT nIDBitmap)
{
    return Attach(::LoadBitmapA(nullptr, MAKEINTRESOURCEA(nIDBitmap)));
}

BOOL CBitmap::LoadMappedBitmap(UINT nIDBitmap, UINT nFlags, LPCOLORMAP lpColorMap, int nMapSize)
{
    return Attach(::CreateMappedBitmap(AfxGetResourceHandle(), nIDBitmap, nFlags, lpColorMap,
                                       nMapSize));
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* pDC, int nWidth, int nHeight)
{
    return Attach(::CreateCompatibleBitmap(pDC->m_hDC, nWidth, nHeight));
}

CSize CBitmap::GetBitmapDimension() const
{
    SIZE size = {0, 0};
    ::GetBitmapDimensionEx(*this, &size);
    return size;
}

BOOL CPalette::CreateHalftonePalette(CDC* pDC)
{
    return Attach(::CreateHalftonePalette(pDC->m_hDC));
}

int CPalette::GetEntryCount() const
{
    WORD count = 0;
    return GetObject(sizeof(count), &count) != 0 ? count : 0;
}
