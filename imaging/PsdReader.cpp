#include "imaging/PsdReader.h"

#include "imaging/PsdColor.h"

#include <cstdio>
#include <zlib.h>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>

namespace {

// A Photoshop file is at most 30000 x 30000 pixels and has at most 56 channels.
constexpr int kMaxSide = 30000;
constexpr int kMaxChannels = 56;
// Merged-image planes kept in memory at once (bytes); larger files are refused before any
// buffer is sized.
constexpr int64_t kMaxPlaneBytes = 1024LL * 1024 * 1024;
// One run-length code byte never yields more than 128 bytes.
constexpr int64_t kMaxRleExpansion = 128;
// Deflate makes at most 1032 bytes of each byte it reads.
constexpr int64_t kMaxZipExpansion = 1032;

struct FileCloser {
    void operator()(FILE* f) const { fclose(f); }
};

} // namespace

// Big-endian reads from the open file, with the file's size known so that every length can be
// checked against what is left before anything is allocated or skipped.
class PsdReader::Input
{
public:
    explicit Input(FILE* file) : m_file(file), m_size(0)
    {
        if (_fseeki64(m_file.get(), 0, SEEK_END) == 0)
            m_size = _ftelli64(m_file.get());
        _fseeki64(m_file.get(), 0, SEEK_SET);
    }

    int64_t Position() const { return _ftelli64(m_file.get()); }
    int64_t Left() const { return m_size - Position(); }
    bool AtEnd() const { return Left() <= 0; }
    bool Bytes(void* target, size_t count) { return fread(target, 1, count, m_file.get()) == count; }
    bool Skip(int64_t count)
    {
        return count >= 0 && count <= Left() && _fseeki64(m_file.get(), count, SEEK_CUR) == 0;
    }
    bool U8(uint8_t& v) { return Bytes(&v, 1); }
    bool U16(uint16_t& v)
    {
        uint8_t b[2];
        if (!Bytes(b, 2))
            return false;
        v = static_cast<uint16_t>((b[0] << 8) | b[1]);
        return true;
    }
    bool U32(uint32_t& v)
    {
        uint8_t b[4];
        if (!Bytes(b, 4))
            return false;
        v = (uint32_t(b[0]) << 24) | (uint32_t(b[1]) << 16) | (uint32_t(b[2]) << 8) | b[3];
        return true;
    }
    bool I16(int16_t& v)
    {
        uint16_t u;
        if (!U16(u))
            return false;
        v = static_cast<int16_t>(u);
        return true;
    }
    bool I32(int32_t& v)
    {
        uint32_t u;
        if (!U32(u))
            return false;
        v = static_cast<int32_t>(u);
        return true;
    }

private:
    std::unique_ptr<FILE, FileCloser> m_file;
    int64_t m_size;
};

PsdReader::PsdReader() : m_bitmap(nullptr), m_detached(false)
{
    Init();
}

PsdReader::~PsdReader()
{
    Cleanup();
}

const char* PsdReader::ResultText(int code)
{
    switch (code) {
    case kRead: return "";
    case kCannotOpen: return "Photoshop: the file cannot be opened";
    case kBadHeader: return "Photoshop: not a header of version 1 (large documents are not read)";
    case kBadColorModeData: return "Photoshop: the colour-mode data cannot be read";
    case kBadResources: return "Photoshop: the image resources do not add up to their length";
    case kOneBitDepth: return "Photoshop: 1-bit samples outside bitmap mode";
    case kUnsupportedDepth: return "Photoshop: samples other than 1, 8, 16 or 32 bits";
    case kNoDibSection: return "Photoshop: the DIB section cannot be made";
    case kUnknownCompression: return "Photoshop: image data compression above 3";
    case kNoImage: return "Photoshop: the image data is cut short, damaged or more than it can fill";
    default: return "Photoshop: unknown result";
    }
}

