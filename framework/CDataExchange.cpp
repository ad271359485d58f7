#include "framework/CDataExchange.h"

#include "framework/CException.h"
#include "framework/CWnd.h"
#include "framework/Prompt.h"

#include <cerrno>
#include <cfloat>
#include <climits>
#include <cstdlib>

namespace {

CString WindowText(HWND hWnd)
{
    CString strText;
    const int nLength = ::GetWindowTextLengthA(hWnd);
    const int nCopied = ::GetWindowTextA(hWnd, strText.GetBuffer(nLength + 1), nLength + 1);
    strText.ReleaseBuffer(nCopied);
    return strText;
}

// The whole text (spaces around it allowed) as a number of the given kind; false otherwise.
bool ParseLong(LPCSTR lpsz, long long& value)
{
    char* pEnd = nullptr;
    errno = 0;
    value = std::strtoll(lpsz, &pEnd, 10);
    if (pEnd == lpsz || errno == ERANGE)
        return false;
    while (*pEnd == ' ' || *pEnd == '\t')
        ++pEnd;
    return *pEnd == '\0';
}

bool ParseDouble(LPCSTR lpsz, double& value)
{
    char* pEnd = nullptr;
    errno = 0;
    value = std::strtod(lpsz, &pEnd);
    if (pEnd == lpsz || errno == ERANGE)
        return false;
    while (*pEnd == ' ' || *pEnd == '\t')
        ++pEnd;
    return *pEnd == '\0';
}

[[noreturn]] void FailWith(CDataExchange* pDX, LPCSTR lpszMessage)
{
    AfxMessageBox(lpszMessage, MB_ICONEXCLAMATION);
    pDX->Fail();
}

} // namespace

CDataExchange::CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
    : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd)
{
}

HWND CDataExchange::PrepareCtrl(int nIDC)
{
    const HWND hWndCtrl = ::GetDlgItem(m_pDlgWnd->m_hWnd, nIDC);
    if (hWndCtrl == nullptr)
        AfxThrowNotSupportedException(); // a template without the control is a program error
    m_hWndLastControl = hWndCtrl;
    m_bEditLastControl = FALSE;
    return hWndCtrl;
}

HWND CDataExchange::PrepareEditCtrl(int nIDC)
{
    const HWND hWndCtrl = PrepareCtrl(nIDC);
    m_bEditLastControl = TRUE;
    return hWndCtrl;
}

void CDataExchange::Fail()
{
    if (m_bSaveAndValidate && m_hWndLastControl != nullptr) {
        ::SendMessageA(m_pDlgWnd->m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_hWndLastControl), TRUE);
        if (m_bEditLastControl)
            ::SendMessageA(m_hWndLastControl, EM_SETSEL, 0, -1);
    }
    AfxThrowUserException();
}

void AFXAPI DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl)
{
    if (rControl.m_hWnd != nullptr)
        return;
    const HWND hWndCtrl = pDX->PrepareCtrl(nIDC);
    if (!rControl.SubclassWindow(hWndCtrl))
        AfxThrowNotSupportedException();
}

void AFXAPI DDX_Text(CDataExchange* pDX, int nIDC, CString& value)
{
    const HWND hWndCtrl = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
        value = WindowText(hWndCtrl);
    else
        ::SetWindowTextA(hWndCtrl, value);
}

namespace {

// Integers in and out of an edit control; a text that is no number of the range is refused.
template <class T>
void ExchangeInteger(CDataExchange* pDX, int nIDC, T& value, LPCSTR lpszFormat, long long minValue,
                     long long maxValue, LPCSTR lpszRefusal)
{
    const HWND hWndCtrl = pDX->PrepareEditCtrl(nIDC);
    if (!pDX->m_bSaveAndValidate) {
        CString strText;
        strText.Format(lpszFormat, value);
        ::SetWindowTextA(hWndCtrl, strText);
        return;
    }
    long long parsed = 0;
    if (!ParseLong(WindowText(hWndCtrl), parsed) || parsed < minValue || parsed > maxValue)
        FailWith(pDX, lpszRefusal);
    value = static_cast<T>(parsed);
}

} // namespace

void AFXAPI DDX_Text(CDataExchange* pDX, int nIDC, int& value)
{
    ExchangeInteger(pDX, nIDC, value, "%d", INT_MIN, INT_MAX, "Please enter an integer.");
}

void AFXAPI DDX_Text(CDataExchange* pDX, int nIDC, UINT& value)
{
    ExchangeInteger(pDX, nIDC, value, "%u", 0, UINT_MAX, "Please enter a positive integer.");
}

void AFXAPI DDX_Text(CDataExchange* pDX, int nIDC, double& value)
{
    const HWND hWndCtrl = pDX->PrepareEditCtrl(nIDC);
    if (!pDX->m_bSaveAndValidate) {
        CString strText;
        strText.Format("%.*g", DBL_DIG, value);
        ::SetWindowTextA(hWndCtrl, strText);
        return;
    }
    double parsed = 0;
    if (!ParseDouble(WindowText(hWndCtrl), parsed))
        FailWith(pDX, "Please enter a number.");
    value = parsed;
}

void AFXAPI DDX_Check(CDataExchange* pDX, int nIDC, int& value)
{
    const HWND hWndCtrl = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
        value = static_cast<int>(::SendMessageA(hWndCtrl, BM_GETCHECK, 0, 0));
    else
        ::SendMessageA(hWndCtrl, BM_SETCHECK, static_cast<WPARAM>(value), 0);
}

void AFXAPI DDX_Radio(CDataExchange* pDX, int nIDC, int& value)
{
    HWND hWndCtrl = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
        value = -1;
    // The group runs from this button to the next control with WS_GROUP.
    int iButton = 0;
    do {
        if ((::SendMessageA(hWndCtrl, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) != 0) {
            if (pDX->m_bSaveAndValidate) {
                if (::SendMessageA(hWndCtrl, BM_GETCHECK, 0, 0) == BST_CHECKED)
                    value = iButton;
            } else {
                ::SendMessageA(hWndCtrl, BM_SETCHECK, iButton == value ? BST_CHECKED : BST_UNCHECKED, 0);
            }
            ++iButton;
        }
        hWndCtrl = ::GetWindow(hWndCtrl, GW_HWNDNEXT);
    } while (hWndCtrl != nullptr && (::GetWindowLongPtrA(hWndCtrl, GWL_STYLE) & WS_GROUP) == 0);
}

void AFXAPI DDV_MaxChars(CDataExchange* pDX, const CString& value, int nChars)
{
    if (!pDX->m_bSaveAndValidate) {
        // Going in: the edit control itself refuses longer input.
        if (pDX->m_bEditLastControl && pDX->m_hWndLastControl != nullptr)
            ::SendMessageA(pDX->m_hWndLastControl, EM_LIMITTEXT, static_cast<WPARAM>(nChars), 0);
        return;
    }
    if (value.GetLength() > nChars) {
        CString strMessage;
        strMessage.Format("Please enter no more than %d characters.", nChars);
        FailWith(pDX, strMessage);
    }
}

void AFXAPI DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal)
{
    if (!pDX->m_bSaveAndValidate || (value >= minVal && value <= maxVal))
        return;
    CString strMessage;
    strMessage.Format("Please enter an integer between %d and %d.", minVal, maxVal);
    FailWith(pDX, strMessage);
}
