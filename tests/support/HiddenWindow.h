// HiddenWindow: a hidden top-level window that hands every message of the application range
// (WM_APP and up) to a handler before the default procedure: the stand-in for the program's
// windows that the worker threads report to.
#pragma once

#include <windows.h>

#include <functional>

namespace orvo::test {

class HiddenWindow
{
public:
    using Handler = std::function<void(UINT message, WPARAM wParam, LPARAM lParam)>;

    explicit HiddenWindow(Handler handler);
    ~HiddenWindow();
    HiddenWindow(const HiddenWindow&) = delete;
    HiddenWindow& operator=(const HiddenWindow&) = delete;

    HWND Get() const { return m_hwnd; }
    void Destroy();

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    Handler m_handler;
    HWND m_hwnd = nullptr;
};

} // namespace orvo::test