void PsdReader::Init()
{
    m_bitmap = nullptr;
    m_detached = false;
    m_channels = m_height = m_width = m_depth = m_mode = -1;
    m_colorModeLength = -1;
    m_colorModeData.clear();
    m_resourcesLength = -1;
    m_resourceId = -1;
    m_resourceName.clear();
    m_resourceSize = -1;
    Resources& r = m_resources;
    r = Resources{};
    for (int16_t& v : r.oldHeader)
        v = -1;
    r.xDpi = r.yDpi = -1;
    r.displayColorSpace = r.displayOpacity = -1;
    for (int16_t& v : r.displayColor)
        v = -1;
    r.displayKind = 0xFF;
    for (int32_t& v : r.thumbnail)
        v = -1;
    r.thumbnailBits = r.thumbnailPlanes = -1;
    r.globalAngle = 30;
    r.indexedColorCount = r.transparentIndex = -1;
}

HBITMAP PsdReader::DetachBitmap()
{
    m_detached = true;
    return m_bitmap;
}

void PsdReader::Cleanup()
{
    if (m_bitmap && !m_detached)
        DeleteObject(m_bitmap);
    m_bitmap = nullptr;
    m_detached = false;
    std::vector<uint8_t>().swap(m_colorModeData);
    m_resourceName.clear();
}

const char* PsdReader::GetColorModeName() const
{
    switch (m_mode) {
    case 0: return "Bitmap";
    case 1: return "Grayscale";
    case 2: return "Indexed";
    case 3: return "RGB";
    case 4: return "CMYK";
    case 7: return "Multichannel";
    case 8: return "Duotone";
    case 9: return "Lab";
    default: return nullptr;
    }
}

int PsdReader::Load(const char* path)
{
    Cleanup();
    Init();
    FILE* file = path ? fopen(path, "rb") : nullptr;
    if (!file)
        return kCannotOpen;
    Input in(file);
    try {
        int result = ReadHeader(in);
        if (result == kRead)
            result = ReadColorModeData(in);
        if (result == kRead)
            result = ReadResources(in);
        if (result == kRead)
            result = ReadImageData(in);
        return result;
    } catch (const std::bad_alloc&) {
        // Too large for this machine: treated like data that runs short, so no image.
        return kRead;
    }
}

int PsdReader::ReadHeader(Input& in)
{
    uint8_t signature[4], reserved[6];
    uint16_t version, channels, depth, mode;
    uint32_t height, width;
    if (!in.Bytes(signature, 4) || memcmp(signature, "8BPS", 4) != 0 || !in.U16(version)
        || version != 1 || !in.Bytes(reserved, 6) || !in.U16(channels) || !in.U32(height)
        || !in.U32(width) || !in.U16(depth) || !in.U16(mode))
        return kBadHeader;
    for (uint8_t b : reserved)
        if (b != 0)
            return kBadHeader;
    m_channels = channels;
    m_height = static_cast<int>(std::min<uint32_t>(height, 0x7FFFFFFF));
    m_width = static_cast<int>(std::min<uint32_t>(width, 0x7FFFFFFF));
    m_depth = depth;
    m_mode = mode;
    if (channels < 1 || channels > kMaxChannels || height < 1 || height > kMaxSide || width < 1
        || width > kMaxSide)
        return kBadHeader;
    return kRead;
}

int PsdReader::ReadColorModeData(Input& in)
{
    uint32_t length;
    if (!in.U32(length) || length > in.Left())
        return kBadColorModeData;
    m_colorModeLength = length;
    if (length > 0) {
        m_colorModeData.assign(length, 0xFE);
        if (!in.Bytes(m_colorModeData.data(), length))
            return kBadColorModeData;
    }
    return kRead;
}

int PsdReader::ReadResources(Input& in)
{
    uint32_t length;
    if (!in.U32(length) || length > in.Left())
        return kBadResources;
    m_resourcesLength = length;
    int64_t consumed = 0;
    while (consumed < length && !in.AtEnd()) {
        if (!ReadResourceBlock(in, consumed))
            return kBadResources;
    }
    return consumed == length ? kRead : kBadResources;
}

