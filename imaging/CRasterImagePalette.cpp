// Palette services of CRasterImage: reading and writing entries, the nearest-colour search with
// its one-entry cache, the grey and standard palettes. Every access is bounded by the entry count.
#include "imaging/CRasterImage.h"

#include "imaging/StandardPalettes.h"

#include <algorithm>
#include <cstring>

DWORD CRasterImage::GetPaletteSize() const
{
    return m_pDib ? GetNumColors() * sizeof(RGBQUAD) : 0;
}

RGBQUAD* CRasterImage::GetPalette() const
{
    if (!m_pDib || GetNumColors() == 0)
        return nullptr;
    return reinterpret_cast<RGBQUAD*>(static_cast<BYTE*>(m_pDib) + sizeof(BITMAPINFOHEADER));
}

RGBQUAD CRasterImage::GetPaletteColor(BYTE index) const
{
    RGBQUAD color = {0, 0, 0, 0};
    if (RGBQUAD* palette = GetPalette(); palette && index < GetNumColors())
        color = palette[index];
    return color;
}

bool CRasterImage::GetPaletteColor(BYTE index, BYTE* red, BYTE* green, BYTE* blue) const
{
    RGBQUAD* palette = GetPalette();
    if (!palette || index >= GetNumColors())
        return false;
    if (red)
        *red = palette[index].rgbRed;
    if (green)
        *green = palette[index].rgbGreen;
    if (blue)
        *blue = palette[index].rgbBlue;
    return true;
}

void CRasterImage::SetPaletteColor(BYTE index, BYTE red, BYTE green, BYTE blue, BYTE alpha)
{
    SetPaletteColor(index, RGBQUAD{blue, green, red, alpha});
}

void CRasterImage::SetPaletteColor(BYTE index, RGBQUAD color)
{
    RGBQUAD* palette = GetPalette();
    if (!palette || index >= GetNumColors())
        return;
    palette[index] = color;
    m_info.bLastColorValid = false;
}

void CRasterImage::SetPalette(const RGBQUAD* source, DWORD count)
{
    RGBQUAD* palette = GetPalette();
    if (!source || !palette)
        return;
    memcpy(palette, source, std::min(count, GetNumColors()) * sizeof(RGBQUAD));
    m_info.bLastColorValid = false;
}

void CRasterImage::SetPalette(DWORD count, const BYTE* red, const BYTE* green, const BYTE* blue)
{
    RGBQUAD* palette = GetPalette();
    if (!red || !palette)
        return;
    if (!green)
        green = red;
    if (!blue)
        blue = green;
    const DWORD n = std::min(count, GetNumColors());
    for (DWORD i = 0; i < n; ++i) {
        palette[i].rgbRed = red[i];
        palette[i].rgbGreen = green[i];
        palette[i].rgbBlue = blue[i];
    }
    m_info.bLastColorValid = false;
}

void CRasterImage::SetPalette(const RGBTRIPLE* triplets, DWORD count)
{
    RGBQUAD* palette = GetPalette();
    if (!triplets || !palette)
        return;
    const DWORD n = std::min(count, GetNumColors());
    for (DWORD i = 0; i < n; ++i) {
        palette[i].rgbRed = triplets[i].rgbtRed;
        palette[i].rgbGreen = triplets[i].rgbtGreen;
        palette[i].rgbBlue = triplets[i].rgbtBlue;
    }
    m_info.bLastColorValid = false;
}

void CRasterImage::SetGrayPalette()
{
    RGBQUAD* palette = GetPalette();
    if (!palette)
        return;
    const DWORD entries = GetNumColors();
    // A one-entry palette has no step: it holds black.
    const DWORD step = entries > 1 ? 255 / (entries - 1) : 0;
    for (DWORD i = 0; i < entries; ++i) {
        const BYTE value = static_cast<BYTE>(step * i);
        palette[i].rgbBlue = palette[i].rgbGreen = palette[i].rgbRed = value;
    }
    m_info.bLastColorValid = false;
}

void CRasterImage::SetStdPalette()
{
    if (!m_pDib)
        return;
    if (GetBpp() == 4)
        SetPalette(kStandardPalette16, 16);
    else if (GetBpp() == 8)
        SetPalette(kStandardPalette256, 256);
}

bool CRasterImage::IsGrayScale() const
{
    const RGBQUAD* palette = GetPalette();
    if (!palette)
        return false;
    for (DWORD i = 0; i < GetNumColors(); ++i) {
        if (palette[i].rgbBlue != i || palette[i].rgbGreen != i || palette[i].rgbRed != i)
            return false;
    }
    return true;
}

void CRasterImage::SwapIndex(BYTE a, BYTE b)
{
    RGBQUAD* palette = GetPalette();
    if (!palette || a >= GetNumColors() || b >= GetNumColors())
        return;
    std::swap(palette[a], palette[b]);
    m_info.bLastColorValid = false;
    const long width = m_header.biWidth;
    const long height = m_header.biHeight;
    for (long y = 0; y < height; ++y) {
        for (long x = 0; x < width; ++x) {
            const BYTE index = BlindGetPixelIndex(x, y);
            if (index == a)
                SetPixelIndex(x, y, b);
            else if (index == b)
                SetPixelIndex(x, y, a);
        }
    }
}

void CRasterImage::SetClrImportant(DWORD count)
{
    // The entries searched change, so a remembered answer may no longer hold.
    m_info.bLastColorValid = false;
    if (count == 0 || count > 256) {
        m_header.biClrImportant = 0;
        return;
    }
    switch (GetBpp()) {
    case 1: m_header.biClrImportant = std::min<DWORD>(count, 2); break;
    case 4: m_header.biClrImportant = std::min<DWORD>(count, 16); break;
    case 8: m_header.biClrImportant = count; break;
    default: break;
    }
}

BYTE CRasterImage::GetNearestIndex(RGBQUAD color)
{
    const RGBQUAD* palette = GetPalette();
    if (!palette)
        return 0;
    if (m_info.bLastColorValid && memcmp(&m_info.lastColor, &color, sizeof(color)) == 0)
        return m_info.lastColorIndex;
    m_info.lastColor = color;
    m_info.bLastColorValid = true;
    DWORD entries = GetNumColors();
    if (m_header.biClrImportant != 0)
        entries = std::min<DWORD>(m_header.biClrImportant, entries);
    long best = 200000;
    BYTE bestIndex = 0;
    for (DWORD i = 0; i < entries; ++i) {
        const long db = palette[i].rgbBlue - color.rgbBlue;
        const long dg = palette[i].rgbGreen - color.rgbGreen;
        const long dr = palette[i].rgbRed - color.rgbRed;
        const long distance = db * db + dg * dg + dr * dr;
        if (distance < best) {
            best = distance;
            bestIndex = static_cast<BYTE>(i);
            if (distance == 0)
                break;
        }
    }
    m_info.lastColorIndex = bestIndex;
    return bestIndex;
}

bool CRasterImage::AlphaPaletteIsValid() const
{
    const RGBQUAD* palette = GetPalette();
    if (!palette)
        return false;
    for (DWORD i = 0; i < GetNumColors(); ++i) {
        if (palette[i].rgbReserved != 0)
            return true;
    }
    return false;
}
