// Pixel services of CRasterImage: index and colour access with bounds checks, the alpha and
// selection planes (width x height bytes, rows bottom-up, no padding) and the codec conversions.
#include "imaging/CRasterImage.h"

#include "imaging/BitField.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

BYTE CRasterImage::BlindGetPixelIndex(long x, long y) const
{
    const BYTE* row = m_info.pImage + static_cast<size_t>(y) * m_info.dwEffWidth;
    switch (GetBpp()) {
    case 8: return row[x];
    case 4: {
        const BYTE byte = row[x >> 1];
        return static_cast<BYTE>((x & 1) ? (byte & 0x0F) : (byte >> 4));
    }
    case 1: return static_cast<BYTE>((row[x >> 3] >> (7 - (x & 7))) & 1);
    default: return 0;
    }
}

BYTE* CRasterImage::BlindGetPixelPointer(long x, long y) const
{
    if (GetNumColors() != 0 || !m_pDib)
        return nullptr;
    return m_info.pImage + static_cast<size_t>(y) * m_info.dwEffWidth + static_cast<size_t>(x) * 3;
}

BYTE CRasterImage::GetPixelIndex(long x, long y) const
{
    if (!m_pDib || GetNumColors() == 0)
        return 0;
    if (!IsInside(x, y))
        return m_info.nTransIndex != -1 ? static_cast<BYTE>(m_info.nTransIndex) : m_info.pImage[0];
    return BlindGetPixelIndex(x, y);
}

void CRasterImage::SetPixelIndex(long x, long y, BYTE index)
{
    if (!m_pDib || GetNumColors() == 0 || !IsInside(x, y))
        return;
    BYTE* row = m_info.pImage + static_cast<size_t>(y) * m_info.dwEffWidth;
    switch (GetBpp()) {
    case 8:
        row[x] = index;
        break;
    case 4: {
        BYTE& byte = row[x >> 1];
        const int shift = (x & 1) ? 0 : 4;
        byte = static_cast<BYTE>((byte & ~(0x0F << shift)) | ((index & 0x0F) << shift));
        break;
    }
    case 1: {
        BYTE& byte = row[x >> 3];
        const BYTE mask = static_cast<BYTE>(0x80 >> (x & 7));
        byte = static_cast<BYTE>((index & 1) ? (byte | mask) : (byte & ~mask));
        break;
    }
    default:
        break;
    }
}

RGBQUAD CRasterImage::GetPixelColor(long x, long y, bool withAlpha) const
{
    if (!m_pDib || !IsInside(x, y)) {
        if (m_info.nTransIndex == -1)
            return m_pDib ? GetPixelColor(0, 0, withAlpha) : m_info.transColor;
        return GetTransColor();
    }
    RGBQUAD color;
    if (GetNumColors() != 0) {
        color = GetPaletteColor(BlindGetPixelIndex(x, y));
    } else {
        const BYTE* pixel = BlindGetPixelPointer(x, y);
        color.rgbBlue = pixel[0];
        color.rgbGreen = pixel[1];
        color.rgbRed = pixel[2];
        color.rgbReserved = m_info.transColor.rgbReserved;
    }
    if (withAlpha && m_pAlpha)
        color.rgbReserved = BlindAlphaGet(x, y);
    return color;
}

void CRasterImage::SetPixelColor(long x, long y, RGBQUAD color, bool setAlpha)
{
    if (!m_pDib || !IsInside(x, y))
        return;
    if (GetNumColors() != 0) {
        SetPixelIndex(x, y, GetNearestIndex(color));
        return;
    }
    BYTE* pixel = BlindGetPixelPointer(x, y);
    pixel[0] = color.rgbBlue;
    pixel[1] = color.rgbGreen;
    pixel[2] = color.rgbRed;
    if (setAlpha)
        AlphaSet(x, y, color.rgbReserved);
}

void CRasterImage::SetPixelColor(long x, long y, COLORREF color)
{
    SetPixelColor(x, y, RGBtoRGBQUAD(color), false);
}

RGBQUAD CRasterImage::RGBtoRGBQUAD(COLORREF color)
{
    return RGBQUAD{GetBValue(color), GetGValue(color), GetRValue(color), 0};
}

void CRasterImage::RGBtoBGR(BYTE* buffer, int length) const
{
    if (!buffer || GetNumColors() != 0)
        return;
    const long limit = std::min<long>(length, static_cast<long>(m_info.dwEffWidth));
    // Only whole 3-byte groups: a group cut off by the length is left alone.
    for (long i = 0; i + 2 < limit; i += 3)
        std::swap(buffer[i], buffer[i + 2]);
}

// Alpha plane

void CRasterImage::AlphaCreate()
{
    if (m_pAlpha || !m_pDib)
        return;
    m_pAlpha = static_cast<BYTE*>(malloc(PlaneSize()));
    if (m_pAlpha)
        memset(m_pAlpha, 255, PlaneSize());
}

void CRasterImage::AlphaDelete()
{
    if (m_info.pGhost)
        return;
    free(m_pAlpha);
    m_pAlpha = nullptr;
}

