#include "imaging/CRasterImage.h"

#include "imaging/CRasterFile.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace {

// Largest image the class accepts: (width x height x bits) / 256 may not pass this figure.
constexpr uint64_t kRasterMaxMemory = 256000000;
// A packed bitmap must stay addressable with the signed 32-bit sizes of the header and streams.
constexpr uint64_t kMaxBlockBytes = 0x7FFFFFFF;

WORD NormalisedBpp(DWORD bpp)
{
    if (bpp <= 1)
        return 1;
    if (bpp <= 4)
        return 4;
    if (bpp <= 8)
        return 8;
    return 24;
}

// One freed block of a large picture is kept for the next decode of about that size: under Wine
// the first touch of fresh memory costs about 1 ms a megabyte (36 MB for a 12-megapixel photo),
// more than the decode's own writes into memory touched before. The mutex is constant-initialised
// and its destructor does nothing, so images freed at any point of the process's end are safe;
// the kept block goes with the process.
constexpr size_t kKeptBlockLeast = 8u << 20;
constexpr size_t kKeptBlockMost = 64u << 20;

std::mutex g_keptBlockLock;
void* g_keptBlock = nullptr;
size_t g_keptBlockBytes = 0;

// The kept block when it holds at least bytes and not twice as many (its size in *held), else
// null: a small picture does not hold on to a block made for a far larger one.
void* TakeKeptBlock(size_t bytes, size_t* held)
{
    const std::lock_guard<std::mutex> lock(g_keptBlockLock);
    if (!g_keptBlock || g_keptBlockBytes < bytes || g_keptBlockBytes / 2 > bytes)
        return nullptr;
    void* block = g_keptBlock;
    *held = g_keptBlockBytes;
    g_keptBlock = nullptr;
    g_keptBlockBytes = 0;
    return block;
}

// Keeps a large block in place of the one kept before, or frees it.
void FreeOrKeepBlock(void* block, size_t bytes)
{
    if (!block)
        return;
    if (bytes < kKeptBlockLeast || bytes > kKeptBlockMost) {
        free(block);
        return;
    }
    void* dropped = nullptr;
    {
        const std::lock_guard<std::mutex> lock(g_keptBlockLock);
        dropped = g_keptBlock;
        g_keptBlock = block;
        g_keptBlockBytes = bytes;
    }
    free(dropped);
}

LONG PelsPerMeter(LONG dpi)
{
    return static_cast<LONG>(std::floor(dpi * 39.37007874015748 + 0.5));
}

} // namespace

CRasterImage::CRasterImage(DWORD imageType)
{
    StartUp(imageType);
}

CRasterImage::CRasterImage(DWORD width, DWORD height, DWORD bpp, DWORD imageType)
{
    StartUp(imageType);
    Create(width, height, bpp, imageType);
}

CRasterImage::CRasterImage(const CRasterImage& source, bool copyPixels, bool copySelection,
                           bool copyAlpha)
{
    StartUp(source.m_info.dwType);
    Copy(source, copyPixels, copySelection, copyAlpha);
}

CRasterImage::CRasterImage(const BYTE* buffer, DWORD size, DWORD imageType)
{
    StartUp(imageType);
    Decode(buffer, size, imageType);
}

CRasterImage::~CRasterImage()
{
    Destroy();
}

void CRasterImage::StartUp(DWORD imageType)
{
    m_pDib = nullptr;
    m_pSelection = nullptr;
    m_pAlpha = nullptr;
    memset(&m_header, 0, sizeof(m_header));
    ResetInfo(imageType);
}

void CRasterImage::ResetInfo(DWORD imageType)
{
    memset(&m_info, 0, sizeof(m_info));
    m_info.dwType = imageType;
    m_info.nJpegQuality = 90;
    m_info.nAlphaMax = 255;
    m_info.nTransIndex = -1;
    m_info.bEnabled = true;
    SetXDPI(96);
    SetYDPI(96);
}

void CRasterImage::SetDecodeFitBox(DWORD width, DWORD height)
{
    m_info.dwFitBoxWidth = width;
    m_info.dwFitBoxHeight = height;
}

void CRasterImage::SetLastError(const char* text)
{
    lstrcpynA(m_info.szLastError, text ? text : "", sizeof(m_info.szLastError));
}

bool CRasterImage::Destroy()
{
    if (m_info.pGhost)
        return false;
    m_layers.clear();
    free(m_pSelection);
    free(m_pAlpha);
    FreeOrKeepBlock(m_pDib, m_blockBytes);
    m_pSelection = nullptr;
    m_pAlpha = nullptr;
    m_pDib = nullptr;
    m_blockBytes = 0;
    m_info.pImage = nullptr;
    return true;
}

