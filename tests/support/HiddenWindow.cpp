#include "tests/support/HiddenWindow.h"

namespace orvo::test {

namespace {

const char kClassName[] = "OrvoTestHiddenWindow";

} // namespace

HiddenWindow::HiddenWindow(Handler handler) : m_handler(std::move(handler))
{
    static const bool registered = [] {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = &HiddenWindow::Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = kClassName;
        return RegisterClassA(&wc) != 0;
    }();
    static_cast<void>(registered);
    m_hwnd = CreateWindowA(kClassName, "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                           GetModuleHandleA(nullptr), this);
}

HiddenWindow::~HiddenWindow()
{
    Destroy();
}

void HiddenWindow::Destroy()
{
    if (m_hwnd)
        DestroyWindow(m_hwnd);
    m_hwnd = nullptr;
}

LRESULT CALLBACK HiddenWindow::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    const auto* self = reinterpret_cast<const HiddenWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    // No exception may cross the window procedure.
    if (self && message >= WM_APP && self->m_handler) {
        try {
            self->m_handler(message, wParam, lParam);
        } catch (...) {
        }
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

} // namespace orvo::test
