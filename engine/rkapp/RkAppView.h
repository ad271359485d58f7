// RkApp::View: the view object of a document. It draws the document's drawing into a device
// context at its size and carries the interactive zoom and pan operations. Coordinates are device
// pixels with y upwards. Choices where callers leave the meaning open:
// - QueryState answers the quick mode (drawing with less detail while navigating).
// - Quick mode draws text and hatch patterns as usual; it is kept for the callers' sake.
// - Hover highlighting: HighlightAt (y upwards) and HighlightUpdate (y downwards, as the drawing
//   thread passes it) draw the entity within 4 pixels of the point again with a wide pen;
//   HasHighlight answers whether one is highlighted until the drawing's ClearHighlight.
// - Zoom factors: the int argument of the zoom operations is a step count, each a factor of 2.
#pragma once

#include <windows.h>

class CDrawing;

namespace RkApp {

class Document;

class View
{
public:
    explicit View(Document& document) : m_document(document) {}
    virtual ~View() = default;
    View(const View&) = delete;
    View& operator=(const View&) = delete;

    virtual bool QueryState() const;
    virtual void SetQuickMode(bool quick);
    virtual void SetSize(int width, int height);
    virtual void ApplyOptions();
    // Fills the background and renders the whole view; false when abandoned or nothing is open.
    virtual bool Draw(HDC dc, int);
    virtual void HighlightAt(HDC dc, int, int x, int y);
    virtual void HighlightUpdate(HDC dc, int x, int y);
    virtual bool HasHighlight() const;
    virtual void Refresh();
    virtual void StopLoading();
    virtual void ZoomOutAt(int x, int y, int steps);
    virtual void ZoomOut(int steps);
    virtual void ZoomInAt(int x, int y, int steps);
    virtual void ZoomIn(int steps);
    virtual void ZoomWindow(int x1, int y1, int x2, int y2);
    // (0, 0, 1.0) fits the whole drawing.
    virtual void SetView(int x, int y, double factor);
    // Fits the bulk of the drawing, as it opens (SetView's fit shows every object).
    virtual void FitOpeningView();
    virtual void Pan(int x1, int y1, int x2, int y2);
    virtual int GetColorMode() const;
    virtual void SetColorMode(int mode);
    virtual bool CanHighlight() const;

private:
    CDrawing* Drawing() const;

    Document& m_document;
    bool m_quick = true;
};

} // namespace RkApp
