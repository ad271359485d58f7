#include "render/workers/PreviewCell.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr DWORD kFileHeaderSize = sizeof(BITMAPFILEHEADER);

DWORD Stride(int width)
{
    return (static_cast<DWORD>(width) * 3 + 3) & ~3u;
}

BITMAPINFOHEADER HeaderOf(int width, int height)
{
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biWidth = width;
    header.biHeight = height; // rows bottom-up
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    return header;
}

} // namespace

PreviewCell::~PreviewCell()
{
    Unmake();
}

void PreviewCell::Unmake()
{
    if (m_dc) {
        if (m_saved)
            RestoreDC(m_dc, m_saved);
        SelectObject(m_dc, m_oldBitmap);
        DeleteDC(m_dc);
    }
    m_dc = nullptr;
    m_oldBitmap = nullptr;
    m_saved = 0;
    m_bitmap.Reset();
    m_bits = nullptr;
    m_width = 0;
    m_height = 0;
}

bool PreviewCell::Make(int width, int height)
{
    Unmake();
    const BITMAPINFOHEADER header = HeaderOf(width, height);
    void* bits = nullptr;
    m_bitmap.Reset(CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits,
                                    nullptr, 0));
    m_dc = m_bitmap && bits ? CreateCompatibleDC(nullptr) : nullptr;
    if (!m_dc) {
        m_bitmap.Reset();
        return false;
    }
    m_oldBitmap = SelectObject(m_dc, m_bitmap.Get());
    m_bits = static_cast<BYTE*>(bits);
    m_width = width;
    m_height = height;
    return true;
}

HDC PreviewCell::Begin(int width, int height)
{
    if (width <= 0 || height <= 0 || static_cast<unsigned long long>(Stride(width)) * height > 0x7FFFFF00ull)
        return nullptr;
    if (m_saved) {
        RestoreDC(m_dc, m_saved);
        m_saved = 0;
    }
    if ((width != m_width || height != m_height || !m_dc) && !Make(width, height))
        return nullptr;
    GdiFlush();
    std::memset(m_bits, 0, static_cast<size_t>(Stride(width)) * static_cast<size_t>(height));
    // Whatever the drawing sets (stretch mode, objects) is undone before the next picture.
    m_saved = SaveDC(m_dc);
    return m_saved ? m_dc : nullptr;
}

BYTE* PreviewCell::End()
{
    if (!m_saved)
        return nullptr;
    RestoreDC(m_dc, m_saved);
    m_saved = 0;
    GdiFlush();
    BITMAPINFOHEADER header = HeaderOf(m_width, m_height);
    header.biSizeImage = Stride(m_width) * static_cast<DWORD>(m_height);
    const DWORD bitsOffset = kFileHeaderSize + header.biSize;
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42; // "BM"
    file.bfSize = bitsOffset + header.biSizeImage;
    file.bfOffBits = bitsOffset;
    auto* image = static_cast<BYTE*>(std::malloc(file.bfSize));
    if (!image)
        return nullptr;
    std::memcpy(image, &file, kFileHeaderSize);
    std::memcpy(image + kFileHeaderSize, &header, sizeof(header));
    std::memcpy(image + bitsOffset, m_bits, header.biSizeImage);
    return image;
}
