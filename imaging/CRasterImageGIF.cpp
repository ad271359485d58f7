#include "imaging/CRasterImageGIF.h"

#include "imaging/CRasterFile.h"
#include "imaging/DataBound.h"
#include "imaging/GifByteReader.h"
#include "imaging/GifLzwDecoder.h"
#include "imaging/GifLzwEncoder.h"
#include "imaging/GifRunLengthEncoder.h"
#include "imaging/LittleEndian.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr DWORD kTileWidth = 17;
constexpr DWORD kTileHeight = 15;
const char kWriteError[] = "Write Error in GIF file";

bool PutWord(CRasterFile& stream, DWORD v)
{
    return stream.PutC(BYTE(v)) && stream.PutC(BYTE(v >> 8));
}

bool WriteAll(CRasterFile& stream, const void* data, size_t size)
{
    return size == 0 || stream.Write(data, 1, size) == size;
}

// Skips data sub-blocks; the bytes of data they held.
uint64_t SkipSubBlocks(GifByteReader& reader)
{
    uint64_t bytes = 0;
    for (int n = reader.Byte(); n > 0; n = reader.Byte()) {
        reader.Skip(size_t(n));
        bytes += uint64_t(n);
    }
    return bytes;
}

// A 12-bit LZW code stands for at most 4096 pixels: no byte of data fills more than this many.
constexpr uint64_t kMostPixelsPerByte = 2731;

bool Overclaimed(uint64_t pixels, uint64_t dataBytes)
{
    return DataBound::Overclaims(pixels, dataBytes, kMostPixelsPerByte);
}

WORD BitsForColours(DWORD count)
{
    return count <= 2 ? 1 : count <= 16 ? 4 : 8;
}

// Stores a row of one index per byte into a stored row of 1, 4 or 8 bits.
void PackRow(BYTE* bits, WORD bpp, const BYTE* indices, DWORD count)
{
    for (DWORD x = 0; x < count; ++x) {
        const BYTE v = indices[x];
        if (bpp == 8) {
            bits[x] = v;
        } else if (bpp == 4) {
            const int shift = (x & 1) ? 0 : 4;
            bits[x / 2] = BYTE((bits[x / 2] & ~(0x0F << shift)) | ((v & 0x0F) << shift));
        } else {
            const BYTE mask = BYTE(0x80 >> (x & 7));
            bits[x / 8] = BYTE((v & 1) ? bits[x / 8] | mask : bits[x / 8] & ~mask);
        }
    }
}

} // namespace

struct CRasterImageGIF::DecodeState
{
    DWORD screenWidth = 0, screenHeight = 0;
    ColourTable table;
    bool trueColour = false;
    std::unique_ptr<CRasterImageGIF> canvas;
    LONG firstTrans = -1;
    int previousDisposal = 0;
    RGBQUAD lastTransColour = {};
};

void CRasterImageGIF::SetComment(const char* comment)
{
    std::strncpy(m_comment, comment ? comment : "", sizeof m_comment - 1);
    m_comment[sizeof m_comment - 1] = 0;
}

bool CRasterImageGIF::Fail(const char* text)
{
    SetLastError(text);
    return false;
}

bool CRasterImageGIF::ReadExtension(GifByteReader& reader)
{
    const int label = reader.Byte();
    BYTE data[256];
    if (label == 0xF9) {
        const int size = reader.Byte();
        if (size > 0 && reader.Read(data, size_t(size)) == size_t(size) && size >= 4) {
            m_control = GraphicControl{data[0], LittleEndian::Get16(data + 1), data[3]};
            if (m_control.flags & 1)
                m_info.nTransIndex = m_control.transIndex;
            m_info.dwFrameDelay = m_control.delay;
            m_disposal = (m_control.flags >> 2) & 7;
        }
    } else if (label == 0xFE) {
        const int size = reader.Byte();
        if (size == 0)
            return true; // an empty comment: its terminator is read
        if (size < 0 || reader.Read(data, size_t(size)) != size_t(size))
            return false;
        std::memcpy(m_comment, data, size_t(size));
        m_comment[std::min(size, 255)] = 0;
    } else if (label == 0xFF) {
        const int idSize = reader.Byte();
        if (idSize < 0 || reader.Read(data, size_t(idSize)) != size_t(idSize))
            return false;
        const bool netscape = idSize == 11 && (std::memcmp(data, "NETSCAPE2.0", 11) == 0 ||
                                               std::memcmp(data, "ANIMEXTS1.0", 11) == 0);
        const int size = reader.Byte();
        if (size == 0)
            return true; // an application block without data (an empty colour profile)
        if (size < 0 || reader.Read(data, size_t(size)) != size_t(size))
            return false;
        if (netscape && size > 2)
            m_loops = data[1] + 256 * data[2];
    } else if (label < 0) {
        return false;
    }
    SkipSubBlocks(reader);
    return true;
}

