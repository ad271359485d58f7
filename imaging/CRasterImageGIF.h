// CRasterImageGIF: the GIF format class (format code 2). Decodes the frame the frame index picks,
// composed onto the logical screen with the earlier frames (disposal, transparency, interlace),
// and GIFs whose frames tile a true-colour picture; encodes paletted images as one GIF89a image
// and true-colour images as a mosaic of tiles with their own colour tables.
#pragma once

#include "imaging/CRasterImage.h"

#include <memory>
#include <vector>

class GifByteReader;

class CRasterImageGIF : public CRasterImage
{
public:
    CRasterImageGIF() : CRasterImage(RASTER_FORMAT_GIF) {}

    using CRasterImage::Decode;
    using CRasterImage::Encode;
    bool Decode(CRasterFile* stream);
    bool Encode(CRasterFile* stream);

    // Packing of the encoder's codes (the image's option word for format code 2).
    enum : DWORD { PACK_LZW = 0, PACK_UNCOMPRESSED = 1, PACK_RUN_LENGTH = 2 };

    const char* GetComment() const { return m_comment; }
    void SetComment(const char* comment);
    int GetLoops() const { return m_loops; }
    int GetDisposalMethod() const { return m_disposal; }
    void SetDisposalMethod(int method) { m_disposal = method & 7; }

private:
    struct GraphicControl
    {
        BYTE flags = 0;
        WORD delay = 0;
        BYTE transIndex = 0;
    };
    struct ColourTable
    {
        RGBQUAD entries[256] = {};
        DWORD count = 0;
    };
    struct FrameHeader
    {
        DWORD left, top, width, height;
        BYTE flags;
    };
    struct DecodeState; // the running decode of one file
    // What a first pass over the frames found: their number, the box they cover on the screen
    // and whether one claims far more pixels than its data can fill.
    struct FrameSurvey
    {
        int count = 0;
        DWORD right = 0, bottom = 0;
        bool overclaimed = false;
        uint64_t pixels = 0;    // of all frames, as they claim
        uint64_t dataBytes = 0; // of all frames' image data
    };

    // Decoding
    bool ReadExtension(GifByteReader& reader);
    FrameSurvey CountFrames(GifByteReader& reader, const ColourTable& global, int& trueColourSigns);
    void FitScreen(DecodeState& state, const FrameSurvey& survey) const;
    void EnsureCanvas(DecodeState& state, WORD bpp, const FrameHeader& first);
    void ClearToBackground(DecodeState& state);
    static void DropFilledOpacity(CRasterImage& canvas);
    bool ReadFrameHeader(GifByteReader& reader, FrameHeader& frame);
    bool ReadColourTable(GifByteReader& reader, BYTE flags, ColourTable& table);
    bool ReadFrames(GifByteReader& reader, DecodeState& state, int wanted);
    bool FinishDecode(DecodeState& state);
    bool DecodeFrame(GifByteReader& reader, const FrameHeader& frame, const ColourTable& table,
                     CRasterImage& image);
    void ComposeOrdinary(DecodeState& state, const FrameHeader& frame, CRasterImage& image);
    void ComposeTrueColour(DecodeState& state, const FrameHeader& frame, const CRasterImage& image);

    // Encoding
    bool WriteHeader(CRasterFile& stream, bool withPalette);
    bool WriteGraphicControl(CRasterFile& stream);
    bool WriteComment(CRasterFile& stream);
    bool WriteImage(CRasterFile& stream, bool localTable);
    bool WriteColourTable(CRasterFile& stream);
    bool PackPixels(CRasterFile& stream, int codeSize);
    bool EncodeMosaic(CRasterFile& stream);
    void FillTile(CRasterImageGIF& tile, DWORD left, DWORD top);
    bool Fail(const char* text);

    GraphicControl m_control;
    char m_comment[256] = {};
    int m_loops = 0;
    int m_disposal = 0;
};
