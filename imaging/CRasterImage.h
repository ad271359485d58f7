// CRasterImage: the in-memory raster image. One packed device-independent bitmap (1, 4, 8 or 24 bits,
// rows bottom-up, padded to 4 bytes) with its palette, optional alpha and selection planes, and an
// information record with the settings and results of the format codecs. The format classes of the
// codecs derive from it and add a decode and an encode operation (see RasterCodecTable.h).
//
// The class is split over several sources by concern: CRasterImage.cpp (life cycle, accessors,
// HBITMAP exchange), CRasterImagePalette.cpp, CRasterImagePixels.cpp (pixels, alpha, selection,
// conversions), CRasterImageTransforms.cpp and CRasterImageCodecs.cpp (load and save by format).
#pragma once

#include <windows.h>

#include <cstdio>
#include <memory>
#include <vector>

class CRasterFile;

// Raster format codes: the image's format code and the index of its codec option words.
enum : DWORD {
    RASTER_FORMAT_UNKNOWN = 0,
    RASTER_FORMAT_BMP = 1,
    RASTER_FORMAT_GIF = 2,
    RASTER_FORMAT_JPG = 3,
    RASTER_FORMAT_PNG = 4,
    RASTER_FORMAT_MNG = 5,
    RASTER_FORMAT_ICO = 6,
    RASTER_FORMAT_TIF = 7,
    RASTER_FORMAT_TGA = 8,
    RASTER_FORMAT_PCX = 9,
    RASTER_FORMAT_WBMP = 10,
    RASTER_FORMAT_WMF = 11,
    RASTER_FORMAT_JP2 = 12,
    RASTER_FORMAT_JPC = 13,
    RASTER_FORMAT_PGX = 14,
    RASTER_FORMAT_PNM = 15,
    RASTER_FORMAT_RAS = 16,
    RASTER_FORMAT_PSD = 18, // read by the scene image's own reader; refused by both dispatches
    RASTER_CODEC_OPTION_COUNT = 17,
};

// Settings and results that travel between images (copy-info, transfer, ghost). Pixel pointers and
// the ghost link are not settings: they are never carried from one image to another.
struct RASTERINFO
{
    DWORD dwEffWidth;       // row stride in bytes
    BYTE* pImage;           // bottom pixel row inside the packed bitmap
    class CRasterImage* pGhost; // the image whose buffers a ghost borrows
    DWORD dwType;           // format code
    char szLastError[256];
    LONG nProgress;         // 0-100 during long operations
    LONG nEscape;           // non-zero stops a decode or conversion; -1 asks for dimensions only
    LONG nTransIndex;       // -1 = none
    RGBQUAD transColor;
    BYTE nJpegQuality;
    BYTE nJpegScale;
    // The box the caller will show the picture fitted into, either way up (0 x 0: full size).
    // A codec that can decode smaller for free (JPEG's DCT scaling) stays no smaller than that.
    DWORD dwFitBoxWidth;
    DWORD dwFitBoxHeight;
    // The DCT scale denominator the last JPEG decode took (0 or 1: full size).
    BYTE nDecodedScale;
    LONG nFrame;
    LONG nNumFrames;
    DWORD dwFrameDelay;
    LONG xDPI;
    LONG yDPI;
    RECT rSelectionBox;     // rows counted from the bottom: bottom < top
    BYTE nAlphaMax;
    bool bAlphaPaletteEnabled;
    bool bEnabled;
    LONG xOffset;
    LONG yOffset;
    DWORD dwCodecOptions[RASTER_CODEC_OPTION_COUNT];
    RGBQUAD lastColor;      // nearest-colour cache
    BYTE lastColorIndex;
    bool bLastColorValid;
    LONG nNumLayers;
    DWORD dwFlags;
};

class CRasterImage
{
public:
    explicit CRasterImage(DWORD imageType = 0);
    CRasterImage(DWORD width, DWORD height, DWORD bpp, DWORD imageType);
    CRasterImage(const CRasterImage& source, bool copyPixels, bool copySelection, bool copyAlpha);
    CRasterImage(const BYTE* buffer, DWORD size, DWORD imageType);
    CRasterImage(const CRasterImage&) = delete;
    CRasterImage& operator=(const CRasterImage&) = delete;
    virtual ~CRasterImage();

    // Life cycle
    bool Destroy();
    void* Create(DWORD width, DWORD height, DWORD bpp, DWORD imageType);
    // Whether Create would take a picture of that size (a decoder asks before it spends work or
    // memory on the pixels).
    static bool FitsInMemory(uint64_t width, uint64_t height, DWORD bpp);
    void Copy(const CRasterImage& source, bool copyPixels = true, bool copySelection = true,
              bool copyAlpha = true);
    void CopyInfo(const CRasterImage& source);
    bool Transfer(CRasterImage& source);
    void Ghost(const CRasterImage* source);

