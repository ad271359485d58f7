// CRasterImageTIF: the TIFF format class (format code 7) over libtiff 4. Reads one page (the
// frame index picks it) and writes one page; libtiff parses, handles directories and runs every
// compression codec through the stream adapter. Every copy out of libtiff's buffers is bounded by
// both the buffer and the image row.
#pragma once

#include <string>

#include "imaging/CRasterImage.h"

#include <tiffio.h>

#include <vector>

class CRasterImageTIF : public CRasterImage
{
public:
    CRasterImageTIF() : CRasterImage(RASTER_FORMAT_TIF) {}
    ~CRasterImageTIF() override;

    using CRasterImage::Decode;
    using CRasterImage::Encode;
    bool Decode(CRasterFile* stream);
    bool Encode(CRasterFile* stream);

private:
    struct PageLayout
    {
        uint32_t width, length, rowsPerStrip;
        uint16_t samples, bitsPerSample, photometric;
        uint64_t rowBytes; // bytes of one row as libtiff delivers it
        uint16_t sampleFormat;
        // Samples the plain paths do not take (widths other than 1, 2, 4, 8 and 16 bits, floating
        // point, palettes of more than 256 entries), each brought to 8 bits.
        bool wideSamples;
    };

    bool Fail(const char* text);
    bool FailCorrupted();
    std::string m_reason;       // the text of the last refusal
    std::string m_libtiffError; // libtiff's last error message while decoding
    bool DecodePage(TIFF* tif);
    void ReadResolution(TIFF* tif);
    DWORD ChooseDepth(const PageLayout& page) const;
    // Contiguous 8-bit RGB: read by strips or tiles like grey pages, without libtiff's RGBA pass.
    static bool IsPlainRgb(TIFF* tif, const PageLayout& page);
    // Why the page cannot be read, or null when it can (checked before anything is allocated).
    const char* Unsupported(TIFF* tif, const PageLayout& page, uint16_t compression);
    // Samples of any width up to 16 bits, packed from the high bit, one to a byte of the row.
    void StorePackedRow(const PageLayout& page, const BYTE* samples, DWORD row);
    bool ReadRgbaPage(TIFF* tif, const PageLayout& page);
    bool FillPalette(TIFF* tif, const PageLayout& page);
    bool ReadBands(TIFF* tif, PageLayout page);
    bool ReadTileBand(TIFF* tif, const PageLayout& page, uint32_t top, uint32_t tileWidth,
                      std::vector<BYTE>& band, std::vector<BYTE>& tile);
    void StoreRow(const PageLayout& page, BYTE* samples, DWORD rowFromTop);
    void StoreLabRow(const PageLayout& page, const BYTE* samples, DWORD row);
    // Grey, RGB and palette pages of wide samples.
    static bool TakesWideSamples(const PageLayout& page);
    void StoreWideRow(const PageLayout& page, const BYTE* samples, DWORD row);
    const uint16_t* m_colormap[3] = {}; // of the page being read
    bool WritePage(TIFF* tif);
    bool WriteRows(TIFF* tif, DWORD bits, bool invert);

    TIFF* m_tif = nullptr; // a write in progress
    bool m_multiPage = false;
    int m_pages = 0;
};
