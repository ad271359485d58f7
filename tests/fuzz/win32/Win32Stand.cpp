// The device and file functions of tests/fuzz/win32/windows.h for the native fuzzing build: the
// decoders never reach them; each fails as the system does when it has no device.
#include <windows.h>

#include <algorithm>

LPSTR lstrcpynA(LPSTR to, LPCSTR from, int count)
{
    if (!to || count <= 0)
        return to;
    const size_t n = std::min(std::strlen(from ? from : ""), size_t(count - 1));
    std::memcpy(to, from ? from : "", n);
    to[n] = 0;
    return to;
}

HDC CreateCompatibleDC(HDC) { return nullptr; }
HBITMAP CreateDIBitmap(HDC, const BITMAPINFOHEADER*, DWORD, const void*, const BITMAPINFO*, UINT) { return nullptr; }
BOOL SetBrushOrgEx(HDC, int, int, POINT*) { return FALSE; }
BOOL DeleteDC(HDC) { return FALSE; }
HBITMAP CreateDIBSection(HDC, const BITMAPINFO*, UINT, void** bits, HANDLE, DWORD)
{
    if (bits)
        *bits = nullptr;
    return nullptr;
}
int GetObjectA(HANDLE, int, void*) { return 0; }
HDC GetDC(void*) { return nullptr; }
int ReleaseDC(void*, HDC) { return 0; }
HPALETTE SelectPalette(HDC, HPALETTE, BOOL) { return nullptr; }
UINT RealizePalette(HDC) { return 0; }
int GetDIBits(HDC, HBITMAP, UINT, UINT, void*, BITMAPINFO*, UINT) { return 0; }
int SetStretchBltMode(HDC, int) { return 0; }
int StretchDIBits(HDC, int, int, int, int, int, int, int, int, const void*, const BITMAPINFO*, UINT, DWORD) { return 0; }
HGDIOBJ SelectObject(HDC, HGDIOBJ) { return nullptr; }
BOOL DeleteObject(HGDIOBJ) { return FALSE; }
UINT GetTempFileNameA(LPCSTR, LPCSTR, UINT, LPSTR) { return 0; }
BOOL MoveFileExA(LPCSTR, LPCSTR, DWORD) { return FALSE; }
BOOL DeleteFileA(LPCSTR) { return FALSE; }
