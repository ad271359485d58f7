// CControlBarInfo: the stored state of one control bar or dock bar in a saved layout, and its
// profile form: one section "<name>-Bar<n>" whose values are written only where they differ
// from the defaults ("BarID" always; "Visible", "Horz", "Floating", "MRUWidth", "XPos", "YPos",
// "Bars" with "Bar#0".., and with "Docking" the places the bar was docked and floated last).
#pragma once

#include "framework/CRect.h"

#include <vector>

class CControlBar;

struct CControlBarInfo
{
    // Reads the record; FALSE when it names no bar.
    BOOL LoadState(LPCSTR lpszProfileName, int nIndex);
    BOOL SaveState(LPCSTR lpszProfileName, int nIndex) const;
    // Positions scaled from a screen of one size to another.
    void Scale(CSize sizeFrom, CSize sizeTo);

    UINT m_nBarID = 0;
    BOOL m_bVisible = TRUE;
    BOOL m_bFloating = FALSE;
    BOOL m_bHorz = TRUE;
    BOOL m_bDockBar = FALSE;
    CPoint m_pointPos{-1, -1}; // in the dock bar, or on the screen for a floating frame
    int m_nMRUWidth = 32767;
    BOOL m_bDocking = FALSE;
    UINT m_uMRUDockID = 0;
    CRect m_rectMRUDockPos;
    DWORD m_dwMRUFloatStyle = 0;
    CPoint m_ptMRUFloatPos{static_cast<LONG>(0x80000000), 0};
    // The entries of a dock bar: 0 ends a row; an id with a high word is a place holder.
    std::vector<UINT> m_arrBarID;
    CControlBar* m_pBar = nullptr; // the bar the record was matched with while it is applied
};
