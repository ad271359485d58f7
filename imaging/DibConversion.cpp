#include "imaging/DibConversion.h"

#include "framework/GdiScopes.h"
#include "imaging/OctreePalette.h"
#include "imaging/PackedDib.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

uint64_t RowBytes(uint64_t width, uint64_t bits)
{
    return (width * bits + 31) / 32 * 4;
}

// A logical palette with room for the entries.
struct LogicalPalette
{
    explicit LogicalPalette(WORD entries)
        : bytes(sizeof(LOGPALETTE) + entries * sizeof(PALETTEENTRY))
    {
        Get()->palVersion = 0x300;
        Get()->palNumEntries = entries;
    }
    LOGPALETTE* Get() { return reinterpret_cast<LOGPALETTE*>(bytes.data()); }
    PALETTEENTRY* Entries()
    {
        return reinterpret_cast<PALETTEENTRY*>(bytes.data() + offsetof(LOGPALETTE, palPalEntry));
    }
    std::vector<BYTE> bytes;
};

// Header and colour table of a DIB as a BITMAPINFO of the 40-byte form, for GDI calls.
std::vector<BYTE> InfoOf(const void* dib)
{
    const auto* h = static_cast<const BITMAPINFOHEADER*>(dib);
    if (h->biSize == sizeof(BITMAPCOREHEADER)) {
        const auto* c = static_cast<const BITMAPCOREHEADER*>(dib);
        const DWORD colors = c->bcBitCount <= 8 ? (1u << c->bcBitCount) : 0;
        std::vector<BYTE> info(sizeof(BITMAPINFOHEADER) + colors * sizeof(RGBQUAD));
        auto* header = reinterpret_cast<BITMAPINFOHEADER*>(info.data());
        header->biSize = sizeof(BITMAPINFOHEADER);
        header->biWidth = c->bcWidth;
        header->biHeight = c->bcHeight;
        header->biPlanes = 1;
        header->biBitCount = c->bcBitCount;
        const auto* triples = reinterpret_cast<const RGBTRIPLE*>(c + 1);
        auto* quads = reinterpret_cast<RGBQUAD*>(header + 1);
        for (DWORD i = 0; i < colors; ++i)
            quads[i] = RGBQUAD{triples[i].rgbtBlue, triples[i].rgbtGreen, triples[i].rgbtRed, 0};
        return info;
    }
    const size_t bytes = h->biSize + DibPaletteSize(dib);
    return std::vector<BYTE>(static_cast<const BYTE*>(dib), static_cast<const BYTE*>(dib) + bytes);
}

DWORD ColorCount(const void* dib)
{
    const auto* h = static_cast<const BITMAPINFOHEADER*>(dib);
    const WORD bits = DibBitCount(dib);
    if (h->biSize == sizeof(BITMAPINFOHEADER) && h->biClrUsed)
        return h->biClrUsed & 0xFFFF;
    return bits <= 8 ? (1u << bits) : 0;
}

} // namespace

HPALETTE CreateDibPalette(const BITMAPINFOHEADER* dib)
{
    if (!dib)
        return nullptr;
    const DWORD colors = ColorCount(dib);
    if (colors == 0 || colors > 256)
        return nullptr;
    LogicalPalette palette(static_cast<WORD>(colors));
    const bool core = static_cast<const BITMAPINFOHEADER*>(dib)->biSize == sizeof(BITMAPCOREHEADER);
    const BYTE* table = reinterpret_cast<const BYTE*>(dib) + dib->biSize;
    for (DWORD i = 0; i < colors; ++i) {
        const BYTE* entry = table + i * (core ? 3 : 4);
        palette.Entries()[i] = PALETTEENTRY{entry[2], entry[1], entry[0], 0};
    }
    return CreatePalette(palette.Get());
}

HPALETTE CreateDibPalette(HGLOBAL dib)
{
    GlobalLockScope lock(dib);
    return lock ? CreateDibPalette(lock.Get<BITMAPINFOHEADER>()) : nullptr;
}