bool CRasterImage::FitsInMemory(uint64_t width, uint64_t height, DWORD bpp)
{
    // Every size is formed in 64 bits; beside the memory limit the block must fit the header's
    // signed 32-bit fields, so that header and allocation always agree.
    if (width == 0 || height == 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF)
        return false;
    const WORD bits = NormalisedBpp(bpp);
    const uint64_t stride = ((width * bits + 31) >> 5) << 2;
    const uint64_t colors = bits <= 8 ? (1u << bits) : 0;
    const uint64_t blockBytes = sizeof(BITMAPINFOHEADER) + colors * sizeof(RGBQUAD) + stride * height;
    return width * height * bits / 256 <= kRasterMaxMemory && blockBytes <= kMaxBlockBytes;
}

void* CRasterImage::Create(DWORD width, DWORD height, DWORD bpp, DWORD imageType)
{
    return CreateWith(width, height, bpp, imageType, false);
}

void* CRasterImage::CreateFullyWritten(DWORD width, DWORD height, DWORD bpp, DWORD imageType)
{
    return CreateWith(width, height, bpp, imageType, true);
}

void* CRasterImage::CreateWith(DWORD width, DWORD height, DWORD bpp, DWORD imageType, bool reuse)
{
    if (!Destroy())
        return nullptr;
    if (width == 0 || height == 0) {
        SetLastError("CRasterImage::Create : width and height must be greater than zero");
        return nullptr;
    }
    const WORD bits = NormalisedBpp(bpp);
    const uint64_t stride = ((static_cast<uint64_t>(width) * bits + 31) >> 5) << 2;
    const DWORD colors = bits <= 8 ? (1u << bits) : 0;
    const uint64_t blockBytes = sizeof(BITMAPINFOHEADER) + colors * sizeof(RGBQUAD) + stride * height;
    if (!FitsInMemory(width, height, bpp)) {
        SetLastError("RASTER_MAX_MEMORY exceeded");
        return nullptr;
    }
    size_t held = static_cast<size_t>(blockBytes);
    void* block = reuse && held >= kKeptBlockLeast ? TakeKeptBlock(held, &held) : nullptr;
    const bool keptBefore = block != nullptr;
    if (!block) {
        held = static_cast<size_t>(blockBytes);
        block = malloc(held);
    }
    if (!block) {
        SetLastError("CRasterImage::Create can't allocate memory");
        return nullptr;
    }
    m_info.dwType = imageType;
    m_info.dwEffWidth = static_cast<DWORD>(stride);
    // A fresh palette invalidates the nearest-colour cache carried in with the settings.
    m_info.bLastColorValid = false;
    m_header.biSize = sizeof(BITMAPINFOHEADER);
    m_header.biWidth = static_cast<LONG>(width);
    m_header.biHeight = static_cast<LONG>(height);
    m_header.biPlanes = 1;
    m_header.biBitCount = bits;
    m_header.biCompression = BI_RGB;
    m_header.biSizeImage = static_cast<DWORD>(stride * height);
    m_header.biClrUsed = colors;
    m_header.biClrImportant = 0;
    m_pDib = block;
    m_blockBytes = held;
    memset(static_cast<BYTE*>(block) + sizeof(BITMAPINFOHEADER), 0, colors * sizeof(RGBQUAD));
    SyncHeaderToDib();
    m_info.pImage = static_cast<BYTE*>(block) + sizeof(BITMAPINFOHEADER) + colors * sizeof(RGBQUAD);
    // A decoder writes each row's pixels, not the padding that rounds the row up to four bytes: in
    // a block kept from another picture that padding would carry its bytes into saves and caches.
    const uint64_t rowBytes = (static_cast<uint64_t>(width) * bits + 7) >> 3;
    if (keptBefore && rowBytes < stride) {
        for (DWORD y = 0; y < height; ++y)
            memset(m_info.pImage + y * stride + rowBytes, 0, static_cast<size_t>(stride - rowBytes));
    }
    return block;
}

DWORD CRasterImage::LayoutColors() const
{
    return m_header.biBitCount <= 8 && m_header.biBitCount > 0 ? (1u << m_header.biBitCount) : 0;
}

DWORD CRasterImage::GetNumColors() const
{
    return std::min<DWORD>(m_header.biClrUsed, LayoutColors());
}

size_t CRasterImage::PlaneSize() const
{
    if (!m_pDib)
        return 0;
    return static_cast<size_t>(GetWidth()) * GetHeight();
}

void CRasterImage::SyncHeaderToDib()
{
    if (!m_pDib)
        return;
    BITMAPINFOHEADER header = m_header;
    header.biClrUsed = LayoutColors();
    memcpy(m_pDib, &header, sizeof(header));
}

