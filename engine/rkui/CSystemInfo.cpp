#include "engine/rkui/CSystemInfo.h"

#include <windows.h>

namespace RkUI {

char CSystemInfo::getDecimalSep() const
{
    // Read each time: the user may change the locale while the program runs.
    char sep[8] = {};
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, sep, sizeof sep) > 1 && sep[0])
        return sep[0];
    return '.';
}

} // namespace RkUI
