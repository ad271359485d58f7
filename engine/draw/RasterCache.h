// The raster pictures of one drawing, each found and decoded once at the size the view needs:
// a closer view decodes a picture again only when it needs twice the pixels it has, and all the
// pictures together stay within a byte limit (the least recently drawn give way). Not
// thread-safe: the drawing that owns it draws under its own lock.
#pragma once

#include "engine/draw/RasterPicture.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>

namespace RkDraw {

// How an image entity shows its picture: brightness and contrast 0..100 (50 leaves the picture
// as it is), fade 0..100 towards the background.
struct RasterLook
{
    int brightness = 50;
    int contrast = 50;
    int fade = 0;
    std::uint32_t background = 0xFFFFFF;
    // A bitonal picture's ink colour, and whether its other pixels let what lies below show.
    std::uint32_t foreground = 0;
    bool clearBackground = false;
};

class RasterCache
{
public:
    // The file to read for the path an image definition stores, or "" when none is found.
    using FileFinder = std::function<std::string(const std::string& stored)>;
    // The memory a drawing's pictures may take, as a drawing's read may.
    static constexpr std::size_t kDefaultLimit = 256u * 1024 * 1024;

    RasterCache(RasterDecoder* decoder, FileFinder finder, std::size_t byteLimit = kDefaultLimit);

    // The picture of the stored file with at least wantWidth x wantHeight pixels where it has
    // them, in its look; null when the file is not found or cannot be read.
    const RasterPicture* Picture(const std::string& stored, int wantWidth, int wantHeight,
                                 const RasterLook& look);
    // The same for a picture kept in the drawing (a BMP or EMF file's bytes), by a key of its own.
    const RasterPicture* PictureOfBytes(const std::string& key, const std::string& bytes, int wantWidth,
                                        int wantHeight, const RasterLook& look);
    std::size_t Bytes() const { return m_bytes; }
    std::size_t Decodes() const { return m_decodes; }

private:
    struct Entry
    {
        bool missing = false;
        bool whole = false;          // the file's own size: a closer view needs no more
        int fitWidth = 0, fitHeight = 0;
        RasterPicture picture;
        std::uint64_t lastUse = 0;
    };

    // Where a picture comes from: a file the finder finds, or bytes the drawing keeps.
    struct Source
    {
        const std::string& key;
        const std::string* bytes;
    };
    const RasterPicture* Lookup(const Source& source, int wantWidth, int wantHeight, const RasterLook& look);
    bool Decode(const Source& source, Entry& entry, int fitWidth, int fitHeight, const RasterLook& look);
    void MakeRoom(std::size_t bytes, const Entry* keep);
    static void ApplyLook(RasterPicture& picture, const RasterLook& look);
    static void InkBitonal(RasterPicture& picture, const RasterLook& look, const std::uint8_t (&table)[3][256]);

    RasterDecoder* m_decoder;
    FileFinder m_finder;
    std::size_t m_limit;
    std::size_t m_bytes = 0;
    std::size_t m_decodes = 0;
    std::uint64_t m_clock = 0;
    std::map<std::string, std::string> m_found;      // stored path -> file ("" not found)
    std::map<std::string, Entry> m_entries;          // stored path and look -> picture
};

} // namespace RkDraw
