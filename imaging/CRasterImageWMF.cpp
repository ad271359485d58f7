#include "imaging/CRasterImageWMF.h"

#include "framework/GdiScopes.h"
#include "imaging/CRasterFile.h"
#include "imaging/LittleEndian.h"
#include "imaging/MetafileCheck.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <memory>
#include <type_traits>

namespace {

using LittleEndian::Get16;
using LittleEndian::Get32;
using LittleEndian::Put32;

constexpr DWORD kPlaceableKey = 0x9AC6CDD7;
constexpr size_t kPlaceableSize = 22;
constexpr size_t kMetaHeaderSize = 18;
// Metafiles are small; a larger one is refused before it is read.
constexpr int64_t kMaxMetafileBytes = 64ll * 1024 * 1024;
constexpr uint16_t kSetWindowExt = 0x020C;

// An enhanced metafile is no GDI object: DeleteEnhMetaFile, not DeleteObject, frees it.
struct EnhDeleter {
    void operator()(HENHMETAFILE h) const { DeleteEnhMetaFile(h); }
};
using EnhPtr = std::unique_ptr<std::remove_pointer_t<HENHMETAFILE>, EnhDeleter>;

// The metafile's own palette, when it has one of at most 256 entries.
GdiObject<HPALETTE> MetafilePalette(HENHMETAFILE metafile)
{
    const UINT entries = GetEnhMetaFilePaletteEntries(metafile, 0, nullptr);
    if (entries == 0 || entries == GDI_ERROR || entries > 256)
        return GdiObject<HPALETTE>();
    std::vector<uint8_t> block(sizeof(LOGPALETTE) + entries * sizeof(PALETTEENTRY));
    LOGPALETTE* logical = reinterpret_cast<LOGPALETTE*>(block.data());
    logical->palVersion = 0x300;
    logical->palNumEntries = WORD(entries);
    GetEnhMetaFilePaletteEntries(metafile, entries, logical->palPalEntry);
    return GdiObject<HPALETTE>(CreatePalette(logical));
}

// Records that set up the device without drawing: the window extent may still change after them.
bool IsStateRecord(uint16_t function)
{
    switch (function) {
    case 0x0103: // SetMapMode
    case 0x020B: // SetWindowOrg
    case 0x020C: // SetWindowExt
    case 0x020D: // SetViewportOrg
    case 0x020E: // SetViewportExt
    case 0x0102: // SetBkMode
    case 0x0201: // SetBkColor
    case 0x0209: // SetTextColor
    case 0x0104: // SetROP2
    case 0x0106: // SetPolyFillMode
    case 0x0107: // SetStretchBltMode
    case 0x012E: // SetTextAlign
    case 0x001E: // SaveDC
        return true;
    default:
        return false;
    }
}

// A Windows metafile played at width x height screen pixels, as an enhanced metafile.
HENHMETAFILE ToEnhanced(const std::vector<uint8_t>& bits, long width, long height)
{
    const ScreenDC screen;
    METAFILEPICT picture = {MM_ANISOTROPIC, width, height, nullptr};
    while (picture.xExt < 6554 && picture.yExt < 6554) {
        picture.xExt *= 10;
        picture.yExt *= 10;
    }
    HENHMETAFILE metafile = SetWinMetaFileBits(UINT(bits.size()), bits.data(), screen.Get(), &picture);
    if (!metafile) {
        picture.mm = MM_TEXT;
        metafile = SetWinMetaFileBits(UINT(bits.size()), bits.data(), screen.Get(), &picture);
    }
    return metafile;
}

// Plays the metafile over a window-coloured background, with its own palette realised.
void PlayOnto(HDC dc, HENHMETAFILE metafile, long width, long height)
{
    RECT rect = {0, 0, width, height};
    const COLORREF oldBack = SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    SetBkColor(dc, oldBack);
    const GdiObject<HPALETTE> palette = MetafilePalette(metafile);
    HPALETTE oldPalette = nullptr;
    if (palette) {
        oldPalette = SelectPalette(dc, palette.Get(), FALSE);
        RealizePalette(dc);
    }
    PlayEnhMetaFile(dc, metafile, &rect);
    // The palette leaves the device before it is deleted.
    if (oldPalette)
        SelectPalette(dc, oldPalette, FALSE);
}

} // namespace

bool CRasterImageWMF::Fail(const char* text)
{
    SetLastError(text);
    return false;
}

bool CRasterImageWMF::Encode(CRasterFile* stream)
{
    if (!stream)
        return false;
    return Fail("Save WMF not supported");
}

