#include "render/WorkerAppState.h"

#include <atomic>

namespace {

std::atomic<int> g_mode{0};
std::atomic<bool> g_closing{false};
std::atomic<HWND> g_mainWindow{nullptr};

} // namespace

namespace WorkerAppState {

void SetMode(int mode)
{
    g_mode.store(mode);
}

int GetMode()
{
    return g_mode.load();
}

void SetClosing(bool closing)
{
    g_closing.store(closing);
}

bool IsClosing()
{
    return g_closing.load();
}

void SetMainWindow(HWND window)
{
    g_mainWindow.store(window);
}

HWND GetMainWindow()
{
    return g_mainWindow.load();
}

} // namespace WorkerAppState
