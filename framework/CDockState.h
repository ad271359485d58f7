// CDockState: a whole docking layout (one record per bar and dock bar, and the screen size it
// was taken on), read from and written to the profile under "<name>-Bar<n>" and
// "<name>-Summary" ("Bars", "ScreenCX", "ScreenCY").
#pragma once

#include "framework/CControlBarInfo.h"

#include <vector>

class CDockState
{
public:
    void LoadState(LPCSTR lpszProfileName);
    void SaveState(LPCSTR lpszProfileName) const;
    void Clear() { m_arrBarInfo.clear(); }
    // The records' positions taken from the stored screen to the current one.
    void ScaleToScreen();

    std::vector<CControlBarInfo> m_arrBarInfo;
    CSize m_sizeDevice; // the screen the layout was saved on
};