// One resource block; consumed grows by the block's whole size. False when the block runs past
// the file.
bool PsdReader::ReadResourceBlock(Input& in, int64_t& consumed)
{
    const int64_t start = in.Position();
    uint8_t signature[4];
    uint16_t id;
    uint8_t nameLength;
    if (!in.Bytes(signature, 4) || !in.U16(id) || !in.U8(nameLength))
        return false;
    char name[256];
    if (!in.Bytes(name, nameLength))
        return false;
    // The name with its length byte fills an even number of bytes.
    if (nameLength % 2 == 0 && !in.Skip(1))
        return false;
    uint32_t size;
    if (!in.U32(size))
        return false;
    const int64_t padded = int64_t(size) + (size & 1);
    const int64_t dataStart = in.Position();
    if (padded > in.Left())
        return false;
    m_resourceId = id;
    m_resourceName.assign(name, nameLength);
    m_resourceSize = size;
    if (memcmp(signature, "8BIM", 4) == 0)
        KeepResource(in, size);
    // Kept resources are read only as far as their values go: the rest of the block is skipped.
    if (!in.Skip(dataStart + padded - in.Position()))
        return false;
    consumed += in.Position() - start;
    return true;
}

// Reads the values of a resource the reader keeps; a block too small for them leaves its flag
// clear.
void PsdReader::KeepResource(Input& in, uint32_t dataSize)
{
    Resources& r = m_resources;
    switch (m_resourceId) {
    case 1000:
        if (dataSize >= 10) {
            bool ok = true;
            for (int16_t& v : r.oldHeader)
                ok = ok && in.I16(v);
            r.hasOldHeader = ok;
        }
        break;
    case 1005:
        if (dataSize >= 16) {
            int16_t x = -1, y = -1, unit16 = 0;
            int32_t word = 0;
            r.hasResolution = in.I16(x) && in.I32(word) && in.I16(unit16) && in.I16(y)
                              && in.I32(word) && in.I16(unit16);
            r.xDpi = x;
            r.yDpi = y;
        }
        break;
    case 1007:
        if (dataSize >= 14) {
            bool ok = in.I16(r.displayColorSpace);
            for (int16_t& v : r.displayColor)
                ok = ok && in.I16(v);
            uint8_t spare;
            r.hasDisplayInfo = ok && in.I16(r.displayOpacity) && in.U8(r.displayKind)
                               && in.U8(spare);
        }
        break;
    case 1033:
    case 1036:
        if (dataSize >= 28) {
            bool ok = true;
            for (int32_t& v : r.thumbnail)
                ok = ok && in.I32(v);
            // The thumbnail's own bytes are not needed: the block's end is skipped to.
            r.hasThumbnail = ok && in.I16(r.thumbnailBits) && in.I16(r.thumbnailPlanes);
        }
        break;
    case 1034:
        if (dataSize >= 2) {
            int16_t flag;
            r.hasCopyrightFlag = in.I16(flag);
            r.copyrightFlag = r.hasCopyrightFlag && flag != 0;
        }
        break;
    case 1037:
        if (dataSize >= 4)
            r.hasGlobalAngle = in.I32(r.globalAngle);
        break;
    case 1046:
        if (dataSize >= 2)
            r.hasIndexedColorCount = in.I16(r.indexedColorCount);
        break;
    case 1047:
        if (dataSize >= 2)
            r.hasTransparentIndex = in.I16(r.transparentIndex);
        break;
    default:
        break;
    }
}

