// CJpeg: writes an RGB picture as a JFIF file through libjpeg.
#pragma once

#include <cstdint>
#include <string>

class CJpeg
{
public:
    CJpeg();
    virtual ~CJpeg() = default;
    CJpeg(const CJpeg&) = delete;
    CJpeg& operator=(const CJpeg&) = delete;

    // Writes width x height pixels of red, green, blue (top row first, no row padding); without
    // colour the file holds one grey component. density is in dots per inch. Nonzero on success;
    // on failure the error text tells why and the file at path is left as it was.
    int WriteJpeg(const char* path, const uint8_t* rgb, int width, int height, bool color,
                  int quality, int density);

    const std::string& GetErrorText() const { return m_errorText; }

private:
    std::string m_errorText;
};
