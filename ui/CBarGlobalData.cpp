#include "ui/CBarGlobalData.h"

#include <cstddef>

CBarGlobalData g_barData;

namespace {

// The size of the metrics before Vista added iPaddedBorderWidth: every Windows takes it, while
// older ones refuse the larger structure the headers describe for newer targets.
constexpr UINT kMetricsSize = static_cast<UINT>(offsetof(NONCLIENTMETRICSA, iPaddedBorderWidth));

int CALLBACK FindFamily(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM lParam)
{
    *reinterpret_cast<bool*>(lParam) = true;
    return 0;
}

void Recreate(CFont& font, const LOGFONTA& logFont)
{
    font.DeleteObject();
    font.CreateFontIndirect(&logFont);
}

} // namespace

CBarGlobalData::CBarGlobalData()
{
    brBarFace.DeleteObject();
    brBarFace.CreateSolidBrush(clrBarFace);
    UpdateFonts();
}

bool CBarGlobalData::IsFontInstalled(LPCSTR lpszFace)
{
    HDC hDC = ::GetDC(nullptr);
    if (hDC == nullptr)
        return false;
    LOGFONTA logFont = {};
    logFont.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(logFont.lfFaceName, lpszFace, LF_FACESIZE);
    bool bFound = false;
    ::EnumFontFamiliesExA(hDC, &logFont, FindFamily, reinterpret_cast<LPARAM>(&bFound), 0);
    ::ReleaseDC(nullptr, hDC);
    return bFound;
}

CString CBarGlobalData::ChooseTextFace(BYTE nCharSet, LPCSTR lpszMenuFace, bool bTahomaInstalled)
{
    // Western and symbol menus get the library's own face; other scripts keep the menu's.
    if (nCharSet <= SYMBOL_CHARSET)
        return bTahomaInstalled ? "Tahoma" : "MS Sans Serif";
    return lpszMenuFace;
}

void CBarGlobalData::UpdateFonts()
{
    NONCLIENTMETRICSA metrics = {};
    metrics.cbSize = kMetricsSize;
    if (!::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, kMetricsSize, &metrics, 0)) {
        metrics = {};
        ::GetObjectA(::GetStockObject(DEFAULT_GUI_FONT), sizeof(LOGFONTA), &metrics.lfMenuFont);
    }
    const LOGFONTA& menu = metrics.lfMenuFont;
    LOGFONTA logFont = {};
    logFont.lfHeight = menu.lfHeight;
    logFont.lfWeight = menu.lfWeight;
    logFont.lfItalic = menu.lfItalic;
    logFont.lfCharSet = DEFAULT_CHARSET;
    const CString strFace = ChooseTextFace(menu.lfCharSet, menu.lfFaceName,
                                           menu.lfCharSet <= SYMBOL_CHARSET && IsFontInstalled("Tahoma"));
    lstrcpynA(logFont.lfFaceName, strFace, LF_FACESIZE);
    Recreate(fntNormal, logFont);
    logFont.lfUnderline = TRUE;
    Recreate(fntUnderline, logFont);
    logFont.lfUnderline = FALSE;
    logFont.lfWeight = FW_BOLD;
    Recreate(fntBold, logFont);

    LOGFONTA vertical = {};
    if (::GetObjectA(::GetStockObject(DEFAULT_GUI_FONT), sizeof(vertical), &vertical) != 0) {
        vertical.lfHeight = menu.lfHeight;
        vertical.lfWeight = menu.lfWeight;
        vertical.lfItalic = menu.lfItalic;
        lstrcpynA(vertical.lfFaceName, "Arial", LF_FACESIZE);
        vertical.lfEscapement = 2700;
        vertical.lfOrientation = 900;
        Recreate(fntVertical, vertical);
        vertical.lfEscapement = 900;
        Recreate(fntVertical90, vertical);
    }

    cyCaptionText = 0;
    if (HDC hDC = ::GetDC(nullptr)) {
        HGDIOBJ hOld = ::SelectObject(hDC, fntNormal.GetSafeHandle());
        TEXTMETRICA tm = {};
        ::GetTextMetricsA(hDC, &tm);
        ::SelectObject(hDC, hOld);
        ::ReleaseDC(nullptr, hDC);
        cyCaptionText = tm.tmHeight + 2;
    }
}

void CBarGlobalData::LoadSizeCursors()
{
    if (hcurSizeWE == nullptr)
        hcurSizeWE = ::LoadCursor(nullptr, IDC_SIZEWE);
    if (hcurSizeNS == nullptr)
        hcurSizeNS = ::LoadCursor(nullptr, IDC_SIZENS);
}
