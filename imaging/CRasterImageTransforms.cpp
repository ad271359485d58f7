// Whole-image transforms of CRasterImage. Each builds its result in a second image and moves it in
// with Transfer, so a failure leaves the image as it was; only Negative works in place.
#include "imaging/CRasterImage.h"

#include "imaging/StandardPalettes.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr long kTile = 64;

BYTE ClampByte(long value)
{
    return static_cast<BYTE>(std::clamp<long>(value, 0, 255));
}

} // namespace

bool CRasterImage::PrepareCopy(CRasterImage& result) const
{
    if (!m_pDib)
        return false;
    result.Copy(*this, false, false, true);
    result.SelectionDelete();
    return result.IsValid();
}

bool CRasterImage::Flip()
{
    CRasterImage result;
    if (!PrepareCopy(result))
        return false;
    const DWORD height = GetHeight();
    for (DWORD y = 0; y < height; ++y)
        memcpy(result.GetBits(y), GetBits(height - 1 - y), m_info.dwEffWidth);
    result.AlphaFlip();
    return Transfer(result);
}

bool CRasterImage::Mirror()
{
    CRasterImage result;
    if (!PrepareCopy(result))
        return false;
    const long width = m_header.biWidth;
    const long height = m_header.biHeight;
    for (long y = 0; y < height; ++y) {
        const BYTE* from = GetBits(static_cast<DWORD>(y));
        BYTE* to = result.GetBits(static_cast<DWORD>(y));
        for (long x = 0; x < width; ++x) {
            const long mirrored = width - 1 - x;
            switch (GetBpp()) {
            case 8: to[x] = from[mirrored]; break;
            case 24: memcpy(to + 3 * x, from + 3 * mirrored, 3); break;
            default: result.SetPixelIndex(x, y, BlindGetPixelIndex(mirrored, y)); break;
            }
        }
    }
    result.AlphaMirror();
    return Transfer(result);
}

bool CRasterImage::PrepareTurn(CRasterImage& result, DWORD width, DWORD height) const
{
    result.CopyInfo(*this);
    if (!result.Create(width, height, GetBpp(), GetType()))
        return false;
    result.SetPalette(GetPalette(), GetNumColors());
    result.m_info.rSelectionBox = RECT{static_cast<LONG>(width), 0, 0, static_cast<LONG>(height)};
    if (m_pAlpha) {
        result.AlphaCreate();
        if (!result.AlphaIsValid())
            return false;
    }
    return true;
}

bool CRasterImage::FinishTurn(CRasterImage& result, CRasterImage* destination)
{
    if (destination && destination != this)
        return destination->Transfer(result);
    return Transfer(result);
}

namespace {

// Positions of a quarter turn. Left: result (x, y) = source (y, H - 1 - x); right: result (x, y) =
// source (W - 1 - y, x).
struct QuarterTurn
{
    bool left;
    long sourceWidth;
    long sourceHeight;
    long SourceX(long, long y) const { return left ? y : sourceWidth - 1 - y; }
    long SourceY(long x, long) const { return left ? sourceHeight - 1 - x : x; }
    long ResultX(long, long sy) const { return left ? sourceHeight - 1 - sy : sy; }
    long ResultY(long sx, long) const { return left ? sx : sourceWidth - 1 - sx; }
};

} // namespace

bool CRasterImage::RotateLeft(CRasterImage* destination)
{
    return QuarterTurnInto(true, destination);
}

bool CRasterImage::RotateRight(CRasterImage* destination)
{
    return QuarterTurnInto(false, destination);
}

bool CRasterImage::QuarterTurnInto(bool left, CRasterImage* destination)
{
    if (!m_pDib)
        return false;
    CRasterImage result;
    if (!PrepareTurn(result, GetHeight(), GetWidth()))
        return false;
    const QuarterTurn turn{left, m_header.biWidth, m_header.biHeight};
    if (GetBpp() == 1)
        TurnBits(result, turn.left);
    else
        TurnTiles(result, turn.left);
    return FinishTurn(result, destination);
}

