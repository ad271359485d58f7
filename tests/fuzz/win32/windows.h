// The few Windows types and functions the raster decoders and the metafile check name, for their
// native (Linux, clang) fuzzing build only: the decoders touch no system function while they
// decode, so the device functions here only fail (Win32Stand.cpp). Never part of the Windows build.
#pragma once

#include <cstdint>
#include <cstring>

using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using LONG = int32_t;
using ULONG = uint32_t;
using UINT = unsigned int;
using INT = int;
using BOOL = int;
using COLORREF = DWORD;
using LONG_PTR = intptr_t;
using LPVOID = void*;
using LPCSTR = const char*;
using LPSTR = char*;
#define TRUE 1
#define FALSE 0
#define MAX_PATH 260
#define WINAPI

struct HDC__;
struct HBITMAP__;
struct HPALETTE__;
struct HGDIOBJ__;
using HDC = HDC__*;
using HBITMAP = HBITMAP__*;
using HPALETTE = HPALETTE__*;
using HGDIOBJ = void*;
using HANDLE = void*;

struct RGBQUAD
{
    BYTE rgbBlue, rgbGreen, rgbRed, rgbReserved;
};
struct RGBTRIPLE
{
    BYTE rgbtBlue, rgbtGreen, rgbtRed;
};
struct RECT
{
    LONG left, top, right, bottom;
};
struct POINT
{
    LONG x, y;
};
struct SIZE
{
    LONG cx, cy;
};
#pragma pack(push, 2)
struct BITMAPFILEHEADER
{
    WORD bfType;
    DWORD bfSize;
    WORD bfReserved1, bfReserved2;
    DWORD bfOffBits;
};
#pragma pack(pop)
struct BITMAPINFOHEADER
{
    DWORD biSize;
    LONG biWidth, biHeight;
    WORD biPlanes, biBitCount;
    DWORD biCompression, biSizeImage;
    LONG biXPelsPerMeter, biYPelsPerMeter;
    DWORD biClrUsed, biClrImportant;
};
struct BITMAPCOREHEADER
{
    DWORD bcSize;
    WORD bcWidth, bcHeight, bcPlanes, bcBitCount;
};
struct BITMAPINFO
{
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
};
struct BITMAP
{
    LONG bmType, bmWidth, bmHeight, bmWidthBytes;
    WORD bmPlanes, bmBitsPixel;
    void* bmBits;
};
struct PALETTEENTRY
{
    BYTE peRed, peGreen, peBlue, peFlags;
};
struct LOGPALETTE
{
    WORD palVersion, palNumEntries;
    PALETTEENTRY palPalEntry[1];
};

#define BI_RGB 0L
#define BI_RLE8 1L
#define BI_RLE4 2L
#define BI_BITFIELDS 3L
#define BI_JPEG 4L
#define BI_PNG 5L
#define DIB_RGB_COLORS 0
#define SRCCOPY 0x00CC0020
#define COLORONCOLOR 3
#define HALFTONE 4
#define MOVEFILE_REPLACE_EXISTING 1
#define CBM_INIT 4

