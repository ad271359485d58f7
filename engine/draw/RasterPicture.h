// Raster pictures placed in drawings: the decoded picture (RasterPicture) and the decoder a higher
// layer supplies (RasterDecoder). The engine reads no picture format itself: the program's imaging
// layer, above it, knows them all and hands a decoder in (RkIo::EngineState::SetRasterDecoder).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace RkDraw {

struct RasterPicture
{
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;     // 0x00RRGGBB, rows from the top
    // The file's picture has one bit per pixel (a scanned sheet, a stamp): a drawing shows its
    // ink in the entity's colour. A decoder sets it; the picture itself is then black on white.
    bool bitonal = false;
    // Pixels of the key colour are not drawn: what lies below shows through them.
    bool keyed = false;
    std::uint32_t key = 0;
    std::size_t Bytes() const { return pixels.size() * sizeof(std::uint32_t); }
};

class RasterDecoder
{
public:
    virtual ~RasterDecoder() = default;
    // The picture file at path, made at most fitWidth x fitHeight pixels (never larger than the
    // file's own picture; a decoder may keep its own size where that is smaller). False when the
    // file cannot be read as a picture. Called from any thread.
    virtual bool Decode(const std::string& path, int fitWidth, int fitHeight, RasterPicture& out) = 0;
    // The same for a picture file's bytes kept in the drawing (the picture of an OLE object: a
    // BMP file or an enhanced metafile).
    virtual bool DecodeBytes(const std::string& bytes, int fitWidth, int fitHeight, RasterPicture& out) = 0;
};

} // namespace RkDraw
