#include "core/ShellOpen.h"

#include <shellapi.h>

#include <utility>

namespace {

ShellOpenHandler& Handler()
{
    static ShellOpenHandler handler;
    return handler;
}

} // namespace

bool ShellOpen(HWND owner, const char* target)
{
    if (Handler())
        return Handler()(owner, target);
    // ShellExecute reports success with a value above 32.
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteA(owner, "open", target, nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
}

ShellOpenHandler SetShellOpenHandler(ShellOpenHandler handler)
{
    return std::exchange(Handler(), std::move(handler));
}
