#include "ui/CEditEx.h"

#include "engine/rkui/RkUI.h"

#include <cstring>

BEGIN_MESSAGE_MAP(CEditEx, CEdit)
    ON_WM_CHAR()
    ON_WM_CTLCOLOR_REFLECT()
END_MESSAGE_MAP()

CEditEx::CEditEx()
    : m_clrBk(::GetSysColor(COLOR_WINDOW)),
      m_clrText(::GetSysColor(COLOR_WINDOWTEXT))
{
    m_brBk.Reset(::CreateSolidBrush(m_clrBk));
}

void CEditEx::SetCharFilter(void* context, EditCharFilter filter)
{
    m_pFilterContext = context;
    m_pfnFilter = filter;
}

void CEditEx::OnChar(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    if (!m_pfnFilter) {
        Default();
        return;
    }
    UINT ch = nChar;
    UINT repeat = nRepCnt;
    UINT flags = nFlags;
    m_pfnFilter(m_pFilterContext, this, &ch, &repeat, &flags);
    if (ch == 0)
        return;
    if (ch == nChar && repeat == nRepCnt && flags == nFlags) {
        Default();
        return;
    }
    const LPARAM lParam = static_cast<LPARAM>((static_cast<DWORD>(flags & 0xFFFF) << 16) | (repeat & 0xFFFF));
    DefWindowProc(WM_CHAR, ch, lParam);
}

HBRUSH CEditEx::CtlColor(CDC* pDC, UINT)
{
    ::SetTextColor(pDC->GetSafeHdc(), m_clrText);
    ::SetBkColor(pDC->GetSafeHdc(), m_clrTextBk == CLR_INVALID ? m_clrBk : m_clrTextBk);
    return m_brBk.Get();
}

bool DecimalCharAllowed(const char* text, UINT ch, char decimalSep, bool allowMinus)
{
    if (ch == 8 || (ch >= '0' && ch <= '9'))
        return true;
    const bool once = ch == static_cast<unsigned char>(decimalSep) || (allowMinus && ch == '-');
    if (!once)
        return false;
    return text == nullptr || std::strchr(text, static_cast<int>(ch)) == nullptr;
}

namespace {

void FilterDecimal(CEditEx* edit, UINT* ch, bool allowMinus)
{
    CString text;
    if (edit && edit->GetSafeHwnd())
        edit->GetWindowText(text);
    // Asked at every character: the user may change the number format while the dialog is open.
    if (!DecimalCharAllowed(text, *ch, g_systemInfo.getDecimalSep(), allowMinus))
        *ch = 0;
}

} // namespace

void SignedDecimalFilter(void*, CEditEx* edit, UINT* ch, UINT*, UINT*)
{
    FilterDecimal(edit, ch, true);
}

void UnsignedDecimalFilter(void*, CEditEx* edit, UINT* ch, UINT*, UINT*)
{
    FilterDecimal(edit, ch, false);
}
