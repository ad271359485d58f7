// CGDIDevice: the off-screen picture that background rendering lands on. A memory device context
// with a bottom-up DIB section selected into it, and a table of row pointers in top-down order so
// that code can reach the pixels directly while GDI draws into the same memory.
#pragma once

#include <windows.h>

#include <vector>

class CGDIDevice
{
public:
    CGDIDevice() = default;
    CGDIDevice(const CGDIDevice&) = delete;
    CGDIDevice& operator=(const CGDIDevice&) = delete;
    virtual ~CGDIDevice();

    // A new surface of the size; depth 3 gives 24 bits per pixel, any other value 32. False, with
    // the current surface kept, when the size equals the current one, either side is below 2, or
    // the new surface cannot be made.
    bool Create(int width, int height, int depth);
    // Makes this a 24-bit copy of the other device's picture; false (keeping this one) when the
    // other is empty or no surface can be made.
    bool CopyFrom(const CGDIDevice& other);
    // BitBlt of the whole picture to (0, 0) of the target.
    bool CopyTo(HDC target) const;
    // Blends the rectangle (both corners included) toward the fill colour at the opacity in
    // percent; with a frame its outer rows and columns take the frame colour instead.
    void BlendRect(int x1, int y1, int x2, int y2, COLORREF fill, int percent, bool frame,
                   COLORREF frameColor);
    // Makes a 2 x 2 device (when none exists) with a 16-pixel Tahoma selected, for measuring text.
    void InitTextFont();
    void DeleteFont();

    HDC GetDC() const { return m_hDC; }
    HBITMAP GetBitmap() const { return m_hBitmap; }
    int GetWidth() const { return m_nWidth; }
    int GetHeight() const { return m_nHeight; }
    int GetBytesPerPixel() const { return m_nBytesPerPixel; }
    const BITMAPINFOHEADER* GetHeader() const { return m_hDC ? &m_header : nullptr; }
    BYTE* GetBits() const { return m_pBits; }
    int GetRowSize() const { return m_nRowSize; }
    int GetImageSize() const { return m_nImageSize; }
    // Row i counted from the top; null outside the picture.
    BYTE* GetRow(int i) const;

private:
    struct Surface;
    static bool MakeSurface(int width, int height, int depth, Surface& surface);
    void Release();
    void Adopt(Surface& surface);

    HDC m_hDC = nullptr;
    HBITMAP m_hBitmap = nullptr;
    HGDIOBJ m_hOldBitmap = nullptr;
    HGDIOBJ m_hOldFont = nullptr;
    int m_nWidth = 0;
    int m_nHeight = 0;
    BITMAPINFOHEADER m_header = {};
    int m_nBytesPerPixel = 3;
    BYTE* m_pBits = nullptr;
    int m_nRowSize = 0;
    std::vector<BYTE*> m_rows;
    int m_nImageSize = 0;
};
