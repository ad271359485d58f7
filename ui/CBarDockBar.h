// CBarDockBar: the frame's dock bar for the library's bars. Rows start flush with the dock
// bar's edge and the library's bars touch without overlapping (a plain framework bar still
// overlaps its neighbours by two borders); a right click on an empty part shows the bar-list
// popup.
#pragma once

#include "framework/AfxWin.h"

class CBarDockBar : public CDockBar
{
    DECLARE_DYNAMIC(CBarDockBar)

public:
    CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;

protected:
    CPoint GetRowOrigin() const override { return CPoint(0, -2); }
    CSize GetBarOverlap(CControlBar* pBar) const override;

    void OnRButtonUp(UINT nFlags, CPoint point);

    DECLARE_MESSAGE_MAP()
};
