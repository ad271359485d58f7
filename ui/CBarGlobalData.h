// CBarGlobalData: the greys, brush, fonts and cursors every bar and control of the library
// draws with, made once for the process (the one object is g_barData).
#pragma once

#include "framework/AfxWin.h"

class CBarGlobalData
{
public:
    CBarGlobalData();
    CBarGlobalData(const CBarGlobalData&) = delete;
    CBarGlobalData& operator=(const CBarGlobalData&) = delete;

    // Makes the fonts again from the current menu font.
    void UpdateFonts();
    // The sizing cursors, loaded by the first sizing bar.
    void LoadSizeCursors();
    // The face of the library's text font for a menu font of that character set and face.
    static CString ChooseTextFace(BYTE nCharSet, LPCSTR lpszMenuFace, bool bTahomaInstalled);
    static bool IsFontInstalled(LPCSTR lpszFace);

    COLORREF clrBarFace = RGB(128, 128, 128);
    COLORREF clrDark = RGB(80, 80, 80);
    COLORREF clrLight = RGB(180, 180, 180);
    COLORREF clrPressedDark = RGB(80, 80, 80);
    COLORREF clrPressedGrey = RGB(90, 90, 90);
    CBrush brBarFace;
    HCURSOR hcurSizeWE = nullptr;
    HCURSOR hcurSizeNS = nullptr;
    CFont fntNormal;
    CFont fntBold;
    CFont fntUnderline;
    CFont fntVertical;
    CFont fntVertical90;
    int cyCaptionText = 0;
};

extern CBarGlobalData g_barData;
