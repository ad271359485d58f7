// CDib: one device-independent bitmap as a packed DIB in a movable global block, with a GDI
// palette made from its colour table and a DIB section made from its pixels, so that it can be
// drawn, drawn into, converted, turned, written as a .bmp file or handed on as a BMP file image.
//
// The framework has no GDI wrapper classes yet, so the drawing operations take device-context
// handles and the palette is given out as an HPALETTE that stays the object's.
#pragma once

#include "framework/CObject.h"
#include "framework/GdiScopes.h"

#include <windows.h>

class CArchive;
class CFile;

class CDib : public CObject
{
    DECLARE_SERIAL(CDib)
public:
    CDib();
    ~CDib() override;

    // Each replaces the DIB only when the new one is complete; on failure the old one stays.
    BOOL Create(int width, int height, WORD bitCount);
    BOOL CreateFromBitmap(HBITMAP section);
    BOOL CreateFromPackedDib(const void* dib);
    // Takes the block over when it holds a sound packed DIB; on failure it stays the caller's.
    BOOL Attach(HGLOBAL dib);
    // A bitmap resource of the program ("BM" file image) by name or id and type.
    BOOL LoadResource(LPCSTR name, LPCSTR type = RT_RCDATA);
    BOOL ReadFile(CFile& file);
    // Writes a .bmp file; a file exception passes to the caller.
    BOOL WriteFile(CFile& file);
    // Writes the file through a temporary file beside it, so a failure keeps the old file.
    BOOL SaveFile(LPCSTR path);
    void Serialize(CArchive& ar) override;
    // A whole BMP file image in one malloc block that the caller frees; null without a 40-byte DIB.
    BYTE* GetBmpFileImage(DWORD* size = nullptr) const;

    int GetWidth() const;
    int GetHeight() const;
    WORD GetBitCount() const;
    BYTE* GetBits() const;
    HPALETTE GetPalette() const { return m_palette.Get(); }
    HBITMAP GetBitmap() const { return m_bitmap.Get(); }
    HGLOBAL GetHandle() const { return m_hDib; }
    // Dots per inch written into files (0 or less: not set).
    int GetResolution() const { return m_nResolution; }
    void SetResolution(int dpi) { m_nResolution = dpi; }

    BOOL Draw(HDC target, int x, int y, DWORD rop = SRCCOPY) const;
    BOOL StretchDraw(HDC target, int x, int y, int width, int height, int sourceX, int sourceY,
                     int sourceWidth, int sourceHeight, DWORD rop = SRCCOPY) const;
    // A memory device with the palette and the section selected, to draw on the picture; until
    // EndMemDC (which takes the drawing into the DIB) or BlitMemDC nothing may replace the DIB.
    HDC BeginMemDC(HDC reference = nullptr);
    void EndMemDC();
    BOOL BlitMemDC(HDC target, int x, int y, DWORD rop = SRCCOPY);
    void Fill(COLORREF color);

    BOOL ChangeBitCount(WORD bitCount);
    BOOL Quantize(WORD bitCount);
    BOOL RotateLeft();
    BOOL Rotate180();
    BOOL RotateRight();

private:
    // Builds palette and section from the new block first and swaps them in only on success; the
    // old block is freed then. On failure nothing changes and the block stays the caller's.
    BOOL Replace(HGLOBAL dib);
    BOOL Turn(int quarterTurns);
    void CloseMemDC(bool restorePalette);

    HGLOBAL m_hDib;
    GdiObject<HPALETTE> m_palette;
    GdiObject<HBITMAP> m_bitmap;
    HDC m_hMemDC;
    HGDIOBJ m_hOldBitmap;
    HPALETTE m_hOldPalette;
    int m_nResolution;
};
