#include "engine/rkio/rkio.h"

#include "engine/db/CodePage.h"
#include "engine/rkio/DrawingFile.h"
#include "engine/rkio/EngineState.h"
#include "engine/rkio/PreviewPicture.h"
#include "engine/rkio/RasterFileWriter.h"
#include "engine/preview/StoredPreview.h"

#include <cstring>
#include <new>

namespace {

// Converts texts of any Windows code page with the system's tables.
bool ConvertCodePage(int codePage, std::string_view bytes, std::string& utf8)
{
    if (bytes.empty())
        return true;
    const UINT cp = static_cast<UINT>(codePage);
    const int n = MultiByteToWideChar(cp, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (n <= 0)
        return false;
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(cp, 0, bytes.data(), static_cast<int>(bytes.size()), &wide[0], n);
    const int m = WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, nullptr, 0, nullptr, nullptr);
    if (m <= 0)
        return false;
    std::string out(static_cast<std::size_t>(m), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, &out[0], m, nullptr, nullptr);
    utf8 = out;
    return true;
}

} // namespace

BOOL InitDLL()
{
    RkDb::CodePage::SetConverter(ConvertCodePage);
    return TRUE;
}

void UninitDLL()
{
    RkDb::CodePage::SetConverter(nullptr);
    RkIo::EngineState& state = RkIo::EngineState::Instance();
    state.SetAbort(RkIo::Channel::Document, nullptr, nullptr);
    state.SetAbort(RkIo::Channel::Thumbnail, nullptr, nullptr);
    state.SetProgress(nullptr, nullptr, nullptr);
    state.SetRasterDecoder(nullptr);
}

void DWG_SetSearchDirectories(const char* list)
{
    RkIo::EngineState::Instance().SetSearchDirectories(list ? list : "");
}

void DWG_SetRasterDecoder(RkDraw::RasterDecoder* decoder)
{
    RkIo::EngineState::Instance().SetRasterDecoder(decoder);
}

void DWG_SetFileAboutFunc(DWG_FileAboutFunc func, void* context)
{
    RkIo::EngineState::Instance().SetAbort(RkIo::Channel::Document, func, context);
}

void DWG_SetFileAboutFunc_2(DWG_FileAboutFunc func, void* context)
{
    RkIo::EngineState::Instance().SetAbort(RkIo::Channel::Thumbnail, func, context);
}

void DWG_SetProgressCallBackFuns(DWG_ProgressStartFunc start, DWG_ProgressFunc progress,
                                 DWG_ProgressFinishFunc finish)
{
    RkIo::EngineState::Instance().SetProgress(start, progress, finish);
}

bool lppp(const char* path, unsigned char** data, long* size)
{
    if (data)
        *data = nullptr;
    if (size)
        *size = 0;
    if (!path || !data || !size)
        return false;
    // The preview lies near the start of a drawing: only what is needed to find and take it is
    // read, not the whole file (the cache pass of a folder of drawings reads every one).
    constexpr unsigned long long kHead = 64 * 1024;
    std::string bytes;
    unsigned long long fileSize = 0;
    if (!RkIo::DrawingFile::ReadHead(path, kHead, bytes, fileSize))
        return false;
    const unsigned long long needed = RkPreview::StoredPreview::BytesNeeded(
        reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), fileSize);
    if (needed > bytes.size() && !RkIo::DrawingFile::ReadHead(path, needed, bytes, fileSize))
        return false;
    const std::string bmp = RkIo::PreviewPicture::BmpFromDrawingBytes(bytes);
    if (bmp.empty() || bmp.size() > 0x7FFFFFFF)
        return false;
    auto* copy = new (std::nothrow) unsigned char[bmp.size()];
    if (!copy)
        return false;
    std::memcpy(copy, bmp.data(), bmp.size());
    *data = copy;
    *size = static_cast<long>(bmp.size());
    return true;
}

void ppll(unsigned char** data)
{
    if (!data)
        return;
    delete[] *data;
    *data = nullptr;
}

void CommonPenSets_SetDPI(short dpi)
{
    RkIo::EngineState::Instance().SetPenDpi(dpi);
}

void CommonPenSets_Reset()
{
    RkIo::EngineState::Instance().ResetPens();
}

void DWG_SetBackgroundColor(COLORREF color)
{
    RkIo::EngineState::Instance().SetBackground(color);
}

BOOL SaveRasterImage(HBITMAP bitmap, int format, const char* path, long)
{
    return RkIo::RasterFileWriter::Save(bitmap, format, path) ? TRUE : FALSE;
}