bool CRasterImageGIF::ReadFrameHeader(GifByteReader& reader, FrameHeader& frame)
{
    BYTE d[9];
    if (reader.Read(d, 9) != 9)
        return false;
    frame = FrameHeader{LittleEndian::Get16(d), LittleEndian::Get16(d + 2), LittleEndian::Get16(d + 4), LittleEndian::Get16(d + 6), d[8]};
    return true;
}

bool CRasterImageGIF::ReadColourTable(GifByteReader& reader, BYTE flags, ColourTable& table)
{
    const DWORD count = 2u << (flags & 7);
    BYTE rgb[256 * 3];
    if (reader.Read(rgb, count * 3) != count * 3)
        return false;
    for (DWORD i = 0; i < count; ++i)
        table.entries[i] = RGBQUAD{rgb[3 * i + 2], rgb[3 * i + 1], rgb[3 * i], 0};
    table.count = count;
    return true;
}

CRasterImageGIF::FrameSurvey CRasterImageGIF::CountFrames(GifByteReader& reader,
                                                         const ColourTable& global,
                                                         int& trueColourSigns)
{
    // The count reads the extensions too; what frame 0 needs of them is put back afterwards.
    const int64_t start = reader.Tell();
    const LONG trans = m_info.nTransIndex;
    const DWORD delay = m_info.dwFrameDelay;
    const GraphicControl control = m_control;
    const int disposal = m_disposal;
    ColourTable table = global;
    FrameSurvey survey;
    for (int b = reader.Byte(); b >= 0 && b != 0x3B; b = reader.Byte()) {
        if (b == 0x21) {
            if (!ReadExtension(reader))
                break;
            continue;
        }
        FrameHeader f;
        if (b != 0x2C || !ReadFrameHeader(reader, f))
            continue;
        if ((f.flags & 0x80) && !ReadColourTable(reader, f.flags, table))
            break;
        reader.Byte(); // code size
        const uint64_t data = SkipSubBlocks(reader);
        if (Overclaimed(uint64_t(f.width) * f.height, data))
            survey.overclaimed = true;
        survey.pixels += uint64_t(f.width) * f.height;
        survey.dataBytes += data;
        survey.right = std::max(survey.right, f.left + f.width);
        survey.bottom = std::max(survey.bottom, f.top + f.height);
        const bool inside = f.left + f.width <= DWORD(m_header.biWidth) &&
                            f.top + f.height <= DWORD(m_header.biHeight);
        // A first frame smaller than the screen is a tile of a true-colour picture; "smaller"
        // in either direction, so that pictures one tile wide or high read back whole.
        if (survey.count == 0 && inside &&
            (f.width != DWORD(m_header.biWidth) || f.height != DWORD(m_header.biHeight)))
            ++trueColourSigns;
        ++survey.count;
    }
    reader.Seek(start);
    m_info.nTransIndex = trans;
    m_info.dwFrameDelay = delay;
    m_control = control;
    m_disposal = disposal;
    return survey;
}

void CRasterImageGIF::FitScreen(DecodeState& state, const FrameSurvey& survey) const
{
    // A screen of no size shows the frames' box; a screen far larger than its frames cover is
    // cut to them (a few bytes could otherwise claim gigabytes of background).
    if (state.screenWidth == 0 || state.screenHeight == 0) {
        state.screenWidth = survey.right;
        state.screenHeight = survey.bottom;
        return;
    }
    const uint64_t screen = uint64_t(state.screenWidth) * state.screenHeight;
    const uint64_t covered = uint64_t(std::min(survey.right, state.screenWidth)) *
                             std::min(survey.bottom, state.screenHeight);
    if (screen > DataBound::kPixelsTakenOnTrust && screen / 4 > covered) {
        state.screenWidth = std::min(survey.right, state.screenWidth);
        state.screenHeight = std::min(survey.bottom, state.screenHeight);
    }
}

