// KBMP: one picture held as a whole BMP file image in memory (file header, info header, colours,
// bits), the form in which thumbnails travel and are cached. Also ComputeFitScale, the factor that
// fits one size into another without enlarging.
#pragma once

#include <windows.h>

#include <cstdint>

class CFile;

// min(target / source) over both sides, each ratio in double rounded to float, never above 1.
float ComputeFitScale(int32_t sourceWidth, int32_t sourceHeight, int32_t targetWidth,
                      int32_t targetHeight);

class KBMP
{
public:
    // Largest BMP file image accepted from a file.
    static constexpr uint32_t kMaxImageBytes = 256u * 1024u * 1024u;

    KBMP() = default;
    virtual ~KBMP();
    KBMP(const KBMP&) = delete;
    KBMP& operator=(const KBMP&) = delete;

    // Frees an owned image and empties the object; always true.
    bool Release();
    // Re-checks the held image: none gives true; one without "BM" is dropped (false).
    bool Parse();
    // Takes image (a malloc block unless notOwned); null gives an empty object and true; a block
    // without "BM" is freed when owned and gives false.
    bool Attach(void* image, bool notOwned);
    // A copy of source's image of its own, with source's nominal size; false when memory fails.
    bool Copy(const KBMP& source);
    bool WriteTo(CFile& file) const;
    // Reads one BMP file image and checks it against the block read: the file header's size and
    // bits offset, the info header's size, the colours used and the size of the pixel rows.
    bool ReadFrom(CFile& file);
    // Writes through a temporary file that replaces path only when complete.
    bool SaveToFile(const char* path) const;
    // Draws into rect; without stretch the picture is centred at its size, shrunk to fit with its
    // aspect kept, and rect becomes the area drawn. Returns StretchDIBits' result.
    int Draw(HDC dc, RECT& rect, bool stretch) const;

    bool IsEmpty() const { return m_image == nullptr; }
    const BYTE* GetImage() const { return m_image; }
    const BITMAPINFO* GetInfo() const { return m_info; }
    uint32_t GetImageSize() const;
    int32_t GetBitmapWidth() const { return m_info ? m_info->bmiHeader.biWidth : 0; }
    int32_t GetBitmapHeight() const { return m_info ? m_info->bmiHeader.biHeight : 0; }
    const void* GetBits() const;
    // The nominal size: the thumbnail size the picture was made for (the cache key).
    int32_t GetWidth() const { return m_width; }
    int32_t GetHeight() const { return m_height; }
    void SetSize(int32_t width, int32_t height)
    {
        m_width = width;
        m_height = height;
    }

private:
    bool ReadBlock(CFile& file);
    bool ValidateAndRepair();

    BYTE* m_image = nullptr;
    BITMAPINFO* m_info = nullptr;
    int32_t m_width = 0;
    int32_t m_height = 0;
    bool m_notOwned = false;
};