int PsdReader::ReadImageData(Input& in)
{
    uint32_t layerLength;
    if (!in.U32(layerLength) || !in.Skip(layerLength))
        return kNoImage;
    uint16_t compression;
    if (!in.U16(compression))
        return kNoImage;
    if (compression > 3)
        return kUnknownCompression;
    // The depth decides every size below, so it is checked before anything is read or sized.
    const int depthResult = CheckDepth();
    if (depthResult != kRead)
        return depthResult;
    // A mode without a picture, or too few channels for the mode, reads none: the picture stays
    // white.
    const int needed = ChannelsNeeded();
    if (PlaneBytes() * needed > kMaxPlaneBytes || int64_t(m_width) * m_height * 3 > kMaxPlaneBytes)
        return kNoImage;
    std::vector<std::vector<uint8_t>> planes(static_cast<size_t>(needed));
    const bool complete = compression == 0   ? ReadRawPlanes(in, planes)
                          : compression == 1 ? ReadRlePlanes(in, planes)
                                             : ReadZipPlanes(in, planes, compression == 3);
    if (!complete)
        return kNoImage;
    m_paintDepth = m_depth;
    if (m_depth == 32) {
        for (std::vector<uint8_t>& plane : planes)
            FloatsToSixteenBits(plane);
        m_paintDepth = 16;
    }
    return MakeBitmap(planes);
}

int64_t PsdReader::PlaneBytes() const
{
    if (m_depth == 1)
        return int64_t((m_width + 7) / 8) * m_height;
    return int64_t(m_width) * m_height * (m_depth / 8);
}

// 32-bit samples are big-endian floats from 0 to 1: rewritten in place as big-endian 16 bits.
void PsdReader::FloatsToSixteenBits(std::vector<uint8_t>& plane)
{
    const size_t count = plane.size() / 4;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* p = plane.data() + 4 * i;
        const uint32_t word = (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
        float value;
        std::memcpy(&value, &word, sizeof value);
        const float clamped = std::isfinite(value) ? std::min(1.0f, std::max(0.0f, value)) : 0.0f;
        const uint32_t v = uint32_t(clamped * 65535.0f + 0.5f);
        plane[2 * i] = uint8_t(v >> 8);
        plane[2 * i + 1] = uint8_t(v);
    }
    plane.resize(count * 2);
}

int PsdReader::CheckDepth() const
{
    if (m_depth == 1)
        return m_mode == 0 ? kRead : kOneBitDepth;
    if (m_depth != 8 && m_depth != 16 && m_depth != 32)
        return kUnsupportedDepth;
    return kRead;
}

// Channels the conversion of the colour mode reads; modes that are not painted, and files with
// fewer channels than their mode needs, read none.
int PsdReader::ChannelsNeeded() const
{
    int needed = 0;
    switch (m_mode) {
    case 0: needed = m_depth == 1 ? 1 : 0; break;
    case 1: case 2: case 8: needed = 1; break;
    case 3: case 9: needed = 3; break;
    case 4: needed = 4; break;
    case 7: needed = m_channels == 4 ? 4 : (m_channels >= 3 ? 3 : 1); break;
    default: break;
    }
    return needed <= m_channels ? needed : 0;
}

bool PsdReader::ReadRawPlanes(Input& in, std::vector<std::vector<uint8_t>>& planes) const
{
    const int64_t planeBytes = PlaneBytes();
    // Every channel's data must be there, also those the conversion does not read.
    if (planeBytes * m_channels > in.Left())
        return false;
    for (std::vector<uint8_t>& plane : planes) {
        plane.resize(static_cast<size_t>(planeBytes));
        if (!in.Bytes(plane.data(), plane.size()))
            return false;
    }
    return true;
}