void CRasterImage::CopySettingsFrom(const RASTERINFO& info)
{
    // Buffers and the ghost link belong to each image; only settings travel.
    BYTE* const pixels = m_info.pImage;
    CRasterImage* const ghost = m_info.pGhost;
    const DWORD stride = m_info.dwEffWidth;
    m_info = info;
    m_info.pImage = pixels;
    m_info.pGhost = ghost;
    m_info.dwEffWidth = stride;
}

void CRasterImage::CopyInfo(const CRasterImage& source)
{
    if (!m_pDib && &source != this)
        CopySettingsFrom(source.m_info);
}

void CRasterImage::Copy(const CRasterImage& source, bool copyPixels, bool copySelection,
                        bool copyAlpha)
{
    if (&source == this || m_info.pGhost)
        return;
    Destroy();
    CopySettingsFrom(source.m_info);
    if (!source.m_pDib || !Create(source.GetWidth(), source.GetHeight(), source.GetBpp(),
                                  source.GetType()))
        return;
    m_header = source.m_header;
    if (copyPixels)
        memcpy(m_pDib, source.m_pDib, GetSize());
    else
        SetPalette(source.GetPalette(), source.GetNumColors());
    SyncHeaderToDib();
    if (copySelection && source.m_pSelection)
        SelectionCopy(source);
    if (copyAlpha && source.m_pAlpha)
        AlphaCopy(source);
}

bool CRasterImage::Transfer(CRasterImage& source)
{
    if (&source == this || source.m_info.pGhost || !Destroy())
        return false;
    m_header = source.m_header;
    m_info = source.m_info;
    m_info.pGhost = nullptr;
    m_pDib = source.m_pDib;
    m_blockBytes = source.m_blockBytes;
    m_pSelection = source.m_pSelection;
    m_pAlpha = source.m_pAlpha;
    m_layers = std::move(source.m_layers);
    source.m_layers.clear();
    source.m_pDib = nullptr;
    source.m_blockBytes = 0;
    source.m_pSelection = nullptr;
    source.m_pAlpha = nullptr;
    memset(&source.m_header, 0, sizeof(source.m_header));
    source.ResetInfo(0);
    return true;
}

void CRasterImage::Ghost(const CRasterImage* source)
{
    if (!source || source == this)
        return;
    Destroy();
    m_header = source->m_header;
    m_info = source->m_info;
    m_info.pGhost = const_cast<CRasterImage*>(source);
    m_pDib = source->m_pDib;
    m_pSelection = source->m_pSelection;
    m_pAlpha = source->m_pAlpha;
}

BYTE* CRasterImage::GetBits(DWORD row) const
{
    if (!m_pDib || row >= GetHeight())
        return nullptr;
    return m_info.pImage + static_cast<size_t>(row) * m_info.dwEffWidth;
}

DWORD CRasterImage::GetSize() const
{
    return sizeof(BITMAPINFOHEADER) + LayoutColors() * sizeof(RGBQUAD) + m_header.biSizeImage;
}

void CRasterImage::SetOffset(LONG x, LONG y)
{
    m_info.xOffset = x;
    m_info.yOffset = y;
}

void CRasterImage::SetXDPI(LONG dpi)
{
    if (dpi <= 0)
        dpi = 96;
    m_info.xDPI = dpi;
    m_header.biXPelsPerMeter = PelsPerMeter(dpi);
}

void CRasterImage::SetYDPI(LONG dpi)
{
    if (dpi <= 0)
        dpi = 96;
    m_info.yDPI = dpi;
    m_header.biYPelsPerMeter = PelsPerMeter(dpi);
}

DWORD CRasterImage::GetCodecOption(DWORD imageType) const
{
    if (imageType == 0)
        imageType = m_info.dwType;
    return imageType < RASTER_CODEC_OPTION_COUNT ? m_info.dwCodecOptions[imageType] : 0;
}

bool CRasterImage::SetCodecOption(DWORD option, DWORD imageType)
{
    if (imageType == 0)
        imageType = m_info.dwType;
    if (imageType >= RASTER_CODEC_OPTION_COUNT)
        return false;
    m_info.dwCodecOptions[imageType] = option;
    return true;
}

RGBQUAD CRasterImage::GetTransColor() const
{
    if (GetBpp() < 24 && m_info.nTransIndex != -1)
        return GetPaletteColor(static_cast<BYTE>(m_info.nTransIndex));
    return m_info.transColor;
}

void CRasterImage::SetTransColor(RGBQUAD color)
{
    color.rgbReserved = 0;
    m_info.transColor = color;
}

BYTE CRasterImage::GetColorType() const
{
    if (m_pAlpha)
        return 4;
    return GetBpp() <= 8 ? 1 : 2;
}

