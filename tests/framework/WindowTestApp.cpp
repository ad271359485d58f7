#include "tests/framework/WindowTestApp.h"

#include "tests/framework/WindowTestRes.h"

std::vector<std::string>& CommandLog()
{
    static std::vector<std::string> log;
    return log;
}

BEGIN_MESSAGE_MAP(CWindowTestApp, CWinApp)
    ON_COMMAND(ID_TEST_APP, &CWindowTestApp::OnTestApp)
    ON_COMMAND(ID_TEST_FRAME, &CWindowTestApp::OnTestFrameFromApp)
END_MESSAGE_MAP()

// The one application object of the test program.
CWindowTestApp theTestApp;
