#include "core/RegistryRoot.h"

CString g_strRegistryRoot = "Software\\Halvorn\\Orvo DWG Viewer\\";

CString ProgramKeyPath(const char* subkey)
{
    return g_strRegistryRoot + subkey;
}

bool ParseRegistryRoot(const CString& value, const char* appName, CString& key, CString& root)
{
    key.Empty();
    root.Empty();
    static const char kPrefix[] = "Software\\";
    const int prefix = static_cast<int>(sizeof(kPrefix)) - 1;
    CString rest = value;
    while (!rest.IsEmpty() && rest[rest.GetLength() - 1] == '\\')
        rest = rest.Left(rest.GetLength() - 1);
    if (rest.GetLength() <= prefix || rest.Left(prefix).CompareNoCase(kPrefix) != 0)
        return false;
    rest = rest.Mid(prefix);
    const CString tail = CString("\\") + appName;
    if (rest.GetLength() > tail.GetLength() && rest.Right(tail.GetLength()).CompareNoCase(tail) == 0)
        rest = rest.Left(rest.GetLength() - tail.GetLength());
    // Every level names a key: no empty level, nothing the registry takes for another hive.
    if (rest.IsEmpty() || rest[0] == '\\' || rest.Find("\\\\") != -1 || rest.FindOneOf("*?\"<>|") != -1)
        return false;
    key = rest;
    root = CString(kPrefix) + key + "\\" + appName + "\\";
    return true;
}