// A placeable metafile becomes an enhanced one; width and height get its size in screen pixels.
// A picture without area sets empty and gives nothing.
HENHMETAFILE CRasterImageWMF::ReadPlaceable(CRasterFile& stream, long& width, long& height,
                                            bool& empty)
{
    const int32_t start = stream.Tell();
    uint8_t p[kPlaceableSize], m[kMetaHeaderSize];
    if (stream.Read(p, 1, sizeof(p)) != sizeof(p) || Get32(p) != kPlaceableKey)
        return nullptr;
    uint16_t sum = 0;
    for (size_t i = 0; i < 20; i += 2)
        sum ^= Get16(p + i);
    const long left = int16_t(Get16(p + 6)), top = int16_t(Get16(p + 8));
    const long right = int16_t(Get16(p + 10)), bottom = int16_t(Get16(p + 12));
    const long unitsPerInch = Get16(p + 14);
    if (sum != Get16(p + 20) || unitsPerInch < 1 || unitsPerInch > 2540)
        return nullptr;
    if (stream.Read(m, 1, sizeof(m)) != sizeof(m))
        return nullptr;
    const uint16_t type = Get16(m);
    const int64_t available = int64_t(stream.Size()) - start - int64_t(kPlaceableSize);
    int64_t bytes = int64_t(Get32(m + 6)) * 2;
    // Some writers count the placeable header in the metafile's size too.
    const bool countsPlaceable = bytes == available + int64_t(kPlaceableSize);
    if (countsPlaceable)
        bytes = available;
    if ((type != 1 && type != 2) || bytes < int64_t(kMetaHeaderSize) || bytes > available
        || bytes > kMaxMetafileBytes)
        return nullptr;
    std::vector<uint8_t> bits(static_cast<size_t>(bytes));
    if (!stream.Seek(start + int32_t(kPlaceableSize), SEEK_SET)
        || stream.Read(bits.data(), 1, bits.size()) != bits.size() || !MetafileCheck::WindowsRecordsFit(bits, &m_reason))
        return nullptr;
    // The system is handed the size of what was read.
    if (countsPlaceable)
        Put32(&bits[6], uint32_t(bits.size() / 2));

    const ScreenDC screen;
    const long dpiX = GetDeviceCaps(screen.Get(), LOGPIXELSX);
    const long dpiY = GetDeviceCaps(screen.Get(), LOGPIXELSY);
    width = (right - left) * dpiX / unitsPerInch;
    height = (bottom - top) * dpiY / unitsPerInch;
    // A picture without area has nothing to show, and its extents could never be scaled up.
    if (width <= 0 || height <= 0) {
        empty = true;
        return nullptr;
    }
    return ToEnhanced(bits, width, height);
}

HENHMETAFILE CRasterImageWMF::ReadPlain(CRasterFile& stream, long& width, long& height)
{
    const int32_t start = stream.Tell();
    uint8_t m[kMetaHeaderSize];
    if (stream.Read(m, 1, sizeof(m)) != sizeof(m))
        return nullptr;
    const uint64_t bytes = uint64_t(Get32(m + 6)) * 2;
    if (bytes < kMetaHeaderSize || int64_t(bytes) > int64_t(stream.Size()) - start ||
        int64_t(bytes) > kMaxMetafileBytes)
        return nullptr;
    std::vector<uint8_t> bits(static_cast<size_t>(bytes));
    if (!stream.Seek(start, SEEK_SET) || stream.Read(bits.data(), 1, bits.size()) != bits.size())
        return nullptr;
    if (!MetafileCheck::WindowsRecordsFit(bits, &m_reason))
        return nullptr;
    // The window extent (the last one set before the first drawing) gives the picture its size,
    // a logical unit to a pixel.
    width = height = 0;
    for (size_t at = size_t(Get16(&bits[2])) * 2; at + 6 <= bits.size();) {
        const uint32_t words = Get32(&bits[at]);
        const uint16_t function = Get16(&bits[at + 4]);
        if (words < 3 || function == 0 || at + size_t(words) * 2 > bits.size())
            break;
        if (function == kSetWindowExt && words >= 5) {
            height = std::labs(int16_t(Get16(&bits[at + 6])));
            width = std::labs(int16_t(Get16(&bits[at + 8])));
        } else if (width > 0 && !IsStateRecord(function)) {
            break;
        }
        at += size_t(words) * 2;
    }
    if (width <= 0 || height <= 0) {
        m_reason = "WMF without a placeable header or a window extent (no size) is not supported";
        return nullptr;
    }
    return ToEnhanced(bits, width, height);
}

