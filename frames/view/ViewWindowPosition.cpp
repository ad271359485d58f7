#include "frames/view/ViewWindowPosition.h"

#include "core/RegistryRoot.h"
#include "framework/CRegKey.h"

#include <algorithm>

namespace ViewWindowPosition {

namespace {

const char kKey[] = "ViewWindow";
const char kFullScreen[] = "FullScreen";
const char* const kNames[4] = {"Left", "Top", "Right", "Bottom"};
// Read and write access to the program's keys.
constexpr REGSAM kKeyAccess = 0x2001F;
constexpr int kCaptionHeight = 30;
constexpr int kMinimumVisible = 40;

LONG* Fields(RECT& rect)
{
    return &rect.left;
}

} // namespace

bool Load(RECT& rect)
{
    rect = kDefault;
    CRegKey key;
    if (key.Open(HKEY_CURRENT_USER, ProgramKeyPath(kKey), KEY_READ) != ERROR_SUCCESS)
        return false;
    LONG* fields = Fields(rect);
    for (int i = 0; i < 4; ++i) {
        DWORD value = 0;
        if (key.QueryDWORDValue(kNames[i], value) == ERROR_SUCCESS)
            fields[i] = static_cast<LONG>(value);
    }
    return true;
}

bool Save(const RECT& rect)
{
    CRegKey key;
    if (key.Create(HKEY_CURRENT_USER, ProgramKeyPath(kKey), nullptr, REG_OPTION_NON_VOLATILE, kKeyAccess) !=
        ERROR_SUCCESS)
        return false;
    RECT copy = rect;
    const LONG* fields = Fields(copy);
    bool written = true;
    for (int i = 0; i < 4; ++i)
        written = key.SetDWORDValue(kNames[i], static_cast<DWORD>(fields[i])) == ERROR_SUCCESS && written;
    return written;
}

bool LoadFullScreen()
{
    CRegKey key;
    DWORD value = 0;
    return key.Open(HKEY_CURRENT_USER, ProgramKeyPath(kKey), KEY_READ) == ERROR_SUCCESS &&
           key.QueryDWORDValue(kFullScreen, value) == ERROR_SUCCESS && value == 1;
}

bool SaveFullScreen(bool on)
{
    CRegKey key;
    return key.Create(HKEY_CURRENT_USER, ProgramKeyPath(kKey), nullptr, REG_OPTION_NON_VOLATILE, kKeyAccess) ==
               ERROR_SUCCESS &&
           key.SetDWORDValue(kFullScreen, on ? 1 : 0) == ERROR_SUCCESS;
}

RECT BringOnScreen(const RECT& rect, const RECT& workArea, bool (*visible)(const RECT&))
{
    const RECT caption = {rect.left, rect.top, rect.right, rect.top + kCaptionHeight};
    if (rect.right - rect.left >= kMinimumVisible && rect.bottom > rect.top && visible(caption))
        return rect;
    const LONG workWidth = workArea.right - workArea.left;
    const LONG workHeight = workArea.bottom - workArea.top;
    LONG width = rect.right - rect.left;
    LONG height = rect.bottom - rect.top;
    if (width < kMinimumVisible || height < kMinimumVisible) {
        width = kDefault.right - kDefault.left;
        height = kDefault.bottom - kDefault.top;
    }
    width = std::min(width, workWidth);
    height = std::min(height, workHeight);
    return {workArea.left, workArea.top, workArea.left + width, workArea.top + height};
}

bool IsOnSomeMonitor(const RECT& rect)
{
    // The part of the caption some monitor shows must be wide enough to grab.
    const HMONITOR monitor = ::MonitorFromRect(&rect, MONITOR_DEFAULTTONULL);
    if (!monitor)
        return false;
    MONITORINFO info = {sizeof(info)};
    if (!::GetMonitorInfoA(monitor, &info))
        return false;
    RECT shown = {};
    return ::IntersectRect(&shown, &rect, &info.rcWork) && shown.right - shown.left >= kMinimumVisible &&
           shown.bottom > shown.top;
}

RECT BringOnScreen(const RECT& rect)
{
    RECT work = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    return BringOnScreen(rect, work, &IsOnSomeMonitor);
}

} // namespace ViewWindowPosition