    // Queries and settings
    bool IsValid() const { return m_pDib != nullptr; }
    DWORD GetWidth() const { return static_cast<DWORD>(m_header.biWidth); }
    DWORD GetHeight() const { return static_cast<DWORD>(m_header.biHeight); }
    WORD GetBpp() const { return m_header.biBitCount; }
    DWORD GetNumColors() const;
    DWORD GetEffWidth() const { return m_info.dwEffWidth; }
    DWORD GetType() const { return m_info.dwType; }
    void* GetDIB() const { return m_pDib; }
    BYTE* GetBits(DWORD row = 0) const;
    DWORD GetSize() const;
    const char* GetLastError() const { return m_info.szLastError; }
    const BITMAPINFOHEADER& GetHeader() const { return m_header; }
    BYTE GetJpegQuality() const { return m_info.nJpegQuality; }
    void SetJpegQuality(BYTE quality) { m_info.nJpegQuality = quality; }
    BYTE GetJpegScale() const { return m_info.nJpegScale; }
    void SetJpegScale(BYTE scale) { m_info.nJpegScale = scale; }
    void SetDecodeFitBox(DWORD width, DWORD height);
    DWORD GetDecodeFitBoxWidth() const { return m_info.dwFitBoxWidth; }
    DWORD GetDecodeFitBoxHeight() const { return m_info.dwFitBoxHeight; }
    // Whether the last decode gave the picture smaller than the file holds it (a fit box let a
    // JPEG decode at a DCT scale).
    bool IsDecodedReduced() const { return m_info.nDecodedScale > 1; }
    void SetFrame(LONG frame) { m_info.nFrame = frame; }
    LONG GetFrame() const { return m_info.nFrame; }
    LONG GetNumFrames() const { return m_info.nNumFrames; }
    void SetOffset(LONG x, LONG y);
    LONG GetXDPI() const { return m_info.xDPI; }
    LONG GetYDPI() const { return m_info.yDPI; }
    void SetXDPI(LONG dpi);
    void SetYDPI(LONG dpi);
    DWORD GetCodecOption(DWORD imageType = 0) const;
    bool SetCodecOption(DWORD option, DWORD imageType = 0);
    LONG GetTransIndex() const { return m_info.nTransIndex; }
    void SetTransIndex(LONG index) { m_info.nTransIndex = index; }
    RGBQUAD GetTransColor() const;
    void SetTransColor(RGBQUAD color);
    bool IsTransparent() const { return m_info.nTransIndex >= 0; }
    bool IsIndexed() const { return GetNumColors() != 0; }
    BYTE GetColorType() const;
    bool IsInside(LONG x, LONG y) const;
    void Clear(BYTE value = 0);
    LONG GetProgress() const { return m_info.nProgress; }
    void SetProgress(LONG progress) { m_info.nProgress = progress; }
    LONG GetEscape() const { return m_info.nEscape; }
    void SetEscape(LONG escape) { m_info.nEscape = escape; }
    const RECT& GetSelectionBox() const { return m_info.rSelectionBox; }
    LONG GetNumLayers() const { return m_info.nNumLayers; }
    DWORD GetFlags() const { return m_info.dwFlags; }
    void SetFlags(DWORD flags) { m_info.dwFlags = flags; }

    // Encode precondition: true means "cannot encode" (and the last error says why).
    bool EncodeSafeCheck(CRasterFile* stream);

    // Graphics interface
    HBITMAP MakeBitmap(HDC dc = nullptr) const;
    bool CreateFromHBITMAP(HBITMAP bitmap, HPALETTE palette = nullptr);
    // stretchMode HALFTONE averages when shrinking (and resets the brush origin, as it needs).
    bool Stretch(HDC dc, long x, long y, long width, long height, DWORD rop = SRCCOPY,
                 int stretchMode = COLORONCOLOR) const;

    // Load and save by format code (CRasterImageCodecs.cpp)
    bool Decode(CRasterFile* stream, DWORD imageType);
    bool Decode(const BYTE* buffer, DWORD size, DWORD imageType);
    bool Encode(CRasterFile* stream, DWORD imageType);
    bool Encode(FILE* stream, DWORD imageType);
    bool Save(const char* fileName, DWORD imageType);