bool CRasterImageGIF::Decode(CRasterFile* stream)
{
    if (stream == nullptr)
        return false;
    GifByteReader reader(*stream);
    BYTE header[13];
    if (reader.Read(header, 13) != 13 || std::memcmp(header, "GIF8", 4) != 0)
        return Fail("GIF: not a GIF file");
    DecodeState state;
    state.screenWidth = LittleEndian::Get16(header + 6);
    state.screenHeight = LittleEndian::Get16(header + 8);
    m_header.biWidth = LONG(state.screenWidth);
    m_header.biHeight = LONG(state.screenHeight);
    if (m_info.nEscape == -1)
        return true;
    int signs = 0;
    if (header[10] & 0x80) {
        if (!ReadColourTable(reader, header[10], state.table))
            return Fail("GIF: the colour table is cut short");
    } else {
        ++signs;
    }
    const FrameSurvey survey = CountFrames(reader, state.table, signs);
    const int frames = survey.count;
    m_info.nNumFrames = frames;
    if (frames == 0)
        return Fail("GIF: the file holds no picture");
    if (m_info.nFrame < 0 || m_info.nFrame >= frames)
        return Fail("GIF: no such frame");
    // Every frame is composed onto the screen: the frames together, and the screen they land
    // on, must be what their data can fill (frames in opposite corners of a vast screen
    // would otherwise claim gigabytes of background from a few bytes).
    if (survey.overclaimed || Overclaimed(survey.pixels, survey.dataBytes))
        return Fail("GIF: a frame is larger than its data can fill");
    FitScreen(state, survey);
    if (state.screenWidth == 0 || state.screenHeight == 0)
        return Fail("GIF: the picture has no size");
    if (Overclaimed(uint64_t(state.screenWidth) * state.screenHeight, survey.dataBytes))
        return Fail("GIF: the screen is larger than its frames' data can fill");
    state.trueColour = signs >= 2 && frames > 1;
    const int wanted = state.trueColour ? frames - 1 : m_info.nFrame;
    return ReadFrames(reader, state, wanted) && FinishDecode(state);
}

// Reads blocks up to and with the wanted frame, composing each frame as it comes.
bool CRasterImageGIF::ReadFrames(GifByteReader& reader, DecodeState& state, int wanted)
{
    for (int index = 0;;) {
        if (m_info.nEscape > 0)
            return Fail("GIF: cancelled");
        const int b = reader.Byte();
        if (b < 0 || b == 0x3B)
            break;
        if (b == 0x21) {
            if (!ReadExtension(reader))
                break;
            continue;
        }
        FrameHeader frame;
        if (b != 0x2C || !ReadFrameHeader(reader, frame))
            continue;
        ColourTable local = state.table;
        if ((frame.flags & 0x80) && !ReadColourTable(reader, frame.flags, local))
            break;
        state.table = local; // a local table serves the later frames too
        if (frame.width == 0 || frame.height == 0) {
            // A frame of no size draws nothing, but it is a frame of the animation.
            reader.Byte();
            SkipSubBlocks(reader);
            EnsureCanvas(state, state.trueColour ? 24 : BitsForColours(state.table.count), frame);
            if (index++ == wanted)
                break;
            continue;
        }
        CRasterImage image;
        if (!DecodeFrame(reader, frame, state.table, image))
            return false;
        if (m_info.nEscape != 0)
            return Fail("GIF: cancelled");
        if (state.trueColour)
            ComposeTrueColour(state, frame, image);
        else
            ComposeOrdinary(state, frame, image);
        state.previousDisposal = (m_control.flags >> 2) & 7;
        if (index++ == wanted)
            break;
    }
    return true;
}

bool CRasterImageGIF::FinishDecode(DecodeState& state)
{
    if (!state.canvas || !state.canvas->IsValid())
        return Fail(state.canvas ? state.canvas->GetLastError() : "GIF: no frame could be read");
    const DWORD delay = m_info.dwFrameDelay;
    if (state.trueColour && (m_control.flags & 1)) {
        state.canvas->SetTransColor(state.lastTransColour);
        state.canvas->SetTransIndex(0);
    }
    DropFilledOpacity(*state.canvas);
    if (!Transfer(*state.canvas))
        return Fail("GIF: the picture could not be kept");
    m_info.dwFrameDelay = delay;
    return true;
}

