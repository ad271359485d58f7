// FolderChangeLog: the names of a folder's items that changed since the list last looked, as the
// folder's change records tell them, or the fact that some change is known only as "something
// changed" (the records overflowed, a name could not be told, too many came at once). Not thread
// safe: its owner locks around it.
#pragma once

#include <windows.h>

#include <string>
#include <unordered_set>
#include <vector>

class FolderChangeLog
{
public:
    // Beyond this many names one listing of the folder costs less than looking at each.
    static constexpr size_t kMaxNames = 256;

    // Takes one buffer of FILE_NOTIFY_INFORMATION records as ReadDirectoryChangesW filled it;
    // no bytes means the system dropped records (its buffer overflowed).
    void AddRecords(const void* buffer, DWORD bytes);
    // Takes one name in the folder (in the program's code page).
    void AddName(const std::string& name);
    // Some change happened that no name tells.
    void MarkUnknown();
    void Clear();
    // Adds what another log holds.
    void Absorb(const FolderChangeLog& other);
    // Hands the names over and empties the log; false when the changes are not all known by name
    // (nothing changed by name counts as unknown too: the caller reads the whole folder then).
    bool Take(std::vector<std::string>& names);
    bool IsUnknown() const { return m_unknown; }
    size_t NameCount() const { return m_names.size(); }

private:
    static std::string Key(const std::string& name);

    std::vector<std::string> m_names;
    std::unordered_set<std::string> m_keys;
    bool m_unknown = false;
};