// 1-bit images are turned bytewise over the source: each set bit lands on its turned position;
// the row padding bits fall outside the image and are skipped.
void CRasterImage::TurnBits(CRasterImage& result, bool left) const
{
    const QuarterTurn turn{left, m_header.biWidth, m_header.biHeight};
    memset(result.m_info.pImage, 0, result.m_header.biSizeImage);
    for (long sy = 0; sy < m_header.biHeight; ++sy) {
        const BYTE* row = GetBits(static_cast<DWORD>(sy));
        for (DWORD byte = 0; byte < m_info.dwEffWidth; ++byte) {
            for (int bit = 0; bit < 8 && row[byte]; ++bit) {
                const long sx = static_cast<long>(byte) * 8 + bit;
                if (sx >= m_header.biWidth || !(row[byte] & (0x80 >> bit)))
                    continue;
                const long x = turn.ResultX(sx, sy);
                const long y = turn.ResultY(sx, sy);
                result.m_info.pImage[static_cast<size_t>(y) * result.m_info.dwEffWidth + (x >> 3)] |=
                    static_cast<BYTE>(0x80 >> (x & 7));
            }
        }
    }
    if (m_pAlpha)
        for (long y = 0; y < result.m_header.biHeight; ++y)
            for (long x = 0; x < result.m_header.biWidth; ++x)
                result.AlphaSet(x, y, BlindAlphaGet(turn.SourceX(x, y), turn.SourceY(x, y)));
}

// Other depths walk the result in 64 x 64 tiles so that source and result rows stay in the cache.
void CRasterImage::TurnTiles(CRasterImage& result, bool left)
{
    const QuarterTurn turn{left, m_header.biWidth, m_header.biHeight};
    const long width = result.m_header.biWidth;
    const long height = result.m_header.biHeight;
    for (long xs = 0; xs < width; xs += kTile) {
        for (long ys = 0; ys < height; ys += kTile) {
            const long xe = std::min(xs + kTile, width);
            const long ye = std::min(ys + kTile, height);
            for (long x = xs; x < xe; ++x) {
                m_info.nProgress = static_cast<LONG>(100LL * x / width);
                for (long y = ys; y < ye; ++y) {
                    const long sx = turn.SourceX(x, y), sy = turn.SourceY(x, y);
                    if (GetBpp() == 24)
                        memcpy(result.BlindGetPixelPointer(x, y), BlindGetPixelPointer(sx, sy), 3);
                    else
                        result.SetPixelIndex(x, y, BlindGetPixelIndex(sx, sy));
                }
            }
            if (!m_pAlpha)
                continue;
            for (long x = xs; x < xe; ++x)
                for (long y = ys; y < ye; ++y)
                    result.AlphaSet(x, y, BlindAlphaGet(turn.SourceX(x, y), turn.SourceY(x, y)));
        }
    }
}

bool CRasterImage::Rotate180(CRasterImage* destination)
{
    if (!m_pDib)
        return false;
    CRasterImage result;
    if (!PrepareTurn(result, GetWidth(), GetHeight()))
        return false;
    const long width = m_header.biWidth;
    const long height = m_header.biHeight;
    for (long y = 0; y < height; ++y) {
        m_info.nProgress = static_cast<LONG>(100LL * y / height);
        for (long x = 0; x < width; ++x) {
            const long tx = width - 1 - x, ty = height - 1 - y;
            if (GetNumColors() != 0)
                result.SetPixelIndex(tx, ty, BlindGetPixelIndex(x, y));
            else
                memcpy(result.BlindGetPixelPointer(tx, ty), BlindGetPixelPointer(x, y), 3);
            if (m_pAlpha)
                result.AlphaSet(tx, ty, BlindAlphaGet(x, y));
        }
    }
    return FinishTurn(result, destination);
}

bool CRasterImage::Negative()
{
    if (!m_pDib)
        return false;
    const RECT& box = m_info.rSelectionBox;
    if (GetBpp() > 8) {
        if (m_pSelection) {
            for (long y = std::max<long>(box.bottom, 0); y < box.top; ++y)
                for (long x = std::max<long>(box.left, 0); x < box.right; ++x)
                    if (SelectionIsInside(x, y)) {
                        BYTE* pixel = BlindGetPixelPointer(x, y);
                        for (int i = 0; i < 3; ++i)
                            pixel[i] = static_cast<BYTE>(255 - pixel[i]);
                    }
        } else {
            for (DWORD i = 0; i < m_header.biSizeImage; ++i)
                m_info.pImage[i] = static_cast<BYTE>(~m_info.pImage[i]);
        }
        RGBQUAD& trans = m_info.transColor;
        trans.rgbBlue = static_cast<BYTE>(255 - trans.rgbBlue);
        trans.rgbGreen = static_cast<BYTE>(255 - trans.rgbGreen);
        trans.rgbRed = static_cast<BYTE>(255 - trans.rgbRed);
        return true;
    }
    if (!IsGrayScale()) {
        RGBQUAD* palette = GetPalette();
        for (DWORD i = 0; palette && i < GetNumColors(); ++i) {
            palette[i].rgbBlue = static_cast<BYTE>(255 - palette[i].rgbBlue);
            palette[i].rgbGreen = static_cast<BYTE>(255 - palette[i].rgbGreen);
            palette[i].rgbRed = static_cast<BYTE>(255 - palette[i].rgbRed);
        }
        m_info.bLastColorValid = false;
        return true;
    }
    const long width = m_header.biWidth;
    const long height = m_header.biHeight;
    for (long y = 0; y < height; ++y)
        for (long x = 0; x < width; ++x)
            if (!m_pSelection || (SelectionIsInside(x, y) && x >= box.left && x < box.right &&
                                  y >= box.bottom && y < box.top))
                SetPixelIndex(x, y, static_cast<BYTE>(~BlindGetPixelIndex(x, y)));
    return true;
}

