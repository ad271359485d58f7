#include "engine/rkio/DirectCanvas.h"

#include <cstdint>
#include <memory>
#include <type_traits>
#include <vector>

namespace RkDraw {

namespace {

bool PlainDeviceUnits(HDC dc)
{
    POINT viewport{}, window{};
    XFORM x{};
    if (GetMapMode(dc) != MM_TEXT || GetROP2(dc) != R2_COPYPEN || !GetViewportOrgEx(dc, &viewport) ||
        !GetWindowOrgEx(dc, &window) || viewport.x || viewport.y || window.x || window.y)
        return false;
    if (GetGraphicsMode(dc) != GM_ADVANCED)
        return true;
    return GetWorldTransform(dc, &x) && x.eM11 == 1.0f && x.eM12 == 0.0f && x.eM21 == 0.0f &&
           x.eM22 == 1.0f && x.eDx == 0.0f && x.eDy == 0.0f;
}

struct RegionDeleter
{
    void operator()(HRGN r) const { DeleteObject(r); }
};

// The clip as one rectangle (the whole picture when there is none); false for any other shape.
bool ClipRectangle(HDC dc, int width, int height, RECT& clip)
{
    clip = {0, 0, width, height};
    const std::unique_ptr<std::remove_pointer_t<HRGN>, RegionDeleter> region(CreateRectRgn(0, 0, 0, 0));
    if (!region || GetMetaRgn(dc, region.get()) != 0)
        return false;      // a meta region, or no answer: left to GDI
    const int clipped = GetClipRgn(dc, region.get());
    if (clipped < 0)
        return false;
    if (clipped == 0)
        return true;
    const DWORD size = GetRegionData(region.get(), 0, nullptr);
    std::vector<std::uint8_t> data(size);
    if (size < sizeof(RGNDATAHEADER) || GetRegionData(region.get(), size, reinterpret_cast<RGNDATA*>(data.data())) != size)
        return false;
    const auto* header = reinterpret_cast<const RGNDATAHEADER*>(data.data());
    if (header->nCount == 0) {
        clip = {0, 0, 0, 0};
        return true;
    }
    if (header->nCount != 1)
        return false;
    const RECT* rect = reinterpret_cast<const RECT*>(data.data() + header->dwSize);
    clip = *rect;
    return true;
}

// Which way the rows run: GetObject's header does not say everywhere (Wine gives a top-down
// picture a positive height), so one pixel inside the clip is written through GDI and looked for.
std::optional<bool> TopDown(HDC dc, std::uint8_t* bits, int stride, int height, int bytes, const RECT& clip)
{
    const int x = clip.left;
    for (int y = clip.top; y < clip.bottom && y < clip.top + 2; ++y) {
        std::uint8_t* down = bits + static_cast<std::ptrdiff_t>(y) * stride + x * bytes;
        std::uint8_t* up = bits + static_cast<std::ptrdiff_t>(height - 1 - y) * stride + x * bytes;
        if (down == up)
            continue;
        const COLORREF old = GetPixel(dc, x, y);
        if (old == CLR_INVALID)
            return std::nullopt;
        // Blue differs from what both candidates hold.
        std::uint8_t blue = 0;
        while (blue == down[0] || blue == up[0])
            ++blue;
        if (!SetPixelV(dc, x, y, RGB(0, 0, blue)))
            return std::nullopt;
        GdiFlush();
        const bool isDown = down[0] == blue, isUp = up[0] == blue;
        SetPixelV(dc, x, y, old);
        GdiFlush();
        if (isDown != isUp)
            return isDown;
        return std::nullopt;
    }
    return std::nullopt;
}

} // namespace

std::optional<PixelCanvas> DirectCanvas(HDC dc)
{
    if (!dc || GetObjectType(dc) != OBJ_MEMDC || !PlainDeviceUnits(dc))
        return std::nullopt;
    DIBSECTION dib{};
    HGDIOBJ bitmap = GetCurrentObject(dc, OBJ_BITMAP);
    if (!bitmap || GetObject(bitmap, sizeof dib, &dib) != sizeof dib || !dib.dsBm.bmBits ||
        dib.dsBmih.biCompression != BI_RGB || (dib.dsBm.bmBitsPixel != 24 && dib.dsBm.bmBitsPixel != 32))
        return std::nullopt;
    const int width = dib.dsBm.bmWidth, height = dib.dsBm.bmHeight, bytes = dib.dsBm.bmBitsPixel / 8;
    const int stride = dib.dsBm.bmWidthBytes;
    RECT clip{};
    if (width <= 0 || height <= 0 || !ClipRectangle(dc, width, height, clip))
        return std::nullopt;
    if (clip.left >= clip.right || clip.top >= clip.bottom) {
        PixelCanvas canvas(static_cast<std::uint8_t*>(dib.dsBm.bmBits), stride, width, height, bytes);
        canvas.SetClip(0, 0, 0, 0);
        return canvas;
    }
    auto* bits = static_cast<std::uint8_t*>(dib.dsBm.bmBits);
    const std::optional<bool> topDown = TopDown(dc, bits, stride, height, bytes, clip);
    if (!topDown)
        return std::nullopt;
    PixelCanvas canvas(*topDown ? bits : bits + static_cast<std::ptrdiff_t>(height - 1) * stride,
                       *topDown ? stride : -static_cast<std::ptrdiff_t>(stride), width, height, bytes);
    canvas.SetClip(clip.left, clip.top, clip.right, clip.bottom);
    return canvas;
}

} // namespace RkDraw
