// CBarWindowPlacement: where a top-level window was and how large, in one profile string
// ("Settings", entry m_strName or "Window Pos": show command, window rectangle, work area),
// put back at the next start with its size scaled to the current work area.
#pragma once

#include "framework/AfxWin.h"

class CBarWindowPlacement
{
public:
    CBarWindowPlacement() = default;
    virtual ~CBarWindowPlacement() = default;

    void SaveToProfile(CWnd* pWnd);
    void LoadFromProfile(LPCSTR lpszName = nullptr);
    void ApplyTo(CWnd* pWnd);

    // The placement as the profile stores it, and back; the number of fields parsed.
    CString Format() const;
    int Parse(LPCSTR lpszValue);

    CString m_strName;
    CRect m_rcWindow;
    CRect m_rcWorkArea;
    int m_nShowCmd = SW_SHOWNORMAL;
    int m_nFields = 0;

private:
    LPCSTR EntryName() const { return m_strName.IsEmpty() ? "Window Pos" : static_cast<LPCSTR>(m_strName); }
    static CRect CurrentWorkArea();
};