bool CRasterImage::DecreaseBpp(DWORD bpp, bool errorDiffusion, const RGBQUAD* palette,
                               DWORD clrImportant)
{
    if (!m_pDib || bpp > GetBpp())
        return false;
    if (bpp == GetBpp() && (clrImportant == 0 || (m_header.biClrImportant != 0 &&
                                                  m_header.biClrImportant < clrImportant)))
        return true;
    if (bpp != 1 && bpp != 4 && bpp != 8)
        return false;
    CRasterImage result;
    result.CopyInfo(*this);
    if (!result.Create(GetWidth(), GetHeight(), bpp, GetType()))
        return false;
    if (clrImportant)
        result.SetClrImportant(clrImportant);
    result.SelectionCopy(*this);
    result.AlphaCopy(*this);
    if (bpp == 1) {
        result.SetPaletteColor(0, 0, 0, 0);
        result.SetPaletteColor(1, 255, 255, 255);
        if (palette)
            result.SetPalette(palette, 2);
    } else {
        result.SetPalette(palette ? palette : bpp == 4 ? kStandardPalette16 : kStandardPalette256,
                          bpp == 4 ? 16 : 256);
    }
    // Error diffusion spreads the error over the pixels still to come; it works on a copy so that
    // a cancelled reduction leaves this image untouched.
    CRasterImage work;
    if (errorDiffusion) {
        work.Copy(*this, true, false, false);
        if (!work.IsValid())
            return false;
    }
    CRasterImage& source = errorDiffusion ? work : *this;
    const long width = m_header.biWidth;
    const long height = m_header.biHeight;
    for (long y = 0; y < height; ++y) {
        if (m_info.nEscape)
            return false;
        m_info.nProgress = static_cast<LONG>(100LL * y / height);
        for (long x = 0; x < width; ++x) {
            const RGBQUAD color = source.GetPixelColor(x, y);
            result.SetPixelIndex(x, y, result.GetNearestIndex(color));
            if (errorDiffusion)
                source.DiffuseError(x, y, color, result.GetPixelColor(x, y));
        }
    }
    if (GetBpp() == 1) {
        result.SetPaletteColor(0, 0, 0, 0);
        result.SetPaletteColor(1, 255, 255, 255);
    }
    return Transfer(result);
}

// Spreads the difference between the wanted and the stored colour over the right neighbour and
// the three below-next neighbours with the weights 7, 2, 4 and 1 (in sixteenths).
void CRasterImage::DiffuseError(long x, long y, RGBQUAD wanted, RGBQUAD stored)
{
    const long er = wanted.rgbRed - stored.rgbRed;
    const long eg = wanted.rgbGreen - stored.rgbGreen;
    const long eb = wanted.rgbBlue - stored.rgbBlue;
    const struct { long dx, dy, weight; } spread[] = {{1, 0, 7}, {-1, 1, 2}, {0, 1, 4}, {1, 1, 1}};
    for (const auto& s : spread) {
        const long nx = x + s.dx, ny = y + s.dy;
        if (!IsInside(nx, ny))
            continue;
        RGBQUAD c = GetPixelColor(nx, ny);
        c.rgbRed = ClampByte(c.rgbRed + er * s.weight / 16);
        c.rgbGreen = ClampByte(c.rgbGreen + eg * s.weight / 16);
        c.rgbBlue = ClampByte(c.rgbBlue + eb * s.weight / 16);
        SetPixelColor(nx, ny, c);
    }
}
