// CDrawingPreview: a drawing file's stored preview picture as the engine hands it over (a BMP
// file image), drawn scaled into a device context in one step from those bytes. A plain picture
// (uncompressed, rows bottom-up, 1 to 24 bits) goes to the device as it lies; any other the
// raster image class decodes first.
#pragma once

#include "imaging/CRasterImage.h"

#include <windows.h>

#include <memory>

class CDrawingPreview
{
public:
    CDrawingPreview() = default;
    ~CDrawingPreview();
    CDrawingPreview(const CDrawingPreview&) = delete;
    CDrawingPreview& operator=(const CDrawingPreview&) = delete;

    // The file's stored preview; false when it has none or the picture cannot be read. A failed
    // read leaves no picture.
    bool Read(const char* path);
    // The same from a BMP file image in memory (copied).
    bool ReadBmp(const BYTE* bytes, DWORD size);
    bool IsValid() const { return m_width > 0 && m_height > 0; }
    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }
    // The whole picture into (x, y, width, height) of dc, in the dc's own stretch mode.
    bool Draw(HDC dc, int x, int y, int width, int height) const;
    // The BMP file image (the engine's bytes or the copy) and its size.
    const BYTE* GetBytes() const { return m_bytes; }
    DWORD GetSize() const { return m_size; }

private:
    void Release();
    bool Take();
    bool TakePlain();

    BYTE* m_bytes = nullptr;
    DWORD m_size = 0;
    bool m_engineBytes = false; // handed back to the engine to free, else ours (new[])
    const BITMAPINFO* m_info = nullptr; // within m_bytes, for a plain picture
    const BYTE* m_bits = nullptr;
    std::unique_ptr<CRasterImage> m_image; // any other picture, decoded
    int m_width = 0;
    int m_height = 0;
};
