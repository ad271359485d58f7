// PreviewCell: the 24-bit picture a worker draws a stored preview's cell into, kept from job to
// job. Each cell used to be made and unmade through a packed DIB and two DIB sections, with the
// screen's device context fetched for each: under Wine each of those is a round trip to its
// server and a fresh mapping of memory, which the workers side by side waited on in turn. The BMP
// file image it hands over is byte for byte the one the packed-DIB way gives.
#pragma once

#include "framework/GdiScopes.h"

#include <windows.h>

class PreviewCell
{
public:
    PreviewCell() = default;
    ~PreviewCell();
    PreviewCell(const PreviewCell&) = delete;
    PreviewCell& operator=(const PreviewCell&) = delete;

    // A device context over a cleared (black) picture of width x height, in the state of a fresh
    // memory device; null when the size is not positive or the picture cannot be made.
    HDC Begin(int width, int height);
    // What was drawn since Begin as a BMP file image (malloc'ed, the caller's to free); null when
    // nothing was begun or the memory ran out.
    BYTE* End();

private:
    bool Make(int width, int height);
    void Unmake();

    HDC m_dc = nullptr;
    GdiObject<HBITMAP> m_bitmap;
    HGDIOBJ m_oldBitmap = nullptr;
    BYTE* m_bits = nullptr;
    int m_width = 0;
    int m_height = 0;
    int m_saved = 0; // the device's saved state while a picture is begun
};
