// STAND-IN: see EngineStandIn.h. Removed when the engine's own RkUI and rkio land.
#include "app/EngineStandIn.h"

#include <windows.h>
#include <shlobj.h>

#include <string>

namespace RkUI {

CSystemInfo g_systemInfo;

char CSystemInfo::getDecimalSep() const
{
    char separator[8] = {};
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, sizeof(separator)) < 2)
        return '.';
    return separator[0];
}

const char* getAppDataPath()
{
    static char folder[MAX_PATH] = {};
    if (!folder[0] && FAILED(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, 0, folder)))
        folder[0] = '\0';
    return folder[0] ? folder : nullptr;
}

} // namespace RkUI

void DWG_SetSearchDirectories(const char* folders)
{
    static std::string s_folders;
    s_folders = folders ? folders : "";
}
