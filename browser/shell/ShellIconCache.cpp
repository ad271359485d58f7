#include "browser/shell/ShellIconCache.h"

#include "browser/shell/CShellPidl.h"

#include <cctype>

namespace
{
bool HasOwnIcon(const std::string& key)
{
    return key == ".exe" || key == ".lnk" || key == ".ico" || key == ".cur" || key == ".url" || key == ".scr";
}
} // namespace

std::string ShellIconCache::ExtensionKey(const CString& name, bool folder)
{
    if (folder)
        return "<folder>";
    const int dot = name.ReverseFind('.');
    std::string key = dot >= 0 ? std::string(name.Mid(dot)) : std::string();
    for (char& c : key)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return key;
}

int ShellIconCache::IconIndex(const CString& name, bool folder, LPCITEMIDLIST absolute)
{
    const std::string key = ExtensionKey(name, folder);
    if (HasOwnIcon(key) && absolute)
        return CShellPidl::GetIcon(absolute, SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
    const auto found = m_icons.find(key);
    if (found != m_icons.end())
        return found->second;
    SHFILEINFOA info = {};
    SHGetFileInfoA(folder ? "folder" : static_cast<const char*>(name),
                   folder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL, &info, sizeof(info),
                   SHGFI_USEFILEATTRIBUTES | SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
    m_icons[key] = info.iIcon;
    return info.iIcon;
}

CString ShellIconCache::TypeName(const CString& name, bool folder)
{
    const std::string key = ExtensionKey(name, folder);
    const auto found = m_types.find(key);
    if (found != m_types.end())
        return found->second;
    SHFILEINFOA info = {};
    SHGetFileInfoA(folder ? "folder" : static_cast<const char*>(name),
                   folder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL, &info, sizeof(info),
                   SHGFI_USEFILEATTRIBUTES | SHGFI_TYPENAME);
    m_types[key] = info.szTypeName;
    return m_types[key];
}

void ShellIconCache::Clear()
{
    m_icons.clear();
    m_types.clear();
}
