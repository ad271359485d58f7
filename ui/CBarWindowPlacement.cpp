#include "ui/CBarWindowPlacement.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr char kSection[] = "Settings";
constexpr int kAllFields = 9;

} // namespace

CRect CBarWindowPlacement::CurrentWorkArea()
{
    CRect work;
    if (!::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0) || work.IsRectEmpty())
        work.SetRect(0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN));
    return work;
}

CString CBarWindowPlacement::Format() const
{
    CString strValue;
    strValue.Format("%u,%d,%d,%d,%d,%d,%d,%d,%d", static_cast<unsigned>(m_nShowCmd), static_cast<int>(m_rcWindow.left),
                    static_cast<int>(m_rcWindow.top), static_cast<int>(m_rcWindow.right),
                    static_cast<int>(m_rcWindow.bottom), static_cast<int>(m_rcWorkArea.left),
                    static_cast<int>(m_rcWorkArea.top), static_cast<int>(m_rcWorkArea.right),
                    static_cast<int>(m_rcWorkArea.bottom));
    return strValue;
}

int CBarWindowPlacement::Parse(LPCSTR lpszValue)
{
    unsigned nShow = 0;
    int v[8] = {};
    const int nFields = std::sscanf(lpszValue != nullptr ? lpszValue : "", "%u,%d,%d,%d,%d,%d,%d,%d,%d", &nShow, &v[0],
                                    &v[1], &v[2], &v[3], &v[4], &v[5], &v[6], &v[7]);
    m_nFields = std::max(nFields, 0);
    if (m_nFields >= 1)
        m_nShowCmd = static_cast<int>(nShow);
    m_rcWindow.SetRect(v[0], v[1], v[2], v[3]);
    m_rcWorkArea.SetRect(v[4], v[5], v[6], v[7]);
    return m_nFields;
}

void CBarWindowPlacement::SaveToProfile(CWnd* pWnd)
{
    if (pWnd == nullptr || pWnd->m_hWnd == nullptr)
        return;
    m_nShowCmd = pWnd->IsZoomed() ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
    m_rcWorkArea = CurrentWorkArea();
    pWnd->GetWindowRect(&m_rcWindow);
    if (CWinApp* pApp = AfxGetApp())
        pApp->WriteProfileString(kSection, EntryName(), Format());
}

void CBarWindowPlacement::LoadFromProfile(LPCSTR lpszName)
{
    if (lpszName != nullptr)
        m_strName = lpszName;
    const LPCSTR lpszEntry = lpszName != nullptr ? lpszName : "Window Pos";
    CWinApp* pApp = AfxGetApp();
    const CString strValue = pApp != nullptr ? pApp->GetProfileString(kSection, lpszEntry, "") : CString();
    Parse(strValue);
}

void CBarWindowPlacement::ApplyTo(CWnd* pWnd)
{
    if (pWnd == nullptr || pWnd->m_hWnd == nullptr)
        return;
    // Anything short of a whole, usable record shows the window as it was made; an empty
    // rectangle or work area would otherwise leave it hidden or divide by zero.
    if (m_nFields != kAllFields || m_rcWindow.IsRectEmpty() || m_rcWorkArea.IsRectEmpty()) {
        m_nShowCmd = SW_SHOWNORMAL;
        pWnd->ShowWindow(SW_SHOWNORMAL);
        return;
    }
    const CRect work = CurrentWorkArea();
    if (m_nShowCmd != SW_SHOWMAXIMIZED) {
        int cx = ::MulDiv(m_rcWindow.Width(), work.Width(), m_rcWorkArea.Width());
        int cy = ::MulDiv(m_rcWindow.Height(), work.Height(), m_rcWorkArea.Height());
        cx = std::clamp(cx, 1, static_cast<int>(work.Width()));
        cy = std::clamp(cy, 1, static_cast<int>(work.Height()));
        // A place from a screen that is gone (or larger) comes back onto this work area.
        const int x = std::clamp(static_cast<int>(m_rcWindow.left), static_cast<int>(work.left),
                                 static_cast<int>(work.right) - cx);
        const int y = std::clamp(static_cast<int>(m_rcWindow.top), static_cast<int>(work.top),
                                 static_cast<int>(work.bottom) - cy);
        pWnd->SetWindowPos(nullptr, x, y, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    }
    pWnd->ShowWindow(m_nShowCmd);
}
