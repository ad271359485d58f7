#include "browser/list/FolderFindData.h"

#include "framework/CString.h"

FolderFindData::FolderFindData(const char* folder)
{
    if (!folder || !*folder)
        return;
    CString pattern(folder);
    if (pattern[pattern.GetLength() - 1] != '\\')
        pattern += '\\';
    pattern += '*';
    WIN32_FIND_DATAA found = {};
    const HANDLE find = FindFirstFileExA(pattern, FindExInfoBasic, &found, FindExSearchNameMatch, nullptr,
                                         FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        m_entries.emplace(Key(found.cFileName), found);
    } while (FindNextFileA(find, &found));
    FindClose(find);
}

void FolderFindData::Add(const WIN32_FIND_DATAA& found)
{
    m_entries[Key(found.cFileName)] = found;
}

const WIN32_FIND_DATAA* FolderFindData::Find(const char* name) const
{
    const auto it = m_entries.find(Key(name));
    return it == m_entries.end() ? nullptr : &it->second;
}

std::string FolderFindData::Key(const char* name)
{
    std::string key(name ? name : "");
    if (!key.empty())
        CharLowerBuffA(&key[0], static_cast<DWORD>(key.size()));
    return key;
}
