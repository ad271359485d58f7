#include "imaging/PackedDib.h"

#include "framework/GdiScopes.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr uint64_t kMaxDibBytes = 0x7FFFFFFF;

bool IsCore(const void* dib)
{
    return static_cast<const BITMAPINFOHEADER*>(dib)->biSize == sizeof(BITMAPCOREHEADER);
}

uint64_t RowBytes(uint64_t width, uint64_t bits)
{
    return (width * bits + 31) / 32 * 4;
}

// Colour entries of the table (not counting masks).
uint64_t TableEntries(const void* dib)
{
    if (IsCore(dib)) {
        const WORD bits = static_cast<const BITMAPCOREHEADER*>(dib)->bcBitCount;
        return bits <= 8 ? (1u << bits) : 0;
    }
    const auto* h = static_cast<const BITMAPINFOHEADER*>(dib);
    if (h->biClrUsed)
        return h->biClrUsed;
    return h->biBitCount <= 8 ? (1u << h->biBitCount) : 0;
}

uint64_t TableBytes(const void* dib)
{
    if (IsCore(dib))
        return TableEntries(dib) * sizeof(RGBTRIPLE);
    const auto* h = static_cast<const BITMAPINFOHEADER*>(dib);
    const uint64_t masks = h->biCompression == BI_BITFIELDS ? 3 * sizeof(DWORD) : 0;
    return TableEntries(dib) * sizeof(RGBQUAD) + masks;
}

uint64_t ImageBytes(const void* dib)
{
    if (IsCore(dib)) {
        const auto* c = static_cast<const BITMAPCOREHEADER*>(dib);
        return RowBytes(c->bcWidth, static_cast<uint64_t>(c->bcBitCount) * c->bcPlanes) * c->bcHeight;
    }
    const auto* h = static_cast<const BITMAPINFOHEADER*>(dib);
    if (h->biCompression == BI_RLE8 || h->biCompression == BI_RLE4)
        return h->biSizeImage;
    const uint64_t height = h->biHeight < 0 ? 0 - static_cast<int64_t>(h->biHeight) : h->biHeight;
    return RowBytes(static_cast<uint32_t>(h->biWidth), static_cast<uint64_t>(h->biBitCount) *
                                                           h->biPlanes) * height;
}

bool SoundDepth(WORD bits)
{
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

} // namespace

void DibFree(HGLOBAL dib)
{
    if (dib)
        GlobalFree(dib);
}

DWORD DibWidth(const void* dib)
{
    if (IsCore(dib))
        return static_cast<const BITMAPCOREHEADER*>(dib)->bcWidth;
    return static_cast<DWORD>(static_cast<const BITMAPINFOHEADER*>(dib)->biWidth);
}

DWORD DibHeight(const void* dib)
{
    if (IsCore(dib))
        return static_cast<const BITMAPCOREHEADER*>(dib)->bcHeight;
    return static_cast<DWORD>(static_cast<const BITMAPINFOHEADER*>(dib)->biHeight);
}

WORD DibBitCount(const void* dib)
{
    if (IsCore(dib))
        return static_cast<const BITMAPCOREHEADER*>(dib)->bcBitCount;
    return static_cast<const BITMAPINFOHEADER*>(dib)->biBitCount;
}

WORD DibPaletteSize(const void* dib)
{
    const uint64_t bytes = TableBytes(dib);
    return static_cast<WORD>(bytes > 0xFFFF ? 0xFFFF : bytes);
}

bool DibIsSound(const void* dib, size_t size)
{
    if (!dib || size < sizeof(BITMAPCOREHEADER))
        return false;
    const DWORD headerSize = *static_cast<const DWORD*>(dib);
    if (headerSize == sizeof(BITMAPCOREHEADER)) {
        const auto* c = static_cast<const BITMAPCOREHEADER*>(dib);
        if (c->bcWidth == 0 || c->bcHeight == 0 || c->bcPlanes != 1 ||
            !(c->bcBitCount == 1 || c->bcBitCount == 4 || c->bcBitCount == 8 || c->bcBitCount == 24))
            return false;
    } else if (headerSize == sizeof(BITMAPINFOHEADER) && size >= sizeof(BITMAPINFOHEADER)) {
        const auto* h = static_cast<const BITMAPINFOHEADER*>(dib);
        if (h->biWidth <= 0 || h->biHeight <= 0 || h->biPlanes != 1 || !SoundDepth(h->biBitCount))
            return false;
        const uint64_t maxColors = h->biBitCount <= 8 ? (1u << h->biBitCount) : 256;
        if (h->biClrUsed > maxColors)
            return false;
        const bool rle = (h->biCompression == BI_RLE8 && h->biBitCount == 8) ||
                         (h->biCompression == BI_RLE4 && h->biBitCount == 4);
        const bool fields = h->biCompression == BI_BITFIELDS &&
                            (h->biBitCount == 16 || h->biBitCount == 32);
        if (h->biCompression != BI_RGB && !rle && !fields)
            return false;
        if (RowBytes(static_cast<uint32_t>(h->biWidth), h->biBitCount) *
                static_cast<uint64_t>(h->biHeight) > kMaxDibBytes)
            return false;
    } else {
        return false;
    }
    const uint64_t total = headerSize + TableBytes(dib) + ImageBytes(dib);
    return total <= size && total <= kMaxDibBytes;
}

bool DibHandleIsSound(HGLOBAL dib)
{
    GlobalLockScope lock(dib);
    return lock && DibIsSound(lock.Get(), GlobalSize(dib));
}

