// RkApp::Document: a drawing document (one drawing object and its view object) and the C
// functions create/release/draw/callBreak of the thumbnail road. A document is used by one
// thread at a time; different documents on different threads at once. callBreak may be called
// from any thread: a draw in progress ends within a few milliseconds.
#pragma once

#include "engine/rkapp/RkAppView.h"
#include "engine/rkio/CDrawing.h"

#include <atomic>
#include <memory>

namespace RkApp {

class Document
{
public:
    static Document* create();
    static void release(Document* document);

    Document();
    virtual ~Document();
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    // Closes the open drawing; the drawing object stays (invalid until the next open).
    virtual void Close();
    virtual CDrawing* GetDrawing();
    virtual View* GetView();

    // Asks a draw in progress to end (any thread).
    void Break() { m_break.store(true); }
    // Cleared at the start of each draw.
    std::atomic<bool>& BreakFlag() { return m_break; }

private:
    std::unique_ptr<CDrawing> m_drawing;
    std::unique_ptr<View> m_view;
    std::atomic<bool> m_break{false};
};

} // namespace RkApp

// The thumbnail road's C functions. The handle is the document's address.
void* create();
void release(void* document);
// Renders drawing, fitted whole, into dc at width x height (the caller filled the background).
// 1 drawn, 0 abandoned or failed.
int draw(void* document, CDrawing* drawing, HDC dc, int width, int height, int);
void callBreak(void* document);
