#include "imaging/BitmapDrawing.h"

#include "framework/GdiScopes.h"

BOOL DrawBitmapRect(HDC target, const RECT& destination, HBITMAP bitmap, const RECT& source,
                    HPALETTE palette, DWORD rop)
{
    MemoryDC memory(target);
    if (!memory.Get())
        return FALSE;
    PaletteScope memoryPalette(memory.Get(), palette, false);
    PaletteScope targetPalette(target, palette, true);
    SelectScope select(memory.Get(), bitmap);
    SetStretchBltMode(target, COLORONCOLOR);
    const int dw = destination.right - destination.left, dh = destination.bottom - destination.top;
    const int sw = source.right - source.left, sh = source.bottom - source.top;
    if (dw == sw && dh == sh)
        return BitBlt(target, destination.left, destination.top, dw, dh, memory.Get(), source.left,
                      source.top, rop);
    return StretchBlt(target, destination.left, destination.top, dw, dh, memory.Get(), source.left,
                      source.top, sw, sh, rop);
}

void DrawTransparentBitmap(HDC target, HBITMAP bitmap, int x, int y, COLORREF transparent)
{
    MemoryDC temp(target);
    SelectScope selectSource(temp.Get(), bitmap);
    SetMapMode(temp.Get(), GetMapMode(target));
    BITMAP record = {};
    GetObjectA(bitmap, sizeof(record), &record);
    POINT size = {record.bmWidth, record.bmHeight};
    DPtoLP(temp.Get(), &size, 1);
    const int w = size.x, h = size.y;

    MemoryDC back(target), object(target), work(target), save(target);
    GdiObject<HBITMAP> backMask(CreateBitmap(w, h, 1, 1, nullptr));
    GdiObject<HBITMAP> objectMask(CreateBitmap(w, h, 1, 1, nullptr));
    GdiObject<HBITMAP> workBitmap(CreateCompatibleBitmap(target, w, h));
    GdiObject<HBITMAP> saveBitmap(CreateCompatibleBitmap(target, w, h));
    {
        SelectScope b(back.Get(), backMask.Get()), o(object.Get(), objectMask.Get());
        SelectScope wk(work.Get(), workBitmap.Get()), s(save.Get(), saveBitmap.Get());
        SetMapMode(work.Get(), GetMapMode(target));
        BitBlt(save.Get(), 0, 0, w, h, temp.Get(), 0, 0, SRCCOPY);
        const COLORREF background = SetBkColor(temp.Get(), transparent);
        BitBlt(object.Get(), 0, 0, w, h, temp.Get(), 0, 0, SRCCOPY);
        SetBkColor(temp.Get(), background);
        BitBlt(back.Get(), 0, 0, w, h, object.Get(), 0, 0, NOTSRCCOPY);
        BitBlt(work.Get(), 0, 0, w, h, target, x, y, SRCCOPY);
        BitBlt(work.Get(), 0, 0, w, h, object.Get(), 0, 0, SRCAND);
        BitBlt(temp.Get(), 0, 0, w, h, back.Get(), 0, 0, SRCAND);
        BitBlt(work.Get(), 0, 0, w, h, temp.Get(), 0, 0, SRCPAINT);
        BitBlt(target, x, y, w, h, work.Get(), 0, 0, SRCCOPY);
        BitBlt(temp.Get(), 0, 0, w, h, save.Get(), 0, 0, SRCCOPY);
    }
}
