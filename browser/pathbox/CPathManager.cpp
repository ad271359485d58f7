#include "browser/pathbox/CPathManager.h"

#include <shlwapi.h>

#include <vector>

const char* const CPathManager::kDefaultParentKey = "Software\\Tindale\\OrvoKestal";
const char* const CPathManager::kHistoryKey = "TypedDirs";
const char* const CPathManager::kStagingKey = "TypedDirs.new";

namespace {

// Marks a staging key whose list was written to the end.
const char* const kCompleteValue = "Complete";

} // namespace

CPathManager::CPathManager() : m_parentKey(kDefaultParentKey)
{
}

CString CPathManager::EntryName(int index)
{
    CString name;
    name.Format("TypedDir%d", index);
    return name;
}

CString CPathManager::KeyPath(const char* subkey) const
{
    return m_parentKey + "\\" + subkey;
}

BOOL CPathManager::Load()
{
    m_items.RemoveAll();
    CRegKey key;
    if (key.Open(HKEY_CURRENT_USER, KeyPath(kHistoryKey), KEY_READ) == ERROR_SUCCESS) {
        LoadFrom(key);
        return TRUE;
    }
    // A save that stopped after the old list was removed: the complete new list is staged.
    CRegKey staged;
    DWORD complete = 0;
    if (staged.Open(HKEY_CURRENT_USER, KeyPath(kStagingKey), KEY_READ) != ERROR_SUCCESS ||
        staged.QueryDWORDValue(kCompleteValue, complete) != ERROR_SUCCESS || complete != 1)
        return FALSE;
    LoadFrom(staged);
    return TRUE;
}

void CPathManager::LoadFrom(HKEY key)
{
    for (int index = 0;; ++index) {
        const CString name = EntryName(index);
        DWORD type = 0;
        DWORD bytes = 0;
        if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS)
            return;
        // Read whole or not at all: a cut value would name another folder.
        if ((type != REG_SZ && type != REG_EXPAND_SZ) || bytes > kMaxValueBytes)
            continue;
        std::vector<char> buffer(bytes + 1, '\0');
        DWORD read = bytes;
        if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &read) !=
            ERROR_SUCCESS)
            continue;
        buffer[read < bytes ? read : bytes] = '\0';
        m_items.AddTail(CPathItem(CString(buffer.data())));
    }
}

LONG CPathManager::WriteEntry(CRegKey& key, const char* name, const CString& path)
{
    return key.SetStringValue(name, path);
}

bool CPathManager::WriteStaging()
{
    SHDeleteKeyA(HKEY_CURRENT_USER, KeyPath(kStagingKey));
    CRegKey staging;
    if (staging.Create(HKEY_CURRENT_USER, KeyPath(kStagingKey)) != ERROR_SUCCESS)
        return false;
    int written = 0;
    bool ok = true;
    m_items.ForEach([&](const CPathItem& item) {
        if (ok && !item.GetPath().IsEmpty())
            ok = WriteEntry(staging, EntryName(written++), item.GetPath()) == ERROR_SUCCESS;
    });
    return ok && staging.SetDWORDValue(kCompleteValue, 1) == ERROR_SUCCESS;
}

bool CPathManager::ReplaceWithStaging()
{
    const LONG removed = SHDeleteKeyA(HKEY_CURRENT_USER, KeyPath(kHistoryKey));
    if (removed != ERROR_SUCCESS && removed != ERROR_FILE_NOT_FOUND)
        return false;
    CRegKey history;
    CRegKey staging;
    if (history.Create(HKEY_CURRENT_USER, KeyPath(kHistoryKey)) != ERROR_SUCCESS ||
        staging.Open(HKEY_CURRENT_USER, KeyPath(kStagingKey), KEY_READ) != ERROR_SUCCESS ||
        SHCopyKeyA(staging, nullptr, history, 0) != ERROR_SUCCESS) {
        // A part-copied list must not hide the staged one from the next load.
        history.Close();
        SHDeleteKeyA(HKEY_CURRENT_USER, KeyPath(kHistoryKey));
        return false;
    }
    history.DeleteValue(kCompleteValue);
    return true;
}

BOOL CPathManager::Save()
{
    if (!WriteStaging()) {
        SHDeleteKeyA(HKEY_CURRENT_USER, KeyPath(kStagingKey));
        return FALSE;
    }
    if (!ReplaceWithStaging())
        return FALSE;
    SHDeleteKeyA(HKEY_CURRENT_USER, KeyPath(kStagingKey));
    return TRUE;
}

BOOL CPathManager::AddPath(const CString& path)
{
    bool found = false;
    m_items.ForEach([&](const CPathItem& item) { found = found || item.IsSamePath(path); });
    if (found)
        return FALSE;
    return m_items.AddTail(CPathItem(path)) != nullptr;
}

CPathItem* CPathManager::Find(const CString& path)
{
    for (CPathItem* item = m_items.MoveFirst(); item != nullptr; item = m_items.MoveNext()) {
        if (item->IsSamePath(path))
            return item;
    }
    return nullptr;
}

CPathItem* CPathManager::GetAt(int index)
{
    if (index < 0)
        return nullptr;
    CPathItem* item = m_items.MoveFirst();
    for (int i = 0; i < index && item != nullptr; ++i)
        item = m_items.MoveNext();
    return item;
}

void CPathManager::RemoveCurrent()
{
    const CPathItem* current = m_items.GetCurrent();
    if (current == nullptr)
        return;
    // The list has no unlink in the middle: keep every other entry in a new list, in order.
    OArray<CPathItem> kept;
    int removedAt = -1;
    bool ok = true;
    m_items.ForEach([&](const CPathItem& item) {
        if (&item == current)
            removedAt = static_cast<int>(kept.GetCount());
        else if (ok)
            ok = kept.AddTail(item) != nullptr;
    });
    if (!ok)
        return; // out of memory: the list stays whole
    m_items = std::move(kept);
    // The entry after the removed one becomes current; past the end the cursor is null.
    GetAt(removedAt);
}
