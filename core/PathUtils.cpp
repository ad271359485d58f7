#include "core/PathUtils.h"

namespace {

// Where the parts of a path begin: the file name after the last separator, the extension at the
// last dot of the file name (or at the end).
struct PathParts
{
    int nameStart = 0;
    int extensionStart = 0;
    int length = 0;
};

PathParts SplitPath(const char* path)
{
    PathParts parts;
    int lastDot = -1;
    const char* p = path;
    while (*p) {
        const int offset = static_cast<int>(p - path);
        if (*p == '\\' || *p == '/' || (*p == ':' && offset == 1)) {
            parts.nameStart = offset + 1;
            lastDot = -1;
        } else if (*p == '.') {
            lastDot = offset;
        }
        const char* next = CharNextA(p);
        p = next > p ? next : p + 1;
    }
    parts.length = static_cast<int>(p - path);
    parts.extensionStart = lastDot >= 0 ? lastDot : parts.length;
    return parts;
}

const char* OrEmpty(const char* path)
{
    return path ? path : "";
}

} // namespace

CString GetPathFolder(const char* path)
{
    path = OrEmpty(path);
    const PathParts parts = SplitPath(path);
    return CString(path, parts.nameStart);
}

CString GetPathFileName(const char* path)
{
    path = OrEmpty(path);
    const PathParts parts = SplitPath(path);
    return CString(path + parts.nameStart, parts.length - parts.nameStart);
}

CString GetPathExtension(const char* path)
{
    path = OrEmpty(path);
    const PathParts parts = SplitPath(path);
    return CString(path + parts.extensionStart, parts.length - parts.extensionStart);
}

CString ReplacePathExtension(const char* path, const char* newExtension)
{
    path = OrEmpty(path);
    const PathParts parts = SplitPath(path);
    CString result(path, parts.extensionStart);
    if (newExtension)
        result += newExtension;
    return result;
}

CString GetProgramPath()
{
    // Paths may be longer than MAX_PATH; grow until the name fits.
    for (DWORD size = MAX_PATH; size <= 32768; size *= 2) {
        CString path;
        const DWORD length = GetModuleFileNameA(nullptr, path.GetBuffer(static_cast<int>(size)), size);
        if (length == 0) {
            path.ReleaseBuffer(0);
            return path;
        }
        if (length < size) {
            path.ReleaseBuffer(static_cast<int>(length));
            return path;
        }
        path.ReleaseBuffer(0);
    }
    return CString();
}

CString GetProgramFolder()
{
    return GetPathFolder(GetProgramPath());
}
