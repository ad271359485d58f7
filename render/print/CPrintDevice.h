// CPrintDevice: the printer export device. The engine walks a drawing and calls these export
// callbacks; the device draws the geometry with GDI into the printer's device context, turned
// by the page rotation and placed at the page offset, with pens from the printing pen set and
// the colour mode of the print.
#pragma once

#include "engine/rkio/CDwgExport.h"

#include <windows.h>

#include <vector>

class CPrintDevice : public CDwgExport
{
public:
    CPrintDevice() = default;
    ~CPrintDevice() override;

    // Page placement, written by the print code before BeginExport.
    void SetOffset(double x, double y)
    {
        m_offsetX = x;
        m_offsetY = y;
    }
    // 0 none, 1 a quarter turn, 2 a half turn, 3 three quarters; other values count as 0.
    void SetRotation(int rotation) { m_rotation = rotation >= 0 && rotation <= 3 ? rotation : 0; }
    void SetDC(HDC dc) { m_dc = dc; }
    // The mapping a bitmap is placed in (the context's before the page mapping was set) and the
    // y offset added to every geometry point.
    void SetSavedMapping(int mapMode, int extentX, int extentY, int originX, int originY,
                         int yOffset);

    BOOL BeginExport(int, int, int, double extentX, double extentY, void* drawing) override;
    BOOL EndExport() override;
    void BeginClip(int count, const double* points) override;
    void EndClip() override;
    void Pixel(double x, double y, double z) override;
    void MoveTo(double x, double y, double z) override;
    void LineTo(double x, double y, double z) override;
    void Arc(double cx, double cy, double cz, double radius, double startAngle,
             double endAngle) override;
    void Polygon(int first, int last, const double* points) override;
    void PolyPolygon(const double* points, const int* counts, int polygons) override;
    void SetColor(COLORREF color, int pen) override;
    void SetLineWidth(double width) override;
    COLORREF PageColor() override { return RGB(255, 255, 255); }
    void DrawBitmap(double x, double y, int width, int height, int, int, int sourceWidth,
                    int sourceHeight, int, HBITMAP bitmap, int, int) override;

    // The page-unit point turned by the rotation and placed by the offsets (device units).
    POINT Transform(double x, double y) const;
    // The colour the device prints for colour in the current colour mode.
    COLORREF MapColor(COLORREF color) const;

private:
    // Turns a page-unit point by the rotation (no offsets).
    void Turn(double& x, double& y) const;
    // Selects the old pen and brush back and deletes the current ones.
    void ReleaseTools();
    // Creates and selects a solid pen of the current width and a brush in the current colour.
    void CreateTools();
    std::vector<POINT> TransformVertices(const double* points, int count) const;

    double m_extentX = 0.0;
    double m_extentY = 0.0;
    double m_offsetX = 0.0;
    double m_offsetY = 0.0;
    int m_rotation = 0;
    HDC m_dc = nullptr;
    // SaveDC levels of the open clips; 0 for a clip that was ignored (fewer than 3 points), so
    // that its EndClip restores nothing.
    std::vector<int> m_clipLevels;
    COLORREF m_color = 0;
    int m_penWidth = 0;
    HPEN m_pen = nullptr;
    HGDIOBJ m_oldPen = nullptr;
    HBRUSH m_brush = nullptr;
    HGDIOBJ m_oldBrush = nullptr;
    int m_savedMapMode = MM_TEXT;
    int m_savedExtentX = 1;
    int m_savedExtentY = 1;
    int m_savedOriginX = 0;
    int m_savedOriginY = 0;
    int m_yOffset = 0;
};