// The metafile check's record types, brush styles and text options.
#define BS_DIBPATTERN 5
#define BS_DIBPATTERN8X8 8
#define BS_DIBPATTERNPT 6
#define BS_PATTERN 3
#define EMR_ALPHABLEND 114
#define EMR_BITBLT 76
#define EMR_CREATEBRUSHINDIRECT 39
#define EMR_CREATECOLORSPACE 99
#define EMR_CREATEDIBPATTERNBRUSHPT 94
#define EMR_CREATEMONOBRUSH 93
#define EMR_CREATEPALETTE 49
#define EMR_CREATEPEN 38
#define EMR_DELETECOLORSPACE 101
#define EMR_DELETEOBJECT 40
#define EMR_EOF 14
#define EMR_EXTCREATEFONTINDIRECTW 82
#define EMR_EXTCREATEPEN 95
#define EMR_EXTSELECTCLIPRGN 75
#define EMR_EXTTEXTOUTA 83
#define EMR_EXTTEXTOUTW 84
#define EMR_FILLRGN 71
#define EMR_FRAMERGN 72
#define EMR_GDICOMMENT 70
#define EMR_GRADIENTFILL 118
#define EMR_HEADER 1
#define EMR_INVERTRGN 73
#define EMR_MASKBLT 78
#define EMR_PAINTRGN 74
#define EMR_PLGBLT 79
#define EMR_POLYBEZIER 2
#define EMR_POLYBEZIER16 85
#define EMR_POLYBEZIERTO 5
#define EMR_POLYBEZIERTO16 88
#define EMR_POLYDRAW 56
#define EMR_POLYDRAW16 92
#define EMR_POLYGON 3
#define EMR_POLYGON16 86
#define EMR_POLYLINE 4
#define EMR_POLYLINE16 87
#define EMR_POLYLINETO 6
#define EMR_POLYLINETO16 89
#define EMR_POLYPOLYGON 8
#define EMR_POLYPOLYGON16 91
#define EMR_POLYPOLYLINE 7
#define EMR_POLYPOLYLINE16 90
#define EMR_POLYTEXTOUTA 96
#define EMR_POLYTEXTOUTW 97
#define EMR_RESIZEPALETTE 51
#define EMR_RESTOREDC 34
#define EMR_SELECTOBJECT 37
#define EMR_SELECTPALETTE 48
#define EMR_SETCOLORSPACE 100
#define EMR_SETDIBITSTODEVICE 80
#define EMR_SETPALETTEENTRIES 50
#define EMR_STRETCHBLT 77
#define EMR_STRETCHDIBITS 81
#define EMR_TRANSPARENTBLT 116
#define ETO_CLIPPED 0x0004
#define ETO_OPAQUE 0x0002
#define GRADIENT_FILL_TRIANGLE 0x00000002

struct RECTL
{
    LONG left, top, right, bottom;
};
struct SIZEL
{
    LONG cx, cy;
};
struct ENHMETAHEADER
{
    DWORD iType, nSize;
    RECTL rclBounds, rclFrame;
    DWORD dSignature, nVersion, nBytes, nRecords;
    WORD nHandles, sReserved;
    DWORD nDescription, offDescription, nPalEntries;
    SIZEL szlDevice, szlMillimeters;
    DWORD cbPixelFormat, offPixelFormat, bOpenGL;
    SIZEL szlMicrometers;
};

#define RGB(r, g, b) ((COLORREF)(((BYTE)(r) | ((WORD)((BYTE)(g)) << 8)) | (((DWORD)(BYTE)(b)) << 16)))
#define GetRValue(c) ((BYTE)(c))
#define GetGValue(c) ((BYTE)(((WORD)(c)) >> 8))
#define GetBValue(c) ((BYTE)((c) >> 16))

LPSTR lstrcpynA(LPSTR to, LPCSTR from, int count);
HDC CreateCompatibleDC(HDC dc);
HBITMAP CreateDIBitmap(HDC dc, const BITMAPINFOHEADER* header, DWORD init, const void* bits,
                       const BITMAPINFO* info, UINT usage);
BOOL SetBrushOrgEx(HDC dc, int x, int y, POINT* previous);
BOOL DeleteDC(HDC dc);
HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD offset);
int GetObjectA(HANDLE object, int size, void* out);
HDC GetDC(void* window);
int ReleaseDC(void* window, HDC dc);
HPALETTE SelectPalette(HDC dc, HPALETTE palette, BOOL background);
UINT RealizePalette(HDC dc);
int GetDIBits(HDC dc, HBITMAP bitmap, UINT start, UINT lines, void* bits, BITMAPINFO* info, UINT usage);
int SetStretchBltMode(HDC dc, int mode);
int StretchDIBits(HDC dc, int x, int y, int width, int height, int sx, int sy, int sw, int sh,
                  const void* bits, const BITMAPINFO* info, UINT usage, DWORD rop);
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
BOOL DeleteObject(HGDIOBJ object);
UINT GetTempFileNameA(LPCSTR folder, LPCSTR prefix, UINT unique, LPSTR name);
BOOL MoveFileExA(LPCSTR from, LPCSTR to, DWORD flags);
BOOL DeleteFileA(LPCSTR name);
