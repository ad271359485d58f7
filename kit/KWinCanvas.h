// KWinCanvas: the canvas over GDI: draws into an off-screen bitmap in its own memory context (or
// into a memory context lent by the caller) and presents it to a target device context.
#pragma once

#include "framework/GdiScopes.h"
#include "kit/KCanvas.h"

#include <memory>

class KWinCanvas : public KCanvas
{
public:
    KWinCanvas();
    ~KWinCanvas() override;

    bool Create() override;
    void SetDrawMode(int32_t mode) override;
    void SetPenColor(COLORREF color) override;
    void SetBrushColor(COLORREF color) override;
    void SetBackColor(COLORREF color) override;
    void SetPenWidth(int32_t width) override;
    void Clear(COLORREF color) override;
    void Present() override;
    int32_t BeginDraw(COLORREF background, bool clear) override;
    int32_t EndDraw() override;
    bool SetSize(int32_t width, int32_t height) override;
    void Line(const KType::RPoint2D& a, const KType::RPoint2D& b) override;
    void Line(const POINT& a, const POINT& b) override;
    void Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2) override;
    void FillRect(COLORREF color, const RECT* rect) override;
    void Marker(const KType::RPoint2D& p, int32_t half) override;
    void SetPixel(float x, float y, COLORREF color) override;
    void MoveTo(const KType::RPoint2D& p) override;
    void MoveTo(const POINT& p) override;
    void LineTo(const KType::RPoint2D& p) override;
    void LineTo(const POINT& p) override;
    void Poly(const float* points, uint32_t count, bool closed, bool filled) override;
    void Poly(const OBuffer<KType::RPoint2D>& points, bool closed, bool filled) override;
    void PolyPolygon(const OList<OBuffer<KType::RPoint2D>>& rings, uint32_t totalPoints) override;
    void DrawImage(const KType::RPoint2D& position, int32_t width, int32_t height, const void* bits,
                   const BITMAPINFO* info, bool framed, int32_t shadow, COLORREF frameColor,
                   bool fastStretch) override;
    void FillRectShadow(COLORREF color, const float box[4], int32_t shadow,
                        COLORREF shadowColor) override;
    void Rectangle(const float box[4], COLORREF color, bool filled) override;
    void XorRect(const POINT& a, const POINT& b) override;

    // Draws into the caller's memory context at the given size instead of the own bitmap, until
    // DetachDC.
    void AttachDC(HDC memoryDC, int32_t width, int32_t height);
    void DetachDC();
    // Copies the picture to target at the device offset.
    void BlitTo(HDC target);

    // The target that Present copies to and that new bitmaps are made compatible with (null: the
    // screen). Not owned.
    void SetTargetDC(HDC target) { m_target = target; }
    HDC GetMemoryDC() const { return m_drawDC; }
    COLORREF GetBackColor() const { return m_backColor; }
    bool NeedsPresent() const { return m_needsPresent; }

private:
    struct DCDeleter
    {
        void operator()(HDC__* dc) const;
    };

    bool EnsureBitmap();
    void ReleaseBitmap();
    void SelectOwn(HGDIOBJ made, GdiObject<HGDIOBJ>& own, HGDIOBJ& old);
    void SelectPen();
    void SelectBrush();
    void RestoreTools();
    void DrawShadowBands(const RECT& box, int32_t shadow, COLORREF color);
    void DrawFrame(const RECT& box, COLORREF color);
    void StretchVisible(const RECT& device, const RECT& imageDevice, const KType::RPoint2D& position,
                        int32_t height, const void* bits, const BITMAPINFO* info, bool fastStretch);

    LOGPEN m_pen;
    LOGBRUSH m_brush;
    COLORREF m_backColor = 0xDCDCDC;
    int32_t m_beginResult = 0;
    HDC m_target = nullptr; // not owned
    std::unique_ptr<HDC__, DCDeleter> m_ownDC;
    HDC m_drawDC = nullptr; // the own memory context or the attached one
    HGDIOBJ m_oldBitmap = nullptr;
    GdiObject<HGDIOBJ> m_bitmap;
    int32_t m_bitmapWidth = 0;
    int32_t m_bitmapHeight = 0;
    GdiObject<HGDIOBJ> m_ownPen;
    GdiObject<HGDIOBJ> m_ownBrush;
    HGDIOBJ m_oldPen = nullptr;
    HGDIOBJ m_oldBrush = nullptr;
    bool m_needsPresent = false;
};
