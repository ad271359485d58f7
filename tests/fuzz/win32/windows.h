// The few Windows types and functions the raster decoders name, for their native (Linux, clang)
// fuzzing build only: the decoders touch no system function while they decode, so the device
// functions here only fail (Win32Stand.cpp). Never part of the Windows build.
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
