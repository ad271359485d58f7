// What the worker threads read of the application's state record (g_appState) before they report
// to a window: the mode (0 none, 1 browse, 2 view), the closing flag and the main window. A view
// onto the record, not a copy: start-up, the mode switch and shut-down write the record itself.
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
