// Exif orientation and thumbnail functions: find the Exif block of a JPEG file, read and rewrite
// its orientation tag, and pull out the embedded thumbnail as a bitmap. They parse the bytes
// themselves (the codec's full Exif reader is not involved) and never read past the data given.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdio>
#include <vector>

// Byte order of one Exif block. It travels with each operation (never a global), because the
// thumbnail thread and the user-interface thread parse at the same time.
struct EXIFBYTEORDER
{
    bool bigEndian = false; // 'M' blocks; 'I' blocks and the state before any header check
};

// What ReadExifThumbnail gives: the bitmap is the caller's to delete.
struct EXIFTHUMBNAIL
{
    HBITMAP hBitmap = nullptr;
    DWORD frameSize = 0; // thumbnail's start-of-frame: height in the high word, width in the low
    BYTE orientation = 0; // 0 when none
    BYTE kind = 0;        // 6 once a picture was loaded
};

// Marker lists: a count byte, then that many marker codes.
extern const BYTE g_exifApp1Markers[];
extern const BYTE g_exifFrameMarkers[];

// Orientation after rotate left (0), rotate right (1), mirror (2) or flip (3): rows are the
// operation, columns the current orientation 1..8.
extern const BYTE g_exifOrientationOps[4][8];

bool FindJpegMarker(const BYTE*& data, size_t& size, const BYTE* markers);
bool CheckExifHeader(const BYTE*& data, size_t& size, EXIFBYTEORDER& order);
WORD ExifGet16(const BYTE* p, const EXIFBYTEORDER& order);
DWORD ExifGet32(const BYTE* p, const EXIFBYTEORDER& order);

// The orientation found in an APP1 block or a whole JPEG image (0 when none). A non-zero new value
// is written into the entry as a short in the block's byte order.
WORD ExifOrientation(BYTE* buffer, size_t size, WORD newValue);
WORD ExifOrientation(const BYTE* buffer, size_t size);

bool FindExifThumbnail(const BYTE*& data, size_t& size);

// The data of the first segment with the marker (after its length field); empty when absent,
// damaged, or past the start of scan. The file position is left anywhere.
std::vector<BYTE> ReadJpegSegment(FILE* file, BYTE marker);

// 0 when the file cannot be opened or holds no orientation.
WORD ReadExifOrientation(const char* path);

// Rewrites the orientation entry. False when the file has no orientation tag or cannot be
// written; the new content goes to a temporary file that replaces the photo only when complete.
bool WriteExifOrientation(const char* path, WORD orientation);

// The orientation after an operation of g_exifOrientationOps; 0 (no tag) and values above 8 stay.
WORD ExifRotatedOrientation(int operation, WORD current);

int ReadExifThumbnail(FILE* file, EXIFTHUMBNAIL& thumbnail);
// The same from the data of an APP1 block, and from a whole JPEG file held in memory.
int ReadExifThumbnail(const BYTE* app1, size_t size, EXIFTHUMBNAIL& thumbnail);
int ReadExifThumbnailOfFile(const BYTE* file, size_t size, EXIFTHUMBNAIL& thumbnail);

// Loads the thumbnail's JPEG bytes as a bitmap; always frees the handle.
int LoadThumbnailPicture(HGLOBAL bytes, DWORD size, EXIFTHUMBNAIL& thumbnail);
