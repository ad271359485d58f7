#include "core/RegistryRoot.h"

CString g_strRegistryRoot = "Software\\Halvorn\\Orvo DWG Viewer\\";

CString ProgramKeyPath(const char* subkey)
{
    return g_strRegistryRoot + subkey;
}
