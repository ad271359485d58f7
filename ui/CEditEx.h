// CEditEx: an edit control whose typed characters pass through a filter the owner supplies (the
// numeric fields of the drawing dialogs), with colours of its own.
#pragma once

#include "framework/Afx.h"
#include "framework/AfxWin.h"
#include "framework/Controls.h"
#include "framework/GdiScopes.h"

class CEditEx;

// Called for every WM_CHAR with the owner's context; it may change the character, the repeat count
// and the key flags. A character changed to 0 is dropped.
using EditCharFilter = void (*)(void* context, CEditEx* edit, UINT* ch, UINT* repeat, UINT* flags);

class CEditEx : public CEdit
{
public:
    CEditEx();

    void SetCharFilter(void* context, EditCharFilter filter);

    COLORREF GetBkColor() const { return m_clrBk; }
    COLORREF GetTextColor() const { return m_clrText; }

protected:
    void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);
    HBRUSH CtlColor(CDC* pDC, UINT nCtlColor);

    DECLARE_MESSAGE_MAP()

private:
    void* m_pFilterContext = nullptr;
    EditCharFilter m_pfnFilter = nullptr;
    GdiObject<HBRUSH> m_brBk;
    COLORREF m_clrBk;
    // CLR_INVALID: the same as m_clrBk.
    COLORREF m_clrTextBk = CLR_INVALID;
    COLORREF m_clrText;
};

// Digits, the user's decimal separator once, "-" once and backspace; every other character is
// dropped.
void SignedDecimalFilter(void* context, CEditEx* edit, UINT* ch, UINT* repeat, UINT* flags);
// The same without "-".
void UnsignedDecimalFilter(void* context, CEditEx* edit, UINT* ch, UINT* repeat, UINT* flags);
// The rule both filters share: may ch be typed into an edit holding text? (Pure, for the filters
// and their tests.)
bool DecimalCharAllowed(const char* text, UINT ch, char decimalSep, bool allowMinus);
