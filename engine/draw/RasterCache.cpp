#include "engine/draw/RasterCache.h"

#include <algorithm>
#include <cmath>

namespace RkDraw {

namespace {

// The next power of two at or above n (at least 16): sizes asked for in steps, so that zooming
// decodes again only when the need doubles.
int StepUp(int n)
{
    int step = 16;
    while (step < n && step < (1 << 20))
        step *= 2;
    return step;
}

std::string KeyOf(const std::string& stored, const RasterLook& look)
{
    return stored + '|' + std::to_string(look.brightness) + ',' + std::to_string(look.contrast) + ',' +
           std::to_string(look.fade) + ',' + std::to_string(look.background) + ',' +
           std::to_string(look.foreground) + (look.clearBackground ? ",clear" : "");
}

std::uint32_t Channel(std::uint32_t rgb, int shift) { return (rgb >> shift) & 0xFF; }

} // namespace

RasterCache::RasterCache(RasterDecoder* decoder, FileFinder finder, std::size_t byteLimit)
    : m_decoder(decoder), m_finder(std::move(finder)), m_limit(byteLimit)
{
}

const RasterPicture* RasterCache::Picture(const std::string& stored, int wantWidth, int wantHeight,
                                          const RasterLook& look)
{
    if (stored.empty())
        return nullptr;
    return Lookup({stored, nullptr}, wantWidth, wantHeight, look);
}

const RasterPicture* RasterCache::PictureOfBytes(const std::string& key, const std::string& bytes,
                                                 int wantWidth, int wantHeight, const RasterLook& look)
{
    if (bytes.empty())
        return nullptr;
    return Lookup({"\n" + key, &bytes}, wantWidth, wantHeight, look);
}

const RasterPicture* RasterCache::Lookup(const Source& source, int wantWidth, int wantHeight,
                                         const RasterLook& look)
{
    if (!m_decoder)
        return nullptr;
    Entry& entry = m_entries[KeyOf(source.key, look)];
    entry.lastUse = ++m_clock;
    if (entry.missing)
        return nullptr;
    const int fitWidth = StepUp(std::max(1, wantWidth)), fitHeight = StepUp(std::max(1, wantHeight));
    const bool enough = entry.whole || (entry.fitWidth >= fitWidth && entry.fitHeight >= fitHeight);
    if (entry.picture.width > 0 && enough)
        return &entry.picture;
    if (!Decode(source, entry, std::max(fitWidth, entry.fitWidth), std::max(fitHeight, entry.fitHeight), look))
        return entry.picture.width > 0 ? &entry.picture : nullptr;
    return &entry.picture;
}

bool RasterCache::Decode(const Source& source, Entry& entry, int fitWidth, int fitHeight,
                         const RasterLook& look)
{
    std::string path;
    if (!source.bytes) {
        auto found = m_found.find(source.key);
        if (found == m_found.end())
            found = m_found.emplace(source.key, m_finder ? m_finder(source.key) : std::string()).first;
        path = found->second;
        if (path.empty()) {
            entry.missing = true;
            return false;
        }
    }
    // A picture larger than the whole limit is asked for smaller.
    const double bytes = 4.0 * fitWidth * fitHeight;
    if (bytes > static_cast<double>(m_limit)) {
        const double shrink = std::sqrt(static_cast<double>(m_limit) / bytes);
        fitWidth = std::max(1, static_cast<int>(fitWidth * shrink));
        fitHeight = std::max(1, static_cast<int>(fitHeight * shrink));
    }
    RasterPicture decoded;
    ++m_decodes;
    const bool read = source.bytes ? m_decoder->DecodeBytes(*source.bytes, fitWidth, fitHeight, decoded)
                                   : m_decoder->Decode(path, fitWidth, fitHeight, decoded);
    if (!read || decoded.width <= 0 || decoded.height <= 0 ||
        decoded.pixels.size() != static_cast<std::size_t>(decoded.width) * static_cast<std::size_t>(decoded.height)) {
        if (entry.picture.width <= 0)
            entry.missing = true;
        return false;
    }
    ApplyLook(decoded, look);
    m_bytes -= entry.picture.Bytes();
    entry.picture = RasterPicture();
    MakeRoom(decoded.Bytes(), &entry);
    m_bytes += decoded.Bytes();
    entry.whole = decoded.width < fitWidth && decoded.height < fitHeight;
    entry.fitWidth = fitWidth;
    entry.fitHeight = fitHeight;
    entry.picture = std::move(decoded);
    return true;
}

// The least recently drawn pictures are dropped (and decoded again when drawn again).
void RasterCache::MakeRoom(std::size_t bytes, const Entry* keep)
{
    while (m_bytes + bytes > m_limit) {
        Entry* oldest = nullptr;
        for (auto& item : m_entries) {
            Entry& e = item.second;
            if (&e != keep && e.picture.width > 0 && (!oldest || e.lastUse < oldest->lastUse))
                oldest = &e;
        }
        if (!oldest)
            return;
        m_bytes -= oldest->picture.Bytes();
        oldest->picture = RasterPicture();
        oldest->fitWidth = oldest->fitHeight = 0;
        oldest->whole = false;
    }
}

// Contrast scales about the middle grey, brightness moves every channel, fade mixes with the
// background; the neutral look leaves the picture alone.
void RasterCache::ApplyLook(RasterPicture& picture, const RasterLook& look)
{
    const int brightness = std::clamp(look.brightness, 0, 100);
    const int contrast = std::clamp(look.contrast, 0, 100);
    const int fade = std::clamp(look.fade, 0, 100);
    if (brightness == 50 && contrast == 50 && fade == 0 && !picture.bitonal)
        return;
    std::uint8_t table[3][256];
    for (int c = 0; c < 3; ++c) {
        const int shift = 16 - 8 * c;
        const double bg = Channel(look.background, shift);
        for (int v = 0; v < 256; ++v) {
            double out = (v - 127.5) * contrast / 50.0 + 127.5 + (brightness - 50) * 255.0 / 100.0;
            out = std::clamp(out, 0.0, 255.0);
            out += (bg - out) * fade / 100.0;
            table[c][v] = static_cast<std::uint8_t>(std::lround(std::clamp(out, 0.0, 255.0)));
        }
    }
    if (picture.bitonal) {
        InkBitonal(picture, look, table);
        return;
    }
    for (std::uint32_t& p : picture.pixels)
        p = (static_cast<std::uint32_t>(table[0][Channel(p, 16)]) << 16) |
            (static_cast<std::uint32_t>(table[1][Channel(p, 8)]) << 8) | table[2][Channel(p, 0)];
}

// A bitonal picture comes black on white, its greys where a smaller picture averaged ink and
// paper: the ink takes the entity's colour (with the image's look) over the background. With a
// clear background a pixel is ink or nothing; a fifth of ink is enough, so that thin lines of a
// scan stay when the view shrinks it.
void RasterCache::InkBitonal(RasterPicture& picture, const RasterLook& look, const std::uint8_t (&table)[3][256])
{
    const std::uint32_t ink = (static_cast<std::uint32_t>(table[0][Channel(look.foreground, 16)]) << 16) |
                              (static_cast<std::uint32_t>(table[1][Channel(look.foreground, 8)]) << 8) |
                              table[2][Channel(look.foreground, 0)];
    picture.keyed = look.clearBackground;
    picture.key = ink ^ 0x010101;     // any colour but the ink's
    for (std::uint32_t& p : picture.pixels) {
        const double light = (Channel(p, 16) * 0.299 + Channel(p, 8) * 0.587 + Channel(p, 0) * 0.114) / 255.0;
        const double cover = 1.0 - light;
        if (look.clearBackground) {
            p = cover >= 0.2 ? ink : picture.key;
            continue;
        }
        std::uint32_t mixed = 0;
        for (int shift = 0; shift <= 16; shift += 8) {
            const double bg = Channel(look.background, shift), fg = Channel(ink, shift);
            mixed |= static_cast<std::uint32_t>(std::lround(bg + (fg - bg) * cover)) << shift;
        }
        p = mixed;
    }
}

} // namespace RkDraw
