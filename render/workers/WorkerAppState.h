// WorkerAppState: what the worker threads read of the application's state before they report to
// a window: the mode (0 none, 1 browse, 2 view), the closing flag and the main window (the frame
// of the current mode: the drawing thread's progress goes there). The application's state record
// is one (CAppState derives from it) and hands itself to each worker it starts
// (CDrawCommonThread::SetAppState); start-up, the mode switch and shut-down write it, the workers
// only read it. A worker that was handed none reports nothing.
#pragma once

#include <windows.h>

#include <atomic>

struct WorkerAppState
{
    std::atomic<int> mode{0};
    std::atomic<bool> closing{false};
    std::atomic<HWND> mainWindow{nullptr};
};
