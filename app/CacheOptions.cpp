#include "app/CacheOptions.h"

#include "core/FileUtils.h"
#include "core/PathUtils.h"
#include "core/RegistryRoot.h"
#include "core/RegistryValues.h"
#include "engine/rkui/RkUI.h"
#include "render/cache/TDwgCache.h"
#include "render/cache/TLibIndexTree.h"

namespace {

const REGSAM kOptionAccess = 0x2001F;

// The cache holder and the cache index end with the process, after everything that used them.
struct CacheObjectsAtExit
{
    ~CacheObjectsAtExit()
    {
        DeleteDwgCache();
        DeleteLibIndexTree();
    }
} s_cacheObjectsAtExit;

DWORD ReadDword(const char* subkey, const char* name, DWORD defaultValue)
{
    CRegKey key;
    DWORD value = defaultValue;
    if (key.Open(HKEY_CURRENT_USER, ProgramKeyPath(subkey), kOptionAccess) != ERROR_SUCCESS ||
        key.QueryValue(value, name) != ERROR_SUCCESS)
        return defaultValue;
    return value;
}

bool IsUsableFolder(const CString& folder)
{
    return IsExistingFolder(folder) || CreateFolderPath(folder);
}

// The stored folder when it can be used; else the application-data default; else the program's
// own folder.
CString SettleCacheFolder(const CString& stored)
{
    if (!stored.IsEmpty() && IsUsableFolder(stored))
        return stored;
    const char* appData = getAppDataPath();
    const CString fallback = CString(appData ? appData : "") + "\\OrvoKestal\\ImageCache";
    if (appData && *appData && IsUsableFolder(fallback))
        return fallback;
    return GetProgramFolder();
}

} // namespace

void EndImageCache()
{
    DeleteDwgCache();
}

void SetImageCacheEnabled(bool enabled)
{
    if (TDwgCache* cache = GetDwgCache())
        cache->EnableLib(enabled);
}

bool IsImageCacheEnabled()
{
    const TDwgCache* cache = GetDwgCache();
    return cache && cache->IsLibEnabled();
}

void SetLibSaveInBrowserFolderFirst(bool on)
{
    if (TLibIndexTree* index = GetLibIndexTree())
        index->SetSaveInBrowserFolderFirst(on);
}

bool GetLibSaveInBrowserFolderFirst()
{
    const TLibIndexTree* index = GetLibIndexTree();
    return index && index->GetSaveInBrowserFolderFirst();
}

void SetLibReadFromBrowserFolderFirst(bool on)
{
    if (TLibIndexTree* index = GetLibIndexTree())
        index->SetReadFromBrowserFolderFirst(on);
}

bool GetLibReadFromBrowserFolderFirst()
{
    const TLibIndexTree* index = GetLibIndexTree();
    return !index || index->GetReadFromBrowserFolderFirst();
}

void SetLibIndexPath(const CString& folder)
{
    if (TLibIndexTree* index = GetLibIndexTree())
        index->SetLibFolder(folder);
}

CString GetLibIndexPath()
{
    const TLibIndexTree* index = GetLibIndexTree();
    return index ? index->GetPath() : CString();
}

void LoadCacheOptions()
{
    CreateDwgCache(ReadDword("Option\\ImageCache", "Enabled", 1) != 0);
    const bool saveInBrowserFolderFirst =
        ReadDword("Option\\LibIndex", "SaveInBrowserFolderFirst", 0) != 0;
    const bool readFromBrowserFolderFirst =
        ReadDword("Option\\LibIndex", "ReadFromBrowserFolderFirst", 1) != 0;

    CRegKey key;
    CString stored;
    if (key.Open(HKEY_CURRENT_USER, ProgramKeyPath("Option\\LibIndex"), kOptionAccess) ==
        ERROR_SUCCESS)
        QueryStringValue(key, "Path", stored);
    const CString folder = SettleCacheFolder(stored);
    if (folder != stored &&
        key.Create(HKEY_CURRENT_USER, ProgramKeyPath("Option\\LibIndex"), nullptr,
                   REG_OPTION_NON_VOLATILE, kOptionAccess) == ERROR_SUCCESS)
        key.SetValue(folder, "Path");
    CreateLibIndexTree(folder, saveInBrowserFolderFirst, readFromBrowserFolderFirst);
}

void SaveCacheOptions()
{
    CRegKey key;
    if (key.Create(HKEY_CURRENT_USER, ProgramKeyPath("Option\\ImageCache"), nullptr,
                   REG_OPTION_NON_VOLATILE, kOptionAccess) == ERROR_SUCCESS)
        key.SetValue(IsImageCacheEnabled() ? 1u : 0u, "Enabled");
    if (key.Create(HKEY_CURRENT_USER, ProgramKeyPath("Option\\LibIndex"), nullptr,
                   REG_OPTION_NON_VOLATILE, kOptionAccess) != ERROR_SUCCESS)
        return;
    key.SetValue(GetLibSaveInBrowserFolderFirst() ? 1u : 0u, "SaveInBrowserFolderFirst");
    key.SetValue(GetLibReadFromBrowserFolderFirst() ? 1u : 0u, "ReadFromBrowserFolderFirst");
    key.SetValue(GetLibIndexPath(), "Path");
}