// ZIP: one zlib stream of the channels' planes one after another, read in pieces so that a large
// file never sits in memory twice.
bool PsdReader::ReadZipPlanes(Input& in, std::vector<std::vector<uint8_t>>& planes, bool prediction) const
{
    const int64_t planeBytes = PlaneBytes();
    if (planeBytes * int64_t(planes.size()) > in.Left() * kMaxZipExpansion || (prediction && m_depth == 1))
        return false;
    z_stream z = {};
    if (inflateInit(&z) != Z_OK)
        return false;
    uint8_t piece[65536];
    bool ok = true;
    for (size_t p = 0; ok && p < planes.size(); ++p) {
        std::vector<uint8_t>& plane = planes[p];
        plane.resize(static_cast<size_t>(planeBytes));
        z.next_out = plane.data();
        z.avail_out = static_cast<uInt>(plane.size());
        while (ok && z.avail_out > 0) {
            if (z.avail_in == 0) {
                const size_t count = static_cast<size_t>(std::min<int64_t>(in.Left(), sizeof(piece)));
                ok = count > 0 && in.Bytes(piece, count);
                z.next_in = piece;
                z.avail_in = static_cast<uInt>(count);
            }
            const int result = ok ? inflate(&z, Z_NO_FLUSH) : Z_DATA_ERROR;
            ok = result == Z_OK || (result == Z_STREAM_END && z.avail_out == 0);
        }
        if (ok && prediction)
            Unpredict(plane);
    }
    inflateEnd(&z);
    return ok;
}

// Prediction stores each row's samples as differences from the sample before: 16-bit samples as
// big-endian words; 32-bit ones with their bytes split into four runs per row (the most
// significant bytes first), the differences taken along the row's bytes.
void PsdReader::Unpredict(std::vector<uint8_t>& plane) const
{
    const size_t width = static_cast<size_t>(m_width);
    const size_t rowBytes = plane.size() / static_cast<size_t>(m_height);
    std::vector<uint8_t> split(m_depth == 32 ? rowBytes : 0);
    for (size_t at = 0; at + rowBytes <= plane.size(); at += rowBytes) {
        uint8_t* row = plane.data() + at;
        if (m_depth == 16) {
            for (size_t i = 2; i + 1 < rowBytes; i += 2) {
                const unsigned sum = ((row[i] << 8) | row[i + 1]) + ((row[i - 2] << 8) | row[i - 1]);
                row[i] = uint8_t(sum >> 8);
                row[i + 1] = uint8_t(sum);
            }
            continue;
        }
        for (size_t i = 1; i < rowBytes; ++i)
            row[i] = uint8_t(row[i] + row[i - 1]);
        if (m_depth == 32) {
            for (size_t x = 0; x < width; ++x)
                for (size_t k = 0; k < 4; ++k)
                    split[4 * x + k] = row[k * width + x];
            std::copy(split.begin(), split.end(), row);
        }
    }
}

bool PsdReader::ReadRlePlanes(Input& in, std::vector<std::vector<uint8_t>>& planes) const
{
    const int64_t planeBytes = PlaneBytes();
    if (!in.Skip(int64_t(m_channels) * m_height * 2))
        return false;
    if (planeBytes > in.Left() * kMaxRleExpansion)
        return false;
    for (std::vector<uint8_t>& plane : planes) {
        plane.resize(static_cast<size_t>(planeBytes));
        size_t filled = 0;
        while (filled < plane.size()) {
            uint8_t n;
            if (!in.U8(n))
                return false;
            if (n == 128)
                continue;
            if (n < 128) {
                // A literal that runs past the plane is read whole but stored only to its end.
                const size_t count = size_t(n) + 1;
                const size_t stored = std::min(count, plane.size() - filled);
                if (!in.Bytes(plane.data() + filled, stored) || !in.Skip(int64_t(count - stored)))
                    return false;
                filled += stored;
            } else {
                uint8_t value;
                if (!in.U8(value))
                    return false;
                const size_t count = std::min<size_t>(257 - n, plane.size() - filled);
                memset(plane.data() + filled, value, count);
                filled += count;
            }
        }
    }
    return true;
}

