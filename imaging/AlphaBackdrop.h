// AlphaBackdrop: a picture with an alpha plane (PNG and TGA transparency) laid over a colour, for
// the displays that cannot blend: what is transparent shows the colour behind the picture, not the
// black its pixels hold.
#pragma once

#include <windows.h>

#include <vector>

class CRasterImage;

struct BackdropPicture
{
    BITMAPINFOHEADER header = {};
    std::vector<BYTE> bits; // 24-bit rows, bottom-up, padded to 4 bytes
};

// False (out untouched) when the image has no alpha plane.
bool LayOverBackdrop(const CRasterImage& image, COLORREF backdrop, BackdropPicture& out);
