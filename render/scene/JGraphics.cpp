#include "render/scene/JGraphics.h"

#include "kit/KCanvas.h"

void JGraphics::Clear()
{
    m_image.FreeImages();
    m_extentsValid = false;
    if (m_history)
        m_history->RemoveAll();
    if (m_canvas)
        m_canvas->SetViewPort(nullptr);
}

void JGraphics::ComputeExtents(bool force)
{
    if (m_extentsValid && !force)
        return;
    float box[4] = {0.0f, 0.0f, 1.0f, 1.0f}; // min x, min y, max x, max y
    bool empty = true;
    m_image.GetExtents(box, empty);
    if (!m_image.HasImage()) {
        box[0] = 0.0f;
        box[1] = 0.0f;
        box[2] = 1.0f;
        box[3] = 1.0f;
    }
    m_extents[0] = box[0];
    m_extents[1] = box[3];
    m_extents[2] = box[2];
    m_extents[3] = box[1];
    m_extentsValid = true;
}

POINT JGraphics::CanvasCentre() const
{
    POINT centre = {0, 0};
    if (m_canvas) {
        centre.x = static_cast<LONG>(m_canvas->GetWidth() * 0.5);
        centre.y = static_cast<LONG>(m_canvas->GetHeight() * 0.5);
    }
    return centre;
}

void JGraphics::ClearViewHistory()
{
    if (!m_history)
        return;
    // The canvas must not keep drawing through a view that is gone.
    if (m_canvas)
        m_canvas->SetViewPort(nullptr);
    m_history->RemoveAll();
}

KViewPort* JGraphics::PushView()
{
    if (!m_history)
        return nullptr;
    const bool wasEmpty = m_history->GetCount() == 0;
    KViewPort* view = m_history->PushView(true);
    if (!view)
        return nullptr;
    if (m_canvas)
        m_canvas->SetViewPort(view);
    if (wasEmpty && m_canvas) {
        ComputeExtents(false);
        view->FitRect(m_canvas->GetWidth(), m_canvas->GetHeight(), m_extents);
    }
    return view;
}

void JGraphics::ZoomFit()
{
    ComputeExtents(false);
    KViewPort* view = TopView() ? TopView() : PushView();
    if (view && m_canvas)
        view->FitRect(m_canvas->GetWidth(), m_canvas->GetHeight(), m_extents);
}

void JGraphics::ZoomExtents()
{
    ComputeExtents(false);
    KViewPort* view = TopView() ? TopView() : PushView();
    if (view && m_canvas)
        view->FitExtents(m_canvas->GetWidth(), m_canvas->GetHeight(), m_extents);
    Redraw(false);
}

void JGraphics::ZoomActualSize()
{
    KViewPort* view = PushView();
    if (!view)
        return;
    ComputeExtents(false);
    view->SetScale(1.0f);
    const float x = view->GetOriginX();
    const float y = view->GetOriginY();
    const bool inside = m_extents[0] <= x && x <= m_extents[2] && m_extents[3] <= y && y <= m_extents[1];
    if (!inside)
        view->SetOrigin(m_extents[0], m_extents[1]);
    Redraw(false);
}

void JGraphics::ZoomStepAt(const POINT& p, float step)
{
    KViewPort* view = PushView();
    if (!view)
        return;
    // A refused zoom leaves the view as it was, and no extra step in the history.
    if (!view->ZoomAt(p, view->GetScale() * step) && m_history->GetCount() > 1) {
        m_history->PopView();
        if (m_canvas)
            m_canvas->SetViewPort(TopView());
    }
    Redraw(false);
}

void JGraphics::PanByPixels(int32_t dx, int32_t dy, bool newStep)
{
    KViewPort* view = newStep || !TopView() ? PushView() : TopView();
    if (!view)
        return;
    view->SetOrigin(view->GetOriginX() + static_cast<float>(dx / static_cast<double>(view->GetScale())),
                    view->GetOriginY() + static_cast<float>(dy / static_cast<double>(view->GetScale())));
    Redraw(false);
}

void JGraphics::ZoomWindow(const RECT& rect)
{
    KViewPort* view = PushView();
    if (!view || !m_canvas)
        return;
    const LONG left = rect.left < rect.right ? rect.left : rect.right;
    const LONG right = rect.left < rect.right ? rect.right : rect.left;
    const LONG top = rect.top < rect.bottom ? rect.top : rect.bottom;
    const LONG bottom = rect.top < rect.bottom ? rect.bottom : rect.top;
    const float box[4] = {view->DeviceToWorldX(left), view->DeviceToWorldY(top),
                          view->DeviceToWorldX(right), view->DeviceToWorldY(bottom)};
    view->FitRect(m_canvas->GetWidth(), m_canvas->GetHeight(), box);
    Redraw(false);
}

void JGraphics::ResizeCanvas(int32_t width, int32_t height)
{
    if (m_canvas && m_canvas->SetSize(width, height))
        Redraw(false);
}

void JGraphics::ResizeCanvasKeepZoom(int32_t width, int32_t height, bool keepScale, bool redraw)
{
    if (!m_canvas)
        return;
    const int32_t oldWidth = m_canvas->GetWidth();
    if (!m_canvas->SetSize(width, height))
        return;
    KViewPort* view = TopView();
    if (keepScale && view && oldWidth > 0)
        view->SetScale(static_cast<float>(static_cast<double>(width) / oldWidth * view->GetScale()));
    if (redraw)
        Redraw(false);
}

void JGraphics::ApplyCurrentView()
{
    if (m_history && m_history->GetCount() > 1) {
        m_history->PopView();
        if (m_canvas)
            m_canvas->SetViewPort(TopView());
    } else if (m_canvas) {
        m_canvas->SetViewPort(nullptr);
    }
    Redraw(false);
}

float JGraphics::GetZoomScale() const
{
    const KViewPort* view = TopView();
    return view ? view->GetScale() : 0.0f;
}

void JGraphics::DrawToCanvas(KCanvas* canvas, int32_t width, int32_t height)
{
    if (!canvas || !m_history)
        return;
    KCanvas* const saved = m_canvas;
    m_canvas = canvas;
    canvas->SetSize(width, height);
    const bool hadViews = m_history->GetCount() > 0;
    if (PushView())
        ZoomFit();
    Redraw(false);
    if (hadViews)
        m_history->PopView();
    else
        m_history->RemoveAll();
    canvas->SetViewPort(nullptr);
    m_canvas = saved;
    if (m_canvas)
        m_canvas->SetViewPort(TopView());
}

void JGraphics::ApplyColors()
{
    if (m_colorModeWanted != m_colorModeApplied)
        m_colorModeApplied = m_colorModeWanted;
    if (m_backgroundWanted != m_backgroundApplied)
        m_backgroundApplied = m_backgroundWanted;
}

bool JGraphics::Redraw(bool keepBackground)
{
    if (!m_visible || !m_canvas || !m_history)
        return true;
    if (m_canvas->GetWidth() < 1 || m_canvas->GetHeight() < 1)
        return false;
    if (m_history->GetCount() == 0 && !PushView())
        return false;
    m_canvas->SetViewPort(TopView());
    ApplyColors();
    if (m_canvas->BeginDraw(m_backgroundApplied, !keepBackground) != 0)
        return false;
    const DWORD start = GetTickCount();
    m_image.Draw(*m_canvas, false, 0, 0, true, m_imageFlag, m_backgroundApplied);
    m_canvas->EndDraw();
    m_lastDrawTime = GetTickCount() - start;
    return true;
}
