// FolderChangeLog: the names of a folder's items that changed since the list last looked, as the
// folder's change records tell them, or the fact that some change is known only as "something
// changed" (the records overflowed, a name could not be told, too many came at once). Not thread
// safe: its owner locks around it.
#pragma once

#include <windows.h>

#include <string>
#include <unordered_map>
#include <vector>

class FolderChangeLog
{
public:
    // Beyond this many names one listing of the folder costs less than looking at each.
    static constexpr size_t kMaxNames = 256;

    // Takes one buffer of FILE_NOTIFY_INFORMATION records as ReadDirectoryChangesW filled it;
    // no bytes means the system dropped records (its buffer overflowed).
    void AddRecords(const void* buffer, DWORD bytes);
    // Takes one name in the folder (in the program's code page); gone when the record said the
    // item left the folder (removed, or renamed away). The last record of a name decides.
    void AddName(const std::string& name, bool gone = false);
    // Some change happened that no name tells.
    void MarkUnknown();
    void Clear();
    // Adds what another log holds.
    void Absorb(const FolderChangeLog& other);
    // Hands the names over and empties the log; false when the changes are not all known by name
    // (nothing changed by name counts as unknown too: the caller reads the whole folder then).
    bool Take(std::vector<std::string>& names);
    // The same, with whether each name's last record said its item left the folder.
    bool Take(std::vector<std::string>& names, std::vector<char>& gone);
    bool IsUnknown() const { return m_unknown; }
    size_t NameCount() const { return m_names.size(); }

private:
    static std::string Key(const std::string& name);

    std::vector<std::string> m_names;
    std::vector<char> m_gone;
    // Each name's place in m_names, by its key.
    std::unordered_map<std::string, size_t> m_keys;
    bool m_unknown = false;
};
