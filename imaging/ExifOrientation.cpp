#include "imaging/ExifOrientation.h"

#include "imaging/ReplacingFile.h"

#include <ole2.h>
#include <olectl.h>

#include <cstdint>
#include <cstring>
#include <memory>

const BYTE g_exifApp1Markers[] = {1, 0xE1};
const BYTE g_exifFrameMarkers[] = {13,   0xC0, 0xC1, 0xC2, 0xC3, 0xC5, 0xC6,
                                   0xC7, 0xC9, 0xCA, 0xCB, 0xCD, 0xCE, 0xCF};

const BYTE g_exifOrientationOps[4][8] = {
    {8, 5, 6, 7, 4, 1, 2, 3}, // rotate left
    {6, 7, 8, 5, 2, 3, 4, 1}, // rotate right
    {2, 1, 4, 3, 6, 5, 8, 7}, // mirror
    {4, 3, 2, 1, 8, 7, 6, 5}, // flip
};

namespace {

constexpr WORD kTagOrientation = 274;
constexpr WORD kTagThumbnailOffset = 513;
constexpr WORD kTagThumbnailLength = 514;
constexpr size_t kEntrySize = 12;

struct FileCloser
{
    void operator()(FILE* f) const { fclose(f); }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

struct ComReleaser
{
    void operator()(IUnknown* p) const { p->Release(); }
};
template <class T> using ComPtr = std::unique_ptr<T, ComReleaser>;

// An Exif block located inside a buffer: the TIFF header and the bytes that follow it.
struct ExifBlock
{
    const BYTE* tiff = nullptr;
    size_t size = 0;
    EXIFBYTEORDER order;
};

bool LocateExifBlock(const BYTE* data, size_t size, ExifBlock& block)
{
    if (data == nullptr || size == 0)
        return false;
    if (data[0] == 0xFF && !FindJpegMarker(data, size, g_exifApp1Markers))
        return false;
    if (!CheckExifHeader(data, size, block.order))
        return false;
    block.tiff = data;
    block.size = size;
    return true;
}

bool Fits(const ExifBlock& block, uint64_t offset, uint64_t length)
{
    return offset <= block.size && length <= block.size - offset;
}

// Offset (from the TIFF header) of IFD0's orientation entry with a count of 1; 0 when none.
size_t FindOrientationEntry(const ExifBlock& block)
{
    const uint64_t ifd = ExifGet32(block.tiff + 4, block.order);
    if (!Fits(block, ifd, 2))
        return 0;
    const unsigned count = ExifGet16(block.tiff + ifd, block.order);
    for (unsigned i = 0; i < count; ++i) {
        const uint64_t entry = ifd + 2 + uint64_t(i) * kEntrySize;
        if (!Fits(block, entry, kEntrySize))
            return 0;
        const BYTE* p = block.tiff + entry;
        if (ExifGet16(p, block.order) == kTagOrientation && ExifGet32(p + 4, block.order) == 1)
            return static_cast<size_t>(entry);
    }
    return 0;
}

WORD EntryValue(const BYTE* entry, const EXIFBYTEORDER& order)
{
    switch (ExifGet16(entry + 2, order)) {
    case 1:
    case 6:
        return entry[8];
    case 3:
    case 8:
        return ExifGet16(entry + 8, order);
    case 4:
    case 9:
        return static_cast<WORD>(ExifGet32(entry + 8, order) & 0xFFFF);
    default:
        return 0;
    }
}

void Put16(BYTE* p, WORD value, const EXIFBYTEORDER& order)
{
    const BYTE hi = static_cast<BYTE>(value >> 8), lo = static_cast<BYTE>(value);
    p[0] = order.bigEndian ? hi : lo;
    p[1] = order.bigEndian ? lo : hi;
}

bool ReadExact(FILE* file, void* buffer, size_t size)
{
    return size == 0 || fread(buffer, 1, size, file) == size;
}

int64_t FileLength(FILE* file)
{
    if (_fseeki64(file, 0, SEEK_END) != 0)
        return -1;
    return _ftelli64(file);
}

std::vector<BYTE> ReadWholeFile(FILE* file)
{
    const int64_t length = FileLength(file);
    std::vector<BYTE> bytes;
    if (length <= 0 || uint64_t(length) > SIZE_MAX || _fseeki64(file, 0, SEEK_SET) != 0)
        return bytes;
    bytes.resize(static_cast<size_t>(length));
    if (!ReadExact(file, bytes.data(), bytes.size()))
        bytes.clear();
    return bytes;
}

HBITMAP BitmapOfPicture(IStream* stream, DWORD size)
{
    IPicture* raw = nullptr;
    if (FAILED(OleLoadPicture(stream, static_cast<LONG>(size), FALSE, IID_IPicture,
                              reinterpret_cast<void**>(&raw))) ||
        raw == nullptr)
        return nullptr;
    ComPtr<IPicture> picture(raw);
    OLE_HANDLE handle = 0;
    if (FAILED(picture->get_Handle(&handle)) || handle == 0)
        return nullptr;
    // The picture deletes its own bitmap when released: the caller gets a copy of its own.
    return static_cast<HBITMAP>(CopyImage(reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle)),
                                          IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

void ReadThumbnailHeader(HGLOBAL bytes, DWORD size, EXIFTHUMBNAIL& thumbnail)
{
    const BYTE* data = static_cast<const BYTE*>(GlobalLock(bytes));
    if (data == nullptr)
        return;
    if (const WORD orientation = ExifOrientation(data, size))
        thumbnail.orientation = static_cast<BYTE>(orientation);
    size_t frameSize = size;
    if (FindJpegMarker(data, frameSize, g_exifFrameMarkers) && frameSize >= 5)
        thumbnail.frameSize = (DWORD(data[1]) << 24) | (DWORD(data[2]) << 16) |
                              (DWORD(data[3]) << 8) | data[4];
    GlobalUnlock(bytes);
}

} // namespace

WORD ExifGet16(const BYTE* p, const EXIFBYTEORDER& order)
{
    return order.bigEndian ? WORD((p[0] << 8) | p[1]) : WORD((p[1] << 8) | p[0]);
}

DWORD ExifGet32(const BYTE* p, const EXIFBYTEORDER& order)
{
    if (order.bigEndian)
        return (DWORD(p[0]) << 24) | (DWORD(p[1]) << 16) | (DWORD(p[2]) << 8) | p[3];
    return (DWORD(p[3]) << 24) | (DWORD(p[2]) << 16) | (DWORD(p[1]) << 8) | p[0];
}

bool FindJpegMarker(const BYTE*& data, size_t& size, const BYTE* markers)
{
    if (data == nullptr || size < 8 || data[0] != 0xFF || data[1] != 0xD8)
        return false;
    uint64_t pos = 2;
    while (pos + 4 <= size) {
        if (data[pos] != 0xFF)
            return false;
        const BYTE marker = data[pos + 1];
        if (marker == 0xDA || marker == 0xD9)
            return false;
        const uint64_t length = (unsigned(data[pos + 2]) << 8) | data[pos + 3];
        if (length < 2 || pos + 2 + length > size)
            return false; // a segment running past the data ends the search
        if (std::memchr(markers + 1, marker, markers[0]) != nullptr) {
            data += pos + 4;
            size = static_cast<size_t>(length - 2);
            return true;
        }
        pos += 2 + length;
        if (pos + 6 > size)
            return false;
    }
    return false;
}

bool CheckExifHeader(const BYTE*& data, size_t& size, EXIFBYTEORDER& order)
{
    if (data == nullptr || size < 31 || std::memcmp(data, "Exif\0", 5) != 0)
        return false;
    if (data[6] != 'I' && data[6] != 'M')
        return false;
    order.bigEndian = data[6] == 'M';
    data += 6;
    size -= 6;
    return true;
}

WORD ExifOrientation(BYTE* buffer, size_t size, WORD newValue)
{
    ExifBlock block;
    if (!LocateExifBlock(buffer, size, block))
        return 0;
    const size_t entry = FindOrientationEntry(block);
    if (entry == 0)
        return 0;
    // The block lies inside the caller's writable buffer.
    BYTE* p = buffer + (block.tiff - buffer) + entry;
    const WORD value = EntryValue(p, block.order);
    if (newValue != 0) {
        Put16(p + 2, 3, block.order);
        Put16(p + 8, newValue, block.order);
    }
    return value;
}

WORD ExifOrientation(const BYTE* buffer, size_t size)
{
    ExifBlock block;
    if (!LocateExifBlock(buffer, size, block))
        return 0;
    const size_t entry = FindOrientationEntry(block);
    return entry == 0 ? 0 : EntryValue(block.tiff + entry, block.order);
}

bool FindExifThumbnail(const BYTE*& data, size_t& size)
{
    ExifBlock block;
    if (!LocateExifBlock(data, size, block))
        return false;
    const uint64_t ifd0 = ExifGet32(block.tiff + 4, block.order);
    if (!Fits(block, ifd0, 2))
        return false;
    const uint64_t next = ifd0 + 2 + uint64_t(ExifGet16(block.tiff + ifd0, block.order)) * kEntrySize;
    if (!Fits(block, next, 4))
        return false;
    const uint64_t ifd1 = ExifGet32(block.tiff + next, block.order);
    if (ifd1 == 0 || !Fits(block, ifd1, 2))
        return false;
    const unsigned count = ExifGet16(block.tiff + ifd1, block.order);
    uint64_t offset = 0, length = 0;
    for (unsigned i = 0; i < count && (offset == 0 || length == 0); ++i) {
        const uint64_t entry = ifd1 + 2 + uint64_t(i) * kEntrySize;
        if (!Fits(block, entry, kEntrySize))
            return false;
        const BYTE* p = block.tiff + entry;
        const WORD tag = ExifGet16(p, block.order), type = ExifGet16(p + 2, block.order);
        if ((tag != kTagThumbnailOffset && tag != kTagThumbnailLength) ||
            ExifGet32(p + 4, block.order) != 1)
            continue;
        uint64_t value = 0;
        if (type == 3 || type == 8)
            value = ExifGet16(p + 8, block.order);
        else if (type == 4 || type == 9)
            value = ExifGet32(p + 8, block.order);
        else
            continue;
        (tag == kTagThumbnailOffset ? offset : length) = value;
    }
    if (offset == 0 || length == 0 || !Fits(block, offset, length))
        return false;
    data = block.tiff + offset;
    size = static_cast<size_t>(length);
    return true;
}

std::vector<BYTE> ReadJpegSegment(FILE* file, BYTE marker)
{
    std::vector<BYTE> segment;
    const int64_t length = file ? FileLength(file) : -1;
    BYTE soi[2];
    if (length < 0 || _fseeki64(file, 0, SEEK_SET) != 0 || !ReadExact(file, soi, 2) ||
        soi[0] != 0xFF || soi[1] != 0xD8)
        return segment;
    // Each step moves at least 4 bytes on, so the walk ends with the file.
    for (;;) {
        const int64_t position = _ftelli64(file);
        BYTE header[4];
        if (position < 0 || !ReadExact(file, header, 4) || header[0] != 0xFF)
            return segment;
        const int64_t n = ((int64_t(header[2]) << 8) | header[3]) - 2;
        if (n < 0 || n > length - position - 6)
            return segment;
        if (header[1] == marker) {
            segment.resize(static_cast<size_t>(n));
            if (!ReadExact(file, segment.data(), segment.size()))
                segment.clear();
            return segment;
        }
        if (header[1] == 0xDA || header[1] == 0xD9 || _fseeki64(file, n, SEEK_CUR) != 0)
            return segment;
    }
}

WORD ReadExifOrientation(const char* path)
{
    FilePtr file(fopen(path, "rb"));
    if (!file)
        return 0;
    const std::vector<BYTE> app1 = ReadJpegSegment(file.get(), 0xE1);
    return app1.empty() ? 0 : ExifOrientation(app1.data(), app1.size());
}

bool WriteExifOrientation(const char* path, WORD orientation)
{
    if (orientation < 1 || orientation > 8)
        return false;
    // A read-only photo is the user's "do not change": it is not replaced behind that.
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY) != 0)
        return false;
    std::vector<BYTE> bytes;
    {
        FilePtr file(fopen(path, "rb"));
        if (!file)
            return false;
        bytes = ReadWholeFile(file.get());
    }
    const BYTE* data = bytes.data();
    size_t size = bytes.size();
    if (!FindJpegMarker(data, size, g_exifApp1Markers))
        return false;
    // Change the entry in place inside the file image: the length stays and nothing moves.
    BYTE* app1 = bytes.data() + (data - bytes.data());
    ExifBlock block;
    if (!LocateExifBlock(app1, size, block) || FindOrientationEntry(block) == 0)
        return false;
    ExifOrientation(app1, size, orientation);
    // A temporary file replaces the photo only when complete: never a half-written photo.
    ReplacingFile out;
    return out.Open(path) && fwrite(bytes.data(), 1, bytes.size(), out.Stream()) == bytes.size() &&
           out.Commit();
}

