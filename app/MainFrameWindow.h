// The program's top-level window until the framework's frames take over: an empty frame with the
// application icon and title.
#pragma once

#include <windows.h>

class MainFrameWindow
{
public:
    MainFrameWindow() = default;
    MainFrameWindow(const MainFrameWindow&) = delete;
    MainFrameWindow& operator=(const MainFrameWindow&) = delete;

    bool Create(HINSTANCE instance, int showCommand);
    HWND GetSafeHwnd() const { return m_hWnd; }

    static const char* ClassName() { return "OrvoKestalFrame"; }

private:
    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_hWnd = nullptr;
};

// Runs the message loop until WM_QUIT and returns its exit code.
int RunMessageLoop();
