#include "app/MainFrameWindow.h"

#include "res/resource.h"

bool MainFrameWindow::Create(HINSTANCE instance, int showCommand)
{
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &MainFrameWindow::WindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDR_MAINFRAME));
    wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); // IDC_ARROW
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
    wc.lpszClassName = ClassName();
    if (!RegisterClassExA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return false;

    char title[128] = {};
    if (!LoadStringA(instance, IDS_APP_TITLE, title, sizeof(title)))
        return false;
    m_hWnd = CreateWindowExA(0, ClassName(), title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                             CW_USEDEFAULT, 800, 600, nullptr, nullptr, instance, nullptr);
    if (!m_hWnd)
        return false;
    ShowWindow(m_hWnd, showCommand);
    UpdateWindow(m_hWnd);
    return true;
}

LRESULT CALLBACK MainFrameWindow::WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hWnd, message, wParam, lParam);
}

int RunMessageLoop()
{
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}
