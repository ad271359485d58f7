// PsdReader: reads the merged image of a Photoshop file (.psd) into a 24-bit DIB section.
// Only reading exists; layers are skipped.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

class PsdReader
{
public:
    // Result codes of Load.
    enum Result {
        kRead = 0,                 // a DIB section exists
        kCannotOpen = -1,
        kBadHeader = -2,
        kBadColorModeData = -3,
        kBadResources = -4,
        kOneBitDepth = -7,
        kUnsupportedDepth = -8,
        kNoDibSection = -9,
        kUnknownCompression = -12,
        kNoImage = -13,            // the file ends before its image, or its image is cut short
    };

    // Values of the image resources the reader keeps; each group has a flag telling that its
    // resource was present.
    struct Resources {
        bool hasOldHeader;         // 1000
        int16_t oldHeader[5];      // channels, rows, columns, depth, mode
        bool hasResolution;        // 1005
        int32_t xDpi, yDpi;        // whole dots per inch
        bool hasDisplayInfo;       // 1007
        int16_t displayColorSpace;
        int16_t displayColor[4];
        int16_t displayOpacity;
        uint8_t displayKind;
        bool hasThumbnail;         // 1033, 1036
        int32_t thumbnail[6];      // format, width, height, row bytes, total size, compressed size
        int16_t thumbnailBits, thumbnailPlanes;
        bool hasCopyrightFlag;     // 1034
        bool copyrightFlag;
        bool hasGlobalAngle;       // 1037
        int32_t globalAngle;
        bool hasIndexedColorCount; // 1046
        int16_t indexedColorCount;
        bool hasTransparentIndex;  // 1047
        int16_t transparentIndex;
    };

    PsdReader();
    ~PsdReader();
    PsdReader(const PsdReader&) = delete;
    PsdReader& operator=(const PsdReader&) = delete;

    // Resets every value to "not read" (-1), the flags to 0 and the global angle to 30.
    void Init();
    // Reads the file; one of the result codes.
    int Load(const char* path);
    // Hands the DIB section to the caller, who deletes it; Cleanup then leaves it alone.
    HBITMAP DetachBitmap();
    // Deletes the DIB section unless it was handed over, and frees the data read.
    void Cleanup();
    // What a result code says was not read, for reports; empty for kRead.
    static const char* ResultText(int code);
    // "RGB", "CMYK", ... for the colour mode; null for a mode without a name.
    const char* GetColorModeName() const;

    int GetChannels() const { return m_channels; }
    int GetHeight() const { return m_height; }
    int GetWidth() const { return m_width; }
    int GetDepth() const { return m_depth; }
    int GetColorMode() const { return m_mode; }
    HBITMAP GetBitmap() const { return m_bitmap; }
    const Resources& GetResources() const { return m_resources; }

private:
    class Input;

    int ReadHeader(Input& in);
    int ReadColorModeData(Input& in);
    int ReadResources(Input& in);
    bool ReadResourceBlock(Input& in, int64_t& consumed);
    void KeepResource(Input& in, uint32_t dataSize);
    int ReadImageData(Input& in);
    int CheckDepth() const;
    int ChannelsNeeded() const;
    int64_t PlaneBytes() const;
    static void FloatsToSixteenBits(std::vector<uint8_t>& plane);
    bool ReadRawPlanes(Input& in, std::vector<std::vector<uint8_t>>& planes) const;
    bool ReadRlePlanes(Input& in, std::vector<std::vector<uint8_t>>& planes) const;
    bool ReadZipPlanes(Input& in, std::vector<std::vector<uint8_t>>& planes, bool prediction) const;
    void Unpredict(std::vector<uint8_t>& plane) const;
    int MakeBitmap(const std::vector<std::vector<uint8_t>>& planes);
    void Paint(const std::vector<std::vector<uint8_t>>& planes, uint8_t* bits) const;
    bool PixelColor(const std::vector<std::vector<uint8_t>>& planes, size_t i,
                    uint8_t rgb[3]) const;

    HBITMAP m_bitmap;
    bool m_detached;
    int m_channels, m_height, m_width, m_depth, m_mode;
    int m_paintDepth = 8; // bits of the samples painted (32-bit floats are painted as 16 bits)
    int64_t m_colorModeLength;
    std::vector<uint8_t> m_colorModeData;
    int64_t m_resourcesLength;
    int m_resourceId;
    std::string m_resourceName;
    int64_t m_resourceSize;
    Resources m_resources;
};
