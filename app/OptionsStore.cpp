#include "app/OptionsStore.h"

#include "app/CacheOptions.h"
#include "core/AcadSupportFolders.h"
#include "core/CAppOptions.h"
#include "engine/rkio/rkio.h"

void LoadOptionsAtStartup()
{
    g_options.Load();
    CString folders;
    if (ReadAcadSupportFolders(HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, kAutoCadKey, folders))
        DWG_SetSearchDirectories(folders);
    LoadCacheOptions();
}

void SaveOptions(const CAppOptions& options)
{
    options.SaveRecord();
    SaveCacheOptions();
}
