// CDwgExport: the export callback base class. The engine walks a drawing and calls these virtual
// operations; a printer device derives from it and overrides the geometry, colour, pen and clip
// operations. The slot order is fixed (callers' derived classes rely on it):
//   0 destructor, 1 SetExtendMode, 2 GetExtendMode, 3 BeginExport, 4 EndExport,
//   5 BeginEntityDraw, 6 EndEntityDraw, 7 TextParam, 8 BeginClip, 9 EndClip, 10 Raster,
//   11 SupportsRaster, 12 RasterEx, 13 Pixel, 14 MoveTo, 15 LineTo, 16 Arc, 17 SupportsArc,
//   18 Polygon, 19 PolyPolygon, 20 SupportsPolygon, 21 SupportTTF, 22 TextEx, 23 SetColor,
//   24 SetLineWidth, 25 SupportsFillMode, 26 FlushPage, 27 PageColor, 28 SupportLineWeight,
//   29 SupportsGradient, 30 SupportsClip, 31 ExportOriginalScaleRaster, 32 ShellCallback,
//   33 BeginLayer, 34 EndLayer, 35 Idle, 36 Hatch, 37 DrawBitmap.
// Coordinates are page units with y upwards; point arrays hold five doubles per vertex (x, y, z
// and two reserved). Operations a device does not override do nothing (or answer as noted).
#pragma once

#include <windows.h>

class CDwgExport
{
public:
    CDwgExport();
    virtual ~CDwgExport();
    CDwgExport(const CDwgExport&) = delete;
    CDwgExport& operator=(const CDwgExport&) = delete;

    virtual void SetExtendMode(int mode);
    virtual int GetExtendMode();
    virtual BOOL BeginExport(int, int, int, double extentX, double extentY, void* drawing);
    virtual BOOL EndExport();
    virtual void BeginEntityDraw(int entityType);
    virtual void EndEntityDraw();
    // Text: drawn by the base as outlines through Polygon/PolyPolygon (or MoveTo/LineTo), so a
    // device that only handles geometry prints text too. utf8 text, baseline origin in page units,
    // height, angle (radians), width factor, TrueType face.
    virtual void TextParam(const char* utf8, double x, double y, double height, double angle,
                           double widthFactor, const char* face);
    virtual void BeginClip(int count, const double* points);
    virtual void EndClip();
    virtual void Raster(double x, double y, double width, double height, HBITMAP bitmap);
    virtual BOOL SupportsRaster();
    virtual void RasterEx(int, int, int, int, int, int, int, int, int, int, int);
    virtual void Pixel(double x, double y, double z);
    virtual void MoveTo(double x, double y, double z);
    virtual void LineTo(double x, double y, double z);
    virtual void Arc(double cx, double cy, double cz, double radius, double startAngle,
                     double endAngle);
    virtual BOOL SupportsArc();
    virtual void Polygon(int first, int last, const double* points);
    virtual void PolyPolygon(const double* points, const int* counts, int polygons);
    virtual BOOL SupportsPolygon();
    virtual BOOL SupportTTF();
    virtual void TextEx(int, int, int, int, int, int, int, int, int, int, int, int, int, int);
    virtual void SetColor(COLORREF color, int pen);
    virtual void SetLineWidth(double width);
    virtual BOOL SupportsFillMode();
    virtual void FlushPage();
    virtual COLORREF PageColor();
    virtual BOOL SupportLineWeight();
    virtual BOOL SupportsGradient();
    virtual BOOL SupportsClip();
    virtual BOOL ExportOriginalScaleRaster();
    virtual void ShellCallback(int stage);
    virtual void BeginLayer(int, int, int);
    virtual void EndLayer(int, int);
    virtual void Idle();
    virtual BOOL Hatch(int, int, int, int, int, int, int, int, int);
    virtual void DrawBitmap(double x, double y, int width, int height, int, int, int sourceWidth,
                            int sourceHeight, int, HBITMAP bitmap, int, int);

    // Set to 1.0 by the print code (scale of page units).
    double m_scale = 1.0;
    // While set, Polygon and PolyPolygon draw nothing (the engine sets it for outline-only
    // output such as hidden-line previews).
    BYTE m_noFill = 0;
    // 0 colour, 1 grey, 2 black; written by the print code, applied by the device.
    short m_colorMode = 0;

private:
    int m_extendMode = 0;
};
