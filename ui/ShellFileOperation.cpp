#include "ui/ShellFileOperation.h"

#include <shellapi.h>

namespace ShellFileOperation
{
void BuildLists(const CStringList& sources, CString folder, std::string& from, std::string& to)
{
    from.clear();
    to.clear();
    if (folder.Right(1) != "\\")
        folder += "\\";
    for (POSITION pos = sources.GetHeadPosition(); pos != nullptr;) {
        const CString& path = sources.GetNext(pos);
        CString asFolder = path;
        if (asFolder.Right(1) != "\\")
            asFolder += "\\";
        const int slash = path.ReverseFind('\\');
        // Nothing goes where it already is, and no folder goes into itself or below: an empty
        // entry would also end the list early.
        if (path.IsEmpty() || path.Left(slash + 1).CompareNoCase(folder) == 0 ||
            folder.Left(asFolder.GetLength()).CompareNoCase(asFolder) == 0)
            continue;
        const CString name = path.Mid(slash + 1);
        from.append(path, static_cast<size_t>(path.GetLength()));
        from.push_back('\0');
        to.append(folder, static_cast<size_t>(folder.GetLength()));
        to.append(name, static_cast<size_t>(name.GetLength()));
        to.push_back('\0');
    }
    from.push_back('\0');
    to.push_back('\0');
}

bool CopyOrMove(HWND owner, const CStringList& sources, const CString& folder, bool move)
{
    // No folder to drop into: the files would land in whatever the current folder happens to be.
    if (sources.IsEmpty() || folder.IsEmpty())
        return false;
    std::string from;
    std::string to;
    BuildLists(sources, folder, from, to);
    if (from.size() <= 1)
        return false;
    SHFILEOPSTRUCTA op = {};
    op.hwnd = owner;
    op.wFunc = move ? FO_MOVE : FO_COPY;
    op.pFrom = from.c_str();
    op.pTo = to.c_str();
    op.fFlags = FOF_MULTIDESTFILES;
    return SHFileOperationA(&op) == 0 && !op.fAnyOperationsAborted;
}
} // namespace ShellFileOperation
