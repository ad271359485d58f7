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
        const CString name = path.Mid(path.ReverseFind('\\') + 1);
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
    SHFILEOPSTRUCTA op = {};
    op.hwnd = owner;
    op.wFunc = move ? FO_MOVE : FO_COPY;
    op.pFrom = from.c_str();
    op.pTo = to.c_str();
    op.fFlags = FOF_MULTIDESTFILES;
    return SHFileOperationA(&op) == 0 && !op.fAnyOperationsAborted;
}
} // namespace ShellFileOperation
