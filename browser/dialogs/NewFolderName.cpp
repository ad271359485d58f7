#include "browser/dialogs/NewFolderName.h"

#include "core/FileUtils.h"
#include "browser/shell/ShellFileOps.h"

namespace {

const int kMaxSuffix = 999;

} // namespace

CString WithTrailingBackslash(const char* folder)
{
    CString result(folder ? folder : "");
    if (!result.IsEmpty() && result[result.GetLength() - 1] != '\\')
        result += '\\';
    return result;
}

CString MakeUniqueFolderName(const char* parent, const char* base)
{
    const CString folder(parent ? parent : "");
    const CString name(base ? base : "");
    for (int n = 0; n <= kMaxSuffix; ++n) {
        CString candidate = name;
        if (n > 0)
            candidate.Format("%s (%d)", static_cast<const char*>(name), n);
        if (!IsExistingFolder(folder + candidate))
            return candidate;
    }
    return CString();
}

NewFolderNameCheck CheckNewFolderName(const char* parent, const char* name)
{
    CString typed(name ? name : "");
    typed.TrimLeft();
    typed.TrimRight();
    if (typed.IsEmpty())
        return NewFolderNameCheck::Empty;
    // The one rule of names typed for a file or folder in its own folder (renames use it too).
    if (!ShellFileOps::IsValidNewName(typed))
        return NewFolderNameCheck::Invalid;
    const CString path = CString(parent ? parent : "") + typed;
    if (IsExistingFolder(path) || IsExistingFile(path))
        return NewFolderNameCheck::Exists;
    return NewFolderNameCheck::Valid;
}