int PsdReader::MakeBitmap(const std::vector<std::vector<uint8_t>>& planes)
{
    BITMAPINFO info = {};
    BITMAPINFOHEADER& h = info.bmiHeader;
    h.biSize = sizeof(BITMAPINFOHEADER);
    h.biWidth = m_width;
    h.biHeight = m_height;
    h.biPlanes = 1;
    h.biBitCount = 24;
    h.biCompression = BI_RGB;
    const bool hasDpi = m_resources.hasResolution;
    h.biXPelsPerMeter = hasDpi ? static_cast<LONG>(int64_t(m_resources.xDpi) * 10000 / 254) : 3780;
    h.biYPelsPerMeter = hasDpi ? static_cast<LONG>(int64_t(m_resources.yDpi) * 10000 / 254) : 3780;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    m_bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ReleaseDC(nullptr, screen);
    if (!m_bitmap || !bits) {
        if (m_bitmap)
            DeleteObject(m_bitmap);
        m_bitmap = nullptr;
        return kNoDibSection;
    }
    const size_t stride = (size_t(m_width) * 3 + 3) & ~size_t(3);
    memset(bits, 0xFF, stride * m_height);
    Paint(planes, static_cast<uint8_t*>(bits));
    GdiFlush();
    return kRead;
}

void PsdReader::Paint(const std::vector<std::vector<uint8_t>>& planes, uint8_t* bits) const
{
    const size_t stride = (size_t(m_width) * 3 + 3) & ~size_t(3);
    for (int y = 0; y < m_height; ++y) {
        // Row 0 of the file is the top row: the last stored row of the bottom-up section.
        uint8_t* row = bits + stride * size_t(m_height - 1 - y);
        for (int x = 0; x < m_width; ++x) {
            uint8_t rgb[3];
            if (PixelColor(planes, size_t(y) * m_width + x, rgb)) {
                row[x * 3] = rgb[2];
                row[x * 3 + 1] = rgb[1];
                row[x * 3 + 2] = rgb[0];
            }
        }
    }
}

// The colour of pixel i (row order, top row first) as red, green, blue; false leaves it white.
bool PsdReader::PixelColor(const std::vector<std::vector<uint8_t>>& planes, size_t i,
                           uint8_t rgb[3]) const
{
    if (planes.empty())
        return false;
    const int depth = m_paintDepth;
    if (m_mode == 0) {
        // One bit a pixel, rows padded to bytes: 1 is black.
        const size_t row = i / size_t(m_width), x = i % size_t(m_width);
        const uint8_t byte = planes[0][row * size_t((m_width + 7) / 8) + x / 8];
        rgb[0] = rgb[1] = rgb[2] = ((byte >> (7 - x % 8)) & 1) ? 0 : 255;
        return true;
    }
    const int bytes = depth / 8;
    auto sample = [&](size_t channel) {
        const uint8_t* p = planes[channel].data() + i * bytes;
        return bytes == 2 ? uint32_t((p[0] << 8) | p[1]) : uint32_t(p[0]);
    };
    const int shift = depth - 8;
    switch (m_mode) {
    case 1:
    case 8:
        rgb[0] = rgb[1] = rgb[2] = static_cast<uint8_t>(sample(0) >> shift);
        return true;
    case 2: {
        const uint32_t index = sample(0);
        if (m_colorModeData.size() != 768 || index > 255)
            return false;
        rgb[0] = m_colorModeData[index];
        rgb[1] = m_colorModeData[256 + index];
        rgb[2] = m_colorModeData[512 + index];
        return true;
    }
    case 3:
        for (int c = 0; c < 3; ++c)
            rgb[c] = static_cast<uint8_t>(sample(c) >> shift);
        return true;
    case 4:
        PsdColor::CmykToRgb(sample(0), sample(1), sample(2), sample(3), depth, rgb);
        return true;
    case 7:
        if (planes.size() == 1) {
            rgb[0] = rgb[1] = rgb[2] = static_cast<uint8_t>(sample(0) >> shift);
            return true;
        }
        PsdColor::CmykToRgb(sample(0), sample(1), sample(2), planes.size() == 4 ? sample(3) : 0,
                            depth, rgb, planes.size() == 4);
        return true;
    case 9:
        PsdColor::LabToRgb(sample(0), sample(1), sample(2), depth, rgb);
        return true;
    default:
        return false;
    }
}
