#include "browser/dialogs/NewFolderName.h"

#include "app/core/FileUtils.h"

#include <cstring>

namespace {

const int kMaxSuffix = 999;

bool IsReservedDeviceName(CString name)
{
    const int dot = name.Find('.');
    if (dot >= 0)
        name = name.Left(dot);
    name.TrimRight();
    name.MakeUpper();
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL"};
    for (const char* device : kDevices) {
        if (name == device)
            return true;
    }
    return name.GetLength() == 4 && (name.Left(3) == "COM" || name.Left(3) == "LPT") &&
           name[3] >= '1' && name[3] <= '9';
}

bool HasReservedCharacter(const CString& name)
{
    for (int i = 0; i < name.GetLength(); ++i) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        if (c < 32 || std::strchr("\\/:*?\"<>|", c))
            return true;
    }
    return false;
}

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
    // Windows drops trailing dots, so "a." would name "a"; "." and ".." name no new folder.
    if (HasReservedCharacter(typed) || typed.Find("..") >= 0 || typed[typed.GetLength() - 1] == '.' ||
        IsReservedDeviceName(typed))
        return NewFolderNameCheck::Invalid;
    const CString path = CString(parent ? parent : "") + typed;
    if (IsExistingFolder(path) || IsExistingFile(path))
        return NewFolderNameCheck::Exists;
    return NewFolderNameCheck::Valid;
}
