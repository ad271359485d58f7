// CellCanvas: one reused off-screen picture of a thumbnail cell: a memory device context with a
// bitmap of the cell's size selected, both released with the object.
#pragma once

#include <windows.h>

class CellCanvas
{
public:
    CellCanvas() = default;
    ~CellCanvas();
    CellCanvas(const CellCanvas&) = delete;
    CellCanvas& operator=(const CellCanvas&) = delete;

    // Makes the picture (again) when its size differs; false when it cannot be made.
    bool Prepare(HDC reference, int width, int height);
    HDC Dc() const { return m_dc; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }

private:
    void Release();

    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_oldBitmap = nullptr;
    int m_width = 0;
    int m_height = 0;
};
