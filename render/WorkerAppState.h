// What the worker threads read of the application's state before they report to a window: the
// mode (0 none, 1 browse, 2 view), the closing flag and the main window. Start-up and shut-down
// write them; the workers read them from their own threads.
#pragma once

#include <windows.h>

namespace WorkerAppState {

void SetMode(int mode);
int GetMode();
void SetClosing(bool closing);
bool IsClosing();
// The frame of the current mode: the drawing thread's progress goes there.
void SetMainWindow(HWND window);
HWND GetMainWindow();

} // namespace WorkerAppState
