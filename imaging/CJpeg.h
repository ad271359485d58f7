// CJpeg: writes an RGB picture as a JFIF file through libjpeg.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class CDib;

class CJpeg
{
public:
    CJpeg();
    virtual ~CJpeg();
    CJpeg(const CJpeg&) = delete;
    CJpeg& operator=(const CJpeg&) = delete;

    // The image a save without one writes; owned by the writer.
    void SetImage(std::unique_ptr<CDib> image);

    // Writes a copy of the image (the writer's own when null) at 24 bits, with the image's
    // resolution as density (72 when it has none). Nonzero on success.
    int SaveDib(const char* path, CDib* image, bool color, int quality);
    // The same for a packed DIB in memory, at 72 dots per inch.
    int SaveDibMemory(const char* path, const void* packedDib, size_t size, bool color,
                      int quality);

    // Writes width x height pixels of red, green, blue (top row first, no row padding); without
    // colour the file holds one grey component. density is in dots per inch. Nonzero on success;
    // on failure the error text tells why and the file at path is left as it was.
    int WriteJpeg(const char* path, const uint8_t* rgb, int width, int height, bool color,
                  int quality, int density);

    const std::string& GetErrorText() const { return m_errorText; }

private:
    int SaveCopy(const char* path, CDib& copy, bool color, int quality, int density);

    std::string m_errorText;
    std::unique_ptr<CDib> m_image;
};