bool CRasterImageGIF::DecodeFrame(GifByteReader& reader, const FrameHeader& frame,
                                  const ColourTable& table, CRasterImage& image)
{
    const WORD bpp = BitsForColours(table.count);
    if (!image.Create(frame.width, frame.height, bpp, RASTER_FORMAT_GIF))
        return Fail(image.GetLastError());
    if (table.count > 0) {
        RGBQUAD palette[256];
        std::fill(palette, palette + 256, RGBQUAD{255, 255, 255, 0});
        std::copy(table.entries, table.entries + table.count, palette);
        image.SetPalette(palette, m_info.nTransIndex != -1 ? 256 : table.count);
    }
    // Interlaced frames come in four passes: every 8th row from 0, every 8th from 4, every 4th
    // from 2, every 2nd from 1. Rows beyond the frame are dropped.
    static const DWORD kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
    const bool interlaced = (frame.flags & 0x40) != 0;
    DWORD row = 0;
    int pass = 0;
    auto sink = [&](const BYTE* indices, DWORD count) {
        if (row >= frame.height)
            return true;
        PackRow(image.GetBits(frame.height - 1 - row), bpp, indices,
                std::min<DWORD>(count, frame.width));
        if (!interlaced) {
            ++row;
            return true;
        }
        row += kStep[pass];
        while (row >= frame.height && pass < 3)
            row = kStart[++pass];
        return true;
    };
    GifLzwDecoder decoder;
    const GifLzwDecoder::ByteSource source = [&reader]() { return reader.Byte(); };
    decoder.Decode(source, frame.width, sink);
    decoder.SkipRest(source);
    return true;
}

void CRasterImageGIF::EnsureCanvas(DecodeState& state, WORD bpp, const FrameHeader& first)
{
    if (state.canvas)
        return;
    state.canvas = std::make_unique<CRasterImageGIF>();
    state.canvas->CopyInfo(*this);
    state.canvas->Create(state.screenWidth, state.screenHeight, bpp, RASTER_FORMAT_GIF);
    if (bpp <= 8)
        state.canvas->Clear(m_control.transIndex);
    state.firstTrans = m_info.nTransIndex;
    const bool covers = first.left == 0 && first.top == 0 && first.width >= state.screenWidth &&
                        first.height >= state.screenHeight;
    if (!covers)
        ClearToBackground(state);
}

// The screen where no frame has drawn shows what lies behind the picture (as browsers show it,
// not the background colour the header names): the transparent index where the file has one,
// else an opacity plane that marks what the frames drew.
void CRasterImageGIF::ClearToBackground(DecodeState& state)
{
    CRasterImageGIF& canvas = *state.canvas;
    if (canvas.GetBpp() <= 8 && state.firstTrans >= 0) {
        canvas.Clear(BYTE(state.firstTrans));
        return;
    }
    canvas.Clear(0);
    canvas.AlphaCreate();
    for (long y = 0; y < long(canvas.GetHeight()); ++y)
        for (long x = 0; x < long(canvas.GetWidth()); ++x)
            canvas.AlphaSet(x, y, 0);
}

// An opacity plane the frames filled is of no use.
void CRasterImageGIF::DropFilledOpacity(CRasterImage& canvas)
{
    if (!canvas.AlphaIsValid())
        return;
    for (long y = 0; y < long(canvas.GetHeight()); ++y)
        for (long x = 0; x < long(canvas.GetWidth()); ++x)
            if (canvas.AlphaGet(x, y) != 255)
                return;
    canvas.AlphaDelete();
}