DWORD DibSize(const void* dib)
{
    if (!dib)
        return 0;
    const DWORD headerSize = *static_cast<const DWORD*>(dib);
    if (headerSize != sizeof(BITMAPCOREHEADER) && headerSize != sizeof(BITMAPINFOHEADER))
        return 0;
    uint64_t image = ImageBytes(dib);
    if (!IsCore(dib)) {
        const auto* h = static_cast<const BITMAPINFOHEADER*>(dib);
        if (h->biSizeImage != 0 && h->biCompression != BI_RGB && h->biCompression != BI_BITFIELDS)
            image = h->biSizeImage;
    }
    const uint64_t total = headerSize + TableBytes(dib) + image;
    return total > kMaxDibBytes ? 0 : static_cast<DWORD>(total);
}

BYTE* FindDibBits(void* dib)
{
    return static_cast<BYTE*>(dib) + *static_cast<const DWORD*>(dib) + TableBytes(dib);
}

const BYTE* FindDibBits(const void* dib)
{
    return static_cast<const BYTE*>(dib) + *static_cast<const DWORD*>(dib) + TableBytes(dib);
}

HGLOBAL CreateDib(int width, int height, int bitCount)
{
    if (width <= 0 || height <= 0 || bitCount > 32)
        return nullptr;
    // GDI stores 1, 4, 8, 24 and 32 bits; other counts round up to the next of them.
    const WORD bits = bitCount <= 1 ? 1 : bitCount <= 4 ? 4 : bitCount <= 8 ? 8 : bitCount <= 24 ? 24 : 32;
    const uint64_t table = bits <= 8 ? (1u << bits) * sizeof(RGBQUAD) : 0;
    const uint64_t image = RowBytes(static_cast<uint64_t>(width), bits) * static_cast<uint64_t>(height);
    const uint64_t total = sizeof(BITMAPINFOHEADER) + table + image;
    if (total > kMaxDibBytes)
        return nullptr;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, static_cast<SIZE_T>(total));
    GlobalLockScope lock(block);
    if (!lock) {
        DibFree(block);
        return nullptr;
    }
    auto* h = lock.Get<BITMAPINFOHEADER>();
    h->biSize = sizeof(BITMAPINFOHEADER);
    h->biWidth = width;
    h->biHeight = height;
    h->biPlanes = 1;
    h->biBitCount = bits;
    return block;
}

HGLOBAL CopyToDibHandle(const void* data, size_t size)
{
    if (!data || size == 0)
        return nullptr;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    GlobalLockScope lock(block);
    if (!lock) {
        DibFree(block);
        return nullptr;
    }
    memcpy(lock.Get(), data, size);
    return block;
}

HGLOBAL CopyDibHandle(HGLOBAL dib)
{
    GlobalLockScope lock(dib);
    return lock ? CopyToDibHandle(lock.Get(), GlobalSize(dib)) : nullptr;
}

namespace {

// Moves one pixel of the given bit count between rows.
void MovePixel(const BYTE* fromRow, DWORD fromX, BYTE* toRow, DWORD toX, WORD bits)
{
    if (bits >= 8) {
        const DWORD bytes = bits / 8;
        memcpy(toRow + static_cast<size_t>(toX) * bytes, fromRow + static_cast<size_t>(fromX) * bytes,
               bytes);
        return;
    }
    const DWORD perByte = 8 / bits;
    const BYTE mask = static_cast<BYTE>((1 << bits) - 1);
    const int fromShift = 8 - bits * static_cast<int>(fromX % perByte + 1);
    const int toShift = 8 - bits * static_cast<int>(toX % perByte + 1);
    const BYTE value = static_cast<BYTE>((fromRow[fromX / perByte] >> fromShift) & mask);
    BYTE& target = toRow[toX / perByte];
    target = static_cast<BYTE>((target & ~(mask << toShift)) | (value << toShift));
}

} // namespace

HGLOBAL RotateDib90(HGLOBAL dib)
{
    GlobalLockScope source(dib);
    if (!source || !DibIsSound(source.Get(), GlobalSize(dib)) || IsCore(source.Get()))
        return nullptr;
    const auto* h = source.Get<BITMAPINFOHEADER>();
    if (h->biCompression != BI_RGB && h->biCompression != BI_BITFIELDS)
        return nullptr;
    HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    const DWORD width = DibWidth(h), height = DibHeight(h);
    const WORD bits = h->biBitCount;
    const uint64_t table = h->biSize + TableBytes(h);
    const uint64_t newRow = RowBytes(height, bits);
    const uint64_t total = table + newRow * width;
    HGLOBAL result = total <= kMaxDibBytes
        ? GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, static_cast<SIZE_T>(total)) : nullptr;
    GlobalLockScope target(result);
    if (target) {
        memcpy(target.Get(), h, static_cast<size_t>(table));
        auto* t = target.Get<BITMAPINFOHEADER>();
        t->biWidth = static_cast<LONG>(height);
        t->biHeight = static_cast<LONG>(width);
        t->biSizeImage = static_cast<DWORD>(newRow * width);
        const uint64_t oldRow = RowBytes(width, bits);
        const BYTE* from = FindDibBits(static_cast<const void*>(h));
        BYTE* to = FindDibBits(static_cast<void*>(t));
        // Source (x, stored row r) lands in column (height - 1 - r) of stored row x.
        for (DWORD r = 0; r < height; ++r)
            for (DWORD x = 0; x < width; ++x)
                MovePixel(from + r * oldRow, x, to + x * newRow, height - 1 - r, bits);
    }
    SetCursor(previous);
    if (!target) {
        DibFree(result);
        return nullptr;
    }
    return result;
}