WORD ExifRotatedOrientation(int operation, WORD current)
{
    if (operation < 0 || operation > 3 || current < 1 || current > 8)
        return current;
    return g_exifOrientationOps[operation][current - 1];
}

int ReadExifThumbnail(FILE* file, EXIFTHUMBNAIL& thumbnail)
{
    thumbnail = EXIFTHUMBNAIL();
    const std::vector<BYTE> app1 = file ? ReadJpegSegment(file, 0xE1) : std::vector<BYTE>();
    return app1.empty() ? 0 : ReadExifThumbnail(app1.data(), app1.size(), thumbnail);
}

int ReadExifThumbnailOfFile(const BYTE* file, size_t size, EXIFTHUMBNAIL& thumbnail)
{
    thumbnail = EXIFTHUMBNAIL();
    const BYTE* app1 = file;
    if (!FindJpegMarker(app1, size, g_exifApp1Markers))
        return 0;
    return ReadExifThumbnail(app1, size, thumbnail);
}

int ReadExifThumbnail(const BYTE* app1, size_t size, EXIFTHUMBNAIL& thumbnail)
{
    thumbnail = EXIFTHUMBNAIL();
    if (!app1 || size == 0)
        return 0;
    thumbnail.orientation = static_cast<BYTE>(ExifOrientation(app1, size));
    const BYTE* data = app1;
    if (!FindExifThumbnail(data, size))
        return 0;
    HGLOBAL bytes = GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE, size);
    if (bytes == nullptr)
        return 0;
    if (void* p = GlobalLock(bytes)) {
        std::memcpy(p, data, size);
        GlobalUnlock(bytes);
        return LoadThumbnailPicture(bytes, static_cast<DWORD>(size), thumbnail);
    }
    GlobalFree(bytes);
    return 0;
}

int LoadThumbnailPicture(HGLOBAL bytes, DWORD size, EXIFTHUMBNAIL& thumbnail)
{
    if (bytes == nullptr)
        return 0;
    ReadThumbnailHeader(bytes, size, thumbnail);
    IStream* raw = nullptr;
    // The stream takes the block over and frees it when released.
    if (FAILED(CreateStreamOnHGlobal(bytes, TRUE, &raw)) || raw == nullptr) {
        GlobalFree(bytes);
        return 0;
    }
    ComPtr<IStream> stream(raw);
    HBITMAP bitmap = BitmapOfPicture(stream.get(), size);
    if (bitmap == nullptr)
        return 0;
    thumbnail.kind = 6;
    thumbnail.hBitmap = bitmap;
    return 1;
}
