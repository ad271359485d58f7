// CRasterExifInfo: reads the marker segments of a JPEG stream, extracts the camera data of its Exif
// block into an EXIFINFO record, and writes a JPEG stream back from the kept segments, so that a
// re-encoded photograph gets its source's Exif block again. Every offset and count of the block is
// checked against the data read before it is followed.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <vector>

class CRasterFile;

// Camera data of one JPEG file (zeroed by its owner; the reader fills it).
struct EXIFINFO
{
    char version[5];
    char cameraMake[32];
    char cameraModel[40];
    char dateTime[20];
    int height;
    int width;
    int orientation; // 1..8, 0 when absent or out of range
    int isColor;
    int frameMarker; // start-of-frame marker byte (0xC0 baseline, 0xC2 progressive, ...)
    int flashUsed;
    float focalLength;
    float exposureTime;
    float apertureFNumber;
    float distance;
    float ccdWidth;
    float exposureBias;
    int lightSource;
    int meteringMode;
    int exposureProgram;
    int isoEquivalent;
    int compressionLevel; // compressed bits per pixel
    float focalPlaneXRes;
    float focalPlaneYRes;
    float focalPlaneUnits; // inches per unit
    float xResolution;
    float yResolution;
    float resolutionUnit; // inches per unit
    float brightness;
    char comments[1000];
    const BYTE* thumbnail; // inside the kept Exif section, or null
    DWORD thumbnailSize;
    bool isExif;
};

class CRasterExifInfo
{
public:
    // With a record the reader fills it (the caller keeps it); without one it owns a zeroed one.
    explicit CRasterExifInfo(EXIFINFO* info = nullptr);
    CRasterExifInfo(const CRasterExifInfo&) = delete;
    CRasterExifInfo& operator=(const CRasterExifInfo&) = delete;
    ~CRasterExifInfo() = default;

    enum : int {
        READ_EXIF = 1,  // extract the Exif data and the comment
        READ_IMAGE = 2, // also keep the compressed image data after the start of scan
    };
    enum : int { SECTION_IMAGE_DATA = 0x123 };
    static constexpr int kMaxSections = 20;

    bool DecodeExif(CRasterFile* stream, int readMode = READ_EXIF);
    // Keeps only the first Exif segment and the first comment segment, in that order.
    void DiscardAllButExif();
    bool EncodeExif(CRasterFile* stream);

    const EXIFINFO& Info() const { return *m_info; }
    const char* GetLastError() const { return m_lastError; }
    int SectionCount() const { return static_cast<int>(m_sections.size()); }
    int SectionType(int index) const { return m_sections[static_cast<size_t>(index)].type; }

private:
    struct Section
    {
        std::vector<BYTE> data; // from the two length bytes on (image data: the bytes alone)
        int type = 0;
    };
    // A directory walk's view of the TIFF data.
    struct Tiff
    {
        const BYTE* base;
        uint64_t length;
    };

    bool Fail(const char* text);
    bool ReadMarker(CRasterFile& stream, int& marker);
    bool ReadSection(CRasterFile& stream, int marker);
    bool ReadImageData(CRasterFile& stream);
    bool HandleSection(CRasterFile& stream, int readMode, bool& done);
    void ProcessFrame(const Section& section);
    void ProcessComment(const Section& section);
    bool ProcessExif(const BYTE* contents, uint64_t length);
    bool ProcessDirectory(const Tiff& tiff, uint64_t start, int depth);
    bool ProcessEntry(const Tiff& tiff, const BYTE* entry, int depth, uint64_t thumb[2]);
    void ProcessTag(unsigned tag, int format, const BYTE* value, uint64_t bytes, uint64_t thumb[2]);
    bool FollowLink(const Tiff& tiff, uint64_t offset, int depth);
    void SetUserComment(const BYTE* value, uint64_t bytes);
    double ConvertValue(const BYTE* value, int format) const;
    unsigned Get16(const BYTE* p) const;
    uint32_t Get32(const BYTE* p) const;
    const Section* FindSection(int type) const;

    EXIFINFO* m_info;
    std::vector<BYTE> m_ownInfo; // storage of an owned record
    char m_lastError[256] = {};
    int m_exifImageWidth = 0;
    int m_motorolaOrder = 0; // 1 = big-endian "MM", 0 = little-endian "II"
    int m_directoryBudget = 0;
    std::vector<Section> m_sections;
};