bool CRasterImage::CopyPlane(BYTE*& plane, const BYTE* sourcePlane, const CRasterImage& source)
{
    if (!sourcePlane || !m_pDib || source.GetWidth() != GetWidth() ||
        source.GetHeight() != GetHeight() || &source == this)
        return false;
    if (!plane)
        plane = static_cast<BYTE*>(malloc(PlaneSize()));
    if (!plane)
        return false;
    memcpy(plane, sourcePlane, PlaneSize());
    return true;
}

bool CRasterImage::AlphaCopy(const CRasterImage& source)
{
    if (!CopyPlane(m_pAlpha, source.m_pAlpha, source))
        return false;
    m_info.nAlphaMax = source.m_info.nAlphaMax;
    return true;
}

void CRasterImage::AlphaSet(long x, long y, BYTE value)
{
    if (m_pAlpha && IsInside(x, y))
        m_pAlpha[static_cast<size_t>(y) * GetWidth() + x] = value;
}

BYTE CRasterImage::AlphaGet(long x, long y) const
{
    return m_pAlpha && IsInside(x, y) ? BlindAlphaGet(x, y) : 0;
}

BYTE CRasterImage::BlindAlphaGet(long x, long y) const
{
    return m_pAlpha[static_cast<size_t>(y) * GetWidth() + x];
}

namespace {

// Builds a new plane row by row from the old one; false (keeping the old plane) without memory.
template <class RowCopy>
bool RebuildPlane(BYTE*& plane, size_t width, size_t height, RowCopy copyRow)
{
    if (!plane)
        return false;
    BYTE* rebuilt = static_cast<BYTE*>(malloc(width * height));
    if (!rebuilt)
        return false;
    for (size_t y = 0; y < height; ++y)
        copyRow(plane, rebuilt, y);
    free(plane);
    plane = rebuilt;
    return true;
}

} // namespace

bool CRasterImage::AlphaFlip()
{
    const size_t width = GetWidth(), height = GetHeight();
    return RebuildPlane(m_pAlpha, width, height, [&](const BYTE* from, BYTE* to, size_t y) {
        memcpy(to + (height - 1 - y) * width, from + y * width, width);
    });
}

bool CRasterImage::AlphaMirror()
{
    const size_t width = GetWidth(), height = GetHeight();
    return RebuildPlane(m_pAlpha, width, height, [&](const BYTE* from, BYTE* to, size_t y) {
        std::reverse_copy(from + y * width, from + (y + 1) * width, to + y * width);
    });
}

// Selection plane

bool CRasterImage::SelectionDelete()
{
    if (!m_info.pGhost)
        free(m_pSelection);
    m_pSelection = nullptr;
    m_info.rSelectionBox = RECT{m_header.biWidth, 0, 0, m_header.biHeight};
    return true;
}

bool CRasterImage::SelectionIsInside(long x, long y) const
{
    if (!IsInside(x, y))
        return false;
    return !m_pSelection || m_pSelection[static_cast<size_t>(y) * GetWidth() + x] != 0;
}

bool CRasterImage::SelectionCopy(const CRasterImage& source)
{
    if (!CopyPlane(m_pSelection, source.m_pSelection, source))
        return false;
    m_info.rSelectionBox = source.m_info.rSelectionBox;
    return true;
}

// Conversions

void CRasterImage::Bitfield2RGB(const BYTE* source, WORD redMask, WORD greenMask, WORD blueMask,
                                BYTE bpp)
{
    if (!source || !m_pDib || GetBpp() != 24)
        return;
    const long width = m_header.biWidth;
    const long height = m_header.biHeight;
    const size_t stride = m_info.dwEffWidth;
    if (bpp == 16) {
        const BitField red(redMask), green(greenMask), blue(blueMask);
        const size_t sourceStride = static_cast<size_t>((width + 1) / 2) * 4;
        // Top row first, right to left: each 3-byte target lies at or after its 2-byte source,
        // so the conversion may run in place over the image's own pixels.
        for (long y = height - 1; y >= 0; --y) {
            const BYTE* from = source + static_cast<size_t>(y) * sourceStride;
            BYTE* to = m_info.pImage + static_cast<size_t>(y) * stride;
            for (long x = width - 1; x >= 0; --x) {
                const DWORD w = from[2 * x] | (from[2 * x + 1] << 8);
                BYTE* pixel = to + 3 * x;
                pixel[0] = blue(w);
                pixel[1] = green(w);
                pixel[2] = red(w);
            }
        }
    } else if (bpp == 32) {
        const size_t sourceStride = static_cast<size_t>(width) * 4;
        // Bottom row first, left to right: each 3-byte target lies at or before its 4-byte
        // source, so an in-place conversion never overwrites bytes it has yet to read.
        for (long y = 0; y < height; ++y) {
            const BYTE* from = source + static_cast<size_t>(y) * sourceStride;
            BYTE* to = m_info.pImage + static_cast<size_t>(y) * stride;
            for (long x = 0; x < width; ++x) {
                to[3 * x] = from[4 * x];
                to[3 * x + 1] = from[4 * x + 1];
                to[3 * x + 2] = from[4 * x + 2];
            }
        }
    }
}

int CRasterImage::CompareColors(const void* a, const void* b)
{
    const auto luminance = [](const RGBQUAD* c) {
        return (306 * c->rgbRed + 601 * c->rgbGreen + 117 * c->rgbBlue) >> 10;
    };
    return luminance(static_cast<const RGBQUAD*>(a)) - luminance(static_cast<const RGBQUAD*>(b));
}
