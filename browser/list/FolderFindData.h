// What one directory listing says of every file in a folder (size, times, attributes), read in
// one pass: asking for each file by its own name costs a directory scan per file.
#pragma once

#include <windows.h>

#include <string>
#include <unordered_map>

class FolderFindData
{
public:
    // Lists the folder; an unreadable folder gives an empty listing.
    explicit FolderFindData(const char* folder);
    // An empty listing, filled by Add (what was found of some files by their names).
    FolderFindData() = default;
    void Add(const WIN32_FIND_DATAA& found);

    // The listing's entry for a name in the folder (any case), or null.
    const WIN32_FIND_DATAA* Find(const char* name) const;
    size_t Size() const { return m_entries.size(); }

private:
    static std::string Key(const char* name);

    std::unordered_map<std::string, WIN32_FIND_DATAA> m_entries;
};
