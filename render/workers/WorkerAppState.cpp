#include "render/WorkerAppState.h"

#include "app/CAppState.h"

namespace WorkerAppState {

void SetMode(int mode)
{
    g_appState.mode.store(mode);
}

int GetMode()
{
    return g_appState.mode.load();
}

void SetClosing(bool closing)
{
    g_appState.closing.store(closing);
}

bool IsClosing()
{
    return g_appState.closing.load();
}

void SetMainWindow(HWND window)
{
    g_appState.mainWindow.store(window);
}

HWND GetMainWindow()
{
    return g_appState.GetMainWindowHandle();
}

} // namespace WorkerAppState
