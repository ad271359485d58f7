#include "ui/RubberBand.h"

#include "framework/GdiScopes.h"

namespace {

class WindowDC
{
public:
    explicit WindowDC(HWND window) : m_window(window), m_dc(::GetDC(window)) {}
    ~WindowDC()
    {
        if (m_dc)
            ::ReleaseDC(m_window, m_dc);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC Get() const { return m_dc; }

private:
    HWND m_window;
    HDC m_dc;
};

} // namespace

void DrawRubberBand(HWND window, POINT from, POINT to)
{
    if (!window)
        return;
    WindowDC dc(window);
    if (!dc.Get())
        return;
    GdiObject<HPEN> pen(::CreatePen(PS_SOLID, 0, RGB(255, 255, 255)));
    SelectScope selected(dc.Get(), pen.Get());
    const int oldRop = ::SetROP2(dc.Get(), R2_XORPEN);
    const POINT edges[] = {from, {from.x, to.y}, to, {to.x, from.y}, from};
    ::Polyline(dc.Get(), edges, 5);
    ::SetROP2(dc.Get(), oldRop);
}
