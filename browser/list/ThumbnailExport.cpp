#include "browser/list/ThumbnailExport.h"

#include "browser/shell/CSplitPath.h"
#include "browser/shell/ShellFileOps.h"
#include "imaging/CGif.h"
#include "imaging/CJpeg.h"
#include "render/cache/KBMP.h"

namespace ThumbnailExport
{

const char* Extension(int format)
{
    switch (format) {
    case SaveThumbnailChoice::kJpeg:
        return ".jpg";
    case SaveThumbnailChoice::kGif:
        return ".gif";
    default:
        return ".bmp";
    }
}

CString TargetPath(const CString& folder, const CString& drawingPath, int format)
{
    const CSplitPath drawing(drawingPath);
    CString path = folder;
    if (path.IsEmpty() || path[path.GetLength() - 1] != '\\')
        path += '\\';
    return path + drawing.GetName() + Extension(format);
}

CString FreeName(const CString& path)
{
    const CSplitPath split(path);
    for (int n = 2; n < 1000; ++n) {
        CString name;
        name.Format("%s (%d)", split.GetName().GetString(), n);
        const CString candidate = CSplitPath::Make(split.GetDrive(), split.GetDirectory(), name, split.GetExtension());
        if (!ShellFileOps::PathExists(candidate))
            return candidate;
    }
    return CString();
}

bool Write(const KBMP& picture, const CString& path, int format, CString* error)
{
    constexpr uint32_t kFileHeader = 14; // BITMAPFILEHEADER before the packed DIB
    CString reason;
    bool written = false;
    if (picture.IsEmpty() || picture.GetImageSize() <= kFileHeader) {
        reason = "the thumbnail holds no picture";
    } else {
        const void* packed = picture.GetImage() + kFileHeader;
        const size_t size = picture.GetImageSize() - kFileHeader;
        if (format == SaveThumbnailChoice::kJpeg) {
            CJpeg writer;
            written = writer.SaveDibMemory(path, packed, size, true, 90) != 0;
            reason = writer.GetErrorText().c_str();
        } else if (format == SaveThumbnailChoice::kGif) {
            CGif writer;
            written = writer.SaveDibMemory(path, packed, size) != 0;
            reason = writer.GetErrorText().c_str();
        } else {
            written = picture.SaveToFile(path);
            reason = "the file could not be written";
        }
    }
    if (error != nullptr)
        *error = written ? CString() : reason;
    return written;
}

} // namespace ThumbnailExport
