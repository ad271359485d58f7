#include "browser/shell/ShellFileOps.h"

#include "ui/ShellFileOperation.h"

#include <shellapi.h>

namespace ShellFileOps
{
namespace {

bool IsDeviceName(CString base)
{
    const int dot = base.Find('.');
    if (dot >= 0)
        base = base.Left(dot);
    base.TrimRight();
    base.MakeUpper();
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL"};
    for (const char* device : kDevices) {
        if (base == device)
            return true;
    }
    return base.GetLength() == 4 && (base.Left(3) == "COM" || base.Left(3) == "LPT") && base[3] >= '1' && base[3] <= '9';
}

bool Run(HWND owner, UINT function, const std::string& from, const std::string* to, FILEOP_FLAGS flags)
{
    SHFILEOPSTRUCTA op = {};
    op.hwnd = owner;
    op.wFunc = function;
    op.pFrom = from.c_str();
    op.pTo = to != nullptr ? to->c_str() : nullptr;
    op.fFlags = flags;
    return SHFileOperationA(&op) == 0 && !op.fAnyOperationsAborted;
}

// A change of letter case only. Some shells and file systems take the new name for the file
// itself and leave the old spelling: go through a free temporary name, and back on failure.
bool RenameCaseOnly(const CString& from, const CString& to)
{
    CString step;
    for (int i = 0; i < 100; ++i) {
        step.Format("%s.~%lu-%d", from.GetString(), GetCurrentProcessId(), i);
        if (GetFileAttributesA(step) == INVALID_FILE_ATTRIBUTES)
            break;
    }
    if (!MoveFileA(from, step))
        return false;
    if (MoveFileA(step, to))
        return true;
    MoveFileA(step, from);
    return false;
}

} // namespace

std::string MakeNulList(const CStringList& paths)
{
    std::string list;
    for (POSITION pos = paths.GetHeadPosition(); pos != nullptr;) {
        const CString& path = paths.GetNext(pos);
        if (path.IsEmpty())
            continue; // an empty entry would end the list early
        list.append(path.GetString(), static_cast<size_t>(path.GetLength()));
        list.push_back('\0');
    }
    // std::string keeps one more NUL after its end: the list ends with two.
    list.push_back('\0');
    return list;
}

bool IsValidNewName(const CString& name)
{
    if (name.IsEmpty() || name == "." || name == "..")
        return false;
    for (int i = 0; i < name.GetLength(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (c < 32 || strchr("\\/:*?\"<>|", c) != nullptr)
            return false;
    }
    const char last = name[name.GetLength() - 1];
    return last != '.' && last != ' ' && !IsDeviceName(name);
}

bool PathExists(const CString& path)
{
    return !path.IsEmpty() && GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

bool IsExistingFolder(const CString& path)
{
    if (path.IsEmpty())
        return false;
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

CString FileNameOf(const CString& path)
{
    CString trimmed = path;
    trimmed.TrimRight('\\');
    return trimmed.Mid(trimmed.ReverseFind('\\') + 1);
}

bool FindUndeletable(const CStringList& paths, CStringList& undeletable)
{
    for (POSITION pos = paths.GetHeadPosition(); pos != nullptr;) {
        const CString& path = paths.GetNext(pos);
        // Opening for delete while sharing everything fails only where another handle refuses
        // to share the delete: the shell would stop at that file half-way through the list.
        const HANDLE handle = CreateFileA(path, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            undeletable.AddTail(path);
        else
            CloseHandle(handle);
    }
    return undeletable.IsEmpty();
}

bool Delete(HWND owner, const CStringList& paths, bool allowUndo)
{
    const std::string from = MakeNulList(paths);
    if (from.size() <= 1)
        return false;
    FILEOP_FLAGS flags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    if (allowUndo)
        flags |= FOF_ALLOWUNDO;
    return Run(owner, FO_DELETE, from, nullptr, flags);
}

bool Rename(HWND owner, const CString& from, const CString& to)
{
    if (from.CompareNoCase(to) == 0)
        return RenameCaseOnly(from, to);
    CStringList one;
    one.AddTail(from);
    CStringList target;
    target.AddTail(to);
    const std::string fromList = MakeNulList(one);
    const std::string toList = MakeNulList(target);
    // The caller checked that the new name is free: the shell must not ask to replace anything.
    return Run(owner, FO_RENAME, fromList, &toList, FOF_NOERRORUI | FOF_SILENT);
}

bool MoveOrCopyInto(HWND owner, bool move, const CStringList& paths, const CString& folder)
{
    return IsExistingFolder(folder) && ShellFileOperation::CopyOrMove(owner, paths, folder, move);
}

CString JoinForMessage(const CStringList& paths, int maxLines)
{
    CString text;
    int lines = 0;
    for (POSITION pos = paths.GetHeadPosition(); pos != nullptr; ++lines) {
        const CString& path = paths.GetNext(pos);
        if (lines == maxLines) {
            text += "...\n";
            break;
        }
        text += path + "\n";
    }
    return text;
}
} // namespace ShellFileOps
