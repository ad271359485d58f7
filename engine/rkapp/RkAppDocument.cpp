#include "engine/rkapp/RkAppDocument.h"

namespace RkApp {

Document* Document::create()
{
    return new Document();
}

void Document::release(Document* document)
{
    delete document;
}

Document::Document()
    : m_drawing(std::make_unique<CDrawing>(RkIo::Channel::Document)),
      m_view(std::make_unique<View>(*this))
{
}

Document::~Document() = default;

void Document::Close()
{
    m_drawing->Close();
}

CDrawing* Document::GetDrawing()
{
    return m_drawing.get();
}

View* Document::GetView()
{
    return m_view.get();
}

} // namespace RkApp

void* create()
{
    return RkApp::Document::create();
}

void release(void* document)
{
    RkApp::Document::release(static_cast<RkApp::Document*>(document));
}

int draw(void* document, CDrawing* drawing, HDC dc, int width, int height, int)
{
    if (!document || !drawing || !dc || width < 1 || height < 1 || !drawing->IsValid())
        return 0;
    auto* doc = static_cast<RkApp::Document*>(document);
    doc->BreakFlag().store(false);
    try {
        return drawing->RenderFitted(dc, width, height, &doc->BreakFlag()) ? 1 : 0;
    } catch (...) {
        return 0;       // nothing thrown crosses the engine's boundary
    }
}

void callBreak(void* document)
{
    if (document)
        static_cast<RkApp::Document*>(document)->Break();
}