void CRasterImageGIF::ComposeOrdinary(DecodeState& state, const FrameHeader& frame,
                                      CRasterImage& image)
{
    if (!state.canvas)
        EnsureCanvas(state, image.GetBpp(), frame);
    else if (state.previousDisposal == 2)
        ClearToBackground(state);
    CRasterImageGIF& canvas = *state.canvas;
    if (!canvas.IsValid())
        return;
    const LONG trans = m_info.nTransIndex;
    // A frame reaching past the screen shows the part on it.
    const DWORD width = frame.left < state.screenWidth ? std::min(frame.width, state.screenWidth - frame.left) : 0;
    const DWORD height = frame.top < state.screenHeight ? std::min(frame.height, state.screenHeight - frame.top) : 0;
    for (DWORD y = 0; y < height; ++y)
        for (DWORD x = 0; x < width; ++x) {
            const BYTE index = image.GetPixelIndex(long(x), long(frame.height - 1 - y));
            if (LONG(index) == trans)
                continue;
            const long row = long(state.screenHeight - 1 - (frame.top + y));
            canvas.SetPixelIndex(long(frame.left + x), row, index);
            canvas.AlphaSet(long(frame.left + x), row, 255);
        }
    canvas.SetPalette(image.GetPalette(), image.GetNumColors());
    canvas.SetTransIndex(state.firstTrans);
}

void CRasterImageGIF::ComposeTrueColour(DecodeState& state, const FrameHeader& frame,
                                        const CRasterImage& image)
{
    EnsureCanvas(state, 24, frame);
    CRasterImageGIF& canvas = *state.canvas;
    if (!canvas.IsValid())
        return;
    const DWORD width = frame.left < state.screenWidth ? std::min(frame.width, state.screenWidth - frame.left) : 0;
    const DWORD height = frame.top < state.screenHeight ? std::min(frame.height, state.screenHeight - frame.top) : 0;
    for (DWORD y = 0; y < height; ++y)
        for (DWORD x = 0; x < width; ++x) {
            const long row = long(state.screenHeight - 1 - (frame.top + y));
            canvas.SetPixelColor(long(frame.left + x), row,
                                 image.GetPixelColor(long(x), long(frame.height - 1 - y), false));
            canvas.AlphaSet(long(frame.left + x), row, 255);
        }
    if (m_info.nTransIndex >= 0)
        state.lastTransColour = image.GetPaletteColor(BYTE(m_info.nTransIndex));
}

bool CRasterImageGIF::Encode(CRasterFile* stream)
{
    if (EncodeSafeCheck(stream))
        return false;
    if (GetBpp() > 8)
        return EncodeMosaic(*stream);
    const bool ok = WriteHeader(*stream, true) && WriteGraphicControl(*stream) &&
                    WriteComment(*stream) && WriteImage(*stream, false) && stream->PutC(0x3B);
    return ok || Fail(kWriteError);
}

bool CRasterImageGIF::WriteHeader(CRasterFile& stream, bool withPalette)
{
    const WORD bpp = GetBpp();
    const BYTE flags = withPalette ? BYTE(0x80 | (((bpp + 7) * 32) & 0xFF) | (bpp - 1)) : 0x11;
    return WriteAll(stream, "GIF89a", 6) && PutWord(stream, GetWidth()) &&
           PutWord(stream, GetHeight()) && stream.PutC(flags) && stream.PutC(0) &&
           stream.PutC(0) && (!withPalette || WriteColourTable(stream));
}

bool CRasterImageGIF::WriteColourTable(CRasterFile& stream)
{
    // The table holds 2^bits entries, as the flags say, even when the palette is shorter.
    const DWORD entries = 1u << GetBpp();
    BYTE rgb[256 * 3] = {};
    for (DWORD i = 0; i < std::min(entries, GetNumColors()); ++i) {
        const RGBQUAD c = GetPaletteColor(BYTE(i));
        rgb[3 * i] = c.rgbRed;
        rgb[3 * i + 1] = c.rgbGreen;
        rgb[3 * i + 2] = c.rgbBlue;
    }
    return WriteAll(stream, rgb, entries * 3);
}

bool CRasterImageGIF::WriteGraphicControl(CRasterFile& stream)
{
    const BYTE flags = BYTE((m_disposal & 7) * 4 + (m_info.nTransIndex != -1 ? 1 : 0));
    const BYTE block[8] = {0x21, 0xF9, 0x04, flags, BYTE(m_info.dwFrameDelay),
                           BYTE(m_info.dwFrameDelay >> 8), BYTE(m_info.nTransIndex), 0x00};
    return WriteAll(stream, block, sizeof block);
}

bool CRasterImageGIF::WriteComment(CRasterFile& stream)
{
    const size_t length = std::strlen(m_comment);
    if (length == 0)
        return true;
    return stream.PutC(0x21) && stream.PutC(0xFE) && stream.PutC(BYTE(length)) &&
           WriteAll(stream, m_comment, length) && stream.PutC(0);
}

