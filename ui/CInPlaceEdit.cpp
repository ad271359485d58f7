#include "ui/CInPlaceEdit.h"

#include "framework/AfxWin.h"

#include <algorithm>

BEGIN_MESSAGE_MAP(CInPlaceEdit, CEdit)
    ON_WM_CREATE()
    ON_WM_CHAR()
    ON_WM_KILLFOCUS()
END_MESSAGE_MAP()

CInPlaceEdit::CInPlaceEdit(int nItem, int nColumn, LPCSTR lpszInitText)
    : m_nItem(nItem), m_nColumn(nColumn), m_strInitText(lpszInitText)
{
}

BOOL CInPlaceEdit::PreTranslateMessage(MSG* pMsg)
{
    // Enter, Escape and Delete belong to the edit, never to the frame's accelerators.
    if (pMsg->message == WM_KEYDOWN &&
        (pMsg->wParam == VK_RETURN || pMsg->wParam == VK_DELETE || pMsg->wParam == VK_ESCAPE ||
         GetKeyState(VK_CONTROL) < 0)) {
        ::TranslateMessage(pMsg);
        ::DispatchMessageA(pMsg);
        return TRUE;
    }
    return CEdit::PreTranslateMessage(pMsg);
}

int CInPlaceEdit::OnCreate(LPCREATESTRUCTA lpCreateStruct)
{
    if (CEdit::OnCreate(lpCreateStruct) == -1)
        return -1;
    const HWND hList = ::GetParent(m_hWnd);
    SendMessage(WM_SETFONT, static_cast<WPARAM>(::SendMessageA(hList, WM_GETFONT, 0, 0)));
    SetWindowText(m_strInitText);
    SetFocus();
    SetSel(0, -1);
    SendMessage(EM_SCROLLCARET);
    return 0;
}

void CInPlaceEdit::OnChar(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    if (nChar == VK_ESCAPE || nChar == VK_RETURN) {
        if (nChar == VK_ESCAPE)
            m_bCancelled = TRUE;
        ::SetFocus(::GetParent(m_hWnd));
        return;
    }
    CEdit::OnChar(nChar, nRepCnt, nFlags);
    GrowToText();
}

void CInPlaceEdit::GrowToText()
{
    CString text;
    GetWindowText(text);
    const HWND hList = ::GetParent(m_hWnd);
    HDC hdc = ::GetDC(m_hWnd);
    const HGDIOBJ hOld = ::SelectObject(hdc, reinterpret_cast<HGDIOBJ>(::SendMessageA(hList, WM_GETFONT, 0, 0)));
    SIZE size = {};
    ::GetTextExtentPoint32A(hdc, text, text.GetLength(), &size);
    ::SelectObject(hdc, hOld);
    ::ReleaseDC(m_hWnd, hdc);
    const int nWanted = size.cx + 5;
    CRect client;
    GetClientRect(&client);
    if (nWanted <= client.Width())
        return;
    CRect window;
    GetWindowRect(&window);
    CRect listClient;
    ::GetClientRect(hList, &listClient);
    POINT topLeft = {window.left, window.top};
    ::ScreenToClient(hList, &topLeft);
    const int nRight = std::min<int>(topLeft.x + window.Width() + (nWanted - client.Width()), listClient.right);
    SetWindowPos(nullptr, 0, 0, std::max<int>(nRight - topLeft.x, 0), window.Height(),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CInPlaceEdit::OnKillFocus(CWnd* pNewWnd)
{
    CEdit::OnKillFocus(pNewWnd);
    ReportEnd();
    DestroyWindow();
}

void CInPlaceEdit::ReportEnd()
{
    if (m_bEnded)
        return;
    m_bEnded = TRUE;
    CString text;
    GetWindowText(text);
    const HWND hList = ::GetParent(m_hWnd);
    NMLVDISPINFOA info = {};
    info.hdr.hwndFrom = hList;
    info.hdr.idFrom = static_cast<UINT_PTR>(::GetDlgCtrlID(hList));
    info.hdr.code = LVN_ENDLABELEDITA;
    info.item.mask = LVIF_TEXT;
    info.item.iItem = m_nItem;
    info.item.iSubItem = m_nColumn;
    info.item.pszText = m_bCancelled ? nullptr : const_cast<LPSTR>(static_cast<LPCSTR>(text));
    info.item.cchTextMax = m_bCancelled ? 0 : text.GetLength();
    ::SendMessageA(::GetParent(hList), WM_NOTIFY, info.hdr.idFrom, reinterpret_cast<LPARAM>(&info));
}