HENHMETAFILE CRasterImageWMF::ReadEnhanced(CRasterFile& stream, long& width, long& height)
{
    const int64_t size = int64_t(stream.Size()) - stream.Tell();
    if (size < int64_t(sizeof(ENHMETAHEADER)) || size > kMaxMetafileBytes)
        return nullptr;
    std::vector<uint8_t> bits(static_cast<size_t>(size));
    if (stream.Read(bits.data(), 1, bits.size()) != bits.size())
        return nullptr;
    const bool enhanced = bits.size() >= 44 && Get32(&bits[0]) == EMR_HEADER && Get32(&bits[40]) == ENHMETA_SIGNATURE;
    if (!MetafileCheck::EnhancedRecordsFit(bits, enhanced ? &m_reason : nullptr))
        return nullptr;
    EnhPtr metafile(SetEnhMetaFileBits(UINT(bits.size()), bits.data()));
    ENHMETAHEADER header = {};
    if (!metafile || !GetEnhMetaFileHeader(metafile.get(), sizeof header, &header))
        return nullptr;
    width = header.rclBounds.right - header.rclBounds.left;
    height = header.rclBounds.bottom - header.rclBounds.top;
    // Writers that keep no bounds leave them empty: the frame (hundredths of a millimetre) then
    // gives the size, in the pixels of the device the metafile was made for.
    if ((width <= 0 || height <= 0) && header.szlMillimeters.cx > 0 && header.szlMillimeters.cy > 0) {
        const int64_t frameWidth = int64_t(header.rclFrame.right) - header.rclFrame.left;
        const int64_t frameHeight = int64_t(header.rclFrame.bottom) - header.rclFrame.top;
        width = long(std::clamp<int64_t>(frameWidth * header.szlDevice.cx / (100 * int64_t(header.szlMillimeters.cx)), 0, INT32_MAX));
        height = long(std::clamp<int64_t>(frameHeight * header.szlDevice.cy / (100 * int64_t(header.szlMillimeters.cy)), 0, INT32_MAX));
    }
    return metafile.release();
}

bool CRasterImageWMF::Decode(CRasterFile* stream, long forcedWidth, long forcedHeight)
{
    if (!stream)
        return false;
    const int32_t start = stream->Tell();
    long width = 0, height = 0;
    bool empty = false;
    EnhPtr metafile(ReadPlaceable(*stream, width, height, empty));
    if (!metafile && !empty) {
        stream->Seek(start, SEEK_SET);
        uint8_t head[4] = {};
        const bool plain = stream->Read(head, 1, sizeof head) == sizeof head &&
                           (Get16(head) == 1 || Get16(head) == 2) && Get16(head + 2) == 9;
        stream->Seek(start, SEEK_SET);
        metafile.reset(plain ? ReadPlain(*stream, width, height) : ReadEnhanced(*stream, width, height));
        if (!metafile)
            return Fail(!m_reason.empty() ? m_reason.c_str() : "corrupted WMF");
    }
    if (m_info.nEscape)
        return Fail("Cancelled");
    if (empty || width <= 0 || height <= 0)
        return Fail("empty WMF");
    if (forcedWidth > 0)
        width = forcedWidth;
    if (forcedHeight > 0)
        height = forcedHeight;
    if (width > kMaxSide) {
        height = long(int64_t(height) * kMaxSide / width);
        width = kMaxSide;
    }
    if (height > kMaxSide) {
        width = long(int64_t(width) * kMaxSide / height);
        height = kMaxSide;
    }
    if (width <= 0 || height <= 0)
        return Fail("empty WMF");
    return Render(metafile.get(), width, height);
}

bool CRasterImageWMF::Render(HENHMETAFILE metafile, long width, long height)
{
    const ScreenDC screen;
    const GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(screen.Get(), width, height));
    const MemoryDC dc(screen.Get());
    if (!bitmap || !dc.Get())
        return false;
    const int bitsPerPixel = GetDeviceCaps(dc.Get(), BITSPIXEL);
    {
        // The bitmap leaves the device before GetDIBits reads it.
        const SelectScope selectBitmap(dc.Get(), bitmap.Get());
        PlayOnto(dc.Get(), metafile, width, height);
    }
    if (m_info.nEscape)
        return Fail("Cancelled");
    if (!Create(DWORD(width), DWORD(height), DWORD(bitsPerPixel), RASTER_FORMAT_WMF))
        return false;
    return GetDIBits(dc.Get(), bitmap.Get(), 0, UINT(height), GetBits(),
                     reinterpret_cast<BITMAPINFO*>(GetDIB()), DIB_RGB_COLORS) > 0;
}
