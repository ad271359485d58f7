#include "browser/shell/CSplitPath.h"

#include <algorithm>

namespace {

int DriveLength(const CString& path)
{
    if (path.GetLength() >= 2 && path[1] == ':')
        return 2;
    if (path.Left(2) != "\\\\")
        return 0;
    // A network root: "\\server\share".
    const int server = path.Find('\\', 2);
    if (server < 0)
        return path.GetLength();
    const int share = path.Find('\\', server + 1);
    return share < 0 ? path.GetLength() : share;
}

} // namespace

void CSplitPath::Split(const CString& path)
{
    const int driveLength = DriveLength(path);
    m_drive = path.Left(driveLength);
    const CString rest = path.Mid(driveLength);
    const int slash = std::max(rest.ReverseFind('\\'), rest.ReverseFind('/'));
    m_directory = rest.Left(slash + 1);
    const CString file = rest.Mid(slash + 1);
    const int dot = file.ReverseFind('.');
    m_name = dot < 0 ? file : file.Left(dot);
    m_extension = dot < 0 ? CString() : file.Mid(dot);
}

CString CSplitPath::Make(const CString& drive, const CString& directory, const CString& name, const CString& extension)
{
    CString path = drive + directory;
    if (!path.IsEmpty() && path[path.GetLength() - 1] != '\\' && path[path.GetLength() - 1] != '/')
        path += '\\';
    path += name;
    if (!extension.IsEmpty() && extension[0] != '.')
        path += '.';
    return path + extension;
}