HGLOBAL BitmapToDib(HBITMAP section)
{
    DIBSECTION ds = {};
    if (!section || GetObjectA(section, sizeof(ds), &ds) != sizeof(ds))
        return nullptr;
    const WORD bits = ds.dsBmih.biBitCount;
    DWORD colors = ds.dsBmih.biClrUsed;
    if (colors == 0 && bits <= 8)
        colors = 1u << bits;
    if (colors > 256)
        return nullptr;
    const uint64_t image = RowBytes(static_cast<uint32_t>(ds.dsBm.bmWidth), bits) *
                           static_cast<uint32_t>(ds.dsBm.bmHeight);
    const uint64_t total = sizeof(BITMAPINFOHEADER) + colors * sizeof(RGBQUAD) + image;
    if (total > 0x7FFFFFFF)
        return nullptr;
    GlobalBlock block(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, static_cast<SIZE_T>(total)));
    GlobalLockScope lock(block.Get());
    if (!lock)
        return nullptr;
    auto* h = lock.Get<BITMAPINFOHEADER>();
    h->biSize = sizeof(BITMAPINFOHEADER);
    h->biWidth = ds.dsBm.bmWidth;
    h->biHeight = ds.dsBm.bmHeight;
    h->biPlanes = 1;
    h->biBitCount = bits;
    h->biCompression = ds.dsBmih.biCompression == BI_BITFIELDS ? BI_RGB : ds.dsBmih.biCompression;
    h->biSizeImage = static_cast<DWORD>(image);
    h->biXPelsPerMeter = ds.dsBmih.biXPelsPerMeter;
    h->biYPelsPerMeter = ds.dsBmih.biYPelsPerMeter;
    h->biClrUsed = colors <= 256 && bits <= 8 ? colors : 0;
    h->biClrImportant = ds.dsBmih.biClrImportant;
    BYTE* target = lock.Get() + sizeof(BITMAPINFOHEADER) + h->biClrUsed * sizeof(RGBQUAD);
    // A bottom-up section of plain RGB pixels holds its bits as the DIB does: a copy, without
    // the screen's DC, which costs a trip to the window server under Wine.
    if (bits > 8 && ds.dsBmih.biCompression == BI_RGB && ds.dsBmih.biHeight > 0 && ds.dsBm.bmBits) {
        memcpy(target, ds.dsBm.bmBits, static_cast<size_t>(image));
        return block.Release();
    }
    std::vector<BYTE> info(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
    memcpy(info.data(), h, sizeof(*h));
    ScreenDC screen;
    if (!GetDIBits(screen.Get(), section, 0, static_cast<UINT>(ds.dsBm.bmHeight), target,
                   reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS))
        return nullptr;
    if (bits <= 8) {
        MemoryDC memory(screen.Get());
        SelectScope select(memory.Get(), section);
        GetDIBColorTable(memory.Get(), 0, h->biClrUsed,
                         reinterpret_cast<RGBQUAD*>(lock.Get() + sizeof(BITMAPINFOHEADER)));
    }
    return block.Release();
}

HBITMAP DibToDibSection(const BITMAPINFOHEADER* dib)
{
    if (!dib)
        return nullptr;
    std::vector<BYTE> info = InfoOf(dib);
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(info.data());
    // The colours are RGB values: the section needs no DC's palette, and the screen's DC would
    // cost a trip to the window server under Wine.
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(info.data()),
                                       DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!section || !bits) {
        if (section)
            DeleteObject(section);
        return nullptr;
    }
    const uint64_t image = RowBytes(static_cast<uint32_t>(header->biWidth),
                                    static_cast<uint64_t>(header->biBitCount) * header->biPlanes) *
                           static_cast<uint32_t>(header->biHeight);
    memcpy(bits, FindDibBits(dib), static_cast<size_t>(image));
    if (header->biBitCount <= 8) {
        MemoryDC memory(nullptr);
        SelectScope select(memory.Get(), section);
        const DWORD colors = header->biClrUsed ? header->biClrUsed : (1u << header->biBitCount);
        SetDIBColorTable(memory.Get(), 0, colors,
                         reinterpret_cast<const RGBQUAD*>(info.data() + sizeof(BITMAPINFOHEADER)));
    }
    GdiFlush();
    return section;
}

HBITMAP DibToDibSection(HGLOBAL dib)
{
    GlobalLockScope lock(dib);
    return lock ? DibToDibSection(lock.Get<BITMAPINFOHEADER>()) : nullptr;
}

