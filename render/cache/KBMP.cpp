#include "render/cache/KBMP.h"

#include "framework/CException.h"
#include "framework/CFile.h"
#include "imaging/ReplacingFile.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr WORD kBmSignature = 0x4D42; // "BM"
constexpr uint32_t kFileHeaderSize = sizeof(BITMAPFILEHEADER);

BITMAPFILEHEADER FileHeaderOf(const BYTE* image)
{
    BITMAPFILEHEADER header;
    std::memcpy(&header, image, sizeof header);
    return header;
}

uint64_t RowBytes(uint64_t bitCount, uint64_t width)
{
    return ((bitCount * width + 31) / 8) & ~static_cast<uint64_t>(3);
}

bool IsKnownBitCount(WORD bits)
{
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// The compression a bit count may have: plain rows for every count, run lengths for 4 and 8
// bits, colour masks for 16 and 32.
bool IsCompressionOf(DWORD compression, WORD bits)
{
    switch (compression) {
    case BI_RGB: return true;
    case BI_RLE8: return bits == 8;
    case BI_RLE4: return bits == 4;
    case BI_BITFIELDS: return bits == 16 || bits == 32;
    default: return false;
    }
}

// Writes via whatever sink, catching the framework's file exceptions.
template <class Write>
bool GuardedWrite(Write&& write)
{
    try {
        return write();
    } catch (CException* e) {
        e->Delete();
        return false;
    }
}

} // namespace

float ComputeFitScale(int32_t sourceWidth, int32_t sourceHeight, int32_t targetWidth,
                      int32_t targetHeight)
{
    if (sourceWidth <= 0 || sourceHeight <= 0)
        return 1.0f;
    const float byWidth = static_cast<float>(static_cast<double>(targetWidth) / sourceWidth);
    const float byHeight = static_cast<float>(static_cast<double>(targetHeight) / sourceHeight);
    const float scale = byWidth < byHeight ? byWidth : byHeight;
    return scale > 1.0f ? 1.0f : scale;
}

KBMP::~KBMP()
{
    Release();
}

bool KBMP::Release()
{
    if (m_image && !m_notOwned)
        std::free(m_image);
    m_image = nullptr;
    m_info = nullptr;
    m_notOwned = false;
    return true;
}

bool KBMP::Parse()
{
    if (!m_image) {
        Release();
        return true;
    }
    WORD signature;
    std::memcpy(&signature, m_image, sizeof signature);
    if (signature != kBmSignature) {
        Release();
        return false;
    }
    m_info = reinterpret_cast<BITMAPINFO*>(m_image + kFileHeaderSize);
    return true;
}

bool KBMP::Attach(void* image, bool notOwned)
{
    Release();
    m_image = static_cast<BYTE*>(image);
    m_notOwned = image ? notOwned : false;
    return Parse();
}

uint32_t KBMP::GetImageSize() const
{
    return m_image ? FileHeaderOf(m_image).bfSize : 0;
}

const void* KBMP::GetBits() const
{
    return m_image ? m_image + FileHeaderOf(m_image).bfOffBits : nullptr;
}

bool KBMP::Copy(const KBMP& source)
{
    if (&source == this)
        return true;
    Release();
    const uint32_t size = source.GetImageSize();
    if (size == 0)
        return true;
    BYTE* copy = static_cast<BYTE*>(std::malloc(size));
    if (!copy)
        return false;
    std::memcpy(copy, source.m_image, size);
    m_width = source.m_width;
    m_height = source.m_height;
    return Attach(copy, false);
}

bool KBMP::WriteTo(CFile& file) const
{
    if (!m_image)
        return false;
    return GuardedWrite([&] {
        file.Write(m_image, GetImageSize());
        return true;
    });
}

bool KBMP::SaveToFile(const char* path) const
{
    if (!m_image || !path)
        return false;
    ReplacingFile out;
    if (!out.Open(path))
        return false;
    const size_t size = GetImageSize();
    if (std::fwrite(m_image, 1, size, out.Stream()) != size)
        return false;
    return out.Commit();
}

