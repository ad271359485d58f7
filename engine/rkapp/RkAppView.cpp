#include "engine/rkapp/RkAppView.h"

#include "engine/rkapp/RkAppDocument.h"
#include "engine/rkio/EngineState.h"

#include <cmath>

namespace RkApp {

CDrawing* View::Drawing() const
{
    return m_document.GetDrawing();
}

bool View::QueryState() const { return m_quick; }
void View::SetQuickMode(bool quick) { m_quick = quick; }

void View::SetSize(int width, int height)
{
    Drawing()->SetOutputSize(width, height);
}

void View::ApplyOptions() {}

bool View::Draw(HDC dc, int)
{
    CDrawing* drawing = Drawing();
    if (!dc || !drawing->IsValid())
        return false;
    const RECT all = {0, 0, drawing->OutputWidth(), drawing->OutputHeight()};
    HBRUSH background = CreateSolidBrush(RkIo::EngineState::Instance().Background());
    FillRect(dc, &all, background);
    DeleteObject(background);
    m_document.BreakFlag().store(false);
    try {
        return drawing->Render(dc, &m_document.BreakFlag());
    } catch (...) {
        return false;
    }
}

void View::HighlightAt(HDC dc, int, int x, int y)
{
    Drawing()->HighlightAt(dc, x, y);
}

void View::HighlightUpdate(HDC dc, int x, int y)
{
    Drawing()->HighlightUpdate(dc, x, y);
}

bool View::HasHighlight() const
{
    return Drawing()->HasHighlight();
}
void View::Refresh() {}

void View::StopLoading()
{
    m_document.Break();
}

void View::ZoomOutAt(int x, int y, int steps)
{
    Drawing()->ZoomAt(x, y, std::pow(0.5, steps > 0 ? steps : 1));
}

void View::ZoomOut(int steps)
{
    Drawing()->ZoomAt(Drawing()->OutputWidth() / 2, Drawing()->OutputHeight() / 2,
                      std::pow(0.5, steps > 0 ? steps : 1));
}

void View::ZoomInAt(int x, int y, int steps)
{
    Drawing()->ZoomAt(x, y, std::pow(2.0, steps > 0 ? steps : 1));
}

void View::ZoomIn(int steps)
{
    Drawing()->ZoomAt(Drawing()->OutputWidth() / 2, Drawing()->OutputHeight() / 2,
                      std::pow(2.0, steps > 0 ? steps : 1));
}

void View::ZoomWindow(int x1, int y1, int x2, int y2)
{
    Drawing()->ZoomWindow(x1, y1, x2, y2);
}

void View::SetView(int x, int y, double factor)
{
    Drawing()->SetView(x, y, factor);
}

void View::FitOpeningView()
{
    Drawing()->FitOpeningView(0.98);
}

void View::Pan(int x1, int y1, int x2, int y2)
{
    Drawing()->Pan(x1, y1, x2, y2);
}

int View::GetColorMode() const { return Drawing()->GetColorMode(); }
void View::SetColorMode(int mode) { Drawing()->SetColorMode(mode); }
bool View::CanHighlight() const
{
    return Drawing()->IsValid() && !Drawing()->HasPreviewOnly();
}

} // namespace RkApp