bool CRasterImageGIF::WriteImage(CRasterFile& stream, bool localTable)
{
    const WORD bpp = GetBpp();
    const int codeSize = bpp == 1 ? 2 : bpp;
    return stream.PutC(0x2C) && PutWord(stream, DWORD(m_info.xOffset)) &&
           PutWord(stream, DWORD(m_info.yOffset)) && PutWord(stream, GetWidth()) &&
           PutWord(stream, GetHeight()) && stream.PutC(localTable ? BYTE(0x80 | (bpp - 1)) : 0) &&
           (!localTable || WriteColourTable(stream)) && stream.PutC(BYTE(codeSize)) &&
           PackPixels(stream, codeSize) && stream.PutC(0);
}

bool CRasterImageGIF::PackPixels(CRasterFile& stream, int codeSize)
{
    // Pixels from the top row of the picture down, left to right.
    const DWORD width = GetWidth();
    DWORD x = 0, y = GetHeight();
    const BYTE* row = y ? GetBits(y - 1) : nullptr;
    const WORD bpp = GetBpp();
    const GifLzwEncoder::PixelSource pixels = [&]() -> int {
        if (y == 0)
            return -1;
        int v;
        if (bpp == 8)
            v = row[x];
        else if (bpp == 4)
            v = (row[x / 2] >> ((x & 1) ? 0 : 4)) & 0x0F;
        else
            v = (row[x / 8] >> (7 - (x & 7))) & 1;
        if (++x == width) {
            x = 0;
            --y;
            row = y ? GetBits(y - 1) : nullptr;
        }
        return v;
    };
    switch (GetCodecOption(RASTER_FORMAT_GIF)) {
    case PACK_UNCOMPRESSED:
        return GifLzwEncoder(stream).PackUncompressed(pixels, codeSize + 1);
    case PACK_RUN_LENGTH:
        return GifRunLengthEncoder(stream).Pack(pixels, codeSize + 1);
    default:
        return GifLzwEncoder(stream).PackLzw(pixels, codeSize + 1);
    }
}

bool CRasterImageGIF::EncodeMosaic(CRasterFile& stream)
{
    if (!WriteHeader(stream, false) || !WriteComment(stream))
        return Fail(kWriteError);
    CRasterImageGIF tile;
    for (DWORD top = 0; top < GetHeight(); top += kTileHeight)
        for (DWORD left = 0; left < GetWidth(); left += kTileWidth) {
            FillTile(tile, left, top);
            if (!tile.IsValid())
                return Fail(tile.GetLastError());
            if (!tile.WriteGraphicControl(stream) || !tile.WriteImage(stream, true))
                return Fail(kWriteError);
        }
    return stream.PutC(0x3B) || Fail(kWriteError);
}

void CRasterImageGIF::FillTile(CRasterImageGIF& tile, DWORD left, DWORD top)
{
    const DWORD width = std::min(kTileWidth, GetWidth() - left);
    const DWORD height = std::min(kTileHeight, GetHeight() - top);
    if (tile.GetWidth() != width || tile.GetHeight() != height || !tile.IsValid())
        tile.Create(width, height, 8, RASTER_FORMAT_GIF);
    if (!tile.IsValid())
        return;
    if (IsTransparent()) {
        tile.SetTransIndex(0);
        tile.SetPaletteColor(0, GetTransColor());
    }
    // Each tile pixel gets an entry of its own: (k, j) with j counted from the tile's bottom row.
    const DWORD bottom = GetHeight() - top - height; // stored row of the tile's bottom row
    for (DWORD j = 0; j < height; ++j)
        for (DWORD k = 0; k < width; ++k) {
            RGBQUAD c = GetPixelColor(long(left + k), long(bottom + j), false);
            c.rgbReserved = 0;
            tile.SetPaletteColor(BYTE(1 + k + kTileWidth * j), c);
        }
    for (DWORD j = 0; j < height; ++j)
        for (DWORD k = 0; k < width; ++k) {
            RGBQUAD c = GetPixelColor(long(left + k), long(bottom + j), false);
            c.rgbReserved = 0;
            tile.SetPixelIndex(long(k), long(j), tile.GetNearestIndex(c));
        }
    tile.SetOffset(LONG(left), LONG(top));
}