bool CRasterImage::IsInside(LONG x, LONG y) const
{
    return x >= 0 && y >= 0 && x < m_header.biWidth && y < m_header.biHeight;
}

void CRasterImage::Clear(BYTE value)
{
    if (!m_pDib)
        return;
    if (GetBpp() == 1 && value)
        value = 255;
    else if (GetBpp() == 4)
        value = static_cast<BYTE>((value & 15) * 17);
    memset(m_info.pImage, value, m_header.biSizeImage);
}

bool CRasterImage::EncodeSafeCheck(CRasterFile* stream)
{
    if (!stream) {
        SetLastError("null file handler");
        return true;
    }
    if (!m_pDib) {
        SetLastError("null image!!!");
        return true;
    }
    return false;
}

namespace {

// A BITMAPINFO for GDI built from the image's header and palette, so that GDI sees the layout the
// packed bitmap really has whatever was changed in the image's header since Create.
std::vector<BYTE> MakeBitmapInfo(const BITMAPINFOHEADER& header, const RGBQUAD* palette,
                                 DWORD colors)
{
    std::vector<BYTE> info(sizeof(BITMAPINFOHEADER) + colors * sizeof(RGBQUAD));
    BITMAPINFOHEADER copy = header;
    copy.biClrUsed = colors;
    memcpy(info.data(), &copy, sizeof(copy));
    if (colors)
        memcpy(info.data() + sizeof(copy), palette, colors * sizeof(RGBQUAD));
    return info;
}

} // namespace

HBITMAP CRasterImage::MakeBitmap(HDC dc) const
{
    if (!m_pDib)
        return nullptr;
    std::vector<BYTE> info = MakeBitmapInfo(m_header, GetPalette(), LayoutColors());
    auto* bitmapInfo = reinterpret_cast<BITMAPINFO*>(info.data());
    if (dc)
        return CreateDIBitmap(dc, &bitmapInfo->bmiHeader, CBM_INIT, m_info.pImage, bitmapInfo,
                              DIB_RGB_COLORS);
    HDC memory = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(memory, bitmapInfo, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (section && bits)
        memcpy(bits, m_info.pImage, m_header.biSizeImage);
    if (memory)
        DeleteDC(memory);
    return section;
}

bool CRasterImage::CreateFromHBITMAP(HBITMAP bitmap, HPALETTE palette)
{
    if (m_info.pGhost || !bitmap)
        return false;
    BITMAP record = {};
    if (!GetObjectA(bitmap, sizeof(record), &record) || record.bmWidth <= 0 || record.bmHeight <= 0)
        return false;
    // Built aside and moved in only when complete, so a failure keeps the current picture.
    CRasterImage image;
    image.CopyInfo(*this);
    if (!image.Create(static_cast<DWORD>(record.bmWidth), static_cast<DWORD>(record.bmHeight),
                      record.bmBitsPixel, 0)) {
        SetLastError(image.GetLastError());
        return false;
    }
    HDC screen = GetDC(nullptr);
    if (!screen)
        return false;
    HPALETTE previous = nullptr;
    if (palette) {
        previous = SelectPalette(screen, palette, FALSE);
        RealizePalette(screen);
    }
    std::vector<BYTE> info = MakeBitmapInfo(image.m_header, image.GetPalette(), image.LayoutColors());
    auto* bitmapInfo = reinterpret_cast<BITMAPINFO*>(info.data());
    const int rows = GetDIBits(screen, bitmap, 0, static_cast<UINT>(record.bmHeight),
                               image.m_info.pImage, bitmapInfo, DIB_RGB_COLORS);
    if (palette)
        SelectPalette(screen, previous, FALSE);
    ReleaseDC(nullptr, screen);
    if (rows == 0) {
        SetLastError("GetDIBits failed");
        return false;
    }
    image.SetPalette(reinterpret_cast<const RGBQUAD*>(info.data() + sizeof(BITMAPINFOHEADER)),
                     image.LayoutColors());
    return Transfer(image);
}

bool CRasterImage::Stretch(HDC dc, long x, long y, long width, long height, DWORD rop,
                           int stretchMode) const
{
    if (!m_pDib || !dc)
        return false;
    std::vector<BYTE> info = MakeBitmapInfo(m_header, GetPalette(), LayoutColors());
    SetStretchBltMode(dc, stretchMode);
    if (stretchMode == HALFTONE)
        SetBrushOrgEx(dc, 0, 0, nullptr);
    StretchDIBits(dc, x, y, width, height, 0, 0, m_header.biWidth, m_header.biHeight,
                  m_info.pImage, reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS, rop);
    return true;
}
