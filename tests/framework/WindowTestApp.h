// The application object of the window tests and the objects it records commands in.
#pragma once

#include "framework/AfxWin.h"

#include <string>
#include <vector>

// Every handler appends "<who>:<command>" so a test can see who ran what, in order.
std::vector<std::string>& CommandLog();

class CWindowTestApp : public CWinApp
{
public:
    CWindowTestApp() : CWinApp("Orvo Window Tests") {}
    BOOL m_bAppEnablesDisabled = FALSE;

protected:
    void OnTestApp() { CommandLog().push_back("app:app"); }
    void OnTestFrameFromApp() { CommandLog().push_back("app:frame"); }

    DECLARE_MESSAGE_MAP()
};