namespace {

// The colour table of the new DIB by its depth (see ChangeDibFormat).
void FillTable(RGBQUAD* table, WORD bits, HPALETTE palette, const void* source)
{
    const DWORD entries = 1u << bits;
    std::vector<PALETTEENTRY> colors(entries);
    const WORD sourceBits = DibBitCount(source);
    GdiObject<HPALETTE> built;
    HPALETTE from = palette;
    if (bits == 1) {
        table[0] = RGBQUAD{0, 0, 0, 0};
        table[1] = RGBQUAD{255, 255, 255, 0};
        return;
    }
    if (!from && sourceBits == bits) {
        const std::vector<BYTE> info = InfoOf(source);
        const DWORD n = (info.size() - sizeof(BITMAPINFOHEADER)) / sizeof(RGBQUAD);
        memcpy(table, info.data() + sizeof(BITMAPINFOHEADER), std::min(n, entries) * sizeof(RGBQUAD));
        return;
    }
    if (!from && bits == 4) {
        // The default palette holds the 16 VGA colours as its first and last eight of 20 entries;
        // its first 16 would lose white and the bright colours.
        PALETTEENTRY system[20] = {};
        const UINT count = GetPaletteEntries(static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), 0,
                                             20, system);
        for (UINT i = 0; i < 16 && count == 20; ++i) {
            const PALETTEENTRY& e = system[i < 8 ? i : i + 4];
            table[i] = RGBQUAD{e.peBlue, e.peGreen, e.peRed, 0};
        }
        return;
    }
    if (!from) {
        built.Reset(CreateDibOctreePalette(source, 236, 8));
        if (!built) {
            ScreenDC screen;
            built.Reset(CreateHalftonePalette(screen.Get()));
        }
        from = built.Get();
    }
    const UINT got = GetPaletteEntries(from, 0, entries, colors.data());
    for (UINT i = 0; i < got && i < entries; ++i)
        table[i] = RGBQUAD{colors[i].peBlue, colors[i].peGreen, colors[i].peRed, colors[i].peFlags};
}

} // namespace

HGLOBAL ChangeDibFormat(HGLOBAL dib, WORD bitCount, HPALETTE palette)
{
    GlobalLockScope source(dib);
    if (!source || !DibIsSound(source.Get(), GlobalSize(dib)) ||
        !(bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 || bitCount == 24 ||
          bitCount == 32))
        return nullptr;
    const DWORD width = DibWidth(source.Get()), height = DibHeight(source.Get());
    const DWORD colors = bitCount <= 8 ? (1u << bitCount) : 0;
    std::vector<BYTE> info(sizeof(BITMAPINFOHEADER) + colors * sizeof(RGBQUAD));
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(info.data());
    header->biSize = sizeof(BITMAPINFOHEADER);
    header->biWidth = static_cast<LONG>(width);
    header->biHeight = static_cast<LONG>(height);
    header->biPlanes = 1;
    header->biBitCount = bitCount;
    if (colors)
        FillTable(reinterpret_cast<RGBQUAD*>(header + 1), bitCount, palette, source.Get());

    // GDI converts and matches the colours while copying between two sections.
    ScreenDC screen;
    void* newBits = nullptr;
    GdiObject<HBITMAP> target(CreateDIBSection(screen.Get(), reinterpret_cast<BITMAPINFO*>(info.data()),
                                               DIB_RGB_COLORS, &newBits, nullptr, 0));
    GdiObject<HBITMAP> from(DibToDibSection(source.Get<BITMAPINFOHEADER>()));
    if (!target || !newBits || !from)
        return nullptr;
    {
        MemoryDC fromDC(screen.Get()), toDC(screen.Get());
        SelectScope selectFrom(fromDC.Get(), from.Get());
        SelectScope selectTo(toDC.Get(), target.Get());
        if (!BitBlt(toDC.Get(), 0, 0, static_cast<int>(width), static_cast<int>(height), fromDC.Get(),
                    0, 0, SRCCOPY))
            return nullptr;
    }
    GdiFlush();
    const uint64_t image = RowBytes(width, bitCount) * height;
    header->biSizeImage = static_cast<DWORD>(image);
    GlobalBlock block(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT,
                                  static_cast<SIZE_T>(info.size() + image)));
    GlobalLockScope lock(block.Get());
    if (!lock)
        return nullptr;
    memcpy(lock.Get(), info.data(), info.size());
    memcpy(lock.Get() + info.size(), newBits, static_cast<size_t>(image));
    return block.Release();
}

HGLOBAL QuantizeDib(HGLOBAL dib, WORD bitCount, int colorCount)
{
    HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    GdiObject<HPALETTE> palette;
    {
        GlobalLockScope lock(dib);
        if (lock && DibIsSound(lock.Get(), GlobalSize(dib)))
            palette.Reset(CreateDibOctreePalette(lock.Get(), colorCount, bitCount));
    }
    HGLOBAL result = ChangeDibFormat(dib, bitCount, palette.Get());
    SetCursor(previous);
    return result;
}
