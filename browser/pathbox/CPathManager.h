// CPathManager: the path box's typed-folder history, kept in the registry as one string value
// per entry ("TypedDir0", "TypedDir1", ... in list order) under
// HKEY_CURRENT_USER\Software\Tindale\OrvoKestal\TypedDirs. A save writes the whole new list
// before the old one is touched, so a save that fails leaves the old history as it was.
#pragma once

#include "browser/pathbox/CPathItem.h"
#include "framework/CRegKey.h"
#include "kit/OArray.h"

class CPathManager
{
public:
    static const char* const kDefaultParentKey; // "Software\Tindale\OrvoKestal"
    static const char* const kHistoryKey;       // "TypedDirs"
    // The complete new list while a save replaces the old one.
    static const char* const kStagingKey;
    // Longer values are no folder the program can show: they are skipped, never cut.
    static constexpr DWORD kMaxValueBytes = 32768;

    CPathManager();
    virtual ~CPathManager() = default;
    CPathManager(const CPathManager&) = delete;
    CPathManager& operator=(const CPathManager&) = delete;

    // The key under HKEY_CURRENT_USER that holds the history's key (tests use a key of their own).
    void SetParentKey(const CString& parentKey) { m_parentKey = parentKey; }
    const CString& GetParentKey() const { return m_parentKey; }

    // Empties the list and reads the stored one; false when nothing is stored.
    BOOL Load();
    // Stores every entry with a non-empty path, numbered from 0; false when it could not be
    // stored, in which case the stored list is the one before.
    BOOL Save();
    // False when an entry with the same path (any letter case) exists; else appends it.
    BOOL AddPath(const CString& path);
    // The first entry with the same path (any letter case), which becomes the current one.
    CPathItem* Find(const CString& path);
    // Removes the current entry; the one after it becomes current.
    void RemoveCurrent();
    void RemoveAll() { m_items.RemoveAll(); }
    // The entry at a zero-based position; null past the end.
    CPathItem* GetAt(int index);
    int GetCount() const { return static_cast<int>(m_items.GetCount()); }
    CPathItem* GetCurrent() const { return m_items.GetCurrent(); }

protected:
    // Writes one entry; a test makes a save fail part-way here.
    virtual LONG WriteEntry(CRegKey& key, const char* name, const CString& path);

private:
    static CString EntryName(int index);
    void LoadFrom(HKEY key);
    bool WriteStaging();
    bool ReplaceWithStaging();
    CString KeyPath(const char* subkey) const;

    CString m_parentKey;
    OArray<CPathItem> m_items;
};
