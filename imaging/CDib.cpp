#include "imaging/CDib.h"

#include "framework/CArchive.h"
#include "framework/CException.h"
#include "framework/CFile.h"
#include "imaging/DibConversion.h"
#include "imaging/LittleEndian.h"
#include "imaging/PackedDib.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

IMPLEMENT_SERIAL(CDib, CObject, 0)

namespace {

constexpr DWORD kFileHeaderSize = 14;

void PutDword(BYTE* p, DWORD v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<BYTE>(v >> (8 * i));
}

// The 14-byte file header for a 40-byte DIB whose biSizeImage is already set; returns the file
// size.
DWORD MakeFileHeader(const BITMAPINFOHEADER* header, BYTE (&fileHeader)[kFileHeaderSize])
{
    const DWORD bitsOffset = kFileHeaderSize + header->biSize + DibPaletteSize(header);
    memset(fileHeader, 0, sizeof(fileHeader));
    fileHeader[0] = 'B';
    fileHeader[1] = 'M';
    PutDword(fileHeader + 2, bitsOffset + header->biSizeImage);
    PutDword(fileHeader + 10, bitsOffset);
    return bitsOffset + header->biSizeImage;
}

// RLE images keep their stored size; the others get the size of their rows.
void SetImageSize(BITMAPINFOHEADER* header)
{
    if (header->biCompression == BI_RLE8 || header->biCompression == BI_RLE4)
        return;
    header->biSizeImage = ((header->biBitCount * header->biPlanes * static_cast<DWORD>(header->biWidth) +
                            31) / 32) * 4 * static_cast<DWORD>(header->biHeight);
}

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.find_last_of("\\/");
    if (slash == std::string::npos)
        return ".";
    return slash == 2 && path[1] == ':' ? path.substr(0, 3) : path.substr(0, slash);
}

} // namespace

CDib::CDib()
    : m_hDib(nullptr), m_hMemDC(nullptr), m_hOldBitmap(nullptr), m_hOldPalette(nullptr),
      m_nResolution(0)
{
}

CDib::~CDib()
{
    CloseMemDC(true);
    DibFree(m_hDib);
}

BOOL CDib::Replace(HGLOBAL dib)
{
    if (!dib || m_hMemDC)
        return FALSE;
    GdiObject<HPALETTE> palette;
    GdiObject<HBITMAP> bitmap;
    {
        GlobalLockScope lock(dib);
        if (!lock)
            return FALSE;
        palette.Reset(CreateDibPalette(lock.Get<BITMAPINFOHEADER>()));
        bitmap.Reset(DibToDibSection(lock.Get<BITMAPINFOHEADER>()));
    }
    if (!bitmap)
        return FALSE;
    DibFree(m_hDib);
    m_hDib = dib;
    m_palette = std::move(palette);
    m_bitmap = std::move(bitmap);
    return TRUE;
}

BOOL CDib::Create(int width, int height, WORD bitCount)
{
    HGLOBAL dib = CreateDib(width, height, bitCount);
    if (Replace(dib))
        return TRUE;
    DibFree(dib);
    return FALSE;
}

BOOL CDib::CreateFromBitmap(HBITMAP section)
{
    if (!section)
        return FALSE;
    HGLOBAL dib = BitmapToDib(section);
    if (Replace(dib))
        return TRUE;
    DibFree(dib);
    return FALSE;
}

BOOL CDib::CreateFromPackedDib(const void* dib)
{
    const DWORD size = dib ? DibSize(dib) : 0;
    if (size == 0)
        return FALSE;
    HGLOBAL copy = CopyToDibHandle(dib, size);
    if (Attach(copy))
        return TRUE;
    DibFree(copy);
    return FALSE;
}

BOOL CDib::Attach(HGLOBAL dib)
{
    return dib && DibHandleIsSound(dib) && Replace(dib);
}

BOOL CDib::LoadResource(LPCSTR name, LPCSTR type)
{
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC resource = FindResourceA(module, name, type);
    HGLOBAL loaded = resource ? ::LoadResource(module, resource) : nullptr;
    const BYTE* data = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    const DWORD size = resource ? SizeofResource(module, resource) : 0;
    if (!data || size <= kFileHeaderSize || data[0] != 'B' || data[1] != 'M')
        return FALSE;
    // The resource is read-only: the packed DIB is copied out and checked against its real size.
    HGLOBAL copy = CopyToDibHandle(data + kFileHeaderSize, size - kFileHeaderSize);
    if (Attach(copy))
        return TRUE;
    DibFree(copy);
    return FALSE;
}

