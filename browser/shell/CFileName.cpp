#include "browser/shell/CFileName.h"

#include <cstdlib>

namespace
{
struct Parts
{
    char drive[_MAX_DRIVE] = {};
    char dir[_MAX_DIR] = {};
    char name[_MAX_FNAME] = {};
    char ext[_MAX_EXT] = {};
};

Parts SplitPath(const char* path)
{
    Parts p;
    if (path && _splitpath_s(path, p.drive, sizeof(p.drive), p.dir, sizeof(p.dir), p.name,
                             sizeof(p.name), p.ext, sizeof(p.ext)) != 0)
        p = Parts();
    return p;
}

bool EndsWithSlash(const CString& s)
{
    const int n = s.GetLength();
    return n > 0 && (s[n - 1] == '\\' || s[n - 1] == '/');
}

bool StartsWithSlash(const CString& s)
{
    return !s.IsEmpty() && (s[0] == '\\' || s[0] == '/');
}
} // namespace

CFileName::CFileName(const CString& path) : m_path(path)
{
    const Parts p = SplitPath(path);
    m_drive = p.drive;
    m_dir = p.dir;
    m_name = p.name;
    m_ext = p.ext;
}

CString CFileName::GetFileNameExt() const
{
    CString out = m_name;
    out += m_ext;
    return out;
}

CString CFileName::Join(const CString& drive, const CString& dir, const CString& name,
                        const CString& ext) const
{
    CString out = drive;
    if (!dir.IsEmpty()) {
        if (!out.IsEmpty() && !StartsWithSlash(dir))
            out += '\\';
        out += dir;
        if (!EndsWithSlash(dir))
            out += '\\';
    }
    out += name;
    if (!ext.IsEmpty() && ext[0] != '.')
        out += '.';
    out += ext;
    return out;
}

CString CFileName::ChangeExtension(const char* ext) const
{
    return Join(m_drive, m_dir, m_name, ext ? ext : "");
}

CString CFileName::ChangeFolder(const char* folder) const
{
    CString withSlash = folder ? folder : "";
    if (!withSlash.IsEmpty() && !EndsWithSlash(withSlash))
        withSlash += '\\';
    const Parts p = SplitPath(withSlash);
    return Join(p.drive, p.dir, m_name, m_ext);
}
