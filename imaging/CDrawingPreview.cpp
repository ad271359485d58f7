#include "imaging/CDrawingPreview.h"

#include "engine/rkio/rkio.h"
#include "framework/Afx.h"

#include <cstddef>
#include <cstring>
#include <new>

namespace {

constexpr DWORD kFileHeaderSize = sizeof(BITMAPFILEHEADER);
constexpr LONG kMaxSide = 65536;

template <typename T>
T ReadAt(const BYTE* bytes, DWORD offset)
{
    T value;
    std::memcpy(&value, bytes + offset, sizeof value);
    return value;
}

} // namespace

CDrawingPreview::~CDrawingPreview()
{
    Release();
}

void CDrawingPreview::Release()
{
    m_image.reset();
    if (m_bytes && m_engineBytes)
        ppll(&m_bytes);
    else
        delete[] m_bytes;
    m_bytes = nullptr;
    m_size = 0;
    m_engineBytes = false;
    m_info = nullptr;
    m_bits = nullptr;
    m_width = 0;
    m_height = 0;
}

bool CDrawingPreview::Read(const char* path)
{
    Release();
    if (!path)
        return false;
    unsigned char* bytes = nullptr;
    long size = 0;
    const bool read = lppp(path, &bytes, &size);
    if (read && bytes) {
        m_bytes = bytes; // the engine's to free, whatever the size says
        m_engineBytes = true;
    }
    if (!read || !bytes || size <= 0) {
        Release();
        return false;
    }
    m_size = static_cast<DWORD>(size);
    return Take();
}

bool CDrawingPreview::ReadBmp(const BYTE* bytes, DWORD size)
{
    Release();
    if (!bytes || size == 0)
        return false;
    m_bytes = new (std::nothrow) BYTE[size];
    if (!m_bytes)
        return false;
    std::memcpy(m_bytes, bytes, size);
    m_size = size;
    return Take();
}

bool CDrawingPreview::Take()
{
    if (TakePlain())
        return true;
    try {
        auto image = std::make_unique<CRasterImage>(m_bytes, m_size, RASTER_FORMAT_BMP);
        if (image->IsValid() && image->GetWidth() > 0 && image->GetHeight() > 0) {
            m_width = static_cast<int>(image->GetWidth());
            m_height = static_cast<int>(image->GetHeight());
            m_image = std::move(image);
            return true;
        }
    } catch (CException* e) {
        e->Delete();
    } catch (...) {
    }
    Release();
    return false;
}

// A picture GDI takes as it lies: every byte it will read is within the image.
bool CDrawingPreview::TakePlain()
{
    if (m_size < kFileHeaderSize + sizeof(BITMAPINFOHEADER) || m_bytes[0] != 'B' || m_bytes[1] != 'M')
        return false;
    const auto header = ReadAt<BITMAPINFOHEADER>(m_bytes, kFileHeaderSize);
    const DWORD offBits = ReadAt<DWORD>(m_bytes, offsetof(BITMAPFILEHEADER, bfOffBits));
    const WORD bits = header.biBitCount;
    if (header.biSize < sizeof(BITMAPINFOHEADER) || header.biSize > m_size || header.biPlanes != 1 ||
        header.biCompression != BI_RGB || (bits != 1 && bits != 4 && bits != 8 && bits != 24) ||
        header.biWidth <= 0 || header.biHeight <= 0 || header.biWidth > kMaxSide ||
        header.biHeight > kMaxSide)
        return false;
    const unsigned long long maxColours = bits <= 8 ? 1ull << bits : 0;
    const unsigned long long colours = header.biClrUsed != 0 ? header.biClrUsed : maxColours;
    if (colours > maxColours && bits <= 8)
        return false;
    const unsigned long long table = kFileHeaderSize + header.biSize + colours * sizeof(RGBQUAD);
    const unsigned long long stride = (static_cast<unsigned long long>(header.biWidth) * bits + 31) / 32 * 4;
    if (table > offBits || offBits + stride * static_cast<unsigned long long>(header.biHeight) > m_size)
        return false;
    m_info = reinterpret_cast<const BITMAPINFO*>(m_bytes + kFileHeaderSize);
    m_bits = m_bytes + offBits;
    m_width = header.biWidth;
    m_height = header.biHeight;
    return true;
}

bool CDrawingPreview::Draw(HDC dc, int x, int y, int width, int height) const
{
    if (!dc || !IsValid() || width <= 0 || height <= 0)
        return false;
    if (m_image)
        return m_image->Stretch(dc, x, y, width, height, SRCCOPY, GetStretchBltMode(dc));
    return StretchDIBits(dc, x, y, width, height, 0, 0, m_width, m_height, m_bits, m_info,
                         DIB_RGB_COLORS, SRCCOPY) > 0;
}
