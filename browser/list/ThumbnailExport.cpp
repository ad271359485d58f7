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

bool Write(const KBMP& picture, const CString& path, int format)
{
    constexpr uint32_t kFileHeader = 14; // BITMAPFILEHEADER before the packed DIB
    if (picture.IsEmpty() || picture.GetImageSize() <= kFileHeader)
        return false;
    const void* packed = picture.GetImage() + kFileHeader;
    const size_t size = picture.GetImageSize() - kFileHeader;
    switch (format) {
    case SaveThumbnailChoice::kJpeg:
        return CJpeg().SaveDibMemory(path, packed, size, true, 90) != 0;
    case SaveThumbnailChoice::kGif:
        return CGif().SaveDibMemory(path, packed, size) != 0;
    default:
        return picture.SaveToFile(path);
    }
}

} // namespace ThumbnailExport
