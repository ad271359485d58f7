// CODHeaderCtrl: the owner-drawn header of the owner-drawn list. It draws its items itself and
// marks the sort column with a small arrow (pointing down for ascending, up for descending).
#pragma once

#include "framework/CommonControls.h"

class CODHeaderCtrl : public CHeaderCtrl
{
public:
    // Stores the mark, makes that column's item owner-drawn and repaints; answers the previous
    // sort column, or -1 when the header has no window.
    int SetSortMark(int nColumn, BOOL bAscending);
    int GetSortColumn() const { return m_nSortColumn; }
    BOOL GetSortAscending() const { return m_bSortAscending; }

    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct);

protected:
    DECLARE_MESSAGE_MAP()

private:
    void DrawSortArrow(HDC hdc, const RECT& item, int nSpace) const;

    int m_nSortColumn = -1;
    BOOL m_bSortAscending = TRUE;
};