BOOL CDib::ReadFile(CFile& file)
{
    GlobalBlock block;
    try {
        BYTE fileHeader[kFileHeaderSize];
        if (file.Read(fileHeader, sizeof(fileHeader)) != sizeof(fileHeader) || fileHeader[0] != 'B' ||
            fileHeader[1] != 'M')
            return FALSE;
        const uint64_t fileSize = LittleEndian::Get32(fileHeader + 2);
        const uint64_t remaining = file.GetLength() - file.GetPosition();
        // The size field is checked against the file before anything is allocated.
        if (fileSize < kFileHeaderSize + sizeof(BITMAPINFOHEADER) || fileSize - kFileHeaderSize > remaining)
            return FALSE;
        const UINT dibSize = static_cast<UINT>(fileSize - kFileHeaderSize);
        block.Reset(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, dibSize));
        GlobalLockScope lock(block.Get());
        if (!lock || file.Read(lock.Get(), dibSize) != dibSize)
            return FALSE;
        auto* header = lock.Get<BITMAPINFOHEADER>();
        if (header->biSize != sizeof(BITMAPINFOHEADER) || header->biBitCount > 32)
            return FALSE;
        if (header->biClrUsed == 0 && header->biBitCount <= 8)
            header->biClrUsed = 1u << header->biBitCount;
        if (header->biSizeImage == 0)
            header->biSizeImage = ((header->biBitCount * static_cast<DWORD>(header->biWidth) + 31) / 8 &
                                   ~3u) * static_cast<DWORD>(header->biHeight);
    } catch (CException* e) {
        e->Delete();
        return FALSE;
    }
    if (!Attach(block.Get()))
        return FALSE;
    block.Release();
    return TRUE;
}

BOOL CDib::WriteFile(CFile& file)
{
    GlobalLockScope lock(m_hDib);
    if (!lock || lock.Get<BITMAPINFOHEADER>()->biSize != sizeof(BITMAPINFOHEADER))
        return FALSE;
    auto* header = lock.Get<BITMAPINFOHEADER>();
    if (m_nResolution > 0) {
        const LONG ppm = static_cast<LONG>(m_nResolution * 1000 / 25.4 + 1);
        header->biXPelsPerMeter = ppm;
        header->biYPelsPerMeter = ppm;
    }
    SetImageSize(header);
    BYTE fileHeader[kFileHeaderSize];
    const DWORD fileSize = MakeFileHeader(header, fileHeader);
    file.Write(fileHeader, sizeof(fileHeader));
    file.Write(header, fileSize - kFileHeaderSize);
    return TRUE;
}

BOOL CDib::SaveFile(LPCSTR path)
{
    if (!m_hDib || !path || !*path)
        return FALSE;
    char temp[MAX_PATH] = {};
    if (!GetTempFileNameA(FolderOf(path).c_str(), "orv", 0, temp))
        return FALSE;
    BOOL written = FALSE;
    try {
        CFile file(temp, CFile::modeCreate | CFile::modeWrite);
        written = WriteFile(file);
        file.Close();
    } catch (CException* e) {
        e->Delete();
        written = FALSE;
    }
    if (written)
        written = MoveFileExA(temp, path, MOVEFILE_REPLACE_EXISTING);
    if (!written)
        DeleteFileA(temp);
    return written;
}

void CDib::Serialize(CArchive& ar)
{
    ar.Flush();
    if (ar.IsLoading())
        ReadFile(*ar.GetFile());
    else
        WriteFile(*ar.GetFile());
}

BYTE* CDib::GetBmpFileImage(DWORD* size) const
{
    GlobalLockScope lock(m_hDib);
    if (!lock || lock.Get<BITMAPINFOHEADER>()->biSize != sizeof(BITMAPINFOHEADER))
        return nullptr;
    BITMAPINFOHEADER header = *lock.Get<BITMAPINFOHEADER>();
    SetImageSize(&header);
    BYTE fileHeader[kFileHeaderSize];
    const DWORD fileSize = MakeFileHeader(&header, fileHeader);
    if (static_cast<SIZE_T>(fileSize - kFileHeaderSize) > GlobalSize(m_hDib))
        return nullptr;
    BYTE* image = static_cast<BYTE*>(malloc(fileSize));
    if (!image)
        return nullptr;
    memcpy(image, fileHeader, kFileHeaderSize);
    memcpy(image + kFileHeaderSize, &header, sizeof(header));
    memcpy(image + kFileHeaderSize + sizeof(header), lock.Get() + sizeof(header),
           fileSize - kFileHeaderSize - sizeof(header));
    if (size)
        *size = fileSize;
    return image;
}

int CDib::GetWidth() const
{
    GlobalLockScope lock(m_hDib);
    return lock ? static_cast<int>(DibWidth(lock.Get())) : 0;
}

int CDib::GetHeight() const
{
    GlobalLockScope lock(m_hDib);
    return lock ? static_cast<int>(DibHeight(lock.Get())) : 0;
}