    // Palette (CRasterImagePalette.cpp)
    DWORD GetPaletteSize() const;
    RGBQUAD* GetPalette() const;
    RGBQUAD GetPaletteColor(BYTE index) const;
    bool GetPaletteColor(BYTE index, BYTE* red, BYTE* green, BYTE* blue) const;
    void SetPaletteColor(BYTE index, BYTE red, BYTE green, BYTE blue, BYTE alpha = 0);
    void SetPaletteColor(BYTE index, RGBQUAD color);
    void SetPalette(const RGBQUAD* palette, DWORD count = 256);
    void SetPalette(DWORD count, const BYTE* red, const BYTE* green, const BYTE* blue);
    void SetPalette(const RGBTRIPLE* triplets, DWORD count);
    void SetGrayPalette();
    void SetStdPalette();
    bool IsGrayScale() const;
    void SwapIndex(BYTE a, BYTE b);
    void SetClrImportant(DWORD count);
    BYTE GetNearestIndex(RGBQUAD color);
    bool AlphaPaletteIsValid() const;

    // Pixels, alpha and selection (CRasterImagePixels.cpp)
    BYTE GetPixelIndex(long x, long y) const;
    void SetPixelIndex(long x, long y, BYTE index);
    RGBQUAD GetPixelColor(long x, long y, bool withAlpha = true) const;
    void SetPixelColor(long x, long y, RGBQUAD color, bool setAlpha = false);
    void SetPixelColor(long x, long y, COLORREF color);
    static RGBQUAD RGBtoRGBQUAD(COLORREF color);
    void RGBtoBGR(BYTE* buffer, int length) const;
    bool AlphaIsValid() const { return m_pAlpha != nullptr; }
    void AlphaCreate();
    void AlphaDelete();
    bool AlphaCopy(const CRasterImage& source);
    void AlphaSet(long x, long y, BYTE value);
    BYTE AlphaGet(long x, long y) const;
    bool AlphaFlip();
    bool AlphaMirror();
    bool SelectionIsValid() const { return m_pSelection != nullptr; }
    bool SelectionDelete();
    bool SelectionIsInside(long x, long y) const;
    bool SelectionCopy(const CRasterImage& source);
    void Bitfield2RGB(const BYTE* source, WORD redMask, WORD greenMask, WORD blueMask, BYTE bpp);
    static int CompareColors(const void* a, const void* b);

    // Transforms and bit-depth reduction (CRasterImageTransforms.cpp)
    bool Flip();
    bool Mirror();
    bool RotateLeft(CRasterImage* destination = nullptr);
    bool RotateRight(CRasterImage* destination = nullptr);
    bool Rotate180(CRasterImage* destination = nullptr);
    bool Negative();
    bool DecreaseBpp(DWORD bpp, bool errorDiffusion, const RGBQUAD* palette = nullptr,
                     DWORD clrImportant = 0);

    // Replaces the last error text (at most 255 characters are kept).
    void SetLastError(const char* text);

protected:
    // Unchecked accessors for the inner loops of the transforms.
    BYTE BlindGetPixelIndex(long x, long y) const;
    BYTE* BlindGetPixelPointer(long x, long y) const;
    BYTE BlindAlphaGet(long x, long y) const;
    // Palette entries the packed bitmap was laid out with (fixed by Create).
    DWORD LayoutColors() const;
    // Bytes of one plane (width x height), 0 when empty.
    size_t PlaneSize() const;
    // Copies a plane of the same-sized source into the given plane, allocating it when absent.
    bool CopyPlane(BYTE*& plane, const BYTE* sourcePlane, const CRasterImage& source);
    // A copy without pixels and selection but with the alpha plane: the start of Flip and Mirror.
    bool PrepareCopy(CRasterImage& result) const;
    // Writes the image's header, with the palette count the block holds, into the packed bitmap.
    void SyncHeaderToDib();
    // The rotations share their set-up: a result of the given size with this image's settings,
    // palette and (when present) an alpha plane.
    bool PrepareTurn(CRasterImage& result, DWORD width, DWORD height) const;
    bool FinishTurn(CRasterImage& result, CRasterImage* destination);
    bool QuarterTurnInto(bool left, CRasterImage* destination);
    void TurnBits(CRasterImage& result, bool left) const;
    void TurnTiles(CRasterImage& result, bool left);
    void DiffuseError(long x, long y, RGBQUAD wanted, RGBQUAD stored);

    // Create for a decoder that writes every pixel row before it reports success: the block may
    // be the kept block of a large picture freed before (its old pixels never show).
    void* CreateFullyWritten(DWORD width, DWORD height, DWORD bpp, DWORD imageType);

    void* m_pDib;
    size_t m_blockBytes = 0; // what m_pDib was allocated with
    BITMAPINFOHEADER m_header;
    RASTERINFO m_info;
    BYTE* m_pSelection;
    BYTE* m_pAlpha;
    std::vector<std::unique_ptr<CRasterImage>> m_layers;

private:
    void StartUp(DWORD imageType);
    void ResetInfo(DWORD imageType);
    void CopySettingsFrom(const RASTERINFO& info);
    void* CreateWith(DWORD width, DWORD height, DWORD bpp, DWORD imageType, bool reuse);
};