bool KBMP::ReadBlock(CFile& file)
{
    BITMAPFILEHEADER header;
    if (file.Read(&header, kFileHeaderSize) != kFileHeaderSize || header.bfType != kBmSignature)
        return false;
    if (header.bfSize < kFileHeaderSize + sizeof(BITMAPINFOHEADER) || header.bfSize > kMaxImageBytes)
        return false;
    BYTE* block = static_cast<BYTE*>(std::malloc(header.bfSize));
    if (!block)
        return false;
    std::memcpy(block, &header, kFileHeaderSize);
    Attach(block, false);
    const UINT rest = header.bfSize - kFileHeaderSize;
    return file.Read(block + kFileHeaderSize, rest) == rest;
}

bool KBMP::ValidateAndRepair()
{
    const BITMAPFILEHEADER file = FileHeaderOf(m_image);
    BITMAPINFOHEADER& info = m_info->bmiHeader;
    const uint64_t blockSize = file.bfSize;
    if (info.biSize < sizeof(BITMAPINFOHEADER) || kFileHeaderSize + uint64_t{info.biSize} > blockSize)
        return false;
    if (info.biWidth <= 0 || info.biHeight == 0 || info.biHeight == INT32_MIN || info.biPlanes != 1 ||
        !IsKnownBitCount(info.biBitCount) || !IsCompressionOf(info.biCompression, info.biBitCount))
        return false;
    // Only paletted pictures have a colour table to count; the others keep 0.
    if (info.biBitCount <= 8) {
        const uint32_t most = 1u << info.biBitCount;
        if (info.biClrUsed == 0)
            info.biClrUsed = most;
        if (info.biClrUsed > most)
            return false;
    } else if (info.biClrUsed > 256) {
        return false;
    }
    const uint64_t height = info.biHeight < 0 ? -static_cast<int64_t>(info.biHeight) : info.biHeight;
    const uint64_t rows = RowBytes(info.biBitCount, static_cast<uint64_t>(info.biWidth)) * height;
    const bool plain = info.biCompression == BI_RGB || info.biCompression == BI_BITFIELDS;
    if (info.biSizeImage == 0 && plain)
        info.biSizeImage = static_cast<DWORD>(rows > 0xFFFFFFFFu ? 0xFFFFFFFFu : rows);
    // Plain rows are as many bytes as the size says (a few bytes of padding aside); run lengths
    // at least one end-of-picture code.
    if (plain ? info.biSizeImage < rows || info.biSizeImage - rows > 4 : info.biSizeImage < 2)
        return false;
    // A 40-byte header of masked colours is followed by its three masks.
    const uint64_t masks = info.biCompression == BI_BITFIELDS && info.biSize == sizeof(BITMAPINFOHEADER) ? 12 : 0;
    const uint64_t tableEnd = kFileHeaderSize + uint64_t{info.biSize} + masks + 4ull * info.biClrUsed;
    const uint64_t bitsNeeded = plain ? rows : info.biSizeImage;
    // The bits end the block: a block longer than its picture holds something else.
    return file.bfOffBits >= tableEnd && file.bfOffBits + bitsNeeded <= blockSize &&
           blockSize - file.bfOffBits - bitsNeeded <= 4;
}

bool KBMP::ReadFrom(CFile& file)
{
    Release();
    bool ok = false;
    try {
        ok = ReadBlock(file) && ValidateAndRepair();
    } catch (CException* e) {
        e->Delete();
        ok = false;
    }
    if (!ok)
        Release();
    return ok;
}

int KBMP::Draw(HDC dc, RECT& rect, bool stretch) const
{
    const int32_t bitmapWidth = GetBitmapWidth();
    const int32_t bitmapHeight = GetBitmapHeight() < 0 ? -GetBitmapHeight() : GetBitmapHeight();
    if (!stretch) {
        const int32_t rectWidth = rect.right - rect.left;
        const int32_t rectHeight = rect.bottom - rect.top;
        const float f = ComputeFitScale(bitmapWidth, bitmapHeight, rectWidth, rectHeight);
        const int32_t dx = (rectWidth - static_cast<int32_t>(bitmapWidth * f)) / 2;
        const int32_t dy = (rectHeight - static_cast<int32_t>(bitmapHeight * f)) / 2;
        InflateRect(&rect, -dx, -dy);
    }
    if (!m_image)
        return 0;
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    return StretchDIBits(dc, rect.left, rect.top, width > 0 ? width : 1, height > 0 ? height : 1, 0,
                         0, bitmapWidth, bitmapHeight, GetBits(), m_info, DIB_RGB_COLORS, SRCCOPY);
}
