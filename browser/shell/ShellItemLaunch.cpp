#include "browser/shell/ShellItemLaunch.h"

#include <shellapi.h>

#include <utility>

namespace {

ShellItemLaunchHandler& Handler()
{
    static ShellItemLaunchHandler handler;
    return handler;
}

} // namespace

bool ShellItemLaunch(HWND owner, LPCITEMIDLIST item, const char* path, const char* verb)
{
    if (Handler())
        return Handler()(owner, item, path, verb);
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_INVOKEIDLIST;
    info.hwnd = owner;
    info.lpVerb = verb;
    info.lpIDList = const_cast<LPITEMIDLIST>(item);
    info.lpFile = item == nullptr ? path : nullptr;
    info.nShow = SW_SHOW;
    return ShellExecuteExA(&info) != FALSE;
}

ShellItemLaunchHandler SetShellItemLaunchHandler(ShellItemLaunchHandler handler)
{
    return std::exchange(Handler(), std::move(handler));
}