WORD CDib::GetBitCount() const
{
    GlobalLockScope lock(m_hDib);
    return lock ? DibBitCount(lock.Get()) : 0;
}

BYTE* CDib::GetBits() const
{
    // The block is never reallocated, so the address stays valid after the lock ends.
    GlobalLockScope lock(m_hDib);
    return lock ? FindDibBits(static_cast<void*>(lock.Get())) : nullptr;
}

BOOL CDib::Draw(HDC target, int x, int y, DWORD rop) const
{
    return StretchDraw(target, x, y, GetWidth(), GetHeight(), 0, 0, GetWidth(), GetHeight(), rop);
}

BOOL CDib::StretchDraw(HDC target, int x, int y, int width, int height, int sourceX, int sourceY,
                       int sourceWidth, int sourceHeight, DWORD rop) const
{
    if (!m_bitmap || !target)
        return FALSE;
    MemoryDC memory(target);
    SelectScope select(memory.Get(), m_bitmap.Get());
    PaletteScope palette(target, m_palette.Get(), true);
    if (width == sourceWidth && height == sourceHeight)
        return BitBlt(target, x, y, width, height, memory.Get(), sourceX, sourceY, rop);
    return StretchBlt(target, x, y, width, height, memory.Get(), sourceX, sourceY, sourceWidth,
                      sourceHeight, rop);
}

HDC CDib::BeginMemDC(HDC reference)
{
    if (m_hMemDC || !m_bitmap)
        return nullptr;
    m_hMemDC = CreateCompatibleDC(reference);
    if (!m_hMemDC)
        return nullptr;
    if (m_palette) {
        m_hOldPalette = SelectPalette(m_hMemDC, m_palette.Get(), TRUE);
        RealizePalette(m_hMemDC);
    }
    m_hOldBitmap = SelectObject(m_hMemDC, m_bitmap.Get());
    return m_hMemDC;
}

void CDib::CloseMemDC(bool restorePalette)
{
    if (!m_hMemDC)
        return;
    SelectObject(m_hMemDC, m_hOldBitmap);
    if (restorePalette && m_hOldPalette)
        SelectPalette(m_hMemDC, m_hOldPalette, TRUE);
    DeleteDC(m_hMemDC);
    m_hMemDC = nullptr;
    m_hOldBitmap = nullptr;
    m_hOldPalette = nullptr;
}

void CDib::EndMemDC()
{
    if (!m_hMemDC)
        return;
    CloseMemDC(true);
    GdiFlush();
    HGLOBAL drawn = BitmapToDib(m_bitmap.Get());
    if (!Replace(drawn))
        DibFree(drawn);
}

BOOL CDib::BlitMemDC(HDC target, int x, int y, DWORD rop)
{
    if (!m_hMemDC || !target)
        return FALSE;
    BOOL result = FALSE;
    {
        PaletteScope palette(target, m_palette.Get(), true);
        result = BitBlt(target, x, y, GetWidth(), GetHeight(), m_hMemDC, 0, 0, rop);
    }
    CloseMemDC(m_palette.Get() != nullptr);
    return result;
}

void CDib::Fill(COLORREF color)
{
    if (!m_hDib)
        return;
    MemoryDC reference(nullptr);
    HDC dc = BeginMemDC(reference.Get());
    if (!dc)
        return;
    const RECT all = {0, 0, GetWidth(), GetHeight()};
    SetBkColor(dc, color);
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &all, nullptr, 0, nullptr);
    EndMemDC();
}

BOOL CDib::ChangeBitCount(WORD bitCount)
{
    if (!m_hDib)
        return FALSE;
    if (bitCount == GetBitCount())
        return TRUE;
    HGLOBAL changed = ChangeDibFormat(m_hDib, bitCount, nullptr);
    if (Replace(changed))
        return TRUE;
    DibFree(changed);
    return FALSE;
}

BOOL CDib::Quantize(WORD bitCount)
{
    if (!m_hDib)
        return FALSE;
    if (bitCount > 8)
        return ChangeBitCount(bitCount);
    HGLOBAL quantized = QuantizeDib(m_hDib, bitCount, 1 << bitCount);
    if (Replace(quantized))
        return TRUE;
    DibFree(quantized);
    return FALSE;
}

BOOL CDib::Turn(int quarterTurns)
{
    if (!m_hDib)
        return FALSE;
    GlobalBlock turned(RotateDib90(m_hDib));
    for (int i = 1; i < quarterTurns && turned.Get(); ++i)
        turned.Reset(RotateDib90(turned.Get()));
    if (!Replace(turned.Get()))
        return FALSE;
    turned.Release();
    return TRUE;
}

BOOL CDib::RotateLeft()
{
    return Turn(1);
}

BOOL CDib::Rotate180()
{
    return Turn(2);
}

BOOL CDib::RotateRight()
{
    return Turn(3);
}
