#include "frames/view/CViewPrintView.h"

#include "app/CAppState.h"
#include "engine/rkio/CDrawing.h"
#include "frames/view/CDwgView.h"
#include "render/workers/TDwgDrawThread.h"

CViewPrintView::CViewPrintView(CWnd& frame, CDwgView& view, std::function<bool()> waitIdle)
    : m_frame(frame), m_view(view), m_waitIdle(std::move(waitIdle))
{
}

CDrawing* CViewPrintView::GetDrawing()
{
    if (!m_view.IsDrawingShown() || (m_waitIdle && !m_waitIdle()))
        return nullptr;
    const TDwgDrawThread* thread = g_appState.drawThread.get();
    if (!thread || !thread->IsDrawingValid())
        return nullptr;
    CDrawing* drawing = thread->GetDrawing();
    return drawing && drawing->IsValid() ? drawing : nullptr;
}

HWND CViewPrintView::GetOwner()
{
    return m_frame.GetSafeHwnd();
}

RECT CViewPrintView::GetViewClientRect()
{
    CRect client(0, 0, 0, 0);
    if (m_view.GetSafeHwnd())
        m_view.GetClientRect(&client);
    return client;
}

RECT CViewPrintView::GetPickedRect()
{
    return m_view.m_rcPick;
}

void CViewPrintView::SetPickedRect(const RECT& rect)
{
    m_view.m_rcPick = rect;
}

bool CViewPrintView::IsWindowPicked()
{
    return m_view.m_bPickDone;
}

void CViewPrintView::SetWindowPicked(bool picked)
{
    m_view.m_bPickDone = picked;
}

void CViewPrintView::SetPickWindowMode(bool on)
{
    m_view.SetPickWindowMode(on);
}

void CViewPrintView::Repaint()
{
    m_view.RepaintNow();
}

COLORREF CViewPrintView::GetBackground()
{
    return CDwgView::BackgroundColour();
}
