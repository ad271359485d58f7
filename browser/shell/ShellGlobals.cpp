#include "browser/shell/ShellGlobals.h"

namespace
{
void InitShellGlobals(ShellGlobals& g)
{
    if (FAILED(SHGetDesktopFolder(&g.desktop)))
        g.desktop = nullptr;
    if (g.desktop && SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_SENDTO, &g.sendToPidl))) {
        void* folder = nullptr;
        if (SUCCEEDED(g.desktop->BindToObject(g.sendToPidl, nullptr, IID_IShellFolder, &folder)))
            g.sendToFolder = static_cast<IShellFolder*>(folder);
    }
    SHFILEINFOA info = {};
    g.smallIcons = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoA("C:\\", 0, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
}
} // namespace

ShellGlobals& ShellGlobals::Get()
{
    static ShellGlobals globals = [] {
        ShellGlobals g;
        InitShellGlobals(g);
        return g;
    }();
    return globals;
}

int CompareSendToItems(LPCITEMIDLIST a, LPCITEMIDLIST b)
{
    IShellFolder* folder = ShellGlobals::Get().sortFolder;
    if (!folder)
        return 0;
    const HRESULT hr = folder->CompareIDs(0, a, b);
    if (FAILED(hr))
        return 0;
    return static_cast<short>(HRESULT_CODE(hr));
}
