// A visible top-level owner for the list tests: its notifications reach the list (reflection),
// and it records the private messages and width notices that the list sends it.
#pragma once

#include "framework/AfxWin.h"

#include <vector>

class CListTestOwner : public CWnd
{
public:
    BOOL CreateOwner(int cx, int cy)
    {
        return CreateEx(0, AfxRegisterWndClass(0, ::LoadCursor(nullptr, IDC_ARROW),
                                               reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1)),
                        "List test", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, cx, cy, nullptr, nullptr);
    }

    std::vector<LPARAM> m_widthNotices;

protected:
    LRESULT OnWidthNotice(WPARAM, LPARAM lParam)
    {
        m_widthNotices.push_back(lParam);
        return 0;
    }

    DECLARE_MESSAGE_MAP()
};
