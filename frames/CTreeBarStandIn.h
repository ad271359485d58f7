// CTreeBarStandIn: the folder area until the folder tree comes: a sizing bar whose client area
// is one empty child window.
#pragma once

#include "ui/CBarControlBar.h"

class CTreeBarStandIn : public CBarControlBar
{
public:
    static constexpr UINT kChildId = 1;

    CWnd& GetChild() { return m_child; }

protected:
    int OnCreate(LPCREATESTRUCTA lpcs);
    void OnSize(UINT nType, int cx, int cy);

    DECLARE_MESSAGE_MAP()

private:
    CStatic m_child;
};
